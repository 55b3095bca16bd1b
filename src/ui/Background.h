#pragma once

#include <QColor>
#include <QRect>

#include <functional>

class QPainter;

namespace qcm {

// Window units: twips (1/1440 inch), 15 to a pixel at 96 dots per inch,
// scaled with the screen's logical resolution.
namespace Twips {
double pixelsPerTwip();
int toPixels(int twips);
int fromPixels(int pixels);
} // namespace Twips

// What a background is painted on: its size and two drawing operations, all in twips.
class PaintTarget {
public:
    virtual ~PaintTarget() = default;
    virtual int widthTwips() const = 0;
    virtual int heightTwips() const = 0;
    virtual void fillRect(int x1, int y1, int x2, int y2, const QColor &colour) = 0;
    virtual void drawLine(int x1, int y1, int x2, int y2, const QColor &colour) = 0;
};

// Paints onto a QPainter whose device is sizePixels large.
class PainterTarget : public PaintTarget {
public:
    PainterTarget(QPainter &painter, QSize sizePixels);
    int widthTwips() const override;
    int heightTwips() const override;
    void fillRect(int x1, int y1, int x2, int y2, const QColor &colour) override;
    void drawLine(int x1, int y1, int x2, int y2, const QColor &colour) override;

private:
    QPainter &m_painter;
    QSize m_size;
    QColor m_penColour;
    bool m_penSet = false;
};

// 256 bands from the start colour to the end colour, top to bottom or left to
// right. The last band may reach past the edge; nothing clips it.
void PaintBackground(PaintTarget &target, int r1, int g1, int b1, int r2, int g2, int b2, bool topToBottom);

// The gradient on a window: the end colour first, so that the strip the
// rounded bands may leave uncovered at the far edge matches the last band.
void PaintWindowBackground(QPainter &painter, QSize sizePixels, const QColor &from, const QColor &to, bool topToBottom);

// 501 small white stars and 51 larger yellow ones, at random places.
// rnd gives uniform numbers in [0, 1).
void PaintStars(PaintTarget &target, const std::function<double()> &rnd);
std::function<double()> defaultRandom();

} // namespace qcm
