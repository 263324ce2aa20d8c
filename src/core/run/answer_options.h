#pragma once

class QSettings;

// The learner's options for checking a typed answer. They live in the
// per-user QSettings, never in settings.ini, whose content other programs
// and older versions rely on.
struct AnswerOptions {
    // A one-letter typo in a long enough item still counts as a right answer.
    bool acceptOneLetterTypos = false;

    // A missing value gives the default above.
    void read(QSettings &settings);
    void write(QSettings &settings) const;

    bool operator==(const AnswerOptions &o) const
    {
        return acceptOneLetterTypos == o.acceptOneLetterTypos;
    }
    bool operator!=(const AnswerOptions &o) const { return !(*this == o); }
};
