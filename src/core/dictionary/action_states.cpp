#include "core/dictionary/action_states.h"

#include "core/dictionary/dictionary.h"
#include "core/dictionary/dictionary_files.h"
#include "core/dictionary/dictionary_history.h"
#include "core/run/speech.h"
#include "core/run/work_settings.h"

ActionStates computeActionStates(const Dictionary &dict, const RunState &run,
                                 const WorkSettings &work, const ActionContext &context)
{
    ActionStates s;
    const bool hasCards = dict.cardCount() > 0;
    const bool hasLessons = !dict.lessons().empty();
    const bool running = run.running;
    // While a file job runs nothing may touch files or cards.
    const bool busy = dict.isBusy();
    const std::optional<Card> rowCard =
        context.currentCardId > 0 ? dict.cardById(context.currentCardId) : std::nullopt;

    s.openFiles = !running && !busy;
    s.filter = !running && !busy;
    s.saveAll = !running && !busy && dict.isModified() && hasCards && !dict.openFiles().empty();
    s.start = !busy && hasCards && hasLessons && (running || context.tab == MainTab::Learning);

    s.addWord = !busy;
    s.addCopy = rowCard && !busy;
    s.edit = rowCard && !busy;
    s.remove = rowCard && !running && !busy;
    s.find = hasCards && !busy;
    s.rowSound = rowCard && (!rowCard->soundPath.isEmpty() ||
                             (context.speechOn && speaksCard(*rowCard, SpeechSettings{true})));
    s.toArchive = rowCard && rowCard->nAr && !busy;
    s.join = !running && !busy && hasCards && joinPossible(dict);
    s.saveAs = hasCards && !busy;
    s.closeFiles = hasCards && !busy;
    s.tools = !busy;
    // The run holds the card list, so nothing is undone while it goes.
    s.undo = context.history && context.history->canUndo() && !running && !busy;
    s.redo = context.history && context.history->canRedo() && !running && !busy;

    s.runSound = running && context.runHasSounds;
    s.previous = run.canGoBack();
    s.goToDictionary = running && run.hasCurrentCard();
    s.forgot = running && (work.training || (!work.by_time && context.numRightLearn > 0));
    return s;
}
