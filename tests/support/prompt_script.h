#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QDialog;

// The prompts a test script can expect, for core services and windows alike.
struct PromptKinds {
    enum Kind {
        Information,
        Warning,
        Critical,
        Question,
        OpenFiles,
        SaveFile,
        Item,
        Color,
        Font,
        Dialog,
        AboutQt
    };
};

QString kindName(PromptKinds::Kind kind);

// Answers prompts from a queue of expected steps and records every prompt.
// A prompt that the script does not expect next fails the running test, and
// so does a script left unused when the object goes away.
class PromptScript : public PromptKinds
{
public:
    struct Prompt {
        Kind kind;
        QString text;
    };
    struct Step {
        Kind kind = Information;
        QString textPart; // a part the prompt's text must contain; empty: any
        int yesNo = 1;    // "Нет" unless scripted
        QStringList files;
        QString choice;
        std::function<int(QDialog *)> run;
        bool hasColor = false;
        QColor color;
        bool hasFont = false;
        QFont font;
    };

    void add(Step step) { m_steps.append(std::move(step)); }
    // Logs the prompt and takes the next step, failing the test when it is
    // not of this kind or its text lacks the expected part.
    Step take(Kind kind, const QString &text);

    bool done() const { return m_steps.isEmpty(); }
    // Fails the running test when scripted steps were left unused.
    void verifyAllUsed() const;
    QStringList pendingSteps() const;
    const QList<Prompt> &log() const { return m_log; }
    QStringList texts(Kind kind) const;
    void clearLog() { m_log.clear(); }
    // Called at every prompt before it is answered (e.g. to check state).
    std::function<void(Kind, const QString &)> onPrompt;

private:
    QList<Step> m_steps;
    QList<Prompt> m_log;
};

// The scripted answers to the prompts every service may show, on top of the
// prompt interface `Base` (Prompts for core tests, Interaction for windows).
template <class Base> class ScriptedPromptsOf : public Base, public PromptScript
{
public:
    using Kind = PromptKinds::Kind;
    using PromptScript::Critical;
    using PromptScript::Information;
    using PromptScript::Item;
    using PromptScript::OpenFiles;
    using PromptScript::Question;
    using PromptScript::SaveFile;
    using PromptScript::Warning;

    explicit ScriptedPromptsOf(QString caption) : Base(std::move(caption)) {}
    // The owner of the prompts goes away inside the test that made it, so
    // the check that the whole script was used runs there.
    ~ScriptedPromptsOf() override { verifyAllUsed(); }

    // Messages: optionally a part their text must contain.
    ScriptedPromptsOf &expect(Kind kind, const QString &textPart = QString())
    {
        return with(kind, textPart, [](Step &) {});
    }
    ScriptedPromptsOf &answerYesNo(int answer, const QString &textPart = QString())
    {
        return with(Question, textPart, [answer](Step &s) { s.yesNo = answer; });
    }
    ScriptedPromptsOf &answerOpenFiles(const QStringList &files)
    {
        return with(OpenFiles, QString(), [&files](Step &s) { s.files = files; });
    }
    ScriptedPromptsOf &answerSaveFile(const QString &file)
    {
        return with(SaveFile, QString(), [&file](Step &s) { s.choice = file; });
    }
    // An empty choice cancels.
    ScriptedPromptsOf &answerItem(const QString &choice)
    {
        return with(Item, QString(), [&choice](Step &s) { s.choice = choice; });
    }

    // The items of the last item prompt; "title|dir|filter" of the last file
    // prompt, or the label of the last item prompt.
    QStringList lastItems;
    QString lastLabel;

    void showInformation(const QString &text) override { take(Information, text); }
    void showWarning(const QString &text) override { take(Warning, text); }
    void showCritical(const QString &text) override { take(Critical, text); }
    using Base::askYesNo;
    int askYesNo(const QString &text, typename Base::Answer defaultAnswer) override
    {
        const int answer = take(Question, text).yesNo;
        lastDefaultAnswer = defaultAnswer;
        defaultAnswers.append(defaultAnswer);
        return answer;
    }
    // The default button of every question asked, in order.
    QList<int> defaultAnswers;
    int lastDefaultAnswer = -1;
    QStringList getOpenFileNames(const QString &title, const QString &dir,
                                 const QString &filter) override
    {
        lastLabel = title + QLatin1Char('|') + dir + QLatin1Char('|') + filter;
        return take(OpenFiles, title).files;
    }
    QString getSaveFileName(const QString &title, const QString &dir,
                            const QString &filter) override
    {
        lastLabel = title + QLatin1Char('|') + dir + QLatin1Char('|') + filter;
        return take(SaveFile, title).choice;
    }
    QString getItem(const QString &label, const QStringList &items, bool *ok) override
    {
        lastLabel = label;
        lastItems = items;
        const QString choice = take(Item, label).choice;
        if (ok)
            *ok = !choice.isEmpty();
        return choice;
    }

protected:
    template <class Fill> ScriptedPromptsOf &with(Kind kind, const QString &textPart, Fill fill)
    {
        Step s;
        s.kind = kind;
        s.textPart = textPart;
        fill(s);
        add(std::move(s));
        return *this;
    }
};
