#include "session/session.h"

#include <algorithm>
#include <chrono>
#include <climits>

#include "record/slt_file.h"

namespace tobrak {

const char* const kFullText = "これ以上データの記録と表示ができません。\n保存かクリアして下さい！";
const char* const kFullTitle = "データＦＵＬＬ";
const char* const kBoardOk = " 　ゲームＯＫ";
const char* const kBoardNg = " 　ゲーム不可";

EventTime SystemClock::now() {
    const auto steady = std::chrono::steady_clock::now().time_since_epoch();
    return {wallNow(), std::chrono::duration_cast<std::chrono::milliseconds>(steady).count()};
}

Session::Session(SessionClock* clock) : clock_(clock ? clock : &systemClock_) {}

std::vector<std::uint8_t> Session::image() const {
    std::vector<std::uint8_t> bytes = encodeSlt(rec);
    bytes[43] = options();
    return bytes;
}

void Session::listen(SessionListener& l) { listeners_.push_back(&l); }
void Session::forget(SessionListener& l) { std::erase(listeners_, &l); }

void Session::setBoard(EventSource* source, std::string name) {
    source_ = source ? source : &none_;
    boardName_ = std::move(name);
}

bool Session::beginJournal() {
    if (!journal_) return false;
    if (!manual.empty()) journal_->counted(manual);  // kept by the journal's first snapshot
    return journal_->begin(rec, options(), times_);
}

Journal::Protection Session::watchJournal(bool retry) {
    if (!journal_) return Journal::Protection::Unchanged;
    const Journal::Protection p = journal_->watch(rec, options(), retry, times_);
    if (p != Journal::Protection::Unchanged) tell([p](SessionListener& l) { l.journalChanged(p); });
    return p;
}

void Session::poll() {
    if (inPoll_) return;
    inPoll_ = true;
    struct Leave {
        bool& f;
        ~Leave() { f = false; }
    } leave{inPoll_};
    source_->poll(*this, rec.full());
}

void Session::boardState(bool reachable) {
    const bool changed = reachable != Usb_On;
    Usb_On = reachable;
    tell([&](SessionListener& l) { l.boardPolled(reachable, changed); });
}

void Session::arrived(std::uint8_t c) {
    if (!Usb_On) return;  // codes come only from a board that could be read
    now_ = clock_->now();
    const int v = c & 31;
    if ((v & 16) == 0)
        Game1Set(static_cast<std::uint8_t>(v));
    else if (v == code::Payout)
        Out1Add();
    else if (v == code::BBStart)
        BB_Start();
    else if (v == code::BBEnd)
        BB_EndMark();
    else if (v == code::RBStart)
        RB_Start();
    else if (v == code::RBEnd)
        RB_EndMark();
    // Other codes are taken and ignored.
}

void Session::appendMonitor(const char* s) {
    monitor += s;
    tell([](SessionListener& l) { l.monitorChanged(); });
}

void Session::bonusStart(Bonus k) {
    const bool bb = k == Bonus::BB;
    if (bb ? BBGame_On : RBGame_On) return;  // its games are already being recorded
    appendMonitor(bb ? "Bo" : "Ro");
    const std::int32_t interval = cnt.Bonus_IntvCnt;
    bonusStartRule(cnt, k, /*showInterval=*/true);
    (bb ? DaiBB_On : DaiRB_On) = true;
    tell([&](SessionListener& l) { l.bonusStarted(k, interval, now_); });
}

void Session::bonusEnd(Bonus k) {
    const bool bb = k == Bonus::BB;
    const std::int32_t gain = bb ? cnt.BB_Gain : cnt.RB_Gain;
    bonusEndRule(cnt, k);
    (bb ? BBGame_On : RBGame_On) = false;
    (bb ? DaiBB_On : DaiRB_On) = false;
    tell([&](SessionListener& l) { l.bonusEnded(k, gain, now_); });
}

void Session::byteChanged(std::int32_t index) {
    if (journal_) journal_->byteSet(rec, index, options(), times_);
}

void Session::Game1Set(std::uint8_t v) {
    const std::int32_t L = rec.Dat_Len;
    if (L >= rec.Dat_Max) {
        tell([](SessionListener& l) { l.recordFull(); });
        return;
    }
    InMai = v & 3;
    const std::uint8_t byte = static_cast<std::uint8_t>(v * 16);
    rec.Dat_Buf[L] = byte;
    const BonusState s = bonusState(byte);
    if (s == BonusState::Normal) {
        if (BBGame_On) BB_End();
        if (RBGame_On) RB_End();
    }
    // Only the byte's own kind is flagged: a bonus of the other kind still open is
    // closed, and summed, by the next normal game.
    if (s == BonusState::BB) BBGame_On = true;
    if (s == BonusState::RB) RBGame_On = true;

    monitor = " ";
    monitor.append(InMai, 'I');
    tell([](SessionListener& l) { l.monitorChanged(); });
    gameRule(cnt, InMai, s);

    // The previous game's payout is final now.
    if (L > kHeaderLen) tell([L](SessionListener& l) { l.gameClosed(L - 1); });
    rec.Dat_Len = L + 1;
    rec.Dat_Buf[L + 1] = 0;
    const auto game = static_cast<std::size_t>(L - kHeaderLen);
    times_.resize(game + 1);
    times_[game] = now_.wall;
    byteChanged(L);
    tell([&](SessionListener& l) { l.gameStarted(L, now_); });
}

void Session::Out1Add() {
    appendMonitor("･");
    if (rec.Dat_Len >= rec.Dat_Max || rec.Dat_Len < kHeaderLen + 1) return;
    std::uint8_t& newest = rec.Dat_Buf[rec.Dat_Len - 1];
    if (medalsOut(newest) == 15) return;  // the pulse is lost
    newest += 1;
    payoutRule(cnt, 1, bonusState(newest));
    const std::int32_t index = rec.Dat_Len - 1;
    byteChanged(index);
    tell([&](SessionListener& l) { l.payout(index, now_); });
}

void Session::BB_Start() { bonusStart(Bonus::BB); }
void Session::RB_Start() { bonusStart(Bonus::RB); }

void Session::BB_EndMark() {
    if (BBGame_On) appendMonitor("Bx");
}
void Session::RB_EndMark() {
    if (RBGame_On) appendMonitor("Rx");
}

void Session::BB_End() { bonusEnd(Bonus::BB); }
void Session::RB_End() { bonusEnd(Bonus::RB); }

void Session::clearFlags() {
    BBGame_On = RBGame_On = false;
    DaiBB_On = DaiRB_On = false;
    monitor = " ";
    tell([](SessionListener& l) { l.monitorChanged(); });
}

void Session::resumeBonus() {
    if (BBGame_On) DaiBB_On = true;
    if (RBGame_On) DaiRB_On = true;
}

void Session::recount() { replayCounters(rec, cnt, BBGame_On, RBGame_On); }

void Session::replaced(GameTimes times) {
    times.resize(static_cast<std::size_t>(std::max(0, rec.games())));
    times_ = std::move(times);
    // A new record counts anew: the counters stay, at 0.
    for (ManualCount& k : manual) k.count = 0;
    if (journal_) {
        journal_->snapshot(rec, options(), times_);
        if (!manual.empty()) journal_->counted(manual);
    }
    tell([](SessionListener& l) { l.recordReplaced(); });
    tell([](SessionListener& l) { l.manualCounted(-1); });
}

bool Session::count(int i, int by) {
    if (i < 0 || i >= static_cast<int>(manual.size())) return false;
    ManualCount& k = manual[static_cast<std::size_t>(i)];
    const std::int64_t next = std::clamp<std::int64_t>(std::int64_t{k.count} + by, 0, INT32_MAX);
    if (next == k.count) return false;
    k.count = static_cast<std::int32_t>(next);
    if (journal_) journal_->counted(manual);
    tell([i](SessionListener& l) { l.manualCounted(i); });
    return true;
}

void Session::nameCounters(const std::vector<std::string>& names) {
    ManualCounts next = renamedCounts(manual, names);
    if (next == manual) return;
    restoreCounts(std::move(next));
}

void Session::restoreCounts(ManualCounts counts) {
    manual = std::move(counts);
    if (journal_) journal_->counted(manual);
    tell([](SessionListener& l) { l.manualCounted(-1); });
}

void Session::headerChanged() {
    if (journal_) journal_->header(rec, options());
    tell([](SessionListener& l) { l.headerChanged(); });
}

}  // namespace tobrak
