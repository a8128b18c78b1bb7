#pragma once
// Edge boards (docs/edge-protocol.md): a small board beside the machine reports
// every level change of the IN, OUT, BB, RB (and, where wired, replay) lines
// with its own millisecond time stamp. EdgeDecoder turns those edges into
// event codes; EdgeBoard hands every code decoded so far to the poll.
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

#include "session/event_source.h"

namespace tobrak {

class EdgeDecoder {
public:
    static constexpr std::int64_t kDebounceMs = 15;          // a level must hold this long
    static constexpr std::int64_t kBurstEndMs = 400;         // IN pulses closer than this are one game
    static constexpr std::int64_t kLinkSlackMs = 100;        // lines reach the computer this late at worst
    static constexpr std::uint32_t kStampPeriod = 1u << 30;  // board time stamps wrap here
    static constexpr std::int64_t kJumpMs = 60'000;          // a stamp this far ahead of the computer's clock jumped
    static constexpr std::int64_t kOrderSlackMs = 1000;      // a stamp this far back, this soon, is only out of order
    static constexpr std::size_t kMaxLine = 256;             // longer is noise, not the protocol

    enum Line { In, Out, BB, RB, Replay, kLines };

    // One line of the protocol, received at `hostMs` (the computer's steady clock).
    // Returns false for a line that is not of the protocol; it is counted and ignored.
    bool feed(std::string_view line, std::int64_t hostMs);
    // Lets the computer's clock close what no further edge will: a game's IN burst
    // after its quiet time, a level that has held past the debounce time.
    void advance(std::int64_t hostMs);

    std::deque<std::uint8_t>& codes() { return codes_; }
    int resets() const { return resets_; }
    int jumps() const { return jumps_; }           // times the board's clock jumped (and was followed by ours)
    std::int64_t time() const { return last_.t; }  // the latest line's time, in our own time base
    int badLines() const { return badLines_; }
    // What the last unusual line was, for the user ("" while all is well).
    const std::string& note() const { return note_; }

private:
    struct Level {
        bool raw = false, level = false;
        std::int64_t since = 0;  // when raw last changed
    };

    // A board stamp and the time it stands for, on both clocks.
    struct Anchor {
        std::uint32_t stamp = 0;
        std::int64_t t = 0, host = 0;
    };

    bool hello(std::string_view rest, std::int64_t hostMs);
    std::int64_t stamp(std::uint32_t boardMs, std::int64_t hostMs);
    static std::int64_t boardStep(const Anchor& from, std::uint32_t boardMs, std::int64_t hostMs);
    void runUntil(std::int64_t t);
    void accept(int line, bool active, std::int64_t t);
    void closeBurst();

    std::array<Level, kLines> lines_{};
    std::deque<std::uint8_t> codes_;
    bool started_ = false;  // a time base exists
    Anchor last_;           // the latest line
    Anchor before_;         // the time base before a jump, until a line confirms the new one
    bool jumped_ = false;
    bool burst_ = false, replay_ = false;
    int bet_ = 0;
    std::int64_t burstDue_ = 0;
    int resets_ = 0, jumps_ = 0, badLines_ = 0;
    std::string note_;
};

// The link to an edge board: complete lines in, a request line out.
class LineSource {
public:
    enum class Read { Line, None, Lost };
    virtual ~LineSource() = default;
    // Opens the link if it is closed (at most now and then); true while it is open.
    virtual bool open() = 0;
    virtual Read readLine(std::string& line) = 0;
    virtual void writeLine(const std::string& line) = 0;
    virtual std::string lastError() const = 0;
};

// The board counts as reachable once it has said something of the protocol
// since the port was opened (it answers "?" at once), so a wrong port or a
// board without the firmware shows as not reachable.
class EdgeBoard final : public EventSource {
public:
    static constexpr std::int64_t kAskMs = 1000;  // "?" again while the board is silent

    using Clock = std::function<std::int64_t()>;  // milliseconds, steady
    explicit EdgeBoard(LineSource& source, Clock clock = {});

    void poll(EventSink& sink, bool recordFull) override;
    std::string problem() const override { return source_.lastError(); }
    std::string note() const override { return decoder_.note(); }

    const EdgeDecoder& decoder() const { return decoder_; }

private:
    bool read();  // false: not reachable now

    LineSource& source_;
    Clock clock_;
    EdgeDecoder decoder_;
    bool open_ = false;
    bool heard_ = false;  // a line of the protocol came since the port was opened
    std::int64_t askedAt_ = 0;
};

}  // namespace tobrak
