#include "graph/zoom.h"

#include <algorithm>
#include <cmath>

#include "app/filedisp.h"
#include "graph/slump_graph.h"

namespace tobrak {

std::int32_t roundEven(double v) { return static_cast<std::int32_t>(std::nearbyint(v)); }

void showFrame(Core& c) {
    const auto& f = c.graph.Frame;
    c.ui.main.Image1->setGeometry(static_cast<int>(std::lround(f.Left)), static_cast<int>(std::lround(f.Top)),
                                  static_cast<int>(std::lround(f.Width)), static_cast<int>(std::lround(f.Height)));
}

namespace {

constexpr int kZoomOff = 3;
constexpr float kScale[] = {3.0f, 5.0f, 10.0f};

// Frame size for the zoom window's present size: exactly what it shows.
void fitFrame(Core& c) {
    const FormWindow& z = *c.ui.main.zoomForm;
    GraphState& g = c.graph;
    auto& f = g.Frame;
    g.Sel_X = f.Left + f.Width / 2.0f;
    g.Sel_Y = f.Top + f.Height / 2.0f;
    f.Width = static_cast<float>(z.outerWidth() - 310) / g.Zoom_Scl;
    f.Height = static_cast<float>(z.outerHeight() - 700) / g.Zoom_Scl;
    f.Left = g.Sel_X - f.Width / 2.0f;
    f.Top = g.Sel_Y - f.Height / 2.0f;
    Sub_Sub1(c, g.Sel_X, g.Sel_Y);
}

}  // namespace

void G_zoom_Click(Core& c, int index) {
    if (index < 0 || index > kZoomOff) return;
    GraphState& g = c.graph;
    c.ui.menu("G_zoom", c.fd.ZoomSel)->setChecked(false);
    c.fd.ZoomSel = static_cast<std::int16_t>(index);
    c.ui.menu("G_zoom", index)->setChecked(true);
    if (index == kZoomOff) {
        c.ui.main.Image1->setVisible(false);
        c.ui.main.zoomForm->setVisible(false);
        return;
    }
    g.Zoom_Scl = kScale[index];
    fitFrame(c);
    c.ui.main.Image1->setVisible(true);
    g.Zoom_P2y = roundEven(g.Zoom_Scl * 2500.0 + g.Zoom_Top);
    Sub_ZoomMove(c);
    c.ui.main.zoomForm->setVisible(true);
}

void Sub_Sub1(Core& c, float x, float y) {
    GraphState& g = c.graph;
    auto& f = g.Frame;
    const float W = f.Width;
    const float H = f.Height;
    g.Sel_X = x - W / 2.0f;
    g.Sel_Y = y - H / 2.0f;
    const float right = static_cast<float>(c.ui.main.form->clientWidth() - con_P2left) - W;
    if (g.Sel_X > right) g.Sel_X = right;
    if (g.Sel_X < Ghp_Left) g.Sel_X = Ghp_Left;
    const float axisEnd = Ghp_Left + static_cast<float>(g.con_Inmax) - W + static_cast<float>(g.Ghp_Scroll);
    if (g.Sel_X > axisEnd) g.Sel_X = axisEnd;
    const float bottom = static_cast<float>(Ghp_Top + 5000) - H;
    if (g.Sel_Y > bottom) g.Sel_Y = bottom;
    if (g.Sel_Y < static_cast<float>(Ghp_Top)) g.Sel_Y = static_cast<float>(Ghp_Top);
    f.Left = g.Sel_X;
    f.Top = g.Sel_Y;
    showFrame(c);
}

void Sub_ZoomMove(Core& c) {
    GraphState& g = c.graph;
    c.ui.Zoom->cls();
    const std::int32_t ox = roundEven(static_cast<double>(g.Frame.Left) - Ghp_Left - g.Ghp_Scroll);
    const std::int32_t oy = roundEven(static_cast<double>(g.Frame.Top) - Ghp_Top);
    MemoriGhp(*c.ui.Zoom, g, g.Zoom_Scl, g.Zoom_Left, g.Zoom_Top, ox, oy);
    X4GhpInit(c);
    X4_Line(c);
}

void Picture2_MouseDown(Core& c, int, int, float x, float y) {
    if (c.fd.ZoomSel == kZoomOff) return;
    Sub_Sub1(c, x, y);
}

void Picture2_MouseMove(Core& c, int button, int, float x, float y) {
    if (c.fd.ZoomSel == kZoomOff || button != mouse::Left) return;
    Sub_Sub1(c, x, y);  // the frame follows; the zoom window waits for the release
}

void Picture2_MouseUp(Core& c, int, int, float x, float y) {
    if (c.fd.ZoomSel == kZoomOff) return;
    Sub_Sub1(c, x, y);
    Sub_ZoomMove(c);
}

void X4GhpInit(Core& c) {
    GraphState& g = c.graph;
    g.Zoom_Next = roundEven(g.Ghp_Step / g.Zoom_Scl);
    g.Zoom_BandOff = 0;
    g.Zoom_In = g.Zoom_Out = 0;
    g.Zoom_BB_On = g.Zoom_RB_On = false;
    g.Zoom_IntvCnt = g.Zoom_BBGain = g.Zoom_RBGain = 0;
    g.Ox = roundEven((static_cast<double>(g.Frame.Left) - Ghp_Left) * g.Zoom_Scl);
    g.Oy = roundEven((static_cast<double>(g.Frame.Top) - Ghp_Top) * g.Zoom_Scl);
    g.Zoom_Color = rgb::White;
    g.Zoom_LastX = g.Zoom_Left;
    g.Zoom_LastY = static_cast<float>(g.Zoom_P2y);
    c.ui.Zoom->pset(g.Zoom_LastX - static_cast<float>(g.Ox) + g.Zoom_Scl * static_cast<float>(g.Ghp_Scroll),
                    g.Zoom_LastY - static_cast<float>(g.Oy), rgb::White);
}

void X4_Line(Core& c) {
    if (c.fd.ZoomSel == kZoomOff) return;
    // As on the main graph, the open newest game is left to the live step.
    const std::int32_t end = std::min(c.rec.Dat_Len, c.rec.Ghp_Pos - 1);
    c.graph.Ghp_Redraw = true;
    for (std::int32_t i = kHeaderLen; i < end; ++i) Zoom1sub(c, c.rec.Dat_Buf[i]);
    c.graph.Ghp_Redraw = false;
}

namespace {

// x and y of the zoom surface for a line-state point.
float shiftX(const GraphState& g, float x) {
    return x - static_cast<float>(g.Ox) + g.Zoom_Scl * static_cast<float>(g.Ghp_Scroll);
}
float shiftY(const GraphState& g, float y) { return y - static_cast<float>(g.Oy); }

void zoomBonusGame(Core& c, bool& on, bool mark, std::int32_t& gain, Rgb colour) {
    GraphState& g = c.graph;
    if (!on) {
        if (mark && g.Ghp_Redraw)
            printNumberAt(*c.ui.Zoom, shiftX(g, g.Zoom_LastX), shiftY(g, g.Zoom_LastY), g.Zoom_IntvCnt);
        on = true;
        g.Zoom_IntvCnt = 0;
    }
    g.Zoom_Color = colour;
    gain += g.Zoom_GOt - g.Zoom_GIn;
}

void zoomCloseBonus(Core& c, bool& on, bool mark, std::int32_t& gain) {
    GraphState& g = c.graph;
    if (!on) return;
    if (mark && g.Ghp_Redraw)
        printNumberAt(*c.ui.Zoom, shiftX(g, g.Zoom_LastX) - 400.0f, shiftY(g, g.Zoom_LastY) - 200.0f, gain);
    on = false;
    gain = 0;
}

}  // namespace

void Zoom1sub(Core& c, std::uint8_t b) {
    GraphState& g = c.graph;
    Surface& s = *c.ui.Zoom;
    g.Zoom_GOt = medalsOut(b);
    g.Zoom_GIn = medalsIn(b);
    g.Zoom_Out += g.Zoom_GOt;
    g.Zoom_In += g.Zoom_GIn;
    switch (bonusState(b)) {
    case BonusState::BB: zoomBonusGame(c, g.Zoom_BB_On, c.mark.Mark_BBs, g.Zoom_BBGain, rgb::Red); break;
    case BonusState::RB: zoomBonusGame(c, g.Zoom_RB_On, c.mark.Mark_RBs, g.Zoom_RBGain, rgb::Black); break;
    case BonusState::Normal:
        g.Zoom_IntvCnt += 1;
        zoomCloseBonus(c, g.Zoom_BB_On, c.mark.Mark_BBe, g.Zoom_BBGain);
        zoomCloseBonus(c, g.Zoom_RB_On, c.mark.Mark_RBe, g.Zoom_RBGain);
        break;
    }
    if (g.Zoom_In < g.Zoom_Next) return;

    const float scl = g.Zoom_Scl;
    const float p2y = static_cast<float>(g.Zoom_P2y);
    const float xN = scl * static_cast<float>(g.Zoom_In) + g.Zoom_Left;
    auto yNow = [&] {
        const std::int32_t d = g.Zoom_In - g.Zoom_Out - g.Zoom_BandOff;
        return std::pair{d, scl * static_cast<float>(d) + p2y};
    };
    if (auto [d, yN] = yNow(); d > 2500) {
        const float yE = scl * 5000.0f + static_cast<float>(g.Zoom_Top);
        const float xC = g.Zoom_LastX + (yE - g.Zoom_LastY) * (xN - g.Zoom_LastX) / (yN - g.Zoom_LastY);
        s.line(shiftX(g, g.Zoom_LastX), shiftY(g, g.Zoom_LastY), shiftX(g, xC), shiftY(g, yE), g.Zoom_Color);
        g.Zoom_LastX = xC;
        g.Zoom_LastY = p2y;
        g.Zoom_BandOff += 2500;
    }
    if (auto [d, yN] = yNow(); d < -2500) {
        const float top = static_cast<float>(g.Zoom_Top);
        const float xC = g.Zoom_LastX + (xN - g.Zoom_LastX) * (g.Zoom_LastY - top) / (g.Zoom_LastY - yN);
        s.line(shiftX(g, g.Zoom_LastX), shiftY(g, g.Zoom_LastY), shiftX(g, xC), shiftY(g, top), g.Zoom_Color);
        g.Zoom_LastX = xC;
        g.Zoom_LastY = p2y;
        g.Zoom_BandOff -= 2500;
    }
    const float yN = yNow().second;
    s.line(shiftX(g, g.Zoom_LastX), shiftY(g, g.Zoom_LastY), shiftX(g, xN), shiftY(g, yN), g.Zoom_Color);
    g.Zoom_LastX = xN;
    g.Zoom_LastY = yN;
    g.Zoom_Next = roundEven(static_cast<double>(g.Ghp_Step) / g.Zoom_Scl + g.Zoom_Next);
    if (!g.Zoom_BB_On && !g.Zoom_RB_On) g.Zoom_Color = rgb::White;
}

void ZoomDisp_Form_Resize(Core& c) {
    FormWindow& z = *c.ui.main.zoomForm;
    if (z.minimized()) return;
    if (z.outerHeight() < 2000) z.setOuterHeight(2000);
    c.ui.main.ZoomPicture1->setGeometry(0, 0, z.outerWidth() - 110, z.outerHeight() - 500);
    fitFrame(c);
    Sub_ZoomMove(c);
}

void ZoomDisp_Form_QueryUnload(Core& c) {
    c.ui.main.Image1->setVisible(false);
    c.ui.main.zoomForm->setVisible(false);
    for (int i = 0; i < 3; ++i) c.ui.menu("G_zoom", i)->setChecked(false);
    c.fd.ZoomSel = kZoomOff;
    c.ui.menu("G_zoom", kZoomOff)->setChecked(true);
}

}  // namespace tobrak
