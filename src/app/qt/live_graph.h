#pragma once
// The slump graph as the window draws it after a load, as PNG bytes: the live
// view's picture, `tobrak-cli render --png` and the window's 画像として保存.
// Needs a running QGuiApplication.
#include <cstdint>
#include <string>
#include <vector>

namespace tobrak::qt {

// Empty when the bytes are no play-data file or the picture cannot be encoded.
std::string graphPng(const std::vector<std::uint8_t>& slt);
// The same scrolled by `scroll` twips (0 or less), as the window's scroll commands do,
// with the expected-value line of `expectedRate` (1.0 is 100 %; 0 none).
std::string graphPngAt(const std::vector<std::uint8_t>& slt, std::int32_t scroll, double expectedRate = 0);

}  // namespace tobrak::qt
