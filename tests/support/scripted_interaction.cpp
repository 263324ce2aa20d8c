#include "scripted_interaction.h"

#include <QDialog>
#include <QTest>

QString kindName(ScriptedInteraction::Kind kind)
{
    static const char *const names[] = {"information", "warning",   "critical", "question",
                                        "open files",  "save file", "item",     "color",
                                        "font",        "dialog",    "about qt"};
    return QString::fromLatin1(names[kind]);
}

// The window owns its interaction, so the check that the whole script was
// used runs when the window goes away, inside the test that made it.
ScriptedInteraction::~ScriptedInteraction()
{
    verifyAllUsed();
}

ScriptedInteraction &ScriptedInteraction::expect(Kind kind, const QString &textPart)
{
    Step s;
    s.kind = kind;
    s.textPart = textPart;
    m_steps.append(s);
    return *this;
}

ScriptedInteraction &ScriptedInteraction::answerYesNo(int answer, const QString &textPart)
{
    Step s;
    s.kind = Question;
    s.textPart = textPart;
    s.yesNo = answer;
    m_steps.append(s);
    return *this;
}

ScriptedInteraction &ScriptedInteraction::answerOpenFiles(const QStringList &files)
{
    Step s;
    s.kind = OpenFiles;
    s.files = files;
    m_steps.append(s);
    return *this;
}

ScriptedInteraction &ScriptedInteraction::answerSaveFile(const QString &file)
{
    Step s;
    s.kind = SaveFile;
    s.choice = file;
    m_steps.append(s);
    return *this;
}

ScriptedInteraction &ScriptedInteraction::answerItem(const QString &choice)
{
    Step s;
    s.kind = Item;
    s.choice = choice;
    m_steps.append(s);
    return *this;
}

ScriptedInteraction &ScriptedInteraction::answerDialog(std::function<int(QDialog *)> run)
{
    Step s;
    s.kind = Dialog;
    s.run = std::move(run);
    m_steps.append(s);
    return *this;
}

ScriptedInteraction &ScriptedInteraction::answerColor(const QColor &color)
{
    Step s;
    s.kind = Color;
    s.hasColor = true;
    s.color = color;
    m_steps.append(s);
    return *this;
}

ScriptedInteraction &ScriptedInteraction::answerFont(const QFont &font)
{
    Step s;
    s.kind = Font;
    s.hasFont = true;
    s.font = font;
    m_steps.append(s);
    return *this;
}

void ScriptedInteraction::verifyAllUsed() const
{
    if (!done())
        QTest::qFail(("unused prompts: " + pendingSteps().join(QStringLiteral("; "))).toUtf8(),
                     __FILE__, __LINE__);
}

QStringList ScriptedInteraction::pendingSteps() const
{
    QStringList out;
    for (const Step &s : m_steps)
        out << kindName(s.kind) + QLatin1Char(' ') + s.textPart;
    return out;
}

QStringList ScriptedInteraction::texts(Kind kind) const
{
    QStringList out;
    for (const Prompt &p : m_log)
        if (p.kind == kind)
            out << p.text;
    return out;
}

ScriptedInteraction::Step ScriptedInteraction::take(Kind kind, const QString &text)
{
    m_log.append({kind, text});
    const QByteArray where = (kindName(kind) + QStringLiteral(": ") + text).toUtf8();
    if (m_steps.isEmpty()) {
        QTest::qFail(("unexpected prompt " + where).constData(), __FILE__, __LINE__);
        Step s;
        s.kind = kind;
        s.yesNo = No;
        return s;
    }
    Step s = m_steps.takeFirst();
    if (s.kind != kind)
        QTest::qFail(("expected a " + kindName(s.kind).toUtf8() + " but got " + where).constData(),
                     __FILE__, __LINE__);
    else if (!s.textPart.isEmpty() && !text.contains(s.textPart))
        QTest::qFail(("prompt text lacks \"" + s.textPart.toUtf8() + "\": " + where).constData(),
                     __FILE__, __LINE__);
    return s;
}

int ScriptedInteraction::askYesNo(const QString &text)
{
    return take(Question, text).yesNo;
}

QStringList ScriptedInteraction::getOpenFileNames(const QString &title, const QString &dir,
                                                  const QString &filter)
{
    lastLabel = title + QLatin1Char('|') + dir + QLatin1Char('|') + filter;
    return take(OpenFiles, title).files;
}

QString ScriptedInteraction::getSaveFileName(const QString &title, const QString &dir,
                                             const QString &filter)
{
    lastLabel = title + QLatin1Char('|') + dir + QLatin1Char('|') + filter;
    return take(SaveFile, title).choice;
}

QString ScriptedInteraction::getItem(const QString &label, const QStringList &items, bool *ok)
{
    lastLabel = label;
    lastItems = items;
    const QString choice = take(Item, label).choice;
    if (ok)
        *ok = !choice.isEmpty();
    return choice;
}

QColor ScriptedInteraction::getColor(const QColor &initial)
{
    lastColor = initial;
    const Step s = take(Color, QString());
    return s.hasColor ? s.color : initial;
}

QFont ScriptedInteraction::getFont(const QFont &initial, bool *ok)
{
    lastFont = initial;
    const Step s = take(Font, QString());
    if (ok)
        *ok = s.hasFont;
    return s.hasFont ? s.font : initial;
}

int ScriptedInteraction::runDialog(QDialog *dialog)
{
    Step s = take(Dialog, dialog->objectName());
    return s.run ? s.run(dialog) : QDialog::Rejected;
}
