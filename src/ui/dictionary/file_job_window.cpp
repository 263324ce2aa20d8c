#include "ui/dictionary/file_job_window.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace
{

// A progress window that only a cancellable step lets go: during a save,
// Escape and the close button do nothing, so the window stays modal over
// the program until the file is written.
class JobProgressDialog : public QProgressDialog
{
public:
    JobProgressDialog(QWidget *parent, bool cancellable)
        : QProgressDialog(parent), m_cancellable(cancellable)
    {
    }

    void reject() override
    {
        if (m_cancellable)
            emit canceled();
    }

protected:
    void closeEvent(QCloseEvent *event) override
    {
        if (m_cancellable)
            QProgressDialog::closeEvent(event);
        else
            event->ignore();
    }

private:
    bool m_cancellable;
};

} // namespace

FileJobWindow::~FileJobWindow()
{
    delete m_dialog;
}

QString FileJobWindow::labelText(const FileProgress &progress)
{
    QString text = progress.stage == FileProgress::Saving ? QStringLiteral("Сохраняется файл\n")
                                                          : QStringLiteral("Открывается файл\n");
    text += QFileInfo(progress.path).fileName();
    if (progress.total > 1)
        text += QStringLiteral("\n(%1 из %2)").arg(progress.done + 1).arg(progress.total);
    return text;
}

bool FileJobWindow::run(const FileProgress &progress, const Work &work)
{
    std::atomic<bool> cancel{false};
    bool cancelled = false;
    QEventLoop loop;
    QFutureWatcher<void> watcher;
    QObject::connect(&watcher, &QFutureWatcher<void>::finished, &loop, &QEventLoop::quit);

    auto showWindow = [&] {
        auto *d = new JobProgressDialog(m_parent, progress.cancellable);
        m_dialog = d;
        d->setObjectName(QStringLiteral("fileProgressDialog"));
        d->setWindowTitle(QStringLiteral("Словарь"));
        d->setAccessibleName(QStringLiteral("Ход работы с файлом"));
        d->setWindowModality(Qt::ApplicationModal);
        d->setAutoClose(false);
        d->setAutoReset(false);
        d->setMinimumDuration(0);
        if (progress.cancellable)
            d->setCancelButtonText(QStringLiteral("Отменить"));
        else
            d->setCancelButton(nullptr);
        d->setLabelText(labelText(progress));
        // How far one file is read is not known: a moving bar for one file,
        // the count of files for several.
        if (progress.total > 1) {
            d->setRange(0, progress.total);
            d->setValue(progress.done);
        } else {
            d->setRange(0, 0);
            d->setValue(0);
        }
        QObject::connect(d, &QProgressDialog::canceled, &loop, [&] {
            if (!progress.cancellable)
                return;
            // The worker stops soon and keeps nothing.
            cancelled = true;
            cancel = true;
        });
        d->show();
        if (m_shownHook)
            m_shownHook(d);
    };
    QTimer delay;
    delay.setSingleShot(true);
    QObject::connect(&delay, &QTimer::timeout, &loop, [&] {
        if (!watcher.isFinished())
            showWindow();
    });

    watcher.setFuture(QtConcurrent::run([&work, &cancel] { work(cancel); }));
    // No delay: the window comes at once, however short the step.
    if (m_delay <= 0)
        showWindow();
    else
        delay.start(m_delay);
    // A local loop, as for any modal window: the worker's end quits it.
    if (!watcher.isFinished())
        loop.exec();
    watcher.waitForFinished();
    delete m_dialog;
    return !cancelled;
}
