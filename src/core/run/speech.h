#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

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

// The program's speaker while the platform's engine starts. Connecting to
// the speech service can take seconds, or hang when the service is going
// down, so the engine is built on a thread of its own and the window never
// waits for it: until it is ready, or for good when it is not ready within
// `waitMs` of start(), speech is unavailable, with the reason. Destroying
// this object never waits either; an engine that comes too late is left
// alone, as the service may still hold it.
class BackgroundSpeaker final : public QObject, public Speaker
{
    Q_OBJECT
public:
    using Factory = std::function<std::unique_ptr<Speaker>()>;
    enum class State { NotStarted, Starting, Ready, TimedOut };
    static constexpr int defaultWaitMs = 2000;

    // `make` runs on another thread; whatever it builds is used on this one.
    explicit BackgroundSpeaker(Factory make, int waitMs = defaultWaitMs, QObject *parent = nullptr);
    ~BackgroundSpeaker() override;

    // Starts building the engine; later calls do nothing.
    void start();
    State state() const { return m_state; }
    // The engine is still being built: a program ending now must not wait
    // for it.
    bool stillStarting() const { return m_state == State::Starting; }

    bool isAvailable() const override;
    QString unavailableReason() const override;
    QStringList locales() const override;
    void say(const QStringList &texts, const QString &locale, double rate) override;
    void stop() override;

    static QString startingReason();
    static QString timedOutReason();

signals:
    // Left Starting: the engine is ready (or not) or did not answer in time.
    void stateChanged();

private:
    struct Shared;
    void poll();

    Factory m_make;
    int m_waitMs;
    State m_state = State::NotStarted;
    std::shared_ptr<Shared> m_shared;
    std::unique_ptr<Speaker> m_engine;
    QTimer m_poll;
    QElapsedTimer m_since;
};

// The words a card is spoken as: its foreign forms in card order, blank
// ones left out.
QStringList speechTexts(const Card &card);

// Whether the play button and F4 speak `card` rather than play files: speech
// is on, the card names no sound file and has something to say.
bool speaksCard(const Card &card, const SpeechSettings &settings);
// The card has a foreign form that is not blank.
bool hasSpeakableWords(const Card &card);
