#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Plain text files of the tools window: the encodings it reads and writes,
// the line ends, the names it saves under and its message texts.

// The items of the encoding box, by index; any other index reads and writes
// Latin-1.
enum class TextEncoding { Locale = 0, Unicode = 1, UnicodeUTF8 = 2, Latin1 = 3 };

TextEncoding textEncodingForIndex(int index);
// "Locale", "Unicode", "UnicodeUTF8".
QStringList textEncodingNames();
// What each of those names means, in words a learner reads: "Системная
// (UTF-8)", "UTF-16", "UTF-8". (Qt 6 takes the system's 8-bit encoding on
// Linux to be UTF-8.)
QStringList textEncodingLabels();

// The file's bytes as text. A byte-order mark wins over the chosen encoding
// and is not part of the text. CR LF and lone CR become LF, so the editor
// holds one kind of line end and saving writes exactly one CR LF for each.
QString decodeTextFile(const QByteArray &bytes, TextEncoding encoding);
// The text with every LF written as CR LF; "Unicode" is UTF-16 with a
// byte-order mark. Characters the encoding lacks are written as its
// replacement character.
QByteArray encodeTextFile(const QString &text, TextEncoding encoding);

// The name "save under a name" writes to: names that end neither in ".xml"
// nor ".txt" (in any case) get ".txt", or "txt" after a final ".".
QString textFileSaveName(const QString &chosen);

// Reads a whole file; false with the system's reason in `*error` when it
// cannot be read.
bool readTextFile(const QString &path, TextEncoding encoding, QString *text, QString *error);
// Replaces the file through the program's safe save: on failure the old file
// stays whole and `*error` says why.
bool writeTextFile(const QString &path, const QString &text, TextEncoding encoding, QString *error);

namespace ToolsText
{
QString fileFilter();
QString openTitle();
QString saveAsTitle();
QString emptyEditor();
QString neverSaved();
QString saveQuestion(const QString &file);
QString saveFailed(const QString &file);
QString openFailed(const QString &file);
QString replaceQuestion(const QString &file);
QString clearQuestion();
QString searchFromTopQuestion();
QString initialText();
} // namespace ToolsText
