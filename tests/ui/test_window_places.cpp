#include "core/find/dictionary_search.h"
#include "core/find/filter_settings.h"
#include "core/settings/app_settings.h"
#include "core/settings/ini_reader.h"
#include "scripted_interaction.h"
#include "test_cards.h"
#include "ui/common/interaction.h"
#include "ui/editor/chast_rechi_select_dialog.h"
#include "ui/editor/choose_category_dialog.h"
#include "ui/editor/one_word_form_dialog.h"
#include "ui/editor/symbols_selector.h"
#include "ui/find/filter_dialog.h"
#include "ui/find/search_dialog.h"
#include "ui/statistics/statistics_window.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

// Windows open where they were closed, every time, and on the screen.
class TestWindowPlaces : public QObject
{
    Q_OBJECT

    // One open of a window with stored geometry: shows it, then closes it
    // the way that stores the geometry; returns where it stood.
    using OpenOnce = std::function<QList<QPoint>(iniReader &)>;

    static QRect screenArea() { return QGuiApplication::primaryScreen()->availableGeometry(); }

    static void showAndSettle(QWidget *w)
    {
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCoreApplication::processEvents();
    }

    static QList<QPoint> openEditor(iniReader &settings)
    {
        Card card = makeCard("cat", {"кот"}, "Урок 1", "/d/a.xml", {"Еда"});
        StringSet categories{"Еда"}, lessons;
        _OneWord_Form f(nullptr, card, categories, lessons, 5, settings);
        showAndSettle(&f);
        const QList<QPoint> at{f.pos(), f.categoryWindow()->pos()};
        f.reject();
        return at;
    }
    static QList<QPoint> openFilter(iniReader &settings)
    {
        FilterSettings filter;
        VSet_Filter_Dialog d(nullptr, filter, {"L1"}, {"Дом"}, {"сущ."}, settings);
        showAndSettle(&d);
        const QList<QPoint> at{d.pos()};
        d.reject();
        return at;
    }
    static QList<QPoint> openSpeechPart(iniReader &settings)
    {
        QString chosen;
        _chastRechiSelectForm d(nullptr, chosen, settings);
        showAndSettle(&d);
        const QList<QPoint> at{d.pos()};
        d.pushButton2->click();
        return at;
    }

private slots:
    void storedPlacesHold_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QList<QPoint>>("places");
        QTest::addColumn<void *>("open");
        QTest::newRow("editor and category window")
            << "[ONE_WORD_FORM]\ntopX=10\ntopY=20\nwidth=400\nheight=300\n"
               "[CATEGORY_FORM]\ntopX=500\ntopY=20\nwidth=250\nheight=300\n"
            << QList<QPoint>() << reinterpret_cast<void *>(&openEditor);
        QTest::newRow("filter") << "[FILTER_FORM]\ntopX=60\ntopY=30\nwidth=0\nheight=0\n"
                                << QList<QPoint>{{60, 30}} << reinterpret_cast<void *>(&openFilter);
        QTest::newRow("part of speech")
            << "[SPEECH_PART_FORM]\ntopX=300\ntopY=100\nwidth=250\nheight=300\n"
            << QList<QPoint>{{300, 100}} << reinterpret_cast<void *>(&openSpeechPart);
    }
    // Ten opens and closes leave each window where it was put (the editor
    // and its category window do not both fit the test screen's 800 pixels,
    // so they stay where the first open put them).
    void storedPlacesHold()
    {
        QFETCH(QString, stored);
        QFETCH(QList<QPoint>, places);
        QFETCH(void *, open);
        auto openOnce = reinterpret_cast<QList<QPoint> (*)(iniReader &)>(open);
        iniReader settings;
        settings.loadText(stored);
        const QList<QPoint> first = openOnce(settings);
        if (!places.isEmpty())
            QCOMPARE(first, places);
        for (int i = 1; i < 10; ++i)
            QCOMPARE(openOnce(settings), first);
    }

    void storedOffScreenComesBack_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<void *>("open");
        // Stored on a wider screen, and with the title bar above the top.
        QTest::newRow("editor") << "[ONE_WORD_FORM]\ntopX=1700\ntopY=-60\nwidth=400\nheight=300\n"
                                   "[CATEGORY_FORM]\ntopX=2300\ntopY=900\nwidth=250\nheight=300\n"
                                << reinterpret_cast<void *>(&openEditor);
        QTest::newRow("filter") << "[FILTER_FORM]\ntopX=3000\ntopY=2000\nwidth=0\nheight=0\n"
                                << reinterpret_cast<void *>(&openFilter);
        QTest::newRow("part of speech")
            << "[SPEECH_PART_FORM]\ntopX=-500\ntopY=700\nwidth=250\nheight=300\n"
            << reinterpret_cast<void *>(&openSpeechPart);
    }
    void storedOffScreenComesBack()
    {
        QFETCH(QString, stored);
        QFETCH(void *, open);
        auto openOnce = reinterpret_cast<QList<QPoint> (*)(iniReader &)>(open);
        iniReader settings;
        settings.loadText(stored);
        const QList<QPoint> first = openOnce(settings);
        for (const QPoint &p : first)
            QVERIFY2(screenArea().contains(p),
                     qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));
        // And it stays there.
        QCOMPARE(openOnce(settings), first);
    }

    // Windows without a stored place are moved onto the screen when shown.
    void firstPlacedWindowsOnScreen()
    {
        QTemporaryDir dir;
        Dictionary dict;
        ScriptedInteraction ui;
        DictionarySearch search;
        VSearchDialog searchDialog(nullptr, search, ui);
        StatisticsWindow statistics(dict, false, dir.filePath("journal.jsonl"), ui,
                                    QDate(2024, 3, 10));
        symbolsSelector symbols;
        const QList<QWidget *> windows{&searchDialog, &statistics, &symbols};
        for (QWidget *w : windows) {
            for (int i = 0; i < 10; ++i) {
                w->move(5000, 4000);
                showAndSettle(w);
                QVERIFY2(screenArea().contains(w->frameGeometry().topLeft()),
                         w->metaObject()->className());
                QVERIFY(w->frameGeometry().right() <= screenArea().right() ||
                        w->frameGeometry().left() == screenArea().left());
                const QPoint at = w->pos();
                w->hide();
                showAndSettle(w);
                QCOMPARE(w->pos(), at);
                w->hide();
            }
        }
    }

    // A category window never placed by the user opens beside the editor,
    // inside the screen.
    void categoryWindowFirstBesideTheEditor()
    {
        Card card = makeCard("cat", {"кот"}, "Урок 1", "/d/a.xml", {"Еда"});
        StringSet categories{"Еда"}, lessons;
        iniReader settings;
        settings.loadText("[ONE_WORD_FORM]\ntopX=20\ntopY=20\nwidth=300\nheight=300\n");
        _OneWord_Form f(nullptr, card, categories, lessons, 5, settings);
        showAndSettle(&f);
        _choose_aCategoryForm *cats = f.categoryWindow();
        QVERIFY(cats->isVisible());
        // Against the editor's right edge, as far as the screen allows.
        const int room = screenArea().right() + 1 - cats->frameGeometry().width();
        QCOMPARE(cats->frameGeometry().topLeft(),
                 QPoint(qMin(f.frameGeometry().right() + 1, room), f.frameGeometry().top()));
        QVERIFY(screenArea().contains(cats->frameGeometry()));
        f.reject();
    }

    // Enter answers "Нет" where "Да" would throw unsaved cards away; the
    // other questions keep "Да" as their default.
    void questionDefaultButton_data()
    {
        QTest::addColumn<int>("defaultAnswer");
        QTest::addColumn<QString>("button");
        QTest::newRow("keeps unsaved cards") << int(Prompts::No) << "Нет";
        QTest::newRow("other questions") << int(Prompts::Yes) << "Да";
    }
    void questionDefaultButton()
    {
        QFETCH(int, defaultAnswer);
        QFETCH(QString, button);
        QtInteraction ui(nullptr, "Словарь");
        QString defaultText;
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            defaultText = box->defaultButton() ? box->defaultButton()->text() : QString();
            QTest::keyClick(box, Qt::Key_Return);
        });
        const int answer = ui.askYesNo("Вы сохранили словарь?", Prompts::Answer(defaultAnswer));
        QCOMPARE(defaultText, button);
        QCOMPARE(answer, defaultAnswer);
    }

    // The font chooser opens on the font's own style: OK without a change
    // gives back the very same font (DejaVu Sans once came back oblique).
    void fontChooserRoundTrip_data()
    {
        QTest::addColumn<QFont>("font");
        QTest::newRow("plain") << QFont("DejaVu Sans", 14, QFont::Normal, false);
        QTest::newRow("bold") << QFont("DejaVu Sans", 12, QFont::Bold, false);
        QTest::newRow("italic") << QFont("DejaVu Sans", 16, QFont::Normal, true);
    }
    void fontChooserRoundTrip()
    {
        QFETCH(QFont, font);
        QtInteraction ui(nullptr, "Словарь");
        QTimer::singleShot(0, this, [] {
            auto *dialog = qobject_cast<QFontDialog *>(QApplication::activeModalWidget());
            if (dialog)
                dialog->accept();
        });
        bool ok = false;
        const QFont chosen = ui.getFont(font, &ok);
        QVERIFY(ok);
        QCOMPARE(chosen.family(), font.family());
        QCOMPARE(chosen.pointSize(), font.pointSize());
        QCOMPARE(chosen.weight(), font.weight());
        QCOMPARE(chosen.italic(), font.italic());
    }
};

QTEST_MAIN(TestWindowPlaces)
#include "test_window_places.moc"
