#include "core/dictionary/dictionary.h"
#include "core/find/card_info.h"
#include "core/markup/markup.h"
#include "core/settings/ini_reader.h"
#include "ui/find/filter_dialog.h"
#include "ui/find/find_actions.h"
#include "ui/find/search_dialog.h"

#include "scripted_interaction.h"
#include "test_cards.h"

#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QWidget>
#include <QtTest>

Q_DECLARE_METATYPE(FilterSettings)

using SI = ScriptedInteraction;

static const StringSet dictLessons{QStringLiteral("L1"), QStringLiteral("L2"),
                                   QStringLiteral("Урок 3")};
static const StringSet dictCategories{QStringLiteral("Дом"), QStringLiteral("Еда"),
                                      QStringLiteral("Город")};

static QTreeWidgetItem *choice(VSet_Filter_Dialog &d, const QString &text)
{
    for (int i = 0; i < d.listView1->topLevelItemCount(); ++i)
        if (d.listView1->topLevelItem(i)->text(0) == text)
            return d.listView1->topLevelItem(i);
    return nullptr;
}

// The choice list as "text" for plain items, "[x] text" / "[ ] text" for
// check items.
static QStringList choices(VSet_Filter_Dialog &d)
{
    QStringList out;
    for (int i = 0; i < d.listView1->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = d.listView1->topLevelItem(i);
        if (!(item->flags() & Qt::ItemIsUserCheckable))
            out << item->text(0);
        else
            out << (item->checkState(0) == Qt::Checked ? "[x] " : "[ ] ") + item->text(0);
    }
    return out;
}

static QString kindIcon(VSet_Filter_Dialog &d, int kind)
{
    return d.listBox->item(kind)->data(VSet_Filter_Dialog::iconFileRole).toString();
}

// As the user does it: choose the kind on the left, tick the item on the right.
static bool tick(VSet_Filter_Dialog &d, int kind, const QString &text, bool on = true)
{
    d.listBox->setCurrentRow(kind);
    QTreeWidgetItem *item = choice(d, text);
    if (!item)
        return false;
    item->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
    return true;
}

// The main window's side of things: dictionary, filter, settings, prompts.
struct Host {
    Dictionary dict;
    FilterSettings filter;
    iniReader settings;
    SI ui;
    QWidget window;
    FindActions actions{dict, filter, settings, ui, &window};
    QList<int> shown;

    Host()
    {
        QObject::connect(&actions, &FindActions::showCardRequested,
                         [this](int id) { shown << id; });
    }
    int add(const QString &foreign, const QStringList &russian = {QStringLiteral("слово")},
            bool inFilter = true)
    {
        Card c = makeCard(foreign, russian);
        c.inFilter = inFilter;
        return dict.addCard(c);
    }
};

class TestFindActions : public QObject
{
    Q_OBJECT

private slots:
    void kindChoicesTakenOver_data();
    void kindChoicesTakenOver();
    void choiceLists_data();
    void choiceLists();
    void spaceKeyTicksChoice();
    void exclusivePairs();
    void forgottenChoicesIndependent();
    void noLessonsIgnoresClicks();
    void resetKeepsOr();
    void splitterAndGeometry();
    void cancelLeavesFilter();
    void applyReportsChange();
    void filterNotDuringRun();
    void filterIcon();

    void searchDialogStartsFromHistory();
    void searchDialogRefusesEmptyText();
    void returnInTextFinds();
    void findShowsCardAndF3GoesOn();
    void cancelledSearchDisablesF3();
    void findInEmptyDictionary();
    void outsideFilterMessage();
    void wordInfo();
};

void TestFindActions::kindChoicesTakenOver_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("item");
    QTest::addColumn<FilterSettings>("expected");

    const FilterSettings fresh;
    FilterSettings f = fresh;
    f.filterLessons = {QStringLiteral("Урок 3")};
    QTest::newRow("lesson") << int(VSet_Filter_Dialog::Lessons) << "Урок 3" << f;
    f = fresh;
    f.filterCategories = {QStringLiteral("Еда")};
    QTest::newRow("category") << int(VSet_Filter_Dialog::Categories) << "Еда" << f;
    f = fresh;
    f.filterSpeechParts = {QStringLiteral("[V] Глагол")};
    QTest::newRow("speech part") << int(VSet_Filter_Dialog::SpeechParts) << "[V] Глагол" << f;
    f = fresh;
    f.filterPrioritiesRE = {3};
    QTest::newRow("priority ru-in") << int(VSet_Filter_Dialog::PrioritiesRE) << "3" << f;
    f = fresh;
    f.filterPrioritiesER = {5};
    QTest::newRow("priority in-ru") << int(VSet_Filter_Dialog::PrioritiesER) << "5" << f;
    f = fresh;
    f.soundChoice = 2;
    QTest::newRow("no sound") << int(VSet_Filter_Dialog::Sound) << "Не указан файл звука" << f;
    f = fresh;
    f.forgottenER = true;
    QTest::newRow("forgotten in-ru")
        << int(VSet_Filter_Dialog::Forgotten) << "Только забытые ин-рус" << f;
    f = fresh;
    f.archiveChoice = 1;
    QTest::newRow("archived") << int(VSet_Filter_Dialog::Archive) << "Архивные" << f;
}

void TestFindActions::kindChoicesTakenOver()
{
    QFETCH(int, kind);
    QFETCH(QString, item);
    QFETCH(FilterSettings, expected);

    FilterSettings filter;
    iniReader settings;
    VSet_Filter_Dialog d(nullptr, filter, dictLessons, dictCategories, speechParts(), settings);
    QCOMPARE(kindIcon(d, kind), kind == VSet_Filter_Dialog::Archive
                                    ? QStringLiteral("Filter_applied.png")
                                    : QStringLiteral("Filter_canceled.png"));
    QVERIFY(tick(d, kind, item));
    QCOMPARE(d.currentKind(), VSet_Filter_Dialog::kindNames().at(kind));
    QVERIFY(d.workingCopy() == expected);
    QCOMPARE(kindIcon(d, kind), QStringLiteral("Filter_applied.png"));
    QVERIFY(filter == FilterSettings()); // only the working copy changed

    // Unticking takes the choice back out (the archive pair falls to "any").
    QVERIFY(tick(d, kind, item, false));
    FilterSettings back;
    if (kind == VSet_Filter_Dialog::Archive)
        back.archiveChoice = 0;
    QVERIFY(d.workingCopy() == back);
    QCOMPARE(kindIcon(d, kind), QStringLiteral("Filter_canceled.png"));
}

void TestFindActions::choiceLists_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("lessons, chosen ones ticked, gone ones not listed")
        << int(VSet_Filter_Dialog::Lessons) << QStringList{"[x] L1", "[ ] L2", "[ ] Урок 3"};
    QTest::newRow("categories sorted")
        << int(VSet_Filter_Dialog::Categories) << QStringList{"[ ] Город", "[ ] Дом", "[x] Еда"};
    QTest::newRow("priorities") << int(VSet_Filter_Dialog::PrioritiesER)
                                << QStringList{"[ ] 1", "[x] 2", "[ ] 3", "[ ] 4", "[ ] 5"};
    QTest::newRow("sound") << int(VSet_Filter_Dialog::Sound)
                           << QStringList{"[ ] Не указан файл звука", "[x] Указан файл звука"};
    QTest::newRow("forgotten") << int(VSet_Filter_Dialog::Forgotten)
                               << QStringList{"[ ] Только забытые ин-рус",
                                              "[x] Только забытые рус-ин"};
    QTest::newRow("archive") << int(VSet_Filter_Dialog::Archive)
                             << QStringList{"[ ] Архивные", "[x] Не архивные"};
}

void TestFindActions::choiceLists()
{
    QFETCH(int, kind);
    QFETCH(QStringList, expected);

    FilterSettings filter;
    filter.filterLessons = {QStringLiteral("L1"), QStringLiteral("Старый урок")};
    filter.filterCategories = {QStringLiteral("Еда")};
    filter.filterPrioritiesER = {2};
    filter.soundChoice = 1;
    filter.forgottenRE = true;
    iniReader settings;
    VSet_Filter_Dialog d(nullptr, filter, dictLessons, dictCategories, speechParts(), settings);
    d.listBox->setCurrentRow(kind);
    QCOMPARE(choices(d), expected);
    // A lesson no open file has stays chosen.
    QVERIFY(d.workingCopy().filterLessons.count(QStringLiteral("Старый урок")));
}

void TestFindActions::spaceKeyTicksChoice()
{
    FilterSettings filter;
    iniReader settings;
    VSet_Filter_Dialog d(nullptr, filter, dictLessons, dictCategories, speechParts(), settings);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    d.listBox->setCurrentRow(VSet_Filter_Dialog::Categories);
    d.listView1->setFocus();
    d.listView1->setCurrentItem(choice(d, QStringLiteral("Дом")));
    QTest::keyClick(d.listView1, Qt::Key_Space);
    QVERIFY(d.workingCopy().filterCategories == StringSet{QStringLiteral("Дом")});
}

void TestFindActions::exclusivePairs()
{
    FilterSettings filter;
    iniReader settings;
    VSet_Filter_Dialog d(nullptr, filter, dictLessons, dictCategories, speechParts(), settings);

    const QString given = QStringLiteral("Указан файл звука");
    const QString missing = QStringLiteral("Не указан файл звука");
    QVERIFY(tick(d, VSet_Filter_Dialog::Sound, given));
    QCOMPARE(d.workingCopy().soundChoice, 1);
    QVERIFY(tick(d, VSet_Filter_Dialog::Sound, missing));
    QCOMPARE(d.workingCopy().soundChoice, 2);
    QCOMPARE(choice(d, given)->checkState(0), Qt::Unchecked);
    QVERIFY(tick(d, VSet_Filter_Dialog::Sound, missing, false));
    QCOMPARE(d.workingCopy().soundChoice, 0);
    QCOMPARE(kindIcon(d, VSet_Filter_Dialog::Sound), QStringLiteral("Filter_canceled.png"));

    // "Не архивные" starts ticked; "Архивные" replaces it.
    QVERIFY(tick(d, VSet_Filter_Dialog::Archive, QStringLiteral("Архивные")));
    QCOMPARE(d.workingCopy().archiveChoice, 1);
    QCOMPARE(choices(d), (QStringList{"[x] Архивные", "[ ] Не архивные"}));
    // The list rebuilt from the working copy shows the same.
    d.listBox->setCurrentRow(VSet_Filter_Dialog::Lessons);
    d.listBox->setCurrentRow(VSet_Filter_Dialog::Archive);
    QCOMPARE(choices(d), (QStringList{"[x] Архивные", "[ ] Не архивные"}));
}

void TestFindActions::forgottenChoicesIndependent()
{
    FilterSettings filter;
    iniReader settings;
    VSet_Filter_Dialog d(nullptr, filter, dictLessons, dictCategories, speechParts(), settings);
    QVERIFY(tick(d, VSet_Filter_Dialog::Forgotten, QStringLiteral("Только забытые рус-ин")));
    QVERIFY(tick(d, VSet_Filter_Dialog::Forgotten, QStringLiteral("Только забытые ин-рус")));
    QVERIFY(d.workingCopy().forgottenRE && d.workingCopy().forgottenER);
    QVERIFY(tick(d, VSet_Filter_Dialog::Forgotten, QStringLiteral("Только забытые рус-ин"), false));
    QVERIFY(!d.workingCopy().forgottenRE && d.workingCopy().forgottenER);
}

void TestFindActions::noLessonsIgnoresClicks()
{
    FilterSettings filter;
    iniReader settings;
    {
        VSet_Filter_Dialog d(nullptr, filter, {}, dictCategories, speechParts(), settings);
        QCOMPARE(choices(d), QStringList{"Нет уроков для выбора"});
        d.slot_list_view(d.listView1->topLevelItem(0));
        QVERIFY(d.workingCopy() == filter);
        QCOMPARE(kindIcon(d, VSet_Filter_Dialog::Lessons), QStringLiteral("Filter_canceled.png"));
    }
    // Without open files, lessons still chosen can be dropped.
    filter.filterLessons = {QStringLiteral("L9")};
    VSet_Filter_Dialog d(nullptr, filter, {}, dictCategories, speechParts(), settings);
    QCOMPARE(choices(d), QStringList{"[x] L9"});
    QVERIFY(tick(d, VSet_Filter_Dialog::Lessons, QStringLiteral("L9"), false));
    QVERIFY(d.workingCopy().filterLessons.empty());
}

void TestFindActions::resetKeepsOr()
{
    FilterSettings filter;
    filter.byAnd = false;
    filter.invert = true;
    filter.filterCategories = {QStringLiteral("Дом")};
    filter.soundChoice = 2;
    filter.archiveChoice = 0;
    iniReader settings;
    VSet_Filter_Dialog d(nullptr, filter, dictLessons, dictCategories, speechParts(), settings);
    QVERIFY(d.checkBox_byOR->isChecked());
    QVERIFY(d.checkBox_invert->isChecked());
    d.listBox->setCurrentRow(VSet_Filter_Dialog::Sound);

    QTest::mouseClick(d.pushButton4_clear, Qt::LeftButton);
    QCOMPARE(d.currentKind(), QStringLiteral("Уроки"));
    QCOMPARE(d.listBox->currentRow(), 0);
    QCOMPARE(choices(d), (QStringList{"[ ] L1", "[ ] L2", "[ ] Урок 3"}));
    QVERIFY(!d.checkBox_invert->isChecked());
    QVERIFY(d.checkBox_byOR->isChecked());
    for (int k = 0; k < 8; ++k)
        QCOMPARE(kindIcon(d, k), k == VSet_Filter_Dialog::Archive
                                     ? QStringLiteral("Filter_applied.png")
                                     : QStringLiteral("Filter_canceled.png"));
    QVERIFY(filter.byAnd == false && filter.soundChoice == 2); // not applied yet

    d.slot_accept();
    FilterSettings expected;
    expected.byAnd = false;
    QVERIFY(filter == expected);
    QCOMPARE(d.result(), int(QDialog::Accepted));
}

void TestFindActions::splitterAndGeometry()
{
    FilterSettings filter;
    iniReader settings;
    settings.loadText(QStringLiteral("[FILTER_FORM]\ntopX=70\ntopY=80\nwidth=600\nheight=400\n"));
    VSet_Filter_Dialog d(nullptr, filter, dictLessons, dictCategories, speechParts(), settings);
    QCOMPARE(d.pos(), QPoint(70, 80));
    QCOMPARE(d.size(), QSize(600, 400));

    d.listBox->setCurrentRow(VSet_Filter_Dialog::Archive);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    // Each showing starts at the lessons.
    QCOMPARE(d.currentKind(), QStringLiteral("Уроки"));
    const QList<int> sizes = d.splitter1->sizes();
    const int total = sizes[0] + sizes[1];
    QVERIFY2(qAbs(sizes[0] - int(total * 0.3)) <= 2, qPrintable(QString::number(sizes[0])));

    d.resize(640, 420);
    d.move(90, 100);
    d.close(); // the title bar's close stores the geometry and rejects
    QCOMPARE(d.result(), int(QDialog::Rejected));
    QCOMPARE(settings.readEntry(QStringLiteral("FILTER_FORM:topX")), QString::number(d.x()));
    QCOMPARE(settings.readEntry(QStringLiteral("FILTER_FORM:topY")), QString::number(d.y()));
    QCOMPARE(settings.readEntry(QStringLiteral("FILTER_FORM:width")), QStringLiteral("640"));
    QCOMPARE(settings.readEntry(QStringLiteral("FILTER_FORM:height")), QStringLiteral("420"));
}

void TestFindActions::cancelLeavesFilter()
{
    Host h;
    h.add(QStringLiteral("cat"));
    h.dict.setLessons(dictLessons);
    h.dict.setCategoryList(dictCategories);
    const FilterSettings before = h.filter;
    h.ui.answerDialog([](QDialog *dialog) {
        auto *d = qobject_cast<VSet_Filter_Dialog *>(dialog);
        if (!d)
            return int(QDialog::Rejected);
        tick(*d, VSet_Filter_Dialog::Categories, QStringLiteral("Еда"));
        d->checkBox_invert->setChecked(true);
        d->checkBox_byOR->setChecked(true);
        QTest::mouseClick(d->buttonCancel, Qt::LeftButton);
        return d->result();
    });
    QVERIFY(!h.actions.callFilter());
    QVERIFY(h.filter == before);
    QVERIFY(h.ui.done());
    // Cancelling stores the geometry too.
    QVERIFY(!h.settings.readEntry(QStringLiteral("FILTER_FORM:width")).isEmpty());
}

void TestFindActions::applyReportsChange()
{
    Host h;
    h.dict.setCategoryList(dictCategories);
    h.ui.answerDialog([](QDialog *dialog) {
        auto *d = qobject_cast<VSet_Filter_Dialog *>(dialog);
        if (!d)
            return int(QDialog::Rejected);
        tick(*d, VSet_Filter_Dialog::Categories, QStringLiteral("Еда"));
        QTest::mouseClick(d->buttonOk, Qt::LeftButton);
        return d->result();
    });
    QVERIFY(h.actions.callFilter());
    QVERIFY(h.filter.filterCategories == StringSet{QStringLiteral("Еда")});

    // Applied without a change: nothing to refill.
    h.ui.answerDialog([](QDialog *dialog) {
        dialog->accept();
        return int(QDialog::Accepted);
    });
    QVERIFY(!h.actions.callFilter());

    // A change of the way kinds combine alone is a change.
    h.ui.answerDialog([](QDialog *dialog) {
        auto *d = qobject_cast<VSet_Filter_Dialog *>(dialog);
        if (!d)
            return int(QDialog::Rejected);
        d->checkBox_byOR->setChecked(true);
        d->slot_accept();
        return d->result();
    });
    QVERIFY(h.actions.callFilter());
    QVERIFY(!h.filter.byAnd);
}

void TestFindActions::filterNotDuringRun()
{
    Host h;
    bool running = true;
    h.actions.setRunningCheck([&running] { return running; });
    QVERIFY(!h.actions.callFilter()); // no dialog: the script holds none
    running = false;
    h.ui.answerDialog([](QDialog *) { return int(QDialog::Rejected); });
    QVERIFY(!h.actions.callFilter());
    QVERIFY(h.ui.done());
}

void TestFindActions::filterIcon()
{
    FilterSettings f; // only "not archived": hides cards but counts as off
    QCOMPARE(FindActions::filterIconFile(f, false), QStringLiteral("Filter_off.png"));
    f.invert = true;
    QCOMPARE(FindActions::filterIconFile(f, false), QStringLiteral("Filter_on.png"));
    QCOMPARE(FindActions::filterIconFile(f, true), QStringLiteral("Filter_on_disabled.png"));
}

void TestFindActions::searchDialogStartsFromHistory()
{
    DictionarySearch search;
    SearchButtonStates buttons;
    buttons.radioButton1 = false;
    buttons.radioButton2 = true;
    buttons.checkBox1 = false;
    search.accept(QStringLiteral("first"), SearchButtonStates());
    search.accept(QStringLiteral("second"), buttons);
    SI ui;
    VSearchDialog d(nullptr, search, ui);
    QCOMPARE(d.comboBox1->count(), 2);
    QCOMPARE(d.comboBox1->itemText(0), QStringLiteral("second"));
    QCOMPARE(d.comboBox1->itemText(1), QStringLiteral("first"));
    QVERIFY(!d.radioButton1->isChecked());
    QVERIFY(d.radioButton2->isChecked());
    QVERIFY(!d.checkBox1->isChecked());
    QVERIFY(d.checkBox2->isChecked());

    // A fresh program starts with foreign words, whole words and the warning.
    DictionarySearch fresh;
    VSearchDialog f(nullptr, fresh, ui);
    QCOMPARE(f.comboBox1->count(), 0);
    QVERIFY(f.radioButton1->isChecked() && !f.radioButton2->isChecked());
    QVERIFY(f.checkBox1->isChecked() && f.checkBox2->isChecked());
}

void TestFindActions::searchDialogRefusesEmptyText()
{
    DictionarySearch search;
    SI ui;
    ui.expect(SI::Warning, QStringLiteral("Строка для поиска пуста"));
    VSearchDialog d(nullptr, search, ui);
    d.comboBox1->setEditText(QStringLiteral("   "));
    QTest::mouseClick(d.buttonOk, Qt::LeftButton);
    QCOMPARE(d.result(), 0);
    QVERIFY(search.history().isEmpty());
    QVERIFY(ui.done());

    d.comboBox1->setEditText(QStringLiteral("  cat   dog "));
    d.radioButton2->setChecked(true);
    d.checkBox2->setChecked(false);
    d.slot_accept();
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(search.lastSearchText(), QStringLiteral("cat dog"));
    QVERIFY(!search.searchForeign());
    QVERIFY(!search.warnOutsideFilter());
    QVERIFY(search.buttons().radioButton2 && !search.buttons().checkBox2);
}

void TestFindActions::returnInTextFinds()
{
    DictionarySearch search;
    search.accept(QStringLiteral("old"), SearchButtonStates());
    SI ui;
    VSearchDialog d(nullptr, search, ui);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    QLineEdit *edit = d.comboBox1->lineEdit();
    QCOMPARE(edit->text(), QStringLiteral("old"));
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("cat"));
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(search.lastSearchText(), QStringLiteral("cat"));
    QCOMPARE(search.history(), (QStringList{"old", "cat"}));
}

// Types the text into the search dialog and presses "Найти".
static std::function<int(QDialog *)> typeAndFind(const QString &text)
{
    return [text](QDialog *dialog) {
        auto *d = qobject_cast<VSearchDialog *>(dialog);
        if (!d)
            return int(QDialog::Rejected);
        d->comboBox1->setEditText(text);
        d->checkBox1->setChecked(false);
        d->slot_accept();
        return d->result();
    };
}

void TestFindActions::findShowsCardAndF3GoesOn()
{
    Host h;
    const int first = h.add(QStringLiteral("wildcat"));
    h.add(QStringLiteral("dog"));
    const int last = h.add(QStringLiteral("Cat"));

    h.ui.answerDialog(typeAndFind(QStringLiteral("cat")));
    h.actions.findInDict();
    QCOMPARE(h.shown, QList<int>{first});

    QVERIFY(h.actions.searchAgain());
    QCOMPARE(h.shown, (QList<int>{first, last}));

    // The last card was the match: asked, "Нет" keeps the place.
    h.ui.answerYesNo(Interaction::No, QStringLiteral("Поиск достиг конца словаря.\nПродолжить"));
    QVERIFY(h.actions.searchAgain());
    QCOMPARE(h.shown.size(), 2);
    h.ui.answerYesNo(Interaction::Yes, QStringLiteral("Поиск достиг конца словаря."));
    QVERIFY(h.actions.searchAgain());
    QCOMPARE(h.shown.last(), first);
    QVERIFY(h.ui.done());
}

void TestFindActions::cancelledSearchDisablesF3()
{
    Host h;
    h.add(QStringLiteral("cat"));
    h.ui.answerDialog(typeAndFind(QStringLiteral("cat")));
    h.actions.findInDict();
    QVERIFY(h.actions.search().canSearchAgain());

    h.ui.answerDialog([](QDialog *) { return int(QDialog::Rejected); });
    h.actions.findInDict();
    QVERIFY(!h.actions.searchAgain());
    QCOMPARE(h.shown.size(), 1);

    // A one-letter text is searched once, but F3 does not repeat it.
    h.ui.answerDialog(typeAndFind(QStringLiteral("c")));
    h.actions.findInDict();
    QCOMPARE(h.shown.size(), 2);
    QVERIFY(!h.actions.searchAgain());
    QVERIFY(h.ui.done());
}

void TestFindActions::findInEmptyDictionary()
{
    Host h; // the script expects no dialog at all
    h.actions.findInDict();
    h.actions.searchNext();
    QVERIFY(h.shown.isEmpty());
}

void TestFindActions::outsideFilterMessage()
{
    Host h;
    h.add(QStringLiteral("dog"));
    h.add(QStringLiteral("cat"), {QStringLiteral("кот")}, false);
    h.ui.answerDialog(typeAndFind(QStringLiteral("cat")));
    h.ui.expect(SI::Warning,
                QStringLiteral("Найдено совпадение в карточках не соответствующих установленному "
                               "фильтру"));
    h.actions.findInDict();
    h.ui.expect(SI::Warning, QStringLiteral("Найдено совпадение в карточках"));
    h.actions.searchAgain();
    QVERIFY(h.shown.isEmpty());
    QVERIFY(h.ui.done());
}

void TestFindActions::wordInfo()
{
    Host h;
    const int id = h.add(QStringLiteral("cat"));
    h.add(QStringLiteral("dog"));
    h.actions.wordInfo(0); // a header row: nothing
    h.ui.expect(SI::Information);
    h.actions.wordInfo(id);
    QCOMPARE(h.ui.log().last().text, cardInfoText(*h.dict.cardById(id), 2));
    QVERIFY(h.ui.log().last().text.contains(QStringLiteral("Всего карточек в словаре: <b>2</b>")));
    h.ui.expect(SI::Critical);
    h.actions.wordInfo(99);
    QCOMPARE(h.ui.log().last().text, QStringLiteral("Ошибка программы\nНет карточки с id == 99"));
    QVERIFY(h.ui.done());
}

QTEST_MAIN(TestFindActions)
#include "test_find_actions.moc"
