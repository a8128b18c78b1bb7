// Fuzzes the edge decoder's lines: the input is split into lines; a line
// "+N" moves the computer's clock on by N ms (and lets it close what is due),
// any other line is fed as the board's. Then a clean game must still count.
#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "boards/edge_board.h"

namespace {

bool validCode(std::uint8_t c) { return c <= 16 || c == 20 || c == 21 || c == 24 || c == 25; }

void take(tobrak::EdgeDecoder& d, bool& game3) {
    for (const std::uint8_t c : d.codes()) {
        if (!validCode(c)) __builtin_trap();
        if (c < 16 && (c & 3) == 3) game3 = true;
    }
    d.codes().clear();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tobrak::EdgeDecoder d;
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    std::int64_t host = 0, t = d.time();
    bool game3 = false;
    int lines = 0;
    const auto feed = [&](std::string_view line) {
        const int jumps = d.jumps();
        d.feed(line, host);
        ++lines;
        if (d.time() < t) __builtin_trap();  // the decoder's time never goes back
        if (d.jumps() > jumps + 1) __builtin_trap();
        t = d.time();
    };
    for (std::size_t at = 0; at < in.size();) {
        std::size_t end = in.find('\n', at);
        if (end == std::string_view::npos) end = in.size();
        const std::string_view line = in.substr(at, end - at);
        at = end + 1;
        std::uint32_t step = 0;
        if (line.size() > 1 && line[0] == '+' &&
            std::from_chars(line.data() + 1, line.data() + line.size(), step).ptr == line.data() + line.size()) {
            host += step;
            d.advance(host);
        } else {
            feed(line);
        }
        take(d, game3);
    }
    // Whatever came before: quiet, a hello, and a game of three bets are one game.
    host += 10'000;
    d.advance(host);
    take(d, game3);
    game3 = false;
    const int jumps = d.jumps();
    feed("H 1 5000 00000 Q");
    const int settled = d.jumps();
    for (int i = 0; i < 3; ++i) {
        feed("I1 " + std::to_string(5100 + 100 * i));
        host += 50;
        feed("I0 " + std::to_string(5150 + 100 * i));
        host += 50;
    }
    host += 1000;
    d.advance(host);
    take(d, game3);
    if (!game3 || settled > jumps + 1 || d.jumps() != settled) __builtin_trap();
    return 0;
}
