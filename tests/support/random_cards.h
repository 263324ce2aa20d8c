#pragma once

#include "core/dictionary/card.h"
#include "core/dictionary/dictionary.h"

#include <QList>

// Cards whose every text holds what XML must escape or normalize: markup
// characters, white space controls, references as text, non-BMP characters;
// categories drawn from `categories`. Few lessons, so that a sorted save has
// long runs to keep in order. Every card is one a dictionary file gives back
// as it is. Deterministic for a seed.
QList<Card> randomHostileCards(int count, quint32 seed, const StringSet &categories);
