#include "ui/settings/speech_settings_box.h"

#include "core/run/language_names.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QSlider>
#include <QVBoxLayout>

#include <cmath>

SpeechSettingsBox::SpeechSettingsBox(SpeechSettings &applied, std::function<Speaker &()> speaker,
                                     QWidget *parent)
    : QGroupBox(QStringLiteral("Озвучивание"), parent), m_applied(applied),
      m_speaker(std::move(speaker))
{
    setObjectName(QStringLiteral("groupBox_speech"));
    auto *layout = new QVBoxLayout(this);
    m_enabled = new QCheckBox(QStringLiteral("Произносить слова карточек без звуковых файлов"));
    m_enabled->setObjectName(QStringLiteral("checkBox_speech"));
    layout->addWidget(m_enabled);
    auto *form = new QFormLayout;
    m_locale = new QComboBox;
    m_locale->setObjectName(QStringLiteral("comboBox_speechLocale"));
    m_locale->setAccessibleName(QStringLiteral("Язык иностранных слов"));
    form->addRow(QStringLiteral("Язык иностранных слов:"), m_locale);
    m_rate = new QSlider(Qt::Horizontal);
    m_rate->setObjectName(QStringLiteral("slider_speechRate"));
    m_rate->setAccessibleName(QStringLiteral("Скорость речи"));
    m_rate->setRange(int(SpeechSettings::minRate * rateSteps),
                     int(SpeechSettings::maxRate * rateSteps));
    form->addRow(QStringLiteral("Скорость речи:"), m_rate);
    layout->addLayout(form);
    m_reason = new QLabel;
    m_reason->setObjectName(QStringLiteral("label_speechReason"));
    m_reason->setWordWrap(true);
    m_reason->hide();
    layout->addWidget(m_reason);

    connect(m_enabled, &QCheckBox::toggled, this, [this] { updateEnabled(); });
    // Until the engine was asked, the options cannot be judged.
    m_enabled->setEnabled(false);
    fill(m_applied);
}

void SpeechSettingsBox::showEvent(QShowEvent *event)
{
    QGroupBox::showEvent(event);
    if (!m_checked)
        refreshAvailability();
}

void SpeechSettingsBox::refreshAvailability()
{
    m_checked = true;
    Speaker &speaker = m_speaker();
    m_available = speaker.isAvailable();
    const SpeechSettings current = workingRecord();
    if (m_available) {
        m_reason->hide();
        showLocales(speaker.locales(), current.locale);
    } else {
        m_reason->setText(QStringLiteral("Озвучивание недоступно: ") + speaker.unavailableReason());
        m_reason->show();
    }
    updateEnabled();
}

void SpeechSettingsBox::showLocales(const QStringList &locales, const QString &current)
{
    m_locale->clear();
    for (const QString &name : locales)
        m_locale->addItem(speechLanguageLabel(name), name);
    // A stored language the engine lacks stays chosen, so nothing is lost by
    // opening the page on another machine.
    if (m_locale->findData(current) < 0)
        m_locale->addItem(speechLanguageLabel(current), current);
    m_locale->setCurrentIndex(m_locale->findData(current));
}

void SpeechSettingsBox::updateEnabled()
{
    m_enabled->setEnabled(m_available);
    const bool on = m_available && m_enabled->isChecked();
    m_locale->setEnabled(on);
    m_rate->setEnabled(on);
}

void SpeechSettingsBox::fill(const SpeechSettings &record)
{
    m_enabled->setChecked(record.enabled);
    if (m_locale->findData(record.locale) < 0)
        m_locale->addItem(speechLanguageLabel(record.locale), record.locale);
    m_locale->setCurrentIndex(m_locale->findData(record.locale));
    m_rate->setValue(int(std::lround(record.rate * rateSteps)));
    updateEnabled();
}

SpeechSettings SpeechSettingsBox::workingRecord() const
{
    SpeechSettings r;
    r.enabled = m_enabled->isChecked();
    const QString locale = m_locale->currentData().toString();
    if (!locale.isEmpty())
        r.locale = locale;
    r.rate = double(m_rate->value()) / rateSteps;
    return r;
}

bool SpeechSettingsBox::apply()
{
    const SpeechSettings r = workingRecord();
    if (r == m_applied)
        return false;
    m_applied = r;
    return true;
}
