#include "core/dictionary/dictionary_files.h"

#include "core/dictionary/card_check.h"
#include "core/dictionary/dictionary_file.h"
#include "core/dictionary/prompts.h"
#include "core/find/filter_settings.h"
#include "core/settings/app_settings.h"
#include "core/settings/ini_reader.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

const QString &DictionaryFiles::newCardsChoice()
{
    static const QString s = QStringLiteral("Новые карточки");
    return s;
}

const QString &DictionaryFiles::closeAllChoice()
{
    static const QString s = QStringLiteral("Всё (кроме несохраненных карточек)");
    return s;
}

const QString &DictionaryFiles::deleteNewChoice()
{
    static const QString s = QStringLiteral("Удалить новые слова");
    return s;
}

// Busy for as long as it lives; nested scopes keep the outer state.
class DictionaryFiles::BusyScope
{
public:
    explicit BusyScope(DictionaryFiles &files) : m_files(files), m_was(files.m_busy)
    {
        m_files.setBusy(true);
    }
    ~BusyScope() { m_files.setBusy(m_was); }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

private:
    DictionaryFiles &m_files;
    bool m_was;
};

DictionaryFiles::DictionaryFiles(Dictionary &dict, iniReader &settings, iniReader &filterStore,
                                 FilterSettings &filter, Prompts &prompts)
    : m_dict(dict), m_settings(settings), m_filterStore(filterStore), m_filter(filter),
      m_prompts(prompts)
{
}

void DictionaryFiles::setBusy(bool busy)
{
    if (m_busy == busy)
        return;
    m_busy = busy;
    if (m_busyHook)
        m_busyHook(busy);
}

void DictionaryFiles::inform(const QString &text)
{
    const bool was = m_busy;
    setBusy(false);
    m_prompts.showInformation(text);
    setBusy(was);
}

void DictionaryFiles::warn(const QString &text)
{
    const bool was = m_busy;
    setBusy(false);
    m_prompts.showWarning(text);
    setBusy(was);
}

void DictionaryFiles::critical(const QString &text)
{
    const bool was = m_busy;
    setBusy(false);
    m_prompts.showCritical(text);
    setBusy(was);
}

bool DictionaryFiles::askYes(const QString &text)
{
    const bool was = m_busy;
    setBusy(false);
    const bool yes = m_prompts.askYesNo(text) == Prompts::Yes;
    setBusy(was);
    return yes;
}

QString DictionaryFiles::chooseItem(const QString &label, const QStringList &items, bool *ok)
{
    const bool was = m_busy;
    setBusy(false);
    const QString choice = m_prompts.getItem(label, items, ok);
    setBusy(was);
    return choice;
}

bool DictionaryFiles::filterActive() const
{
    return m_filter.isActive();
}

// ---------------------------------------------------------------- progress

bool DictionaryFiles::runWithProgress(FileProgress progress,
                                      const std::function<void(const std::atomic<bool> &)> &work)
{
    std::atomic<bool> cancel{false};
    if (!m_progressHook) {
        work(cancel);
        return true;
    }
    std::mutex mutex;
    std::condition_variable ended;
    bool finished = false;
    std::thread worker([&] {
        work(cancel);
        const std::lock_guard<std::mutex> lock(mutex);
        finished = true;
        ended.notify_all();
    });
    QElapsedTimer clock;
    clock.start();
    bool cancelled = false;
    bool shown = false;
    for (;;) {
        // The hook also keeps the window painted, so it is called even after
        // a cancel, until the worker is done.
        if (clock.elapsed() >= m_progressDelay) {
            shown = true;
            if (!m_progressHook(progress) && progress.cancellable) {
                cancelled = true;
                cancel = true; // the worker stops soon and keeps nothing
            }
        }
        std::unique_lock<std::mutex> lock(mutex);
        if (ended.wait_for(lock, std::chrono::milliseconds(30), [&] { return finished; }))
            break;
    }
    worker.join();
    if (shown) {
        progress.stage = FileProgress::Finished;
        m_progressHook(progress);
    }
    return !cancelled;
}

bool DictionaryFiles::readWithProgress(const QString &path, int done, int total, ReadOutcome *read)
{
    if (!m_progressHook) {
        *read = readDictionaryFile(m_dict, path);
        return true;
    }
    // The worker reads into a dictionary of its own; the cards enter this
    // one on this thread, in document order, and only when not cancelled.
    Dictionary loaded;
    loaded.categoryList = m_dict.categoryList;
    FileProgress progress;
    progress.stage = FileProgress::Opening;
    progress.path = path;
    progress.done = done;
    progress.total = total;
    progress.cancellable = true;
    if (!runWithProgress(progress, [&](const std::atomic<bool> &cancel) {
            *read = readDictionaryFile(loaded, path, &cancel);
        }))
        return false;
    if (read->added) {
        m_dict.reserve(m_dict.cardCount() + loaded.cardCount());
        QList<Card> cards = loaded.takeCards();
        for (Card &c : cards)
            m_dict.addCard(std::move(c));
        m_dict.lessons.insert(loaded.lessons.begin(), loaded.lessons.end());
    }
    return true;
}

WriteOutcome DictionaryFiles::writeWithProgress(QList<Card> &cards, const QString &path, int done,
                                                int total)
{
    WriteOutcome out;
    FileProgress progress;
    progress.stage = FileProgress::Saving;
    progress.path = path;
    progress.done = done;
    progress.total = total;
    runWithProgress(progress, [&](const std::atomic<bool> &) {
        out = writeDictionaryFile(cards, path, m_dict.categoryList, &m_backedUp);
    });
    return out;
}

// ---------------------------------------------------------------- open

FileOutcome DictionaryFiles::open()
{
    return openPaths(askOpenPaths());
}

QStringList DictionaryFiles::askOpenPaths()
{
    QString dir = readDictDir(m_settings);
    if (!dir.isEmpty() && !QFileInfo(dir).isDir())
        dir.clear();
    return m_prompts.getOpenFileNames(QStringLiteral("Выберите файлы для открытия"), dir,
                                      QStringLiteral("Словари (*.xml);;Все(*.*)"));
}

FileOutcome DictionaryFiles::openPaths(const QStringList &paths)
{
    FileOutcome outcome;
    if (paths.isEmpty())
        return outcome;

    BusyScope busy(*this);
    QString last;
    // What a cancel takes back.
    const StringSet lessonsBefore = m_dict.lessons;
    const int idCounterBefore = m_dict.idCounter;
    QStringList opened;
    int done = -1;
    for (const QString &path : paths) {
        ++done;
        // The first ".xml" must end the name: "notes.XML" and "a.xml.txt"
        // are not dictionaries.
        const qsizetype ext = path.indexOf(QLatin1String(".xml"));
        if (ext < 0 || ext + 4 != path.size()) {
            warn(QStringLiteral("Файл ") + path + QStringLiteral("\nНе является файлом словаря"));
            continue;
        }
        if (m_dict.openFiles.count(path)) {
            warn(QStringLiteral("Файл ") + path + QStringLiteral("\nУже открыт"));
            continue;
        }
        const QString problem = dictionaryOpenProblem(path);
        if (!problem.isEmpty()) {
            warn(QStringLiteral("Файл ") + path + QStringLiteral("\nНе может быть открыт\n") +
                 problem);
            continue;
        }
        // A readable file counts as opened for the table and the folder even
        // when it gives no card.
        ReadOutcome read;
        if (!readWithProgress(path, done, int(paths.size()), &read)) {
            for (const QString &p : opened)
                m_dict.removeFile(p);
            m_dict.lessons = lessonsBefore;
            m_dict.idCounter = idCounterBefore;
            return outcome;
        }
        last = path;
        for (const QString &w : read.warnings)
            warn(w);
        if (!read.opened && !read.openError.isEmpty())
            warn(QStringLiteral("Файл ") + path + QStringLiteral("\nНе может быть открыт\n") +
                 read.openError);
        if (read.added) {
            m_dict.openFiles.insert(path);
            opened << path;
        }
    }
    if (last.isEmpty())
        return outcome;

    // The filter's saved lesson choice may name lessons of the new files.
    const bool wasActive = filterActive();
    m_filter.readLessons(m_filterStore);
    outcome.filterIconChanged = filterActive() != wasActive;
    const qsizetype slash = last.lastIndexOf(QLatin1Char('/'));
    if (slash >= 0)
        writeDictDir(m_settings, last.left(slash));
    outcome.table = FileOutcome::RefreshAndFit;
    return outcome;
}

// ---------------------------------------------------------------- save all

FileOutcome DictionaryFiles::saveAll()
{
    if (!m_dict.changed || m_dict.cardCount() == 0 || m_dict.openFiles.empty())
        return {};
    const QString question = m_dict.openFiles.size() == 1
                                 ? QStringLiteral("Сохранить изменения?")
                                 : QStringLiteral("Сохранить изменения во всех открытых файлах?");
    if (!askYes(question))
        return {};

    QStringList written;
    bool allSaved = true;
    {
        BusyScope busy(*this);
        for (const QString &path : m_dict.openFiles) {
            QList<Card> cards = m_dict.cardsOfFile(path);
            if (cards.isEmpty()) {
                // Every card of this file was deleted: an empty dictionary
                // cannot be read back, so the old file stays and the user is
                // told; the dictionary stays marked as changed.
                allSaved = false;
                warn(QStringLiteral("Файл\n") + path +
                     QStringLiteral("\nне был сохранен: в нем не осталось ни одной "
                                    "карточки.\nФайл на диске остался прежним"));
                continue;
            }
            const WriteOutcome out =
                writeWithProgress(cards, path, int(written.size()), int(m_dict.openFiles.size()));
            for (const QString &w : out.warnings)
                warn(w);
            if (out.ok) {
                written << path;
            } else {
                allSaved = false;
                critical(out.message);
            }
        }
    }
    if (!written.isEmpty()) {
        QString text = QStringLiteral("Было сохранено:\n");
        for (const QString &p : written)
            text += p + QLatin1Char('\n');
        inform(text);
        // One flag covers all files: a file left unsaved keeps it set, so the
        // user is still asked before closing.
        if (allSaved)
            m_dict.changed = false;
    }
    if (m_dict.hasNewCards())
        inform(QStringLiteral(
            "Словарь имеет новые карточки, которые не были сохранены\nНе забудьте сохранить их "
            "вызвав \"Сохранить как\" или объедините с открытым файлом"));
    return {};
}

// ---------------------------------------------------------------- save as

QString DictionaryFiles::askSaveFileName(bool forbidExisting)
{
    const bool was = m_busy;
    setBusy(false);
    QString name;
    for (;;) {
        name =
            m_prompts.getSaveFileName(QStringLiteral("Выберите файл для сохранения"),
                                      readDictDir(m_settings), QStringLiteral("Словари (*.xml)"));
        if (name.isEmpty())
            break;
        if (!name.endsWith(QLatin1String(".xml")))
            name +=
                name.endsWith(QLatin1Char('.')) ? QStringLiteral("xml") : QStringLiteral(".xml");
        if (forbidExisting && QFileInfo::exists(name)) {
            warn(QStringLiteral("Сохранение в существующий файл запрещено.\nВыберите другой файл"));
            continue;
        }
        break;
    }
    setBusy(was);
    return name;
}

FileOutcome DictionaryFiles::saveAs(bool byFiles)
{
    FileOutcome outcome;
    if (m_dict.cardCount() == 0)
        return outcome;
    const bool withNew = m_dict.hasNewCards();
    const size_t n = m_dict.openFiles.size();

    if ((n == 1 && !withNew) || (n == 0 && withNew)) {
        // All cards belong to one file (or none): the whole dictionary goes
        // to the new name, and the old file on disk stays as it was.
        const QString name = askSaveFileName(true);
        if (name.isEmpty())
            return outcome;
        WriteOutcome out;
        {
            BusyScope busy(*this);
            QList<Card> all = m_dict.cards();
            out = writeWithProgress(all, name, 0, 1);
            if (out.ok)
                m_dict.replaceAllCards(std::move(all));
        }
        for (const QString &w : out.warnings)
            warn(w);
        if (!out.ok) {
            critical(out.message);
            return outcome;
        }
        if (n == 1)
            m_dict.openFiles.clear();
        m_dict.openFiles.insert(name);
        m_dict.changed = false;
        if (byFiles)
            outcome.table = FileOutcome::Refresh;
        return outcome;
    }

    // One part at a time, until each was saved or the user cancels. Other
    // parts may still hold changes, so `changed` is left as it was.
    QStringList choices;
    if (withNew)
        choices << newCardsChoice();
    for (const QString &p : m_dict.openFiles)
        choices << p;
    bool wrote = false;
    while (!choices.isEmpty()) {
        bool ok = false;
        const QString choice =
            chooseItem(QStringLiteral("Какой из открытых файлов \"Сохранить как\"?"), choices, &ok);
        if (!ok)
            break;
        const QString path = choice == newCardsChoice() ? QString() : choice;
        const QString name = askSaveFileName(true);
        if (name.isEmpty())
            continue;
        QList<Card> copies = m_dict.cardsOfFile(path);
        if (copies.isEmpty()) {
            critical(QStringLiteral("Ошибка программы\nОшибка заполнения контейнера для "
                                    "выбранного файла\nКонтейнер пуст"));
            break;
        }
        WriteOutcome out;
        {
            BusyScope busy(*this);
            out = writeWithProgress(copies, name, 0, 1);
        }
        for (const QString &w : out.warnings)
            warn(w);
        if (!out.ok) {
            // The cards keep their path and the entry stays on offer.
            critical(out.message);
            continue;
        }
        m_dict.moveToFile(path, name);
        m_dict.openFiles.insert(name);
        if (!path.isEmpty())
            m_dict.openFiles.erase(path);
        choices.removeOne(choice);
        wrote = true;
    }
    if (wrote && byFiles)
        outcome.table = FileOutcome::Refresh;
    return outcome;
}

// ---------------------------------------------------------------- close

FileOutcome DictionaryFiles::close()
{
    FileOutcome outcome;
    if (m_dict.cardCount() == 0) {
        m_dict.openFiles.clear();
        return outcome;
    }
    QString choice;
    if (m_dict.openFiles.empty()) {
        choice = deleteNewChoice();
    } else if (m_dict.openFiles.size() == 1) {
        const QString path = *m_dict.openFiles.begin();
        if (!askYes(QStringLiteral("Закрыть файл\n") + path + QLatin1Char('?')))
            return outcome;
        choice = path;
    } else {
        QStringList items;
        for (const QString &p : m_dict.openFiles)
            items << p;
        items << closeAllChoice() << deleteNewChoice();
        bool ok = false;
        choice = chooseItem(QStringLiteral("Какой из открытых файлов \"Закрыть\"?"), items, &ok);
        if (!ok)
            return outcome;
    }
    // There is one changed flag for all files, so any unsaved change may be
    // in the files being closed: ask before throwing it away. Deleting the
    // new words has a question of its own below.
    if (choice != deleteNewChoice() && m_dict.changed &&
        !askYes(QStringLiteral("<nobr>В словаре есть несохраненные изменения</nobr><br>"
                               "<nobr>Изменения в закрываемых файлах будут потеряны</nobr><br>"
                               "Закрыть без сохранения?")))
        return outcome;

    const bool wasActive = filterActive();
    // The lesson choice is kept in the store, so lessons that vanish with the
    // closed cards come back when their file is opened again.
    m_filter.writeLessons(m_filterStore);
    {
        BusyScope busy(*this);
        if (choice == closeAllChoice()) {
            while (!m_dict.openFiles.empty())
                m_dict.removeFile(*m_dict.openFiles.begin());
        } else if (choice == deleteNewChoice()) {
            if (!askYes(QStringLiteral(
                    "<nobr><font color=blue>Новые слова не были сохранены</font></nobr><br>"
                    "<nobr>Действительно хотите удалить новые слова из словаря?</nobr>")))
                return outcome;
            m_dict.removeNewCards();
        } else {
            m_dict.removeFile(choice);
        }
        m_dict.rebuildLessonsAfterClose();
        if (m_dict.cardCount() > 0)
            m_filter.readLessons(m_filterStore);
    }
    outcome.filterIconChanged = filterActive() != wasActive;
    outcome.table = FileOutcome::RefreshAndFit;
    return outcome;
}

// ---------------------------------------------------------------- join

bool DictionaryFiles::joinPossible() const
{
    return ::joinPossible(m_dict);
}

bool joinPossible(const Dictionary &dict)
{
    const size_t files = dict.openFiles.size();
    return files >= 2 || (files == 1 && dict.hasNewCards());
}

bool DictionaryFiles::checkJoin()
{
    if (joinPossible())
        return true;
    warn(
        QStringLiteral("Открыт один файл или в словаре только новые карточки.\nОбъединять нечего"));
    return false;
}

FileOutcome DictionaryFiles::join(const QString &source, const QString &target)
{
    const bool sourceValid =
        source.isEmpty() ? m_dict.hasNewCards() : m_dict.openFiles.count(source) > 0;
    if (!sourceValid || source == target || !m_dict.openFiles.count(target))
        return joinCancelled();
    // The joined cards must be savable into the target: a card the file
    // could not give back is named now rather than at the next save.
    for (const Card &c : m_dict.cards()) {
        if (c.filePath != source)
            continue;
        const QString problem = cardFileProblem(c, m_dict.categoryList);
        if (!problem.isEmpty()) {
            warn(QStringLiteral("Объединение невозможно\n") + cardTitle(c) + QStringLiteral(":\n") +
                 problem + QStringLiteral("\nИсправьте карточку и повторите объединение"));
            return joinCancelled();
        }
    }
    // Nothing is written: the joined cards reach the disk with the next save
    // of the target, and the source file on disk stays as it was.
    m_dict.moveToFile(source, target);
    if (!source.isEmpty())
        m_dict.openFiles.erase(source);
    m_dict.changed = true;
    FileOutcome outcome;
    outcome.table = FileOutcome::Refresh;
    return outcome;
}

FileOutcome DictionaryFiles::joinCancelled()
{
    // Closing the join dialog marks the dictionary as changed even when
    // nothing moved. This errs on the side of asking to save, which costs a
    // question and never loses a card, and it is how the program has always
    // behaved for its users.
    m_dict.changed = true;
    return {};
}
