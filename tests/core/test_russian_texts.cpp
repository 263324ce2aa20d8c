#include "core/common/russian_plural.h"
#include "core/convert/text_conversion.h"
#include "core/run/language_names.h"

#include <QTest>

// Counted cards take the Russian plural forms, and voices are listed by the
// Russian names of their languages.
class TestRussianTexts : public QObject
{
    Q_OBJECT

private slots:
    void cardCount_data()
    {
        QTest::addColumn<qint64>("n");
        QTest::addColumn<QString>("text");
        const QList<QPair<qint64, const char *>> rows = {
            {0, "0 карточек"},       {1, "1 карточка"},          {2, "2 карточки"},
            {4, "4 карточки"},       {5, "5 карточек"},          {7, "7 карточек"},
            {11, "11 карточек"},     {12, "12 карточек"},        {14, "14 карточек"},
            {21, "21 карточка"},     {22, "22 карточки"},        {25, "25 карточек"},
            {101, "101 карточка"},   {111, "111 карточек"},      {112, "112 карточек"},
            {1001, "1001 карточка"}, {100000, "100000 карточек"}};
        for (const auto &r : rows)
            QTest::newRow(r.second) << r.first << QString::fromUtf8(r.second);
    }
    void cardCount()
    {
        QFETCH(qint64, n);
        QFETCH(QString, text);
        QCOMPARE(::cardCount(n), text);
    }

    void conversionMessageAgrees()
    {
        QVERIFY(ConversionText::cardsAdded(1).startsWith("<nobr>Добавлена 1 карточка</nobr>"));
        QVERIFY(ConversionText::cardsAdded(3).startsWith("<nobr>Добавлено 3 карточки</nobr>"));
        QVERIFY(ConversionText::cardsAdded(7).startsWith("<nobr>Добавлено 7 карточек</nobr>"));
        QVERIFY(ConversionText::cardsAdded(7).endsWith("Не забудьте сохранить в файл</nobr>"));
    }

    void languageNames_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("label");
        QTest::newRow("English") << "en_US"
                                 << "Английский (en_US)";
        QTest::newRow("German, no country") << "de"
                                            << "Немецкий (de)";
        QTest::newRow("Brazilian") << "pt_BR"
                                   << "Португальский (pt_BR)";
        QTest::newRow("Hindi: no Devanagari") << "hi_IN"
                                              << "Хинди (hi_IN)";
        QTest::newRow("Chinese: no Han") << "zh_CN"
                                         << "Китайский (zh_CN)";
        QTest::newRow("no Russian name: Qt's English one") << "haw_US"
                                                           << "Hawaiian (haw_US)";
        QTest::newRow("unknown code") << "xx_YY"
                                      << "xx_YY (xx_YY)";
    }
    void languageNames()
    {
        QFETCH(QString, locale);
        QFETCH(QString, label);
        QCOMPARE(speechLanguageLabel(locale), label);
    }
};

QTEST_GUILESS_MAIN(TestRussianTexts)
#include "test_russian_texts.moc"
