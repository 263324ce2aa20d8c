// Opening, saving, saving as, closing and joining dictionary files: the
// decisions are the core's DictionaryFiles; the page refuses them during a
// run or another file job and runs the join dialog. The table follows the
// dictionary's signals.
#include "ui/dictionary/dictionary_page.h"

#include "app/session.h"
#include "core/dictionary/dictionary_files.h"
#include "core/dictionary/dictionary_history.h"
#include "ui/dictionary/file_job_window.h"
#include "ui/dictionary/join_files_dialog.h"

#include <QApplication>
#include <QTimer>

#include <memory>

DictionaryFiles &DictionaryPage::files()
{
    if (!m_files) {
        m_files = std::make_unique<DictionaryFiles>(m_session.dictionary, m_session.settings,
                                                    m_session.filterStore, m_session.filter,
                                                    m_session.ui());
        m_files->setBusyHook([](bool busy) {
            if (busy)
                QApplication::setOverrideCursor(Qt::WaitCursor);
            else
                QApplication::restoreOverrideCursor();
        });
        // Long opens and saves run on a worker behind a progress window
        // instead of freezing the window.
        m_files->setJobRunner(&jobWindow());
        m_files->setFileWatch(&m_session.fileWatch);
    }
    return *m_files;
}

FileJobWindow &DictionaryPage::jobWindow()
{
    if (!m_jobWindow)
        m_jobWindow = std::make_unique<FileJobWindow>(this);
    return *m_jobWindow;
}

void DictionaryPage::connectDictionary()
{
    Dictionary &dict = m_session.dictionary;
    // During a file job the table waits for its end: an open of several
    // files rebuilds once, and nothing is painted half changed.
    connect(&dict, &Dictionary::cardsReset, this, [this] {
        if (m_session.dictionary.isBusy())
            m_resetPending = true;
        else
            rebuildAfterReset();
    });
    connect(&dict, &Dictionary::filesChanged, this, [this] {
        if (m_session.dictionary.isBusy())
            m_filesPending = true;
        else if (sortOptions().byFiles)
            slot_refresh();
    });
    connect(&dict, &Dictionary::busyChanged, this, [this](bool busy) {
        if (!busy) {
            if (m_resetPending)
                rebuildAfterReset();
            else if (m_filesPending && sortOptions().byFiles)
                slot_refresh();
            m_resetPending = false;
            m_filesPending = false;
        }
        emit actionStatesChanged();
    });
    connect(&dict, &Dictionary::modifiedChanged, this, &DictionaryPage::actionStatesChanged);
    // A file changed by another program is asked about at once, but never
    // in the middle of a run or a file job: a save checks again anyway,
    // and the end of a job looks at every file once more.
    connect(&m_session.fileWatch, &FileWatch::fileChanged, this, [this](const QString &path) {
        if (fileJobAllowed() && !m_session.run.running)
            files().checkOutsideChange(path);
    });
    connect(&dict, &Dictionary::busyChanged, this, [this](bool busy) {
        if (!busy && !m_session.run.running)
            QTimer::singleShot(0, this, [this] {
                if (fileJobAllowed() && !m_session.run.running)
                    files().checkOutsideChanges();
            });
    });
}

void DictionaryPage::rebuildAfterReset()
{
    m_resetPending = false;
    m_rebuilt = true;
    slot_refresh();
    fitTableColumns();
    // Opening and closing read the filter's saved lessons back.
    emit filterChanged();
}

bool DictionaryPage::fileJobAllowed()
{
    return !m_session.dictionary.isBusy();
}

void DictionaryPage::slot_addFile()
{
    if (!actionStates().openFiles)
        return;
    openFiles(files().askOpenPaths());
}

void DictionaryPage::openFiles(const QStringList &paths)
{
    if (paths.isEmpty() || !actionStates().openFiles)
        return;
    m_rebuilt = false;
    // The rebuild after the open finds the filter applied and the rows made
    // on the open's worker: the window never waits on the cards.
    const TableSortOptions options = sortOptions();
    m_preparedStale = false;
    files().setOpenPreparer([this, options](Dictionary &staged) {
        m_session.filter.applyTo(staged);
        PreparedTableRows prepared;
        prepared.rows = sortAndBuildTableRows(staged, options, &m_sortCache);
        prepared.revision = staged.revision();
        prepared.valid = true;
        m_prepared = std::move(prepared);
    });
    // A file that was read but gave no card still rebuilds the table, as
    // the filter has read its saved lessons again.
    const bool opened = files().openPaths(paths);
    files().setOpenPreparer(nullptr);
    m_prepared = PreparedTableRows();
    if (opened && !m_rebuilt)
        rebuildAfterReset();
    emit actionStatesChanged();
}

void DictionaryPage::slot_save_all()
{
    if (!actionStates().saveAll)
        return;
    files().saveAll();
    emit actionStatesChanged();
}

void DictionaryPage::slot_save_as()
{
    if (!actionStates().saveAs)
        return;
    files().saveAs();
    emit actionStatesChanged();
}

void DictionaryPage::slot_close()
{
    if (m_session.run.running) {
        emit runEndRequested();
        return;
    }
    if (!fileJobAllowed())
        return;
    files().close();
    emit actionStatesChanged();
}

void DictionaryPage::slot_join()
{
    if (!actionStates().join)
        return;
    if (!files().checkJoin()) {
        emit actionStatesChanged();
        return;
    }
    _join_files_Form dialog(m_session.dictionary.openFiles(), m_session.dictionary.hasNewCards(),
                            window());
    if (m_session.ui().runDialog(&dialog) == QDialog::Accepted) {
        const QString source = dialog.source();
        const QString target = dialog.target();
        m_session.history.join(source, target, [&] { files().join(source, target); });
    } else {
        files().joinCancelled();
        m_session.history.markChanged();
    }
    emit actionStatesChanged();
}
