#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The folder the program works in: settings.ini, settings_filter.ini,
// icons/ and sounds/ are found there.
struct WorkFolder {
    QString path;
    // The per-user data folder rather than the folder the program was
    // started in.
    bool userFolder = false;
    // What could not be prepared, one line each, for standard error. The
    // program still starts: without pictures the buttons are bare, and a
    // folder that cannot be written is reported when the settings are saved.
    QStringList problems;
};

// The folder already serves the program: it holds settings.ini or the
// button pictures (icons/Caption_icon.png). A bare "icons" folder of the
// user's own does not count.
bool holdsProgramFiles(const QString &dir);

// The current user may create and replace files in the folder.
bool canWriteIn(const QString &dir);

// Where an installed program looks for its shared files (pictures, example
// dictionaries and sound), for the program file in `appDir`: beside the
// installed program first, then the folder it was built for, then the build
// folder itself.
QStringList installedDataFolders(const QString &appDir);

// The first of `candidates` that holds the button pictures (icons/); empty
// when none does.
QString findDataFolder(const QStringList &candidates);

// The folder the program was started in when it already serves the program
// and may be written; otherwise the per-user folder `userDir`, prepared from
// the installed `dataFolder` (see prepareUserFolder). With no user folder
// known the program stays where it was started.
WorkFolder chooseWorkFolder(const QString &currentDir, const QString &userDir,
                            const QString &dataFolder,
                            const std::function<bool(const QString &)> &writable = canWriteIn);

// Creates the per-user folder and fills in what is missing: the button
// pictures stay in the installed folder (found through the search path; a
// link to them left by an earlier version is removed, and a pictures folder
// of the user's own gets copies of the ones it lacks), sounds/ with the example sound and examples/
// with the example dictionaries (each copied only when its folder is new, so nothing the user
// deleted comes back), and a first settings.ini whose open dialog starts in examples/. Existing
// files are never touched. Returns the problems.
QStringList prepareUserFolder(const QString &userDir, const QString &dataFolder);
