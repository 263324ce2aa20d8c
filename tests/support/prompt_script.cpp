#include "prompt_script.h"

#include <QTest>

QString kindName(PromptKinds::Kind kind)
{
    static const char *const names[] = {"information", "warning",   "critical", "question",
                                        "open files",  "save file", "item",     "color",
                                        "font",        "dialog",    "about qt"};
    return QString::fromLatin1(names[kind]);
}

PromptScript::Step PromptScript::take(Kind kind, const QString &text)
{
    m_log.append({kind, text});
    if (onPrompt)
        onPrompt(kind, text);
    const QByteArray where = (kindName(kind) + QStringLiteral(": ") + text).toUtf8();
    if (m_steps.isEmpty()) {
        QTest::qFail(("unexpected prompt " + where).constData(), __FILE__, __LINE__);
        Step s;
        s.kind = kind;
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

void PromptScript::verifyAllUsed() const
{
    if (!done())
        QTest::qFail(
            (QStringLiteral("unused prompts: ") + pendingSteps().join(QStringLiteral("; ")))
                .toUtf8(),
            __FILE__, __LINE__);
}

QStringList PromptScript::pendingSteps() const
{
    QStringList out;
    for (const Step &s : m_steps)
        out << kindName(s.kind) + QLatin1Char(' ') + s.textPart;
    return out;
}

QStringList PromptScript::texts(Kind kind) const
{
    QStringList out;
    for (const Prompt &p : m_log)
        if (p.kind == kind)
            out << p.text;
    return out;
}
