#include "ui/find/find_actions.h"

#include "core/dictionary/dictionary.h"
#include "core/find/card_info.h"
#include "core/find/filter_settings.h"
#include "core/markup/markup.h"
#include "ui/common/interaction.h"
#include "ui/find/filter_dialog.h"
#include "ui/find/search_dialog.h"

#include <QWidget>

FindActions::FindActions(Dictionary &dict, FilterSettings &filter, iniReader &settings,
                         Interaction &ui, QWidget *parentWindow)
    : QObject(parentWindow), m_dict(dict), m_filter(filter), m_settings(settings), m_ui(ui),
      m_parentWindow(parentWindow)
{
}

bool FindActions::callFilter()
{
    if (m_running && m_running())
        return false;
    const FilterSettings before = m_filter;
    VSet_Filter_Dialog dialog(m_parentWindow, m_filter, m_dict.lessons(), m_dict.categoryList(),
                              speechParts(), m_settings);
    m_ui.runDialog(&dialog);
    return m_filter != before;
}

void FindActions::findInDict()
{
    if (m_dict.cardCount() == 0)
        return;
    m_search.beginNewSearch();
    VSearchDialog dialog(m_parentWindow, m_search, m_ui);
    if (m_ui.runDialog(&dialog) == QDialog::Accepted)
        searchNext();
}

void FindActions::searchNext()
{
    const SearchResult result = m_search.searchNext(m_dict, [this](const QString &question) {
        return m_ui.askYesNo(question) == Interaction::Yes;
    });
    if (!result.warning.isEmpty())
        m_ui.showWarning(result.warning);
    if (result.outcome == SearchResult::Found)
        emit showCardRequested(result.cardId);
}

bool FindActions::searchAgain()
{
    if (!m_search.canSearchAgain())
        return false;
    searchNext();
    return true;
}

void FindActions::wordInfo(int id)
{
    if (id <= 0)
        return;
    const std::optional<Card> card = m_dict.cardById(id);
    if (!card) {
        m_ui.showCritical(noCardMessage(id));
        return;
    }
    m_ui.showInformation(cardInfoText(*card, m_dict.cardCount()));
}

QString FindActions::filterIconFile(const FilterSettings &filter, bool running)
{
    QString file = filter.isActive() ? QStringLiteral("Filter_on") : QStringLiteral("Filter_off");
    if (running)
        file += QStringLiteral("_disabled");
    return file + QStringLiteral(".png");
}
