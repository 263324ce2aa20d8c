#include "ui/common/window_placement.h"

#include "core/common/window_fit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <optional>

namespace
{

// Watches one window's show events; lives as the window's child.
class ScreenKeeper : public QObject
{
public:
    explicit ScreenKeeper(QWidget *window) : QObject(window), m_window(window)
    {
        setObjectName(QStringLiteral("lexitor_screen_keeper"));
        window->installEventFilter(this);
    }

    void want(const QPoint &frameTopLeft) { m_wanted = frameTopLeft; }

    // Puts the window where it is wanted, inside its screen.
    void fit()
    {
        if (!m_window)
            return;
        const QRect frame = m_window->frameGeometry();
        const QPoint target = m_wanted.value_or(frame.topLeft());
        const QRect fitted = fitIntoArea(QRect(target, frame.size()), availableAreaFor(m_window));
        if (fitted.topLeft() != frame.topLeft())
            m_window->move(fitted.topLeft());
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Show) {
            fit();
            // The frame's size and the window manager's placement are known
            // only after the window is mapped.
            QTimer::singleShot(0, this, [this] {
                fit();
                m_wanted.reset();
            });
        }
        return false;
    }

private:
    QPointer<QWidget> m_window;
    std::optional<QPoint> m_wanted;
};

ScreenKeeper *keeperOf(QWidget *window)
{
    auto *keeper = window->findChild<ScreenKeeper *>(QStringLiteral("lexitor_screen_keeper"),
                                                     Qt::FindDirectChildrenOnly);
    return keeper ? keeper : new ScreenKeeper(window);
}

} // namespace

QRect availableAreaFor(const QWidget *window)
{
    QScreen *screen = QGuiApplication::screenAt(window->frameGeometry().center());
    if (!screen)
        screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

void restoreWindowGeometry(QWidget *window, const WindowGeometry &g)
{
    if (g.width > 0 && g.height > 0)
        window->resize(g.width, g.height);
    ScreenKeeper *keeper = keeperOf(window);
    keeper->want(QPoint(g.topX, g.topY));
    window->move(g.topX, g.topY);
    keeper->fit();
}

void keepOnScreen(QWidget *window)
{
    keeperOf(window);
}
