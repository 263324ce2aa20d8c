#pragma once

#include "core/dictionary/action_states.h"
#include "core/dictionary/card_table.h"
#include "ui/dictionary/dictionary_page_form.h"

#include <QString>
#include <QStringList>

#include <memory>

class CardEditActions;
class DictionaryFiles;
class FileJobWindow;
class FindActions;
class DictionaryTableModel;
class ExchangeActions;
class QFrame;
class QKeyEvent;
class QMenu;
class Session;
class RunSession;
class VForm_tools;

// The dictionary tab: the table of all cards with its grouping and sort box,
// the card and file buttons, the table's keys and context menu.
class DictionaryPage : public DictionaryPageForm
{
    Q_OBJECT
public:
    DictionaryPage(Session &session, RunSession &run, QWidget *parent = nullptr);
    ~DictionaryPage() override;

    DictionaryTableModel *tableModel() const { return m_model; }
    TableSortOptions sortOptions() const;
    // Reads the sort box from the settings; writes it back.
    void readSettings();
    void writeSettings();

    // The frame tells the page which tab is current.
    void setCurrentTab(MainTab tab);
    ActionStates actionStates() const;
    // Paints this tab's buttons from the states.
    void showActionStates(const ActionStates &states);

    void fitTableColumns();
    int cardRowCount() const;
    // Id of the card in the current table row, 0 for a header row or none.
    int currentCardId() const;
    // Table row of the card with this id, -1 when it is not shown.
    int rowOfCard(int id) const;
    void selectTableRow(int row);
    // Selects the card's row and focuses the table; false when it is not shown.
    bool showCardInTable(int id);
    // The table's context menu for a row (-1: no row); the caller pops it up.
    QMenu *buildContextMenu(int row);
    QString jumpKind() const { return m_jumpKind; }
    FindActions &findActions() { return *m_find; }
    // Export and import of cards (the "Обмен" button and the table's menu).
    ExchangeActions &exchangeActions() { return *m_exchange; }
    // Where the long steps of file jobs run.
    FileJobWindow &jobWindow();
    // The tools window, made on first use and kept, hidden, from then on.
    VForm_tools *toolsWindow();
    // Cards made outside the editor (the tools window's conversion): they
    // get their ids, the table is rebuilt and the buttons repainted.
    void addNewCards(const QList<Card> &cards);

    // The table's keys; true when consumed.
    bool handleTableKey(QKeyEvent *event);
    // F4 on this tab.
    void playRowSound();
    // Events of the table's viewport and scroll bar (double click, resizes).
    bool handleTableEvent(QObject *watched, QEvent *event);

public slots:
    void slot_refresh();
    void slot_sizeChange(int section, int oldSize, int newSize);
    void slot_table_clicked(const QPoint &pos);
    void slot_table3currentChanged();
    void slot_checkBox3_clicked();
    void slot_rB1_clicked();
    void slot_rB2_clicked();
    void slot_add_to_archive();

    // Cards.
    void slot_word_add();
    void slot_word_add_copy();
    void slot_word_edit();
    void slot_word_del();
    // Ctrl+Z, Ctrl+Shift+Z / Ctrl+Y and the table's menu.
    void slot_undo();
    void slot_redo();

    // Finding cards.
    void slot_call_filter();
    void slot_find_in_dict();
    // F3: searches on from the last match when there is a search to repeat.
    void slot_search_again();
    void slot_word_info();
    // "Статистика": the charts of the open dictionary and the run journal.
    void slot_statistics();

    // The tools window.
    void slot_tools_clicked();

    // Dictionary files.
    void slot_addFile();
    // Opens the given files as if chosen in the open dialog (the files named
    // on the command line): the same checks and messages, then the table.
    void openFiles(const QStringList &paths);
    void slot_save_all();
    void slot_save_as();
    void slot_close();
    void slot_join();

signals:
    // Something the window's buttons or status line show may have changed.
    void actionStatesChanged();
    // The filter's icon may have changed.
    void filterChanged();
    // Closing a file during a run asks to end the run first.
    void runEndRequested();
    // A card found by the search is shown on this tab.
    void dictionaryTabRequested();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void setupTable();
    void placeCornerFrame();
    void jumpTo(bool up);
    // One for the program run: it remembers which files were backed up.
    DictionaryFiles &files();
    // The table follows the dictionary's signals.
    void connectDictionary();
    void rebuildAfterReset();
    // No file job runs (each slot that starts one checks it again).
    bool fileJobAllowed();
    // Selects the row of a card just added (0: none was).
    void selectAddedCard(int id);
    // After an undo or redo: the table rebuilt when cards came or went, and
    // the row of the card it changed selected.
    void showHistoryStep(int focusId);
    void setIcon(QAbstractButton *button, const QString &file);

    Session &m_session;
    // Sounds of both tabs share the run's queue.
    RunSession &m_run;
    DictionaryTableModel *m_model = nullptr;
    // Word keys of the table order, kept from one refresh to the next.
    TableSortCache m_sortCache;
    // Rows an open computed on its worker for the dictionary it made, used
    // by the rebuild that follows while the dictionary is still that one.
    PreparedTableRows m_prepared;
    // A refresh was asked for during the open: the options or the filter
    // may differ from what the rows were made with.
    bool m_preparedStale = false;
    QFrame *m_cornerFrame = nullptr;
    MainTab m_tab = MainTab::Learning;
    std::unique_ptr<FileJobWindow> m_jobWindow;
    std::unique_ptr<DictionaryFiles> m_files;
    std::unique_ptr<CardEditActions> m_cards;
    FindActions *m_find = nullptr;
    ExchangeActions *m_exchange = nullptr;
    VForm_tools *m_tools = nullptr;
    bool m_firstShow = true;
    bool m_fitting = false;
    // A reset or a change of files came during a file job: the table is
    // rebuilt once the job is over.
    bool m_resetPending = false;
    bool m_filesPending = false;
    // The table was rebuilt after a reset since this was last cleared.
    bool m_rebuilt = false;
    QString m_jumpKind;
};
