#pragma once
// Fixed layout values of the main window, in twips.

namespace tobrak {

constexpr int con_P2left = 1560;  // left edge of the graph surface
constexpr int Ghp_Top = 220;
constexpr float Ghp_Left = 630.0f;
constexpr int kClientWidth = 12105;  // as designed
constexpr int kPanelHeight = Ghp_Top + 5300;

}  // namespace tobrak
