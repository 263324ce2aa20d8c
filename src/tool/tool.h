#pragma once

#include "core/settings/command_line.h"

#include <QString>
#include <QStringList>

// The commands of lexitor-tool, without a process: `arguments` as the
// program got them (its own name first); what it prints goes to `out` and
// `err`. Returns the exit code: 0 all well, 1 something was skipped or
// refused, 2 a file could not be read or written or the command line is
// wrong.
int runTool(const QStringList &arguments, ConsoleLanguage language, QString *out, QString *err);
