#pragma once

#include "core/dictionary/prompts.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

class QDialog;
class QWidget;

// Every message box, question and standard dialog of a window goes through
// one object of this kind, so the logic never opens a box itself and tests
// can script the answers. The prompts that need no widget type come from
// Prompts, so core services can take this object as their Prompts.
class Interaction : public Prompts
{
public:
    explicit Interaction(QString caption) : Prompts(std::move(caption)) {}

    virtual QColor getColor(const QColor &initial) = 0;
    virtual QFont getFont(const QFont &initial, bool *ok) = 0;
    // Runs one of the program's own modal dialogs; returns its result code.
    virtual int runDialog(QDialog *dialog) = 0;
    // Qt's about box with the given caption.
    virtual void showAboutQt(const QString &title);
};

// The real one: Qt's dialogs with the window's caption and the buttons
// "Да" / "Нет". Any wait cursor is taken away while a box is open.
class QtInteraction : public Interaction
{
public:
    QtInteraction(QWidget *parent, QString caption);

    void showInformation(const QString &text) override;
    void showWarning(const QString &text) override;
    void showCritical(const QString &text) override;
    using Interaction::askYesNo;
    int askYesNo(const QString &text, Answer defaultAnswer) override;
    QStringList getOpenFileNames(const QString &title, const QString &dir,
                                 const QString &filter) override;
    QString getOpenFileName(const QString &title, const QString &dir,
                            const QString &filter) override;
    QString getSaveFileName(const QString &title, const QString &dir,
                            const QString &filter) override;
    QString getItem(const QString &label, const QStringList &items, bool *ok) override;
    int askChoice(const QString &text, const QStringList &buttons) override;
    QColor getColor(const QColor &initial) override;
    QFont getFont(const QFont &initial, bool *ok) override;
    int runDialog(QDialog *dialog) override;
    void showAboutQt(const QString &title) override;

private:
    int box(int icon, const QString &text, bool question, Answer defaultAnswer = Yes);
    QWidget *m_parent;
};

// Takes the wait cursor away for as long as it lives and puts it back after,
// so a box opened in the middle of a long operation shows the normal pointer.
class CursorPause
{
public:
    CursorPause();
    ~CursorPause();

private:
    int m_depth = 0;
};

// Sets the wait cursor for the scope.
class WaitCursor
{
public:
    WaitCursor();
    ~WaitCursor();
};
