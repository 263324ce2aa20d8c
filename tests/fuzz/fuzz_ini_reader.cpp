// Settings files from any bytes: whatever encoding and line ends they have,
// reading never crashes, and saving never changes a value silently: every
// key comes back as it was read, or is named in a note. A second load and
// save changes nothing at all.

#include "fuzz_support.h"

#include "core/settings/ini_reader.h"
#include "core/settings/syst_func.h"

namespace
{

using SYST_FUNC::TextEncoding;

bool sameEntry(const IniEntry &a, const IniEntry &b, TextEncoding written)
{
    // Comments are not checked on writing: in Windows-1251 a character it
    // lacks becomes "?", as it always did.
    QString commentA = a.comment;
    if (written == TextEncoding::Windows1251)
        commentA = QStringDecoder("windows-1251")
                       .decode(SYST_FUNC::encodeSettingsText(commentA, TextEncoding::Windows1251));
    return a.kind == b.kind && a.section == b.section && a.key == b.key && a.value == b.value &&
           commentA == b.comment;
}

QString describe(const IniEntry &e)
{
    return QStringLiteral("%1 [%2] %3=%4 #%5")
        .arg(e.kind)
        .arg(e.section, e.key, e.value, e.comment);
}

// Saves `store` as a file would hold it, and reads that back into `back`.
QString saveAndLoad(const iniReader &store, iniReader &back, QStringList *notes,
                    TextEncoding *written)
{
    const QString text = store.fileText(written, notes);
    TextEncoding readAs = TextEncoding::Windows1251;
    const QString decoded =
        SYST_FUNC::decodeSettingsBytes(SYST_FUNC::encodeSettingsText(text, *written), &readAs);
    fuzzCheck(decoded == text || *written == TextEncoding::Windows1251,
              "a Unicode file reads back changed");
    back.loadText(decoded, readAs);
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    TextEncoding found = TextEncoding::Windows1251;
    const QString text = SYST_FUNC::decodeSettingsBytes(bytes, &found);
    iniReader first;
    first.loadText(text, found);
    for (const IniEntry &e : first.entries()) {
        if (e.kind == IniEntry::Key) {
            fuzzCheck(iniReader::isValidName(e.key) && !e.value.isEmpty(), "bad key line kept");
            (void)first.readEntry(e.section + QLatin1Char(':') + e.key);
        }
    }

    iniReader second;
    QStringList notes;
    TextEncoding written = TextEncoding::Windows1251;
    const QString text1 = saveAndLoad(first, second, &notes, &written);

    // Every entry comes back in order, except keys named in a note and
    // blank lines (which are dropped on load).
    const QList<IniEntry> &a = first.entries();
    const QList<IniEntry> &b = second.entries();
    qsizetype j = 0;
    qsizetype dropped = 0;
    for (const IniEntry &e : a) {
        if (j < b.size() && sameEntry(e, b[j], written)) {
            ++j;
        } else if (e.kind == IniEntry::Key) {
            ++dropped;
        } else {
            fuzzCheck(e.kind == IniEntry::Comment && e.comment.isEmpty(), "entry lost or changed",
                      describe(e) + QStringLiteral("\n---- file text ----\n") + text1);
        }
    }
    fuzzCheck(j == b.size(), "entries appeared on reading back", text1);
    fuzzCheck(dropped == notes.size(), "a key was left out without a note",
              notes.join(QLatin1Char('\n')) + QStringLiteral("\n---- file text ----\n") + text1);

    iniReader third;
    QStringList notes2;
    TextEncoding written2 = TextEncoding::Windows1251;
    const QString text2 = saveAndLoad(second, third, &notes2, &written2);
    fuzzCheck(notes2.isEmpty(), "second save still has notes", notes2.join(QLatin1Char('\n')));
    QStringList notes3;
    TextEncoding written3 = TextEncoding::Windows1251;
    fuzzCheck(third.fileText(&written3, &notes3) == text2, "second round changed the file", text2);
    return 0;
}
