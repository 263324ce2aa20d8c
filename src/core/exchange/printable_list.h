#pragma once

#include "core/dictionary/card.h"

#include <QByteArray>
#include <QList>
#include <QString>

// A word list to print: the cards grouped by lesson, a row per card with
// the foreign word, its transcription and the translation. Either side may
// be left as an empty column to write in, for a sheet to test oneself.
enum class HiddenSide { None, Foreign, Russian };

// The HTML page (UTF-8, no outside files). Lessons follow in QString order,
// the cards of a lesson in their order in `cards`.
QString printableHtml(const QList<Card> &cards, const QString &title, HiddenSide hidden);

// The same page as PDF (A4), laid out by QTextDocument. Needs a
// QGuiApplication (fonts).
QByteArray printablePdf(const QString &html, const QString &title);
