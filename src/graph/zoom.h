#pragma once
// The zoom selection frame on the graph and the zoom window's magnified line.
#include <cstdint>

#include "graph/slump_graph.h"
#include "platform/windows.h"

namespace tobrak {

// Mouse buttons as the handlers receive them.
namespace mouse {
constexpr int Left = 1;
constexpr int Right = 2;
constexpr int Middle = 4;
}  // namespace mouse

// Nearest integer with halves to even, as the frame and threshold arithmetic rounds.
std::int32_t roundEven(double v);

struct ZoomState {
    static constexpr int kZoomOff = 3;
    std::int16_t ZoomSel = kZoomOff;  // checked item of the zoom menu

    float Zoom_Scl = 10.0f;
    float Zoom_Left = 60.0f;
    std::int32_t Zoom_Top = 60;
    std::int32_t Zoom_P2y = 25060;
    float Sel_X = 0.0f;
    float Sel_Y = 0.0f;
    float Zoom_LastX = 60.0f;
    float Zoom_LastY = 25060.0f;
    Rgb Zoom_Color = rgb::White;
    std::int32_t Zoom_Next = 2;
    std::int32_t Zoom_BandOff = 0;
    std::int32_t Zoom_In = 0;
    std::int32_t Zoom_Out = 0;
    std::int32_t Zoom_GIn = 0;
    std::int32_t Zoom_GOt = 0;
    bool Zoom_BB_On = false;
    bool Zoom_RB_On = false;
    std::int32_t Zoom_IntvCnt = 0;
    std::int32_t Zoom_BBGain = 0;
    std::int32_t Zoom_RBGain = 0;
    bool Redraw = false;  // the record is being replayed
    // The expected-value line's pen, plotted at the line's points.
    float Exp_LastX = 60.0f;
    float Exp_LastY = 25060.0f;
    std::int32_t Exp_BandOff = 0;
    // The selection frame on the graph (Image1), twips in single precision: at x3
    // it is 5000 / 3 square, and the zoom offsets are taken from its exact place.
    struct {
        float Left = 0.0f, Top = 0.0f, Width = 10.0f, Height = 10.0f;
    } Frame;
    std::int32_t Ox = 0;  // the zoom window's view offsets, twips
    std::int32_t Oy = 0;
};

class ZoomView : public ZoomState {
public:
    ZoomView(const PlayRecord& rec, const Markers& mark, const SlumpGraph& graph)
        : rec_(rec), mark_(mark), graph_(graph) {}

    // Back to the fixed values: factor 10, no frame.
    void reset() { static_cast<ZoomState&>(*this) = ZoomState{}; }

    Surface* Zoom = nullptr;           // the zoom window's graph
    Box* Image1 = nullptr;             // the frame
    Box* ZoomPicture1 = nullptr;       // the zoom surface's place and size
    FormWindow* zoomForm = nullptr;    // the zoom window
    const FormWindow* form = nullptr;  // the main window, whose width bounds the frame
    Menus* menus = nullptr;

    // Zoom menu: 0 x3, 1 x5, 2 x10, 3 off.
    void G_zoom_Click(int index);
    // Places the frame with its centre at (x, y), kept on the visible graph.
    void Sub_Sub1(float x, float y);
    // Redraws the zoom window for the frame's place: grid, then the line.
    void Sub_ZoomMove();
    void Picture2_MouseDown(int button, int shift, float x, float y);
    void Picture2_MouseMove(int button, int shift, float x, float y);
    void Picture2_MouseUp(int button, int shift, float x, float y);
    void X4GhpInit();
    // Replays the completed games into the zoom window (only while a factor is chosen).
    void X4_Line();
    void Zoom1sub(std::uint8_t b);
    // The zoom window's own events.
    void ZoomDisp_Form_Resize();
    void ZoomDisp_Form_QueryUnload();
    // Writes the selection frame's place and size to Image1, to the nearest twip.
    void showFrame();
    // The frame moved to `left` and the zoom window redrawn for it.
    void moveFrame(float left);
    // The live markers, as on the main graph.
    void markInterval(std::int32_t games);
    void markGain(std::int32_t medals);

private:
    void fitFrame();
    float shiftX(float x) const;
    float shiftY(float y) const;

    const PlayRecord& rec_;
    const Markers& mark_;
    const SlumpGraph& graph_;
};

}  // namespace tobrak
