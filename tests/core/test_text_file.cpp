#include "core/convert/text_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

const QString kSymbols = QString::fromUtf8("æðŋɔəɛʃʌʒʤʧθ wɜːd\nдом ё");

// What Latin-1 keeps of a text: the characters it has; "?" for the others.
QString latin1Kept(QString text)
{
    for (QChar &c : text)
        if (c.unicode() > 0xff)
            c = u'?';
    return text;
}

} // namespace

Q_DECLARE_METATYPE(TextEncoding)

class TestTextFile : public QObject
{
    Q_OBJECT

private slots:
    void encodingByIndex()
    {
        QCOMPARE(textEncodingNames(), QStringList({"Locale", "Unicode", "UnicodeUTF8"}));
        QCOMPARE(textEncodingForIndex(0), TextEncoding::Locale);
        QCOMPARE(textEncodingForIndex(1), TextEncoding::Unicode);
        QCOMPARE(textEncodingForIndex(2), TextEncoding::UnicodeUTF8);
        QCOMPARE(textEncodingForIndex(3), TextEncoding::Latin1);
        QCOMPARE(textEncodingForIndex(-1), TextEncoding::Latin1);
    }

    // Every LF becomes CR LF, in every encoding.
    void writesCrLf_data()
    {
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("Unicode") << TextEncoding::Unicode
                                 << QByteArray::fromHex("fffe61000d000a0062000d000a00");
        QTest::newRow("UnicodeUTF8") << TextEncoding::UnicodeUTF8 << QByteArray("a\r\nb\r\n");
        QTest::newRow("Latin-1") << TextEncoding::Latin1 << QByteArray("a\r\nb\r\n");
        QTest::newRow("Locale") << TextEncoding::Locale << QByteArray("a\r\nb\r\n");
    }
    void writesCrLf()
    {
        QFETCH(TextEncoding, encoding);
        QFETCH(QByteArray, bytes);
        QCOMPARE(encodeTextFile("a\nb\n", encoding), bytes);
    }

    void roundTrip_data()
    {
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<QString>("back");
        QTest::newRow("Unicode") << TextEncoding::Unicode << kSymbols;
        QTest::newRow("UnicodeUTF8") << TextEncoding::UnicodeUTF8 << kSymbols;
        // The system's encoding is UTF-8 wherever Qt 6 runs on Unix.
        QTest::newRow("Locale") << TextEncoding::Locale << kSymbols;
        // Latin-1 keeps what it has and marks the rest.
        QTest::newRow("Latin-1") << TextEncoding::Latin1 << latin1Kept(kSymbols);
        QCOMPARE(latin1Kept(kSymbols).left(3), QString("æð?"));
    }
    void roundTrip()
    {
        QFETCH(TextEncoding, encoding);
        QFETCH(QString, back);
        QTemporaryDir dir;
        const QString path = dir.filePath("text.txt");
        QString error;
        QVERIFY(writeTextFile(path, kSymbols, encoding, &error));
        QString text;
        QVERIFY(readTextFile(path, encoding, &text, &error));
        QCOMPARE(text, back);
    }

    // A byte-order mark decides, and does not become a character.
    void decoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<TextEncoding>("chosen");
        QTest::addColumn<QString>("text");
        QTest::newRow("UTF-16 mark, UTF-8 chosen")
            << QByteArray::fromHex("fffe3104") << TextEncoding::UnicodeUTF8 << QString("б");
        QTest::newRow("UTF-8 mark, Latin-1 chosen")
            << QByteArray::fromHex("efbbbfd0b1") << TextEncoding::Latin1 << QString("б");
        QTest::newRow("UTF-16 without a mark")
            << QByteArray::fromHex("3104") << TextEncoding::Unicode << QString("б");
        QTest::newRow("CR LF and lone CR")
            << QByteArray("a\r\nb\rc\n") << TextEncoding::UnicodeUTF8 << QString("a\nb\nc\n");
        QTest::newRow("Latin-1") << QByteArray("\xe6") << TextEncoding::Latin1 << QString("æ");
    }
    void decoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(TextEncoding, chosen);
        QFETCH(QString, text);
        QCOMPARE(decodeTextFile(bytes, chosen), text);
    }

    void saveName_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("saved");
        QTest::newRow("no extension") << "/d/notes"
                                      << "/d/notes.txt";
        QTest::newRow("final dot") << "/d/notes."
                                   << "/d/notes.txt";
        QTest::newRow("upper-case xml") << "/d/list.XML"
                                        << "/d/list.XML";
        QTest::newRow("mixed-case txt") << "/d/a.Txt"
                                        << "/d/a.Txt";
        QTest::newRow("xml inside the name") << "/d/a.xml.bak"
                                             << "/d/a.xml.bak.txt";
        QTest::newRow("other extension") << "/d/archive.tar"
                                         << "/d/archive.tar.txt";
    }
    void saveName()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, saved);
        QCOMPARE(textFileSaveName(chosen), saved);
    }

    void unreadableFileIsReported()
    {
        QTemporaryDir dir;
        QString text = "kept";
        QString error;
        QVERIFY(!readTextFile(dir.filePath("missing.txt"), TextEncoding::Unicode, &text, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(text, QString("kept"));
    }
};

QTEST_GUILESS_MAIN(TestTextFile)
#include "test_text_file.moc"
