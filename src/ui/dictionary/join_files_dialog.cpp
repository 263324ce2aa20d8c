#include "ui/dictionary/join_files_dialog.h"
#include "ui/common/window_placement.h"

#include <QIcon>

_join_files_Form::_join_files_Form(const StringSet &openFiles, bool withNew, QWidget *parent)
    : join_files_Form(parent)
{
    setWindowIcon(QIcon(QStringLiteral("icons:Caption_icon.png")));
    keepOnScreen(this);
    if (withNew)
        comboBox1->addItem(newWordsText());
    if (openFiles.size() == 1) {
        comboBox2->addItem(*openFiles.begin());
    } else {
        for (const QString &p : openFiles) {
            comboBox1->addItem(p);
            comboBox2->addItem(p);
        }
    }
    connect(comboBox1, &QComboBox::activated, this, &_join_files_Form::slot_acceptBtn_enable);
    connect(comboBox2, &QComboBox::activated, this, &_join_files_Form::slot_acceptBtn_enable);
    connect(pushButton1, &QPushButton::clicked, this, &_join_files_Form::slot_accept);
    connect(pushButton2, &QPushButton::clicked, this, &_join_files_Form::slot_cancel);
    slot_acceptBtn_enable();
    adjustSize();
    setFixedHeight(sizeHint().height());
}

QString _join_files_Form::newWordsText()
{
    return QStringLiteral("Новые слова");
}

void _join_files_Form::slot_acceptBtn_enable(int)
{
    pushButton1->setEnabled(comboBox1->currentText() != comboBox2->currentText());
    textLabel1->setText(comboBox1->currentText() == newWordsText()
                            ? QStringLiteral("Слова из файла:")
                            : QStringLiteral("Слова из файла:\t(файл будет закрыт)"));
}

void _join_files_Form::slot_accept()
{
    m_source = comboBox1->currentText() == newWordsText() ? QString() : comboBox1->currentText();
    m_target = comboBox2->currentText();
    accept();
}

void _join_files_Form::slot_cancel()
{
    reject();
}
