#pragma once

#include "core/dictionary/dictionary.h"
#include "core/dictionary/prompts.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class FileWatch;
class FilterSettings;
class iniReader;
struct ReadOutcome;
struct WriteOutcome;

// What a long step of a file job is doing, for a progress window.
struct FileProgress {
    enum Stage {
        Opening,  // reading `path`
        Saving,   // writing `path`
        Finished, // the step is over (only test runners report it)
    };
    Stage stage = Opening;
    QString path;
    int done = 0;             // files finished before this one
    int total = 0;            // files of the operation
    bool cancellable = false; // only opening can be cancelled
};

// Runs the long step of a file job (reading or writing one file) and returns
// once it is over. The window's runner does the work on a worker thread
// behind a progress window; without a runner it runs on the calling thread.
class FileJobRunner
{
public:
    using Work = std::function<void(const std::atomic<bool> &cancel)>;
    virtual ~FileJobRunner() = default;
    // False when the user cancelled (only a cancellable step can be): the
    // work saw `cancel` turn true and stopped; what it made is dropped.
    virtual bool run(const FileProgress &progress, const Work &work) = 0;
};

// A dictionary file name (the name, not the folders): its first ".xml" ends it.
bool isDictionaryFileName(const QString &path);

// Opening, saving, saving under a new name, closing and joining dictionary
// files: every decision and every prompt of these operations, without a
// widget. Each is one file job of the dictionary: it refuses to start while
// another runs, and the dictionary's signals tell the views what changed.
// The window keeps what only it knows: it refuses these operations while a
// run is going, runs the join dialog and shows the wait cursor through the
// busy hook.
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
    // Where reading and writing run; not owned, may be null (the calling
    // thread). A cancelled open adds nothing and skips the rest of its files.
    void setJobRunner(FileJobRunner *runner) { m_runner = runner; }
    // Runs on the open's worker thread, over a copy of the dictionary as it
    // will be once the opened cards are in, before it replaces the
    // dictionary: the views compute there what they show of it (the
    // filter's marks, the table's order), off the window's thread. Nothing
    // else sees the copy until then. None: nothing runs.
    void setOpenPreparer(std::function<void(Dictionary &staged)> prepare)
    {
        m_prepare = std::move(prepare);
    }
    // The locks, stamps and bases of the open files (not owned; null: files
    // are neither locked nor checked for changes on disk).
    void setFileWatch(FileWatch *watch) { m_watch = watch; }

    // Texts of the question about a file changed on disk.
    static const QString &mergeChoice();   // "Объединить"
    static const QString &replaceChoice(); // "Сохранить поверх"
    static const QString &saveAsChoice();  // "Сохранить как…"
    static const QString &cancelChoice();  // "Отмена"

    // `path` may have changed on disk: with no unsaved change in it, offers
    // to read it again; with unsaved changes, to merge, to save over it, to
    // save under another name, or to leave it. Asks once per version on
    // disk, and nothing when the file is unchanged.
    void checkOutsideChange(const QString &path);
    // The same for every open file.
    void checkOutsideChanges();

    // Asks for files and opens each one that passes the checks.
    void open();
    // Asks for dictionary files, starting in the folder last used; empty
    // when the user cancels.
    QStringList askOpenPaths();
    // Opens each of `paths` that passes the checks, telling every refusal,
    // exactly as for files chosen in the dialog (also used for the files
    // named on the command line). False when nothing was opened.
    bool openPaths(const QStringList &paths);
    // Writes every open file that has cards, after one question.
    void saveAll();
    // Saves the whole dictionary, or one file or the new cards at a time,
    // under new names.
    void saveAs();
    // Closes one file, all files or the new cards, as the user chooses.
    void close();

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
    void join(const QString &source, const QString &target);
    // After the join dialog was cancelled.
    void joinCancelled();

    // Asks for a new dictionary file name until one is given or the user
    // cancels (empty result). The name gets the ".xml" ending; a name the
    // open would refuse is refused, and with `forbidExisting` so is an
    // existing file; the question then comes back.
    QString askSaveFileName(bool forbidExisting);

    // Files already copied to "<name>.bak" in this program run.
    const QSet<QString> &backedUp() const { return m_backedUp; }

private:
    enum class DiskChoice { Merge, Replace, SaveAs, Cancel };
    DiskChoice askAboutDiskChange(const QString &path, bool atSave);
    // Reads `source` (the file itself, or a sync copy of it without a base)
    // and merges it into the cards of `path`; false when it could not be
    // read, after saying why.
    bool mergeFromDisk(const QString &path, const QString &source, bool report);
    // Writes the cards of `path` over it; false when not written.
    bool writeOne(const QString &path);
    // Saves the cards of `path` under a new name, which takes its place;
    // the new name, or empty when nothing was written.
    QString saveOneAs(const QString &path);
    // The file was just written with the cards `ids` (file order).
    void rememberWritten(const QString &path, const QList<int> &ids);
    QList<int> idsAt(const std::vector<int> &positions) const;
    // Sync copies beside the opened files, with an offer to merge them.
    void offerSyncCopies(const QStringList &paths);

    class BusyScope;
    class JobScope;
    void setBusy(bool busy);
    // Every prompt goes through these, which take the busy state away first.
    void inform(const QString &text);
    void warn(const QString &text);
    void critical(const QString &text);
    // `defaultAnswer` is Prompts::No where "Да" throws unsaved cards away.
    bool askYes(const QString &text, Prompts::Answer defaultAnswer = Prompts::Yes);
    QString chooseItem(const QString &label, const QStringList &items, bool *ok);
    bool runStep(const FileProgress &progress, const FileJobRunner::Work &work);
    // Reads one file into `loaded`, then runs `then` on the same worker;
    // false when the user cancelled.
    bool readFile(const QString &path, int done, int total, Dictionary &loaded, ReadOutcome *read,
                  const FileJobRunner::Work &then = nullptr);
    // Frees the cards of an open's dictionaries on a pool thread.
    static void freeLater(std::vector<std::pair<QString, std::unique_ptr<Dictionary>>> files,
                          std::unique_ptr<Dictionary> staged);
    // Writes the cards at `positions` (all when null) to `path`; `order`
    // receives the written positions in file order.
    WriteOutcome writeCards(const std::vector<int> *positions, const QString &path, int done,
                            int total, std::vector<int> *order);

    Dictionary &m_dict;
    iniReader &m_settings;
    iniReader &m_filterStore;
    FilterSettings &m_filter;
    Prompts &m_prompts;
    std::function<void(bool)> m_busyHook;
    std::function<void(Dictionary &)> m_prepare;
    FileJobRunner *m_runner = nullptr;
    FileWatch *m_watch = nullptr;
    bool m_checking = false;
    bool m_busy = false;
    QSet<QString> m_backedUp;
};

// Two or more open files, or one and new cards: something to join.
bool joinPossible(const Dictionary &dict);
