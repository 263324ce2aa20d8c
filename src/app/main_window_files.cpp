// Opening, saving, saving as, closing and joining dictionary files.
#include "app/main_window.h"

#include "dialogs/join_files_dialog.h"
#include "model/dictionary_file.h"

#include <QFile>
#include <QFileInfo>

namespace
{
const QString kNewCardsChoice = QStringLiteral("Новые карточки");
const QString kCloseAll = QStringLiteral("Всё (кроме несохраненных карточек)");
const QString kDeleteNew = QStringLiteral("Удалить новые слова");
} // namespace

void Vmain_form::reapplyFilterLessons()
{
    m_filter.readLessons(m_filterStore);
    setFilterIcon();
    bool nonArchivedOnly = false;
    if (m_filter.isActive(&nonArchivedOnly) || nonArchivedOnly)
        slot_refresh();
}

void Vmain_form::slot_addFile()
{
    if (m_run.running)
        return;
    QString dir = readDictDir(m_settings);
    if (!dir.isEmpty() && !QFileInfo(dir).isDir())
        dir.clear();
    const QStringList paths =
        m_interaction->getOpenFileNames(QStringLiteral("Выберите файлы для открытия"), dir,
                                        QStringLiteral("Словари (*.xml);;Все(*.*)"));
    if (paths.isEmpty())
        return;
    {
        WaitCursor wait;
        QString last;
        for (const QString &path : paths) {
            const int ext = path.indexOf(QLatin1String(".xml"));
            if (ext < 0 || ext + 4 != path.size()) {
                showWarning(QStringLiteral("Файл ") + path +
                            QStringLiteral("\nНе является файлом словаря"));
                continue;
            }
            if (m_dict.openFiles.count(path)) {
                showWarning(QStringLiteral("Файл ") + path + QStringLiteral("\nУже открыт"));
                continue;
            }
            QFile probe(path);
            if (!probe.open(QIODevice::ReadOnly)) {
                showWarning(QStringLiteral("Файл ") + path +
                            QStringLiteral("\nНе может быть открыт\n") + probe.errorString());
                continue;
            }
            probe.close();
            last = path;
            const ReadOutcome outcome = readDictionaryFile(m_dict, path);
            for (const QString &w : outcome.warnings)
                showWarning(w);
            if (!outcome.opened && !outcome.openError.isEmpty())
                showWarning(QStringLiteral("Файл ") + path +
                            QStringLiteral("\nНе может быть открыт\n") + outcome.openError);
            if (outcome.added)
                m_dict.openFiles.insert(path);
        }
        if (!last.isEmpty()) {
            slot_refresh();
            reapplyFilterLessons();
            const int slash = last.lastIndexOf(QLatin1Char('/'));
            if (slash >= 0)
                writeDictDir(m_settings, last.left(slash));
            fitTableColumns();
        }
    }
    updateActionStates();
}

void Vmain_form::slot_save_all()
{
    if (m_run.running || !m_dict.changed || m_dict.cardCount() == 0 || m_dict.openFiles.empty())
        return;
    const QString question = m_dict.openFiles.size() == 1
                                 ? QStringLiteral("Сохранить изменения?")
                                 : QStringLiteral("Сохранить изменения во всех открытых файлах?");
    if (askYesNo(question) != Interaction::Yes)
        return;
    QStringList written;
    bool allSaved = true;
    {
        WaitCursor wait;
        for (const QString &path : m_dict.openFiles) {
            QList<Card> cards = m_dict.cardsOfFile(path);
            if (cards.isEmpty()) {
                // Every card of this file was deleted: an empty dictionary
                // cannot be read back, so the old file stays and the user
                // is told; the dictionary stays marked as changed.
                allSaved = false;
                showWarning(QStringLiteral("Файл\n") + path +
                            QStringLiteral("\nне был сохранен: в нем не осталось ни одной "
                                           "карточки.\nФайл на диске остался прежним"));
                continue;
            }
            const WriteOutcome out = writeDictionaryFile(cards, path, &m_backedUp);
            if (out.ok) {
                written << path;
            } else {
                allSaved = false;
                showCritical(out.message);
            }
        }
    }
    if (!written.isEmpty()) {
        QString text = QStringLiteral("Было сохранено:\n");
        for (const QString &p : written)
            text += p + QLatin1Char('\n');
        showInformation(text);
        if (allSaved)
            m_dict.changed = false;
    }
    if (m_dict.hasNewCards())
        showInformation(QStringLiteral(
            "Словарь имеет новые карточки, которые не были сохранены\nНе забудьте сохранить их "
            "вызвав \"Сохранить как\" или объедините с открытым файлом"));
    updateActionStates();
}

QString Vmain_form::askSaveFileName(bool forbidExisting)
{
    for (;;) {
        QString name = m_interaction->getSaveFileName(
            QStringLiteral("Выберите файл для сохранения"), readDictDir(m_settings),
            QStringLiteral("Словари (*.xml)"));
        if (name.isEmpty())
            return QString();
        if (!name.endsWith(QLatin1String(".xml")))
            name +=
                name.endsWith(QLatin1Char('.')) ? QStringLiteral("xml") : QStringLiteral(".xml");
        if (forbidExisting && QFileInfo::exists(name)) {
            showWarning(
                QStringLiteral("Сохранение в существующий файл запрещено.\nВыберите другой файл"));
            continue;
        }
        return name;
    }
}

void Vmain_form::slot_save_as()
{
    if (m_dict.cardCount() == 0)
        return;
    const bool withNew = m_dict.hasNewCards();
    const int n = int(m_dict.openFiles.size());
    const bool byFiles = sortOptions().byFiles;
    if ((n == 1 && !withNew) || (n == 0 && withNew)) {
        const QString name = askSaveFileName(true);
        if (!name.isEmpty()) {
            WriteOutcome out;
            {
                WaitCursor wait;
                QList<Card> all = m_dict.cards();
                out = writeDictionaryFile(all, name, &m_backedUp);
                if (out.ok)
                    m_dict.replaceAllCards(std::move(all));
            }
            if (out.ok) {
                if (n == 1)
                    m_dict.openFiles.clear();
                m_dict.openFiles.insert(name);
                if (byFiles)
                    slot_refresh();
                m_dict.changed = false;
            } else {
                showCritical(out.message);
            }
        }
        updateActionStates();
        return;
    }

    QStringList choices;
    if (withNew)
        choices << kNewCardsChoice;
    for (const QString &p : m_dict.openFiles)
        choices << p;
    bool wrote = false;
    while (!choices.isEmpty()) {
        bool ok = false;
        const QString choice = m_interaction->getItem(
            QStringLiteral("Какой из открытых файлов \"Сохранить как\"?"), choices, &ok);
        if (!ok)
            break;
        const QString path = choice == kNewCardsChoice ? QString() : choice;
        const QString name = askSaveFileName(true);
        if (name.isEmpty())
            continue;
        QList<Card> copies = m_dict.cardsOfFile(path);
        if (copies.isEmpty()) {
            showCritical(QStringLiteral("Ошибка программы\nОшибка заполнения контейнера для "
                                        "выбранного файла\nКонтейнер пуст"));
            break;
        }
        WriteOutcome out;
        {
            WaitCursor wait;
            out = writeDictionaryFile(copies, name, &m_backedUp);
        }
        if (!out.ok) {
            showCritical(out.message);
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
        slot_refresh();
    updateActionStates();
}

void Vmain_form::slot_close()
{
    if (m_run.running) {
        slot_start();
        return;
    }
    if (m_dict.cardCount() == 0) {
        m_dict.openFiles.clear();
        updateActionStates();
        return;
    }
    QString choice;
    if (m_dict.openFiles.empty()) {
        choice = kDeleteNew;
    } else if (m_dict.openFiles.size() == 1) {
        const QString path = *m_dict.openFiles.begin();
        if (askYesNo(QStringLiteral("Закрыть файл\n") + path + QLatin1Char('?')) !=
            Interaction::Yes)
            return;
        choice = path;
    } else {
        QStringList items;
        for (const QString &p : m_dict.openFiles)
            items << p;
        items << kCloseAll << kDeleteNew;
        bool ok = false;
        choice = m_interaction->getItem(QStringLiteral("Какой из открытых файлов \"Закрыть\"?"),
                                        items, &ok);
        if (!ok)
            return;
    }
    // There is one changed flag for all files, so any unsaved change may be
    // in the files being closed: ask before throwing it away.
    if (choice != kDeleteNew && m_dict.changed &&
        askYesNo(QStringLiteral("<nobr>В словаре есть несохраненные изменения</nobr><br>"
                                "<nobr>Изменения в закрываемых файлах будут потеряны</nobr><br>"
                                "Закрыть без сохранения?")) != Interaction::Yes)
        return;

    m_filter.writeLessons(m_filterStore);
    {
        WaitCursor wait;
        if (choice == kCloseAll) {
            while (!m_dict.openFiles.empty())
                m_dict.removeFile(*m_dict.openFiles.begin());
        } else if (choice == kDeleteNew) {
            CursorPause pause;
            if (askYesNo(QStringLiteral(
                    "<nobr><font color=blue>Новые слова не были сохранены</font></nobr><br>"
                    "<nobr>Действительно хотите удалить новые слова из словаря?</nobr>")) !=
                Interaction::Yes)
                return;
            m_dict.removeNewCards();
        } else {
            m_dict.removeFile(choice);
        }
        m_dict.rebuildLessonsAfterClose();
        if (m_dict.cardCount() > 0)
            m_filter.readLessons(m_filterStore);
    }
    slot_refresh();
    fitTableColumns();
    updateActionStates();
}

void Vmain_form::slot_join()
{
    if (!m_joinAllowed)
        return;
    const bool withNew = m_dict.hasNewCards();
    const size_t files = m_dict.openFiles.size();
    if (!(files >= 2 || (files == 1 && withNew))) {
        showWarning(QStringLiteral(
            "Открыт один файл или в словаре только новые карточки.\nОбъединять нечего"));
        return;
    }
    _join_files_Form dialog(m_dict.openFiles, withNew, this);
    if (m_interaction->runDialog(&dialog) == QDialog::Accepted) {
        const QString source = dialog.source();
        const QString target = dialog.target();
        m_dict.moveToFile(source, target);
        if (!source.isEmpty())
            m_dict.openFiles.erase(source);
        slot_refresh();
    }
    m_dict.changed = true;
    updateActionStates();
}
