// Whole-picture rebuilds of the slump graph: the standard redraw (every scroll
// step, option change, resize and "戻る"), its floor, and the zoom window's rebuild
// on a mouse release.
#include <QFontMetricsF>
#include <QPainter>
#include <QStaticText>
#include <cmath>
#include <variant>

#include "app/filedisp.h"
#include "fixture.h"
#include "graph/slump_graph.h"
#include "graph/zoom.h"
#include "platform/qt/twips.h"

namespace tobrak::bench {

namespace {

// The timed steps are out of line, so that a profiler can count them alone.
[[gnu::noinline]] void standardRedraw(Started& p) {
    p.program().graph.GhpStandardRedraw();
    p.finish();
}

[[gnu::noinline]] void zoomRelease(Started& p, float x, float y) {
    p.program().zoom.Picture2_MouseUp(mouse::Left, 0, x, y);
    p.finish();
}

void BM_Redraw(benchmark::State& st) {
    const auto surfaces = static_cast<Surfaces>(st.range(1));
    Started p(surfaces);
    if (!p.load(st, static_cast<int>(st.range(0)))) return;
    for (auto _ : st) standardRedraw(p);
    st.SetLabel(name(surfaces));
}
BENCHMARK(BM_Redraw)->ArgsProduct({kGames, {0, 1}})->Unit(benchmark::kMicrosecond);

// The same with the expected-value line drawn beside the slump line.
void BM_RedrawExpectedLine(benchmark::State& st) {
    const auto surfaces = static_cast<Surfaces>(st.range(1));
    Started p(surfaces);
    if (!p.load(st, static_cast<int>(st.range(0)))) return;
    p.program().graph.expectedRate = 1.05;
    for (auto _ : st) standardRedraw(p);
    st.SetLabel(name(surfaces));
}
BENCHMARK(BM_RedrawExpectedLine)->ArgsProduct({{31000}, {0, 1}})->Unit(benchmark::kMicrosecond);

// The floor of the redraw on the Qt surface: the same picture drawn by a bare
// loop straight into an image of the same size with the same painter settings.
// What the redraw hands to its surface is captured once, turned into device
// pixels, culled to what can be seen and its texts laid out; the loop replays that.
class Capture final : public Surface {
public:
    struct Line {
        float x1, y1, x2, y2;
        Rgb c;
        int width;
    };
    struct Dot {
        float x, y;
        Rgb c;
        int width;
    };
    struct Text {
        float x, y, size;
        Rgb c;
        std::string s;
    };
    std::vector<std::variant<Line, Dot, Text>> ops;

    void cls() override { ops.clear(); }
    void drawLine(float x1, float y1, float x2, float y2, Rgb c) override {
        ops.emplace_back(Line{x1, y1, x2, y2, c, w_});
    }
    void box(float, float, float, float, Rgb, bool) override { boxes_ = true; }
    void pset(float x, float y, Rgb c) override { ops.emplace_back(Dot{x, y, c, w_}); }
    void setDrawWidth(int px) override { w_ = px < 1 ? 1 : px; }
    void setFillColor(Rgb) override {}
    void setFontSize(float points) override { size_ = points; }
    void setForeColor(Rgb c) override { fore_ = c; }
    void print(const std::string& utf8) override { ops.emplace_back(Text{currentX(), currentY(), size_, fore_, utf8}); }
    bool sawBoxes() const { return boxes_; }

private:
    int w_ = 1;
    float size_ = 9.0f;
    Rgb fore_ = rgb::Black;
    bool boxes_ = false;
};

class Floor {
public:
    Floor(const Capture& cap, QSize size, Rgb background)
        : img_(size, QImage::Format_RGB32), back_(qt::qcolor(background)) {
        const QRectF seen = QRectF(QPointF(0, 0), QSizeF(size));
        auto at = [](float x, float y) {
            return QPointF(std::floor(x / qt::kTwipsPerPixel + 0.5), std::floor(y / qt::kTwipsPerPixel + 0.5));
        };
        for (const auto& op : cap.ops) {
            if (const auto* l = std::get_if<Capture::Line>(&op)) {
                const QPointF a = at(l->x1, l->y1), b = at(l->x2, l->y2);
                const qreal pad = l->width;
                if (!QRectF(a, b).normalized().adjusted(-pad, -pad, pad, pad).intersects(seen.adjusted(-1, -1, 1, 1)))
                    continue;
                QPen pen(qt::qcolor(l->c));
                pen.setWidthF(l->width);
                pen.setCapStyle(l->width > 1 ? Qt::SquareCap : Qt::FlatCap);
                ops_.push_back({a == b ? Kind::Point : Kind::Line, a, b, penIndex(pen), -1, {}, {}});
            } else if (const auto* d = std::get_if<Capture::Dot>(&op)) {
                ops_.push_back({Kind::Dot, at(d->x, d->y), QPointF(d->width, d->width), -1, -1, qt::qcolor(d->c), {}});
            } else if (const auto* t = std::get_if<Capture::Text>(&op)) {
                QFont f(QString::fromUtf8("ＭＳ Ｐゴシック"));
                f.setPixelSize(std::max(1, static_cast<int>(std::lround(t->size * 96.0 / 72.0))));
                const QFontMetricsF m(f);
                const QString s = QString::fromUtf8(t->s);
                const QPointF top = at(t->x, t->y);
                if (!m.boundingRect(s).translated(top + QPointF(0, m.ascent())).intersects(seen)) continue;
                // Laid out beforehand: the loop only draws.
                QStaticText text(s);
                text.setTextFormat(Qt::PlainText);
                text.prepare(QTransform(), f);
                ops_.push_back({Kind::Text, top, {}, penIndex(QPen(qt::qcolor(t->c))), fontIndex(f), {}, text});
            }
        }
    }

    [[gnu::noinline]] void draw() {
        img_.fill(back_);
        QPainter p(&img_);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.resetTransform();
        p.scale(1.0, 1.0);
        int pen = -1, font = -1;
        for (const Op& op : ops_) {
            if (op.pen >= 0 && op.pen != pen) p.setPen(pens_[static_cast<std::size_t>(pen = op.pen)]);
            switch (op.kind) {
                case Kind::Line: p.drawLine(op.a, op.b); break;
                case Kind::Point: p.drawPoint(op.a); break;
                case Kind::Dot: p.fillRect(QRectF(op.a, QSizeF(op.b.x(), op.b.y())), op.colour); break;
                case Kind::Text:
                    if (op.font != font) p.setFont(fonts_[static_cast<std::size_t>(font = op.font)]);
                    p.drawStaticText(op.a, op.text);
                    break;
            }
        }
    }
    const QImage& image() const { return img_; }
    std::size_t lines() const {
        return static_cast<std::size_t>(
            std::count_if(ops_.begin(), ops_.end(), [](const Op& o) { return o.kind == Kind::Line; }));
    }
    std::size_t texts() const {
        return static_cast<std::size_t>(
            std::count_if(ops_.begin(), ops_.end(), [](const Op& o) { return o.kind == Kind::Text; }));
    }

private:
    enum class Kind { Line, Point, Dot, Text };
    struct Op {
        Kind kind;
        QPointF a, b;
        int pen, font;
        QColor colour;
        QStaticText text;
    };
    int penIndex(const QPen& pen) {
        for (std::size_t i = 0; i < pens_.size(); ++i)
            if (pens_[i] == pen) return static_cast<int>(i);
        pens_.push_back(pen);
        return static_cast<int>(pens_.size() - 1);
    }
    int fontIndex(const QFont& f) {
        for (std::size_t i = 0; i < fonts_.size(); ++i)
            if (fonts_[i] == f) return static_cast<int>(i);
        fonts_.push_back(f);
        return static_cast<int>(fonts_.size() - 1);
    }

    QImage img_;
    QColor back_;
    std::vector<Op> ops_;
    std::vector<QPen> pens_;
    std::vector<QFont> fonts_;
};

void redrawFloor(benchmark::State& st, bool lastPart) {
    Started p(Surfaces::Qt);
    if (!p.load(st, static_cast<int>(st.range(0)))) return;
    Capture cap;
    Program& c = p.program();
    if (lastPart) c.graph.Ghp_Scroll = lastPartOfRecord(c);
    c.ui.Picture2 = &cap;
    c.attach();
    c.graph.GhpStandardRedraw();
    c.ui.Picture2 = p.graph.get();
    c.attach();
    c.graph.GhpStandardRedraw();
    Floor floor(cap, p.graph->image().size(), rgb::LightBlue);
    floor.draw();
    // The floor must be the redraw's picture, or it is no floor.
    if (cap.sawBoxes() || floor.image() != p.graph->image()) {
        st.SkipWithError("the floor does not draw the redraw's picture");
        return;
    }
    for (auto _ : st) {
        floor.draw();
        benchmark::DoNotOptimize(floor.image().constBits());
    }
    st.counters["lines"] = static_cast<double>(floor.lines());
    st.counters["texts"] = static_cast<double>(floor.texts());
}
void BM_RedrawFloor(benchmark::State& st) { redrawFloor(st, false); }
BENCHMARK(BM_RedrawFloor)->ArgsProduct({kGames})->Unit(benchmark::kMicrosecond);

// Scrolled to the record's last part: most of the record lies left of the view.
void BM_RedrawScrolled(benchmark::State& st) {
    Started p(Surfaces::Qt);
    if (!p.load(st, static_cast<int>(st.range(0)))) return;
    p.program().graph.Ghp_Scroll = lastPartOfRecord(p.program());
    for (auto _ : st) standardRedraw(p);
}
BENCHMARK(BM_RedrawScrolled)->Arg(31000)->Unit(benchmark::kMicrosecond);
void BM_RedrawScrolledFloor(benchmark::State& st) { redrawFloor(st, true); }
BENCHMARK(BM_RedrawScrolledFloor)->Arg(31000)->Unit(benchmark::kMicrosecond);

// The zoom window's rebuild on a mouse release, the frame in the middle of the record.
void BM_Zoom(benchmark::State& st) {
    const auto surfaces = static_cast<Surfaces>(st.range(2));
    Started p(surfaces);
    if (!p.load(st, static_cast<int>(st.range(0)))) return;
    Program& c = p.program();
    const MiddleOfRecord m = middleOfRecord(c);
    c.graph.Ghp_Scroll = m.scroll;
    c.graph.GhpStandardRedraw();
    const int factor = static_cast<int>(st.range(1));
    c.zoom.G_zoom_Click(factor == 3 ? 0 : factor == 5 ? 1 : 2);
    const float y = c.graph.P2y;
    c.zoom.Picture2_MouseDown(mouse::Left, 0, m.x, y);
    for (auto _ : st) zoomRelease(p, m.x, y);
    std::string label = std::to_string(factor);
    label.insert(0, 1, 'x');
    st.SetLabel(label + " " + name(surfaces));
}
BENCHMARK(BM_Zoom)->ArgsProduct({kGames, {3, 5, 10}, {0, 1}})->Unit(benchmark::kMicrosecond);

}  // namespace

}  // namespace tobrak::bench
