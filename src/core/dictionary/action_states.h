#pragma once

#include "core/run/run_state.h"

class Dictionary;
class DictionaryHistory;
struct WorkSettings;

// Whether each action of the window can act now. Buttons are never disabled:
// the icons show these states, and every slot checks the same state again
// before acting, so both always agree.
struct ActionStates {
    // Top of the window.
    bool openFiles = false;
    bool saveAll = false;
    bool start = false; // starting a run, or ending the one going
    bool filter = false;
    // Dictionary tab.
    bool addWord = true;
    bool addCopy = false;
    bool edit = false;
    bool remove = false;
    bool find = false;
    bool rowSound = false;
    bool toArchive = false;
    bool join = false;
    bool saveAs = false;
    bool closeFiles = false;
    bool tools = true;
    bool undo = false; // Ctrl+Z and the table's menu
    bool redo = false;
    // Learning tab, during a run.
    bool runSound = false;
    bool previous = false;
    bool goToDictionary = false;
    bool forgot = false;
};

// What the states depend on besides the dictionary and the run.
struct ActionContext {
    MainTab tab = MainTab::Learning;
    int currentCardId = 0;     // card of the table's current row, 0 for none
    bool runHasSounds = false; // the shown card of the run has sound files
    int numRightLearn = 3;     // right answers that learn a card in learning runs
    bool speechOn = false;     // cards without sound files are spoken
    // The undo history of the card changes; none: nothing to undo.
    const DictionaryHistory *history = nullptr;
};

ActionStates computeActionStates(const Dictionary &dict, const RunState &run,
                                 const WorkSettings &work, const ActionContext &context);
