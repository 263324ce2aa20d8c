#include "ui/convert/conversion_settings_dialog.h"

#include "core/convert/text_conversion.h"
#include "ui/common/interaction.h"

VFormConvertionSettings::VFormConvertionSettings(QWidget *parent, ConversionOptions &options,
                                                 Interaction &ui)
    : FormConvertionSettings(parent), m_options(options), m_ui(ui)
{
    if (parent)
        setWindowIcon(parent->windowIcon());
    spinBox_CardsInLesson->setRange(ConversionOptions::minCardsInLesson,
                                    ConversionOptions::maxCardsInLesson);
    lineEdit_lessonNamePattern->setText(options.lessonNamePattern);
    spinBox_CardsInLesson->setValue(options.cardsInLesson);
    radioButton_simpleParsing->setChecked(options.simpleParsing);

    connect(pushButton_apply, &QPushButton::clicked, this,
            &VFormConvertionSettings::slot_accept_clicked);
    connect(pushButton_cancel, &QPushButton::clicked, this,
            &VFormConvertionSettings::slot_cancel_clicked);
}

void VFormConvertionSettings::slot_accept_clicked()
{
    const QString pattern = lineEdit_lessonNamePattern->text();
    // Blanks alone would name the lessons by their numbers only.
    if (pattern.trimmed().isEmpty()) {
        m_ui.showWarning(ConversionText::emptyPattern());
        lineEdit_lessonNamePattern->setFocus();
        return;
    }
    m_options.lessonNamePattern = pattern;
    m_options.cardsInLesson = spinBox_CardsInLesson->value();
    m_options.simpleParsing = radioButton_simpleParsing->isChecked();
    accept();
}

void VFormConvertionSettings::slot_cancel_clicked()
{
    reject();
}
