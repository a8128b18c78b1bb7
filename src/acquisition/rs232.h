#pragma once
// The acquisition window: the 80 ms board poll, the event handlers and the
// 300 ms bonus-indicator blink. It keeps the record and the counters and tells
// the program of each change; the drawing is the program's.
#include <cstdint>
#include <string>

#include "platform/dialogs.h"
#include "record/counters.h"
#include "session/event_source.h"
#include "stats/panel.h"

namespace tobrak {

constexpr int kBlinkMs = 300;

extern const char* const kFullText;  // データＦＵＬＬ box text
extern const char* const kFullTitle;
extern const char* const kBoardOk;  // " 　ゲームＯＫ"
extern const char* const kBoardNg;  // " 　ゲーム不可"

// What the program does with each change, in the order the handlers make them.
class AcquisitionEvents {
public:
    virtual ~AcquisitionEvents() = default;
    // The game before `index` is complete: its line is drawn now.
    virtual void gameClosed(std::uint8_t previous) = 0;
    // Game byte `index` was written (a new game).
    virtual void gameRecorded(std::int32_t index) = 0;
    // The payout of game byte `index` grew by one.
    virtual void payoutRecorded(std::int32_t index) = 0;
    // A bonus began after `interval` games; its counters are taken.
    virtual void bonusStarted(Bonus k, std::int32_t interval) = 0;
    // A bonus ended with `gain` medals; its counters are summed.
    virtual void bonusEnded(Bonus k, std::int32_t gain) = 0;
    // Whether the graph view (not the analysis view) is in place.
    virtual bool graphShown() const = 0;
};

class Acquisition : private EventSink {
public:
    Acquisition(PlayRecord& rec, Counters& cnt, Panel& panel, AcquisitionEvents& events)
        : rec_(rec), cnt_(cnt), panel_(panel), events_(events) {}

    bool BBGame_On = false;  // a bonus's games are being recorded
    bool RBGame_On = false;
    std::uint8_t Usb_Dat = 0;
    bool Usb_On = false;
    std::uint8_t InMai = 0;
    bool DaiBB_On = false;  // the bonus indicator blinks
    bool DaiRB_On = false;
    bool inPoll = false;          // a poll is still running (a modal box is open inside it)
    Rgb gainColour = rgb::Black;  // text colour of the running bonus's gain, as last shown
    std::string monitor = " ";    // the event monitor line, as last shown

    Label* Label1 = nullptr;   // board status
    Label* Label12 = nullptr;  // event monitor line
    Label* Label14 = nullptr;  // gain of the running bonus
    Label* Label15 = nullptr;  // its unit
    Timer* Timer2 = nullptr;   // 80 ms poll
    Timer* Timer8 = nullptr;   // 300 ms blink
    EventSource* board = nullptr;
    Dialogs* dialogs = nullptr;

    void Timer2_Timer();
    void Timer8_Timer();
    void Game1Set();
    void Out1Add();
    void BB_Start();
    void RB_Start();
    void BB_EndMark();
    void RB_EndMark();
    void BB_End();
    void RB_End();

    // Every bonus flag off and the monitor line back to " ".
    void clearFlags();
    // After a rebuild: a record that ends inside a bonus shows its blinking indicator.
    void resumeBonus();
    // The running bonus's gain hidden.
    void hideGain();

private:
    void boardState(bool reachable) override;
    void arrived(std::uint8_t code) override;
    void appendMonitor(const char* s);
    void dispatch();
    void bonusStart(Bonus k);
    void bonusEnd(Bonus k);
    void showGain(std::int32_t gain, Rgb phase);

    PlayRecord& rec_;
    Counters& cnt_;
    Panel& panel_;
    AcquisitionEvents& events_;
};

}  // namespace tobrak
