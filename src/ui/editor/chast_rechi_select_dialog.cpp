#include "ui/editor/chast_rechi_select_dialog.h"

#include "ui/common/window_placement.h"

#include "core/markup/markup.h"
#include "core/settings/app_settings.h"
#include "ui/common/key_events.h"

#include <QIcon>
#include <QKeyEvent>

QString sectionLabelOf(const QString &entry)
{
    const int close = int(entry.indexOf(QLatin1Char(']')));
    return close < 0 ? QString() : entry.left(close + 1);
}

_chastRechiSelectForm::_chastRechiSelectForm(QWidget *parent, QString &result, iniReader &settings)
    : chastRechiSelectForm(parent), m_result(result), m_settings(settings)
{
    setWindowIcon(QIcon(QStringLiteral("icons:Caption_icon.png")));
    listBox1->addItems(speechParts());
    listBox1->setCurrentRow(0);
    listBox1->installEventFilter(this);

    const QSize designed = size();
    resize(designed.width(), int(designed.height() * 2.1));
    const WindowGeometry g = readWindowGeometry(m_settings, SettingsKeys::speechPartForm);
    restoreWindowGeometry(this, g);

    connect(pushButton1, &QPushButton::clicked, this,
            &_chastRechiSelectForm::slot_pushButton1_clicked);
    connect(pushButton2, &QPushButton::clicked, this,
            &_chastRechiSelectForm::slot_pushButton2_clicked);
    connect(listBox1, &QListWidget::itemDoubleClicked, this,
            &_chastRechiSelectForm::slot_listBox1_clicked);
}

void _chastRechiSelectForm::storeGeometry()
{
    writeWindowGeometry(m_settings, SettingsKeys::speechPartForm,
                        WindowGeometry{x(), y(), width(), height()});
}

void _chastRechiSelectForm::slot_pushButton1_clicked()
{
    const QListWidgetItem *current = listBox1->currentItem();
    m_result = current ? sectionLabelOf(current->text()) : QString();
    storeGeometry();
    accept();
}

void _chastRechiSelectForm::slot_pushButton2_clicked()
{
    reject();
}

void _chastRechiSelectForm::slot_listBox1_clicked(QListWidgetItem *item)
{
    if (item)
        slot_pushButton1_clicked();
}

void _chastRechiSelectForm::reject()
{
    storeGeometry();
    chastRechiSelectForm::reject();
}

bool _chastRechiSelectForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == listBox1 && event->type() == QEvent::KeyPress) {
        const int key = latinKeyOf(static_cast<QKeyEvent *>(event));
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            slot_listBox1_clicked(listBox1->currentItem());
            return true;
        }
    }
    return chastRechiSelectForm::eventFilter(watched, event);
}
