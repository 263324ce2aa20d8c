#include "ui/editor/card_edit_actions.h"

#include "core/dictionary/dictionary.h"
#include "core/dictionary/dictionary_history.h"
#include "core/run/run_state.h"
#include "ui/common/interaction.h"
#include "ui/editor/one_word_form_dialog.h"

CardEditActions::CardEditActions(DictionaryHistory &history, iniReader &settings, Interaction &ui,
                                 QWidget *parentWindow)
    : m_history(history), m_dict(history.dictionary()), m_settings(settings), m_ui(ui),
      m_parent(parentWindow)
{
}

CardEditActions::CardEditActions(Dictionary &dict, iniReader &settings, Interaction &ui,
                                 QWidget *parentWindow)
    : m_ownHistory(std::make_unique<DictionaryHistory>(dict)), m_history(*m_ownHistory),
      m_dict(dict), m_settings(settings), m_ui(ui), m_parent(parentWindow)
{
}

CardEditActions::~CardEditActions() = default;

QString CardEditActions::deleteQuestion()
{
    return QStringLiteral("Удалить выделенную карточку?");
}

std::optional<Card> CardEditActions::currentCard(int id)
{
    if (id <= 0)
        return std::nullopt;
    const std::optional<Card> card = m_dict.cardById(id);
    if (!card)
        m_ui.showCritical(noCardMessage(id));
    return card;
}

bool CardEditActions::runEditor(Card &card, const QString &caption)
{
    _OneWord_Form editor(m_parent, card, m_dict.categoryList(), m_dict.lessons(), kHighestPriority,
                         m_settings);
    editor.setWindowTitle(caption);
    return m_ui.runDialog(&editor) == QDialog::Accepted;
}

int CardEditActions::addFrom(Card card, const QString &text)
{
    if (m_dict.isBusy() || !runEditor(card, CardEditorText::addCaption()))
        return 0;
    m_lastLesson = card.lesson;
    return m_history.addCards({card}, text).value(0);
}

int CardEditActions::addWord(int)
{
    Card card;
    card.lesson = m_lastLesson;
    return addFrom(card, HistoryText::addCard());
}

int CardEditActions::addCopy(int currentCardId)
{
    const std::optional<Card> source = currentCard(currentCardId);
    if (!source)
        return 0;
    return addFrom(*source, HistoryText::addCopy());
}

bool CardEditActions::edit(int currentCardId)
{
    const std::optional<Card> source = currentCard(currentCardId);
    if (!source || m_dict.isBusy())
        return false;
    Card card = *source;
    if (!runEditor(card, CardEditorText::editCaption()))
        return false;
    m_lastLesson = card.lesson;
    return m_history.editCard(card);
}

bool CardEditActions::remove(int currentCardId, bool runRunning)
{
    // The run's lists name cards of the dictionary: none may go while it runs.
    if (runRunning || m_dict.isBusy())
        return false;
    if (!currentCard(currentCardId))
        return false;
    if (m_ui.askYesNo(deleteQuestion()) != Interaction::Yes)
        return false;
    return !m_history.removeCards({currentCardId}).isEmpty();
}

bool CardEditActions::toArchive(int currentCardId)
{
    return !m_dict.isBusy() && m_history.toArchive(currentCardId);
}
