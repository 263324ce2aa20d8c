#pragma once

#include "core/dictionary/dictionary.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

class FilterSettings;
class Prompts;
class iniReader;
struct ReadOutcome;
struct WriteOutcome;

// What the window must do once a file operation has returned. The window
// calls updateActionStates after every operation in any case.
struct FileOutcome {
    enum Table {
        Keep,          // the table still shows the dictionary rightly
        Refresh,       // filter, sort and rebuild the table (slot_refresh)
        RefreshAndFit, // the same, then fit the columns to the new contents
    };
    Table table = Keep;
    // The filter's active state changed (its saved lessons were taken back
    // in), so the filter button needs its other picture.
    bool filterIconChanged = false;
};

// Where a long file operation stands, for a progress window.
struct FileProgress {
    enum Stage {
        Opening,  // reading `path`
        Saving,   // writing `path`
        Finished, // the operation is over: the window goes away
    };
    Stage stage = Opening;
    QString path;
    int done = 0;             // files finished before this one
    int total = 0;            // files of the operation
    bool cancellable = false; // only opening can be cancelled
};

// Two or more open files, or one and new cards: something to join.
bool joinPossible(const Dictionary &dict);

// Opening, saving, saving under a new name, closing and joining dictionary
// files: every decision and every prompt of these operations, without a
// widget. The window keeps what only it knows: it refuses these operations
// while a run is going, runs the join dialog, shows the wait cursor through
// the busy hook, and rebuilds its table as each outcome says.
//
// All texts go through `prompts`, whose boxes carry the caption "Словарь".
class DictionaryFiles
{
public:
    // The entries the choice lists offer besides the open paths.
    static const QString &newCardsChoice(); // "Новые карточки" (save as)
    static const QString &closeAllChoice(); // "Всё (кроме несохраненных карточек)"
    static const QString &deleteNewChoice(); // "Удалить новые слова"

    // `settings` holds PATHS:dict_dir; `filterStore` holds the filter's saved
    // lessons, which closing writes and opening and closing read back into
    // `filter`. All must outlive this object.
    DictionaryFiles(Dictionary &dict, iniReader &settings, iniReader &filterStore,
                    FilterSettings &filter, Prompts &prompts);

    // Called with true when a long step starts and with false when it ends,
    // and with false before each prompt and true after it, so a wait cursor
    // never stands over a box. Never called twice in a row with the same value.
    void setBusyHook(std::function<void(bool busy)> hook) { m_busyHook = std::move(hook); }

    // With this hook a file is read or written on a worker thread while the
    // calling thread calls the hook about every 30 ms, once the file has
    // taken longer than the delay (0.3 s unless set), and once more with the
    // stage Finished when a shown progress is over. The hook keeps the
    // window painted; it returns false when the user cancels. A cancelled
    // open adds nothing, takes back the files it already opened and skips
    // the rest; the file being read is finished and dropped. Without a hook
    // everything runs on the calling thread.
    void setProgressHook(std::function<bool(const FileProgress &)> hook)
    {
        m_progressHook = std::move(hook);
    }
    void setProgressDelay(int ms) { m_progressDelay = ms; }

    // Asks for files and opens each one that passes the checks.
    FileOutcome open();
    // Asks for dictionary files, starting in the folder last used; empty
    // when the user cancels.
    QStringList askOpenPaths();
    // Opens each of `paths` that passes the checks, telling every refusal,
    // exactly as for files chosen in the dialog (also used for the files
    // named on the command line).
    FileOutcome openPaths(const QStringList &paths);
    // Writes every open file that has cards, after one question.
    FileOutcome saveAll();
    // Saves the whole dictionary, or one file or the new cards at a time,
    // under new names. `byFiles`: the table groups by file, so new paths need
    // a rebuild.
    FileOutcome saveAs(bool byFiles);
    // Closes one file, all files or the new cards, as the user chooses.
    FileOutcome close();

    // Something can be joined: two or more open files, or one and new cards.
    bool joinPossible() const;
    // Before the join dialog: true when it may be shown; otherwise the user is
    // told there is nothing to join.
    bool checkJoin();
    // After the join dialog was accepted: the cards of `source` ("" = the new
    // cards) go to the open file `target`, and an open `source` is closed.
    // Nothing is written. A pair the dialog could not have offered changes
    // no card and is taken as a cancel; so is a source card that a file could
    // not give back (cardFileProblem), after a warning naming it.
    FileOutcome join(const QString &source, const QString &target);
    // After the join dialog was cancelled.
    FileOutcome joinCancelled();

    // Asks for a new dictionary file name until one is given or the user
    // cancels (empty result). The name gets the ".xml" ending; with
    // `forbidExisting` an existing file is refused and the question comes back.
    QString askSaveFileName(bool forbidExisting);

    // Files already copied to "<name>.bak" in this program run.
    const QSet<QString> &backedUp() const { return m_backedUp; }

private:
    class BusyScope;
    void setBusy(bool busy);
    // Every prompt goes through these, which take the busy state away first.
    void inform(const QString &text);
    void warn(const QString &text);
    void critical(const QString &text);
    bool askYes(const QString &text);
    QString chooseItem(const QString &label, const QStringList &items, bool *ok);
    bool filterActive() const;
    // Runs `work` as the progress hook says; false when the user cancelled.
    // Runs `work` on a worker while the hook reports progress; a cancel is
    // passed on to the work through the flag it is given.
    bool runWithProgress(FileProgress progress,
                         const std::function<void(const std::atomic<bool> &)> &work);
    // Reads one file into the dictionary; false when the user cancelled.
    bool readWithProgress(const QString &path, int done, int total, ReadOutcome *read);
    WriteOutcome writeWithProgress(QList<Card> &cards, const QString &path, int done, int total);

    Dictionary &m_dict;
    iniReader &m_settings;
    iniReader &m_filterStore;
    FilterSettings &m_filter;
    Prompts &m_prompts;
    std::function<void(bool)> m_busyHook;
    std::function<bool(const FileProgress &)> m_progressHook;
    int m_progressDelay = 300;
    bool m_busy = false;
    QSet<QString> m_backedUp;
};
