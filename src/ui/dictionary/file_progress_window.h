#pragma once

#include "core/dictionary/dictionary_files.h"

#include <QPointer>
#include <QProgressDialog>

class QWidget;

// The progress window of long file operations: shown by the first report of
// an operation, closed by its Finished report. Each report also lets the
// event loop run, so the main window stays painted meanwhile; the window is
// modal, so nothing can change the dictionary under the operation.
class FileProgressWindow
{
public:
    explicit FileProgressWindow(QWidget *parent) : m_parent(parent) {}
    ~FileProgressWindow();
    FileProgressWindow(const FileProgressWindow &) = delete;
    FileProgressWindow &operator=(const FileProgressWindow &) = delete;

    // Shows where the operation stands; false once the user cancelled.
    bool report(const FileProgress &progress);
    // The shown window, or null between operations.
    QProgressDialog *dialog() const { return m_dialog; }

    // The text shown for a report.
    static QString labelText(const FileProgress &progress);

private:
    QPointer<QWidget> m_parent;
    QPointer<QProgressDialog> m_dialog;
};
