#pragma once
// The seven distributions of the analysis view, counted from the record.
#include <array>
#include <cstdint>

#include "record/play_record.h"

namespace tobrak {

constexpr int kHistLen = 31006;  // values 0..31005
using HistCounts = std::array<std::int16_t, kHistLen>;

// The seven collectors: each walks the whole record and counts into `h`.
void Hist_YB(const PlayRecord& rec, HistCounts& h);
void Hist_BBkan(const PlayRecord& rec, HistCounts& h);
void Hist_RBkan(const PlayRecord& rec, HistCounts& h);
void Hist_BBgame(const PlayRecord& rec, HistCounts& h);
void Hist_RBgame(const PlayRecord& rec, HistCounts& h);
void Hist_BBmai(const PlayRecord& rec, HistCounts& h);
void Hist_RBmai(const PlayRecord& rec, HistCounts& h);

// Bin width and count scale of a chart.
float histBinWidth(std::int32_t max);
float histScale(std::int32_t bmax);

}  // namespace tobrak
