#pragma once

#include <QString>

class iniReader;

// The settings of a learning or repetition run, edited by the start dialog
// and kept in section WORK_SETTINGS of settings.ini between starts of the
// program. The main window owns one for the program's life.
//
// Field names follow the ini keys on purpose, so the dialog, the file and
// the code read the same.
struct WorkSettings {
    bool training = true;      // true: repetition run; false: learning run of `lesson`
    bool use_filter = false;   // repetition run over the cards passing the filter only
    bool by_time = false;      // timed run
    QString lesson;            // the lesson of a learning run; empty otherwise
    bool en_ru = false;        // true: foreign to Russian; false: Russian to foreign
    bool use_autocheck = true; // check the typed answer (Russian to foreign only)
    int speed = 50;            // timer unit: the run timer ticks every 5 * speed ms
    bool use_archive = false;  // a repetition run includes archived cards

    // A learning run admits none of filter, timing, autocheck and archive,
    // and needs a lesson. The start dialog takes its values from the settings
    // only when they are consistent, and falls back to its defaults otherwise.
    bool isConsistent() const;

    // Reads every WORK_SETTINGS key; a missing key gives the default above.
    void read(iniReader &ini);
    // Writes the keys in the order training, use_filter, by_time, lesson,
    // en_ru, use_autocheck, speed, use_archive. The window calls it at exit,
    // and only when a run was begun since the program started.
    void write(iniReader &ini) const;

    bool operator==(const WorkSettings &o) const;
    bool operator!=(const WorkSettings &o) const { return !(*this == o); }
};

// The start dialog's speed value (1..15, 10 is normal) for a stored `speed`:
// (80 - speed) / 5 when that lies in 1..15, otherwise 6.
int dialogSpeedFromStored(int storedSpeed);

// The stored `speed` for the dialog's speed value: 80 - 5 * value, and 5
// when that would be 0 or less, so the timer never runs at 0 ms.
int storedSpeedFromDialog(int dialogSpeed);
