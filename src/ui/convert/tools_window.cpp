#include "ui/convert/tools_window.h"
#include "ui/common/window_placement.h"

#include "core/dictionary/card_check.h"
#include "ui/common/key_events.h"

#include "app/session.h"
#include "core/convert/text_conversion.h"
#include "core/run/run_state.h"
#include "core/settings/appearance_rules.h"
#include "ui/common/interaction.h"
#include "ui/convert/conversion_settings_dialog.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QTextCursor>
#include <QTextDocument>

namespace
{

// The transcription signs of the on-screen keyboard, in key order.
constexpr char16_t keySymbols[] = u"æðŋɔəɛʃʌʒʤʧθ";

bool sameFile(const QString &a, const QString &b)
{
    return !b.isEmpty() && QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

} // namespace

VForm_tools::VForm_tools(Session &session, Interaction *ui, QWidget *parent)
    : Form_tools(parent), m_session(session)
{
    if (!ui) {
        m_ownUi = std::make_unique<QtInteraction>(this, RunText::toolsCaption());
        ui = m_ownUi.get();
    }
    m_ui = ui;
    setWindowTitle(RunText::toolsCaption());
    setWindowIcon(QIcon(m_session.iconPath(QStringLiteral("Caption_icon.png"))));
    keepOnScreen(this);
    // The stored names stay the items' values; the label says what they mean.
    const QStringList names = textEncodingNames();
    const QStringList labels = textEncodingLabels();
    for (int i = 0; i < comboBox_encoding->count() && i < names.size(); ++i) {
        comboBox_encoding->setItemText(i, names[i] + QStringLiteral(" — ") + labels[i]);
        comboBox_encoding->setItemData(i, names[i]);
    }

    textEdit7->setPlainText(ToolsText::initialText());
    for (int i = 0; keySymbols[i]; ++i) {
        auto *key = new VButtonSymbol(frame_keyboard);
        key->setObjectName(QStringLiteral("vButtonSymbol%1").arg(i + 1));
        key->setSymbol(QChar(keySymbols[i]), this);
        key->setFixedSize(key->sizeHint());
        keyboardLayout->addWidget(key);
        m_keys.append(key);
    }
    keyboardLayout->addStretch();
    frame_keyboard->hide();
    setSearchFound(true);

    connect(pushButton_apply, &QPushButton::clicked, this, &VForm_tools::slot_apply_clicked);
    connect(toolButton_previos, &QToolButton::clicked, this, &VForm_tools::slot_previous);
    connect(toolButton_next, &QToolButton::clicked, this, &VForm_tools::slot_next);
    connect(toolButton_plus, &QToolButton::clicked, this, &VForm_tools::slot_plus);
    connect(toolButton_minus, &QToolButton::clicked, this, &VForm_tools::slot_minus);
    connect(lineEdit9, &QLineEdit::textChanged, this, &VForm_tools::slot_findStr_changed);
    connect(textEdit7, &QPlainTextEdit::textChanged, this, &VForm_tools::slot_text_browser_changed);
    connect(radioButton1, &QRadioButton::clicked, this, &VForm_tools::slot_radioBtnKeyBoard);

    lineEdit9->installEventFilter(this);
    textEdit7->installEventFilter(this);
    frame_keyboard->installEventFilter(this);
    installEventFilter(this);
}

VForm_tools::~VForm_tools() = default;

void VForm_tools::showTools()
{
    if (isVisible()) {
        if (isMinimized())
            showNormal();
        raise();
        activateWindow();
        return;
    }
    setPalette(appearancePalette(QApplication::palette(), m_session.appearance));
    setSearchFound(true);
    show();
}

TextEncoding VForm_tools::encoding() const
{
    return textEncodingForIndex(comboBox_encoding->currentIndex());
}

bool VForm_tools::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && (watched == lineEdit9 || watched == textEdit7 ||
                                              watched == frame_keyboard || watched == this)) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (latinKeyOf(key) == Qt::Key_F3 && key->modifiers() == Qt::NoModifier) {
            slot_next();
            return true;
        }
    }
    return Form_tools::eventFilter(watched, event);
}

void VForm_tools::showEvent(QShowEvent *event)
{
    Form_tools::showEvent(event);
    emit visibilityChanged();
}

void VForm_tools::hideEvent(QHideEvent *event)
{
    Form_tools::hideEvent(event);
    emit visibilityChanged();
}

// ---------------------------------------------------------------- actions

void VForm_tools::slot_apply_clicked()
{
    switch (comboBox_selectWork->currentIndex()) {
    case Open:
        openFile();
        break;
    case Save:
        saveFile();
        break;
    case SaveAs:
        saveFileAs();
        break;
    case Clear:
        clearText();
        break;
    case Convert:
        convertText();
        break;
    case ResetState:
        resetState();
        break;
    case Import:
        emit importRequested();
        break;
    default:
        break;
    }
}

void VForm_tools::openFile()
{
    if (!m_lastDirectory.isEmpty() && !QDir(m_lastDirectory).exists())
        m_lastDirectory.clear();
    const QString name =
        m_ui->getOpenFileName(ToolsText::openTitle(), m_lastDirectory, ToolsText::fileFilter());
    if (name.isEmpty())
        return;
    m_lastDirectory = QFileInfo(name).absolutePath();
    QString text;
    QString error;
    bool read = false;
    {
        WaitCursor wait;
        read = readTextFile(name, encoding(), &text, &error);
        if (read) {
            m_currentFile = name;
            textEdit7->setPlainText(text);
        }
    }
    // A file that cannot be read is said, so the old text is not taken for it.
    if (!read)
        m_ui->showWarning(ToolsText::openFailed(name) + QLatin1Char('\n') + error);
}

bool VForm_tools::writeEditorText(const QString &path, const QString &text)
{
    QString error;
    bool written = false;
    {
        WaitCursor wait;
        written = writeTextFile(path, text, encoding(), &error);
    }
    if (!written)
        m_ui->showWarning(ToolsText::saveFailed(path));
    return written;
}

void VForm_tools::saveFile()
{
    const QString text = textEdit7->toPlainText();
    if (text.isEmpty()) {
        m_ui->showWarning(ToolsText::emptyEditor());
        return;
    }
    if (m_currentFile.isEmpty()) {
        m_ui->showWarning(ToolsText::neverSaved());
        return;
    }
    if (m_ui->askYesNo(ToolsText::saveQuestion(m_currentFile)) != Interaction::Yes)
        return;
    writeEditorText(m_currentFile, text);
}

void VForm_tools::saveFileAs()
{
    const QString text = textEdit7->toPlainText();
    if (text.isEmpty()) {
        m_ui->showWarning(ToolsText::emptyEditor());
        return;
    }
    const QString chosen =
        m_ui->getSaveFileName(ToolsText::saveAsTitle(), m_currentFile, ToolsText::fileFilter());
    if (chosen.isEmpty())
        return;
    const QString name = textFileSaveName(chosen);
    // Another file of that name would be lost without a word.
    if (QFileInfo::exists(name) && !sameFile(name, m_currentFile) &&
        m_ui->askYesNo(ToolsText::replaceQuestion(name)) != Interaction::Yes)
        return;
    if (writeEditorText(name, text))
        m_currentFile = name;
}

void VForm_tools::clearText()
{
    if (m_ui->askYesNo(ToolsText::clearQuestion()) == Interaction::Yes)
        textEdit7->clear();
}

void VForm_tools::convertText()
{
    if (m_session.run.running) {
        m_ui->showWarning(RunText::finishRunFirst());
        return;
    }
    ConversionOptions options;
    VFormConvertionSettings dialog(this, options, *m_ui);
    if (m_ui->runDialog(&dialog) != QDialog::Accepted)
        return;
    int added = 0;
    QStringList refused;
    {
        WaitCursor wait;
        // Only cards a dictionary file gives back unchanged enter the
        // dictionary; the others are named, so nothing goes silently.
        QList<Card> cards;
        for (Card card : convertTextToCards(textEdit7->toPlainText(), options)) {
            normalizeCardForFile(card);
            const QString problem = cardFileProblem(card, m_session.dictionary.categoryList());
            if (problem.isEmpty())
                cards.append(std::move(card));
            else
                refused << cardTitle(card) + QStringLiteral(": ") + problem;
        }
        added = int(cards.size());
        if (added > 0)
            emit cardsConverted(cards);
    }
    if (added > 0)
        m_ui->showInformation(ConversionText::cardsAdded(added));
    else
        m_ui->showWarning(ConversionText::noCardsAdded());
    if (!refused.isEmpty())
        m_ui->showWarning(ConversionText::cardsRefused(refused));
}

void VForm_tools::resetState()
{
    Dictionary &dict = m_session.dictionary;
    const QString blocked = resetBlockedMessage(m_session.run.running, dict);
    if (!blocked.isEmpty()) {
        m_ui->showWarning(blocked);
        return;
    }
    if (m_ui->askYesNo(RunText::resetQuestion()) != Interaction::Yes)
        return;
    int lowered = 0;
    {
        WaitCursor wait;
        lowered = m_session.history.resetLearningState();
    }
    m_ui->showInformation(resetDoneMessage(lowered));
    emit dictionaryStateChanged();
}

// ---------------------------------------------------------------- search

QTextCursor VForm_tools::find(const QString &text, int from, bool backward) const
{
    QTextDocument::FindFlags flags;
    if (backward) {
        flags |= QTextDocument::FindBackward;
        if (from <= 0)
            return QTextCursor();
    }
    return textEdit7->document()->find(text, qMax(0, from), flags);
}

void VForm_tools::takeMatch(const QString &text, const QTextCursor &match)
{
    m_lastSearchText = text;
    m_matchPosition = match.selectionStart();
    textEdit7->setTextCursor(match);
    setSearchFound(true);
}

void VForm_tools::forgetSearch()
{
    m_lastSearchText.clear();
    m_matchPosition = -1;
}

void VForm_tools::setSearchFound(bool found)
{
    QPalette pal = lineEdit9->palette();
    const QColor base = found ? m_session.appearance.contentsBackgroundColor : notFoundColor();
    pal.setColor(QPalette::Base, base);
    // The alarm colour is fixed: the typed text keeps reading on it.
    pal.setColor(QPalette::Text, readableTextColor(base));
    lineEdit9->setPalette(pal);
}

void VForm_tools::slot_findStr_changed(const QString &text)
{
    QTextCursor cursor = textEdit7->textCursor();
    if (text.isEmpty()) {
        forgetSearch();
        cursor.movePosition(QTextCursor::Start);
        textEdit7->setTextCursor(cursor);
        setSearchFound(true);
        return;
    }
    cursor.clearSelection();
    textEdit7->setTextCursor(cursor);
    // A longer text that begins with the found one is looked for where that
    // one stands, so typing extends the match in place.
    if (!m_lastSearchText.isEmpty() && !text.startsWith(m_lastSearchText))
        forgetSearch();
    const QTextCursor match = find(text, m_matchPosition, false);
    if (match.isNull())
        setSearchFound(false);
    else
        takeMatch(text, match);
}

void VForm_tools::slot_next()
{
    const QString text = lineEdit9->text();
    if (text.isEmpty())
        return;
    QTextCursor match = find(text, m_matchPosition + 1, false);
    if (match.isNull()) {
        setSearchFound(false);
        if (m_matchPosition <= 0 ||
            m_ui->askYesNo(ToolsText::searchFromTopQuestion()) != Interaction::Yes)
            return;
        m_matchPosition = -1;
        match = find(text, 0, false);
        if (match.isNull())
            return;
    }
    takeMatch(text, match);
}

void VForm_tools::slot_previous()
{
    const QString text = lineEdit9->text();
    if (text.isEmpty())
        return;
    const QTextCursor match = find(text, m_matchPosition, true);
    if (match.isNull())
        setSearchFound(false);
    else
        takeMatch(text, match);
}

void VForm_tools::slot_text_browser_changed()
{
    forgetSearch();
    setSearchFound(true);
}

// ---------------------------------------------------------------- view

void VForm_tools::slot_plus()
{
    textEdit7->zoomIn(2);
}

void VForm_tools::slot_minus()
{
    textEdit7->zoomOut(2);
}

void VForm_tools::slot_radioBtnKeyBoard()
{
    frame_keyboard->setVisible(radioButton1->isChecked());
}

void VForm_tools::receiveSymbol(QChar symbol)
{
    textEdit7->insertPlainText(QString(symbol));
}
