#include "app/main_window.h"

#include "app/dictionary_table_model.h"
#include "model/markup.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QStatusBar>

namespace
{
const char *const kIconProperty = "iconFile";
const QString kSettingsFile = QStringLiteral("settings.ini");
const QString kFilterFile = QStringLiteral("settings_filter.ini");
} // namespace

Vmain_form::Vmain_form(FrameColors *frameColors, Interaction *interaction, QWidget *parent)
    : main_Form1(parent),
      m_interaction(interaction ? interaction : new QtInteraction(this, QStringLiteral("Словарь"))),
      m_frameColors(frameColors)
{
    // The settings are read before the widgets are filled.
    m_settings.load(kSettingsFile);
    m_filterStore.load(kFilterFile);
    m_settings.print();

    setupTable();
    connectSignals();
    qApp->installEventFilter(this);
    setupRun();

    bool defaultCategories = false;
    m_dict.categoryList = readCategoryList(m_settings, &defaultCategories);
    if (defaultCategories)
        showWarning(missingCategoriesWarning());

    radioButton1->setChecked(true);
    groupBox1->hide();

    progressBar1->hide();
    toolButton_pause_start->hide();
    frame4_lerning->hide();
    textEdit3_type->setEnabled(false);

    m_geometry = readMainFormGeometry(m_settings);
    move(m_geometry.topX, m_geometry.topY);
    if (m_geometry.width > 0 && m_geometry.height > 0)
        resize(m_geometry.width, m_geometry.height);
    if (m_geometry.currentTab >= 0 && m_geometry.currentTab < tabWidget2->count())
        tabWidget2->setCurrentIndex(m_geometry.currentTab);
    m_currentTab = tabWidget2->currentIndex();

    // Starting pictures; the two buttons outside updateActionStates keep theirs.
    setButtonIcon(toolButton_pause_start, QStringLiteral("16_16_play.png"));
    setButtonIcon(toolButton7, QStringLiteral("Check.png"));
    setButtonIcon(toolButton8_addWord, QStringLiteral("Card_add.png"));

    splitter2->setSizes({m_geometry.splitter2[0], m_geometry.splitter2[1]});
    splitter3->setSizes({m_geometry.splitter3[0], m_geometry.splitter3[1]});
    setWindowIcon(QIcon(QStringLiteral("./icons/Caption_icon.png")));

    readSettingsAtStart();
    setWindowTitle(QStringLiteral("Изучение слов"));
    updateActionStates();
}

Vmain_form::~Vmain_form()
{
    qApp->removeEventFilter(this);
    // The widgets go first, while the dictionary their model reads still
    // exists; their last events find no filter here.
    m_tearingDown = true;
    delete centralWidget();
}

void Vmain_form::setupTable()
{
    m_model = new DictionaryTableModel(&m_dict, this);
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

void Vmain_form::connectSignals()
{
    connect(tabWidget2, &QTabWidget::currentChanged, this, &Vmain_form::currentTabChanged);
    connect(table3->header(), &QHeaderView::sectionResized, this, &Vmain_form::slot_sizeChange);
    connect(table3, &QWidget::customContextMenuRequested, this, &Vmain_form::slot_table_clicked);
    connect(table3, &QAbstractItemView::doubleClicked, this, &Vmain_form::slot_table_doubleClicked);
    connect(table3->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &Vmain_form::slot_table3currentChanged);
    connect(checkBox3, &QCheckBox::clicked, this, &Vmain_form::slot_checkBox3_clicked);
    connect(radioButton1, &QRadioButton::clicked, this, &Vmain_form::slot_rB1_clicked);
    connect(radioButton2, &QRadioButton::clicked, this, &Vmain_form::slot_rB2_clicked);
    connect(toolButton7, &QToolButton::clicked, this, &Vmain_form::slot_refresh);
    connect(toolButton_toArchive, &QToolButton::clicked, this, &Vmain_form::slot_add_to_archive);

    connect(toolButton1_openFiles, &QToolButton::clicked, this, &Vmain_form::slot_addFile);
    connect(toolButton2_saveOneFile, &QToolButton::clicked, this, &Vmain_form::slot_save_all);
    connect(toolButton3_saveAs, &QToolButton::clicked, this, &Vmain_form::slot_save_as);
    connect(toolButton7_fileClose, &QToolButton::clicked, this, &Vmain_form::slot_close);
    connect(toolButton5_joinFiles, &QToolButton::clicked, this, &Vmain_form::slot_join);

    table3->installEventFilter(this);
    table3->viewport()->installEventFilter(this);
    table3->verticalScrollBar()->installEventFilter(this);
    textEdit1_question->installEventFilter(this);
    textEdit2_answer->installEventFilter(this);
    textEdit3_type->installEventFilter(this);
}

void Vmain_form::readSettingsAtStart()
{
    m_appearance = readAppearance(m_settings, QApplication::font());
    const TableSortOptions sorting = readSorting(m_settings);
    checkBox1->setChecked(sorting.byFiles);
    checkBox2->setChecked(sorting.byLessons);
    radioButton1->setChecked(sorting.byForeign);
    radioButton2->setChecked(!sorting.byForeign);
    m_filter.readFromIni(m_filterStore, m_dict.categoryList);
    setFilterIcon();
    m_work.read(m_settings);
    m_helpPage = readHelpPage(m_settings);
    applyAppearance();
}

void Vmain_form::applyAppearance()
{
    m_frameColors->outer = m_appearance.backgroundColor;
    // Question above answer, or side by side.
    splitter2->setOrientation(m_appearance.vertical ? Qt::Vertical : Qt::Horizontal);
    m_frameColors->inner = m_appearance.frameColor;
    for (QTextEdit *pane : {textEdit1_question, textEdit2_answer, textEdit3_type}) {
        pane->setFont(m_appearance.font);
        pane->setTextColor(m_appearance.fontColor);
        QPalette pal = pane->palette();
        pal.setColor(QPalette::Base, m_appearance.contentsBackgroundColor);
        pal.setColor(QPalette::Text, m_appearance.fontColor);
        pane->setPalette(pal);
    }
}

TableSortOptions Vmain_form::sortOptions() const
{
    TableSortOptions o;
    o.byFiles = checkBox1->isChecked();
    o.byLessons = checkBox2->isChecked();
    o.byForeign = radioButton1->isChecked();
    return o;
}

// ---------------------------------------------------------------- table

void Vmain_form::slot_refresh()
{
    WaitCursor wait;
    table3->setUpdatesEnabled(false);
    m_run.clearRecentCards();
    m_filter.applyTo(m_dict);
    const TableSortOptions opt = sortOptions();
    m_model->setRows(sortAndBuildTableRows(m_dict, opt));
    const QList<TableRow> &shown = m_model->rows();
    const int digits = QString::number(shown.isEmpty() ? 0 : m_dict.cardCount()).size();
    table3->header()->resizeSection(
        DictionaryTableModel::NumberColumn,
        table3->fontMetrics().horizontalAdvance(QString(digits + 1, QLatin1Char('0'))) + 8);
    table3->setUpdatesEnabled(true);
    table3->viewport()->update();
}

int Vmain_form::cardRowCount() const
{
    const QList<TableRow> &rows = m_model->rows();
    for (int i = int(rows.size()) - 1; i >= 0; --i)
        if (!rows[i].isHeader())
            return rows[i].number;
    return 0;
}

int Vmain_form::addCardRow(const Card &card, int number)
{
    m_dict.lessons.insert(card.lesson);
    TableRow r;
    r.kind = TableRow::CardRow;
    r.cardId = card.id;
    r.number = number;
    m_model->setAppendedRow(r);
    return int(m_model->rows().size()) - 1;
}

int Vmain_form::currentCardId() const
{
    const QModelIndex cur = table3->currentIndex();
    if (!cur.isValid() || cur.row() >= m_model->rows().size())
        return 0;
    const TableRow &r = m_model->rows().at(cur.row());
    return r.isHeader() ? 0 : r.cardId;
}

int Vmain_form::rowOfCard(int id) const
{
    const QList<TableRow> &rows = m_model->rows();
    for (int i = 0; i < rows.size(); ++i)
        if (!rows[i].isHeader() && rows[i].cardId == id)
            return i;
    return -1;
}

void Vmain_form::selectTableRow(int row)
{
    const QModelIndex idx = m_model->index(row, DictionaryTableModel::ForeignColumn);
    table3->setCurrentIndex(idx);
    table3->scrollTo(idx);
}

void Vmain_form::slot_table3currentChanged()
{
    updateActionStates();
}

void Vmain_form::slot_checkBox3_clicked()
{
    groupBox1->setVisible(checkBox3->isChecked());
}

void Vmain_form::slot_rB1_clicked()
{
    radioButton2->setChecked(!radioButton1->isChecked());
}

void Vmain_form::slot_rB2_clicked()
{
    radioButton1->setChecked(!radioButton2->isChecked());
}

void Vmain_form::slot_add_to_archive()
{
    addToArchive(m_dict, currentCardId());
    updateActionStates();
}

QMenu *Vmain_form::buildContextMenu(int row)
{
    int id = 0;
    if (row >= 0 && row < m_model->rows().size() && !m_model->rows().at(row).isHeader())
        id = m_model->rows().at(row).cardId;
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("table3PopupM"));
    QFont bold = QApplication::font();
    bold.setWeight(QFont::Bold);
    if (id > 0) {
        QAction *edit = menu->addAction(QStringLiteral("Редактировать (F2)"));
        edit->setFont(bold);
        edit->setEnabled(false);
        if (!m_run.running) {
            QAction *del = menu->addAction(QStringLiteral("Удалить (Del)"));
            del->setEnabled(false);
        }
        menu->addAction(QStringLiteral("Добавить"))->setEnabled(false);
        menu->addAction(QStringLiteral("Добавить (копия)"))->setEnabled(false);
        menu->addSeparator();
    }
    if (row >= 0 && !toolButton7->isHidden() && toolButton7->isEnabled())
        menu->addAction(QStringLiteral("Обновить (Ctrl+O)"), this, &Vmain_form::slot_refresh);
    if (m_dict.cardCount() == 0) {
        QAction *open =
            menu->addAction(QStringLiteral("Открыть файл(ы)"), this, &Vmain_form::slot_addFile);
        open->setFont(bold);
    }
    if (id > 0)
        menu->addAction(QStringLiteral("Инфо (F1)"))->setEnabled(false);
    return menu;
}

void Vmain_form::slot_table_clicked(const QPoint &pos)
{
    const QModelIndex idx = table3->indexAt(pos);
    QMenu *menu = buildContextMenu(idx.isValid() ? idx.row() : -1);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(table3->viewport()->mapToGlobal(pos));
}

void Vmain_form::slot_table_doubleClicked(const QModelIndex &index)
{
    Q_UNUSED(index);
}

void Vmain_form::slot_sizeChange(int section, int, int)
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

void Vmain_form::placeCornerFrame()
{
    QHeaderView *h = table3->header();
    const int x =
        table3->frameWidth() + h->sectionViewportPosition(DictionaryTableModel::NumberColumn);
    m_cornerFrame->setGeometry(x, table3->frameWidth(),
                               h->sectionSize(DictionaryTableModel::NumberColumn), h->height());
    m_cornerFrame->raise();
}

void Vmain_form::fitTableColumns()
{
    placeCornerFrame();
    // Widths mean nothing before the table is laid out on screen.
    if (m_currentTab != 1 || !table3->isVisible())
        return;
    QHeaderView *h = table3->header();
    const int numberWidth = h->sectionSize(DictionaryTableModel::NumberColumn);
    const int avail = table3->viewport()->width() - numberWidth;
    m_fitting = true;
    table3->setUpdatesEnabled(false);
    const int c0 = h->sectionSize(DictionaryTableModel::ForeignColumn);
    const int c1 = h->sectionSize(DictionaryTableModel::RussianColumn);
    if (m_firstDictionaryShow) {
        m_firstDictionaryShow = false;
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

void Vmain_form::resizeEvent(QResizeEvent *event)
{
    main_Form1::resizeEvent(event);
    fitTableColumns();
}

void Vmain_form::showEvent(QShowEvent *event)
{
    main_Form1::showEvent(event);
    if (m_currentTab == 1)
        fitTableColumns();
}

void Vmain_form::currentTabChanged(int index)
{
    m_currentTab = index;
    if (index == 0)
        pauseRunOnLearningTab();
    if (index == 1)
        fitTableColumns();
    updateActionStates();
}

// ---------------------------------------------------------------- keys

void Vmain_form::jumpTo(bool up)
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

bool Vmain_form::handleTableKey(QKeyEvent *e)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    if (e->type() == QEvent::KeyRelease) {
        if (!e->isAutoRepeat() &&
            (e->key() == Qt::Key_F || e->key() == Qt::Key_L || e->key() == Qt::Key_C))
            m_jumpKind.clear();
        return false;
    }
    // The jump keys are consumed so the view's type-ahead search does not
    // move the selection under them.
    switch (e->key()) {
    case Qt::Key_F:
        if (mods == Qt::ControlModifier)
            return false; // search comes with its own dialog
        m_jumpKind = QStringLiteral("file");
        return mods == Qt::NoModifier;
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
        jumpTo(e->key() == Qt::Key_Up);
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

bool Vmain_form::handleGlobalKey(QObject *watched, QKeyEvent *e)
{
    return handleRunKey(watched, e);
}

bool Vmain_form::eventFilter(QObject *watched, QEvent *event)
{
    if (m_tearingDown)
        return false;
    const QEvent::Type t = event->type();
    if (watched == table3 && (t == QEvent::KeyPress || t == QEvent::KeyRelease))
        return handleTableKey(static_cast<QKeyEvent *>(event));
    if (t == QEvent::KeyPress) {
        auto *w = qobject_cast<QWidget *>(watched);
        if (w && w->window() == this)
            return handleGlobalKey(watched, static_cast<QKeyEvent *>(event));
        return false;
    }
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
    if (handleRunPaneEvent(watched, event))
        return true;
    return main_Form1::eventFilter(watched, event);
}

// ---------------------------------------------------------------- states

QString Vmain_form::iconFileOf(const QAbstractButton *button)
{
    return button->property(kIconProperty).toString();
}

void Vmain_form::setButtonIcon(QAbstractButton *button, const QString &file)
{
    if (button->property(kIconProperty).toString() == file)
        return;
    button->setProperty(kIconProperty, file);
    button->setIcon(QIcon(QStringLiteral("./icons/") + file));
}

void Vmain_form::setFilterIcon()
{
    const bool active = m_filter.isActive();
    QString file = active ? QStringLiteral("Filter_on") : QStringLiteral("Filter_off");
    if (m_run.running)
        file += QStringLiteral("_disabled");
    setButtonIcon(toolButton6_filter, file + QStringLiteral(".png"));
}

static QString pick(bool enabled, const QString &name)
{
    return name + (enabled ? QStringLiteral(".png") : QStringLiteral("_disabled.png"));
}

void Vmain_form::updateActionStates()
{
    const bool hasCards = m_dict.cardCount() > 0;
    const Card *rowCard = m_dict.cardById(currentCardId());
    const bool running = m_run.running;
    if (m_currentTab == 1) {
        setButtonIcon(toolButton8_addWord, QStringLiteral("Card_add.png"));
        setButtonIcon(toolButton_addCopyWord, pick(rowCard, QStringLiteral("Card_add_copy")));
        setButtonIcon(toolButton9_editWord, pick(rowCard, QStringLiteral("Card_edit")));
        setButtonIcon(toolButton10_deleteWord,
                      pick(rowCard && !running, QStringLiteral("Card_delete")));
        setButtonIcon(toolButton10_findWord, pick(hasCards, QStringLiteral("Card_find")));
        setButtonIcon(pushButton_voice2, pick(rowCard && !rowCard->soundPath.isEmpty(),
                                              QStringLiteral("Voice_small")));
        setButtonIcon(toolButton_toArchive,
                      pick(rowCard && rowCard->nAr, QStringLiteral("Add_to_archive")));
        const int files = int(m_dict.openFiles.size());
        m_joinAllowed = !running && hasCards && (files > 1 || (files == 1 && m_dict.hasNewCards()));
        setButtonIcon(toolButton5_joinFiles, pick(m_joinAllowed, QStringLiteral("Join_files")));
        setButtonIcon(toolButton3_saveAs, pick(hasCards, QStringLiteral("SaveAs")));
        setButtonIcon(toolButton7_fileClose, pick(hasCards, QStringLiteral("File_close")));
        setButtonIcon(toolButton_tools, pick(true, QStringLiteral("Tools")));
    } else if (m_currentTab == 0) {
        updateRunControls();
    }
    setButtonIcon(toolButton1_openFiles, pick(!running, QStringLiteral("Open_files")));
    setFilterIcon();
    if (running)
        setButtonIcon(toolButton11_start, QStringLiteral("Turn_off.png"));
    else
        setButtonIcon(toolButton11_start,
                      pick(m_currentTab == 0 && !m_dict.lessons.empty() && hasCards,
                           QStringLiteral("Turn_on")));
    setButtonIcon(toolButton2_saveOneFile,
                  pick(!running && m_dict.changed && hasCards && !m_dict.openFiles.empty(),
                       QStringLiteral("Save_one_file")));
    refreshStatusLine();
}

void Vmain_form::refreshStatusLine()
{
    statusBar()->showMessage(composeStatusLine());
}

// ---------------------------------------------------------------- close

void Vmain_form::writeSettingsAtClose()
{
    m_geometry.topX = x();
    m_geometry.topY = y();
    m_geometry.width = width();
    m_geometry.height = height();
    m_geometry.currentTab = tabWidget2->currentIndex();
    const QList<int> s2 = splitter2->sizes();
    const QList<int> s3 = splitter3->sizes();
    for (int i = 0; i < 2; ++i) {
        m_geometry.splitter2[i] = s2.value(i, 150);
        m_geometry.splitter3[i] = s3.value(i, 150);
    }
    writeMainFormGeometry(m_settings, m_geometry);
    writeAppearance(m_settings, m_appearance);
    m_filter.writeToIni(m_filterStore);
    writeSorting(m_settings, sortOptions());
    if (m_runStartedOnce)
        m_work.write(m_settings);
    writeHelpPage(m_settings, m_helpPage);
    m_filter.writeLessons(m_filterStore);
    // A settings file that could not be written is said, not silently lost.
    for (const auto &[store, file] :
         {std::pair{&m_settings, kSettingsFile}, std::pair{&m_filterStore, kFilterFile}}) {
        if (!store->save(file))
            showWarning(QStringLiteral("Невозможно сохранить файл настроек\n") +
                        QFileInfo(file).absoluteFilePath());
    }
}

void Vmain_form::closeEvent(QCloseEvent *event)
{
    if (m_run.running) {
        event->ignore();
        slot_start();
        return;
    }
    if (m_dict.changed && m_dict.cardCount() > 0 &&
        askYesNo(QStringLiteral("<nobr><b>Вы сохранили словарь?</b></nobr>")) != Interaction::Yes) {
        event->ignore();
        return;
    }
    writeSettingsAtClose();
    event->accept();
}
