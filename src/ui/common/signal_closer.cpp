#include "ui/common/signal_closer.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

const int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
// [0] is written by the handler, [1] read by the notifier.
int g_pipe[2] = {-1, -1};

extern "C" void noteSignal(int sig)
{
    const char byte = char(sig);
    // Nothing else is safe in a handler; a full pipe already holds a note.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[0], &byte, 1);
}

} // namespace

SignalCloser::SignalCloser(QObject *parent) : QObject(parent)
{
    Q_ASSERT(g_pipe[0] < 0);
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_pipe) != 0) {
        g_pipe[0] = g_pipe[1] = -1;
        return;
    }
    m_notifier = new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalCloser::signalled);
    struct sigaction action = {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : kSignals)
        sigaction(sig, &action, nullptr);
}

SignalCloser::~SignalCloser()
{
    for (int sig : kSignals)
        std::signal(sig, SIG_DFL);
    delete m_notifier;
    for (int &fd : g_pipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void SignalCloser::setWindow(QWidget *window)
{
    m_window = window;
    if (m_pending)
        QTimer::singleShot(0, this, &SignalCloser::closeWindow);
}

void SignalCloser::signalled()
{
    char buffer[16];
    const ssize_t count = ::read(g_pipe[1], buffer, sizeof buffer);
    if (count <= 0)
        return;
    if (m_pending) {
        // Asked again while the first request still waits (a box is open):
        // end at once, as without this object.
        const int sig = buffer[count - 1];
        std::signal(sig, SIG_DFL);
        std::raise(sig);
        return;
    }
    m_pending = true;
    closeWindow();
}

void SignalCloser::closeWindow()
{
    if (!m_window)
        return;
    // A box or dialog is waiting for an answer: closing the window under it
    // would leave its caller running on a closed window.
    if (QApplication::activeModalWidget())
        return;
    m_pending = false;
    m_window->close();
}
