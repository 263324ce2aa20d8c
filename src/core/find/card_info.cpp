#include "core/find/card_info.h"

#include "core/run/run_state.h"

namespace
{

// Names come from files and the user; a "<" in a lesson must show as a "<",
// not start a tag that swallows the rest of the line.
QString escaped(const QString &value)
{
    return value.toHtmlEscaped();
}

} // namespace

QString repetitionStateText(int basePriority, int currentPriority, int rightAnswers)
{
    if (currentPriority == basePriority)
        return QStringLiteral("<font color=\"#005500\">\"приоритет не повышен\"</font>");
    const int raised = currentPriority - basePriority;
    return QStringLiteral("<font color=\"red\">\"приоритет повышен\" на ") +
           QString::number(raised) + QStringLiteral(" раз </font>(ответьте правильно ") +
           QString::number(RunState::rightAnswersToLower * raised - rightAnswers) +
           QStringLiteral(" раз)");
}

QString cardInfoText(const Card &card, int cardCount)
{
    QString text;
    if (card.nAr)
        text += QStringLiteral("<QT><nobr>Файл: <b>");
    else
        text += QStringLiteral("<QT><font color=\"blue\">Архивная карточка</font><br><br>"
                               "<nobr>Файл: <b>");
    if (card.filePath.isEmpty())
        text += QStringLiteral("Новая карточка (ещё не сохранена в файл)</b></nobr><br>");
    else
        text += escaped(card.filePath) + QStringLiteral("</b></nobr><br>");
    text += QStringLiteral("Урок: <b>") + escaped(card.lesson) + QStringLiteral("</b><br>");
    text += QStringLiteral("Приоритеты для повторения: Ин - ру: <b>") + QString::number(card.nPER) +
            QStringLiteral("</b>, ру - ин: <b>") + QString::number(card.nPRE) +
            QStringLiteral("</b>");
    text += QStringLiteral("<br>Состояние повторения ин-ру: ") +
            repetitionStateText(card.nPER, card.pER, card.aER);
    text += QStringLiteral("<br>Состояние повторения ру-ин: ") +
            repetitionStateText(card.nPRE, card.pRE, card.aRE);
    text += QStringLiteral("<br>Категории: ");
    for (qsizetype i = 0; i < card.categories.size(); ++i) {
        if (i > 0)
            text += QStringLiteral(", ");
        text += QStringLiteral("<b>") + escaped(card.categories.at(i)) + QStringLiteral("</b>");
    }
    text += QStringLiteral("<br><br>Всего карточек в словаре: <b>") + QString::number(cardCount) +
            QStringLiteral("</b></QT>");
    return text;
}
