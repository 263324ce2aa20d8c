#pragma once

#include "core/dictionary/card.h"

#include <QList>

// Cards of realistic shape for the benchmarks: several foreign forms, two or
// three sections with numbered groups, 30 cards per lesson, spread over
// `files` files. Deterministic for a given count.
QList<Card> generateCards(int count, int files);
