#pragma once

#include "ui/common/interaction.h"

#include <QElapsedTimer>
#include <QList>
#include <QStringList>

// Each section prints its own figures; a section measures its baseline in the
// same run so the figures read as ratios.
void benchTable(const QList<int> &sizes);
void benchFiles(const QList<int> &sizes, const QStringList &args);
void benchRun(const QList<int> &sizes);
// Explaining a typed answer against the plain check of the same answer.
void benchAnswerReview();
void benchSearch(const QList<int> &sizes);
void benchStatistics(const QList<int> &sizes);
void benchConvert();
// Memory of 1,000 edits on the undo stack; undo of a delete against the delete.
void benchHistory(const QList<int> &sizes);
// Merging a dictionary with its file changed on disk, against opening it.
void benchMerge(const QList<int> &sizes);
// TSV export and import of N cards against writing and reading the same bytes.
void benchExchange(const QList<int> &sizes);

// A settings file in `folder` that gives the window one category, so a
// Session made there starts without asking for anything.
void writeBenchSettings(const QString &folder);

// Milliseconds since the timer started.
inline double msSince(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

// Shows nothing; questions get `answer`, every dialog is cancelled.
class SilentInteraction : public Interaction
{
public:
    explicit SilentInteraction(int answer = Yes)
        : Interaction(QStringLiteral("Словарь")), m_answer(answer)
    {
    }
    void showInformation(const QString &) override {}
    void showWarning(const QString &) override {}
    void showCritical(const QString &) override {}
    int askYesNo(const QString &, Answer) override { return m_answer; }
    QStringList getOpenFileNames(const QString &, const QString &, const QString &) override
    {
        return {};
    }
    QString getSaveFileName(const QString &, const QString &, const QString &) override
    {
        return {};
    }
    QString getItem(const QString &, const QStringList &, bool *ok) override
    {
        *ok = false;
        return {};
    }
    QColor getColor(const QColor &c) override { return c; }
    QFont getFont(const QFont &f, bool *ok) override
    {
        *ok = false;
        return f;
    }
    int runDialog(QDialog *) override { return 0; }

private:
    int m_answer;
};
