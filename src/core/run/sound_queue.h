#pragma once

#include <QString>

// The sound files of a card are played one after another, two seconds
// apart. The names still to be played are kept as the card holds them: one
// string, names separated by ';'. While a sequence is queued, new requests
// are ignored, on either tab. The queue is the caller's string, so the window
// keeps it as a plain member.
//
// The window calls startSounds() on a button or F4, plays the step it gets,
// starts its single-shot voice timer when step.more, and calls nextSound()
// on every firing of that timer.

// One name taken from the queue.
struct SoundStep {
    bool hasName = false; // false: nothing was queued, nothing to play
    QString path;         // "./sounds/" + the name without surrounding blanks
    bool more = false;    // a ';' followed the name: the voice timer brings the rest
};

// Milliseconds between two names of one card.
constexpr int soundInterval = 2000;

// The file a name stands for, relative to the working directory.
QString soundFilePath(const QString &name);

// Queues `soundPath` and takes its first name. An empty step, and the queue
// untouched, while an earlier sequence is still queued or when `soundPath`
// is empty.
SoundStep startSounds(QString &queue, const QString &soundPath);

// The next name, or an empty step when nothing is queued. An empty name
// between two ';' still takes its turn (its path is the folder itself).
SoundStep nextSound(QString &queue);
