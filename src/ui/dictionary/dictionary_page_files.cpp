// Opening, saving, saving as, closing and joining dictionary files: the
// decisions are the core's DictionaryFiles; the page refuses them during a
// run, runs the join dialog and rebuilds the table as each outcome says.
#include "ui/dictionary/dictionary_page.h"

#include "app/session.h"
#include "core/dictionary/dictionary_files.h"
#include "ui/dictionary/file_progress_window.h"
#include "ui/dictionary/join_files_dialog.h"

#include <QApplication>

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
        // Long opens and saves show a progress window instead of a frozen one.
        auto progress = std::make_shared<FileProgressWindow>(this);
        m_files->setProgressHook([progress](const FileProgress &p) { return progress->report(p); });
    }
    return *m_files;
}

void DictionaryPage::applyFileOutcome(const FileOutcome &outcome)
{
    if (outcome.table != FileOutcome::Keep)
        slot_refresh();
    if (outcome.table == FileOutcome::RefreshAndFit)
        fitTableColumns();
    if (outcome.filterIconChanged)
        emit filterChanged();
    emit actionStatesChanged();
}

void DictionaryPage::slot_addFile()
{
    if (!actionStates().openFiles)
        return;
    applyFileOutcome(files().open());
}

void DictionaryPage::openFiles(const QStringList &paths)
{
    if (paths.isEmpty() || !actionStates().openFiles)
        return;
    applyFileOutcome(files().openPaths(paths));
}

void DictionaryPage::slot_save_all()
{
    if (!actionStates().saveAll)
        return;
    applyFileOutcome(files().saveAll());
}

void DictionaryPage::slot_save_as()
{
    if (!actionStates().saveAs)
        return;
    applyFileOutcome(files().saveAs(sortOptions().byFiles));
}

void DictionaryPage::slot_close()
{
    if (m_session.run.running) {
        emit runEndRequested();
        return;
    }
    applyFileOutcome(files().close());
}

void DictionaryPage::slot_join()
{
    if (!actionStates().join)
        return;
    if (!files().checkJoin()) {
        emit actionStatesChanged();
        return;
    }
    _join_files_Form dialog(m_session.dictionary.openFiles, m_session.dictionary.hasNewCards(),
                            window());
    if (m_session.ui().runDialog(&dialog) == QDialog::Accepted)
        applyFileOutcome(files().join(dialog.source(), dialog.target()));
    else
        applyFileOutcome(files().joinCancelled());
}
