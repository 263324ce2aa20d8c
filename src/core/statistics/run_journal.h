#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class QByteArray;

// The largest count and duration a journal line may hold. A larger count
// makes the line unreadable (no run shows that many questions), so the sums
// of a record and of many records stay far from overflowing; a longer
// duration is read as this one.
constexpr int kMaxRunCount = 10'000'000;
constexpr qint64 kMaxRunDurationMs = qint64(366) * 24 * 3600 * 1000;

// One run as the journal keeps it.
struct RunRecord {
    QDateTime started;    // local date and time the run began
    bool training = true; // repetition run; false: learning run
    bool enRu = false;    // foreign to Russian
    bool timed = false;
    int shown = 0;     // questions shown
    int right = 0;     // cards left without a mistake after their answer was seen
    int wrong = 0;     // typed answers found wrong
    int forgotten = 0; // "Забыл слово", by hand or when the time ran out
    qint64 durationMs = 0;
    QStringList files; // dictionary files of the cards shown, first shown first

    // Answers given: every card that was settled one way or the other.
    int answers() const { return right + wrong + forgotten; }

    bool operator==(const RunRecord &o) const
    {
        return started == o.started && training == o.training && enRu == o.enRu &&
               timed == o.timed && shown == o.shown && right == o.right && wrong == o.wrong &&
               forgotten == o.forgotten && durationMs == o.durationMs && files == o.files;
    }
};

// The record as one line of JSON, without the line break.
QByteArray runRecordToJson(const RunRecord &record);
// False for a line that is not a record (torn, foreign or damaged).
bool runRecordFromJson(const QByteArray &line, RunRecord *record);

// Where a finished run is written; RunSession reports through it.
class RunJournal
{
public:
    virtual ~RunJournal() = default;
    // The clock runs are timed with; a test gives a fixed one.
    virtual QDateTime now() const { return QDateTime::currentDateTime(); }
    virtual void append(const RunRecord &record) = 0;
};

// The journal file: JSON Lines in the user's data folder. Each record goes
// out in a single write ended by a line break, so a crash leaves at worst a
// torn last line, which reading skips and the next append closes off.
class FileRunJournal : public RunJournal
{
public:
    explicit FileRunJournal(QString path) : m_path(std::move(path)) {}
    const QString &path() const { return m_path; }
    // Creates the folder when needed. A failure is kept in lastError() and
    // never stops the program: the journal is an extra.
    void append(const RunRecord &record) override;
    const QString &lastError() const { return m_lastError; }

private:
    QString m_path;
    QString m_lastError;
};

struct JournalContents {
    QList<RunRecord> records; // in file order
    int skippedLines = 0;     // lines that were not records
    QString error;            // the file exists but could not be read
};

// Reads every record; a missing file is an empty journal, not an error.
JournalContents readRunJournal(const QString &path);
