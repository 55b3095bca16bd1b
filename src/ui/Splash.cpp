#include "Splash.h"

#include "Background.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QtEndian>

namespace qcm {

namespace {

quint32 le32(const uchar *p)
{
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

quint16 le16(const uchar *p)
{
    return quint16(p[0] | p[1] << 8);
}

// An uncompressed 24-bit BMP, bottom-up or top-down; a null image for
// anything else. Qt's reader spends some 40 instructions on each pixel.
QImage plainBmp(const uchar *data, qint64 size)
{
    constexpr qint64 kFileHeader = 14;
    if (size < kFileHeader + 40 || data[0] != 'B' || data[1] != 'M')
        return {};
    const qint64 offset = le32(data + 10);
    const uchar *info = data + kFileHeader;
    const quint32 infoSize = le32(info);
    const qint32 width = qint32(le32(info + 4));
    const qint32 height = qint32(le32(info + 8));
    if (infoSize < 40 || le16(info + 12) != 1 || le16(info + 14) != 24 || le32(info + 16) != 0 || width <= 0
        || width > 32768 || height == 0 || height > 32768 || height < -32768)
        return {};
    const int rows = height < 0 ? -height : height;
    const qint64 stride = (qint64(width) * 3 + 3) & ~qint64(3);
    if (offset < kFileHeader + infoSize || offset + stride * rows > size)
        return {};
    QImage image(width, rows, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    for (int y = 0; y < rows; ++y) {
        const uchar *in = data + offset + stride * (height < 0 ? y : rows - 1 - y);
        auto *out = reinterpret_cast<quint32 *>(image.scanLine(y));
        int x = 0;
        // Four pixels from three little-endian words: B G R B | G R B G | R B G R.
        for (; x + 4 <= width; x += 4, in += 12) {
            const quint32 a = qFromLittleEndian<quint32>(in);
            const quint32 b = qFromLittleEndian<quint32>(in + 4);
            const quint32 c = qFromLittleEndian<quint32>(in + 8);
            out[x] = 0xff000000u | a;
            out[x + 1] = 0xff000000u | a >> 24 | b << 8;
            out[x + 2] = 0xff000000u | b >> 16 | c << 16;
            out[x + 3] = 0xff000000u | c >> 8;
        }
        for (; x < width; ++x, in += 3)
            out[x] = 0xff000000u | quint32(in[2]) << 16 | quint32(in[1]) << 8 | in[0];
    }
    return image;
}

} // namespace

QPixmap splashPicture(const QString &path)
{
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        const qint64 size = file.size();
        if (uchar *data = size > 0 ? file.map(0, size) : nullptr) {
            QImage image = plainBmp(data, size);
            file.unmap(data);
            if (!image.isNull())
                return QPixmap::fromImage(std::move(image));
        }
    }
    return QPixmap(path);
}

Splash::Splash(const QPixmap &picture, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_picture(picture)
{
    setObjectName(QStringLiteral("fSplash"));
    setAccessibleName(QStringLiteral("Écran de démarrage"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(m_picture.deviceIndependentSize().toSize());
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2 - Twips::toPixels(260));
    }
}

void Splash::showNow()
{
    show();
    raise();
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void Splash::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
}

} // namespace qcm
