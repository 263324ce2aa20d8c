#include "ui/editor/card_edit_actions.h"

#include "core/dictionary/dictionary.h"
#include "core/run/run_state.h"
#include "ui/common/interaction.h"
#include "ui/editor/one_word_form_dialog.h"

CardEditActions::CardEditActions(Dictionary &dict, iniReader &settings, Interaction &ui,
                                 QWidget *parentWindow)
    : m_dict(dict), m_settings(settings), m_ui(ui), m_parent(parentWindow)
{
}

QString CardEditActions::deleteQuestion()
{
    return QStringLiteral("Удалить выделенную карточку?");
}

const Card *CardEditActions::currentCard(int id)
{
    if (id <= 0)
        return nullptr;
    const Card *card = m_dict.cardById(id);
    if (!card)
        m_ui.showCritical(noCardMessage(id));
    return card;
}

bool CardEditActions::runEditor(Card &card, const QString &caption)
{
    _OneWord_Form editor(m_parent, card, m_dict.categoryList, m_dict.lessons, kHighestPriority,
                         m_settings);
    editor.setWindowTitle(caption);
    return m_ui.runDialog(&editor) == QDialog::Accepted;
}

CardEditOutcome CardEditActions::addFrom(Card card)
{
    if (!runEditor(card, CardEditorText::addCaption()))
        return {};
    m_lastLesson = card.lesson;
    m_dict.lessons.insert(card.lesson);
    const QList<int> ids = m_dict.addNewCards({card});
    return {CardEditOutcome::Added, ids.value(0)};
}

CardEditOutcome CardEditActions::addWord(int)
{
    Card card;
    card.lesson = m_lastLesson;
    return addFrom(card);
}

CardEditOutcome CardEditActions::addCopy(int currentCardId)
{
    const Card *source = currentCard(currentCardId);
    if (!source)
        return {};
    return addFrom(*source);
}

CardEditOutcome CardEditActions::edit(int currentCardId)
{
    const Card *source = currentCard(currentCardId);
    if (!source)
        return {};
    Card card = *source;
    if (!runEditor(card, CardEditorText::editCaption()))
        return {};
    m_lastLesson = card.lesson;
    m_dict.lessons.insert(card.lesson);
    m_dict.replaceCard(card);
    m_dict.changed = true;
    return {CardEditOutcome::Changed, card.id};
}

CardEditOutcome CardEditActions::remove(int currentCardId, bool runRunning)
{
    // The run's lists name cards of the dictionary: none may go while it runs.
    if (runRunning)
        return {};
    if (!currentCard(currentCardId))
        return {};
    if (m_ui.askYesNo(deleteQuestion()) != Interaction::Yes)
        return {};
    m_dict.removeCard(currentCardId);
    m_dict.changed = true;
    return {CardEditOutcome::Removed, currentCardId};
}

CardEditOutcome CardEditActions::toArchive(int currentCardId)
{
    if (!addToArchive(m_dict, currentCardId))
        return {};
    return {CardEditOutcome::Changed, currentCardId};
}
