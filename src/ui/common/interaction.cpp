#include "ui/common/interaction.h"

#include "core/settings/font_style.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

CursorPause::CursorPause()
{
    while (QApplication::overrideCursor()) {
        QApplication::restoreOverrideCursor();
        ++m_depth;
    }
}

CursorPause::~CursorPause()
{
    for (int i = 0; i < m_depth; ++i)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::WaitCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor()
{
    QApplication::restoreOverrideCursor();
}

QtInteraction::QtInteraction(QWidget *parent, QString caption)
    : Interaction(std::move(caption)), m_parent(parent)
{
}

int QtInteraction::box(int icon, const QString &text, bool question, Answer defaultAnswer)
{
    CursorPause pause;
    QMessageBox mb(QMessageBox::Icon(icon), m_caption, text, QMessageBox::NoButton, m_parent);
    QPushButton *yes = mb.addButton(QStringLiteral("Да"), QMessageBox::YesRole);
    QPushButton *no = nullptr;
    if (question)
        no = mb.addButton(QStringLiteral("Нет"), QMessageBox::NoRole);
    mb.setDefaultButton(no && defaultAnswer == No ? no : yes);
    if (no)
        mb.setEscapeButton(no);
    mb.exec();
    return mb.clickedButton() == yes ? Yes : No;
}

void QtInteraction::showInformation(const QString &text)
{
    box(QMessageBox::Information, text, false);
}

void QtInteraction::showWarning(const QString &text)
{
    box(QMessageBox::Warning, text, false);
}

void QtInteraction::showCritical(const QString &text)
{
    box(QMessageBox::Critical, text, false);
}

int QtInteraction::askYesNo(const QString &text, Answer defaultAnswer)
{
    return box(QMessageBox::Question, text, true, defaultAnswer);
}

int QtInteraction::askChoice(const QString &text, const QStringList &buttons)
{
    CursorPause pause;
    QMessageBox mb(QMessageBox::Question, m_caption, text, QMessageBox::NoButton, m_parent);
    QList<QPushButton *> pushButtons;
    for (const QString &b : buttons)
        pushButtons.append(mb.addButton(b, QMessageBox::ActionRole));
    // The last button is the one that changes nothing; Escape presses it.
    if (!pushButtons.isEmpty()) {
        mb.setDefaultButton(pushButtons.first());
        mb.setEscapeButton(pushButtons.last());
    }
    mb.exec();
    return int(pushButtons.indexOf(static_cast<QPushButton *>(mb.clickedButton())));
}

QStringList QtInteraction::getOpenFileNames(const QString &title, const QString &dir,
                                            const QString &filter)
{
    CursorPause pause;
    return QFileDialog::getOpenFileNames(m_parent, title, dir, filter);
}

QString QtInteraction::getOpenFileName(const QString &title, const QString &dir,
                                       const QString &filter)
{
    CursorPause pause;
    return QFileDialog::getOpenFileName(m_parent, title, dir, filter);
}

QString QtInteraction::getSaveFileName(const QString &title, const QString &dir,
                                       const QString &filter)
{
    CursorPause pause;
    // The program adds the extension and refuses existing files itself.
    return QFileDialog::getSaveFileName(m_parent, title, dir, filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

QString QtInteraction::getItem(const QString &label, const QStringList &items, bool *ok)
{
    CursorPause pause;
    return QInputDialog::getItem(m_parent, m_caption, label, items, 0, false, ok);
}

QColor QtInteraction::getColor(const QColor &initial)
{
    CursorPause pause;
    return QColorDialog::getColor(initial, m_parent);
}

QFont QtInteraction::getFont(const QFont &initial, bool *ok)
{
    CursorPause pause;
    // The program's only font chooser is the settings page's. It opens on
    // the font's own style, so OK without a change changes nothing.
    QFont shown(initial);
    QList<FontStyleInfo> styles;
    const QString family = initial.family();
    for (const QString &style : QFontDatabase::styles(family))
        styles.append(
            {style, QFontDatabase::weight(family, style), QFontDatabase::italic(family, style)});
    const QString style =
        matchingStyle(initial.weight(), initial.style() != QFont::StyleNormal, styles);
    if (!style.isEmpty())
        shown.setStyleName(style);
    bool accepted = false;
    const QFont chosen =
        QFontDialog::getFont(&accepted, shown, m_parent, QStringLiteral("Выбор шрифта"));
    if (ok)
        *ok = accepted;
    return accepted ? chosenFont(initial, style, chosen) : initial;
}

int QtInteraction::runDialog(QDialog *dialog)
{
    CursorPause pause;
    return dialog->exec();
}

void Interaction::showAboutQt(const QString &title)
{
    QMessageBox::aboutQt(nullptr, title);
}

void QtInteraction::showAboutQt(const QString &title)
{
    CursorPause pause;
    QMessageBox::aboutQt(m_parent, title);
}
