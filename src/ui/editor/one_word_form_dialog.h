#pragma once

#include "core/dictionary/dictionary.h"
#include "core/editor/card_apply.h"
#include "ui/editor/one_word_form.h"

#include <QList>
#include <QPointer>
#include <memory>

class Interaction;
class iniReader;
class _line_ForWordForm;
class _choose_aCategoryForm;
class symbolsSelector;

// The card editor. Made for one card, run modally, destroyed after.
//
// It reads the card when it opens and writes it only when "Применить"
// passes every check (see applyCardEditor); then the dialog is accepted.
// Any failed check shows its message and leaves the dialog open with the
// input as typed. Its category window and symbol selector live as long as it
// does. Messages and the lesson list go through its own prompt object
// (caption "Редактирование \"слова\""); the part-of-speech and symbol
// pickers are run through that object too, so a test can answer them.
class _OneWord_Form : public OneWord_Form
{
    Q_OBJECT
public:
    _OneWord_Form(QWidget *parent, Card &card, const StringSet &categoryList,
                  const StringSet &lessons, int highestPriority, iniReader &settings);
    ~_OneWord_Form() override;

    // Replaces the prompt object (not owned); null goes back to the real one.
    void setPrompts(Interaction *prompts);
    Interaction &prompts() const { return *m_prompts; }

    int lineCount() const { return int(m_lines.size()); }
    _line_ForWordForm *line(int i) const { return m_lines.at(i); }
    // Null once the editor has been applied or closed.
    _choose_aCategoryForm *categoryWindow() const;
    symbolsSelector *symbolSelector() const { return m_symbols; }

    // What the widgets hold now.
    CardEditorInput input() const;

public slots:
    void slot_toolButton1_clicked();
    void slot_one_splitter_resize(const QList<int> &sizes);
    void slot_pushButton1_clicked();
    void slot_insertCategory_clicked();
    void slot_insertSymbol_clicked();
    void slot_toolButton4_clicked();
    void slot_cancel_clicked();
    void slot_archive_clicked();
    // Cancel, Escape and the title bar: the geometry is stored first.
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void createLines(int count);
    void loadCard();
    void storeGeometry();
    void closeCategoryWindow();

    Card &m_card;
    const StringSet &m_categoryList;
    const StringSet &m_lessons;
    iniReader &m_settings;
    QList<_line_ForWordForm *> m_lines;
    QPointer<_choose_aCategoryForm> m_categories;
    symbolsSelector *m_symbols;
    std::unique_ptr<Interaction> m_ownPrompts;
    Interaction *m_prompts;
    bool m_placedCategories = false;
};
