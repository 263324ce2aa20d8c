#pragma once

#include <QString>
#include <QStringList>

class QSettings;
struct Card;

// The speech options. They live in the per-user QSettings, never in
// settings.ini, whose content other programs and older versions rely on.
struct SpeechSettings {
    static constexpr double minRate = -1.0;
    static constexpr double maxRate = 1.0;

    bool enabled = false;                     // cards without sound files are spoken
    QString locale = QStringLiteral("en_US"); // language of the foreign words
    double rate = 0.0;                        // -1 slowest .. 0 normal .. 1 fastest

    // Missing or out-of-range values give the defaults above.
    void read(QSettings &settings);
    void write(QSettings &settings) const;

    bool operator==(const SpeechSettings &o) const
    {
        return enabled == o.enabled && locale == o.locale && rate == o.rate;
    }
    bool operator!=(const SpeechSettings &o) const { return !(*this == o); }
};

// Says texts aloud without blocking. Stands in for the platform's speech
// engine, so tests can record what would be heard.
class Speaker
{
public:
    virtual ~Speaker() = default;
    // False when there is no engine or no voice; unavailableReason() says why.
    virtual bool isAvailable() const = 0;
    virtual QString unavailableReason() const = 0;
    // The locales the engine has voices for, as "en_US" names.
    virtual QStringList locales() const = 0;
    // Cancels whatever is being said and says `texts` one after another.
    virtual void say(const QStringList &texts, const QString &locale, double rate) = 0;
    virtual void stop() = 0;
};

// The words a card is spoken as: its foreign forms in card order, blank
// ones left out.
QStringList speechTexts(const Card &card);

// Whether the play button and F4 speak `card` rather than play files: speech
// is on, the card names no sound file and has something to say.
bool speaksCard(const Card &card, const SpeechSettings &settings);
// The card has a foreign form that is not blank.
bool hasSpeakableWords(const Card &card);
