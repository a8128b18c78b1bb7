#pragma once
// A started headless program on a scripted board, with the graph calls recorded,
// and the small helpers the tests share.
#include <unistd.h>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "acquisition/status_view.h"
#include "analysis/histogram.h"
#include "app/headless/headless_app.h"
#include "boards/scripted_board.h"
#include "platform/headless/recording_surface.h"

namespace tobrak::test {

// A text drawn on a recording surface.
struct Text {
    float x, y;
    std::string text;
    bool operator==(const Text&) const = default;
};

inline std::vector<Text> textsOf(const headless::RecordingSurface& s) {
    std::vector<Text> out;
    for (const std::string& op : s.ops) {
        if (op.rfind("text ", 0) != 0) continue;
        Text t{};
        char buf[256] = {};
        std::sscanf(op.c_str(), "text %f %f \"%255[^\"]", &t.x, &t.y, buf);
        t.text = buf;
        out.push_back(t);
    }
    return out;
}

// The colours of drawn lines, the last field of each.
inline std::vector<std::string> coloursOf(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const auto& l : lines) out.push_back(l.substr(l.size() - 6));
    return out;
}

// The operations of one kind ("box "), in order.
inline std::vector<std::string> opsOf(const headless::RecordingSurface& s, const std::string& kind) {
    std::vector<std::string> out;
    for (const auto& op : s.ops)
        if (op.rfind(kind, 0) == 0) out.push_back(op);
    return out;
}
inline std::vector<std::string> linesOf(const headless::RecordingSurface& s) { return opsOf(s, "line "); }

inline long countOps(const headless::RecordingSurface& s, const std::string& kind) {
    long n = 0;
    for (const std::string& op : s.ops) n += op.rfind(kind, 0) == 0;
    return n;
}

// The captions of a row of labels, joined by '|'.
template <std::size_t N>
std::string captionsOf(const std::array<headless::MemLabel, N>& labels) {
    std::string out;
    for (std::size_t i = 0; i < N; ++i) {
        if (i) out += '|';
        out += labels[i].caption();
    }
    return out;
}

// The grid of the graph: 89 columns of 1000 medals, the dashed rows, the zero
// line and the frame. Every full redraw draws exactly this many lines.
constexpr std::size_t kGridLines = 8198;

using Bytes = std::vector<std::uint8_t>;

// Runs of game bytes: {{0x30, 3}, {0xBF, 2}} is three normal games, then two BB games.
inline Bytes runs(std::initializer_list<std::pair<std::uint8_t, int>> rs) {
    Bytes out;
    for (auto [b, n] : rs) out.insert(out.end(), static_cast<std::size_t>(n), b);
    return out;
}

inline PlayRecord recordOf(const Bytes& bytes) {
    PlayRecord r;
    for (auto b : bytes) r.Dat_Buf[r.Dat_Len++] = b;
    return r;
}

// The non-zero counts a chart collector takes from `r`.
inline std::map<int, int> countsOf(void (*collect)(const PlayRecord&, HistCounts&), const PlayRecord& r) {
    HistCounts h{};
    collect(r, h);
    std::map<int, int> m;
    for (int v = 0; v < kHistLen; ++v)
        if (h[static_cast<std::size_t>(v)]) m[v] = h[static_cast<std::size_t>(v)];
    return m;
}

// "Tot_In=7 BB_Cnt=1" for the counters named in `names` (each may carry an
// expected "=value", which is replaced by the real one); all of them when empty.
inline std::string countersOf(const Counters& c, const std::string& names = "") {
    std::vector<std::pair<std::string, std::int32_t>> all;
#define TOBRAK_NAMED(n) all.emplace_back(#n, c.n);
    TOBRAK_COUNTERS(TOBRAK_NAMED)
#undef TOBRAK_NAMED
    std::string out;
    auto add = [&](const std::string& name) {
        auto it = std::find_if(all.begin(), all.end(), [&](const auto& p) { return p.first == name; });
        if (!out.empty()) out += ' ';
        out += name + "=" + (it == all.end() ? "?" : std::to_string(it->second));
    };
    std::istringstream in(names);
    for (std::string item; in >> item;) add(item.substr(0, item.find('=')));
    if (names.empty())
        for (const auto& p : all) add(p.first);
    return out;
}
#define EXPECT_COUNTERS(c, expected) EXPECT_EQ(::tobrak::test::countersOf(c, expected), expected)

// A fresh folder of its own, removed afterwards.
struct TempDir {
    explicit TempDir(const std::string& name) {
        path = std::filesystem::temp_directory_path() / ("tobrak_" + name + "_" + std::to_string(::getpid()));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    void write(const std::string& name, const std::string& text) const {
        std::ofstream(path / name, std::ios::binary) << text;
    }
    std::string read(const std::string& name) const {
        std::ifstream f(path / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(f), {}};
    }
    std::filesystem::path path;
};

struct Rig {
    ScriptedBoard board;
    headless::HeadlessApp app{&board};
    Program& c = app.program;
    headless::HeadlessUi& ui = app.ui;

    // One poll in which the board hands over `code`.
    void poll(std::uint8_t code) {
        board.pushCode(code);
        c.Timer2_Timer();
    }
    // A game code (0..15).
    void game(int code) { poll(static_cast<std::uint8_t>(code & 15)); }
    void pulses(int n) {
        for (int i = 0; i < n; ++i) poll(code::Payout);
    }
    void games(int code, int n, int payEach = 0) {
        for (int i = 0; i < n; ++i) {
            game(code);
            pulses(payEach);
        }
    }
    // Puts `bytes` in the record as a load does, nothing drawn or counted yet.
    void load(const Bytes& bytes) {
        c.rec.Dat_Len = kHeaderLen;
        for (auto b : bytes) c.rec.Dat_Buf[c.rec.Dat_Len++] = b;
        c.rec.Dat_Buf[c.rec.Dat_Len] = 0;
        c.graph.recordReplaced();
    }
};

}  // namespace tobrak::test
