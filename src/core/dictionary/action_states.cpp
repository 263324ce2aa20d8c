#include "core/dictionary/action_states.h"

#include "core/dictionary/dictionary.h"
#include "core/dictionary/dictionary_files.h"
#include "core/run/speech.h"
#include "core/run/work_settings.h"

ActionStates computeActionStates(const Dictionary &dict, const RunState &run,
                                 const WorkSettings &work, const ActionContext &context)
{
    ActionStates s;
    const bool hasCards = dict.cardCount() > 0;
    const bool hasLessons = !dict.lessons.empty();
    const bool running = run.running;
    const Card *rowCard =
        context.currentCardId > 0 ? dict.cardById(context.currentCardId) : nullptr;

    s.openFiles = !running;
    s.filter = !running;
    s.saveAll = !running && dict.changed && hasCards && !dict.openFiles.empty();
    s.start = hasCards && hasLessons && (running || context.tab == MainTab::Learning);

    s.addCopy = rowCard;
    s.edit = rowCard;
    s.remove = rowCard && !running;
    s.find = hasCards;
    s.rowSound = rowCard && (!rowCard->soundPath.isEmpty() ||
                             (context.speechOn && speaksCard(*rowCard, SpeechSettings{true})));
    s.toArchive = rowCard && rowCard->nAr;
    s.join = !running && hasCards && joinPossible(dict);
    s.saveAs = hasCards;
    s.closeFiles = hasCards;

    s.runSound = running && context.runHasSounds;
    s.previous = run.canGoBack();
    s.goToDictionary = running && run.hasCurrentCard();
    s.forgot = running && (work.training || (!work.by_time && context.numRightLearn > 0));
    return s;
}
