#include "acquisition/rs232.h"

#include "util/format.h"

namespace tobrak {

const char* const kFullText = "これ以上データの記録と表示ができません。\n保存かクリアして下さい！";
const char* const kFullTitle = "データＦＵＬＬ";
const char* const kBoardOk = " 　ゲームＯＫ";
const char* const kBoardNg = " 　ゲーム不可";

void Acquisition::appendMonitor(const char* s) {
    monitor += s;
    Label12->setCaption(monitor);
}

void Acquisition::dispatch() {
    const int v = Usb_Dat;
    if ((v & 16) == 0)
        Game1Set();
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
    // Other codes are taken, acknowledged and ignored.
}

void Acquisition::bonusStart(Bonus k) {
    const bool bb = k == Bonus::BB;
    if (bb ? BBGame_On : RBGame_On) return;  // its games are already being recorded
    appendMonitor(bb ? "Bo" : "Ro");
    const std::int32_t interval = cnt_.Bonus_IntvCnt;
    bonusStartRule(cnt_, k, /*showInterval=*/true);
    (bb ? DaiBB_On : DaiRB_On) = true;
    Timer8->setEnabled(true);
    events_.bonusStarted(k, interval);
}

void Acquisition::bonusEnd(Bonus k) {
    const bool bb = k == Bonus::BB;
    const std::int32_t gain = bb ? cnt_.BB_Gain : cnt_.RB_Gain;
    bonusEndRule(cnt_, k);
    (bb ? BBGame_On : RBGame_On) = false;
    (bb ? DaiBB_On : DaiRB_On) = false;
    events_.bonusEnded(k, gain);
}

void Acquisition::showGain(std::int32_t gain, Rgb phase) {
    Label14->setCaption(captionNumber(gain) + " ");
    Label14->setVisible(true);
    Label15->setVisible(true);
    const Rgb next = gainColour == phase ? rgb::Yellow : phase;
    gainColour = next;
    Label14->setForeColor(next);
    Label15->setForeColor(next);
}

void Acquisition::hideGain() {
    Label14->setVisible(false);
    Label15->setVisible(false);
}

void Acquisition::clearFlags() {
    BBGame_On = RBGame_On = false;
    DaiBB_On = DaiRB_On = false;
    monitor = " ";
    Label12->setCaption(monitor);
}

void Acquisition::resumeBonus() {
    if (BBGame_On) DaiBB_On = true;
    if (RBGame_On) DaiRB_On = true;
    if (BBGame_On || RBGame_On) Timer8->setEnabled(true);
}

void Acquisition::Timer2_Timer() {
    // A modal box opened inside a poll lets the timer fire again; those ticks are
    // skipped so that boxes never stack and events are never handled out of order.
    if (inPoll) return;
    inPoll = true;
    struct Leave {
        bool& f;
        ~Leave() { f = false; }
    } leave{inPoll};

    board->poll(*this, rec_.Dat_Len >= rec_.Dat_Max);
}

void Acquisition::boardState(bool reachable) {
    if (!reachable) {
        Label1->setBackColor(rgb::Yellow);
        if (Usb_On) {
            Label1->setCaption(kBoardNg);
            Usb_On = false;
        }
        return;
    }
    Label1->setBackColor(rgb::Green);
    if (!Usb_On) {
        Label1->setCaption(kBoardOk);
        Usb_On = true;
    }
}

void Acquisition::arrived(std::uint8_t code) {
    Usb_Dat = code;
    dispatch();
}

void Acquisition::Game1Set() {
    PlayRecord& rec = rec_;
    const std::int32_t L = rec.Dat_Len;
    if (L >= rec.Dat_Max) {
        dialogs->messageBox(kFullText, kFullTitle, MsgIcon::Exclamation, MsgButtons::Ok);
        return;
    }
    InMai = Usb_Dat & 3;
    const std::uint8_t byte = static_cast<std::uint8_t>(Usb_Dat * 16);
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
    Label12->setCaption(monitor);
    gameRule(cnt_, InMai, s);

    // The previous game's payout is final now: it is drawn.
    if (rec.Ghp_Pos == L) {
        events_.gameClosed(rec.Dat_Buf[L - 1]);
        rec.Ghp_Pos += 1;
    }
    rec.Dat_Len = L + 1;
    rec.Dat_Buf[L + 1] = 0;
    events_.gameRecorded(L);
}

void Acquisition::Out1Add() {
    appendMonitor("･");
    PlayRecord& rec = rec_;
    if (rec.Dat_Len >= rec.Dat_Max || rec.Dat_Len < kHeaderLen + 1) return;
    std::uint8_t& newest = rec.Dat_Buf[rec.Dat_Len - 1];
    if (medalsOut(newest) == 15) return;  // the pulse is lost
    newest += 1;
    payoutRule(cnt_, 1, bonusState(newest));
    events_.payoutRecorded(rec.Dat_Len - 1);
}

void Acquisition::BB_Start() { bonusStart(Bonus::BB); }
void Acquisition::RB_Start() { bonusStart(Bonus::RB); }

void Acquisition::BB_EndMark() {
    if (BBGame_On) appendMonitor("Bx");
}
void Acquisition::RB_EndMark() {
    if (RBGame_On) appendMonitor("Rx");
}

void Acquisition::BB_End() { bonusEnd(Bonus::BB); }
void Acquisition::RB_End() { bonusEnd(Bonus::RB); }

void Acquisition::Timer8_Timer() {
    if (!events_.graphShown()) {
        hideGain();
    } else {
        if (DaiBB_On) showGain(cnt_.BB_Gain, rgb::Red);
        if (DaiRB_On) showGain(cnt_.RB_Gain, rgb::Black);
    }
    panel_.blinkBonus(DaiBB_On, DaiRB_On);
    if (!DaiBB_On && !DaiRB_On) {
        Timer8->setEnabled(false);
        hideGain();
    }
}

}  // namespace tobrak
