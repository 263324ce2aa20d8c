#include "ui/editor/one_word_form_dialog.h"

#include "core/common/window_fit.h"
#include "core/settings/app_settings.h"
#include "core/settings/text_contrast.h"
#include "ui/common/interaction.h"
#include "ui/common/key_events.h"
#include "ui/common/window_placement.h"
#include "ui/editor/chast_rechi_select_dialog.h"
#include "ui/editor/choose_category_dialog.h"
#include "ui/editor/line_for_word.h"
#include "ui/editor/symbols_selector.h"

#include <QIcon>
#include <QInputDialog>
#include <QKeyEvent>
#include <QTextDocument>
#include <QWindow>

namespace
{

// The editor's own prompts: the lesson list preselects its second entry and
// lets the user type a new lesson.
class EditorPrompts : public QtInteraction
{
public:
    explicit EditorPrompts(QWidget *parent)
        : QtInteraction(parent, CardEditorText::caption()), m_parent(parent)
    {
    }

    QString getItem(const QString &label, const QStringList &items, bool *ok) override
    {
        CursorPause pause;
        const int current = std::min(1, int(items.size()) - 1);
        return QInputDialog::getItem(m_parent, m_caption, label, items, std::max(current, 0), true,
                                     ok);
    }

private:
    QWidget *m_parent;
};

} // namespace

_OneWord_Form::_OneWord_Form(QWidget *parent, Card &card, const StringSet &categoryList,
                             const StringSet &lessons, int highestPriority, iniReader &settings)
    : OneWord_Form(parent), m_card(card), m_categoryList(categoryList), m_lessons(lessons),
      m_settings(settings), m_symbols(new symbolsSelector(this)),
      m_ownPrompts(std::make_unique<EditorPrompts>(this)), m_prompts(m_ownPrompts.get())
{
    setWindowIcon(QIcon(QStringLiteral("icons:Caption_icon.png")));
    toolButton2->setIcon(QIcon(QStringLiteral("icons:pasteCateg.png")));
    toolButton3->setIcon(QIcon(QStringLiteral("icons:pasteSymb.png")));
    m_symbols->setWindowTitle(QStringLiteral("Выбор символа"));

    createLines(std::max(kMinForeignLines, int(card.foreignWords.size())));

    connect(toolButton1, &QToolButton::clicked, this, &_OneWord_Form::slot_toolButton1_clicked);
    connect(pushButton1, &QPushButton::released, this, &_OneWord_Form::slot_pushButton1_clicked);
    connect(toolButton2, &QToolButton::clicked, this, &_OneWord_Form::slot_insertCategory_clicked);
    connect(toolButton3, &QToolButton::clicked, this, &_OneWord_Form::slot_insertSymbol_clicked);
    connect(toolButton4, &QToolButton::clicked, this, &_OneWord_Form::slot_toolButton4_clicked);
    connect(pushButton1_2_cancel, &QPushButton::clicked, this, &_OneWord_Form::slot_cancel_clicked);
    connect(checkBox_Archive, &QCheckBox::clicked, this, &_OneWord_Form::slot_archive_clicked);

    m_categories = new _choose_aCategoryForm(this, categoryList, card.categories);
    m_categories->show();

    // The range first, so a stored priority up to the highest one survives.
    spinBox3->setMaximum(highestPriority);
    spinBox4->setMaximum(highestPriority);
    loadCard();

    installEventFilter(this);
    textEdit2->installEventFilter(this);

    const QSize designed = size().expandedTo(QSize(491, 248));
    resize(int(designed.width() * 1.6), designed.height() - 20);
    restoreWindowGeometry(this, readWindowGeometry(m_settings, SettingsKeys::oneWordForm));
}

_OneWord_Form::~_OneWord_Form()
{
    // The category window reports its moves to this editor: it goes first.
    delete m_categories.data();
}

_choose_aCategoryForm *_OneWord_Form::categoryWindow() const
{
    return m_categories.data();
}

void _OneWord_Form::setPrompts(Interaction *prompts)
{
    m_prompts = prompts ? prompts : m_ownPrompts.get();
}

void _OneWord_Form::createLines(int count)
{
    for (int i = 0; i < count; ++i) {
        auto *line = new _line_ForWordForm(upperPane);
        line->setObjectName(QStringLiteral("line_ForWordForm%1").arg(i));
        linesLayout->insertWidget(i, line);
        m_lines.append(line);
        connect(line->lineEdit2, &MyQLineEdit::sel_symbolActivated, this,
                &_OneWord_Form::slot_insertSymbol_clicked);
        connect(line, &_line_ForWordForm::signal_splitterResize, this,
                &_OneWord_Form::slot_one_splitter_resize);
    }
    // Tab goes from the lesson through the lines, word and transcription,
    // then on to the categories, as the form reads from top to bottom.
    QWidget *before = toolButton4;
    for (_line_ForWordForm *line : std::as_const(m_lines)) {
        setTabOrder(before, line->lineEdit1);
        setTabOrder(line->lineEdit1, line->lineEdit2);
        setTabOrder(line->lineEdit2, line->checkBox1);
        before = line->checkBox1;
    }
    setTabOrder(before, toolButton1);
    // The lines form a ring: the last one is followed by the first.
    for (int i = 0; i < count; ++i) {
        _line_ForWordForm *line = m_lines[i];
        _line_ForWordForm *next = m_lines[(i + 1) % count];
        _line_ForWordForm *prev = m_lines[(i + count - 1) % count];
        connect(line, &_line_ForWordForm::return_lE2Pressed, next,
                &_line_ForWordForm::slot_lE1_setFocus);
        connect(line, &_line_ForWordForm::siglE2_Key_Right, next,
                &_line_ForWordForm::slot_lE1_setCursor_to0);
        connect(line, &_line_ForWordForm::siglE1_Key_Left, prev,
                &_line_ForWordForm::slot_lE2_setFocus);
        connect(line, &_line_ForWordForm::siglE1_Key_Down, next,
                &_line_ForWordForm::slot_lE1_setCursor_toPos);
        connect(line, &_line_ForWordForm::siglE2_Key_Down, next,
                &_line_ForWordForm::slot_lE2_setCursor_toPos);
        connect(line, &_line_ForWordForm::siglE1_Key_Up, prev,
                &_line_ForWordForm::slot_lE1_setCursor_toPos);
        connect(line, &_line_ForWordForm::siglE2_Key_Up, prev,
                &_line_ForWordForm::slot_lE2_setCursor_toPos);
    }
}

void _OneWord_Form::loadCard()
{
    const CardEditorInput in = editorInputFromCard(m_card);
    checkBox_Archive->setChecked(in.archived);
    slot_archive_clicked();
    spinBox3->setValue(in.priorityER);
    spinBox4->setValue(in.priorityRE);
    lineEdit1->setText(in.lesson);
    for (int i = 0; i < m_lines.size() && i < in.lines.size(); ++i) {
        m_lines[i]->checkBox1->setChecked(in.lines[i].autoCheck);
        m_lines[i]->lineEdit1->setText(in.lines[i].word);
        m_lines[i]->lineEdit2->setText(in.lines[i].transcription);
    }
    textEdit2->setPlainText(in.translations);
    lineEdit2_voiceFile->setText(in.soundFiles);
}

CardEditorInput _OneWord_Form::input() const
{
    CardEditorInput in;
    in.lesson = lineEdit1->text();
    for (const _line_ForWordForm *line : m_lines)
        in.lines.append(ForeignLineInput{line->lineEdit1->text(), line->lineEdit2->text(),
                                         line->checkBox1->isChecked()});
    in.translations = textEdit2->toPlainText();
    in.priorityER = spinBox3->value();
    in.priorityRE = spinBox4->value();
    in.archived = checkBox_Archive->isChecked();
    if (m_categories)
        in.categories = m_categories->chosenCategories();
    in.soundFiles = lineEdit2_voiceFile->text();
    return in;
}

void _OneWord_Form::slot_toolButton1_clicked()
{
    if (m_categories && m_categories->isHidden())
        m_categories->show();
}

void _OneWord_Form::slot_one_splitter_resize(const QList<int> &sizes)
{
    for (_line_ForWordForm *line : std::as_const(m_lines)) {
        const QSignalBlocker quiet(line);
        line->splitter3->setSizes(sizes);
    }
}

void _OneWord_Form::slot_pushButton1_clicked()
{
    const CardApplyResult r = applyCardEditor(m_card, input(), m_categoryList);
    for (const QString &w : r.warnings)
        m_prompts->showWarning(w);
    if (!r.ok()) {
        m_prompts->showWarning(r.error);
        return;
    }
    m_card = r.card;
    storeGeometry();
    closeCategoryWindow();
    accept();
}

void _OneWord_Form::slot_insertCategory_clicked()
{
    QString label;
    _chastRechiSelectForm picker(this, label, m_settings);
    if (m_prompts->runDialog(&picker) != QDialog::Accepted || label.isEmpty())
        return;
    const QTextCursor found =
        textEdit2->document()->find(label, 0, QTextDocument::FindCaseSensitively);
    if (!found.isNull())
        textEdit2->setTextCursor(found);
    else
        textEdit2->insertPlainText(label);
    textEdit2->setFocus();
}

void _OneWord_Form::slot_insertSymbol_clicked()
{
    QWidget *target = nullptr;
    if (textEdit2->hasFocus()) {
        target = textEdit2;
    } else {
        for (const _line_ForWordForm *line : std::as_const(m_lines)) {
            if (line->lineEdit1->hasFocus())
                target = line->lineEdit1;
            else if (line->lineEdit2->hasFocus())
                target = line->lineEdit2;
            if (target)
                break;
        }
    }
    if (m_prompts->runDialog(m_symbols) != QDialog::Accepted)
        return;
    const QString text = m_symbols->result();
    if (text.isEmpty() || !target)
        return;
    if (target == textEdit2)
        textEdit2->insertPlainText(text);
    else
        static_cast<QLineEdit *>(target)->insert(text);
    target->setFocus();
}

void _OneWord_Form::slot_toolButton4_clicked()
{
    if (m_lessons.empty()) {
        m_prompts->showWarning(CardEditorText::noLessonsYet());
        return;
    }
    QStringList items;
    for (const QString &l : m_lessons)
        items << l;
    bool ok = false;
    const QString chosen = m_prompts->getItem(CardEditorText::lessonPickLabel(), items, &ok);
    if (ok)
        lineEdit1->setText(chosen);
}

void _OneWord_Form::slot_cancel_clicked()
{
    reject();
}

void _OneWord_Form::slot_archive_clicked()
{
    // Blue marks an archived card; the colour is fixed, the page behind the
    // label is not: a page on which blue does not read gets the nearest blue
    // that does, and an ordinary card the page's own text colour.
    QPalette p = textLabel_Archive->palette();
    const QColor page = p.color(QPalette::Window);
    p.setColor(QPalette::WindowText, checkBox_Archive->isChecked()
                                         ? readableVariant(QColor(0, 0, 255), page)
                                         : readableTextColor(page));
    textLabel_Archive->setPalette(p);
}

void _OneWord_Form::reject()
{
    storeGeometry();
    closeCategoryWindow();
    OneWord_Form::reject();
}

void _OneWord_Form::storeGeometry()
{
    writeWindowGeometry(m_settings, SettingsKeys::oneWordForm,
                        WindowGeometry{x(), y(), width(), height()});
    if (m_categories) {
        const _choose_aCategoryForm *c = m_categories.data();
        writeWindowGeometry(m_settings, SettingsKeys::categoryForm,
                            WindowGeometry{c->x(), c->y(), c->width(), c->height()});
    }
}

void _OneWord_Form::closeCategoryWindow()
{
    delete m_categories.data();
}

bool _OneWord_Form::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && (watched == this || watched == textEdit2)) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() == Qt::ControlModifier) {
            if (latinKeyOf(key) == Qt::Key_S) {
                if (!lineEdit1->hasFocus() && !spinBox3->hasFocus() && !spinBox4->hasFocus())
                    slot_insertSymbol_clicked();
                return true;
            }
            if (latinKeyOf(key) == Qt::Key_A && watched == textEdit2) {
                slot_insertCategory_clicked();
                return true;
            }
        }
    }
    return OneWord_Form::eventFilter(watched, event);
}

void _OneWord_Form::showEvent(QShowEvent *event)
{
    OneWord_Form::showEvent(event);
    if (!m_placedCategories && m_categories) {
        m_placedCategories = true;
        const WindowGeometry g = readWindowGeometry(m_settings, SettingsKeys::categoryForm);
        // Shown again now that the editor is on the screen, so that it
        // stands above the editor and not under the main window.
        m_categories->hide();
        if (g.width > 0 && g.height > 0) {
            restoreWindowGeometry(m_categories, g);
        } else { // never placed by the user: beside the editor, not over it
            keepOnScreen(m_categories);
            m_categories->move(besideWindow(frameGeometry(), m_categories->frameGeometry().size(),
                                            availableAreaFor(this)));
        }
        if (QWindow *own = windowHandle()) {
            m_categories->winId();
            if (QWindow *cats = m_categories->windowHandle())
                cats->setTransientParent(own);
        }
        m_categories->show();
        m_categories->raise();
    }
}

void _OneWord_Form::moveEvent(QMoveEvent *event)
{
    OneWord_Form::moveEvent(event);
    keepWindowsTogether(this, m_categories, true);
}

void _OneWord_Form::resizeEvent(QResizeEvent *event)
{
    OneWord_Form::resizeEvent(event);
    keepWindowsTogether(this, m_categories, true);
}
