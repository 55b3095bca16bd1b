#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace qcm {

// What a window manager may add around a window before it says how much: a
// title bar and thin borders. Windows are sized and placed with room for it.
inline constexpr QMargins kFrameAllowance(8, 36, 8, 8);

// The largest size a window's inside may take on the screen it opens on
// (that of `over`, else its own), its frame around it.
QSize roomOnScreen(const QWidget *window, const QWidget *over = nullptr);

// Sizes a window that has not been shown yet to `preferred`, shrunk to the
// room on the screen, and places it, frame included, centred over the window
// `over` (on the screen when none), moved back inside the screen if it would
// stick out.
void placeWindow(QWidget *window, QSize preferred, const QWidget *over = nullptr);

} // namespace qcm
