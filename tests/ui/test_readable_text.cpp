// Text the program draws itself on a picture or on a colour of its own keeps
// a contrast of 4.5 with it on every page colour: the phonetic keys, measured
// pixel by pixel on their real pictures, and the other widgets that draw on a
// fixed colour.

#include "app/session.h"
#include "core/run/run_state.h"
#include "core/settings/appearance_rules.h"
#include "core/settings/ini_reader.h"
#include "core/settings/text_contrast.h"
#include "scripted_interaction.h"
#include "test_cards.h"
#include "ui/common/app_style.h"
#include "ui/convert/tools_window.h"
#include "ui/dictionary/dictionary_table_model.h"
#include "ui/dictionary/dictionary_table_view.h"
#include "ui/editor/one_word_form_dialog.h"
#include "ui/editor/symbols_selector.h"
#include "ui/editor/vertical_text_edits.h"
#include "ui/run/learning_page.h"
#include "ui/settings/appearance_apply.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QTextEdit>

#include <memory>

namespace
{

// The pages the settings page can give that tell most: the one of a
// settings file without colours (black), the one a first start writes, white,
// yellow and pure blue.
void addPages()
{
    QTest::addColumn<QColor>("page");
    QTest::newRow("default dark page") << AppearanceSettings().backgroundColor;
    QTest::newRow("first start page") << QColor(236, 236, 236);
    QTest::newRow("white page") << QColor(255, 255, 255);
    QTest::newRow("yellow page") << QColor(255, 255, 0);
    QTest::newRow("blue page") << QColor(0, 0, 255);
}

AppearanceSettings appearanceOn(const QColor &page)
{
    AppearanceSettings a;
    a.backgroundColor = page;
    a.contentsBackgroundColor = derivedContentsBackground(page);
    return a;
}

// Applies an appearance to the whole program as the settings page does, and
// puts the application palette back when it goes.
class AppliedPage
{
public:
    explicit AppliedPage(const AppearanceSettings &a, QList<QWidget *> contents = {})
        : m_old(QApplication::palette())
    {
        AppearanceTargets targets;
        targets.contentsWidgets = contents;
        applyAppearanceToWindow(a, targets);
    }
    ~AppliedPage() { QApplication::setPalette(m_old); }

private:
    QPalette m_old;
};

// How strongly the pixels that differ between `shown` and `bare` (the same
// place without the text) stand out from what they cover.
struct Ink {
    int pixels = 0;   // pixels the text changed
    int readable = 0; // of them, those at 4.5 or more
    double best = 1.0;
};

Ink measureInk(const QImage &shown, const QImage &bare)
{
    Ink ink;
    const QImage a = shown.convertToFormat(QImage::Format_RGB32);
    const QImage b = bare.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QColor s = a.pixelColor(x, y), g = b.pixelColor(x, y);
            if (s == g)
                continue;
            ++ink.pixels;
            const double r = contrastRatio(s, g);
            ink.best = std::max(ink.best, r);
            if (r >= minimumTextContrast)
                ++ink.readable;
        }
    return ink;
}

QString describe(const Ink &ink)
{
    return QStringLiteral("%1 pixels of ink, %2 at 4.5 or more, best %3")
        .arg(ink.pixels)
        .arg(ink.readable)
        .arg(ink.best, 0, 'f', 2);
}

// A text of the program reads on its ground.
#define VERIFY_READS(text, ground)                                                                 \
    QVERIFY2(contrastRatio(text, ground) >= minimumTextContrast,                                   \
             qPrintable(QStringLiteral("%1 on %2: %3")                                             \
                            .arg(QColor(text).name(), QColor(ground).name())                       \
                            .arg(contrastRatio(text, ground), 0, 'f', 2)))

const QString kIconsBuilt = QStringLiteral(LEXITOR_BUILD_ICONS);
const QStringList kKeyPictures = {QStringLiteral("Button30_30.png"),
                                  QStringLiteral("Button30_30_downed.png")};

// A tools window on a working folder that has the key pictures the build
// rendered, its page in `page`, its keyboard shown.
struct ToolsOnPage {
    std::unique_ptr<QTemporaryDir> dir = makeWorkingDir();
    FrameColors colors;
    ScriptedInteraction *ui = new ScriptedInteraction;
    std::unique_ptr<Session> session;
    std::unique_ptr<VForm_tools> w;

    explicit ToolsOnPage(const QColor &page)
    {
        QDir(dir->path()).mkpath(QStringLiteral("icons"));
        for (const QString &name : kKeyPictures)
            QFile::copy(kIconsBuilt + QLatin1Char('/') + name,
                        dir->filePath(QStringLiteral("icons/") + name));
        session = std::make_unique<Session>(dir->path(), &colors, ui);
        session->appearance = appearanceOn(page);
        w = std::make_unique<VForm_tools>(*session, ui);
        w->showTools();
        w->radioButton1->click();
    }
    QImage grabKey(VButtonSymbol *key) const
    {
        return w->grab(QRect(key->mapTo(w.get(), QPoint(0, 0)), key->size())).toImage();
    }
};

} // namespace

class TestReadableText : public QObject
{
    Q_OBJECT

private slots:
    void phoneticKeysRead_data() { addPages(); }

    // Every key of the tools window, raised and pressed, on each page: the
    // pixels of its sign against the pixels of its face beneath them.
    void phoneticKeysRead()
    {
        QFETCH(QColor, page);
        for (const QString &name : kKeyPictures)
            QVERIFY2(QFile::exists(kIconsBuilt + QLatin1Char('/') + name), qPrintable(name));
        ToolsOnPage t(page);
        QVERIFY(QTest::qWaitForWindowExposed(t.w.get()));
        QCOMPARE(t.w->symbolKeys().size(), 12);
        for (bool pressed : {false, true}) {
            const QImage picture(t.dir->filePath(QStringLiteral("icons/") + kKeyPictures[pressed]));
            QVERIFY(!picture.isNull());
            for (VButtonSymbol *key : t.w->symbolKeys()) {
                const QChar symbol = key->symbol();
                if (pressed)
                    QTest::mousePress(key, Qt::LeftButton, {}, QPoint(15, 15));
                const QImage shown = t.grabKey(key);
                SymbolReceiver *receiver = key->receiver();
                key->setSymbol(symbol, nullptr); // the same key without its sign
                const QImage bare = t.grabKey(key);
                key->setSymbol(symbol, receiver);
                if (pressed)
                    QTest::mouseRelease(key, Qt::LeftButton, {}, QPoint(15, 15));

                // The face is the key's picture, not the page.
                QCOMPARE(bare.pixelColor(15, 15), picture.pixelColor(15, 15));
                const Ink ink = measureInk(shown, bare);
                const QString where = QStringLiteral("%1 %2: ").arg(symbol).arg(
                    pressed ? QStringLiteral("pressed") : QStringLiteral("raised"));
                QVERIFY2(ink.pixels > 0, qPrintable(where + describe(ink)));
                QVERIFY2(ink.best >= minimumTextContrast, qPrintable(where + describe(ink)));
                // Not a stray pixel: the strokes themselves read.
                QVERIFY2(ink.readable >= 8, qPrintable(where + describe(ink)));
            }
        }
    }

    // A key whose picture is missing shows the page: its sign follows the
    // page colour then.
    void keyWithoutPictureReadsOnThePage_data() { addPages(); }

    void keyWithoutPictureReadsOnThePage()
    {
        QFETCH(QColor, page);
        QWidget holder;
        holder.setPalette(appearancePalette(holder.palette(), appearanceOn(page)));
        holder.setAutoFillBackground(true);
        QDir::setSearchPaths(QStringLiteral("icons"), {QStringLiteral("/nonexistent")});
        auto *key = new VButtonSymbol(&holder);
        key->resize(30, 30);
        holder.resize(30, 30);
        holder.show();
        QVERIFY(QTest::qWaitForWindowExposed(&holder));
        const QImage bare = holder.grab().toImage();
        struct : SymbolReceiver {
            void receiveSymbol(QChar) override {}
        } receiver;
        key->setSymbol(QChar(0x0259), &receiver);
        VERIFY_READS(key->signColor(), page);
        const Ink ink = measureInk(holder.grab().toImage(), bare);
        QVERIFY2(ink.readable >= 8, qPrintable(describe(ink)));
    }

    // The group bands of the dictionary table are painted in colours of
    // their own; their captions are measured on them.
    void tableBandsRead_data() { addPages(); }

    void tableBandsRead()
    {
        QFETCH(QColor, page);
        Dictionary dict;
        DictionaryTableModel model(&dict);
        QList<TableRow> rows;
        for (TableRow::Kind kind :
             {TableRow::FileHeader, TableRow::LessonHeader, TableRow::LetterHeader}) {
            TableRow r;
            r.kind = kind;
            r.label = QStringLiteral("Урок WWW ЖЖЖ");
            rows << r;
        }
        model.setRows(rows);
        DictionaryTableView view;
        view.setRootIsDecorated(false);
        view.setModel(&model);
        view.resize(400, 200);
        AppliedPage applied(appearanceOn(page), {&view});
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const QImage image = view.viewport()->grab().toImage();
        for (int row = 0; row < rows.size(); ++row) {
            const QColor band = GroupHeaderDelegate::headerColor(rows[row].kind);
            const QRect cell =
                view.visualRect(model.index(row, DictionaryTableModel::ForeignColumn));
            const QRect area(cell.left(), cell.top(), view.viewport()->width() - cell.left(),
                             cell.height());
            const QImage shown = image.copy(area);
            QImage bare(shown.size(), QImage::Format_RGB32);
            bare.fill(band);
            const Ink ink = measureInk(shown, bare);
            QVERIFY2(ink.readable >= 8,
                     qPrintable(rows[row].kindText() + QLatin1Char(' ') + describe(ink)));
        }
    }

    // The search line of the tools window turns pink when nothing is found.
    void searchLineReads_data() { addPages(); }

    void searchLineReads()
    {
        QFETCH(QColor, page);
        ToolsOnPage t(page);
        t.w->lineEdit9->setText(QStringLiteral("нет такого текста"));
        QCOMPARE(t.w->lineEdit9->palette().color(QPalette::Base), VForm_tools::notFoundColor());
        const QPalette p = t.w->lineEdit9->palette();
        VERIFY_READS(p.color(QPalette::Text), p.color(QPalette::Base));
        t.w->lineEdit9->clear();
        const QPalette found = t.w->lineEdit9->palette();
        VERIFY_READS(found.color(QPalette::Text), found.color(QPalette::Base));
    }

    // "Выключить карточку" turns red while the card is not yet learned.
    void offButtonReads_data() { addPages(); }

    void offButtonReads()
    {
        QFETCH(QColor, page);
        auto dir = makeWorkingDir();
        FrameColors colors;
        Session session(dir->path(), &colors, new ScriptedInteraction);
        session.appearance = appearanceOn(page);
        AppliedPage applied(session.appearance);
        LearningPage learning(session);
        for (const QColor &c : {offButtonAlertColor(), page}) {
            learning.paintOffButton(c);
            const QPalette p = learning.pushButton1_off_word->palette();
            QCOMPARE(p.color(QPalette::Button), c);
            VERIFY_READS(p.color(QPalette::ButtonText), c);
        }
    }

    // "Архивная карточка" is blue while the box is ticked.
    void archiveLabelReads_data() { addPages(); }

    void archiveLabelReads()
    {
        QFETCH(QColor, page);
        AppliedPage applied(appearanceOn(page));
        Card card = makeCard(QStringLiteral("cat"));
        StringSet categories{QStringLiteral("Дом")};
        StringSet lessons;
        iniReader settings;
        ScriptedInteraction prompts;
        _OneWord_Form form(nullptr, card, categories, lessons, 5, settings);
        form.setPrompts(&prompts);
        QLabel *label = form.textLabel_Archive;
        QColor shown[2];
        for (bool archived : {false, true}) {
            if (form.checkBox_Archive->isChecked() != archived)
                form.checkBox_Archive->click();
            const QPalette p = label->palette();
            QCOMPARE(p.color(QPalette::Window), page);
            VERIFY_READS(p.color(QPalette::WindowText), page);
            shown[archived] = p.color(QPalette::WindowText);
        }
        QVERIFY(shown[0] != shown[1]); // the mark still shows
    }

    // The card editor's symbol picker: its cells are text boxes in the
    // contents colour.
    void symbolPickerReads_data() { addPages(); }

    void symbolPickerReads()
    {
        QFETCH(QColor, page);
        AppliedPage applied(appearanceOn(page));
        symbolsSelector picker;
        const auto &cells = picker.form()->verticalTextEdits2->cells();
        QVERIFY(!cells.isEmpty());
        for (QTextEdit *cell : cells) {
            const QPalette p = cell->palette();
            VERIFY_READS(p.color(QPalette::Text), p.color(QPalette::Base));
        }
    }
};

QTEST_MAIN(TestReadableText)
#include "test_readable_text.moc"
