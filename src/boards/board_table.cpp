#include "boards/board_table.h"

#include <charconv>
#include <cstdio>
#include <sstream>

#include "boards/edge_board.h"
#include "boards/hid/hidapi_link.h"
#include "boards/qt/serial_board.h"
#include "boards/qt/serial_lines.h"
#include "boards/qt/serial_ports.h"
#include "boards/usbio_board.h"

namespace tobrak {

namespace {

std::string usbId(int vendor, int product) {
    char id[16];
    std::snprintf(id, sizeof id, "%04x:%04x", vendor, product);
    return id;
}

std::vector<BoardFound> serialPorts() {
    std::vector<BoardFound> found;
    for (const qt::SerialPortFound& p : qt::findSerialPorts()) {
        BoardFound f{p.path, p.path, p.path};
        if (!p.description.empty()) {
            f.shown += "  " + p.description;
            f.listing += "  " + p.description;
        }
        if (!p.manufacturer.empty()) f.listing += " (" + p.manufacturer + ")";
        if (p.vendor >= 0) f.listing += "  " + usbId(p.vendor, p.product);
        found.push_back(std::move(f));
    }
    return found;
}

std::vector<BoardFound> hidBoards() {
    std::vector<BoardFound> found;
    for (const HidBoardInfo& h : listHidBoards())
        found.push_back({h.serial, h.product_name + (h.serial.empty() ? "" : "  " + h.serial),
                         usbId(h.vendor, h.product) + "  " + h.product_name + "  serial " +
                             (h.serial.empty() ? "-" : h.serial) + "  " + h.path,
                         h.known});
    return found;
}

const BoardFinder kSerialPorts{"serial ports", serialPorts};
const BoardFinder kHidBoards{"USB HID I/O boards", hidBoards};

OpenedBoard openNone(const BoardArgs&, const SimOptions&) {
    return {nullptr, std::make_unique<NoSource>(), "no board"};
}

OpenedBoard openSim(const BoardArgs&, const SimOptions& sim) {
    std::ostringstream s;
    s << "the simulated machine (seed " << sim.seed << ", speed " << sim.speed << ")";
    return {nullptr, std::make_unique<SimBoard>(sim), s.str()};
}

OpenedBoard openSerialBridge(const BoardArgs& a, const SimOptions&) {
    return {nullptr, std::make_unique<qt::SerialBoard>(a.target, a.baud), "the serial bridge " + a.target};
}

OpenedBoard openEdgeBoard(const BoardArgs& a, const SimOptions&) {
    auto lines = std::make_shared<qt::SerialLines>(a.target, a.baud);
    return {lines, std::make_unique<EdgeBoard>(*lines), "the edge board " + a.target};
}

OpenedBoard openUsbIo(const BoardArgs& a, const SimOptions&) {
    auto hid = std::make_shared<HidapiLink>();
    return {hid, std::make_unique<UsbIoBoard>(*hid, a.target),
            a.target.empty() ? std::string("the USB-IO board") : "the USB-IO board " + a.target};
}

using T = BoardTarget;

// The 接続 menu lists the boards in this order.
const std::vector<BoardRow> kBoards{
    {"none", "none", "なし", "no board", T::None, false, false, false, nullptr, openNone},
    {"sim", "sim", "シミュレーター", "the simulated machine", T::None, false, false, false, nullptr, openSim},
    {"serial", "serial:PATH[,BAUD]", "シリアルブリッジ", "a serial bridge", T::Required, true, true, true,
     &kSerialPorts, openSerialBridge},
    {"edges", "edges:PATH[,BAUD]", "エッジボード", "an edge board", T::Required, true, true, true, &kSerialPorts,
     openEdgeBoard},
    {"usbio", "usbio[:SERIAL]", "USB-IO", "a USB HID I/O board", T::Optional, false, false, true, &kHidBoards,
     openUsbIo},
};

// "name", or "name:TARGET" with ",BAUD" after it where the row takes one.
bool parse(const BoardRow& row, const std::string& option, BoardArgs& a) {
    a = {};
    const std::string name = row.name;
    if (option == name) return row.target != T::Required;
    if (row.target == T::None || option.size() <= name.size() || option.compare(0, name.size(), name) != 0 ||
        option[name.size()] != ':')
        return false;
    std::string_view rest(option);
    rest.remove_prefix(name.size() + 1);
    const auto comma = row.takesBaud ? rest.rfind(',') : std::string_view::npos;
    if (comma != std::string_view::npos) {
        const std::string_view b = rest.substr(comma + 1);
        std::int32_t v = 0;
        const auto [end, ec] = std::from_chars(b.data(), b.data() + b.size(), v);
        if (ec != std::errc() || end != b.data() + b.size() || v <= 0) return false;
        a.baud = v;
        rest = rest.substr(0, comma);
    }
    a.target = std::string(rest);
    return !a.target.empty();
}

}  // namespace

const std::vector<BoardRow>& boardTable() { return kBoards; }

const BoardRow* findBoard(const std::string& option, BoardArgs* args) {
    BoardArgs a;
    for (const BoardRow& row : kBoards)
        if (parse(row, option, a)) {
            if (args) *args = a;
            return &row;
        }
    return nullptr;
}

std::string boardOption(const BoardRow& row, const std::string& target) {
    return target.empty() ? std::string(row.name) : std::string(row.name) + ":" + target;
}

std::string boardOptions() {
    std::string s;
    for (std::size_t i = 0; i < kBoards.size(); ++i)
        s += (i == 0 ? "" : i + 1 == kBoards.size() ? " or " : ", ") + std::string(kBoards[i].syntax);
    return s;
}

std::string boardOptionProblem(const std::string& option) {
    return findBoard(option) ? std::string() : "unknown board '" + option + "' (" + boardOptions() + ")";
}

std::string openBoard(const std::string& option, const SimOptions& sim, OpenedBoard& out) {
    BoardArgs a;
    const BoardRow* row = findBoard(option, &a);
    if (!row) return boardOptionProblem(option);
    out = row->open(a, sim);
    return {};
}

std::string boardCaption(const std::string& option) {
    BoardArgs a;
    const BoardRow* row = findBoard(option, &a);
    if (!row) return option;
    return a.target.empty() ? std::string(row->title) : row->title + ("  " + a.target);
}

std::vector<BoardCandidates> findBoards() {
    std::vector<BoardCandidates> all;
    for (const BoardRow& row : kBoards) {
        if (!row.finder) continue;
        auto it = all.begin();
        while (it != all.end() && it->finder != row.finder) ++it;
        if (it == all.end()) it = all.insert(all.end(), {row.finder, {}, row.finder->find()});
        it->rows.push_back(&row);
    }
    return all;
}

std::vector<BoardChoice> boardChoices() {
    const std::vector<BoardCandidates> found = findBoards();
    std::vector<BoardChoice> c;
    for (const BoardRow& row : kBoards) {
        if (!row.finder) {
            c.push_back({row.name, row.title});
            continue;
        }
        for (const BoardCandidates& f : found) {
            if (f.finder != row.finder || f.rows.front() != &row) continue;
            for (const BoardFound& d : f.found)
                if (d.usable)
                    for (const BoardRow* r : f.rows)
                        c.push_back({boardOption(*r, d.target), r->title + ("  " + d.shown)});
        }
    }
    return c;
}

}  // namespace tobrak
