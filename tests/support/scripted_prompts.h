#pragma once

#include "model/prompts.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Prompts for core tests: answers every prompt from a script and records what
// was asked. A prompt the script does not expect next fails the running test,
// and so does a script left unused when the object goes away.
class ScriptedPrompts : public Prompts
{
public:
    enum Kind { Information, Warning, Critical, Question, OpenFiles, SaveFile, Item };
    struct Prompt {
        Kind kind;
        QString text;
    };

    ScriptedPrompts() : Prompts(QStringLiteral("Словарь")) {}
    ~ScriptedPrompts() override;

    // Messages: optionally a part their text must contain.
    ScriptedPrompts &expect(Kind kind, const QString &textPart = QString());
    ScriptedPrompts &answerYesNo(int answer, const QString &textPart = QString());
    ScriptedPrompts &answerOpenFiles(const QStringList &files);
    ScriptedPrompts &answerSaveFile(const QString &file);
    // An empty choice cancels.
    ScriptedPrompts &answerItem(const QString &choice);

    bool done() const { return m_steps.isEmpty(); }
    // Fails the running test when scripted steps were left unused.
    void verifyAllUsed() const;
    const QList<Prompt> &log() const { return m_log; }
    QStringList texts(Kind kind) const;
    void clearLog() { m_log.clear(); }
    // Called at every prompt before it is answered (e.g. to check state).
    std::function<void(Kind, const QString &)> onPrompt;
    // The items of the last item prompt; "title|dir|filter" of the last file
    // prompt, or the label of the last item prompt.
    QStringList lastItems;
    QString lastLabel;

    void showInformation(const QString &text) override { take(Information, text); }
    void showWarning(const QString &text) override { take(Warning, text); }
    void showCritical(const QString &text) override { take(Critical, text); }
    int askYesNo(const QString &text) override;
    QStringList getOpenFileNames(const QString &title, const QString &dir,
                                 const QString &filter) override;
    QString getSaveFileName(const QString &title, const QString &dir,
                            const QString &filter) override;
    QString getItem(const QString &label, const QStringList &items, bool *ok) override;

private:
    struct Step {
        Step(Kind k, const QString &part) : kind(k), textPart(part) {}
        Kind kind;
        QString textPart;
        int yesNo = No;
        QStringList files;
        QString choice;
    };
    ScriptedPrompts &add(Step step);
    Step take(Kind kind, const QString &text);
    QList<Step> m_steps;
    QList<Prompt> m_log;
};
