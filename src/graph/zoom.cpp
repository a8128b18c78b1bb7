#include "graph/zoom.h"

#include <algorithm>
#include <cmath>

#include "graph/line_pen.h"

namespace tobrak {

std::int32_t roundEven(double v) { return static_cast<std::int32_t>(std::nearbyint(v)); }

void ZoomView::showFrame() {
    const auto& f = Frame;
    Image1->setGeometry(static_cast<int>(std::lround(f.Left)), static_cast<int>(std::lround(f.Top)),
                        static_cast<int>(std::lround(f.Width)), static_cast<int>(std::lround(f.Height)));
}

namespace {
constexpr float kScale[] = {3.0f, 5.0f, 10.0f};
}  // namespace

// Frame size for the zoom window's present size: exactly what it shows.
void ZoomView::fitFrame() {
    const FormWindow& z = *zoomForm;
    ZoomView& g = *this;
    auto& f = g.Frame;
    g.Sel_X = f.Left + f.Width / 2.0f;
    g.Sel_Y = f.Top + f.Height / 2.0f;
    f.Width = static_cast<float>(z.outerWidth() - 310) / g.Zoom_Scl;
    f.Height = static_cast<float>(z.outerHeight() - 700) / g.Zoom_Scl;
    f.Left = g.Sel_X - f.Width / 2.0f;
    f.Top = g.Sel_Y - f.Height / 2.0f;
    Sub_Sub1(g.Sel_X, g.Sel_Y);
}

void ZoomView::G_zoom_Click(int index) {
    if (index < 0 || index > kZoomOff) return;
    ZoomView& g = *this;
    menus->at("G_zoom", ZoomSel).setChecked(false);
    ZoomSel = static_cast<std::int16_t>(index);
    menus->at("G_zoom", index).setChecked(true);
    if (index == kZoomOff) {
        Image1->setVisible(false);
        zoomForm->setVisible(false);
        return;
    }
    g.Zoom_Scl = kScale[index];
    fitFrame();
    Image1->setVisible(true);
    g.Zoom_P2y = roundEven(g.Zoom_Scl * 2500.0 + g.Zoom_Top);
    Sub_ZoomMove();
    zoomForm->setVisible(true);
}

void ZoomView::Sub_Sub1(float x, float y) {
    ZoomView& g = *this;
    auto& f = g.Frame;
    const float W = f.Width;
    const float H = f.Height;
    g.Sel_X = x - W / 2.0f;
    g.Sel_Y = y - H / 2.0f;
    const float right = static_cast<float>(form->clientWidth() - con_P2left) - W;
    if (g.Sel_X > right) g.Sel_X = right;
    if (g.Sel_X < Ghp_Left) g.Sel_X = Ghp_Left;
    const float axisEnd = Ghp_Left + static_cast<float>(graph_.con_Inmax) - W + static_cast<float>(graph_.Ghp_Scroll);
    if (g.Sel_X > axisEnd) g.Sel_X = axisEnd;
    const float bottom = static_cast<float>(Ghp_Top + 5000) - H;
    if (g.Sel_Y > bottom) g.Sel_Y = bottom;
    if (g.Sel_Y < static_cast<float>(Ghp_Top)) g.Sel_Y = static_cast<float>(Ghp_Top);
    f.Left = g.Sel_X;
    f.Top = g.Sel_Y;
    showFrame();
}

void ZoomView::moveFrame(float left) {
    Frame.Left = left;
    showFrame();
    Sub_ZoomMove();
}

void ZoomView::Sub_ZoomMove() {
    ZoomView& g = *this;
    Zoom->cls();
    const std::int32_t ox = roundEven(static_cast<double>(g.Frame.Left) - Ghp_Left - graph_.Ghp_Scroll);
    const std::int32_t oy = roundEven(static_cast<double>(g.Frame.Top) - Ghp_Top);
    MemoriGhp(*Zoom, graph_.con_Inmax, g.Zoom_Scl, g.Zoom_Left, g.Zoom_Top, ox, oy);
    X4GhpInit();
    X4_Line();
}

void ZoomView::Picture2_MouseDown(int, int, float x, float y) {
    if (ZoomSel == kZoomOff) return;
    Sub_Sub1(x, y);
}

void ZoomView::Picture2_MouseMove(int button, int, float x, float y) {
    if (ZoomSel == kZoomOff || button != mouse::Left) return;
    Sub_Sub1(x, y);  // the frame follows; the zoom window waits for the release
}

void ZoomView::Picture2_MouseUp(int, int, float x, float y) {
    if (ZoomSel == kZoomOff) return;
    Sub_Sub1(x, y);
    Sub_ZoomMove();
}

void ZoomView::X4GhpInit() {
    ZoomView& g = *this;
    g.Zoom_Next = roundEven(graph_.Ghp_Step / g.Zoom_Scl);
    g.Zoom_BandOff = 0;
    g.Zoom_In = g.Zoom_Out = 0;
    g.Zoom_BB_On = g.Zoom_RB_On = false;
    g.Zoom_IntvCnt = g.Zoom_BBGain = g.Zoom_RBGain = 0;
    g.Ox = roundEven((static_cast<double>(g.Frame.Left) - Ghp_Left) * g.Zoom_Scl);
    g.Oy = roundEven((static_cast<double>(g.Frame.Top) - Ghp_Top) * g.Zoom_Scl);
    g.Zoom_Color = rgb::White;
    g.Zoom_LastX = g.Zoom_Left;
    g.Zoom_LastY = static_cast<float>(g.Zoom_P2y);
    g.Exp_LastX = g.Zoom_LastX;
    g.Exp_LastY = g.Zoom_LastY;
    g.Exp_BandOff = 0;
    Zoom->pset(g.Zoom_LastX - static_cast<float>(g.Ox) + g.Zoom_Scl * static_cast<float>(graph_.Ghp_Scroll),
               g.Zoom_LastY - static_cast<float>(g.Oy), rgb::White);
}

void ZoomView::X4_Line() {
    if (ZoomSel == kZoomOff) return;
    // As on the main graph, the open newest game is left to the live step.
    const std::int32_t end = std::min(rec_.Dat_Len, graph_.Ghp_Pos - 1);
    Redraw = true;
    for (std::int32_t i = kHeaderLen; i < end; ++i) Zoom1sub(rec_.Dat_Buf[i]);
    Redraw = false;
}

// x and y of the zoom surface for a line-state point.
float ZoomView::shiftX(float x) const {
    return x - static_cast<float>(Ox) + Zoom_Scl * static_cast<float>(graph_.Ghp_Scroll);
}
float ZoomView::shiftY(float y) const { return y - static_cast<float>(Oy); }

void ZoomView::markInterval(std::int32_t games) { printNumberAt(*Zoom, shiftX(Zoom_LastX), shiftY(Zoom_LastY), games); }

void ZoomView::markGain(std::int32_t medals) {
    printNumberAt(*Zoom, shiftX(Zoom_LastX) - 400.0f, shiftY(Zoom_LastY) - 200.0f, medals);
}

void ZoomView::Zoom1sub(std::uint8_t b) {
    ZoomView& g = *this;
    Surface& s = *Zoom;
    countGame(
        b,
        {g.Zoom_In, g.Zoom_Out, g.Zoom_GIn, g.Zoom_GOt, g.Zoom_IntvCnt, g.Zoom_BBGain, g.Zoom_RBGain, g.Zoom_BB_On,
         g.Zoom_RB_On, g.Zoom_Color},
        mark_, Redraw, [this](std::int32_t v) { markInterval(v); }, [this](std::int32_t v) { markGain(v); });
    if (g.Zoom_In < g.Zoom_Next) return;

    const float scl = g.Zoom_Scl;
    const float p2y = static_cast<float>(g.Zoom_P2y);
    const float xN = scl * static_cast<float>(g.Zoom_In) + g.Zoom_Left;
    stepLine(
        g.Zoom_LastX, g.Zoom_LastY, p2y, static_cast<float>(g.Zoom_Top), scl * 5000.0f + static_cast<float>(g.Zoom_Top),
        [&] {
            const std::int32_t d = g.Zoom_In - g.Zoom_Out - g.Zoom_BandOff;
            return LinePoint<float>{d, xN, scl * static_cast<float>(d) + p2y};
        },
        [&](int dir) { g.Zoom_BandOff += 2500 * dir; },
        [&](float x, float y) {
            s.line(shiftX(g.Zoom_LastX), shiftY(g.Zoom_LastY), shiftX(x), shiftY(y), g.Zoom_Color);
        });
    if (const double rate = graph_.expectedRate; rate > 0)
        stepLine(
            g.Exp_LastX, g.Exp_LastY, p2y, static_cast<float>(g.Zoom_Top),
            scl * 5000.0f + static_cast<float>(g.Zoom_Top),
            [&] { return expectedPoint(g.Zoom_In, rate, g.Exp_BandOff / 2500, xN, p2y, scl); },
            [&](int dir) { g.Exp_BandOff += 2500 * dir; },
            [&](float x, float y) {
                s.line(shiftX(g.Exp_LastX), shiftY(g.Exp_LastY), shiftX(x), shiftY(y), graphcolor::Expected);
            });
    g.Zoom_Next = roundEven(static_cast<double>(graph_.Ghp_Step) / g.Zoom_Scl + g.Zoom_Next);
    if (!g.Zoom_BB_On && !g.Zoom_RB_On) g.Zoom_Color = rgb::White;
}

void ZoomView::ZoomDisp_Form_Resize() {
    FormWindow& z = *zoomForm;
    if (z.minimized()) return;
    if (z.outerHeight() < 2000) z.setOuterHeight(2000);
    ZoomPicture1->setGeometry(0, 0, z.outerWidth() - 110, z.outerHeight() - 500);
    fitFrame();
    Sub_ZoomMove();
}

void ZoomView::ZoomDisp_Form_QueryUnload() {
    Image1->setVisible(false);
    zoomForm->setVisible(false);
    for (int i = 0; i < 3; ++i) menus->at("G_zoom", i).setChecked(false);
    ZoomSel = kZoomOff;
    menus->at("G_zoom", kZoomOff).setChecked(true);
}

}  // namespace tobrak
