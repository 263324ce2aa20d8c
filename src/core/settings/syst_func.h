#pragma once

#include <QString>
#include <QStringList>

// Whole-file text helpers for the settings files: 8-bit Windows-1251 text,
// read and written in one piece.
namespace SYST_FUNC
{

enum class TextEncoding { Windows1251, Utf8, Utf16LE, Utf16BE };

// The text of a settings file however an editor saved it: a byte-order mark
// (UTF-8, UTF-16 in either order) decides; without one, valid UTF-8 holding
// at least one multi-byte character is UTF-8; anything else is Windows-1251.
// `found`, when given, receives the encoding used.
QString decodeSettingsBytes(const QByteArray &bytes, TextEncoding *found = nullptr);
// The bytes of `text` in `encoding`; UTF-8 gets its byte-order mark. In
// Windows-1251 a character the code page lacks is written as "?".
QByteArray encodeSettingsText(const QString &text, TextEncoding encoding);
// Every character of `text` has a byte in Windows-1251.
bool fitsWindows1251(const QString &text);

// Reads the whole file into `text`. `facts`, when given, receives five
// strings taken from the name before the file is opened: the name as passed,
// the absolute file path, the absolute directory path, the file name without
// directory and the complete extension. On failure `text` is emptied, the
// failing step is printed to standard output and false is returned. `quiet`
// asks for no notice to the user; this library never shows one.
// With `detected` given, the encoding is recognised as decodeSettingsBytes
// does and reported there; without it the file is Windows-1251.
bool openTxtFile(const QString &fileName, QString &text, QStringList *facts = nullptr,
                 bool quiet = false, TextEncoding *detected = nullptr);

// Writes `text` as the whole file. Line ends are written as they are. The
// file is replaced only when everything was written: a failure at any step
// leaves an existing file as it was and returns false, with the system's
// reason in `*error` when given. In Windows-1251 (the default) characters
// the code page lacks are written as "?".
bool saveTxtFile(const QString &fileName, const QString &text, QStringList *facts = nullptr,
                 bool quiet = false, QString *error = nullptr,
                 TextEncoding encoding = TextEncoding::Windows1251);

} // namespace SYST_FUNC
