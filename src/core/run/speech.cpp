#include "core/run/speech.h"

#include "core/dictionary/card.h"

#include <QSettings>

#include <mutex>
#include <thread>

namespace
{
const QString kEnabledKey = QStringLiteral("speech/enabled");
const QString kLocaleKey = QStringLiteral("speech/locale");
const QString kRateKey = QStringLiteral("speech/rate");
} // namespace

void SpeechSettings::read(QSettings &settings)
{
    const SpeechSettings defaults;
    enabled = settings.value(kEnabledKey, defaults.enabled).toBool();
    locale = settings.value(kLocaleKey, defaults.locale).toString().trimmed();
    if (locale.isEmpty())
        locale = defaults.locale;
    bool ok = false;
    rate = settings.value(kRateKey, defaults.rate).toDouble(&ok);
    if (!ok || !(rate >= minRate && rate <= maxRate))
        rate = defaults.rate;
}

void SpeechSettings::write(QSettings &settings) const
{
    settings.setValue(kEnabledKey, enabled);
    settings.setValue(kLocaleKey, locale);
    settings.setValue(kRateKey, rate);
}

QStringList speechTexts(const Card &card)
{
    QStringList texts;
    for (const ForeignWord &w : card.foreignWords) {
        const QString word = w.word.trimmed();
        if (!word.isEmpty())
            texts << word;
    }
    return texts;
}

bool speaksCard(const Card &card, const SpeechSettings &settings)
{
    return settings.enabled && card.soundPath.trimmed().isEmpty() && hasSpeakableWords(card);
}

bool hasSpeakableWords(const Card &card)
{
    for (const ForeignWord &w : card.foreignWords) {
        if (!w.word.trimmed().isEmpty())
            return true;
    }
    return false;
}

// ---------------------------------------------------------------- background start

// What the starting thread and the speaker share; whichever of them goes
// last frees it, so neither waits for the other.
struct BackgroundSpeaker::Shared {
    std::mutex lock;
    bool done = false;
    bool abandoned = false;
    std::unique_ptr<Speaker> engine;
};

BackgroundSpeaker::BackgroundSpeaker(Factory make, int waitMs, QObject *parent)
    : QObject(parent), m_make(std::move(make)), m_waitMs(waitMs)
{
    m_poll.setInterval(20);
    connect(&m_poll, &QTimer::timeout, this, &BackgroundSpeaker::poll);
}

BackgroundSpeaker::~BackgroundSpeaker()
{
    if (!m_shared)
        return;
    std::lock_guard<std::mutex> hold(m_shared->lock);
    m_shared->abandoned = true;
    // An engine that came too late may hang in its destructor like it did
    // in its constructor; the program ends without it.
    if (m_shared->engine)
        (void)m_shared->engine.release();
}

void BackgroundSpeaker::start()
{
    if (m_state != State::NotStarted)
        return;
    m_state = State::Starting;
    m_shared = std::make_shared<Shared>();
    std::thread([shared = m_shared, make = m_make] {
        std::unique_ptr<Speaker> engine = make ? make() : nullptr;
        std::lock_guard<std::mutex> hold(shared->lock);
        if (shared->abandoned)
            (void)engine.release();
        else
            shared->engine = std::move(engine);
        shared->done = true;
    }).detach();
    m_since.start();
    m_poll.start();
}

void BackgroundSpeaker::poll()
{
    {
        std::lock_guard<std::mutex> hold(m_shared->lock);
        if (m_shared->done) {
            m_engine = std::move(m_shared->engine);
            m_state = State::Ready;
        } else if (m_since.elapsed() >= m_waitMs) {
            m_shared->abandoned = true;
            m_state = State::TimedOut;
        } else {
            return;
        }
    }
    m_poll.stop();
    emit stateChanged();
}

bool BackgroundSpeaker::isAvailable() const
{
    return m_state == State::Ready && m_engine && m_engine->isAvailable();
}

QString BackgroundSpeaker::startingReason()
{
    return QStringLiteral("Синтезатор речи ещё запускается");
}

QString BackgroundSpeaker::timedOutReason()
{
    return QStringLiteral("Синтезатор речи не ответил за 2 секунды; озвучивание недоступно до "
                          "следующего запуска программы");
}

QString BackgroundSpeaker::unavailableReason() const
{
    switch (m_state) {
    case State::NotStarted:
    case State::Starting:
        return startingReason();
    case State::TimedOut:
        return timedOutReason();
    case State::Ready:
        break;
    }
    return m_engine ? m_engine->unavailableReason()
                    : QStringLiteral("Синтезатор речи не запускается");
}

QStringList BackgroundSpeaker::locales() const
{
    return isAvailable() ? m_engine->locales() : QStringList();
}

void BackgroundSpeaker::say(const QStringList &texts, const QString &locale, double rate)
{
    if (isAvailable())
        m_engine->say(texts, locale, rate);
}

void BackgroundSpeaker::stop()
{
    if (isAvailable())
        m_engine->stop();
}
