#include "ui/dictionary/file_progress_window.h"

#include <QCoreApplication>
#include <QFileInfo>

FileProgressWindow::~FileProgressWindow()
{
    delete m_dialog;
}

QString FileProgressWindow::labelText(const FileProgress &progress)
{
    QString text = progress.stage == FileProgress::Saving ? QStringLiteral("Сохраняется файл\n")
                                                          : QStringLiteral("Открывается файл\n");
    text += QFileInfo(progress.path).fileName();
    if (progress.total > 1)
        text += QStringLiteral("\n(%1 из %2)").arg(progress.done + 1).arg(progress.total);
    return text;
}

bool FileProgressWindow::report(const FileProgress &progress)
{
    if (progress.stage == FileProgress::Finished) {
        delete m_dialog;
        return true;
    }
    if (!m_dialog) {
        m_dialog = new QProgressDialog(m_parent);
        m_dialog->setObjectName(QStringLiteral("fileProgressDialog"));
        m_dialog->setWindowTitle(QStringLiteral("Словарь"));
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->setMinimumDuration(0);
        if (progress.cancellable)
            m_dialog->setCancelButtonText(QStringLiteral("Отменить"));
        else
            m_dialog->setCancelButton(nullptr);
        m_dialog->show();
    }
    m_dialog->setLabelText(labelText(progress));
    // How far one file is read is not known: a moving bar for one file, the
    // count of files for several.
    if (progress.total > 1) {
        m_dialog->setRange(0, progress.total);
        m_dialog->setValue(progress.done);
    } else {
        m_dialog->setRange(0, 0);
        m_dialog->setValue(0);
    }
    QCoreApplication::processEvents();
    return m_dialog && !m_dialog->wasCanceled();
}
