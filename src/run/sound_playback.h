#pragma once

#include "run/sound_player.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

// The cards' sound files, played one after another two seconds apart, from
// either tab. One queue for the whole window: while a sequence is queued,
// new requests are ignored.
class SoundPlayback : public QObject
{
    Q_OBJECT
public:
    // `workDir` is where the "./sounds/" names of the cards are looked up.
    explicit SoundPlayback(QString workDir, QObject *parent = nullptr);
    ~SoundPlayback() override;

    // Takes ownership; tests put a recording player here.
    void setPlayer(SoundPlayer *player) { m_player.reset(player); }
    SoundPlayer *player() const { return m_player.get(); }
    QTimer &timer() { return m_timer; }

    // Queues a card's ';'-separated sound names and plays the first.
    void play(const QString &soundPath);
    bool isBusy() const { return !m_queue.isEmpty(); }
    // Names still to be played, ';'-separated.
    const QString &pending() const { return m_queue; }

public slots:
    void slot_timered_voice();

private:
    QString inWorkDir(const QString &path) const;
    void playStep(bool hasName, const QString &path, bool more);

    QString m_workDir;
    std::unique_ptr<SoundPlayer> m_player;
    QTimer m_timer;
    QString m_queue;
};
