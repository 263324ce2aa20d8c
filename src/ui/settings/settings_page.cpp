#include "ui/settings/settings_page.h"

#include "core/settings/appearance_rules.h"
#include "ui/common/interaction.h"
#include "ui/settings/answer_options_box.h"
#include "ui/settings/speech_settings_box.h"

#include <QApplication>
#include <QFontDatabase>

namespace
{

// Paints a widget's background in `color` with text that stays readable on it.
void paintBackground(QWidget *widget, const QColor &color)
{
    QPalette pal = widget->palette();
    const QColor text = readableTextColor(color);
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button})
        pal.setColor(role, color);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        pal.setColor(role, text);
    widget->setPalette(pal);
    widget->setAutoFillBackground(true);
}

} // namespace

SettingsPage::SettingsPage(AppearanceSettings &appearance, Interaction &ui, QWidget *parent)
    : SettingsPage_Form(parent), m_applied(appearance), m_ui(ui),
      m_initialBackground(QApplication::palette().color(QPalette::Window))
{
    if (m_applied.settingsPage >= 0 && m_applied.settingsPage < toolBox1->count())
        toolBox1->setCurrentIndex(m_applied.settingsPage);
    // A stored page that does not exist is not written back.
    m_applied.settingsPage = toolBox1->currentIndex();
    fill(m_applied);

    connect(toolButton_bkgColor, &QToolButton::clicked, this, &SettingsPage::slot_bckg_color);
    connect(toolButton_bkgContentsColor, &QToolButton::clicked, this,
            &SettingsPage::slot_bckg_Contentscolor);
    connect(toolButton_fontLearning, &QToolButton::clicked, this, &SettingsPage::slot_font);
    connect(toolButton_fontColorLearning, &QToolButton::clicked, this,
            &SettingsPage::slot_font_color);
    connect(pushButton_apply, &QPushButton::clicked, this, &SettingsPage::slot_ApplySettings);
    connect(pushButton_cancel, &QPushButton::clicked, this, &SettingsPage::slot_CancelSettings);
    connect(pushButton_byDefault, &QPushButton::clicked, this,
            &SettingsPage::slot_byDefaultSettings);
    // The open page is remembered as it changes, applied or not.
    connect(toolBox1, &QToolBox::currentChanged, this,
            [this](int index) { m_applied.settingsPage = index; });
}

void SettingsPage::fill(const AppearanceSettings &record)
{
    m_background = record.backgroundColor;
    showBackground();
    m_contents = record.contentsBackgroundColor;
    showContentsBackground();
    m_font = record.font;
    showFont();
    m_fontColor = record.fontColor;
    showFontColor();

    checkBox_showSpeechParts->setChecked(record.showSpeechParts);
    checkBox_showNumbers->setChecked(record.showPartsNums);
    (record.vertical ? radioButton_Vertical : radioButton_Horizontal)->setChecked(true);
    checkBox_flashOnError->setChecked(record.flashIfWrong);
    spinBox_ColorTurnOffCard->setValue(record.numRightLearn);
}

AppearanceSettings SettingsPage::workingRecord() const
{
    AppearanceSettings r = m_applied; // keeps the frame colour and the open page
    r.font = m_font;
    r.fontColor = m_fontColor;
    r.backgroundColor = m_background;
    r.contentsBackgroundColor = m_contents;
    r.showPartsNums = checkBox_showNumbers->isChecked();
    r.showSpeechParts = checkBox_showSpeechParts->isChecked();
    r.flashIfWrong = checkBox_flashOnError->isChecked();
    r.vertical = radioButton_Vertical->isChecked();
    r.numRightLearn = spinBox_ColorTurnOffCard->value();
    return r;
}

void SettingsPage::showBackground()
{
    for (QWidget *w :
         {static_cast<QWidget *>(lineEdit_bkgColor), static_cast<QWidget *>(toolButton_bkgColor),
          static_cast<QWidget *>(toolButton_fontLearning),
          static_cast<QWidget *>(toolButton_fontColorLearning)})
        paintBackground(w, m_background);
    // The font sample keeps the chosen text colour on the page background.
    QPalette pal = lineEdit_FontLearning->palette();
    pal.setColor(QPalette::Base, m_background);
    lineEdit_FontLearning->setPalette(pal);
}

void SettingsPage::showContentsBackground()
{
    for (QWidget *w : {static_cast<QWidget *>(lineEdit_bkgContentsColor),
                       static_cast<QWidget *>(page_settings_common),
                       static_cast<QWidget *>(page_settingsLearning)})
        paintBackground(w, m_contents);
}

void SettingsPage::showFont()
{
    lineEdit_FontLearning->setFont(m_font);
    lineEdit_FontLearning->setText(fontDescription(m_font));
    lineEdit_FontLearning->setCursorPosition(0);
}

void SettingsPage::showFontColor()
{
    QPalette pal = lineEdit_FontLearning->palette();
    pal.setColor(QPalette::Text, m_fontColor);
    lineEdit_FontLearning->setPalette(pal);
}

void SettingsPage::slot_bckg_color()
{
    const QColor c = m_ui.getColor(m_background);
    if (!c.isValid())
        return;
    m_background = c;
    showBackground();
}

void SettingsPage::slot_bckg_Contentscolor()
{
    const QColor c = m_ui.getColor(m_contents);
    if (!c.isValid())
        return;
    m_contents = c;
    showContentsBackground();
}

void SettingsPage::slot_font_color()
{
    const QColor c = m_ui.getColor(m_fontColor);
    if (!c.isValid())
        return;
    m_fontColor = c;
    showFontColor();
}

void SettingsPage::slot_font()
{
    bool ok = false;
    const QFont f = m_ui.getFont(m_font, &ok);
    if (!ok)
        return;
    m_font = f;
    showFont();
}

void SettingsPage::slot_ApplySettings()
{
    AppearanceSettings r = workingRecord();
    r.settingsPage = toolBox1->currentIndex();
    m_applied = r;
    emit appearanceApplied();
    if (m_speech && m_speech->apply())
        emit speechApplied();
    if (m_answerOptions && m_answerOptions->apply())
        emit answerOptionsApplied();
}

void SettingsPage::addSpeechOptions(SpeechSettings &applied, std::function<Speaker &()> speaker)
{
    if (m_speech)
        return;
    m_speech = new SpeechSettingsBox(applied, std::move(speaker), this);
    // Below the tool box, above the row of buttons.
    settingsPageLayout->insertWidget(settingsPageLayout->count() - 1, m_speech);
}

void SettingsPage::addAnswerOptions(AnswerOptions &applied)
{
    if (m_answerOptions)
        return;
    m_answerOptions = new AnswerOptionsBox(applied, this);
    settingsPageLayout->insertWidget(settingsPageLayout->count() - 1, m_answerOptions);
}

void SettingsPage::slot_CancelSettings()
{
    fill(m_applied);
    if (m_speech)
        m_speech->revert();
    if (m_answerOptions)
        m_answerOptions->revert();
}

void SettingsPage::slot_byDefaultSettings()
{
    fill(defaultAppearance(m_applied, QApplication::font(), QFontDatabase::families(),
                           m_initialBackground));
    if (m_speech)
        m_speech->fill(SpeechSettings());
    if (m_answerOptions)
        m_answerOptions->fill(AnswerOptions());
}
