#include "core/run/speech.h"

#include "core/dictionary/card.h"

#include <QSettings>

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
