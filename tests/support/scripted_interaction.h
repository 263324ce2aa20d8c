#pragma once

#include "app/interaction.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// Answers every prompt from a script and records what was asked. A prompt
// that the script does not expect next fails the running test.
class ScriptedInteraction : public Interaction
{
public:
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
    struct Prompt {
        Kind kind;
        QString text;
    };

    ScriptedInteraction() : Interaction(QStringLiteral("Словарь")) {}
    ~ScriptedInteraction() override;

    // Messages: optionally the text they must contain.
    ScriptedInteraction &expect(Kind kind, const QString &textPart = QString());
    ScriptedInteraction &answerYesNo(int answer, const QString &textPart = QString());
    ScriptedInteraction &answerOpenFiles(const QStringList &files);
    ScriptedInteraction &answerSaveFile(const QString &file);
    // An empty choice cancels.
    ScriptedInteraction &answerItem(const QString &choice);
    ScriptedInteraction &answerDialog(std::function<int(QDialog *)> run);
    // An invalid colour cancels the colour dialog.
    ScriptedInteraction &answerColor(const QColor &color);
    // Accepts the font dialog with `font`; expect(Font) alone cancels it.
    ScriptedInteraction &answerFont(const QFont &font);

    // True when every scripted step was used.
    bool done() const { return m_steps.isEmpty(); }
    // Fails the running test when scripted steps were left unused.
    void verifyAllUsed() const;
    QStringList pendingSteps() const;
    const QList<Prompt> &log() const { return m_log; }
    QStringList texts(Kind kind) const;
    void clearLog() { m_log.clear(); }
    // The labels, items and titles seen by the last item or file prompt.
    QStringList lastItems;
    QString lastLabel;
    // What the last colour and font prompts started from.
    QColor lastColor;
    QFont lastFont;

    void showInformation(const QString &text) override { message(Information, text); }
    void showWarning(const QString &text) override { message(Warning, text); }
    void showCritical(const QString &text) override { message(Critical, text); }
    int askYesNo(const QString &text) override;
    QStringList getOpenFileNames(const QString &title, const QString &dir,
                                 const QString &filter) override;
    QString getSaveFileName(const QString &title, const QString &dir,
                            const QString &filter) override;
    QString getItem(const QString &label, const QStringList &items, bool *ok) override;
    QColor getColor(const QColor &initial) override;
    QFont getFont(const QFont &initial, bool *ok) override;
    int runDialog(QDialog *dialog) override;
    void showAboutQt(const QString &title) override { take(AboutQt, title); }

private:
    struct Step {
        Kind kind;
        QString textPart;
        int yesNo = 0;
        QStringList files;
        QString choice;
        std::function<int(QDialog *)> run;
        bool hasColor = false;
        QColor color;
        bool hasFont = false;
        QFont font;
    };
    Step take(Kind kind, const QString &text);
    void message(Kind kind, const QString &text) { take(kind, text); }
    QList<Step> m_steps;
    QList<Prompt> m_log;
};

QString kindName(ScriptedInteraction::Kind kind);
