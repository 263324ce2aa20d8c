#include "ui/run/text_speaker.h"

#include <QLocale>
#include <QTextToSpeech>
#include <QThread>

namespace
{

// Qt 6.4's engine cannot queue utterances, so the words of a card go out as
// one text, a sentence each: the engine pauses between them, and a new
// request cancels the whole card at once.
class TextSpeaker final : public Speaker
{
public:
    explicit TextSpeaker(QThread *home)
    {
        if (QTextToSpeech::availableEngines().isEmpty()) {
            m_reason = QStringLiteral("Не установлен синтезатор речи (установите пакеты "
                                      "speech-dispatcher, qt6-speech-speechd-plugin и "
                                      "espeak-ng)");
            return;
        }
        m_engine = std::make_unique<QTextToSpeech>();
        if (home && home != QThread::currentThread())
            m_engine->moveToThread(home);
        if (m_engine->state() == QTextToSpeech::Error) {
            m_reason = QStringLiteral("Синтезатор речи не запускается (проверьте, что "
                                      "установлен пакет speech-dispatcher)");
            m_engine.reset();
            return;
        }
        for (const QLocale &l : m_engine->availableLocales())
            m_locales << l.name();
        m_locales.removeDuplicates();
        m_locales.sort();
        if (m_locales.isEmpty() || m_engine->availableVoices().isEmpty()) {
            m_reason = QStringLiteral("В синтезаторе речи нет ни одного голоса (установите "
                                      "пакеты espeak-ng и speech-dispatcher-espeak-ng)");
            m_engine.reset();
        }
    }

    bool isAvailable() const override { return bool(m_engine); }
    QString unavailableReason() const override { return m_reason; }
    QStringList locales() const override { return m_locales; }

    void say(const QStringList &texts, const QString &locale, double rate) override
    {
        if (!m_engine || texts.isEmpty())
            return;
        m_engine->stop();
        const QLocale wanted(locale);
        if (m_engine->locale() != wanted && m_engine->availableLocales().contains(wanted))
            m_engine->setLocale(wanted);
        m_engine->setRate(qBound(SpeechSettings::minRate, rate, SpeechSettings::maxRate));
        m_engine->say(texts.join(QStringLiteral(". ")));
    }

    void stop() override
    {
        if (m_engine)
            m_engine->stop();
    }

private:
    std::unique_ptr<QTextToSpeech> m_engine;
    QStringList m_locales;
    QString m_reason;
};

} // namespace

std::unique_ptr<Speaker> createTextSpeaker(QThread *home)
{
    return std::make_unique<TextSpeaker>(home);
}
