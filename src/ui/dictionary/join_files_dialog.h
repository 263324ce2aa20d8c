#pragma once

#include "core/dictionary/dictionary.h"
#include "ui/dictionary/join_files_form.h"

// Chooses which file (or the new cards) joins which open file.
class _join_files_Form : public join_files_Form
{
    Q_OBJECT
public:
    // Fills the combo boxes from the open files; `withNew` offers the new cards.
    _join_files_Form(const StringSet &openFiles, bool withNew, QWidget *parent = nullptr);

    static QString newWordsText();
    // Empty for the new cards.
    QString source() const { return m_source; }
    QString target() const { return m_target; }

public slots:
    void slot_accept();
    void slot_cancel();
    void slot_acceptBtn_enable(int = 0);

private:
    QString m_source;
    QString m_target;
};
