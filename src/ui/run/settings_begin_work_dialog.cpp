#include "ui/run/settings_begin_work_dialog.h"
#include "ui/common/window_placement.h"

#include <QIcon>

VSettingsBeginWork::VSettingsBeginWork(QWidget *parent, const StringSet &lessons,
                                       WorkSettings *settings, bool consistent)
    : SETTINGS_BEGIN_WORK(parent), m_settings(settings)
{
    setWindowIcon(QIcon(QStringLiteral("icons:Caption_icon.png")));
    keepOnScreen(this);

    radioButton1_training->setChecked(true);
    radioButton4->setChecked(true);
    checkBox_useArchive->setChecked(false);
    checkBox3->setChecked(true);
    checkBox5->setChecked(false);
    checkBox3_by_tyme->setChecked(false);
    textLabel1->hide();
    comboBox1_lesson->hide();
    spinBox1->setRange(1, 15);
    spinBox1->setValue(10);
    setSpeedVisible(false);
    resize(150, 150);

    for (const QString &lesson : lessons)
        comboBox1_lesson->addItem(lesson);

    if (consistent) {
        const WorkSettings &s = *m_settings;
        // Checking one radio of a pair unchecks the other.
        (s.training ? radioButton1_training : radioButton2_lerning)->setChecked(true);
        checkBox5->setChecked(s.use_filter);
        checkBox3_by_tyme->setChecked(s.by_time);
        setSpeedVisible(s.by_time);
        spinBox1->setValue(dialogSpeedFromStored(s.speed));
        (s.en_ru ? radioButton3 : radioButton4)->setChecked(true);
        checkBox3->setChecked(s.use_autocheck);
        checkBox_useArchive->setChecked(s.use_archive);
        if (!s.training) {
            const int index =
                comboBox1_lesson->findText(s.lesson, Qt::MatchExactly | Qt::MatchCaseSensitive);
            if (index >= 0)
                comboBox1_lesson->setCurrentIndex(index);
        }
    }

    connect(radioButton1_training, &QRadioButton::clicked, this,
            &VSettingsBeginWork::slot_training);
    connect(radioButton2_lerning, &QRadioButton::clicked, this, &VSettingsBeginWork::slot_lerning);
    connect(radioButton3, &QRadioButton::clicked, this, &VSettingsBeginWork::slot_EN_RU);
    connect(radioButton4, &QRadioButton::clicked, this, &VSettingsBeginWork::slot_RU_EN);
    connect(checkBox3_by_tyme, &QCheckBox::stateChanged, this, &VSettingsBeginWork::slot_by_time);
    connect(buttonOk, &QPushButton::clicked, this, &VSettingsBeginWork::slot_accept);
    connect(buttonCancel, &QPushButton::clicked, this, &VSettingsBeginWork::slot_cancel);

    // Enabled states follow the chosen kind of run.
    if (radioButton2_lerning->isChecked())
        slot_lerning();
    else
        slot_training();
}

void VSettingsBeginWork::setSpeedVisible(bool visible)
{
    spinBox1->setVisible(visible);
    textLabel1_2->setVisible(visible);
}

void VSettingsBeginWork::slot_training()
{
    if (!radioButton1_training->isChecked())
        return;
    textLabel1->hide();
    comboBox1_lesson->hide();
    checkBox5->setEnabled(true);
    checkBox3_by_tyme->setEnabled(true);
    checkBox3->setChecked(true);
    checkBox3->setEnabled(true);
    checkBox_useArchive->setEnabled(true);
}

void VSettingsBeginWork::slot_lerning()
{
    if (!radioButton2_lerning->isChecked())
        return;
    textLabel1->show();
    comboBox1_lesson->show();
    // A learning run is never timed, filtered, checked or over archived cards.
    for (QCheckBox *box : {checkBox3_by_tyme, checkBox5, checkBox3, checkBox_useArchive}) {
        box->setChecked(false);
        box->setEnabled(false);
    }
}

void VSettingsBeginWork::slot_EN_RU()
{
    // Only a typed foreign answer can be checked.
    checkBox3->setChecked(false);
    checkBox3->setEnabled(false);
}

void VSettingsBeginWork::slot_RU_EN()
{
    if (!radioButton1_training->isChecked())
        return;
    checkBox3->setChecked(true);
    checkBox3->setEnabled(true);
}

void VSettingsBeginWork::slot_by_time(int state)
{
    if (state == Qt::Checked)
        setSpeedVisible(true);
    else if (state == Qt::Unchecked)
        setSpeedVisible(false);
}

void VSettingsBeginWork::slot_cancel()
{
    reject();
}

void VSettingsBeginWork::slot_accept()
{
    const bool oneDirection = radioButton3->isChecked() != radioButton4->isChecked();
    WorkSettings s = *m_settings;
    if (radioButton1_training->isChecked()) {
        s.use_archive = checkBox_useArchive->isChecked();
        s.training = true;
        s.use_filter = checkBox5->isChecked();
        s.by_time = checkBox3_by_tyme->isChecked();
        s.lesson.clear();
        s.en_ru = radioButton3->isChecked();
        s.speed = storedSpeedFromDialog(spinBox1->value());
        s.use_autocheck = s.en_ru ? false : checkBox3->isChecked();
        if (oneDirection) {
            *m_settings = s;
            accept();
        }
        // Without a direction the dialog stays open.
    } else if (radioButton2_lerning->isChecked()) {
        s.use_archive = false;
        s.training = false;
        s.use_filter = false;
        s.by_time = false;
        s.lesson = comboBox1_lesson->currentText();
        s.en_ru = radioButton3->isChecked();
        s.use_autocheck = false;
        if (oneDirection) {
            *m_settings = s;
            accept();
        } else {
            reject();
        }
    } else {
        reject();
    }
}
