#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QRect>
#include <QString>

namespace qcm {

// An SVG picture of the program's resources (":/pictures/…") drawn at the
// given size in pixels; a null pixmap when the picture is missing.
QPixmap svgPixmap(const QString &resource, QSize size);

// The program's hand-shaped pointer, shown over what can be clicked.
QCursor handPointer();

// The arrow "previous" or "next", drawn beforehand at 36 and 72 pixels.
QIcon arrowIcon(const QString &name);

// The program's icon, for every window. Its drawing is read only when the
// icon is first drawn or measured: a window that sets it does not load the
// SVG icon engine before its first paint.
QIcon appIcon();

// A rectangle given in twips, in pixels.
QRect twipsRect(int left, int top, int width, int height);

} // namespace qcm
