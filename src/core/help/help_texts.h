#pragma once

#include <QString>
#include <QStringList>

// The built-in help: four topics of rich text (0 parts of speech,
// 1 description, 2 keyboard shortcuts, 3 about) and the continuations that
// open inside the paragraphs of topic 0.

constexpr int kHelpTopicCount = 4;
constexpr int kAboutTopic = 3;

// The whole text of a topic, built once; "Нет текста" for any other number.
const QString &helpTopicText(int topic);

// The continuation of a paragraph of `topic`, or a null string when the
// topic has none under `key`.
QString helpContinuation(int topic, const QString &key);

// The keys of topic 0's paragraphs, in the order they appear.
QStringList helpContinuationKeys();
