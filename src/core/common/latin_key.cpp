#include "core/common/latin_key.h"

#include <QChar>

namespace
{

bool isLatinLetter(int key)
{
    return key >= Qt::Key_A && key <= Qt::Key_Z;
}

// A letter outside Latin-1: Cyrillic, Greek and so on. Qt gives a letter key
// as its upper-case Unicode code point.
bool isOtherScriptLetter(int key)
{
    return key > 0xff && key < 0x10000 && QChar(char16_t(key)).isLetter();
}

// X11 and Wayland key codes of the letter block (Linux evdev code plus 8),
// row by row as on a US keyboard.
int latinKeyOfXKeyCode(quint32 code)
{
    struct Row {
        quint32 first;
        const char *keys;
    };
    static constexpr Row rows[] = {
        {24, "QWERTYUIOP[]"},
        {38, "ASDFGHJKL;'`"},
        {52, "ZXCVBNM,./"},
    };
    for (const Row &row : rows) {
        const quint32 length = quint32(qstrlen(row.keys));
        if (code >= row.first && code < row.first + length)
            return row.keys[code - row.first];
    }
    return 0;
}

} // namespace

int latinKeyOfRussianLayout(int qtKey)
{
    // Upper-case Cyrillic, А to Я, then Ё: the US key in the same place.
    static constexpr char keys[] = "F,DULT;PBQRKVYJGHCNEA[WXIO]SM'.Z";
    if (qtKey >= 0x410 && qtKey <= 0x42f)
        return keys[qtKey - 0x410];
    if (qtKey == 0x401)
        return '`';
    return 0;
}

int latinKeyFor(int qtKey, quint32 nativeVirtualKey, quint32 nativeScanCode,
                Qt::KeyboardModifiers modifiers)
{
    if (modifiers.testFlag(Qt::KeypadModifier) || isLatinLetter(qtKey) ||
        !isOtherScriptLetter(qtKey))
        return qtKey;
    // Windows: the virtual key of a letter is its Latin capital in any layout.
    if (isLatinLetter(int(nativeVirtualKey)))
        return int(nativeVirtualKey);
    // X11 and Wayland: a non-Latin letter has a key symbol above Latin-1;
    // the key code names the physical key.
    if (nativeVirtualKey > 0xff) {
        const int key = latinKeyOfXKeyCode(nativeScanCode);
        return key ? key : qtKey;
    }
    if (nativeVirtualKey == 0 && nativeScanCode == 0) {
        const int key = latinKeyOfRussianLayout(qtKey);
        return key ? key : qtKey;
    }
    return qtKey;
}
