#include "counts/histogram_counts.h"

namespace tobrak {

namespace {

// Counts a value; a value beyond the array is left out.
void count(HistCounts& h, std::int64_t v) {
    if (v >= 0 && v < kHistLen) h[static_cast<std::size_t>(v)] += 1;
}

enum class Kind { Normal, RB, BB };
Kind kindOf(std::uint8_t b) {
    switch (bonusState(b)) {
        case BonusState::BB: return Kind::BB;
        case BonusState::RB: return Kind::RB;
        default: return Kind::Normal;
    }
}

// Interval collectors: normal games up to the first game of the next run of the
// kinds in `starts`; a game of another bonus kind is passed over.
void intervals(const PlayRecord& rec, HistCounts& h, bool rbStarts, bool bbStarts) {
    std::int16_t counter = 0;
    bool flag = false;
    for (std::int32_t i = kHeaderLen; i < rec.Dat_Len; ++i) {
        const Kind k = kindOf(rec.Dat_Buf[i]);
        if (k == Kind::Normal) {
            ++counter;
            flag = false;
        } else if ((k == Kind::RB && rbStarts) || (k == Kind::BB && bbStarts)) {
            if (!flag) {
                count(h, counter);
                flag = true;
                counter = 0;
            }
        }
    }
}

// Run collectors: per finished run of `kind`, its games (or its net medals,
// counted only when not negative).
void runs(const PlayRecord& rec, HistCounts& h, Kind kind, bool medals) {
    std::int32_t counter = 0;
    bool flag = false;
    for (std::int32_t i = kHeaderLen; i < rec.Dat_Len; ++i) {
        const std::uint8_t b = rec.Dat_Buf[i];
        if (kindOf(b) == kind) {
            counter += medals ? medalsOut(b) - medalsIn(b) : 1;
            flag = true;
        } else if (flag) {
            if (!medals || counter >= 0) count(h, counter);
            counter = 0;
            flag = false;
        }
    }
}

}  // namespace

void Hist_YB(const PlayRecord& rec, HistCounts& h) { intervals(rec, h, true, true); }
void Hist_BBkan(const PlayRecord& rec, HistCounts& h) { intervals(rec, h, false, true); }
void Hist_RBkan(const PlayRecord& rec, HistCounts& h) { intervals(rec, h, true, false); }
void Hist_BBgame(const PlayRecord& rec, HistCounts& h) { runs(rec, h, Kind::BB, false); }
void Hist_RBgame(const PlayRecord& rec, HistCounts& h) { runs(rec, h, Kind::RB, false); }
void Hist_BBmai(const PlayRecord& rec, HistCounts& h) { runs(rec, h, Kind::BB, true); }
void Hist_RBmai(const PlayRecord& rec, HistCounts& h) { runs(rec, h, Kind::RB, true); }

float histBinWidth(std::int32_t max) {
    if (max >= 10000) return 500;
    if (max >= 5000) return 100;
    if (max >= 2000) return 50;
    if (max >= 1000) return 20;
    if (max >= 500) return 10;
    if (max >= 100) return 5;
    return 1;
}

float histScale(std::int32_t bmax) {
    if (bmax < 10) return 500;
    if (bmax < 20) return 250;
    if (bmax < 50) return 100;
    if (bmax < 100) return 50;
    if (bmax < 1000) return 5;
    return 0.1f;
}

}  // namespace tobrak
