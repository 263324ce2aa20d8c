#pragma once

#include "core/dictionary/card.h"

#include <QString>

// The rich text of the card information box: where the card comes from, its
// lesson, both base priorities, how far each repetition priority is raised
// and how many right answers bring it back, its categories and the number of
// cards in the dictionary.
QString cardInfoText(const Card &card, int cardCount);

// The state of one direction: base priority, current priority and the right
// answers collected towards lowering it.
QString repetitionStateText(int basePriority, int currentPriority, int rightAnswers);
