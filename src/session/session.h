#pragma once
// A session: one sitting at one machine. It owns the play record, its counters
// and flags, the decoding of the board's events, the board, the journal and the
// time of every event, and tells its listeners of each change in the order the
// program's rules make them. The window, the command-line recorder and the live
// view are listeners; none of them is needed to record.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "record/counters.h"
#include "record/display_marks.h"
#include "record/journal.h"
#include "record/manual_counts.h"
#include "record/play_record.h"
#include "record/play_time.h"
#include "session/event_source.h"

namespace tobrak {

// When an event was seen: the wall-clock time, and a steady time for intervals.
struct EventTime {
    WallTime wall;
    std::int64_t steadyMs = 0;
};

class SessionClock {
public:
    virtual ~SessionClock() = default;
    virtual EventTime now() = 0;
};

// The computer's clocks.
class SystemClock final : public SessionClock {
public:
    EventTime now() override;
};

// The machine a session is played on.
struct Machine {
    std::string name;     // "サンプル機" or whatever the player calls it
    std::string hall;     // optional
    std::string number;   // the hall's machine number, optional
    std::string profile;  // the machine profile's name, optional
};

extern const char* const kFullText;  // データＦＵＬＬ box text
extern const char* const kFullTitle;
extern const char* const kBoardOk;  // " 　ゲームＯＫ": the board can be read
extern const char* const kBoardNg;  // " 　ゲーム不可"

// Every change a session makes, in the order it makes them. Each has a default
// that ignores it, so a listener takes only what it shows.
class SessionListener {
public:
    virtual ~SessionListener() = default;
    // Game byte `index` is final: a new game begins after it.
    virtual void gameClosed(std::int32_t index) { (void)index; }
    // Game byte `index` was written: a new game.
    virtual void gameStarted(std::int32_t index, const EventTime& t) { (void)index, (void)t; }
    // The payout of game byte `index` grew by one.
    virtual void payout(std::int32_t index, const EventTime& t) { (void)index, (void)t; }
    // A bonus began after `interval` games; its counters are taken.
    virtual void bonusStarted(Bonus k, std::int32_t interval, const EventTime& t) { (void)k, (void)interval, (void)t; }
    // A bonus ended with `gain` medals; its counters are summed.
    virtual void bonusEnded(Bonus k, std::int32_t gain, const EventTime& t) { (void)k, (void)gain, (void)t; }
    // Said on every poll: whether the board could be read, and whether that changed.
    virtual void boardPolled(bool reachable, bool changed) { (void)reachable, (void)changed; }
    // The event monitor line changed (Session::monitor).
    virtual void monitorChanged() {}
    // A game came while the record is full; it was not recorded.
    virtual void recordFull() {}
    // The journal's protection was lost or came back.
    virtual void journalChanged(Journal::Protection p) { (void)p; }
    // The whole record was replaced (a load, a clear, a restore).
    virtual void recordReplaced() {}
    // The comment or the display options changed.
    virtual void headerChanged() {}
    // A hand counter changed (or, with -1, the counters were named anew or replaced).
    virtual void manualCounted(int counter) { (void)counter; }
};

class Session final : private EventSink {
public:
    explicit Session(SessionClock* clock = nullptr);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    PlayRecord rec;
    Counters cnt;
    Markers mark;            // the display options, saved with the record
    std::u16string comment;  // the record's comment
    Machine machine;
    ManualCounts manual;  // what the player counts by hand, named by the machine profile

    bool BBGame_On = false;  // a bonus's games are being recorded
    bool RBGame_On = false;
    bool DaiBB_On = false;  // a bonus runs, as its start and end signals tell
    bool DaiRB_On = false;
    bool Usb_On = false;        // the board could be read at the last poll
    std::uint8_t InMai = 0;     // medals bet on the newest game
    std::string monitor = " ";  // the event monitor line

    // Listeners hear every change in the order they were added.
    void listen(SessionListener& l);
    void forget(SessionListener& l);

    // The board the session records from (not owned; null: none) and its name.
    void setBoard(EventSource* source, std::string name = {});
    EventSource& board() const { return *source_; }
    const std::string& boardName() const { return boardName_; }

    // The journal the session keeps (not owned; null: none).
    void setJournal(Journal* j) { journal_ = j; }
    Journal* journal() const { return journal_; }
    // Tries a failed journal again (when `retry`) and tells listeners of a change.
    Journal::Protection watchJournal(bool retry = true);
    // Starts the journal with the record as it stands.
    bool beginJournal();

    // One poll of the board: every 80 ms. A poll inside a poll (a box opened by a
    // listener) is skipped, so events are never handled out of order.
    void poll();

    // The handlers of the board's events, as the poll calls them.
    void Game1Set(std::uint8_t code);
    void Out1Add();
    void BB_Start();
    void RB_Start();
    void BB_EndMark();
    void RB_EndMark();
    void BB_End();
    void RB_End();

    // Each game's time, game 0 first (nothing known for a loaded record).
    const GameTimes& times() const { return times_; }

    // The display options as header byte 43 holds them.
    std::uint8_t options() const { return currentOptions(mark, rec); }
    // The record as a play-data file: game bytes masked, the display options in byte 43.
    std::vector<std::uint8_t> image() const;

    // Every bonus flag off and the monitor line back to " ".
    void clearFlags();
    // After a rebuild: a record that ends inside a bonus shows it running again.
    void resumeBonus();
    // The counters and flags from the record, by the live rules, added to what they
    // hold: reset the counters and clearFlags() first for a rebuild.
    void recount();

    // The record was replaced by its owner (load, clear, restore): into the
    // journal, then the listeners. `times`: what is known of its games' times.
    void replaced(GameTimes times = {});
    // The header changed (comment, display options): into the journal, then the listeners.
    void headerChanged();

    // Counter `i` by `by` (1 a tap, -1 one taken back; never below 0); false when
    // there is no such counter or nothing changed. Into the journal, then the listeners.
    bool count(int i, int by = 1);
    // The counters as the machine profile names them; a name kept keeps its count.
    void nameCounters(const std::vector<std::string>& names);
    // The counts a journal or the library kept for this record.
    void restoreCounts(ManualCounts counts);

private:
    void boardState(bool reachable) override;
    void arrived(std::uint8_t code) override;
    void appendMonitor(const char* s);
    void bonusStart(Bonus k);
    void bonusEnd(Bonus k);
    void byteChanged(std::int32_t index);
    template <class F>
    void tell(F f) {
        for (SessionListener* l : listeners_) f(*l);
    }

    SessionClock* clock_;
    SystemClock systemClock_;
    NoSource none_;
    EventSource* source_ = &none_;
    std::string boardName_;
    Journal* journal_ = nullptr;
    std::vector<SessionListener*> listeners_;
    GameTimes times_;
    EventTime now_;  // the time of the event being handled
    bool inPoll_ = false;
};

}  // namespace tobrak
