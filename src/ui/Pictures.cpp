#include "Pictures.h"

#include "Background.h"

#include <QPainter>
#include <QSvgRenderer>

namespace qcm {

QPixmap svgPixmap(const QString &resource, QSize size)
{
    QSvgRenderer renderer(resource);
    if (!renderer.isValid())
        return {};
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

QCursor handPointer()
{
    const QPixmap pixmap = svgPixmap(QStringLiteral(":/pictures/pointer.svg"), QSize(32, 32));
    return pixmap.isNull() ? QCursor(Qt::PointingHandCursor) : QCursor(pixmap, 10, 2);
}

QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(Twips::toPixels(left), Twips::toPixels(top), Twips::toPixels(width), Twips::toPixels(height));
}

} // namespace qcm
