// The file operations' side of sharing a dictionary with other copies of the
// program and other computers: locks taken at open, changes on disk noticed
// before a save and when the watcher reports them, and the merge.
#include "core/dictionary/card_merge.h"
#include "core/dictionary/dictionary_file.h"
#include "core/dictionary/dictionary_files.h"
#include "core/dictionary/dictionary_files_scopes.h"
#include "core/dictionary/file_watch.h"
#include "core/dictionary/prompts.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

const QString &DictionaryFiles::mergeChoice()
{
    static const QString s = QStringLiteral("Объединить");
    return s;
}

const QString &DictionaryFiles::replaceChoice()
{
    static const QString s = QStringLiteral("Сохранить поверх");
    return s;
}

const QString &DictionaryFiles::saveAsChoice()
{
    static const QString s = QStringLiteral("Сохранить как…");
    return s;
}

const QString &DictionaryFiles::cancelChoice()
{
    static const QString s = QStringLiteral("Отмена");
    return s;
}

namespace
{

// Copies a synchronisation tool leaves beside "name.xml" when both sides
// changed it: Syncthing's "name.sync-conflict-….xml", and Nextcloud's and
// Dropbox's "name (conflicted copy ….).xml".
QStringList syncCopiesOf(const QString &path)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    const QString stem = name.left(name.size() - 4); // without ".xml"
    const QDir dir = info.dir();
    QStringList copies;
    const QStringList found = dir.entryList(
        {QStringLiteral("*.sync-conflict-*.xml"), QStringLiteral("* (conflicted copy*).xml")},
        QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString &f : found) {
        // By hand, so brackets or stars in the name are no wildcards.
        if (f.startsWith(stem + QStringLiteral(".sync-conflict-")) ||
            f.startsWith(stem + QStringLiteral(" (conflicted copy")))
            copies << dir.filePath(f);
    }
    return copies;
}

} // namespace

DictionaryFiles::DiskChoice DictionaryFiles::askAboutDiskChange(const QString &path, bool atSave)
{
    const QString text =
        QStringLiteral("Файл\n") + path +
        (atSave ? QStringLiteral("\nизменён другой программой после того, как был открыт здесь.")
                : QStringLiteral("\nизменён другой программой, а здесь в нём есть несохранённые "
                                 "изменения.")) +
        QStringLiteral("\n\n«Объединить»: изменения обеих сторон войдут в словарь.\n«Сохранить "
                       "поверх»: файл получит ваш вариант, изменения другой программы "
                       "пропадут.\n«Сохранить как…»: ваш вариант будет сохранён в другой файл, "
                       "этот останется как есть.");
    const QStringList buttons{mergeChoice(), replaceChoice(), saveAsChoice(), cancelChoice()};
    const bool was = m_busy;
    setBusy(false);
    const int answer = m_prompts.askChoice(text, buttons);
    setBusy(was);
    switch (answer) {
    case 0:
        return DiskChoice::Merge;
    case 1:
        return DiskChoice::Replace;
    case 2:
        return DiskChoice::SaveAs;
    default:
        return DiskChoice::Cancel;
    }
}

QList<int> DictionaryFiles::idsAt(const std::vector<int> &positions) const
{
    QList<int> ids;
    ids.reserve(qsizetype(positions.size()));
    for (int p : positions)
        ids.append(m_dict.store().record(p).id);
    return ids;
}

void DictionaryFiles::rememberWritten(const QString &path, const QList<int> &ids)
{
    if (!m_watch)
        return;
    // Read back rather than trusted: these are the bytes a later look
    // compares against.
    m_watch->remember(path, stampOfFile(path), ids);
}

bool DictionaryFiles::mergeFromDisk(const QString &path, const QString &source, bool report)
{
    if (!m_watch)
        return false;
    Dictionary loaded;
    ReadOutcome read;
    {
        BusyScope busy(*this);
        if (!readFile(source, 0, 1, loaded, &read))
            return false;
    }
    for (const QString &w : read.warnings)
        warn(w);
    if (!read.added) {
        warn(QStringLiteral("Объединение с файлом\n") + source +
             QStringLiteral("\nневозможно: из него не прочитано ни одной карточки") +
             (read.openError.isEmpty() ? QString() : QStringLiteral("\n") + read.openError));
        return false;
    }
    const CardStore theirs = loaded.takeCards();
    const bool withBase = source == path;
    CardStore ours;
    std::vector<int> oursBase;
    m_watch->oursOf(path, &ours, &oursBase);
    if (!withBase)
        oursBase.assign(oursBase.size(), -1);
    const CardStore noBase;
    const MergeResult r =
        mergeCards(withBase ? m_watch->base(path) : noBase, ours, oursBase, theirs);

    QList<int> oursIds;
    oursIds.reserve(ours.size());
    for (int i = 0; i < ours.size(); ++i)
        oursIds.append(ours.record(i).id);
    ours.clear();
    const bool memoryWasDisk = withBase && !m_dict.isModified();

    if (!r.changed.isEmpty()) {
        QHash<int, int> changedAt;
        QList<int> ids;
        changedAt.reserve(r.changed.size());
        for (int i = 0; i < r.changed.size(); ++i) {
            changedAt.insert(r.changed[i].id, i);
            ids.append(r.changed[i].id);
        }
        m_dict.updateCards(ids, [&](Card &c) {
            const Card &merged = r.changed[changedAt.value(c.id)];
            // What the file does not hold stays the document's own.
            const int id = c.id;
            const int runMark = c.runMark;
            const bool inFilter = c.inFilter;
            const QString filePath = c.filePath;
            c = merged;
            c.id = id;
            c.runMark = runMark;
            c.inFilter = inFilter;
            c.filePath = filePath;
        });
        for (const Card &c : r.changed)
            m_dict.addLesson(c.lesson);
    }
    if (!r.removed.empty()) {
        QList<int> ids;
        for (int p : r.removed)
            ids.append(oursIds[p]);
        m_dict.removeCards(ids);
    }
    QList<int> addedIds;
    if (!r.added.isEmpty()) {
        QList<Card> added = r.added;
        for (Card &c : added)
            c.filePath = path;
        addedIds = m_dict.addNewCards(added);
    }
    if (withBase) {
        // The file as it is now is the base of the next merge; each of its
        // cards is the card of the result that stands for it.
        std::vector<int> kept;
        QList<int> ids;
        kept.reserve(size_t(theirs.size()));
        ids.reserve(theirs.size());
        for (int j = 0; j < theirs.size(); ++j) {
            const MergeSource &src = r.theirsSource[size_t(j)];
            if (src.kind == MergeSource::None)
                continue;
            kept.push_back(j);
            ids.append(src.kind == MergeSource::Ours ? oursIds[src.index] : addedIds[src.index]);
        }
        m_watch->rememberBase(path, read.stamp, theirs.select(kept), ids);
        // Nothing was unsaved: the cards are the file's again.
        if (memoryWasDisk)
            m_dict.setModified(false);
    }
    if (report)
        inform(mergeReport(source, r));
    return true;
}

bool DictionaryFiles::writeOne(const QString &path)
{
    const std::vector<int> positions = m_dict.positionsOfFile(path);
    if (positions.empty()) {
        warn(QStringLiteral("Файл\n") + path +
             QStringLiteral("\nне был сохранен: в нем не осталось ни одной "
                            "карточки.\nФайл на диске остался прежним"));
        return false;
    }
    std::vector<int> order;
    WriteOutcome out;
    {
        BusyScope busy(*this);
        out = writeCards(&positions, path, 0, 1, &order);
    }
    for (const QString &w : out.warnings)
        warn(w);
    if (!out.ok) {
        critical(out.message);
        return false;
    }
    rememberWritten(path, idsAt(order));
    return true;
}

QString DictionaryFiles::saveOneAs(const QString &path)
{
    const QString name = askSaveFileName(true);
    if (name.isEmpty())
        return QString();
    const std::vector<int> positions = m_dict.positionsOfFile(path);
    std::vector<int> order;
    WriteOutcome out;
    {
        BusyScope busy(*this);
        out = writeCards(&positions, name, 0, 1, &order);
    }
    for (const QString &w : out.warnings)
        warn(w);
    if (!out.ok) {
        critical(out.message);
        return QString();
    }
    const QList<int> ids = idsAt(order);
    // The cards now belong to the new file; the old one stays as the other
    // program left it.
    m_dict.moveToFile(path, name);
    if (m_watch)
        m_watch->locks().lock(name);
    rememberWritten(name, ids);
    return name;
}

void DictionaryFiles::checkOutsideChanges()
{
    const StringSet paths = m_dict.openFiles();
    for (const QString &path : paths)
        checkOutsideChange(path);
}

void DictionaryFiles::checkOutsideChange(const QString &path)
{
    // One question at a time: the watcher may report again while a box is open.
    if (!m_watch || m_checking || m_dict.isBusy() || !m_dict.openFiles().count(path))
        return;
    FileStamp now;
    if (!m_watch->changedOnDisk(path, &now) || m_watch->wasDeclined(path, now))
        return;
    m_checking = true;
    if (!m_watch->hasUnsavedChanges(path)) {
        if (askYes(QStringLiteral("Файл ") + path +
                   QStringLiteral(" изменён другой программой. Открыть заново?"))) {
            // Nothing here differs from the base, so the merge gives the
            // file's cards, and the cards keep their ids and places.
            JobScope job(m_dict, Dictionary::Job::Open);
            mergeFromDisk(path, path, false);
        } else {
            m_watch->decline(path, now);
        }
        m_checking = false;
        return;
    }
    switch (askAboutDiskChange(path, false)) {
    case DiskChoice::Merge: {
        JobScope job(m_dict, Dictionary::Job::Open);
        mergeFromDisk(path, path, true);
        break;
    }
    case DiskChoice::Replace: {
        JobScope job(m_dict, Dictionary::Job::Save);
        if (writeOne(path))
            inform(QStringLiteral("Было сохранено:\n") + path + QLatin1Char('\n'));
        break;
    }
    case DiskChoice::SaveAs: {
        JobScope job(m_dict, Dictionary::Job::SaveAs);
        if (saveOneAs(path).isEmpty())
            m_watch->decline(path, now);
        break;
    }
    case DiskChoice::Cancel:
        m_watch->decline(path, now);
        break;
    }
    m_checking = false;
}

void DictionaryFiles::offerSyncCopies(const QStringList &paths)
{
    if (!m_watch)
        return;
    for (const QString &path : paths) {
        const QStringList copies = syncCopiesOf(path);
        if (copies.isEmpty())
            continue;
        QString text = QStringLiteral("Рядом с файлом\n") + path +
                       QStringLiteral("\nлежат копии, оставленные программой синхронизации:");
        for (const QString &c : copies)
            text += QLatin1Char('\n') + QFileInfo(c).fileName();
        text += QStringLiteral("\n\nОбъединить их карточки с этим словарём? Копии останутся на "
                               "диске как есть; удалите их сами, когда сохраните словарь.");
        if (!askYes(text))
            continue;
        for (const QString &c : copies)
            mergeFromDisk(path, c, true);
    }
}
