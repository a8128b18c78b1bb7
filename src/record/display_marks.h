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

}  // namespace tobrak
