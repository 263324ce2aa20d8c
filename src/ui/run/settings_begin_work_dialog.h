#pragma once

#include "core/dictionary/dictionary.h"
#include "core/run/work_settings.h"
#include "ui/run/settings_begin_work.h"

// "Начало работы": edits the settings of the next run. Built for one use,
// run modally; when it is accepted the WorkSettings passed in hold the new
// values, otherwise they are untouched.
class VSettingsBeginWork : public SETTINGS_BEGIN_WORK
{
    Q_OBJECT
public:
    // The widgets start from their defaults and take the values of
    // `settings` only when `consistent` (a learning run stored with options
    // it does not allow falls back to the defaults).
    VSettingsBeginWork(QWidget *parent, const StringSet &lessons, WorkSettings *settings,
                       bool consistent);

public slots:
    void slot_accept();
    void slot_cancel();
    void slot_training();
    void slot_lerning();
    void slot_by_time(int state);
    void slot_EN_RU();
    void slot_RU_EN();

private:
    void setSpeedVisible(bool visible);

    WorkSettings *m_settings;
};
