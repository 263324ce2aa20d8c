#include "core/common/latin_key.h"
#include "core/run/run_session.h"

#include <QTest>

// Letter shortcuts by the physical key: the Russian layout gives Cyrillic
// key codes, and each platform names the physical key its own way.

namespace
{

// Cyrillic capitals as Qt gives them, and their X key symbols (lower case,
// as under Ctrl).
constexpr int ef = 0x410;    // А, on the F key
constexpr int ya = 0x42f;    // Я, on the Z key
constexpr int yeru = 0x42b;  // Ы, on the S key
constexpr int shcha = 0x429; // Щ, on the O key
constexpr int fe = 0x424;    // Ф, on the A key
constexpr int de = 0x414;    // Д, on the L key
constexpr int es = 0x421;    // С, on the C key

} // namespace

class TestLatinKey : public QObject
{
    Q_OBJECT

private slots:
    void shortcutKeys_data();
    void shortcutKeys();
    void unchangedKeys_data();
    void unchangedKeys();
    void russianLayoutTable_data();
    void russianLayoutTable();
    void typedCyrillicIsNeverARunKey_data();
    void typedCyrillicIsNeverARunKey();
    void ctrlCyrillicRunKeys();
};

void TestLatinKey::shortcutKeys_data()
{
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<uint>("nativeVirtualKey");
    QTest::addColumn<uint>("nativeScanCode");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("expected");

    const int ctrl = int(Qt::ControlModifier);
    const int ctrlShift = int(Qt::ControlModifier | Qt::ShiftModifier);
    const int none = int(Qt::NoModifier);
    struct Key {
        const char *name;
        int cyrillic;
        uint keysym;
        uint xKeyCode;
        uint windowsScanCode;
        int latin;
    };
    const Key keys[] = {
        {"F", ef, 0x6c1, 41, 0x21, Qt::Key_F},   {"Z", ya, 0x6d1, 52, 0x2c, Qt::Key_Z},
        {"S", yeru, 0x6d9, 39, 0x1f, Qt::Key_S}, {"O", shcha, 0x6dd, 32, 0x18, Qt::Key_O},
        {"A", fe, 0x6c6, 38, 0x1e, Qt::Key_A},   {"L", de, 0x6c4, 46, 0x26, Qt::Key_L},
        {"C", es, 0x6d3, 54, 0x2e, Qt::Key_C},
    };
    for (const Key &k : keys) {
        const QByteArray n(k.name);
        QTest::newRow(n + " X11 Ctrl") << k.cyrillic << k.keysym << k.xKeyCode << ctrl << k.latin;
        QTest::newRow(n + " X11 bare") << k.cyrillic << k.keysym << k.xKeyCode << none << k.latin;
        QTest::newRow(n + " X11 Ctrl+Shift")
            << k.cyrillic << k.keysym - 0x20 << k.xKeyCode << ctrlShift << k.latin;
        QTest::newRow(n + " Windows Ctrl")
            << k.cyrillic << uint(k.latin) << k.windowsScanCode << ctrl << k.latin;
        QTest::newRow(n + " no native codes") << k.cyrillic << 0u << 0u << ctrl << k.latin;
    }
    // The Windows scan code of [ is the X key code of E: the virtual key,
    // not the scan code, decides there.
    QTest::newRow("Windows Х is not E") << 0x425 << 0xdbu << 0x1au << none << 0x425;
    QTest::newRow("X11 Х is [") << 0x425 << 0x6e8u << 34u << none << int(Qt::Key_BracketLeft);
    QTest::newRow("X11 code outside the letter block") << ef << 0x6c1u << 9u << ctrl << ef;
}

void TestLatinKey::shortcutKeys()
{
    QFETCH(int, qtKey);
    QFETCH(uint, nativeVirtualKey);
    QFETCH(uint, nativeScanCode);
    QFETCH(int, modifiers);
    QFETCH(int, expected);
    QCOMPARE(latinKeyFor(qtKey, nativeVirtualKey, nativeScanCode, Qt::KeyboardModifiers(modifiers)),
             expected);
}

void TestLatinKey::unchangedKeys_data()
{
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<uint>("nativeVirtualKey");
    QTest::addColumn<uint>("nativeScanCode");
    QTest::addColumn<int>("modifiers");

    // A Latin key stays itself even where the key code names another key
    // (a Dvorak layout).
    QTest::newRow("Latin F") << int(Qt::Key_F) << 0x66u << 41u << int(Qt::ControlModifier);
    QTest::newRow("Latin F, Dvorak place") << int(Qt::Key_F) << 0x66u << 30u << 0;
    QTest::newRow("Latin Z synthesized") << int(Qt::Key_Z) << 0u << 0u << 0;
    QTest::newRow("F5") << int(Qt::Key_F5) << 0xffc2u << 71u << 0;
    QTest::newRow("F12 synthesized") << int(Qt::Key_F12) << 0u << 0u << 0;
    QTest::newRow("Return") << int(Qt::Key_Return) << 0xff0du << 36u << int(Qt::ControlModifier);
    QTest::newRow("Up") << int(Qt::Key_Up) << 0xff52u << 111u << 0;
    QTest::newRow("Delete") << int(Qt::Key_Delete) << 0u << 0u << 0;
    QTest::newRow("digit 1") << int(Qt::Key_1) << 0x31u << 10u << 0;
    QTest::newRow("keypad Cyrillic is no letter") << ef << 0u << 0u << int(Qt::KeypadModifier);
    QTest::newRow("Greek alpha, no native codes") << 0x391 << 0u << 0u << 0;
    QTest::newRow("Cyrillic with unknown native code") << ef << 0x41u + 0x80u << 3u << 0;
}

void TestLatinKey::unchangedKeys()
{
    QFETCH(int, qtKey);
    QFETCH(uint, nativeVirtualKey);
    QFETCH(uint, nativeScanCode);
    QFETCH(int, modifiers);
    QCOMPARE(latinKeyFor(qtKey, nativeVirtualKey, nativeScanCode, Qt::KeyboardModifiers(modifiers)),
             qtKey);
}

void TestLatinKey::russianLayoutTable_data()
{
    QTest::addColumn<QString>("cyrillic");
    QTest::addColumn<QString>("latin");
    QTest::newRow("top row") << QString("ЙЦУКЕНГШЩЗХЪ") << QString("QWERTYUIOP[]");
    QTest::newRow("home row") << QString("ФЫВАПРОЛДЖЭ") << QString("ASDFGHJKL;'");
    QTest::newRow("bottom row") << QString("ЯЧСМИТЬБЮ") << QString("ZXCVBNM,.");
    QTest::newRow("Ё") << QString("Ё") << QString("`");
}

void TestLatinKey::russianLayoutTable()
{
    QFETCH(QString, cyrillic);
    QFETCH(QString, latin);
    QCOMPARE(cyrillic.size(), latin.size());
    for (int i = 0; i < cyrillic.size(); ++i) {
        const int key = cyrillic.at(i).unicode();
        QCOMPARE(latinKeyOfRussianLayout(key), int(latin.at(i).unicode()));
        QCOMPARE(latinKeyFor(key, 0, 0, Qt::NoModifier), int(latin.at(i).unicode()));
    }
    QCOMPARE(latinKeyOfRussianLayout(Qt::Key_F), 0);
}

void TestLatinKey::typedCyrillicIsNeverARunKey_data()
{
    QTest::addColumn<int>("modifiers");
    QTest::newRow("no modifier") << int(Qt::NoModifier);
    QTest::newRow("Shift") << int(Qt::ShiftModifier);
}

// Typing an answer in Russian during a run: no letter is a run key, neither
// in the answer input nor on the learning tab elsewhere.
void TestLatinKey::typedCyrillicIsNeverARunKey()
{
    QFETCH(int, modifiers);
    const auto mods = Qt::KeyboardModifiers(modifiers);
    for (int key = 0x401; key <= 0x42f; ++key) {
        if (!QChar(key).isLetter())
            continue;
        for (const bool inAnswer : {true, false}) {
            const int latin = latinKeyFor(key, 0, 0, mods);
            QVERIFY2(runKeyAction(latin, mods, true, MainTab::Learning, inAnswer) ==
                         RunKeyAction::None,
                     qPrintable(QString(QChar(key))));
        }
    }
}

void TestLatinKey::ctrlCyrillicRunKeys()
{
    // Ctrl+Я is Ctrl+Z (back one card); no other Ctrl+letter is a run key.
    for (int key = 0x410; key <= 0x42f; ++key) {
        const int latin = latinKeyFor(key, 0, 0, Qt::ControlModifier);
        const RunKeyAction expected = key == ya ? RunKeyAction::Previous : RunKeyAction::None;
        QVERIFY2(runKeyAction(latin, Qt::ControlModifier, true, MainTab::Learning, true) ==
                     expected,
                 qPrintable(QString(QChar(key))));
    }
}

QTEST_GUILESS_MAIN(TestLatinKey)
#include "test_latin_key.moc"
