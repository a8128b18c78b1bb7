#pragma once
// Documents and pictures the window writes to files, made by the front end's
// drawing (the command-line tool makes the same ones).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/surface.h"

namespace tobrak {

class Exporter {
public:
    virtual ~Exporter() = default;
    // One landscape A4 page drawn by `draw` (twips from the printable area's
    // top-left corner) as a PDF document; empty when it could not be made.
    virtual std::string pdf(const std::function<void(Surface&)>& draw) = 0;
    // The slump graph of a play-data file image as the window draws it after a
    // load, scrolled by `scroll` twips (0 or less), with the expected-value line of
    // `expectedRate` (0: none), as a PNG; empty when none could be made.
    virtual std::string graphPng(const std::vector<std::uint8_t>& slt, std::int32_t scroll, double expectedRate) = 0;
};

}  // namespace tobrak
