#include "Pictures.h"

#include "Background.h"

#include <QIconEngine>
#include <QPainter>
#include <QSvgRenderer>

namespace qcm {

namespace {

// An icon made the first time it is asked for anything but whether it is null.
class DeferredIconEngine : public QIconEngine {
public:
    explicit DeferredIconEngine(QString file) : m_file(std::move(file)) { }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, 1.0, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    QString key() const override { return QStringLiteral("qcm-deferred"); }
    QIconEngine *clone() const override { return new DeferredIconEngine(m_file); }
    // The file is one of the program's resources.
    bool isNull() override { return false; }

private:
    const QIcon &icon()
    {
        if (m_icon.isNull())
            m_icon = QIcon(m_file);
        return m_icon;
    }

    QString m_file;
    QIcon m_icon;
};

} // namespace

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

QIcon appIcon()
{
    return QIcon(new DeferredIconEngine(QStringLiteral(":/pictures/app.svg")));
}

QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(Twips::toPixels(left), Twips::toPixels(top), Twips::toPixels(width), Twips::toPixels(height));
}

} // namespace qcm
