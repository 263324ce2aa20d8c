#pragma once

#include <QString>

#include <memory>

// Plays sound files without blocking; stands in for the platform's sound
// service so tests can record what was played.
class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;
    // False when the machine has no audio output.
    virtual bool isAvailable() const = 0;
    // Fire and forget: never waits, never reports a missing file.
    virtual void play(const QString &path) = 0;
};

// The program's player: Qt Multimedia, silent when there is no audio output.
std::unique_ptr<SoundPlayer> createMultimediaSoundPlayer();
