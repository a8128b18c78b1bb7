// Fuzzes the acquisition: arbitrary board values, failed reads, blink ticks and
// a few commands, from an empty or a nearly full record.
#include <cstddef>
#include <cstdint>

#include "acquisition/status_view.h"
#include "app/headless/headless_app.h"
#include "app/menu.h"
#include "boards/scripted_board.h"
#include "stats/stats_engine.h"

namespace {

void check(const tobrak::Program& c) {
    const tobrak::PlayRecord& r = c.rec;
    if (r.Dat_Len < tobrak::kHeaderLen || r.Dat_Len > tobrak::kDatMax) __builtin_trap();
    if (r.Dat_Buf[r.Dat_Len] != 0) __builtin_trap();
    if (c.graph.Ghp_Pos > r.Dat_Len + 1) __builtin_trap();
    if (c.cnt.Game_Cnt < 0 || c.cnt.Tot_Out < 0) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static tobrak::ScriptedBoard board;
    static tobrak::headless::HeadlessApp app(&board);
    tobrak::Program& c = app.program;
    app.ui.Picture2s.logging = false;
    app.ui.Zoom.logging = false;
    app.ui.dialogs.answers.clear();
    app.ui.dialogs.shown.clear();     // nothing may grow from input to input
    tobrak::menuClick(c, "Ghp_Cls");  // each input starts from an empty record
    if (size > 0 && (data[0] & 1)) {
        // Nearly full, so that the end of the record is reached.
        for (int i = 0; i < 30995; ++i) c.rec.Dat_Buf[c.rec.Dat_Len++] = 0x31;
        c.rec.Dat_Buf[c.rec.Dat_Len] = 0;
        c.graph.recordReplaced();
        tobrak::ChrClrInit(c);
        tobrak::ChrDispAll(c);
    }
    for (std::size_t i = 1; i < size; ++i) {
        const std::uint8_t b = data[i];
        if (b < 0xF0) {
            board.pushPort(b);
            c.Timer2_Timer();
        } else if (b < 0xF8) {
            board.pushFailure();
            c.Timer2_Timer();
        } else if (b < 0xFC) {
            app.ui.Timer8.fire();
        } else if (b == 0xFC) {
            tobrak::menuClick(c, "menPage");
        } else if (b == 0xFD) {
            tobrak::menuClick(c, "GhpHyo", 0);  // rebuilds graph and counters
        } else if (b == 0xFE) {
            tobrak::menuClick(c, "Kaiseki", 3);
            tobrak::menuClick(c, "HistEnd");
        } else {
            tobrak::menuClick(c, "G_zoom", (i % 4));
        }
        check(c);
    }
    return 0;
}
