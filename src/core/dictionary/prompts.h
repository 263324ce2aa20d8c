#pragma once

#include <QString>
#include <QStringList>

// The message boxes, questions and file choices a decision may need, without
// any widget: the window implements them with Qt's dialogs, tests with a
// script. Every box carries the caption of the window that owns this object.
class Prompts
{
public:
    enum Answer { Yes = 0, No = 1 };

    explicit Prompts(QString caption) : m_caption(std::move(caption)) {}
    virtual ~Prompts() = default;

    const QString &caption() const { return m_caption; }

    virtual void showInformation(const QString &text) = 0;
    virtual void showWarning(const QString &text) = 0;
    virtual void showCritical(const QString &text) = 0;
    // 0 (Yes) for "Да", 1 (No) for "Нет". `defaultAnswer` is the button
    // Enter presses: "Нет" wherever "Да" would throw unsaved cards away.
    virtual int askYesNo(const QString &text, Answer defaultAnswer) = 0;
    int askYesNo(const QString &text) { return askYesNo(text, Yes); }

    // Empty list on cancel.
    virtual QStringList getOpenFileNames(const QString &title, const QString &dir,
                                         const QString &filter) = 0;
    // One file; empty text on cancel. Scripts answer it as a list of one.
    virtual QString getOpenFileName(const QString &title, const QString &dir, const QString &filter)
    {
        return getOpenFileNames(title, dir, filter).value(0);
    }
    // Empty text on cancel.
    virtual QString getSaveFileName(const QString &title, const QString &dir,
                                    const QString &filter) = 0;
    // Empty result and *ok false on cancel.
    virtual QString getItem(const QString &label, const QStringList &items, bool *ok) = 0;
    // A question with buttons of its own: the index of the one pressed, or
    // -1 when the box was closed. Scripts answer it as an item choice.
    virtual int askChoice(const QString &text, const QStringList &buttons)
    {
        bool ok = false;
        const QString choice = getItem(text, buttons, &ok);
        return ok ? int(buttons.indexOf(choice)) : -1;
    }

protected:
    QString m_caption;
};
