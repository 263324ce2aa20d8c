#include "ui/settings/answer_options_box.h"

#include <QCheckBox>
#include <QVBoxLayout>

AnswerOptionsBox::AnswerOptionsBox(AnswerOptions &applied, QWidget *parent)
    : QGroupBox(QStringLiteral("Проверка ответа"), parent), m_applied(applied)
{
    setObjectName(QStringLiteral("groupBox_answerCheck"));
    auto *layout = new QVBoxLayout(this);
    m_acceptTypos =
        new QCheckBox(QStringLiteral("Считать опечатку в одну букву верным ответом"), this);
    m_acceptTypos->setObjectName(QStringLiteral("checkBox_acceptTypos"));
    m_acceptTypos->setAccessibleName(
        QStringLiteral("Считать опечатку в одну букву верным ответом"));
    m_acceptTypos->setToolTip(
        QStringLiteral("Одна неверная, пропущенная, лишняя или переставленная буква в слове "
                       "из пяти букв и длиннее: ответ засчитывается, рамка становится янтарной"));
    layout->addWidget(m_acceptTypos);
    fill(m_applied);
}

void AnswerOptionsBox::fill(const AnswerOptions &record)
{
    m_acceptTypos->setChecked(record.acceptOneLetterTypos);
}

AnswerOptions AnswerOptionsBox::workingRecord() const
{
    AnswerOptions r;
    r.acceptOneLetterTypos = m_acceptTypos->isChecked();
    return r;
}

bool AnswerOptionsBox::apply()
{
    const AnswerOptions r = workingRecord();
    if (r == m_applied)
        return false;
    m_applied = r;
    return true;
}
