#include "ui/editor/symbols_selector.h"
#include "ui/common/window_placement.h"

#include "ui/editor/phonetic_font.h"

#include <QIcon>
#include <QVBoxLayout>

_symbols_selector_Form::_symbols_selector_Form(QWidget *parent) : symbols_selector_Form(parent)
{
    const QFont font = phoneticFont(12);
    verticalTextEdits2->addCells(transcriptionSymbols(), &font);
    lineEdit1->setFont(phoneticFont(lineEdit1->font().pointSize()));

    connect(verticalTextEdits2, &verticalTextEdits::OneObjectClicked, this,
            &_symbols_selector_Form::hasText);
    connect(pushButton1, &QPushButton::clicked, this, &_symbols_selector_Form::pushButton1_clicked);
    connect(pushButton2, &QPushButton::clicked, this, &_symbols_selector_Form::pushButton2_clicked);
}

void _symbols_selector_Form::hasText(const QString &text)
{
    lineEdit1->setText(lineEdit1->text() + text);
}

void _symbols_selector_Form::pushButton1_clicked()
{
    emit accept_clicked(lineEdit1->text());
    lineEdit1->clear();
}

void _symbols_selector_Form::pushButton2_clicked()
{
    emit cancel_clicked();
    lineEdit1->clear();
}

symbolsSelector::symbolsSelector(QWidget *parent)
    : QDialog(parent), m_form(new _symbols_selector_Form(this))
{
    setObjectName(QStringLiteral("symbolsSelector"));
    setWindowTitle(m_form->windowTitle());
    setWindowIcon(QIcon(QStringLiteral("icons:Caption_icon.png")));
    keepOnScreen(this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_form);
    resize(380, 110);

    connect(m_form, &_symbols_selector_Form::accept_clicked, this, &symbolsSelector::slot_accept);
    connect(m_form, &_symbols_selector_Form::cancel_clicked, this, &symbolsSelector::slot_reject);
}

void symbolsSelector::slot_accept(const QString &text)
{
    m_result = text;
    accept();
}

void symbolsSelector::slot_reject()
{
    QDialog::reject();
}

void symbolsSelector::reject()
{
    // Escape and the title bar close it too; the next use starts empty.
    m_form->lineEdit1->clear();
    QDialog::reject();
}
