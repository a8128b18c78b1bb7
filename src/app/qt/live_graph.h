#pragma once
// The slump graph as the window draws it after a load, as PNG bytes: the live
// view's picture. Needs a running QGuiApplication.
#include <cstdint>
#include <string>
#include <vector>

namespace tobrak::qt {

// Empty when the bytes are no play-data file or the picture cannot be encoded.
std::string graphPng(const std::vector<std::uint8_t>& slt);

}  // namespace tobrak::qt
