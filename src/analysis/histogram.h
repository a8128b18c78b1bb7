#pragma once
// The analysis view: seven distributions of the record drawn as bar charts in
// place of the slump graph, with the share of intervals within a games limit.
#include <cstdint>
#include <string>

#include "app/core.h"

namespace tobrak {

// The seven collectors: each walks the whole record and counts into Hist_Cnt.
void Hist_YB(const PlayRecord& rec, AnalysisState& h);
void Hist_BBkan(const PlayRecord& rec, AnalysisState& h);
void Hist_RBkan(const PlayRecord& rec, AnalysisState& h);
void Hist_BBgame(const PlayRecord& rec, AnalysisState& h);
void Hist_RBgame(const PlayRecord& rec, AnalysisState& h);
void Hist_BBmai(const PlayRecord& rec, AnalysisState& h);
void Hist_RBmai(const PlayRecord& rec, AnalysisState& h);

// Bin width and count scale of a chart.
float histBinWidth(std::int32_t max);
float histScale(std::int32_t bmax);

// Runs analysis command `index`: 0, 2, 3, 4, 6, 7, 8 a chart, 10 the small-win table,
// 12 the bonus history and setting estimate.
void Kaiseki_Click(Core& c, int index);
void HistInit(Core& c);
void HistEnd_Click(Core& c);
void Combo1_Click(Core& c, int listIndex);
// What Combo1_Click shows for a threshold of n games: the bonuses hit within n
// games of the current interval chart and their share of all bonuses, in %.
struct Within {
    std::int64_t count = 0;
    double percent = 0;
};
Within withinCount(const Core& c, int n);
// The chart's frame, then the chart itself.
void HistMemori(Surface& s, float x, std::int32_t y);
void HistDisp(Core& c, std::int32_t max, const std::string& unit, float avg, Rgb barColor);

}  // namespace tobrak
