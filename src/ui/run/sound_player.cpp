// The sound player of the real program, on Qt Multimedia.
#include "ui/run/sound_player.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QObject>
#include <QSoundEffect>
#include <QUrl>

#include <memory>

namespace
{

// Each play gets its own player, so a file still sounding when the next one
// of a card starts is mixed with it rather than cut off. A player deletes
// itself when its file ends or fails. WAV files go through QSoundEffect,
// which decodes them itself; other formats through QMediaPlayer, as far as
// the installed back end can decode them.
class MultimediaSoundPlayer final : public SoundPlayer
{
public:
    bool isAvailable() const override { return !QMediaDevices::audioOutputs().isEmpty(); }

    void play(const QString &path) override
    {
        // A card may name a file that is not there; that is not worth a word.
        const QFileInfo file(path);
        if (!file.isFile() || !file.isReadable())
            return;
        const QUrl url = QUrl::fromLocalFile(file.absoluteFilePath());
        if (file.suffix().compare(QLatin1String("wav"), Qt::CaseInsensitive) == 0)
            playEffect(url);
        else
            playMedia(url);
    }

private:
    void playEffect(const QUrl &url)
    {
        auto *effect = new QSoundEffect(&m_players);
        QObject::connect(effect, &QSoundEffect::statusChanged, effect, [effect] {
            if (effect->status() == QSoundEffect::Error)
                effect->deleteLater();
        });
        // Loading is asynchronous: the effect may report "not playing" before
        // it ever started, so only the end of a started play removes it.
        QObject::connect(effect, &QSoundEffect::playingChanged, effect, [effect] {
            if (effect->isPlaying())
                effect->setProperty("started", true);
            else if (effect->property("started").toBool())
                effect->deleteLater();
        });
        effect->setSource(url);
        effect->play();
    }

    void playMedia(const QUrl &url)
    {
        auto *player = new QMediaPlayer(&m_players);
        auto *output = new QAudioOutput(player);
        player->setAudioOutput(output);
        QObject::connect(player, &QMediaPlayer::mediaStatusChanged, player,
                         [player](QMediaPlayer::MediaStatus status) {
                             if (status == QMediaPlayer::EndOfMedia ||
                                 status == QMediaPlayer::InvalidMedia)
                                 player->deleteLater();
                         });
        QObject::connect(player, &QMediaPlayer::errorOccurred, player,
                         [player] { player->deleteLater(); });
        player->setSource(url);
        player->play();
    }

    // Owns the players still sounding; they go with the window.
    QObject m_players;
};

} // namespace

std::unique_ptr<SoundPlayer> createMultimediaSoundPlayer()
{
    return std::make_unique<MultimediaSoundPlayer>();
}
