#include "startup/Background.h"

#include <gtest/gtest.h>

#include <vector>

using namespace qcm;

namespace {

struct Recorder : PaintTarget {
    int w, h;
    Recorder(int width, int height) : w(width), h(height) { }
    struct Rect {
        int x1, y1, x2, y2;
        QColor colour;
    };
    std::vector<Rect> rects;
    std::vector<Rect> lines;
    int widthTwips() const override { return w; }
    int heightTwips() const override { return h; }
    void fillRect(int x1, int y1, int x2, int y2, const QColor &c) override { rects.push_back({x1, y1, x2, y2, c}); }
    void drawLine(int x1, int y1, int x2, int y2, const QColor &c) override { lines.push_back({x1, y1, x2, y2, c}); }
};

TEST(Background, RunnerBandsRunFromTopColourToBottomColour)
{
    Recorder r(15000, 12000);
    PaintBackground(r, 41, 57, 93, 92, 163, 207, true);
    ASSERT_EQ(r.rects.size(), 256u);
    EXPECT_EQ(r.rects.front().colour, QColor(41, 57, 93));
    EXPECT_EQ(r.rects.back().colour, QColor(92, 163, 207));
    const int band = 47; // 12000 / 255 rounded
    EXPECT_EQ(r.rects[10].y1, 10 * band);
    EXPECT_EQ(r.rects[10].y2, 11 * band);
    EXPECT_EQ(r.rects[10].x2, 15000);
    EXPECT_EQ(r.rects[128].colour, QColor(67, 110, 150)); // c1 + (c2 - c1) * 128 / 255, rounded
}

TEST(Background, LeftToRightAndFallingComponents)
{
    Recorder r(7650, 300);
    PaintBackground(r, 161, 179, 181, 223, 241, 168, false);
    EXPECT_EQ(r.rects[0].x1, 0);
    EXPECT_EQ(r.rects[1].x1, 30);
    EXPECT_EQ(r.rects[0].y2, 300);
    EXPECT_EQ(r.rects.back().colour, QColor(223, 241, 168));
}

TEST(Background, TinyTargetsStillGetEveryBand)
{
    for (int height : {0, 1, 127, 128, 255}) {
        Recorder r(1000, height);
        PaintBackground(r, 0, 0, 0, 255, 255, 255, true);
        EXPECT_EQ(r.rects.size(), 256u) << height;
        EXPECT_LE(r.rects.back().y2 - r.rects.back().y1, 1);
    }
}

TEST(Background, StarsAre501SmallAnd51LargeInsideTheWindow)
{
    Recorder r(9000, 6000);
    double seed = 0.0;
    PaintStars(r, [&] { return seed = std::fmod(seed + 0.6180339887, 1.0); });
    ASSERT_EQ(r.lines.size(), 552u);
    int large = 0;
    for (const auto &l : r.lines) {
        EXPECT_GE(l.x1, 1);
        EXPECT_LE(l.x1, 9000 - 60);
        EXPECT_LE(l.y1, 6000 - 60);
        if (l.x2 - l.x1 == 20) {
            ++large;
            EXPECT_EQ(l.colour, QColor(255, 255, 128));
        } else {
            EXPECT_EQ(l.colour, QColor(255, 255, 255));
        }
    }
    EXPECT_EQ(large, 51);
}

} // namespace
