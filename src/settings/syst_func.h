#pragma once

#include <QString>
#include <QStringList>

// Whole-file text helpers for the settings files: 8-bit Windows-1251 text,
// read and written in one piece.
namespace SYST_FUNC
{

// Reads the whole file into `text`. `facts`, when given, receives five
// strings taken from the name before the file is opened: the name as passed,
// the absolute file path, the absolute directory path, the file name without
// directory and the complete extension. On failure `text` is emptied, the
// failing step is printed to standard output and false is returned. `quiet`
// asks for no notice to the user; this library never shows one.
bool openTxtFile(const QString &fileName, QString &text, QStringList *facts = nullptr,
                 bool quiet = false);

// Writes `text` as the whole file. Line ends are written as they are. The
// file is replaced only when everything was written: a failure at any step
// leaves an existing file as it was and returns false. Characters the code
// page lacks are written as "?".
bool saveTxtFile(const QString &fileName, const QString &text, QStringList *facts = nullptr,
                 bool quiet = false);

} // namespace SYST_FUNC
