// Opening, saving, saving as, closing and joining dictionary files.
#include "app/dictionary_page.h"

#include "app/session.h"

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

void DictionaryPage::reapplyFilterLessons()
{
    m_session.filter.readLessons(m_session.filterStore);
    emit filterChanged();
    bool nonArchivedOnly = false;
    if (m_session.filter.isActive(&nonArchivedOnly) || nonArchivedOnly)
        slot_refresh();
}

void DictionaryPage::slot_addFile()
{
    if (!actionStates().openFiles)
        return;
    QString dir = readDictDir(m_session.settings);
    if (!dir.isEmpty() && !QFileInfo(dir).isDir())
        dir.clear();
    const QStringList paths =
        m_session.ui().getOpenFileNames(QStringLiteral("Выберите файлы для открытия"), dir,
                                        QStringLiteral("Словари (*.xml);;Все(*.*)"));
    if (paths.isEmpty())
        return;
    {
        WaitCursor wait;
        QString last;
        for (const QString &path : paths) {
            const int ext = path.indexOf(QLatin1String(".xml"));
            if (ext < 0 || ext + 4 != path.size()) {
                m_session.ui().showWarning(QStringLiteral("Файл ") + path +
                                           QStringLiteral("\nНе является файлом словаря"));
                continue;
            }
            if (m_session.dictionary.openFiles.count(path)) {
                m_session.ui().showWarning(QStringLiteral("Файл ") + path +
                                           QStringLiteral("\nУже открыт"));
                continue;
            }
            QFile probe(path);
            if (!probe.open(QIODevice::ReadOnly)) {
                m_session.ui().showWarning(QStringLiteral("Файл ") + path +
                                           QStringLiteral("\nНе может быть открыт\n") +
                                           probe.errorString());
                continue;
            }
            probe.close();
            last = path;
            const ReadOutcome outcome = readDictionaryFile(m_session.dictionary, path);
            for (const QString &w : outcome.warnings)
                m_session.ui().showWarning(w);
            if (!outcome.opened && !outcome.openError.isEmpty())
                m_session.ui().showWarning(QStringLiteral("Файл ") + path +
                                           QStringLiteral("\nНе может быть открыт\n") +
                                           outcome.openError);
            if (outcome.added)
                m_session.dictionary.openFiles.insert(path);
        }
        if (!last.isEmpty()) {
            slot_refresh();
            reapplyFilterLessons();
            const int slash = last.lastIndexOf(QLatin1Char('/'));
            if (slash >= 0)
                writeDictDir(m_session.settings, last.left(slash));
            fitTableColumns();
        }
    }
    emit actionStatesChanged();
}

void DictionaryPage::slot_save_all()
{
    if (!actionStates().saveAll)
        return;
    const QString question = m_session.dictionary.openFiles.size() == 1
                                 ? QStringLiteral("Сохранить изменения?")
                                 : QStringLiteral("Сохранить изменения во всех открытых файлах?");
    if (m_session.ui().askYesNo(question) != Interaction::Yes)
        return;
    QStringList written;
    bool allSaved = true;
    {
        WaitCursor wait;
        for (const QString &path : m_session.dictionary.openFiles) {
            QList<Card> cards = m_session.dictionary.cardsOfFile(path);
            if (cards.isEmpty()) {
                // Every card of this file was deleted: an empty dictionary
                // cannot be read back, so the old file stays and the user
                // is told; the dictionary stays marked as changed.
                allSaved = false;
                m_session.ui().showWarning(
                    QStringLiteral("Файл\n") + path +
                    QStringLiteral("\nне был сохранен: в нем не осталось ни одной "
                                   "карточки.\nФайл на диске остался прежним"));
                continue;
            }
            const WriteOutcome out = writeDictionaryFile(cards, path, &m_backedUp);
            if (out.ok) {
                written << path;
            } else {
                allSaved = false;
                m_session.ui().showCritical(out.message);
            }
        }
    }
    if (!written.isEmpty()) {
        QString text = QStringLiteral("Было сохранено:\n");
        for (const QString &p : written)
            text += p + QLatin1Char('\n');
        m_session.ui().showInformation(text);
        if (allSaved)
            m_session.dictionary.changed = false;
    }
    if (m_session.dictionary.hasNewCards())
        m_session.ui().showInformation(QStringLiteral(
            "Словарь имеет новые карточки, которые не были сохранены\nНе забудьте сохранить их "
            "вызвав \"Сохранить как\" или объедините с открытым файлом"));
    emit actionStatesChanged();
}

QString DictionaryPage::askSaveFileName(bool forbidExisting)
{
    for (;;) {
        QString name = m_session.ui().getSaveFileName(
            QStringLiteral("Выберите файл для сохранения"), readDictDir(m_session.settings),
            QStringLiteral("Словари (*.xml)"));
        if (name.isEmpty())
            return QString();
        if (!name.endsWith(QLatin1String(".xml")))
            name +=
                name.endsWith(QLatin1Char('.')) ? QStringLiteral("xml") : QStringLiteral(".xml");
        if (forbidExisting && QFileInfo::exists(name)) {
            m_session.ui().showWarning(
                QStringLiteral("Сохранение в существующий файл запрещено.\nВыберите другой файл"));
            continue;
        }
        return name;
    }
}

void DictionaryPage::slot_save_as()
{
    if (!actionStates().saveAs)
        return;
    const bool withNew = m_session.dictionary.hasNewCards();
    const int n = int(m_session.dictionary.openFiles.size());
    const bool byFiles = sortOptions().byFiles;
    if ((n == 1 && !withNew) || (n == 0 && withNew)) {
        const QString name = askSaveFileName(true);
        if (!name.isEmpty()) {
            WriteOutcome out;
            {
                WaitCursor wait;
                QList<Card> all = m_session.dictionary.cards();
                out = writeDictionaryFile(all, name, &m_backedUp);
                if (out.ok)
                    m_session.dictionary.replaceAllCards(std::move(all));
            }
            if (out.ok) {
                if (n == 1)
                    m_session.dictionary.openFiles.clear();
                m_session.dictionary.openFiles.insert(name);
                if (byFiles)
                    slot_refresh();
                m_session.dictionary.changed = false;
            } else {
                m_session.ui().showCritical(out.message);
            }
        }
        emit actionStatesChanged();
        return;
    }

    QStringList choices;
    if (withNew)
        choices << kNewCardsChoice;
    for (const QString &p : m_session.dictionary.openFiles)
        choices << p;
    bool wrote = false;
    while (!choices.isEmpty()) {
        bool ok = false;
        const QString choice = m_session.ui().getItem(
            QStringLiteral("Какой из открытых файлов \"Сохранить как\"?"), choices, &ok);
        if (!ok)
            break;
        const QString path = choice == kNewCardsChoice ? QString() : choice;
        const QString name = askSaveFileName(true);
        if (name.isEmpty())
            continue;
        QList<Card> copies = m_session.dictionary.cardsOfFile(path);
        if (copies.isEmpty()) {
            m_session.ui().showCritical(
                QStringLiteral("Ошибка программы\nОшибка заполнения контейнера для "
                               "выбранного файла\nКонтейнер пуст"));
            break;
        }
        WriteOutcome out;
        {
            WaitCursor wait;
            out = writeDictionaryFile(copies, name, &m_backedUp);
        }
        if (!out.ok) {
            m_session.ui().showCritical(out.message);
            continue;
        }
        m_session.dictionary.moveToFile(path, name);
        m_session.dictionary.openFiles.insert(name);
        if (!path.isEmpty())
            m_session.dictionary.openFiles.erase(path);
        choices.removeOne(choice);
        wrote = true;
    }
    if (wrote && byFiles)
        slot_refresh();
    emit actionStatesChanged();
}

void DictionaryPage::slot_close()
{
    if (m_session.run.running) {
        emit runEndRequested();
        return;
    }
    if (m_session.dictionary.cardCount() == 0) {
        m_session.dictionary.openFiles.clear();
        emit actionStatesChanged();
        return;
    }
    QString choice;
    if (m_session.dictionary.openFiles.empty()) {
        choice = kDeleteNew;
    } else if (m_session.dictionary.openFiles.size() == 1) {
        const QString path = *m_session.dictionary.openFiles.begin();
        if (m_session.ui().askYesNo(QStringLiteral("Закрыть файл\n") + path + QLatin1Char('?')) !=
            Interaction::Yes)
            return;
        choice = path;
    } else {
        QStringList items;
        for (const QString &p : m_session.dictionary.openFiles)
            items << p;
        items << kCloseAll << kDeleteNew;
        bool ok = false;
        choice = m_session.ui().getItem(QStringLiteral("Какой из открытых файлов \"Закрыть\"?"),
                                        items, &ok);
        if (!ok)
            return;
    }
    // There is one changed flag for all files, so any unsaved change may be
    // in the files being closed: ask before throwing it away.
    if (choice != kDeleteNew && m_session.dictionary.changed &&
        m_session.ui().askYesNo(
            QStringLiteral("<nobr>В словаре есть несохраненные изменения</nobr><br>"
                           "<nobr>Изменения в закрываемых файлах будут потеряны</nobr><br>"
                           "Закрыть без сохранения?")) != Interaction::Yes)
        return;

    m_session.filter.writeLessons(m_session.filterStore);
    {
        WaitCursor wait;
        if (choice == kCloseAll) {
            while (!m_session.dictionary.openFiles.empty())
                m_session.dictionary.removeFile(*m_session.dictionary.openFiles.begin());
        } else if (choice == kDeleteNew) {
            CursorPause pause;
            if (m_session.ui().askYesNo(QStringLiteral(
                    "<nobr><font color=blue>Новые слова не были сохранены</font></nobr><br>"
                    "<nobr>Действительно хотите удалить новые слова из словаря?</nobr>")) !=
                Interaction::Yes)
                return;
            m_session.dictionary.removeNewCards();
        } else {
            m_session.dictionary.removeFile(choice);
        }
        m_session.dictionary.rebuildLessonsAfterClose();
        if (m_session.dictionary.cardCount() > 0)
            m_session.filter.readLessons(m_session.filterStore);
    }
    slot_refresh();
    fitTableColumns();
    emit actionStatesChanged();
}

void DictionaryPage::slot_join()
{
    if (!actionStates().join)
        return;
    const bool withNew = m_session.dictionary.hasNewCards();
    const size_t files = m_session.dictionary.openFiles.size();
    if (!(files >= 2 || (files == 1 && withNew))) {
        m_session.ui().showWarning(QStringLiteral(
            "Открыт один файл или в словаре только новые карточки.\nОбъединять нечего"));
        return;
    }
    _join_files_Form dialog(m_session.dictionary.openFiles, withNew, window());
    if (m_session.ui().runDialog(&dialog) == QDialog::Accepted) {
        const QString source = dialog.source();
        const QString target = dialog.target();
        m_session.dictionary.moveToFile(source, target);
        if (!source.isEmpty())
            m_session.dictionary.openFiles.erase(source);
        slot_refresh();
    }
    m_session.dictionary.changed = true;
    emit actionStatesChanged();
}
