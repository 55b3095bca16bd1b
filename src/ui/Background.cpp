#include "Background.h"

#include <QGuiApplication>
#include <QPainter>
#include <QRandomGenerator>
#include <QScreen>

#include <cmath>

namespace qcm {

double Twips::pixelsPerTwip()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return dpi / 1440.0;
}

int Twips::toPixels(int twips)
{
    return int(std::lround(twips * pixelsPerTwip()));
}

int Twips::fromPixels(int pixels)
{
    return int(std::lround(pixels / pixelsPerTwip()));
}

PainterTarget::PainterTarget(QPainter &painter, QSize sizePixels) : m_painter(painter), m_size(sizePixels) { }

int PainterTarget::widthTwips() const
{
    return Twips::fromPixels(m_size.width());
}

int PainterTarget::heightTwips() const
{
    return Twips::fromPixels(m_size.height());
}

void PainterTarget::fillRect(int x1, int y1, int x2, int y2, const QColor &colour)
{
    const double k = Twips::pixelsPerTwip();
    // Whole pixels on both edges so that neighbouring bands meet without a seam.
    const QPoint a(int(std::floor(x1 * k)), int(std::floor(y1 * k)));
    const QPoint b(int(std::ceil(x2 * k)), int(std::ceil(y2 * k)));
    m_painter.fillRect(QRect(a, b - QPoint(1, 1)), colour);
}

void PainterTarget::drawLine(int x1, int y1, int x2, int y2, const QColor &colour)
{
    const double k = Twips::pixelsPerTwip();
    // Hundreds of stars share two colours: a new pen only when the colour changes.
    if (!m_penSet || m_penColour != colour) {
        m_painter.setPen(QPen(colour, 0)); // cosmetic: a star is always at least one pixel
        m_penColour = colour;
        m_penSet = true;
    }
    m_painter.drawLine(QPointF(x1 * k, y1 * k), QPointF(x2 * k, y2 * k));
}

void PaintBackground(PaintTarget &target, int r1, int g1, int b1, int r2, int g2, int b2, bool topToBottom)
{
    const int width = target.widthTwips();
    const int height = target.heightTwips();
    const int bandWidth = int(std::lround(width / 255.0));
    const int bandHeight = int(std::lround(height / 255.0));
    auto component = [](int c1, int c2, int i) { return int(std::lround(c1 + (c2 - c1) * i / 255.0)); };
    for (int i = 0; i <= 255; ++i) {
        const QColor colour(component(r1, r2, i), component(g1, g2, i), component(b1, b2, i));
        if (topToBottom)
            target.fillRect(0, i * bandHeight, width, i * bandHeight + bandHeight, colour);
        else
            target.fillRect(i * bandWidth, 0, i * bandWidth + bandWidth, height, colour);
    }
}

void PaintWindowBackground(QPainter &painter, QSize sizePixels, const QColor &from, const QColor &to, bool topToBottom)
{
    painter.fillRect(QRect(QPoint(0, 0), sizePixels), to);
    PainterTarget target(painter, sizePixels);
    PaintBackground(target, from.red(), from.green(), from.blue(), to.red(), to.green(), to.blue(), topToBottom);
}

void PaintStars(PaintTarget &target, const std::function<double()> &rnd)
{
    const int w = target.widthTwips();
    const int h = target.heightTwips();
    auto place = [&](int size, const QColor &colour) {
        const int x = int(std::floor((w - 60) * rnd() + 1));
        const int y = int(std::floor((h - 60) * rnd() + 1));
        target.drawLine(x, y, x + size, y + size, colour);
    };
    for (int i = 0; i < 501; ++i)
        place(2, QColor(255, 255, 255));
    for (int i = 0; i < 51; ++i)
        place(20, QColor(255, 255, 128));
}

std::function<double()> defaultRandom()
{
    return [] { return QRandomGenerator::global()->generateDouble(); };
}

} // namespace qcm
