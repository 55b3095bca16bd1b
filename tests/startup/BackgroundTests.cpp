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
    int widthTwips() const override { return w; }
    int heightTwips() const override { return h; }
    void fillRect(int x1, int y1, int x2, int y2, const QColor &c) override { rects.push_back({x1, y1, x2, y2, c}); }
    void drawLine(int, int, int, int, const QColor &) override { }
};

// 256 bands from one colour to the other, side by side, across the whole target.
TEST(Background, BandsRunFromTheFirstColourToTheSecondInEitherDirection)
{
    const struct {
        bool down;
        QColor from, to;
    } cases[] = {{true, {41, 57, 93}, {92, 163, 207}}, {false, {161, 179, 181}, {223, 241, 168}}};
    for (const auto &[down, from, to] : cases) {
        Recorder r(15000, 12000);
        PaintBackground(r, from.red(), from.green(), from.blue(), to.red(), to.green(), to.blue(), down);
        ASSERT_EQ(r.rects.size(), 256u);
        EXPECT_EQ(r.rects.front().colour, from);
        EXPECT_EQ(r.rects.back().colour, to);
        for (size_t i = 0; i < r.rects.size(); ++i) {
            const auto &band = r.rects[i];
            EXPECT_EQ(down ? band.y1 : band.x1, i == 0 ? 0 : (down ? r.rects[i - 1].y2 : r.rects[i - 1].x2)) << i;
            EXPECT_EQ(down ? band.x2 - band.x1 : band.y2 - band.y1, down ? 15000 : 12000) << i;
        }
        if (down) {
            EXPECT_EQ(r.rects[128].colour, QColor(67, 110, 150)); // halfway, rounded
        }
    }
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

} // namespace
