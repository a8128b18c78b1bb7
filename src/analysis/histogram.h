#pragma once
// The analysis view: seven distributions of the record drawn as bar charts in
// place of the slump graph, with the share of intervals within a games limit.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "counts/histogram_counts.h"
#include "platform/surface.h"
#include "platform/windows.h"
#include "record/counters.h"

namespace tobrak {

// What the last chart drew: its bin width, count scale and bins.
struct HistChart {
    std::int32_t Max = 0;
    float avg = 0.0f;
    float W = 1.0f;
    float S = 500.0f;
    std::vector<std::int16_t> bins;  // Hist_Bin[0 .. Max div W]
    bool marker = false;             // the average marker was drawn
    std::string avgText;
    std::string title;                       // as Label11 shows it
    std::array<std::string, 6> countLabels;  // as Label9 shows them
    std::array<std::string, 2> withinTexts;  // as Label16 shows them
};

// What Combo1_Click shows for a threshold of n games: the bonuses hit within n
// games of the current interval chart and their share of all bonuses, in %.
struct Within {
    std::int64_t count = 0;
    double percent = 0;
};

class AnalysisView {
public:
    AnalysisView(const PlayRecord& rec, const Counters& cnt) : rec_(rec), cnt_(cnt) {}

    std::int16_t Kaiseki_On = 0;  // 0: graph view; n: chart n-1 shown
    HistCounts Hist_Cnt{};
    std::int16_t Combo_Work = 0;
    std::int16_t Combo_Index = 29;  // the chosen "within N games" entry, N - 1
    HistChart chart;

    Surface* Picture2 = nullptr;  // the chart takes the graph's place
    Box* Picture3 = nullptr;      // the graph's y-axis strip, hidden meanwhile
    Box* Picture9 = nullptr;      // the chart's y-axis strip
    Box* Image1 = nullptr;        // the zoom frame, hidden meanwhile
    FormWindow* zoomForm = nullptr;
    Box* Frame1 = nullptr;     // the "within" controls
    Label* Label11 = nullptr;  // title
    ComboBox* Combo1 = nullptr;
    std::array<Label*, 2> Label16{};  // count within the limit, its share
    std::array<Label*, 6> Label9{};   // count labels of the chart
    Menus* menus = nullptr;

    // Chart `index` (0, 2, 3, 4, 6, 7, 8) in place of the graph; false for any other.
    bool showChart(int index);
    void HistInit();
    // Back to the graph view's controls and menus; the graph itself is the caller's.
    void HistEnd_Click();
    void Combo1_Click(int listIndex);
    Within withinCount(int n) const;
    // The chart itself, after its frame.
    void HistDisp(std::int32_t max, const std::string& unit, float avg, Rgb barColor);

private:
    const PlayRecord& rec_;
    const Counters& cnt_;
};

// The chart's frame.
void HistMemori(Surface& s, float x, std::int32_t y);

}  // namespace tobrak
