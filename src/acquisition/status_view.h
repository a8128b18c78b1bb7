#pragma once
// What the main window shows of the session as it records: the board status,
// the event monitor line, the running bonus's gain and the 300 ms blink of the
// bonus rows, and the データＦＵＬＬ box.
#include <cstdint>

#include "platform/controls.h"
#include "platform/dialogs.h"
#include "session/session.h"
#include "stats/panel.h"

namespace tobrak {

constexpr int kBlinkMs = 300;

class StatusView {
public:
    StatusView(const Session& s, Panel& panel) : s_(s), panel_(panel) {}

    Rgb gainColour = rgb::Black;  // text colour of the running bonus's gain, as last shown

    Label* Label1 = nullptr;   // board status
    Label* Label12 = nullptr;  // event monitor line
    Label* Label14 = nullptr;  // gain of the running bonus
    Label* Label15 = nullptr;  // its unit
    Timer* Timer8 = nullptr;   // 300 ms blink
    Dialogs* dialogs = nullptr;

    void boardPolled(bool reachable, bool changed);
    void monitorChanged() { Label12->setCaption(s_.monitor); }
    void recordFull() { dialogs->messageBox(kFullText, kFullTitle, MsgIcon::Exclamation, MsgButtons::Ok); }
    // A bonus runs: its rows blink and its gain shows.
    void blinkOn() { Timer8->setEnabled(true); }
    // After a rebuild: the blink again when the record ends inside a bonus.
    void resumeBlink() {
        if (s_.DaiBB_On || s_.DaiRB_On) blinkOn();
    }
    // One blink step; `graphShown`: the graph (not the analysis view) is in place.
    void Timer8_Timer(bool graphShown);
    // The running bonus's gain hidden.
    void hideGain();

private:
    void showGain(std::int32_t gain, Rgb phase);

    const Session& s_;
    Panel& panel_;
};

}  // namespace tobrak
