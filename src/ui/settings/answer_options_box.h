#pragma once

#include "core/run/answer_options.h"

#include <QGroupBox>

class QCheckBox;

// The "Проверка ответа" group of the settings page: whether a one-letter
// typo still counts as a right typed answer. Like the rest of the page it
// edits working values that "Применить" applies.
class AnswerOptionsBox : public QGroupBox
{
    Q_OBJECT
public:
    explicit AnswerOptionsBox(AnswerOptions &applied, QWidget *parent = nullptr);

    void fill(const AnswerOptions &record);
    AnswerOptions workingRecord() const;
    // Copies the working values into the applied record; true when they
    // differ from what was applied.
    bool apply();
    // Shows the applied values again.
    void revert() { fill(m_applied); }

    QCheckBox *acceptTyposBox() const { return m_acceptTypos; }

private:
    AnswerOptions &m_applied;
    QCheckBox *m_acceptTypos;
};
