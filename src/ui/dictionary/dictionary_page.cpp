#include "ui/dictionary/dictionary_page.h"

#include "app/session.h"
#include "core/dictionary/dictionary_files.h"
#include "core/dictionary/dictionary_history.h"
#include "core/run/run_session.h"
#include "ui/common/button_icons.h"
#include "ui/common/interaction.h"
#include "ui/common/key_events.h"
#include "ui/convert/tools_window.h"
#include "ui/dictionary/dictionary_table_model.h"
#include "ui/dictionary/file_job_window.h"
#include "ui/editor/card_edit_actions.h"
#include "ui/exchange/exchange_actions.h"
#include "ui/find/find_actions.h"
#include "ui/statistics/statistics_window.h"

#include <QApplication>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTimer>

DictionaryPage::DictionaryPage(Session &session, RunSession &run, QWidget *parent)
    : DictionaryPageForm(parent), m_session(session), m_run(run)
{
    setObjectName(QStringLiteral("dictionaryPage"));
    setupTable();
    connectDictionary();
    connect(table3->header(), &QHeaderView::sectionResized, this, &DictionaryPage::slot_sizeChange);
    connect(table3, &QWidget::customContextMenuRequested, this,
            &DictionaryPage::slot_table_clicked);
    connect(table3->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &DictionaryPage::slot_table3currentChanged);
    connect(checkBox3, &QCheckBox::clicked, this, &DictionaryPage::slot_checkBox3_clicked);
    connect(radioButton1, &QRadioButton::clicked, this, &DictionaryPage::slot_rB1_clicked);
    connect(radioButton2, &QRadioButton::clicked, this, &DictionaryPage::slot_rB2_clicked);
    connect(toolButton7, &QToolButton::clicked, this, &DictionaryPage::slot_refresh);
    connect(toolButton_toArchive, &QToolButton::clicked, this,
            &DictionaryPage::slot_add_to_archive);
    connect(pushButton_voice2, &QPushButton::clicked, this, &DictionaryPage::playRowSound);
    connect(toolButton3_saveAs, &QToolButton::clicked, this, &DictionaryPage::slot_save_as);
    connect(toolButton7_fileClose, &QToolButton::clicked, this, &DictionaryPage::slot_close);
    connect(toolButton5_joinFiles, &QToolButton::clicked, this, &DictionaryPage::slot_join);
    connect(toolButton8_addWord, &QToolButton::clicked, this, &DictionaryPage::slot_word_add);
    connect(toolButton_addCopyWord, &QToolButton::clicked, this,
            &DictionaryPage::slot_word_add_copy);
    connect(toolButton9_editWord, &QToolButton::clicked, this, &DictionaryPage::slot_word_edit);
    connect(toolButton10_deleteWord, &QToolButton::clicked, this, &DictionaryPage::slot_word_del);
    connect(toolButton10_findWord, &QToolButton::clicked, this, &DictionaryPage::slot_find_in_dict);
    connect(table3, &QAbstractItemView::doubleClicked, this, &DictionaryPage::slot_word_edit);
    connect(toolButton_tools, &QToolButton::clicked, this, &DictionaryPage::slot_tools_clicked);
    connect(toolButton_statistics, &QToolButton::clicked, this, &DictionaryPage::slot_statistics);

    m_cards = std::make_unique<CardEditActions>(m_session.history, m_session.settings,
                                                m_session.ui(), this);
    m_find = new FindActions(m_session.dictionary, m_session.filter, m_session.settings,
                             m_session.ui(), this);
    m_find->setRunningCheck([this] { return !actionStates().filter; });
    connect(m_find, &FindActions::showCardRequested, this, [this](int id) {
        emit dictionaryTabRequested();
        showCardInTable(id);
    });
    m_exchange = new ExchangeActions(m_session, *this);
    dictButtonsLayout->insertWidget(dictButtonsLayout->indexOf(toolButton_tools) + 1,
                                    m_exchange->makeButton(this));

    radioButton1->setChecked(true);
    groupBox1->hide();
    // Pictures the action states never change.
    setIcon(toolButton7, QStringLiteral("Check.png"));
    setIcon(toolButton8_addWord, QStringLiteral("Card_add.png"));
    setIcon(toolButton_statistics, QStringLiteral("Statistics.png"));
}

DictionaryPage::~DictionaryPage() = default;

void DictionaryPage::setIcon(QAbstractButton *button, const QString &file)
{
    setButtonIcon(button, QStringLiteral("icons:"), file);
}

void DictionaryPage::setupTable()
{
    m_model = new DictionaryTableModel(&m_session.dictionary, this);
    table3->setModel(m_model);
    table3->setItemDelegate(new GroupHeaderDelegate(table3));
    table3->setRootIsDecorated(false);
    table3->setUniformRowHeights(false);
    table3->setItemsExpandable(false);
    table3->setAllColumnsShowFocus(true);
    table3->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table3->setSelectionBehavior(QAbstractItemView::SelectRows);
    table3->setSelectionMode(QAbstractItemView::SingleSelection);
    table3->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table3->setTextElideMode(Qt::ElideNone);
    table3->setWordWrap(false);
    table3->setContextMenuPolicy(Qt::CustomContextMenu);
    QHeaderView *h = table3->header();
    h->setStretchLastSection(false);
    h->setSectionsMovable(false);
    // The card numbers stand at the left, where a table shows its row labels.
    h->moveSection(DictionaryTableModel::NumberColumn, 0);
    h->setSectionResizeMode(DictionaryTableModel::NumberColumn, QHeaderView::Fixed);
    h->resizeSection(DictionaryTableModel::NumberColumn, 40);
    table3->setColumnHidden(DictionaryTableModel::IdColumn, true);
    h->resizeSection(DictionaryTableModel::ForeignColumn, 200);
    h->resizeSection(DictionaryTableModel::RussianColumn, 200);

    // A raised square over the header corner, where a table has its corner button.
    m_cornerFrame = new QFrame(table3);
    m_cornerFrame->setLineWidth(2);
    m_cornerFrame->setMidLineWidth(1);
    m_cornerFrame->setFrameShape(QFrame::StyledPanel);
    m_cornerFrame->setFrameShadow(QFrame::Raised);
    m_cornerFrame->show();
}

void DictionaryPage::readSettings()
{
    const TableSortOptions sorting = readSorting(m_session.settings);
    checkBox1->setChecked(sorting.byFiles);
    checkBox2->setChecked(sorting.byLessons);
    radioButton1->setChecked(sorting.byForeign);
    radioButton2->setChecked(!sorting.byForeign);
}

void DictionaryPage::writeSettings()
{
    writeSorting(m_session.settings, sortOptions());
}

TableSortOptions DictionaryPage::sortOptions() const
{
    TableSortOptions o;
    o.byFiles = checkBox1->isChecked();
    o.byLessons = checkBox2->isChecked();
    o.byForeign = radioButton1->isChecked();
    return o;
}

void DictionaryPage::setCurrentTab(MainTab tab)
{
    m_tab = tab;
    if (tab == MainTab::Dictionary)
        fitTableColumns();
}

ActionStates DictionaryPage::actionStates() const
{
    ActionContext context;
    context.tab = m_tab;
    context.currentCardId = currentCardId();
    context.numRightLearn = m_session.appearance.numRightLearn;
    context.speechOn = m_session.speechInUse();
    context.history = &m_session.history;
    return computeActionStates(m_session.dictionary, m_session.run, m_session.work, context);
}

void DictionaryPage::showActionStates(const ActionStates &s)
{
    setIcon(toolButton8_addWord, QStringLiteral("Card_add.png"));
    setIcon(toolButton_addCopyWord, pickIcon(s.addCopy, QStringLiteral("Card_add_copy")));
    setIcon(toolButton9_editWord, pickIcon(s.edit, QStringLiteral("Card_edit")));
    setIcon(toolButton10_deleteWord, pickIcon(s.remove, QStringLiteral("Card_delete")));
    setIcon(toolButton10_findWord, pickIcon(s.find, QStringLiteral("Card_find")));
    setIcon(pushButton_voice2, pickIcon(s.rowSound, QStringLiteral("Voice_small")));
    setIcon(toolButton_toArchive, pickIcon(s.toArchive, QStringLiteral("Add_to_archive")));
    setIcon(toolButton5_joinFiles, pickIcon(s.join, QStringLiteral("Join_files")));
    setIcon(toolButton3_saveAs, pickIcon(s.saveAs, QStringLiteral("SaveAs")));
    setIcon(toolButton7_fileClose, pickIcon(s.closeFiles, QStringLiteral("File_close")));
    setIcon(toolButton_tools, pickIcon(s.tools, QStringLiteral("Tools")));
}

// ---------------------------------------------------------------- table

void DictionaryPage::slot_refresh()
{
    Dictionary &dict = m_session.dictionary;
    if (dict.isBusy()) {
        // A file job's worker may be reading the cards: the table is rebuilt
        // once the job is over, with the options and filter of then.
        m_resetPending = true;
        m_preparedStale = true;
        return;
    }
    WaitCursor wait;
    table3->setUpdatesEnabled(false);
    m_session.run.clearRecentCards();
    if (!m_preparedStale && m_prepared.validFor(dict)) {
        // An open filtered and sorted the cards already.
        m_model->setRows(std::move(m_prepared.rows));
    } else {
        m_session.filter.applyTo(dict);
        m_model->setRows(sortAndBuildTableRows(dict, sortOptions(), &m_sortCache));
    }
    m_prepared = PreparedTableRows();
    m_preparedStale = false;
    const QList<TableRow> &shown = m_model->rows();
    const int digits = QString::number(shown.isEmpty() ? 0 : dict.cardCount()).size();
    table3->header()->resizeSection(
        DictionaryTableModel::NumberColumn,
        table3->fontMetrics().horizontalAdvance(QString(digits + 1, QLatin1Char('0'))) + 8);
    table3->setUpdatesEnabled(true);
    table3->viewport()->update();
}

int DictionaryPage::cardRowCount() const
{
    return m_model->lastCardNumber();
}

int DictionaryPage::currentCardId() const
{
    const QModelIndex cur = table3->currentIndex();
    if (!cur.isValid() || cur.row() >= m_model->rows().size())
        return 0;
    const TableRow &r = m_model->rows().at(cur.row());
    return r.isHeader() ? 0 : r.cardId;
}

int DictionaryPage::rowOfCard(int id) const
{
    return m_model->rowOfCard(id);
}

void DictionaryPage::selectTableRow(int row)
{
    const QModelIndex idx = m_model->index(row, DictionaryTableModel::ForeignColumn);
    table3->setCurrentIndex(idx);
    table3->scrollTo(idx);
}

bool DictionaryPage::showCardInTable(int id)
{
    const int row = rowOfCard(id);
    if (row < 0)
        return false;
    selectTableRow(row);
    table3->setFocus();
    return true;
}

void DictionaryPage::slot_table3currentChanged()
{
    emit actionStatesChanged();
}

void DictionaryPage::slot_checkBox3_clicked()
{
    groupBox1->setVisible(checkBox3->isChecked());
}

void DictionaryPage::slot_rB1_clicked()
{
    radioButton2->setChecked(!radioButton1->isChecked());
}

void DictionaryPage::slot_rB2_clicked()
{
    radioButton1->setChecked(!radioButton2->isChecked());
}

// ---------------------------------------------------------------- cards

void DictionaryPage::selectAddedCard(int id)
{
    // The dictionary's signal has appended its row at the end.
    if (id > 0)
        selectTableRow(int(m_model->rows().size()) - 1);
    emit actionStatesChanged();
}

void DictionaryPage::slot_word_add()
{
    if (!actionStates().addWord)
        return;
    selectAddedCard(m_cards->addWord(currentCardId()));
}

void DictionaryPage::slot_word_add_copy()
{
    if (!actionStates().addCopy)
        return;
    selectAddedCard(m_cards->addCopy(currentCardId()));
}

void DictionaryPage::slot_word_edit()
{
    if (!actionStates().edit)
        return;
    m_cards->edit(currentCardId());
    emit actionStatesChanged();
}

void DictionaryPage::slot_word_del()
{
    if (!actionStates().remove)
        return;
    const int id = currentCardId();
    const int row = rowOfCard(id);
    const int scroll = table3->verticalScrollBar()->value();
    // The dictionary's signal drops the row; the row above takes its place
    // and the table keeps its scroll.
    if (m_cards->remove(id, m_session.run.running)) {
        if (row > 0)
            selectTableRow(row - 1);
        table3->verticalScrollBar()->setValue(scroll);
    }
    emit actionStatesChanged();
}

void DictionaryPage::slot_add_to_archive()
{
    if (!actionStates().toArchive)
        return;
    m_cards->toArchive(currentCardId());
    emit actionStatesChanged();
}

void DictionaryPage::slot_undo()
{
    if (actionStates().undo)
        showHistoryStep(m_session.history.undo());
}

void DictionaryPage::slot_redo()
{
    if (actionStates().redo)
        showHistoryStep(m_session.history.redo());
}

void DictionaryPage::showHistoryStep(int focusId)
{
    const int row = table3->currentIndex().row();
    // Cards that come back take their places in the sorted table; the
    // model alone would append them at the end.
    if (focusId >= 0 && m_session.history.lastStepChangedCardSet()) {
        slot_refresh();
        fitTableColumns();
    }
    if (focusId > 0)
        showCardInTable(focusId);
    else if (focusId == 0 && currentCardId() == 0 && row > 0)
        selectTableRow(std::min(row - 1, int(m_model->rows().size()) - 1));
    emit actionStatesChanged();
}

void DictionaryPage::addNewCards(const QList<Card> &cards)
{
    if (!fileJobAllowed())
        return;
    if (m_session.history.addCards(cards, HistoryText::convertCards(int(cards.size()))).isEmpty())
        return;
    // The new lessons take their places among the others.
    slot_refresh();
    fitTableColumns();
    emit actionStatesChanged();
}

// ---------------------------------------------------------------- tools

VForm_tools *DictionaryPage::toolsWindow()
{
    if (!m_tools) {
        // The program's tools window asks through boxes of its own, with its
        // own caption; prompts a test scripts answer for both windows.
        Interaction *ui =
            dynamic_cast<QtInteraction *>(&m_session.ui()) ? nullptr : &m_session.ui();
        m_tools = new VForm_tools(m_session, ui, this);
        connect(m_tools, &VForm_tools::cardsConverted, this, &DictionaryPage::addNewCards);
        connect(m_tools, &VForm_tools::importRequested, m_exchange,
                [this] { m_exchange->importCards(); });
        connect(m_tools, &VForm_tools::dictionaryStateChanged, this,
                &DictionaryPage::actionStatesChanged);
        connect(m_tools, &VForm_tools::visibilityChanged, this,
                &DictionaryPage::actionStatesChanged);
    }
    return m_tools;
}

void DictionaryPage::slot_tools_clicked()
{
    if (!actionStates().tools)
        return;
    toolsWindow()->showTools();
}

// ---------------------------------------------------------------- finding

void DictionaryPage::slot_call_filter()
{
    if (!actionStates().filter)
        return;
    if (m_find->callFilter()) {
        slot_refresh();
        fitTableColumns();
    }
    emit filterChanged();
}

void DictionaryPage::slot_find_in_dict()
{
    m_find->findInDict();
    emit actionStatesChanged();
}

void DictionaryPage::slot_search_again()
{
    m_find->searchAgain();
}

void DictionaryPage::slot_word_info()
{
    m_find->wordInfo(currentCardId());
}

QMenu *DictionaryPage::buildContextMenu(int row)
{
    int id = 0;
    if (row >= 0 && row < m_model->rows().size() && !m_model->rows().at(row).isHeader())
        id = m_model->rows().at(row).cardId;
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("table3PopupM"));
    QFont bold = QApplication::font();
    bold.setWeight(QFont::Bold);
    // Undo and redo stand first, with what they would take back or do again.
    const ActionStates states = actionStates();
    QAction *undo = menu->addAction(HistoryText::undoEntry(m_session.history.undoText()), this,
                                    &DictionaryPage::slot_undo);
    undo->setObjectName(QStringLiteral("undoAction"));
    undo->setEnabled(states.undo);
    QAction *redo = menu->addAction(HistoryText::redoEntry(m_session.history.redoText()), this,
                                    &DictionaryPage::slot_redo);
    redo->setObjectName(QStringLiteral("redoAction"));
    redo->setEnabled(states.redo);
    menu->addSeparator();
    if (id > 0) {
        QAction *edit = menu->addAction(QStringLiteral("Редактировать (F2)"), this,
                                        &DictionaryPage::slot_word_edit);
        edit->setFont(bold);
        if (!m_session.run.running)
            menu->addAction(QStringLiteral("Удалить (Del)"), this, &DictionaryPage::slot_word_del);
        menu->addAction(QStringLiteral("Добавить"), this, &DictionaryPage::slot_word_add);
        menu->addAction(QStringLiteral("Добавить (копия)"), this,
                        &DictionaryPage::slot_word_add_copy);
        menu->addSeparator();
    }
    if (row >= 0 && !toolButton7->isHidden() && toolButton7->isEnabled())
        menu->addAction(QStringLiteral("Обновить (Ctrl+O)"), this, &DictionaryPage::slot_refresh);
    if (m_session.dictionary.cardCount() == 0) {
        QAction *open =
            menu->addAction(QStringLiteral("Открыть файл(ы)"), this, &DictionaryPage::slot_addFile);
        open->setFont(bold);
    }
    if (id > 0)
        menu->addAction(QStringLiteral("Инфо (F1)"), this, &DictionaryPage::slot_word_info);
    QAction *exportCards = menu->addAction(QStringLiteral("Экспорт карточек..."), m_exchange,
                                           [this] { m_exchange->exportCards(); });
    exportCards->setObjectName(QStringLiteral("exportAction"));
    exportCards->setEnabled(m_session.dictionary.cardCount() > 0);
    QAction *importCards = menu->addAction(QStringLiteral("Импорт карточек..."), m_exchange,
                                           [this] { m_exchange->importCards(); });
    importCards->setObjectName(QStringLiteral("importAction"));
    menu->addAction(QStringLiteral("Статистика"), this, &DictionaryPage::slot_statistics);
    return menu;
}

void DictionaryPage::slot_table_clicked(const QPoint &pos)
{
    const QModelIndex idx = table3->indexAt(pos);
    QMenu *menu = buildContextMenu(idx.isValid() ? idx.row() : -1);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(table3->viewport()->mapToGlobal(pos));
}

void DictionaryPage::slot_sizeChange(int section, int, int)
{
    if (m_fitting || section != DictionaryTableModel::ForeignColumn)
        return;
    m_fitting = true;
    QHeaderView *h = table3->header();
    const int w = table3->viewport()->width() - h->sectionSize(DictionaryTableModel::NumberColumn) -
                  h->sectionSize(DictionaryTableModel::ForeignColumn) - 2;
    if (w > 0)
        h->resizeSection(DictionaryTableModel::RussianColumn, w);
    m_fitting = false;
}

void DictionaryPage::placeCornerFrame()
{
    QHeaderView *h = table3->header();
    const int x =
        table3->frameWidth() + h->sectionViewportPosition(DictionaryTableModel::NumberColumn);
    m_cornerFrame->setGeometry(x, table3->frameWidth(),
                               h->sectionSize(DictionaryTableModel::NumberColumn), h->height());
    m_cornerFrame->raise();
}

void DictionaryPage::fitTableColumns()
{
    placeCornerFrame();
    // Widths mean nothing before the table is laid out on screen.
    if (m_tab != MainTab::Dictionary || !table3->isVisible())
        return;
    QHeaderView *h = table3->header();
    const int numberWidth = h->sectionSize(DictionaryTableModel::NumberColumn);
    const int avail = table3->viewport()->width() - numberWidth;
    m_fitting = true;
    table3->setUpdatesEnabled(false);
    const int c0 = h->sectionSize(DictionaryTableModel::ForeignColumn);
    const int c1 = h->sectionSize(DictionaryTableModel::RussianColumn);
    if (m_firstShow) {
        m_firstShow = false;
        h->resizeSection(DictionaryTableModel::ForeignColumn, avail / 2 - 1);
        h->resizeSection(DictionaryTableModel::RussianColumn, avail / 2 - 1);
    } else {
        const int free = avail - c0 - c1;
        const bool widenRussian = c1 < c0;
        if (free > 0) {
            if (widenRussian)
                h->resizeSection(DictionaryTableModel::RussianColumn, c1 + free);
            else
                h->resizeSection(DictionaryTableModel::ForeignColumn, c0 + free);
        } else if (free < 0) {
            // Shrink the wider one.
            if (c1 > c0)
                h->resizeSection(DictionaryTableModel::RussianColumn, std::max(20, c1 + free));
            else
                h->resizeSection(DictionaryTableModel::ForeignColumn, std::max(20, c0 + free));
        }
    }
    table3->setUpdatesEnabled(true);
    m_fitting = false;
    placeCornerFrame();
}

void DictionaryPage::resizeEvent(QResizeEvent *event)
{
    DictionaryPageForm::resizeEvent(event);
    fitTableColumns();
}

void DictionaryPage::showEvent(QShowEvent *event)
{
    DictionaryPageForm::showEvent(event);
    // The layout gives the table its real width only after the show.
    QTimer::singleShot(0, this, &DictionaryPage::fitTableColumns);
}

// ---------------------------------------------------------------- keys

void DictionaryPage::jumpTo(bool up)
{
    const QList<TableRow> &rows = m_model->rows();
    const QModelIndex cur = table3->currentIndex();
    int row = cur.isValid() ? cur.row() : (up ? int(rows.size()) : -1);
    const int step = up ? -1 : 1;
    for (row += step; row >= 0 && row < rows.size(); row += step) {
        if (rows[row].isHeader() && rows[row].kindText() == m_jumpKind) {
            selectTableRow(row);
            return;
        }
    }
}

bool DictionaryPage::handleTableKey(QKeyEvent *e)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    const int key = latinKeyOf(e);
    if (e->type() == QEvent::KeyRelease) {
        if (!e->isAutoRepeat() && (key == Qt::Key_F || key == Qt::Key_L || key == Qt::Key_C))
            m_jumpKind.clear();
        return false;
    }
    switch (historyKey(key, mods)) {
    case HistoryKey::Undo:
        slot_undo();
        return true;
    case HistoryKey::Redo:
        slot_redo();
        return true;
    case HistoryKey::None:
        break;
    }
    // The jump keys are consumed so the view's type-ahead search does not
    // move the selection under them.
    switch (key) {
    case Qt::Key_F:
        if (mods == Qt::ControlModifier) {
            slot_find_in_dict();
            return true;
        }
        m_jumpKind = QStringLiteral("file");
        return mods == Qt::NoModifier;
    case Qt::Key_Delete:
        slot_word_del();
        return true;
    case Qt::Key_F2:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        slot_word_edit();
        return true;
    case Qt::Key_F3:
        slot_search_again();
        return true;
    case Qt::Key_L:
        m_jumpKind = QStringLiteral("lesson");
        return mods == Qt::NoModifier;
    case Qt::Key_C:
        m_jumpKind = QStringLiteral("letter");
        return mods == Qt::NoModifier;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (m_jumpKind.isEmpty())
            return false;
        jumpTo(key == Qt::Key_Up);
        return true;
    case Qt::Key_O:
        if (mods == Qt::ControlModifier)
            slot_refresh();
        return false;
    case Qt::Key_S:
        if (mods == Qt::ControlModifier)
            slot_save_all();
        return false;
    default:
        return false;
    }
}

bool DictionaryPage::handleTableEvent(QObject *watched, QEvent *event)
{
    const QEvent::Type t = event->type();
    if (watched == table3->viewport() && t == QEvent::MouseButtonDblClick) {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() == Qt::LeftButton && !table3->indexAt(me->pos()).isValid()) {
            slot_addFile();
            return true;
        }
        return false;
    }
    if (watched == table3->verticalScrollBar() && (t == QEvent::Show || t == QEvent::Hide))
        fitTableColumns();
    return false;
}

void DictionaryPage::slot_statistics()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    StatisticsWindow window(m_session.dictionary, m_session.filter.isActive(),
                            m_session.journalFile(), m_session.ui(), QDate::currentDate(), this);
    QApplication::restoreOverrideCursor();
    m_session.ui().runDialog(&window);
}

void DictionaryPage::playRowSound()
{
    if (!m_run.pendingSounds().isEmpty())
        return;
    const int id = currentCardId();
    if (id <= 0)
        return;
    const std::optional<Card> card = m_session.dictionary.cardById(id);
    if (!card) {
        m_session.ui().showCritical(noCardMessage(id));
        return;
    }
    m_run.playCard(*card);
}
