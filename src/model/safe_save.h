#pragma once

#include <QByteArray>
#include <QString>

// Which step of a safe save failed, for callers whose messages name the step.
enum class SaveStep {
    None,   // nothing failed
    Open,   // the temporary file beside the target could not be made
    Write,  // writing or flushing the bytes failed
    Commit, // the temporary file could not take the target's place
};

// The one way this program replaces a file the user owns: the bytes go to a
// temporary file in the same folder, which is renamed over the old file only
// once everything was written and flushed. On any failure the old file stays
// whole (or absent), no temporary file is left behind, false is returned and
// `*error` (when given) holds the system's reason, never empty; `*failedStep`
// (when given) says which step failed.
bool saveFileAtomically(const QString &path, const QByteArray &bytes, QString *error,
                        SaveStep *failedStep = nullptr);
