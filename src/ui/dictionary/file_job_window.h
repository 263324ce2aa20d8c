#pragma once

#include "core/dictionary/dictionary_files.h"

#include <QPointer>
#include <QProgressDialog>

#include <functional>

class QWidget;

// Runs the long steps of file jobs on a worker thread (QtConcurrent) while
// the window stays painted, and shows a modal progress window once a step
// has taken longer than the delay. An open can be cancelled with its button,
// Escape or the window's close button; a save cannot, and its window cannot
// be dismissed until the file is written.
class FileJobWindow : public FileJobRunner
{
public:
    explicit FileJobWindow(QWidget *parent) : m_parent(parent) {}
    ~FileJobWindow() override;
    FileJobWindow(const FileJobWindow &) = delete;
    FileJobWindow &operator=(const FileJobWindow &) = delete;

    bool run(const FileProgress &progress, const Work &work) override;

    // How long a step runs before its window appears (0.3 s unless set; 0:
    // at once, even for a step that ends sooner).
    void setDelay(int ms) { m_delay = ms; }
    // Called once the window of a step is shown, while the step still runs
    // (tests act on the window and the program from here).
    void setShownHook(std::function<void(QProgressDialog *)> hook)
    {
        m_shownHook = std::move(hook);
    }
    // The shown window, or null between steps.
    QProgressDialog *dialog() const { return m_dialog; }

    // The text shown for a step.
    static QString labelText(const FileProgress &progress);

private:
    QPointer<QWidget> m_parent;
    QPointer<QProgressDialog> m_dialog;
    int m_delay = 300;
    std::function<void(QProgressDialog *)> m_shownHook;
};
