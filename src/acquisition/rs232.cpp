#include "acquisition/rs232.h"

#include "graph/slump_graph.h"
#include "graph/zoom.h"
#include "stats/panel.h"
#include "stats/stats_engine.h"
#include "util/format.h"

namespace tobrak {

const char* const kFullText = "これ以上データの記録と表示ができません。\n保存かクリアして下さい！";
const char* const kFullTitle = "データＦＵＬＬ";
const char* const kBoardOk = " 　ゲームＯＫ";
const char* const kBoardNg = " 　ゲーム不可";

namespace {

void appendMonitor(Core& c, const char* s) {
    c.rs.monitor += s;
    c.ui.main.Label12->setCaption(c.rs.monitor);
}

void dispatch(Core& c) {
    const int v = c.rs.Usb_Dat;
    if ((v & 16) == 0)
        Game1Set(c);
    else if (v == code::Payout)
        Out1Add(c);
    else if (v == code::BBStart)
        BB_Start(c);
    else if (v == code::BBEnd)
        BB_EndMark(c);
    else if (v == code::RBStart)
        RB_Start(c);
    else if (v == code::RBEnd)
        RB_EndMark(c);
    // Other codes are taken, acknowledged and ignored.
}

void bonusStart(Core& c, Bonus k) {
    const bool bb = k == Bonus::BB;
    if (bb ? c.flags.BBGame_On : c.flags.RBGame_On) return;  // its games are already being recorded
    appendMonitor(c, bb ? "Bo" : "Ro");
    if (bb ? c.mark.Mark_BBs : c.mark.Mark_RBs) {
        const GraphState& p = c.graph;
        const std::int32_t v = c.cnt.Bonus_IntvCnt;
        printNumberAt(*c.ui.Picture2, static_cast<float>(p.Ghp_Scroll) + p.Ghp_LastX, p.Ghp_LastY, v);
        printNumberAt(*c.ui.Zoom,
                      p.Zoom_Scl * static_cast<float>(p.Ghp_Scroll) + (p.Zoom_LastX - static_cast<float>(p.Ox)),
                      p.Zoom_LastY - static_cast<float>(p.Oy), v);
    }
    bonusStartRule(c.cnt, k, /*showInterval=*/true);
    (bb ? c.rs.DaiBB_On : c.rs.DaiRB_On) = true;
    c.ui.Timer8->setEnabled(true);
    menPageDisp(c);
    c.ui.tell([k](PlayListener& l) { l.bonusStarted(k); });
}

void bonusEnd(Core& c, Bonus k) {
    const bool bb = k == Bonus::BB;
    if (bb ? c.mark.Mark_BBe : c.mark.Mark_RBe) {
        const GraphState& p = c.graph;
        const std::int32_t v = bb ? c.cnt.BB_Gain : c.cnt.RB_Gain;
        printNumberAt(*c.ui.Picture2, static_cast<float>(p.Ghp_Scroll) + p.Ghp_LastX - 330.0f, p.Ghp_LastY - 150.0f, v);
        printNumberAt(
            *c.ui.Zoom,
            p.Zoom_Scl * static_cast<float>(p.Ghp_Scroll) + (p.Zoom_LastX - static_cast<float>(p.Ox)) - 400.0f,
            p.Zoom_LastY - static_cast<float>(p.Oy) - 200.0f, v);
    }
    bonusEndRule(c.cnt, k);
    menPageDisp(c);
    (bb ? c.flags.BBGame_On : c.flags.RBGame_On) = false;
    (bb ? c.rs.DaiBB_On : c.rs.DaiRB_On) = false;
    c.ui.tell([k](PlayListener& l) { l.bonusEnded(k); });
}

void blink(Core& c, int row, bool active) {
    const Rgb now = c.fd.Label2Back[static_cast<std::size_t>(row)];
    setCaptionBack(c, row, active && now != rgb::Red ? rgb::Red : rgb::Cyan);
}

void showGain(Core& c, std::int32_t gain, Rgb phase) {
    Label* g = c.ui.main.Label14;
    Label* u = c.ui.main.Label15;
    g->setCaption(captionNumber(gain) + " ");
    g->setVisible(true);
    u->setVisible(true);
    const Rgb next = c.rs.gainColour == phase ? rgb::Yellow : phase;
    c.rs.gainColour = next;
    g->setForeColor(next);
    u->setForeColor(next);
}

}  // namespace

void Timer2_Timer(Core& c) {
    // A modal box opened inside a poll lets the timer fire again; those ticks are
    // skipped so that boxes never stack and events are never handled out of order.
    if (c.rs.inPoll) return;
    c.rs.inPoll = true;
    struct Leave {
        bool& f;
        ~Leave() { f = false; }
    } leave{c.rs.inPoll};

    Board& b = *c.ui.board;
    Label* status = c.ui.main.Label1;
    b.uio_find();
    b.uio_out(0, kOutRead, 0);
    b.setRecordFull(c.rec.Dat_Len >= c.rec.Dat_Max);
    std::uint8_t v = c.rs.Usb_Dat;
    const std::int32_t r = b.uio_inp(v, 0, 0);
    c.rs.Usb_Dat = v;
    if (r != 0) {
        status->setBackColor(rgb::Yellow);
        if (c.rs.Usb_On) {
            status->setCaption(kBoardNg);
            c.rs.Usb_On = false;
        }
        return;
    }
    status->setBackColor(rgb::Green);
    if (!c.rs.Usb_On) {
        status->setCaption(kBoardOk);
        c.rs.Usb_On = true;
    }
    if ((c.rs.Usb_Dat & 64) == 64) return;  // nothing new
    b.uio_out(0, kOutAck, 0);
    c.rs.Usb_Dat &= 31;
    dispatch(c);
}

void Game1Set(Core& c) {
    PlayRecord& rec = c.rec;
    const std::int32_t L = rec.Dat_Len;
    if (L >= rec.Dat_Max) {
        c.ui.dialogs->messageBox(kFullText, kFullTitle, MsgIcon::Exclamation, MsgButtons::Ok);
        return;
    }
    c.rs.InMai = c.rs.Usb_Dat & 3;
    const std::uint8_t byte = static_cast<std::uint8_t>(c.rs.Usb_Dat * 16);
    rec.Dat_Buf[L] = byte;
    const BonusState s = bonusState(byte);
    if (s == BonusState::Normal) {
        if (c.flags.BBGame_On) BB_End(c);
        if (c.flags.RBGame_On) RB_End(c);
    }
    // Only the byte's own kind is flagged: a bonus of the other kind still open is
    // closed, and summed, by the next normal game.
    if (s == BonusState::BB) c.flags.BBGame_On = true;
    if (s == BonusState::RB) c.flags.RBGame_On = true;

    c.rs.monitor = " ";
    c.rs.monitor.append(c.rs.InMai, 'I');
    c.ui.main.Label12->setCaption(c.rs.monitor);
    gameRule(c.cnt, c.rs.InMai, s);

    // The previous game's payout is final now: draw it.
    if (rec.Ghp_Pos == L) {
        const std::uint8_t prev = rec.Dat_Buf[L - 1];
        if (c.flags.Kaiseki_On == 0) Ghp1Disp(c, prev);
        Zoom1sub(c, prev);
        rec.Ghp_Pos += 1;
    }
    rec.Dat_Len = L + 1;
    rec.Dat_Buf[L + 1] = 0;
    c.fd.Unsaved = true;
    if (c.ui.journal) c.ui.journal->byteSet(rec, L, currentOptions(c));
    menPageDisp(c);
    c.ui.tell([](PlayListener& l) { l.gameStarted(); });
}

void Out1Add(Core& c) {
    appendMonitor(c, "･");
    PlayRecord& rec = c.rec;
    if (rec.Dat_Len >= rec.Dat_Max || rec.Dat_Len < kHeaderLen + 1) return;
    std::uint8_t& newest = rec.Dat_Buf[rec.Dat_Len - 1];
    if (medalsOut(newest) == 15) return;  // the pulse is lost
    newest += 1;
    c.fd.Unsaved = true;
    if (c.ui.journal) c.ui.journal->byteSet(rec, rec.Dat_Len - 1, currentOptions(c));
    payoutRule(c.cnt, 1, bonusState(newest));
    menPageDisp(c);
    c.ui.tell([](PlayListener& l) { l.payout(); });
}

void BB_Start(Core& c) { bonusStart(c, Bonus::BB); }
void RB_Start(Core& c) { bonusStart(c, Bonus::RB); }

void BB_EndMark(Core& c) {
    if (c.flags.BBGame_On) appendMonitor(c, "Bx");
}
void RB_EndMark(Core& c) {
    if (c.flags.RBGame_On) appendMonitor(c, "Rx");
}

void BB_End(Core& c) { bonusEnd(c, Bonus::BB); }
void RB_End(Core& c) { bonusEnd(c, Bonus::RB); }

void Timer8_Timer(Core& c) {
    MainControls& m = c.ui.main;
    if (c.flags.Kaiseki_On != 0) {
        m.Label14->setVisible(false);
        m.Label15->setVisible(false);
    } else {
        if (c.rs.DaiBB_On) showGain(c, c.cnt.BB_Gain, rgb::Red);
        if (c.rs.DaiRB_On) showGain(c, c.cnt.RB_Gain, rgb::Black);
    }
    switch (c.fd.MenuPage) {
        case 0:
            blink(c, 2, c.rs.DaiBB_On);
            blink(c, 4, c.rs.DaiRB_On);
            break;
        case 1: blink(c, 0, c.rs.DaiBB_On); break;
        case 2: blink(c, 0, c.rs.DaiRB_On); break;
        default: break;
    }
    if (!c.rs.DaiBB_On && !c.rs.DaiRB_On) {
        c.ui.Timer8->setEnabled(false);
        for (int i : {0, 2, 4}) setCaptionBack(c, i, rgb::Cyan);
        m.Label14->setVisible(false);
        m.Label15->setVisible(false);
    }
}

}  // namespace tobrak
