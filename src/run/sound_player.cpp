// The sound player of the real program, on Qt Multimedia.
#include "run/sound_player.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QObject>
#include <QUrl>

#include <memory>

namespace
{

// Each play gets its own media player, so a file still sounding when the
// next one of a card starts is mixed with it rather than cut off. A player
// deletes itself when its file ends or fails.
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
        player->setSource(QUrl::fromLocalFile(file.absoluteFilePath()));
        player->play();
    }

private:
    // Owns the players still sounding; they go with the window.
    QObject m_players;
};

} // namespace

std::unique_ptr<SoundPlayer> createMultimediaSoundPlayer()
{
    return std::make_unique<MultimediaSoundPlayer>();
}
