#include "core/help/help_texts.h"
#include "core/settings/command_line.h"

#include <QLocale>
#include <QRegularExpression>
#include <QtTest>

using CL = CommandLine;

// What the command line asks for: help, version, dictionaries to open, or
// an error, in both console languages.
class TestCommandLine : public QObject
{
    Q_OBJECT

    static CommandLine parse(const QStringList &arguments,
                             ConsoleLanguage language = ConsoleLanguage::English)
    {
        return parseCommandLine(arguments, QStringLiteral("/home/learner/words"), language);
    }

private slots:
    void actions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("textPart");

        QTest::newRow("nothing") << QStringList{"lexitor"} << int(CL::Run) << QStringList{}
                                 << QString();
        QTest::newRow("files in order, made absolute")
            << QStringList{"lexitor", "b.xml", "/data/a.xml", "../old/c.xml", "./d d.xml"}
            << int(CL::Run)
            << QStringList{"/home/learner/words/b.xml", "/data/a.xml", "/home/learner/old/c.xml",
                           "/home/learner/words/d d.xml"}
            << QString();
        QTest::newRow("a file named like an option after --")
            << QStringList{"lexitor", "--", "--help.xml"} << int(CL::Run)
            << QStringList{"/home/learner/words/--help.xml"} << QString();
        QTest::newRow("--help") << QStringList{"lexitor", "--help"} << int(CL::ShowHelp)
                                << QStringList{} << "--version";
        QTest::newRow("-h") << QStringList{"lexitor", "-h"} << int(CL::ShowHelp) << QStringList{}
                            << "Show this help and exit.";
        QTest::newRow("help wins over version and files")
            << QStringList{"lexitor", "a.xml", "--version", "--help"} << int(CL::ShowHelp)
            << QStringList{} << "[file.xml...]";
        QTest::newRow("help despite an option of Qt's")
            << QStringList{"lexitor", "-style", "fusion", "--help"} << int(CL::ShowHelp)
            << QStringList{} << "Dictionaries to open at start.";
        QTest::newRow("--version") << QStringList{"lexitor", "--version", "a.xml"}
                                   << int(CL::ShowVersion) << QStringList{} << "Lexitor ";
        QTest::newRow("-v") << QStringList{"lexitor", "-v"} << int(CL::ShowVersion) << QStringList{}
                            << "Learning and repeating";
        QTest::newRow("unknown option")
            << QStringList{"/usr/bin/lexitor", "--frobnicate", "a.xml"} << int(CL::Fail)
            << QStringList{} << "Unknown option: --frobnicate\nHelp: lexitor --help\n";
        QTest::newRow("single-dash word kept whole")
            << QStringList{"lexitor", "-platform", "offscreen"} << int(CL::Fail) << QStringList{}
            << "Unknown option: -platform\n";
    }

    void actions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        QFETCH(QStringList, files);
        QFETCH(QString, textPart);
        const CommandLine line = parse(arguments);
        QCOMPARE(int(line.action), action);
        QCOMPARE(line.files, files);
        if (textPart.isEmpty())
            QVERIFY(line.text.isEmpty());
        else
            QVERIFY2(line.text.contains(textPart), qPrintable(line.text));
    }

    void russianTexts_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("textPart");
        QTest::newRow("help") << "--help"
                              << "Показать версию программы и выйти.";
        QTest::newRow("help arguments") << "--help"
                                        << "[файл.xml...]";
        QTest::newRow("version") << "--version"
                                 << "Изучение и повторение слов иностранного языка";
        QTest::newRow("error") << "--x"
                               << "Неизвестный параметр: --x\nСправка: lexitor --help\n";
    }

    void russianTexts()
    {
        QFETCH(QString, option);
        QFETCH(QString, textPart);
        const CommandLine line = parse({"lexitor", option}, ConsoleLanguage::Russian);
        QVERIFY2(line.text.contains(textPart), qPrintable(line.text));
        // Nothing English slips into the Russian texts of the program.
        QVERIFY(!line.text.contains("Show") && !line.text.contains("Learning"));
    }

    void versionMatchesTheAboutPage()
    {
        const QString text = versionText(ConsoleLanguage::English);
        static const QRegularExpression form(QStringLiteral("^Lexitor (\\d+\\.\\d+)\\n.+\\n$"));
        const QRegularExpressionMatch match = form.match(text);
        QVERIFY2(match.hasMatch(), qPrintable(text));
        // The help page's about topic names the same version.
        QVERIFY(helpTopicText(kAboutTopic).contains(" v" + match.captured(1)));
    }

    void languageFollowsTheSystem_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("russian");
        QTest::newRow("ru_RU") << "ru_RU" << true;
        QTest::newRow("ru_UA") << "ru_UA" << true;
        QTest::newRow("en_US") << "en_US" << false;
        QTest::newRow("de_DE") << "de_DE" << false;
        QTest::newRow("C") << "C" << false;
    }

    void languageFollowsTheSystem()
    {
        QFETCH(QString, locale);
        QFETCH(bool, russian);
        QCOMPARE(consoleLanguage(QLocale(locale)) == ConsoleLanguage::Russian, russian);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
