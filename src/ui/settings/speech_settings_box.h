#pragma once

#include "core/run/speech.h"

#include <QGroupBox>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QSlider;

// The "Озвучивание" group of the settings page: speaking cards that have no
// sound file, the language of their foreign words and the rate. Like the
// rest of the page it edits working values that "Применить" applies.
//
// The engine is asked whether it can speak only when the group is first
// shown (or refreshAvailability() is called), so a program whose user never
// opens the settings starts no speech service.
class SpeechSettingsBox : public QGroupBox
{
    Q_OBJECT
public:
    // Slider steps per unit of SpeechSettings::rate.
    static constexpr int rateSteps = 10;

    SpeechSettingsBox(SpeechSettings &applied, std::function<Speaker &()> speaker,
                      QWidget *parent = nullptr);

    void fill(const SpeechSettings &record);
    SpeechSettings workingRecord() const;
    // Copies the working values into the applied record; true when they
    // differ from what was applied.
    bool apply();
    // Shows the applied values again.
    void revert() { fill(m_applied); }
    // Asks the engine again; without one the options are disabled and the
    // reason is shown.
    void refreshAvailability();
    bool isEngineAvailable() const { return m_available; }

    QCheckBox *enabledBox() const { return m_enabled; }
    QComboBox *localeBox() const { return m_locale; }
    QSlider *rateSlider() const { return m_rate; }
    QLabel *reasonLabel() const { return m_reason; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showLocales(const QStringList &locales, const QString &current);
    void updateEnabled();

    SpeechSettings &m_applied;
    std::function<Speaker &()> m_speaker;
    QCheckBox *m_enabled;
    QComboBox *m_locale;
    QSlider *m_rate;
    QLabel *m_reason;
    bool m_checked = false;
    bool m_available = false;
};
