#pragma once

#include "core/settings/app_settings.h"
#include "ui/settings/settings_page_form.h"

#include <QColor>
#include <QFont>

#include <functional>

class AnswerOptionsBox;
class Interaction;
class SpeechSettingsBox;
class Speaker;
struct AnswerOptions;
struct SpeechSettings;

// The "Настройки" tab: edits a working copy of the appearance. "Применить"
// copies it into the applied record and emits appearanceApplied(), after
// which the host shows it on the rest of the window; "Отмена" brings the
// applied values back onto the page; "По умолчанию" puts the built-in
// defaults on the page, to be applied by a later "Применить". Leaving the
// tab keeps unapplied values on the page.
class SettingsPage : public SettingsPage_Form
{
    Q_OBJECT
public:
    // Fills the page from `appearance` and opens the tool box page stored
    // in it. The window background that "По умолчанию" restores is taken
    // from the application palette here, so build the page before the
    // appearance is first applied (or call setInitialBackground).
    SettingsPage(AppearanceSettings &appearance, Interaction &ui, QWidget *parent = nullptr);

    // Shows `record` on the page as the working values.
    void fill(const AppearanceSettings &record);
    // What the page holds now, as a record (not applied).
    AppearanceSettings workingRecord() const;

    // Adds the "Озвучивание" group above the buttons; "Применить",
    // "Отмена" and "По умолчанию" then act on it too.
    void addSpeechOptions(SpeechSettings &applied, std::function<Speaker &()> speaker);
    SpeechSettingsBox *speechBox() const { return m_speech; }
    // Adds the "Проверка ответа" group above the buttons, likewise.
    void addAnswerOptions(AnswerOptions &applied);
    AnswerOptionsBox *answerOptionsBox() const { return m_answerOptions; }

    void setInitialBackground(const QColor &color) { m_initialBackground = color; }
    const QColor &initialBackground() const { return m_initialBackground; }

signals:
    // The applied record has new values; the host applies them to the window.
    void appearanceApplied();
    // The speech options were applied with new values; the host stores them.
    void speechApplied();
    // The answer options were applied with new values; the host stores them.
    void answerOptionsApplied();

public slots:
    void slot_bckg_color();
    void slot_bckg_Contentscolor();
    void slot_font();
    void slot_font_color();
    void slot_ApplySettings();
    void slot_CancelSettings();
    void slot_byDefaultSettings();

private:
    void showBackground();
    void showContentsBackground();
    void showFont();
    void showFontColor();

    AppearanceSettings &m_applied;
    Interaction &m_ui;
    QFont m_font;
    QColor m_fontColor;
    QColor m_background;
    QColor m_contents;
    QColor m_initialBackground;
    SpeechSettingsBox *m_speech = nullptr;
    AnswerOptionsBox *m_answerOptions = nullptr;
};
