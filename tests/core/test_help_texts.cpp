#include "core/help/help_links.h"
#include "core/help/help_texts.h"

#include <QXmlStreamReader>
#include <QtTest>

Q_DECLARE_METATYPE(HelpLinkOutcome)

namespace
{

// The error of an XML parse of `text`, empty when it is well-formed.
QString xmlError(const QString &text)
{
    QXmlStreamReader xml(text);
    while (!xml.atEnd())
        xml.readNext();
    return xml.hasError() ? xml.errorString() + QStringLiteral(" at column ") +
                                QString::number(xml.columnNumber())
                          : QString();
}

QString linkOf(const QString &key)
{
    return QLatin1Char('#') + key + QStringLiteral(".instext");
}

} // namespace

class TestHelpTexts : public QObject
{
    Q_OBJECT

private slots:
    void topicsWellFormed_data();
    void topicsWellFormed();
    void continuationsWellFormed();
    void topicContents_data();
    void topicContents();
    void speechPartParagraphs();
    void unknownTopic();
    void everyContinuationOpensAndCloses_data();
    void everyContinuationOpensAndCloses();
    void links_data();
    void links();
    void paragraphsToggleIndependently();
};

void TestHelpTexts::topicsWellFormed_data()
{
    QTest::addColumn<int>("topic");
    for (int t = 0; t < kHelpTopicCount; ++t)
        QTest::addRow("topic %d", t) << t;
}

void TestHelpTexts::topicsWellFormed()
{
    QFETCH(int, topic);
    const QString &text = helpTopicText(topic);
    QVERIFY(text.startsWith(QStringLiteral("<HTML><HEAD></HEAD><BODY>")));
    QVERIFY(text.endsWith(QStringLiteral("</BODY></HTML>")));
    QCOMPARE(xmlError(text), QString());
    // Built once: the same text every time.
    QCOMPARE(&helpTopicText(topic), &text);
}

void TestHelpTexts::continuationsWellFormed()
{
    const QStringList keys = helpContinuationKeys();
    QCOMPARE(keys.size(), 13);
    for (const QString &key : keys) {
        const QString c = helpContinuation(0, key);
        QVERIFY2(c.startsWith(QStringLiteral("<font COLOR=\"brown\">")), qPrintable(key));
        QVERIFY2(!c.contains(QStringLiteral("<ff>")) && !c.contains(QStringLiteral("</ff>")),
                 qPrintable(key));
        QCOMPARE(xmlError(QStringLiteral("<x>") + c + QStringLiteral("</x>")), QString());
    }
    // Only the parts-of-speech topic has continuations.
    QVERIFY(helpContinuation(1, QStringLiteral("noun")).isNull());
    QVERIFY(helpContinuation(0, QStringLiteral("nothing")).isNull());
}

void TestHelpTexts::topicContents_data()
{
    QTest::addColumn<int>("topic");
    QTest::addColumn<QStringList>("pieces");
    QTest::newRow("parts of speech") << 0 << QStringList{QStringLiteral("Части речи")};
    QTest::newRow("description")
        << 1
        << QStringList{QStringLiteral("Краткое описание"), QStringLiteral("Общие действия"),
                       QStringLiteral("Инструменты"), QStringLiteral("Правила записи перевода"),
                       // the conversion examples of both modes
                       QStringLiteral("translation = перевод"),
                       QStringLiteral("word [wɜːd], vocable = [N] слово (единица речи), "
                                      "вокабула [V] говорить"),
                       QStringLiteral("time = часы раз"), QStringLiteral("cat, kitty = кошка")};
    QTest::newRow("shortcuts") << 2
                               << QStringList{QStringLiteral("Вкладка «Словарь»"),
                                              QStringLiteral("Вкладка «Учеба»"),
                                              QStringLiteral("Другие вкладки"),
                                              QStringLiteral("Ctrl+F"),
                                              QStringLiteral("Ctrl+O"),
                                              QStringLiteral("Ctrl+S"),
                                              QStringLiteral("Ctrl+Z"),
                                              QStringLiteral("F1 "),
                                              QStringLiteral("F2 "),
                                              QStringLiteral("F3 "),
                                              QStringLiteral("F4 "),
                                              QStringLiteral("F5 "),
                                              QStringLiteral("F9"),
                                              QStringLiteral("F12"),
                                              QStringLiteral("Delete"),
                                              QStringLiteral("Ctrl+A")};
    QTest::newRow("about") << 3
                           << QStringList{QStringLiteral("Lexitor"),
                                          QStringLiteral("Изучение и повторение слов "
                                                         "иностранного языка v2.0"),
                                          QStringLiteral("<a href=\"#about_qt\">О Qt</a>")};
}

void TestHelpTexts::topicContents()
{
    QFETCH(int, topic);
    QFETCH(QStringList, pieces);
    const QString &text = helpTopicText(topic);
    for (const QString &piece : pieces)
        QVERIFY2(text.contains(piece), qPrintable(piece));
}

void TestHelpTexts::speechPartParagraphs()
{
    const QString &text = helpTopicText(0);
    const QStringList terms{QStringLiteral("Имя"),         QStringLiteral("Существительное"),
                            QStringLiteral("Глагол"),      QStringLiteral("Прилагательное"),
                            QStringLiteral("Наречие"),     QStringLiteral("Союз"),
                            QStringLiteral("Предлог"),     QStringLiteral("Частицы"),
                            QStringLiteral("Артикль"),     QStringLiteral("Числительное"),
                            QStringLiteral("Местоимение"), QStringLiteral("Междометие")};
    const QStringList keys = helpContinuationKeys();
    QCOMPARE(keys.first(), QStringLiteral("spechpart"));
    // Each bold term in order, its paragraph ending in its own link and an
    // empty marker pair.
    qsizetype from = text.indexOf(QStringLiteral("<a href=\"#spechpart.instext\">"));
    QVERIFY(from > 0);
    for (int i = 0; i < terms.size(); ++i) {
        const qsizetype term =
            text.indexOf(QStringLiteral("<b>") + terms[i] + QStringLiteral("</b>"), from);
        QVERIFY2(term > from, qPrintable(terms[i]));
        const QString anchor = QStringLiteral("<a href=\"") + linkOf(keys[i + 1]) +
                               QStringLiteral("\">Калька</a><ff></ff></p>");
        const qsizetype link = text.indexOf(anchor, term);
        QVERIFY2(link > term, qPrintable(anchor));
        QVERIFY2(text.indexOf(QStringLiteral("</p>"), term) > link - 1, qPrintable(terms[i]));
        from = link;
    }
}

void TestHelpTexts::unknownTopic()
{
    QCOMPARE(helpTopicText(-1), QStringLiteral("Нет текста"));
    QCOMPARE(helpTopicText(4), QStringLiteral("Нет текста"));
}

void TestHelpTexts::everyContinuationOpensAndCloses_data()
{
    QTest::addColumn<QString>("key");
    for (const QString &key : helpContinuationKeys())
        QTest::newRow(qPrintable(key)) << key;
}

void TestHelpTexts::everyContinuationOpensAndCloses()
{
    QFETCH(QString, key);
    const QString original = helpTopicText(0);
    QString html = original;
    QCOMPARE(followHelpLink(0, linkOf(key), html), HelpLinkOutcome::Toggled);
    const QString opened =
        QStringLiteral("<ff>") + helpContinuation(0, key) + QStringLiteral("</ff>");
    QVERIFY(html.contains(opened));
    QCOMPARE(html.size(), original.size() + helpContinuation(0, key).size());
    QCOMPARE(xmlError(html), QString());
    QCOMPARE(followHelpLink(0, linkOf(key), html), HelpLinkOutcome::Toggled);
    QCOMPARE(html, original);
}

void TestHelpTexts::links_data()
{
    QTest::addColumn<int>("topic");
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("link");
    QTest::addColumn<HelpLinkOutcome>("outcome");
    QTest::addColumn<QString>("after"); // the text afterwards; empty: unchanged

    const QString noun = helpContinuation(0, QStringLiteral("noun"));
    const QString &t0 = helpTopicText(0);
    const QString &t3 = helpTopicText(3);
    const QString plain = QStringLiteral("<p>x <a href=\"#noun.instext\">Калька</a><ff></ff></p>");

    QTest::newRow("about qt on the about page")
        << 3 << t3 << QStringLiteral("#about_qt") << HelpLinkOutcome::AboutQt << QString();
    QTest::newRow("continuation link on the about page")
        << 3 << t3 << QStringLiteral("#noun.instext") << HelpLinkOutcome::Ignored << QString();
    QTest::newRow("about qt on another page")
        << 0 << t0 << QStringLiteral("#about_qt") << HelpLinkOutcome::Ignored << QString();
    QTest::newRow("not a continuation link")
        << 0 << t0 << QStringLiteral("#noun") << HelpLinkOutcome::Ignored << QString();
    QTest::newRow("link not in the text") << 0 << t0 << QStringLiteral("#nothing.instext")
                                          << HelpLinkOutcome::LinkNotFound << QString();
    QTest::newRow("link of another topic")
        << 1 << helpTopicText(1) << QStringLiteral("#noun.instext") << HelpLinkOutcome::LinkNotFound
        << QString();
    QTest::newRow("dot taken literally")
        << 0 << QStringLiteral("<a href=\"#nounXinstext\">a</a><ff></ff>")
        << QStringLiteral("#noun.instext") << HelpLinkOutcome::LinkNotFound << QString();
    QTest::newRow("no markers") << 0 << QStringLiteral("<a href=\"#noun.instext\">a</a> text")
                                << QStringLiteral("#noun.instext") << HelpLinkOutcome::MarkerMissing
                                << QString();
    QTest::newRow("closing marker only")
        << 0 << QStringLiteral("<a href=\"#noun.instext\">a</a></ff>")
        << QStringLiteral("#noun.instext") << HelpLinkOutcome::MarkerMissing << QString();
    QTest::newRow("markers before the link only")
        << 0 << QStringLiteral("<ff></ff><a href=\"#noun.instext\">a</a>")
        << QStringLiteral("#noun.instext") << HelpLinkOutcome::MarkerMissing << QString();
    QTest::newRow("anchor written loosely")
        << 0 << QStringLiteral("<A  HREF = \"#noun.instext\" >a</A><ff></ff>")
        << QStringLiteral("#noun.instext") << HelpLinkOutcome::Toggled
        << QStringLiteral("<A  HREF = \"#noun.instext\" >a</A><ff>") + noun +
               QStringLiteral("</ff>");
    QTest::newRow("open pair is emptied")
        << 0 << QStringLiteral("<a href=\"#noun.instext\">a</a><ff>old text</ff> rest")
        << QStringLiteral("#noun.instext") << HelpLinkOutcome::Toggled
        << QStringLiteral("<a href=\"#noun.instext\">a</a><ff></ff> rest");
    QTest::newRow("key without continuation")
        << 0 << QStringLiteral("<a href=\"#zzz.instext\">a</a><ff></ff>")
        << QStringLiteral("#zzz.instext") << HelpLinkOutcome::Ignored << QString();
    QTest::newRow("small text") << 0 << plain << QStringLiteral("#noun.instext")
                                << HelpLinkOutcome::Toggled
                                << QString(plain).replace(QStringLiteral("<ff></ff>"),
                                                          QStringLiteral("<ff>") + noun +
                                                              QStringLiteral("</ff>"));
}

void TestHelpTexts::links()
{
    QFETCH(int, topic);
    QFETCH(QString, html);
    QFETCH(QString, link);
    QFETCH(HelpLinkOutcome, outcome);
    QFETCH(QString, after);
    QString text = html;
    QCOMPARE(followHelpLink(topic, link, text), outcome);
    QCOMPARE(text, after.isEmpty() ? html : after);
}

void TestHelpTexts::paragraphsToggleIndependently()
{
    const QString original = helpTopicText(0);
    QString html = original;
    QCOMPARE(followHelpLink(0, linkOf(QStringLiteral("adverb")), html), HelpLinkOutcome::Toggled);
    QCOMPARE(followHelpLink(0, linkOf(QStringLiteral("verb")), html), HelpLinkOutcome::Toggled);
    QVERIFY(html.contains(helpContinuation(0, QStringLiteral("adverb"))));
    QVERIFY(html.contains(helpContinuation(0, QStringLiteral("verb"))));
    // Closing one leaves the other open.
    QCOMPARE(followHelpLink(0, linkOf(QStringLiteral("adverb")), html), HelpLinkOutcome::Toggled);
    QVERIFY(!html.contains(helpContinuation(0, QStringLiteral("adverb"))));
    QVERIFY(html.contains(helpContinuation(0, QStringLiteral("verb"))));
    QCOMPARE(followHelpLink(0, linkOf(QStringLiteral("verb")), html), HelpLinkOutcome::Toggled);
    QCOMPARE(html, original);
}

QTEST_GUILESS_MAIN(TestHelpTexts)
#include "test_help_texts.moc"
