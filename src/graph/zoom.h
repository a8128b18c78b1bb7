#pragma once
// The zoom selection frame on the graph and the zoom window's magnified line.
#include <cstdint>

#include "app/core.h"

namespace tobrak {

// Mouse buttons as the handlers receive them.
namespace mouse {
constexpr int Left = 1;
constexpr int Right = 2;
constexpr int Middle = 4;
}  // namespace mouse

// Zoom menu: 0 x3, 1 x5, 2 x10, 3 off.
void G_zoom_Click(Core& c, int index);
// Places the frame with its centre at (x, y), kept on the visible graph.
void Sub_Sub1(Core& c, float x, float y);
// Redraws the zoom window for the frame's place: grid, then the line.
void Sub_ZoomMove(Core& c);
void Picture2_MouseDown(Core& c, int button, int shift, float x, float y);
void Picture2_MouseMove(Core& c, int button, int shift, float x, float y);
void Picture2_MouseUp(Core& c, int button, int shift, float x, float y);

void X4GhpInit(Core& c);
// Replays the completed games into the zoom window (only while a factor is chosen).
void X4_Line(Core& c);
void Zoom1sub(Core& c, std::uint8_t b);
// The zoom window's own events.
void ZoomDisp_Form_Resize(Core& c);
void ZoomDisp_Form_QueryUnload(Core& c);

// Nearest integer with halves to even, as the frame and threshold arithmetic rounds.
std::int32_t roundEven(double v);

// Writes the selection frame's place and size to Image1, to the nearest twip.
void showFrame(Core& c);

}  // namespace tobrak
