#include "boards/edge_board.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <limits>

namespace tobrak {

namespace {
constexpr std::uint8_t kPayout = code::Payout, kBBStart = code::BBStart, kBBEnd = code::BBEnd, kRBStart = code::RBStart,
                       kRBEnd = code::RBEnd;
constexpr std::uint8_t kRBLamp = 4, kBBLamp = 8;
constexpr std::string_view kLineLetters = "IOBRA";  // in the order of EdgeDecoder::Line

bool parseStamp(std::string_view s, std::uint32_t& v) {
    std::uint64_t n = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
    if (ec != std::errc() || end != s.data() + s.size() || s.empty()) return false;
    v = static_cast<std::uint32_t>(n % EdgeDecoder::kStampPeriod);
    return true;
}
}  // namespace

// How far the board's clock went from `from` to boardMs. The count wraps; the
// computer's clock says how many times it did (nearly always none).
std::int64_t EdgeDecoder::boardStep(const Anchor& from, std::uint32_t boardMs, std::int64_t hostMs) {
    constexpr std::int64_t P = kStampPeriod;
    const std::int64_t d = (static_cast<std::int64_t>(boardMs) - from.stamp + P) % P;
    const double laps = std::round(static_cast<double>(hostMs - from.host - d) / static_cast<double>(P));
    return d + static_cast<std::int64_t>(laps) * P;
}

std::int64_t EdgeDecoder::stamp(std::uint32_t boardMs, std::int64_t hostMs) {
    if (!started_) {
        started_ = true;
        last_ = {boardMs, last_.t, hostMs};
        return last_.t;
    }
    // A step that fits: at most a little back and soon after (lines out of
    // order), and not far ahead of the computer's clock (lines held up on the way
    // and then delivered together run a little ahead).
    const auto fits = [&](const Anchor& a, std::int64_t d) {
        const std::int64_t elapsed = std::max<std::int64_t>(0, hostMs - a.host);
        return d <= elapsed + kJumpMs && (d >= 0 || (d >= -kOrderSlackMs && elapsed <= kOrderSlackMs));
    };
    std::int64_t d = boardStep(last_, boardMs, hostMs);
    if (fits(last_, d)) {
        jumped_ = false;
        last_.host = hostMs;
        if (d < 0) return last_.t;  // stamped before the previous line: keep the order of arrival
        last_.stamp = boardMs;
        last_.t += d;
        return last_.t;
    }
    if (jumped_ && fits(before_, d = boardStep(before_, boardMs, hostMs))) {
        // Only the line before was stamped wrong: the old time base holds.
        jumped_ = false;
        last_ = {boardMs, std::max(last_.t, before_.t + d), hostMs};
        return last_.t;
    }
    // The board restarted unseen (its boot hello missed), or noise moved a stamp:
    // a new time base, ours carried on by the computer's clock.
    if (!jumped_) before_ = last_;
    jumped_ = true;
    last_ = {boardMs, last_.t + std::max<std::int64_t>(0, hostMs - last_.host), hostMs};
    ++jumps_;
    note_ = "edge board clock jumped (" + std::to_string(jumps_) + (jumps_ == 1 ? " time" : " times") +
            "); a game in progress then may be lost";
    return last_.t;
}

bool EdgeDecoder::feed(std::string_view line, std::int64_t hostMs) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() > kMaxLine) {
        // Its tail may look like a line of the protocol; none of it counts.
        ++badLines_;
        note_ = "edge board: ignored a line longer than " + std::to_string(kMaxLine) + " characters";
        return false;
    }
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    if (line.empty()) return true;
    bool ok = false;
    if (line.size() > 2 && line[0] == 'H' && line[1] == ' ') {
        ok = hello(line.substr(2), hostMs);
    } else if (line.size() > 3 && kLineLetters.find(line[0]) != std::string_view::npos &&
               (line[1] == '0' || line[1] == '1') && line[2] == ' ') {
        std::uint32_t ms = 0;
        if ((ok = parseStamp(line.substr(3), ms))) {
            const std::int64_t t = stamp(ms, hostMs);
            runUntil(t);
            Level& l = lines_[kLineLetters.find(line[0])];
            const bool active = line[1] == '1';
            if (l.raw != active) {
                l.raw = active;
                l.since = t;
            }
        }
    }
    if (!ok) {
        ++badLines_;
        note_ = "edge board: ignored a line that is not of the protocol: \"" +
                std::string(line.substr(0, std::min<std::size_t>(line.size(), 40))) + "\"";
    }
    return ok;
}

// "H 1 <ms> <levels IOBRA> <B|Q>": B after the board started, Q in answer to "?".
bool EdgeDecoder::hello(std::string_view rest, std::int64_t hostMs) {
    if (rest.size() < 2 || rest.substr(0, 2) != "1 ") {
        note_ = "edge board: unknown protocol version";
        return false;
    }
    rest.remove_prefix(2);
    const auto sp1 = rest.find(' ');
    if (sp1 == std::string_view::npos) return false;
    const auto sp2 = rest.find(' ', sp1 + 1);
    if (sp2 == std::string_view::npos) return false;
    std::uint32_t ms = 0;
    const std::string_view levels = rest.substr(sp1 + 1, sp2 - sp1 - 1);
    const std::string_view why = rest.substr(sp2 + 1);
    if (!parseStamp(rest.substr(0, sp1), ms) || levels.size() != kLines || (why != "B" && why != "Q") ||
        levels.find_first_not_of("01-") != std::string_view::npos)
        return false;

    const bool restarted = started_ && why == "B";
    const bool known = started_;
    std::int64_t t = 0;
    if (restarted) {
        // A new time base: continue ours by the computer's clock. An open IN
        // burst stays open, so the bets after the restart join it.
        t = last_.t + std::max<std::int64_t>(0, hostMs - last_.host);
        runUntil(t);
        last_ = {ms, t, hostMs};
        jumped_ = false;
        ++resets_;
        note_ =
            "edge board restarted (" + std::to_string(resets_) +
            (resets_ == 1 ? " time); edges while it was down are lost" : " times); edges while it was down are lost");
    } else {
        t = stamp(ms, hostMs);
        runUntil(t);
    }
    for (int k = 0; k < kLines; ++k) {
        if (levels[k] == '-') continue;  // not wired
        Level& l = lines_[k];
        const bool active = levels[k] == '1';
        l.raw = active;
        l.since = t;
        if (l.level == active) continue;
        l.level = active;
        // First contact: levels as they stand (a bonus already running gets no
        // start code). Later: a level we missed is an edge now.
        if (known) accept(k, active, t);
    }
    return true;
}

void EdgeDecoder::advance(std::int64_t hostMs) {
    if (!started_) return;
    runUntil(last_.t + (hostMs - last_.host) - kLinkSlackMs);
}

// Every settled level change and burst end due by t, in time order.
void EdgeDecoder::runUntil(std::int64_t t) {
    for (;;) {
        int next = -1;
        std::int64_t at = std::numeric_limits<std::int64_t>::max();
        for (int k = 0; k < kLines; ++k) {
            const Level& l = lines_[k];
            if (l.raw != l.level && l.since + kDebounceMs < at) {
                at = l.since + kDebounceMs;
                next = k;
            }
        }
        if (burst_ && burstDue_ <= at) {
            if (burstDue_ > t) return;
            closeBurst();
            continue;
        }
        if (next < 0 || at > t) return;
        lines_[next].level = lines_[next].raw;
        accept(next, lines_[next].level, at);
    }
}

void EdgeDecoder::accept(int line, bool active, std::int64_t t) {
    switch (line) {
        case In:
            if (!active) return;
            if (!burst_) {
                burst_ = true;
                bet_ = 0;
                replay_ = lines_[Replay].level;
            }
            bet_ = std::min(bet_ + 1, 3);
            burstDue_ = t + kBurstEndMs;
            return;
        case Out:
            if (!active) return;
            codes_.push_back(kPayout);
            // The last game's payout still running into the next bet stays with that game.
            if (burst_) burstDue_ = std::max(burstDue_, t + kBurstEndMs);
            return;
        case BB: codes_.push_back(active ? kBBStart : kBBEnd); return;
        case RB: codes_.push_back(active ? kRBStart : kRBEnd); return;
        case Replay:
            if (!active) return;
            if (!burst_) {
                burst_ = true;
                bet_ = 0;
                burstDue_ = t + kBurstEndMs;
            }
            replay_ = true;
            return;
        default: return;
    }
}

void EdgeDecoder::closeBurst() {
    burst_ = false;
    codes_.push_back(static_cast<std::uint8_t>((replay_ ? 0 : bet_) | (lines_[RB].level ? kRBLamp : 0) |
                                               (lines_[BB].level ? kBBLamp : 0)));
}

EdgeBoard::EdgeBoard(LineSource& source, Clock clock) : source_(source), clock_(std::move(clock)) {
    if (!clock_)
        clock_ = [] {
            return std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::steady_clock::now().time_since_epoch())
                .count();
        };
}

bool EdgeBoard::read() {
    const bool now = source_.open();
    if (now && !open_) {
        source_.writeLine("?");  // the board answers with its levels
        heard_ = false;
        askedAt_ = clock_();
    }
    open_ = now;
    if (!open_) return false;
    const std::int64_t t = clock_();
    std::string line;
    for (;;) {
        const LineSource::Read r = source_.readLine(line);
        if (r == LineSource::Read::None) break;
        if (r == LineSource::Read::Lost) {
            open_ = false;
            return false;
        }
        heard_ = decoder_.feed(line, t) || heard_;
    }
    if (!heard_) {
        if (t - askedAt_ >= kAskMs) {
            source_.writeLine("?");
            askedAt_ = t;
        }
        return false;
    }
    decoder_.advance(t);
    return true;
}

void EdgeBoard::poll(EventSink& sink, bool) {
    const bool reachable = read();
    sink.boardState(reachable);
    if (!reachable) return;
    // Oldest first, each out of the queue before it is handed over.
    auto& codes = decoder_.codes();
    while (!codes.empty()) {
        const std::uint8_t c = codes.front();
        codes.pop_front();
        sink.arrived(c);
    }
}

}  // namespace tobrak
