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
    const QPixmap pixmap(QStringLiteral(":/pictures/pointer-32.png"));
    return pixmap.isNull() ? QCursor(Qt::PointingHandCursor) : QCursor(pixmap, 10, 2);
}

QIcon arrowIcon(const QString &name)
{
    QIcon icon;
    for (int size : {36, 72})
        icon.addFile(QStringLiteral(":/pictures/%1-%2.png").arg(name).arg(size), QSize(size, size));
    return icon;
}

QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(Twips::toPixels(left), Twips::toPixels(top), Twips::toPixels(width), Twips::toPixels(height));
}

} // namespace qcm
