// `feed`: the real poll, handlers and blink timer against a board scripted on stdin.
#include <cstdio>
#include <istream>
#include <ostream>
#include <string>

#include "app/headless/headless_app.h"
#include "boards/scripted_board.h"
#include "commands.h"
#include "report.h"

namespace tobrak::cli {

namespace {

int hexDigit(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    return -1;
}

// "RRGGBB", uppercase.
std::string hexColour(Rgb c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%06X", static_cast<unsigned>(c & 0xFFFFFF));
    return buf;
}

std::string recordHex(const PlayRecord& rec) {
    static const char* digits = "0123456789abcdef";
    std::string s;
    s.reserve(static_cast<std::size_t>(rec.games()) * 2);
    for (std::int32_t i = kHeaderLen; i < rec.Dat_Len; ++i) {
        s.push_back(digits[rec.Dat_Buf[i] >> 4]);
        s.push_back(digits[rec.Dat_Buf[i] & 15]);
    }
    return s;
}

}  // namespace

int feed(const FeedArgs& a, Io& io) {
    // Standard input carries the board stream.
    if (a.load == "-") {
        io.err << "feed: --load - is not possible, standard input carries the board bytes\n";
        return 2;
    }
    if (const int st = refuseSameFile(a.save, {a.load}, io)) return st;
    ScriptedBoard board;
    std::uint8_t usbDat = 0;  // the port value as the poll last read it (a code masked to 5 bits)
    headless::HeadlessApp app(&board);
    Program& c = app.program;
    if (!a.load.empty()) {
        if (const int st = loadForCli(c, a.load, io)) return st;
    }
    // From here on a box can only be the full-record message.
    app.ui.dialogs.shown.clear();

    // One poll per byte token, so each token is handed to the board just before its poll.
    std::string line;
    int lineNo = 0;
    while (std::getline(io.in, line)) {
        ++lineNo;
        if (const auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::size_t pos = 0;
        while (pos < line.size()) {
            while (pos < line.size() && std::isspace(static_cast<unsigned char>(line[pos]))) ++pos;
            if (pos >= line.size()) break;
            std::size_t end = pos;
            while (end < line.size() && !std::isspace(static_cast<unsigned char>(line[end]))) ++end;
            const std::string tok = line.substr(pos, end - pos);
            pos = end;
            if (tok == "tick") {
                app.ui.Timer8.fire();
            } else if (tok == "--") {
                board.pushFailure();
                c.Timer2_Timer();
            } else if (tok.size() == 2 && hexDigit(tok[0]) >= 0 && hexDigit(tok[1]) >= 0) {
                usbDat = board.pushPort(static_cast<std::uint8_t>(hexDigit(tok[0]) * 16 + hexDigit(tok[1])));
                c.Timer2_Timer();
            } else {
                io.err << "feed: bad token '" << tok << "' on line " << lineNo
                       << " (expected two hex digits, -- or tick)\n";
                return 1;
            }
        }
    }

    const auto pages = sessionPages(c.cnt);
    Json j = newReport();
    j["record"] = recordHex(c.rec);
    j["Dat_Len"] = c.rec.Dat_Len;
    j["Ghp_Pos"] = c.graph.Ghp_Pos;
    j["Usb_Dat"] = usbDat;
    j["Usb_On"] = c.session.Usb_On;
    j["Label1"] = Json{{"caption", app.ui.Label1.caption()}, {"back", hexColour(app.ui.Label1.backColor())}};
    j["Label12"] = app.ui.Label12.caption();
    j["Label14"] = Json{{"caption", app.ui.Label14.caption()}, {"visible", app.ui.Label14.visible()}};
    j["Timer8"] = app.ui.Timer8.enabled();
    j["acks"] = board.taken;
    j["full_messages"] = app.ui.dialogs.shown.size();
    j["counters"] = countersJson(c.session);
    j["pages"] = pagesJson(pages);
    reportStream(a.save, io) << j.dump(2) << "\n";

    if (!a.save.empty()) return saveRecord(c.session, a.save, io);
    return 0;
}

}  // namespace tobrak::cli
