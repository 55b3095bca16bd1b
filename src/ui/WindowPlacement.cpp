#include "WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace qcm {

namespace {

const QScreen *screenOf(const QWidget *window, const QWidget *over)
{
    if (over && over->screen())
        return over->screen();
    if (window && window->screen())
        return window->screen();
    return QGuiApplication::primaryScreen();
}

// The window's own frame once it is known, else the allowance.
QMargins frameOf(const QWidget *window)
{
    const QWindow *handle = window->windowHandle();
    const QMargins known = handle && window->isVisible() ? handle->frameMargins() : QMargins();
    return known.isNull() ? kFrameAllowance : known;
}

} // namespace

QSize roomOnScreen(const QWidget *window, const QWidget *over)
{
    const QScreen *screen = screenOf(window, over);
    if (!screen)
        return QSize(1024, 700);
    return screen->availableGeometry().marginsRemoved(frameOf(window)).size();
}

void placeWindow(QWidget *window, QSize preferred, const QWidget *over)
{
    const QScreen *screen = screenOf(window, over);
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QMargins frame = frameOf(window);
    const QSize inside = preferred.boundedTo(area.marginsRemoved(frame).size())
                             .expandedTo(window->minimumSize())
                             .expandedTo(window->minimumSizeHint());
    QRect framed(QPoint(0, 0), inside.grownBy(frame));
    framed.moveCenter(over && over->isVisible() ? over->frameGeometry().center() : area.center());
    framed.moveLeft(std::clamp(framed.left(), area.left(), std::max(area.left(), area.right() - framed.width() + 1)));
    framed.moveTop(std::clamp(framed.top(), area.top(), std::max(area.top(), area.bottom() - framed.height() + 1)));
    // The inside of a window: the window manager puts its frame around it.
    window->setGeometry(framed.marginsRemoved(frame));
}

} // namespace qcm
