#pragma once
// The slump graph: medal balance against medals inserted, on Picture2, over a
// fixed grid, fed live one game at a time or replayed from the record.
#include <cstdint>

#include "app/core.h"

namespace tobrak {

namespace graphcolor {
constexpr Rgb Grid = 0x707070;
constexpr Rgb Blue = 0x0000FF;
}  // namespace graphcolor

constexpr float kLabelFontSize = 8.0f;

// Resets the line state; draws nothing.
void GhpLineInit(Core& c);
// Feeds one completed game: at most one segment (two at a band wrap) and, while
// replaying, the interval and gain annotations.
void Ghp1Disp(Core& c, std::uint8_t b);
// Replays every completed game. The newest game of live play is still open and
// is left to the live step, which draws it once when the next game starts.
void GhpDispAll(Core& c);
// Clears the graph: blink stopped, scroll 0, surfaces cleared, grid, labels, origin.
void GhpClrInit(Core& c);
// Clear, grid, x labels, origin dot (when asked), line reset and replay.
void GhpStandardRedraw(Core& c, bool originDot = true);

// The grid of a graph on any surface, scaled by `scl` from (x, y), viewed from (ox, oy).
void MemoriGhp(Surface& s, const GraphState& g, float scl, float x, std::int32_t y, std::int32_t ox, std::int32_t oy);
// The x-axis labels of the main graph.
void MemoriChr(Surface& s, const GraphState& g, float scl, float x, std::int32_t y);
// The y-axis labels on the label strip.
void MekakusiChr(Surface& s, float scl, float x, std::int32_t y);

}  // namespace tobrak
