#include "core/dictionary/dictionary_files.h"

#include "core/dictionary/card_check.h"
#include "core/dictionary/dictionary_file.h"
#include "core/dictionary/dictionary_files_scopes.h"
#include "core/dictionary/file_watch.h"
#include "core/dictionary/prompts.h"
#include "core/find/filter_settings.h"
#include "core/settings/app_settings.h"
#include "core/settings/ini_reader.h"

#include <QFileInfo>
#include <QThreadPool>

#include <algorithm>

#include <memory>

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

bool DictionaryFiles::askYes(const QString &text, Prompts::Answer defaultAnswer)
{
    const bool was = m_busy;
    setBusy(false);
    const bool yes = m_prompts.askYesNo(text, defaultAnswer) == Prompts::Yes;
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

bool isDictionaryFileName(const QString &path)
{
    // The name, not the folders: "backup.xml.d/words.xml" is a dictionary,
    // "notes.XML" and "a.xml.txt" are not.
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype ext = name.indexOf(QLatin1String(".xml"));
    return ext >= 0 && ext + 4 == name.size();
}

// ---------------------------------------------------------------- steps

bool DictionaryFiles::runStep(const FileProgress &progress, const FileJobRunner::Work &work)
{
    if (m_runner)
        return m_runner->run(progress, work);
    const std::atomic<bool> cancel{false};
    work(cancel);
    return true;
}

bool DictionaryFiles::readFile(const QString &path, int done, int total, Dictionary &loaded,
                               ReadOutcome *read, const FileJobRunner::Work &then)
{
    // The step reads into a dictionary of its own; its cards enter this one
    // on this thread, and only when the open was not cancelled.
    loaded.setCategoryList(m_dict.categoryList());
    FileProgress progress;
    progress.stage = FileProgress::Opening;
    progress.path = path;
    progress.done = done;
    progress.total = total;
    progress.cancellable = true;
    return runStep(progress, [&](const std::atomic<bool> &cancel) {
        *read = readDictionaryFile(loaded, path, &cancel);
        if (then)
            then(cancel);
    });
}

WriteOutcome DictionaryFiles::writeCards(const std::vector<int> *positions, const QString &path,
                                         int done, int total, std::vector<int> *order)
{
    WriteOutcome out;
    FileProgress progress;
    progress.stage = FileProgress::Saving;
    progress.path = path;
    progress.done = done;
    progress.total = total;
    // The step's threads only read the dictionary's own store: no copy, and
    // nothing may change it while the job runs.
    const CardStore &cards = m_dict.store();
    const StringSet &categories = m_dict.categoryList();
    runStep(progress, [&](const std::atomic<bool> &) {
        out = writeDictionaryCards(cards, positions, path, categories, &m_backedUp);
    });
    *order = std::move(out.order);
    return out;
}

// ---------------------------------------------------------------- open

void DictionaryFiles::open()
{
    if (m_dict.isBusy())
        return;
    openPaths(askOpenPaths());
}

QStringList DictionaryFiles::askOpenPaths()
{
    QString dir = readDictDir(m_settings);
    if (!dir.isEmpty() && !QFileInfo(dir).isDir())
        dir.clear();
    return m_prompts.getOpenFileNames(QStringLiteral("Выберите файлы для открытия"), dir,
                                      QStringLiteral("Словари (*.xml);;Все(*.*)"));
}

bool DictionaryFiles::openPaths(const QStringList &paths)
{
    if (paths.isEmpty() || m_dict.isBusy())
        return false;

    JobScope job(m_dict, Dictionary::Job::Open);
    BusyScope busy(*this);
    QString last;
    // Each file is read into a dictionary of its own, and all of them enter
    // only at the end: a cancel leaves nothing to take back. They enter a
    // copy of the dictionary on the worker of the last step, where the
    // views also prepare what they show of them; this thread only swaps
    // the copy in, so the window never waits on the cards.
    std::vector<std::pair<QString, std::unique_ptr<Dictionary>>> loadedFiles;
    std::vector<FileStamp> stamps;
    auto staged = std::make_unique<Dictionary>();
    // The ids each file's cards take in the copy, which they keep.
    std::vector<QList<int>> adoptedIds;
    std::vector<CardStore> bases;
    bool stagedReady = false;
    auto stage = [&](const std::atomic<bool> &cancel) {
        if (loadedFiles.empty() || cancel)
            return;
        staged->assign(m_dict);
        for (auto &file : loadedFiles)
            adoptedIds.push_back(staged->adoptFile(file.first, *file.second));
        // The files' cards as read, the base of a later merge: copied here,
        // before the views reorder or mark them.
        if (m_watch) {
            for (const QList<int> &ids : adoptedIds) {
                std::vector<int> positions;
                positions.reserve(size_t(ids.size()));
                for (int id : ids)
                    positions.push_back(staged->indexOfId(id));
                bases.push_back(staged->store().select(positions));
            }
        }
        if (m_prepare)
            m_prepare(*staged);
        stagedReady = !cancel;
        if (!stagedReady)
            staged->clear(); // freed here rather than on the window's thread
    };
    // The filter's saved lesson choice may name lessons of the new files,
    // and the views apply the filter on the worker: it is read before the
    // last step, and put back when nothing opens after all.
    const StringSet filterLessons = m_filter.filterLessons;
    bool lessonsRead = false;
    auto giveUp = [&] {
        if (lessonsRead)
            m_filter.filterLessons = filterLessons;
        freeLater(std::move(loadedFiles), std::move(staged));
        return false;
    };
    std::set<QString> opening;
    // Locks taken here and not handed to an opened file are given back.
    QStringList locked;
    struct Unlock {
        FileWatch *watch;
        QStringList &paths;
        ~Unlock()
        {
            for (const QString &p : paths)
                watch->locks().release(p);
        }
    };
    std::unique_ptr<Unlock> unlock;
    if (m_watch)
        unlock.reset(new Unlock{m_watch, locked});
    int done = -1;
    for (const QString &path : paths) {
        ++done;
        if (!isDictionaryFileName(path)) {
            warn(QStringLiteral("Файл ") + path + QStringLiteral("\nНе является файлом словаря"));
            continue;
        }
        if (m_dict.openFiles().count(path) || opening.count(path)) {
            warn(QStringLiteral("Файл ") + path + QStringLiteral("\nУже открыт"));
            continue;
        }
        const QString problem = dictionaryOpenProblem(path);
        if (!problem.isEmpty()) {
            warn(QStringLiteral("Файл ") + path + QStringLiteral("\nНе может быть открыт\n") +
                 problem);
            continue;
        }
        if (m_watch && !m_watch->locks().holds(path)) {
            DictionaryLocks::Holder holder;
            const auto outcome = m_watch->locks().lock(path, &holder);
            if (outcome == DictionaryLocks::Outcome::HeldByOther &&
                !askYes(lockedFileQuestion(path, holder)))
                continue;
            if (outcome == DictionaryLocks::Outcome::Taken)
                locked << path;
        }
        const bool lastStep = done + 1 == paths.size();
        if (lastStep && !lessonsRead) {
            m_filter.readLessons(m_filterStore);
            lessonsRead = true;
        }
        // A readable file counts as opened for the table and the folder even
        // when it gives no card.
        auto loaded = std::make_unique<Dictionary>();
        ReadOutcome read;
        if (!readFile(path, done, int(paths.size()), *loaded, &read,
                      [&](const std::atomic<bool> &cancel) {
                          if (!read.added)
                              return;
                          loadedFiles.emplace_back(path, std::move(loaded));
                          stamps.push_back(read.stamp);
                          if (lastStep)
                              stage(cancel);
                      }))
            return giveUp();
        last = path;
        for (const QString &w : read.warnings)
            warn(w);
        if (!read.opened && !read.openError.isEmpty())
            warn(QStringLiteral("Файл ") + path + QStringLiteral("\nНе может быть открыт\n") +
                 read.openError);
        if (read.added)
            opening.insert(path);
    }
    if (last.isEmpty())
        return giveUp();
    if (!lessonsRead) {
        m_filter.readLessons(m_filterStore);
        lessonsRead = true;
    }
    if (!loadedFiles.empty()) {
        // The last file was refused before it was read: the cards enter in
        // a step of their own.
        if (!stagedReady) {
            FileProgress progress;
            progress.stage = FileProgress::Opening;
            progress.path = loadedFiles.back().first;
            progress.done = int(paths.size()) - 1;
            progress.total = int(paths.size());
            progress.cancellable = true;
            if (!runStep(progress, stage) || !stagedReady)
                return giveUp();
        }
        m_dict.takeOver(*staged);
    }
    QStringList adopted;
    for (size_t i = 0; i < loadedFiles.size(); ++i) {
        const QString &path = loadedFiles[i].first;
        if (m_watch) {
            locked.removeOne(path);
            m_watch->rememberBase(path, stamps[i], std::move(bases[i]), adoptedIds[i]);
        }
        adopted << path;
    }
    freeLater(std::move(loadedFiles), std::move(staged));
    const qsizetype slash = last.lastIndexOf(QLatin1Char('/'));
    if (slash >= 0)
        writeDictDir(m_settings, last.left(slash));
    offerSyncCopies(adopted);
    return true;
}

void DictionaryFiles::freeLater(std::vector<std::pair<QString, std::unique_ptr<Dictionary>>> files,
                                std::unique_ptr<Dictionary> staged)
{
    // Stores free their few blocks at once; kept apart only so that the
    // open reads in one place what it lets go of.
    staged.reset();
    files.clear();
}

// ---------------------------------------------------------------- save all

void DictionaryFiles::saveAll()
{
    if (m_dict.isBusy() || !m_dict.isModified() || m_dict.cardCount() == 0 ||
        m_dict.openFiles().empty())
        return;
    JobScope job(m_dict, Dictionary::Job::Save);
    const QString question = m_dict.openFiles().size() == 1
                                 ? QStringLiteral("Сохранить изменения?")
                                 : QStringLiteral("Сохранить изменения во всех открытых файлах?");
    if (!askYes(question))
        return;

    QStringList written;
    bool allSaved = true;
    {
        BusyScope busy(*this);
        // A copy: nothing can change the open files during the job, but the
        // loop must not depend on that.
        const StringSet paths = m_dict.openFiles();
        for (const QString &path : paths) {
            // Never over a file another program changed since it was read,
            // without asking.
            FileStamp now;
            if (m_watch && m_watch->changedOnDisk(path, &now)) {
                const DiskChoice choice = askAboutDiskChange(path, true);
                if (choice == DiskChoice::Cancel) {
                    m_watch->decline(path, now);
                    allSaved = false;
                    continue;
                }
                if (choice == DiskChoice::SaveAs) {
                    const QString name = saveOneAs(path);
                    if (name.isEmpty())
                        allSaved = false;
                    else
                        written << name;
                    continue;
                }
                if (choice == DiskChoice::Merge && !mergeFromDisk(path, path, true)) {
                    allSaved = false;
                    continue;
                }
            }
            const std::vector<int> positions = m_dict.positionsOfFile(path);
            if (positions.empty()) {
                // Every card of this file was deleted: an empty dictionary
                // cannot be read back, so the old file stays and the user is
                // told; the dictionary stays marked as changed.
                allSaved = false;
                warn(QStringLiteral("Файл\n") + path +
                     QStringLiteral("\nне был сохранен: в нем не осталось ни одной "
                                    "карточки.\nФайл на диске остался прежним"));
                continue;
            }
            std::vector<int> order;
            const WriteOutcome out =
                writeCards(&positions, path, int(written.size()), int(paths.size()), &order);
            for (const QString &w : out.warnings)
                warn(w);
            if (out.ok) {
                written << path;
                rememberWritten(path, idsAt(order));
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
            m_dict.setModified(false);
    }
    if (m_dict.hasNewCards())
        inform(QStringLiteral(
            "Словарь имеет новые карточки, которые не были сохранены\nНе забудьте сохранить их "
            "вызвав \"Сохранить как\" или объедините с открытым файлом"));
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
        if (!isDictionaryFileName(name)) {
            // "a.xml.txt" would become "a.xml.txt.xml", which no open accepts.
            warn(QStringLiteral("Имя файла словаря может содержать \".xml\" только в "
                                "конце.\nВыберите другое имя"));
            continue;
        }
        if (forbidExisting && QFileInfo::exists(name)) {
            warn(QStringLiteral("Сохранение в существующий файл запрещено.\nВыберите другой файл"));
            continue;
        }
        break;
    }
    setBusy(was);
    return name;
}

void DictionaryFiles::saveAs()
{
    if (m_dict.isBusy() || m_dict.cardCount() == 0)
        return;
    JobScope job(m_dict, Dictionary::Job::SaveAs);
    const bool withNew = m_dict.hasNewCards();
    const size_t n = m_dict.openFiles().size();

    if ((n == 1 && !withNew) || (n == 0 && withNew)) {
        // All cards belong to one file (or none): the whole dictionary goes
        // to the new name, and the old file on disk stays as it was.
        const QString name = askSaveFileName(true);
        if (name.isEmpty())
            return;
        WriteOutcome out;
        std::vector<int> order;
        {
            BusyScope busy(*this);
            out = writeCards(nullptr, name, 0, 1, &order);
        }
        for (const QString &w : out.warnings)
            warn(w);
        if (!out.ok) {
            critical(out.message);
            return;
        }
        m_dict.savedAs(order, name);
        m_dict.setModified(false);
        if (m_watch) {
            m_watch->locks().lock(name);
            QList<int> ids;
            ids.reserve(m_dict.cardCount());
            for (int i = 0; i < m_dict.cardCount(); ++i)
                ids.append(m_dict.store().record(i).id);
            rememberWritten(name, ids);
        }
        return;
    }

    // One part at a time, until each was saved or the user cancels. Other
    // parts may still hold changes, so the modified flag is left as it was.
    QStringList choices;
    if (withNew)
        choices << newCardsChoice();
    for (const QString &p : m_dict.openFiles())
        choices << p;
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
        const std::vector<int> positions = m_dict.positionsOfFile(path);
        if (positions.empty()) {
            critical(QStringLiteral("Ошибка программы\nОшибка заполнения контейнера для "
                                    "выбранного файла\nКонтейнер пуст"));
            break;
        }
        WriteOutcome out;
        std::vector<int> order;
        {
            BusyScope busy(*this);
            out = writeCards(&positions, name, 0, 1, &order);
        }
        for (const QString &w : out.warnings)
            warn(w);
        if (!out.ok) {
            // The cards keep their path and the entry stays on offer.
            critical(out.message);
            continue;
        }
        const QList<int> ids = idsAt(order);
        m_dict.moveToFile(path, name);
        if (m_watch) {
            m_watch->locks().lock(name);
            rememberWritten(name, ids);
        }
        choices.removeOne(choice);
    }
}

// ---------------------------------------------------------------- close

void DictionaryFiles::close()
{
    if (m_dict.isBusy())
        return;
    JobScope job(m_dict, Dictionary::Job::Close);
    if (m_dict.cardCount() == 0) {
        if (!m_dict.openFiles().empty())
            m_dict.closeFiles(QStringList(m_dict.openFiles().cbegin(), m_dict.openFiles().cend()));
        return;
    }
    QString choice;
    if (m_dict.openFiles().empty()) {
        choice = deleteNewChoice();
    } else if (m_dict.openFiles().size() == 1) {
        const QString path = *m_dict.openFiles().begin();
        if (!askYes(QStringLiteral("Закрыть файл\n") + path + QLatin1Char('?')))
            return;
        choice = path;
    } else {
        QStringList items;
        for (const QString &p : m_dict.openFiles())
            items << p;
        items << closeAllChoice() << deleteNewChoice();
        bool ok = false;
        choice = chooseItem(QStringLiteral("Какой из открытых файлов \"Закрыть\"?"), items, &ok);
        if (!ok)
            return;
    }
    // There is one modified flag for all files, so any unsaved change may be
    // in the files being closed: ask before throwing it away. Deleting the
    // new words has a question of its own below.
    if (choice != deleteNewChoice() && m_dict.isModified() &&
        !askYes(QStringLiteral("<nobr>В словаре есть несохраненные изменения</nobr><br>"
                               "<nobr>Изменения в закрываемых файлах будут потеряны</nobr><br>"
                               "Закрыть без сохранения?"),
                Prompts::No))
        return;

    // The lesson choice is kept in the store, so lessons that vanish with the
    // closed cards come back when their file is opened again.
    m_filter.writeLessons(m_filterStore);
    BusyScope busy(*this);
    if (choice == deleteNewChoice()) {
        if (!askYes(QStringLiteral(
                        "<nobr><font color=blue>Новые слова не были сохранены</font></nobr><br>"
                        "<nobr>Действительно хотите удалить новые слова из словаря?</nobr>"),
                    Prompts::No))
            return;
        m_dict.removeNewCards();
    } else if (choice == closeAllChoice()) {
        m_dict.closeFiles(QStringList(m_dict.openFiles().cbegin(), m_dict.openFiles().cend()));
    } else {
        m_dict.closeFiles({choice});
    }
    if (m_dict.cardCount() > 0)
        m_filter.readLessons(m_filterStore);
}

// ---------------------------------------------------------------- join

bool DictionaryFiles::joinPossible() const
{
    return ::joinPossible(m_dict);
}

bool joinPossible(const Dictionary &dict)
{
    const size_t files = dict.openFiles().size();
    return files >= 2 || (files == 1 && dict.hasNewCards());
}

bool DictionaryFiles::checkJoin()
{
    if (m_dict.isBusy())
        return false;
    if (joinPossible())
        return true;
    warn(
        QStringLiteral("Открыт один файл или в словаре только новые карточки.\nОбъединять нечего"));
    return false;
}

void DictionaryFiles::join(const QString &source, const QString &target)
{
    if (m_dict.isBusy())
        return;
    JobScope job(m_dict, Dictionary::Job::Join);
    const bool sourceValid =
        source.isEmpty() ? m_dict.hasNewCards() : m_dict.openFiles().count(source) > 0;
    if (!sourceValid || source == target || !m_dict.openFiles().count(target))
        return joinCancelled();
    // The joined cards must be savable into the target: a card the file
    // could not give back is named now rather than at the next save.
    for (int i = 0; i < m_dict.cardCount(); ++i) {
        if (m_dict.view(i).filePath() != source)
            continue;
        const Card c = m_dict.cardAt(i);
        const QString problem = cardFileProblem(c, m_dict.categoryList());
        if (!problem.isEmpty()) {
            warn(QStringLiteral("Объединение невозможно\n") + cardTitle(c) + QStringLiteral(":\n") +
                 problem + QStringLiteral("\nИсправьте карточку и повторите объединение"));
            return joinCancelled();
        }
    }
    // Nothing is written: the joined cards reach the disk with the next save
    // of the target, and the source file on disk stays as it was.
    m_dict.moveToFile(source, target);
    m_dict.setModified(true);
}

void DictionaryFiles::joinCancelled()
{
    // Closing the join dialog marks the dictionary as changed even when
    // nothing moved. This errs on the side of asking to save, which costs a
    // question and never loses a card, and it is how the program has always
    // behaved for its users.
    m_dict.setModified(true);
}
