#pragma once

#include "core/run/speech.h"

#include <QStringList>

// Writes what it is asked to say into `said`, one entry per request: the
// texts joined with " | ", then the locale and the rate.
class RecordingSpeaker : public Speaker
{
public:
    bool isAvailable() const override { return available; }
    QString unavailableReason() const override { return reason; }
    QStringList locales() const override { return voices; }
    void say(const QStringList &texts, const QString &locale, double rate) override
    {
        said << texts.join(QStringLiteral(" | "));
        lastLocale = locale;
        lastRate = rate;
    }
    void stop() override { ++stops; }

    bool available = true;
    QString reason = QStringLiteral("Не установлен синтезатор речи");
    QStringList voices = {QStringLiteral("de_DE"), QStringLiteral("en_US")};
    QStringList said;
    QString lastLocale;
    double lastRate = 0;
    int stops = 0;
};
