#include "ui/exchange/exchange_actions.h"

#include "app/session.h"
#include "core/dictionary/dictionary_history.h"
#include "core/exchange/exchange_file.h"
#include "core/run/run_state.h"
#include "ui/common/interaction.h"
#include "ui/dictionary/dictionary_page.h"
#include "ui/dictionary/dictionary_table_model.h"
#include "ui/dictionary/file_job_window.h"
#include "ui/exchange/export_dialog.h"
#include "ui/exchange/import_dialog.h"

#include <QFileInfo>
#include <QMenu>
#include <QToolButton>

ExchangeActions::ExchangeActions(Session &session, DictionaryPage &page)
    : QObject(&page), m_session(session), m_page(page)
{
}

QToolButton *ExchangeActions::makeButton(QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QStringLiteral("toolButton_exchange"));
    button->setText(QStringLiteral("Обмен"));
    button->setToolTip(QStringLiteral("Экспорт и импорт карточек: таблицы, KVTML, списки для "
                                      "печати"));
    button->setAccessibleName(QStringLiteral("Экспорт и импорт карточек"));
    button->setPopupMode(QToolButton::InstantPopup);
    auto *menu = new QMenu(button);
    menu->setObjectName(QStringLiteral("exchangeMenu"));
    QAction *exportAction =
        menu->addAction(QStringLiteral("Экспорт..."), this, [this] { exportCards(); });
    exportAction->setObjectName(QStringLiteral("exportAction"));
    QAction *importAction =
        menu->addAction(QStringLiteral("Импорт..."), this, [this] { importCards(); });
    importAction->setObjectName(QStringLiteral("importAction"));
    button->setMenu(menu);
    return button;
}

bool ExchangeActions::allowed(bool forImport)
{
    if (m_session.dictionary.isBusy())
        return false;
    if (forImport && m_session.run.running) {
        m_session.ui().showWarning(RunText::finishRunFirst());
        return false;
    }
    return true;
}

QList<int> ExchangeActions::selectedIds() const
{
    QList<int> ids;
    const QList<TableRow> &rows = m_page.tableModel()->rows();
    const QModelIndexList selected = m_page.table3->selectionModel()->selectedRows();
    for (const QModelIndex &index : selected) {
        if (index.row() < rows.size() && !rows[index.row()].isHeader())
            ids << rows[index.row()].cardId;
    }
    if (ids.isEmpty() && m_page.currentCardId() > 0)
        ids << m_page.currentCardId();
    return ids;
}

QList<int> ExchangeActions::tableIds() const
{
    QList<int> ids;
    for (const TableRow &row : m_page.tableModel()->rows())
        if (!row.isHeader())
            ids << row.cardId;
    return ids;
}

void ExchangeActions::exportCards()
{
    if (!allowed(false))
        return;
    Dictionary &dict = m_session.dictionary;
    Interaction &ui = m_session.ui();
    if (dict.cardCount() == 0) {
        ui.showWarning(QStringLiteral("В словаре нет карточек: откройте файл или добавьте "
                                      "карточки"));
        return;
    }
    const QList<int> selected = selectedIds();
    const QList<int> table = tableIds();
    ExportDialog dialog(int(selected.size()), int(table.size()), dict.openFiles(),
                        dict.hasNewCards(), &m_page);
    if (ui.runDialog(&dialog) != QDialog::Accepted)
        return;
    QList<Card> cards;
    QString title;
    switch (dialog.scope()) {
    case ExportDialog::Scope::Selected:
    case ExportDialog::Scope::Table:
        for (int id : dialog.scope() == ExportDialog::Scope::Selected ? selected : table)
            if (const std::optional<Card> c = dict.cardById(id))
                cards << *c;
        title = dict.openFiles().size() == 1
                    ? QFileInfo(*dict.openFiles().begin()).completeBaseName()
                    : QStringLiteral("Словарь");
        break;
    case ExportDialog::Scope::File:
        cards = dict.cardsOfFile(dialog.file());
        title = dialog.file().isEmpty() ? ExportDialog::newCardsText()
                                        : QFileInfo(dialog.file()).completeBaseName();
        break;
    }
    if (cards.isEmpty()) {
        ui.showWarning(QStringLiteral("Нет карточек для экспорта"));
        return;
    }
    ExportOptions options = dialog.options();
    options.title = title;
    const QString suffix = exchangeSuffix(options.format);
    QString path = ui.getSaveFileName(QStringLiteral("Куда сохранить карточки"),
                                      title + QLatin1Char('.') + suffix, exportFileFilter());
    if (path.isEmpty())
        return;
    if (exchangeFormatForPath(path) != options.format)
        path += QLatin1Char('.') + suffix;

    QByteArray bytes;
    QString error;
    bool ok = false;
    if (options.format == ExchangeFormat::Pdf) {
        // The layout of the page uses the fonts of this thread.
        WaitCursor wait;
        bytes = exportBytes(cards, options);
        ok = writeExportFile(path, bytes, &error);
    } else {
        FileProgress progress;
        progress.stage = FileProgress::Saving;
        progress.path = path;
        progress.total = 1;
        m_page.jobWindow().run(progress, [&](const std::atomic<bool> &) {
            bytes = exportBytes(cards, options);
            ok = writeExportFile(path, bytes, &error);
        });
    }
    if (!ok) {
        ui.showCritical(QStringLiteral("Не удалось сохранить файл\n%1\n%2").arg(path, error));
        return;
    }
    ui.showInformation(
        QStringLiteral("Карточек сохранено: %1\nв файл %2").arg(cards.size()).arg(path));
}

void ExchangeActions::importCards(const QString &path)
{
    if (!allowed(true))
        return;
    Dictionary &dict = m_session.dictionary;
    Interaction &ui = m_session.ui();
    ImportDialog dialog(ui, dict, &m_page);
    if (!path.isEmpty())
        dialog.loadFile(path);
    if (ui.runDialog(&dialog) != QDialog::Accepted)
        return;
    // The dialog closes with a readable file only; anything else is no import.
    if (!allowed(true) || dialog.lineEdit_file->text().isEmpty() ||
        !dialog.importFile().error.isEmpty())
        return;

    const ImportFile &file = dialog.importFile();
    const QList<ExchangeColumn> columns = dialog.columns();
    const QChar separator = dialog.separator();
    const int header = dialog.headerRow() ? 1 : 0;
    const ImportDefaults defaults = dialog.defaults();
    const ImportOptions options = dialog.options();
    const int foreignId = dialog.foreignId();
    const int russianId = dialog.russianId();
    ImportPlan plan;
    int found = 0;
    FileProgress progress;
    progress.stage = FileProgress::Opening;
    progress.path = QFileInfo(dialog.lineEdit_file->text()).fileName();
    progress.total = 1;
    progress.cancellable = true;
    // The cards are read and checked on the worker against the dictionary,
    // which stays as it is meanwhile (a job refuses every other change);
    // nothing enters it until that is over, so a cancel leaves nothing.
    dict.setJob(Dictionary::Job::Convert);
    const bool done = m_page.jobWindow().run(progress, [&](const std::atomic<bool> &cancel) {
        ImportSource source;
        if (file.format == ExchangeFormat::Kvtml) {
            source = cardsFromKvtml(file.kvtml, foreignId, russianId, defaults);
        } else {
            source = importDelimitedCards(file, separator, header, &columns, defaults, &cancel);
        }
        if (cancel)
            return;
        found = int(source.cards.size());
        plan = planImport(std::move(source), dict, options);
    });
    dict.setJob(Dictionary::Job::None);
    if (!done)
        return;
    if (found == 0) {
        ui.showWarning(ExchangeText::nothingToImport());
        return;
    }
    if (!plan.added.isEmpty() || !plan.updated.isEmpty()) {
        if (!options.targetFile.isEmpty() && !dict.openFiles().count(options.targetFile)) {
            ui.showWarning(QStringLiteral("Файл\n%1\nуже закрыт").arg(options.targetFile));
            return;
        }
        m_session.history.importCards(
            plan.added, plan.updated,
            ExchangeText::historyText(int(plan.added.size() + plan.updated.size())));
        m_page.slot_refresh();
        m_page.fitTableColumns();
        emit m_page.actionStatesChanged();
    }
    QString message = ExchangeText::importDone(plan);
    if (!plan.added.isEmpty() || !plan.updated.isEmpty())
        message += QStringLiteral("\nНе забудьте сохранить изменения.");
    ui.showInformation(message);
    if (!plan.refused.isEmpty())
        ui.showWarning(ExchangeText::refusedCards(plan.refused));
}
