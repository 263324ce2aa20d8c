#include "scripted_prompts.h"

#include <QTest>

namespace
{

QString kindName(ScriptedPrompts::Kind kind)
{
    static const char *const names[] = {"information", "warning",   "critical", "question",
                                        "open files",  "save file", "item"};
    return QString::fromLatin1(names[kind]);
}

} // namespace

ScriptedPrompts::~ScriptedPrompts()
{
    verifyAllUsed();
}

ScriptedPrompts &ScriptedPrompts::add(Step step)
{
    m_steps.append(std::move(step));
    return *this;
}

ScriptedPrompts &ScriptedPrompts::expect(Kind kind, const QString &textPart)
{
    return add({kind, textPart});
}

ScriptedPrompts &ScriptedPrompts::answerYesNo(int answer, const QString &textPart)
{
    Step s{Question, textPart};
    s.yesNo = answer;
    return add(s);
}

ScriptedPrompts &ScriptedPrompts::answerOpenFiles(const QStringList &files)
{
    Step s{OpenFiles, QString()};
    s.files = files;
    return add(s);
}

ScriptedPrompts &ScriptedPrompts::answerSaveFile(const QString &file)
{
    Step s{SaveFile, QString()};
    s.choice = file;
    return add(s);
}

ScriptedPrompts &ScriptedPrompts::answerItem(const QString &choice)
{
    Step s{Item, QString()};
    s.choice = choice;
    return add(s);
}

void ScriptedPrompts::verifyAllUsed() const
{
    if (done())
        return;
    QStringList pending;
    for (const Step &s : m_steps)
        pending << kindName(s.kind) + QLatin1Char(' ') + s.textPart;
    QTest::qFail((QStringLiteral("unused prompts: ") + pending.join(QStringLiteral("; "))).toUtf8(),
                 __FILE__, __LINE__);
}

QStringList ScriptedPrompts::texts(Kind kind) const
{
    QStringList out;
    for (const Prompt &p : m_log)
        if (p.kind == kind)
            out << p.text;
    return out;
}

ScriptedPrompts::Step ScriptedPrompts::take(Kind kind, const QString &text)
{
    m_log.append({kind, text});
    if (onPrompt)
        onPrompt(kind, text);
    const QByteArray where = (kindName(kind) + QStringLiteral(": ") + text).toUtf8();
    if (m_steps.isEmpty()) {
        QTest::qFail(("unexpected prompt " + where).constData(), __FILE__, __LINE__);
        return Step{kind, QString()};
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

int ScriptedPrompts::askYesNo(const QString &text)
{
    return take(Question, text).yesNo;
}

QStringList ScriptedPrompts::getOpenFileNames(const QString &title, const QString &dir,
                                              const QString &filter)
{
    lastLabel = title + QLatin1Char('|') + dir + QLatin1Char('|') + filter;
    return take(OpenFiles, title).files;
}

QString ScriptedPrompts::getSaveFileName(const QString &title, const QString &dir,
                                         const QString &filter)
{
    lastLabel = title + QLatin1Char('|') + dir + QLatin1Char('|') + filter;
    return take(SaveFile, title).choice;
}

QString ScriptedPrompts::getItem(const QString &label, const QStringList &items, bool *ok)
{
    lastLabel = label;
    lastItems = items;
    const QString choice = take(Item, label).choice;
    if (ok)
        *ok = !choice.isEmpty();
    return choice;
}
