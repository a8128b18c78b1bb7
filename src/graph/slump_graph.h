#pragma once
// The slump graph: medal balance against medals inserted, on Picture2, over a
// fixed grid, fed live one game at a time or replayed from the record.
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "graph/geometry.h"
#include "platform/surface.h"
#include "record/display_marks.h"
#include "record/play_record.h"

namespace tobrak {

namespace graphcolor {
constexpr Rgb Grid = 0x707070;
constexpr Rgb Blue = 0x0000FF;
constexpr Rgb Expected = 0xFFFF00;  // the expected-value line: yellow, apart from every other line
}  // namespace graphcolor

constexpr float kLabelFontSize = 8.0f;

struct SlumpGraphState {
    // Fixed geometry.
    float con_BitBai = 1.0f;         // twips per medal
    std::int32_t con_Inmax = 90000;  // x axis length in medals in
    float P2y = 2720.0f;             // zero line of the band
    float Ghp_Step = 15.0f;          // medals in between two plotted points
    std::int32_t Ghp_Scroll = 0;     // 0 or a negative multiple of 1000
    bool Ghp_Redraw = false;         // a whole record is being replayed

    // Line state.
    float Ghp_LastX = 630.0f;
    float Ghp_LastY = 2720.0f;
    Rgb Ghp_Color = rgb::White;
    std::int32_t Ghp_Band = 0;
    std::int32_t Ghp_PlotNo = 1;
    std::int32_t Ghp_In = 0;
    std::int32_t Ghp_Out = 0;
    bool Ghp_BB_On = false;
    bool Ghp_RB_On = false;
    std::int32_t Ghp_IntvCnt = 0;
    std::int32_t Ghp_BBGain = 0;
    std::int32_t Ghp_RBGain = 0;
    std::int32_t G_In = 0;  // the game being drawn
    std::int32_t G_Ot = 0;

    // The expected-value line's pen: it is plotted at the slump line's points.
    float Exp_LastX = 630.0f;
    float Exp_LastY = 2720.0f;
    std::int32_t Exp_Band = 0;
};

class SlumpGraph : public SlumpGraphState {
public:
    SlumpGraph(const PlayRecord& rec, const Markers& mark) : rec_(rec), mark_(mark) {}

    // Back to the fixed values and a fresh line state.
    void reset() { static_cast<SlumpGraphState&>(*this) = SlumpGraphState{}; }

    // Payout rate of the expected-value line (1.0 is 100 %); 0 draws none. A new
    // rate takes effect at the next redraw.
    double expectedRate = 0;

    Surface* Picture2 = nullptr;            // the graph
    Surface* Picture3 = nullptr;            // its y-axis label strip
    std::int32_t Ghp_Pos = kHeaderLen + 1;  // one past the next game to draw

    // A new record (load, clear): every game of it counts as drawn by the replay.
    void recordReplaced() { Ghp_Pos = rec_.Dat_Len + 1; }

    // Resets the line state; draws nothing.
    void GhpLineInit();
    // Feeds one completed game: at most one segment (two at a band wrap) and, while
    // replaying, the interval and gain annotations.
    void Ghp1Disp(std::uint8_t b);
    // Replays every completed game. The newest game of live play is still open and
    // is left to the live step, which draws it once when the next game starts.
    void GhpDispAll();
    // Cleared, with the grid and x labels for the present scroll.
    void gridAndLabels();
    // Grid and labels, origin dot (when asked), line reset and replay.
    void GhpStandardRedraw(bool originDot = true);
    // The live markers: the interval before a bonus, the gain after one.
    void markInterval(std::int32_t games);
    void markGain(std::int32_t medals);

private:
    double nextPlotAt();
    std::int32_t countOnlyGames(std::int32_t i, std::int32_t end);

    // The line's state before game `index`. Replays leave one every kMemoStride
    // games and one at the end; a redraw of a surface that shows part of the axis
    // starts from the last one left of it and skips the games right of it.
    struct LineState {
        float LastX, LastY;
        Rgb Color;
        std::int32_t Band, PlotNo, In, Out, IntvCnt, BBGain, RBGain, GIn, GOt;
        bool BBOn, RBOn;
        float ExpX, ExpY;
        std::int32_t ExpBand;
    };
    struct Checkpoint {
        std::int32_t index;
        LineState line;
    };
    static constexpr std::int32_t kMemoStride = 256;
    LineState lineState() const;
    void setLineState(const LineState& s);
    void remember(std::int32_t index);
    // Drops what the record (its completed games up to `end`) or the scale no longer backs.
    void checkMemo(std::int32_t end);
    // Games i .. to-1; stops after the first point right of `stopRight` (line x).
    std::int32_t replay(std::int32_t i, std::int32_t to, float stopRight);
    std::vector<Checkpoint> memo_;
    std::vector<std::uint8_t> memoGames_;  // the games the checkpoints stand on
    struct {
        float step, bitBai, p2y;
        double rate;
    } memoScale_{};

    const PlayRecord& rec_;
    const Markers& mark_;
    // Medals in at which the next point is plotted, for the step, point number and
    // scale it was worked out for: a replay asks once a game, the answer changes
    // once a point.
    struct {
        float step = 0.0f;
        std::int32_t plotNo = 0;
        float bitBai = 0.0f;
        double medalsIn = 0.0;
    } nextPlot_;
};

// How a grid is drawn: its colours and its frame, on screen and on paper.
struct GridStyle {
    Rgb grid, blue;
    int frameWidth;    // pen width of the frame
    float frameReach;  // how far the frame's left and bottom sides reach out
    bool resetWidth;   // the pen back to width 1 after the frame
};
constexpr GridStyle kScreenGrid{graphcolor::Grid, graphcolor::Blue, 2, 15.0f, true};

// The grid of a graph of `inmax` medals on any surface, scaled by `scl` from (x, y),
// viewed from (ox, oy).
void MemoriGhp(Surface& s, std::int32_t inmax, float scl, float x, std::int32_t y, std::int32_t ox, std::int32_t oy,
               const GridStyle& style = kScreenGrid);
// The x-axis labels, screen and paper: `from` medals at the left end (or " 0 " there
// when `zero`), then each 1000 medals more up to `count` thousands, on each of
// `rows`, shifted by `shift` twips.
void axisLabels(Surface& s, std::int32_t from, long count, bool zero, float scl, double x, double shift,
                std::initializer_list<float> rows);
// The balance labels of a band whose top is at y: "0" and the ±1000, ±2000 rows.
void balanceLabels(Surface& s, float scl, double x, double y);
// The x-axis labels of the main graph.
void MemoriChr(Surface& s, std::int32_t inmax, std::int32_t scroll, float scl, float x, std::int32_t y);
// The y-axis labels on the label strip.
void MekakusiChr(Surface& s, float scl, float x, std::int32_t y);

}  // namespace tobrak
