#include "core/find/card_info.h"

#include <QtTest>

Q_DECLARE_METATYPE(Card)

static Card infoCard()
{
    Card c;
    c.filePath = QStringLiteral("/home/u/words.xml");
    c.lesson = QStringLiteral("L1");
    c.categories = {QStringLiteral("Еда"), QStringLiteral("Дом")};
    c.nPER = c.pER = 2;
    c.nPRE = c.pRE = 3;
    return c;
}

static const QString notRaised =
    QStringLiteral("<font color=\"#005500\">\"приоритет не повышен\"</font>");

class TestCardInfo : public QObject
{
    Q_OBJECT

private slots:
    void text_data();
    void text();
    void missingCard_data();
    void missingCard();
};

void TestCardInfo::text_data()
{
    QTest::addColumn<Card>("card");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("expected");

    QTest::newRow("saved, not raised")
        << infoCard() << 120
        << QString(QStringLiteral("<QT><nobr>Файл: <b>/home/u/words.xml</b></nobr><br>"
                                  "Урок: <b>L1</b><br>"
                                  "Приоритеты для повторения: Ин - ру: <b>2</b>, ру - ин: <b>3</b>"
                                  "<br>Состояние повторения ин-ру: ") +
                   notRaised + QStringLiteral("<br>Состояние повторения ру-ин: ") + notRaised +
                   QStringLiteral("<br>Категории: <b>Еда</b>, <b>Дом</b>"
                                  "<br><br>Всего карточек в словаре: <b>120</b></QT>"));

    Card archivedNew = infoCard();
    archivedNew.nAr = false;
    archivedNew.filePath.clear();
    archivedNew.categories.clear();
    QTest::newRow("archived new card without categories")
        << archivedNew << 1
        << QString(
               QStringLiteral("<QT><font color=\"blue\">Архивная карточка</font><br><br>"
                              "<nobr>Файл: <b>Новая карточка (ещё не сохранена в файл)"
                              "</b></nobr><br>Урок: <b>L1</b><br>"
                              "Приоритеты для повторения: Ин - ру: <b>2</b>, ру - ин: <b>3</b>"
                              "<br>Состояние повторения ин-ру: ") +
               notRaised + QStringLiteral("<br>Состояние повторения ру-ин: ") + notRaised +
               QStringLiteral("<br>Категории: <br><br>Всего карточек в словаре: <b>1</b></QT>"));

    // Raised by 2 with 3 right answers collected: 5 * 2 - 3 = 7 still needed.
    Card raised = infoCard();
    raised.pER = 4;
    raised.aER = 3;
    raised.pRE = 4;
    raised.aRE = 0;
    raised.categories = {QStringLiteral("Еда")};
    QTest::newRow("raised in both directions")
        << raised << 5
        << QStringLiteral(
               "<QT><nobr>Файл: <b>/home/u/words.xml</b></nobr><br>Урок: <b>L1</b><br>"
               "Приоритеты для повторения: Ин - ру: <b>2</b>, ру - ин: <b>3</b>"
               "<br>Состояние повторения ин-ру: <font color=\"red\">\"приоритет повышен\" на 2 "
               "раз </font>(ответьте правильно 7 раз)"
               "<br>Состояние повторения ру-ин: <font color=\"red\">\"приоритет повышен\" на 1 "
               "раз </font>(ответьте правильно 5 раз)"
               "<br>Категории: <b>Еда</b><br><br>Всего карточек в словаре: <b>5</b></QT>");

    // Names are text, not markup: a "<" must not open a tag.
    Card markup = infoCard();
    markup.lesson = QStringLiteral("<1> & <2>");
    markup.categories = {QStringLiteral("R&D")};
    QTest::newRow("names escaped")
        << markup << 2
        << QString(QStringLiteral("<QT><nobr>Файл: <b>/home/u/words.xml</b></nobr><br>"
                                  "Урок: <b>&lt;1&gt; &amp; &lt;2&gt;</b><br>"
                                  "Приоритеты для повторения: Ин - ру: <b>2</b>, ру - ин: <b>3</b>"
                                  "<br>Состояние повторения ин-ру: ") +
                   notRaised + QStringLiteral("<br>Состояние повторения ру-ин: ") + notRaised +
                   QStringLiteral("<br>Категории: <b>R&amp;D</b>"
                                  "<br><br>Всего карточек в словаре: <b>2</b></QT>"));
}

void TestCardInfo::text()
{
    QFETCH(Card, card);
    QFETCH(int, count);
    QFETCH(QString, expected);
    QCOMPARE(cardInfoText(card, count), expected);
}

// One text for every place that meets an id without a card: no blank
// after the line break, the number as it is, a sign included.
void TestCardInfo::missingCard_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("expected");
    QTest::newRow("17") << 17 << QStringLiteral("Ошибка программы\nНет карточки с id == 17");
    QTest::newRow("large") << 2147483647
                           << QStringLiteral("Ошибка программы\nНет карточки с id == 2147483647");
    QTest::newRow("negative") << -3 << QStringLiteral("Ошибка программы\nНет карточки с id == -3");
}

void TestCardInfo::missingCard()
{
    QFETCH(int, id);
    QFETCH(QString, expected);
    QCOMPARE(noCardMessage(id), expected);
}

QTEST_GUILESS_MAIN(TestCardInfo)
#include "test_card_info.moc"
