#pragma once
// The graph's annotations the display options switch on and off; they travel
// with the record in header byte 43.
#include <cstdint>

#include "record/play_record.h"

namespace tobrak {

struct Markers {
    bool Mark_BBs = true;  // interval before a bonus (both kinds)
    bool Mark_RBs = true;
    bool Mark_BBe = true;  // gain after a BB
    bool Mark_RBe = true;  // gain after an RB
};

// Header byte 43 for these options; the bits the options do not own are kept from `rec`.
std::uint8_t currentOptions(const Markers& m, const PlayRecord& rec);
// The options header byte 43 holds (bit 0 intervals, bit 1 BB gains, bit 3 RB gains).
constexpr Markers markersOf(std::uint8_t options) {
    const bool intervals = (options & 1) != 0;
    return {intervals, intervals, (options & 2) != 0, (options & 8) != 0};
}

}  // namespace tobrak
