#pragma once

#include "core/dictionary/card.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// A card with one foreign word and one noun section of the given variants.
Card makeCard(const QString &foreign, const QStringList &russian = {QStringLiteral("слово")},
              const QString &lesson = QStringLiteral("L1"), const QString &file = QString(),
              const QStringList &categories = {QStringLiteral("Еда")});

// Prepares the current directory as the program's working directory: a
// settings.ini with a category list, so no start-up warning is shown.
void writeMinimalSettings(const QString &dir);

// A fresh temporary folder, the program's working folder for one test
// function (the current directory is never changed).
std::unique_ptr<QTemporaryDir> makeWorkingDir();

// A file under tests/data (LEXITOR_TEST_DATA when set, else the source tree).
QString testDataPath(const QString &relative);

// Writes a dictionary file of the given cards (their filePath is ignored),
// allowing whatever categories they name; returns `path`.
QString writeFixtureFile(const QString &path, QList<Card> cards);

// The rows "soundPath" / "played" shared by the tests of a card's sound
// sequence: the paths played, "|" for each pause between them.
void addSoundSequenceRows();

// Control and non-ASCII characters as \uXXXX, so a failing case can be rebuilt.
QString visibleText(const QString &text);
