#include "core/help/help_texts.h"
#include "scripted_interaction.h"
#include "ui/help/help_page.h"

#include <QApplication>
#include <QScrollBar>
#include <QTextBlock>
#include <QtTest>

namespace
{

const QString kAdverbLink = QStringLiteral("#adverb.instext");

// A phrase only the adverb's continuation holds.
const QString kAdverbPhrase = QStringLiteral("adverbium");

QString shown(const HelpPage &page)
{
    return page.myQTextBrowser1->toPlainText();
}

QAbstractButton *topicButton(HelpPage &page, int topic)
{
    QAbstractButton *buttons[] = {page.pushButton1_speechParts, page.pushButton2_Description,
                                  page.pushButton3_keySecuence, page.pushButton4_Development};
    return buttons[topic];
}

const QString kHeadings[] = {QStringLiteral("Части речи"), QStringLiteral("Краткое описание"),
                             QStringLiteral("Сочетания клавиш"), QStringLiteral("Lexitor")};

} // namespace

class TestHelpPage : public QObject
{
    Q_OBJECT

private slots:
    void storedTopic_data();
    void storedTopic();
    void buttonsShowTopics();
    void continuationOpensAndCloses();
    void switchingTopicsClosesContinuations();
    void linkRules_data();
    void linkRules();
    void clickedPositionKept();
    void zoomAndStyle();
};

void TestHelpPage::storedTopic_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("topic");
    QTest::newRow("parts of speech") << 0 << 0;
    QTest::newRow("description") << 1 << 1;
    QTest::newRow("shortcuts") << 2 << 2;
    QTest::newRow("about") << 3 << 3;
    QTest::newRow("out of range") << 7 << 3;
    QTest::newRow("negative") << -1 << 3;
}

void TestHelpPage::storedTopic()
{
    QFETCH(int, stored);
    QFETCH(int, topic);
    ScriptedInteraction ui;
    HelpPage page(stored, ui);
    QCOMPARE(page.topic(), topic);
    QCOMPARE(page.buttonGroup1->checkedId(), topic);
    QVERIFY(topicButton(page, topic)->isChecked());
    QVERIFY(shown(page).contains(kHeadings[topic]));
    QCOMPARE(page.shownText(), helpTopicText(topic));
}

void TestHelpPage::buttonsShowTopics()
{
    ScriptedInteraction ui;
    HelpPage page(3, ui);
    for (int topic : {0, 1, 2, 3, 1}) {
        topicButton(page, topic)->click();
        QCOMPARE(page.topic(), topic);
        QCOMPARE(page.buttonGroup1->checkedId(), topic);
        QVERIFY(shown(page).contains(kHeadings[topic]));
    }
    // Only one button is on at a time, and ids outside the topics do nothing.
    QCOMPARE(page.buttonGroup1->checkedId(), 1);
    page.buttonGroup_clicked(4);
    page.buttonGroup_clicked(-1);
    QCOMPARE(page.topic(), 1);
    page.buttonGroup_clicked(2);
    QVERIFY(page.pushButton3_keySecuence->isChecked());
    QVERIFY(!page.pushButton2_Description->isChecked());
}

void TestHelpPage::continuationOpensAndCloses()
{
    ScriptedInteraction ui;
    HelpPage page(0, ui);
    const QString closed = shown(page);
    QVERIFY(!closed.contains(kAdverbPhrase));

    // As the browser reports a click on the link.
    emit page.myQTextBrowser1->anchorClicked(QUrl(kAdverbLink));
    const QString open = shown(page);
    QVERIFY(open.contains(kAdverbPhrase));
    // It opens right after its own paragraph, before the next one.
    const qsizetype adverb = open.indexOf(QStringLiteral("Наречие"));
    const qsizetype conjunction = open.indexOf(QStringLiteral("Союз —"));
    const qsizetype phrase = open.indexOf(kAdverbPhrase);
    QVERIFY(adverb < phrase && phrase < conjunction);
    // The continuation is written in brown.
    QTextCursor cursor = page.myQTextBrowser1->document()->find(kAdverbPhrase);
    QVERIFY(!cursor.isNull());
    QCOMPARE(cursor.charFormat().foreground().color(), QColor(QStringLiteral("brown")));

    page.slot_linkClicked(kAdverbLink);
    QCOMPARE(shown(page), closed);
    QCOMPARE(page.shownText(), helpTopicText(0));
}

void TestHelpPage::switchingTopicsClosesContinuations()
{
    ScriptedInteraction ui;
    HelpPage page(0, ui);
    page.slot_linkClicked(kAdverbLink);
    page.slot_linkClicked(QStringLiteral("#noun.instext"));
    QVERIFY(shown(page).contains(kAdverbPhrase));

    page.pushButton2_Description->click();
    page.pushButton1_speechParts->click();
    QVERIFY(!shown(page).contains(kAdverbPhrase));
    QCOMPARE(page.shownText(), helpTopicText(0));
    // Clicking the topic already shown also starts it afresh.
    page.slot_linkClicked(kAdverbLink);
    page.pushButton1_speechParts->click();
    QCOMPARE(page.shownText(), helpTopicText(0));
}

void TestHelpPage::linkRules_data()
{
    QTest::addColumn<int>("topic");
    QTest::addColumn<QString>("link");
    QTest::addColumn<int>("prompt"); // -1 none
    QTest::addColumn<QString>("text");

    QTest::newRow("about qt on the about page")
        << 3 << QStringLiteral("#about_qt") << int(ScriptedInteraction::AboutQt)
        << QStringLiteral("Изучение слов");
    QTest::newRow("other link on the about page") << 3 << kAdverbLink << -1 << QString();
    QTest::newRow("about qt on the parts of speech")
        << 0 << QStringLiteral("#about_qt") << -1 << QString();
    QTest::newRow("about qt on the shortcuts")
        << 2 << QStringLiteral("#about_qt") << -1 << QString();
    QTest::newRow("not a continuation link") << 0 << QStringLiteral("#adverb") << -1 << QString();
    QTest::newRow("continuation link missing from the text")
        << 1 << kAdverbLink << int(ScriptedInteraction::Critical)
        << QStringLiteral("Ошибка программы.\nНе найдена позиция ссылки");
}

void TestHelpPage::linkRules()
{
    QFETCH(int, topic);
    QFETCH(QString, link);
    QFETCH(int, prompt);
    QFETCH(QString, text);
    ScriptedInteraction ui;
    HelpPage page(topic, ui);
    if (prompt >= 0)
        ui.expect(ScriptedInteraction::Kind(prompt), text);
    const QString before = page.shownText();

    page.slot_linkClicked(link);
    QVERIFY(ui.done());
    QCOMPARE(ui.log().size(), prompt >= 0 ? 1 : 0);
    if (prompt >= 0)
        QCOMPARE(ui.log().first().text, text);
    QCOMPARE(page.shownText(), before);
    QCOMPARE(page.topic(), topic);
}

void TestHelpPage::clickedPositionKept()
{
    ScriptedInteraction ui;
    HelpPage page(0, ui);
    page.resize(400, 300);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QScrollBar *bar = page.myQTextBrowser1->verticalScrollBar();
    bar->setValue(bar->maximum());
    const int bottom = bar->value();
    QVERIFY(bottom > 0);

    // The last paragraph's link: the view stays where the reader was.
    page.slot_linkClicked(QStringLiteral("#interjection.instext"));
    QVERIFY(bar->value() >= bottom);
    page.slot_linkClicked(QStringLiteral("#interjection.instext"));
    QCOMPARE(bar->value(), bottom);

    // A new topic starts at the top.
    page.pushButton2_Description->click();
    QCOMPARE(bar->value(), 0);
}

void TestHelpPage::zoomAndStyle()
{
    ScriptedInteraction ui;
    HelpPage page(1, ui);
    QTextBrowser *browser = page.myQTextBrowser1;
    const int base = QApplication::font().pointSize();
    QCOMPARE(browser->font().pointSize(), base + 2);
    page.toolButton1->click();
    QCOMPARE(browser->font().pointSize(), base + 4);
    page.toolButton2->click();
    page.toolButton2->click();
    QCOMPARE(browser->font().pointSize(), base);

    // Paragraphs: first line indented, no space between them.
    const QTextBlock block = browser->document()->find(QStringLiteral("Lexitor помогает")).block();
    QVERIFY(block.isValid());
    QCOMPARE(block.blockFormat().textIndent(), 30.0);
    QCOMPARE(block.blockFormat().leftMargin(), 6.0);
    QCOMPARE(block.blockFormat().rightMargin(), 6.0);
    QCOMPARE(block.blockFormat().topMargin(), 0.0);
    QCOMPARE(block.blockFormat().bottomMargin(), 0.0);
}

QTEST_MAIN(TestHelpPage)
#include "test_help_page.moc"
