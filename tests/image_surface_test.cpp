// The Qt surface draws many lines to a call, skips what cannot be seen and keeps
// its pen and font: its pictures must be those of drawing every primitive on its
// own with a pen and font made for it.
#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <cmath>
#include <random>

#include "platform/qt/image_surface.h"
#include "platform/qt/twips.h"

namespace tobrak::qt {
namespace {

// Every primitive straight to a painter, nothing kept, nothing skipped.
class OneByOne final : public Surface {
public:
    OneByOne(Rgb back, QSize size, qreal ratio) : img_(size * ratio, QImage::Format_RGB32), back_(back), ratio_(ratio) {
        img_.setDevicePixelRatio(ratio);
        img_.fill(qcolor(back_));
    }
    void cls() override { img_.fill(qcolor(back_)); }
    void drawLine(float x1, float y1, float x2, float y2, Rgb c) override {
        QPainter p(&img_);
        setUp(p);
        QPen pen(qcolor(c));
        pen.setWidthF(width_ * ratio_);
        pen.setCapStyle(width_ > 1 ? Qt::SquareCap : Qt::FlatCap);
        p.setPen(pen);
        const QPointF a = at(x1, y1), b = at(x2, y2);
        if (a == b)
            p.drawPoint(a);
        else
            p.drawLine(a, b);
    }
    void box(float x1, float y1, float x2, float y2, Rgb outline, bool filled) override {
        QPainter p(&img_);
        setUp(p);
        const QRectF r = QRectF(at(x1, y1), at(x2, y2)).normalized();
        if (filled) p.fillRect(r, qcolor(fill_));
        QPen pen(qcolor(outline));
        pen.setWidthF(width_ * ratio_);
        p.setPen(pen);
        p.drawRect(r.adjusted(0, 0, -ratio_, -ratio_));
    }
    void pset(float x, float y, Rgb c) override {
        QPainter p(&img_);
        setUp(p);
        p.fillRect(QRectF(at(x, y), QSizeF(width_ * ratio_, width_ * ratio_)), qcolor(c));
    }
    void setDrawWidth(int px) override { width_ = px < 1 ? 1 : px; }
    void setFillColor(Rgb c) override { fill_ = c; }
    void setFontSize(float points) override { size_ = points; }
    void setForeColor(Rgb c) override { fore_ = c; }
    void print(const std::string& utf8) override {
        QPainter p(&img_);
        setUp(p);
        QFont f(QString::fromUtf8("ＭＳ Ｐゴシック"));
        f.setPixelSize(std::max(1, static_cast<int>(std::lround(size_ * 96.0 / 72.0 * ratio_))));
        p.setFont(f);
        p.setPen(qcolor(fore_));
        const QPointF a = at(currentX(), currentY());
        p.drawText(QPointF(a.x(), a.y() + QFontMetricsF(f).ascent()), QString::fromUtf8(utf8));
    }
    const QImage& image() const { return img_; }

private:
    void setUp(QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.resetTransform();
        p.scale(1.0 / ratio_, 1.0 / ratio_);
    }
    QPointF at(float x, float y) const {
        return {std::floor(x / kTwipsPerPixel + 0.5) * ratio_, std::floor(y / kTwipsPerPixel + 0.5) * ratio_};
    }
    QImage img_;
    Rgb back_, fill_ = 0, fore_ = 0;
    qreal ratio_;
    int width_ = 1;
    float size_ = 9;
};

// A long sequence of what the graph and the zoom window draw, at random: line
// walks turning up and down, leaving and entering the image, grid dashes, dots,
// pen and colour changes, numbers near and beyond the edges.
void drawScene(Surface& s, unsigned seed, QSize size) {
    std::mt19937 rng(seed);
    auto uniform = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
    auto chance = [&](int oneIn) { return std::uniform_int_distribution<int>(0, oneIn - 1)(rng) == 0; };
    const float W = static_cast<float>(size.width()) * 15.0f, H = static_cast<float>(size.height()) * 15.0f;
    const Rgb colours[] = {rgb::White, rgb::Red, rgb::Black, 0x707070};
    s.cls();
    Rgb c = rgb::White;
    float x = uniform(-W / 2, W / 2), y = uniform(0, H);
    for (int i = 0; i < 6000; ++i) {
        if (chance(40)) c = colours[std::uniform_int_distribution<int>(0, 3)(rng)];
        if (chance(300)) s.setDrawWidth(chance(3) ? 2 : 1);
        if (chance(25)) {
            // A dash of the grid, down or to the right.
            const float u = uniform(-W / 4, W * 1.25f), v = uniform(-H / 4, H * 1.25f);
            if (chance(2))
                s.line(u, v, u, v + 50, 0x707070);
            else
                s.line(u, v, u + 50, v, 0x707070);
        } else if (chance(60)) {
            s.pset(uniform(-30, W + 30), uniform(-30, H + 30), c);
        } else if (chance(80)) {
            s.setFontSize(chance(2) ? 8.0f : 9.0f);
            s.setForeColor(c);
            s.setCurrentXY(uniform(-W / 3, W + 100), uniform(-300, H + 100));
            s.print(std::to_string(std::uniform_int_distribution<int>(-3000, 99999)(rng)));
        } else if (chance(400)) {
            s.setFillColor(colours[i % 4]);
            s.box(uniform(0, W), uniform(0, H), uniform(0, W), uniform(0, H), c, chance(2));
        } else {
            // The next step of a line: mostly a pixel on, up or down by a few, now
            // and then straight across, backwards or nowhere.
            const float nx = chance(50) ? x - uniform(0, 400) : x + (chance(20) ? uniform(0, 3000) : uniform(0, 30));
            const float ny = chance(30) ? y : y + uniform(-200, 200) * (chance(10) ? 10.0f : 1.0f);
            s.line(x, y, nx, ny, c);
            x = nx > 1.5f * W ? -W / 4 : nx;
            y = ny < -H || ny > 2 * H ? H / 2 : ny;
        }
    }
}

TEST(ImageSurfacePixels, SameAsEveryPrimitiveOnItsOwn) {
    for (const qreal ratio : {1.0, 2.0}) {
        for (unsigned seed = 1; seed <= 4; ++seed) {
            const QSize size(703, 368);
            ImageSurface kept(rgb::LightBlue, size, ratio);
            OneByOne each(rgb::LightBlue, size, ratio);
            drawScene(kept, seed, size);
            drawScene(each, seed, size);
            EXPECT_TRUE(kept.image() == each.image()) << "seed " << seed << " ratio " << ratio;
        }
    }
}

// Drawing goes on after the picture has been taken (a paint event in the middle
// of a redraw): what came before and after both land.
TEST(ImageSurfacePixels, PictureTakenHalfwayKeepsBothHalves) {
    const QSize size(347, 347);
    ImageSurface kept(0x008000, size);
    OneByOne each(0x008000, size, 1.0);
    for (Surface* s : {static_cast<Surface*>(&kept), static_cast<Surface*>(&each)}) {
        s->cls();
        s->line(0, 0, 3000, 3000, rgb::White);
        s->line(30, 600, 3000, 600, rgb::White);
    }
    (void)kept.image();
    for (Surface* s : {static_cast<Surface*>(&kept), static_cast<Surface*>(&each)}) {
        s->line(3000, 3000, 15, 4500, rgb::White);
        s->line(30, 900, 3000, 900, rgb::White);
    }
    EXPECT_TRUE(kept.image() == each.image());
    EXPECT_EQ(rgbOf(kept.image().pixelColor(100, 60)), rgb::White);  // on the line drawn last
}

// A line wholly outside the picture goes no further than the surface's own
// check, but the text position still moves to its end: a text written there may
// reach into the picture.
TEST(ImageSurfacePixels, LineOutsideStillMovesTheTextPosition) {
    const QSize size(200, 100);
    ImageSurface kept(rgb::LightBlue, size);
    OneByOne each(rgb::LightBlue, size, 1.0);
    for (Surface* s : {static_cast<Surface*>(&kept), static_cast<Surface*>(&each)}) {
        s->cls();
        s->setFontSize(9.0f);
        s->setForeColor(rgb::Black);
        s->line(-3000, 600, -45, 600, rgb::Red);  // three pixels left of the picture
        s->print("88888");
        s->line(40000, 300, 45000, 300, rgb::Red);  // far right, then back in by position only
        s->setCurrentXY(150, 900);
        s->print("7");
    }
    EXPECT_TRUE(kept.image() == each.image());
    bool ink = false;
    for (int x = 0; x < 30 && !ink; ++x)
        for (int y = 40; y < 60 && !ink; ++y) ink = rgbOf(kept.image().pixelColor(x, y)) != rgb::LightBlue;
    EXPECT_TRUE(ink) << "the text after the outside line is missing";
}

// Whole twips take a shortcut to their pixel: it must be the division's pixel,
// on both sides of zero and at the halves (7.5 twips is half a pixel), and the
// other values must still get theirs.
TEST(ImageSurfacePixels, TwipsLandOnThePixelOfTheDivision) {
    auto division = [](float f) { return std::floor(f / kTwipsPerPixel + 0.5); };
    for (int t = -200000; t <= 200000; ++t) {
        const float f = static_cast<float>(t);
        ASSERT_EQ(pixelOfTwips(f), division(f)) << t;
        const float h = f + 0.5f;  // the halves: 7.5, 22.5, ... are the pixel edges
        ASSERT_EQ(pixelOfTwips(h), division(h)) << h;
    }
    for (const float f : {7.5f, -7.5f, 22.5f, -22.4f, 1e-30f, -3e-7f, 99999992.0f, -99999992.0f, 1e8f, 1e12f, -1e12f})
        EXPECT_EQ(pixelOfTwips(f), division(f)) << f;
}

}  // namespace
}  // namespace tobrak::qt
