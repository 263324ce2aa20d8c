#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

class QSocketNotifier;

// Turns SIGTERM, SIGINT (Ctrl+C in a terminal) and SIGHUP into a close of
// the main window, so the program ends as if the user had closed it: the
// settings are written and unsaved changes are asked about, instead of the
// process dying on the spot. The signal is only noted in the handler; the
// window is closed from the event loop. While a box waits for an answer the
// close waits too; a second signal then ends the program at once. One object
// at a time.
class SignalCloser : public QObject
{
public:
    explicit SignalCloser(QObject *parent = nullptr);
    ~SignalCloser() override;

    // The window to close. A signal that came before it was set closes it as
    // soon as it is set.
    void setWindow(QWidget *window);

private:
    void signalled();
    void closeWindow();

    QSocketNotifier *m_notifier = nullptr;
    QPointer<QWidget> m_window;
    bool m_pending = false;
};
