#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

// The transcription signs the symbol selector offers, in their order:
// æ ð ŋ ɔ ə ɛ ʃ ʌ ʒ ʤ ʧ θ ↗ ↘.
const QStringList &transcriptionSymbols();

// The family the symbol keys and cells are drawn in: "Arial Unicode MS"
// when installed, else an installed family that holds every transcription
// sign (DejaVu Sans and the like), else the application font's family.
// Looked up once.
QString phoneticFontFamily();
QFont phoneticFont(int pointSize, int weight = QFont::Normal);
// True when this family has a glyph of its own for every sign.
bool familyHasTranscriptionSymbols(const QString &family);
