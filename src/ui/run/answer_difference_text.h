#pragma once

class QTextEdit;
struct AnswerDifference;

// Appends the explanation of a typed answer below the text of the answer
// pane: the typed text with each wrong, missing and extra character marked,
// the expected items not found, and the line naming the mistake.
//
// Marks never rely on colour alone: a wrong character has a wavy underline,
// a missing one is shown where it belongs, bold and underlined, and an
// extra one is struck out.
void appendAnswerDifference(QTextEdit *pane, const AnswerDifference &difference);
