// Writes the fuzzers' seed corpus: play-data files short and full, journals
// whole and damaged, long poll streams of the simulated machine, and edge
// board lines.
//   fuzz_make_corpus OUTDIR      (OUTDIR/fuzz_load, OUTDIR/fuzz_acquisition, OUTDIR/fuzz_edge)
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "acquisition/status_view.h"
#include "app/headless/headless_app.h"
#include "boards/edge_board.h"
#include "boards/sim_board.h"
#include "record/journal.h"
#include "record/slt_file.h"

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

void write(const fs::path& p, const Bytes& b) {
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), static_cast<long>(b.size()));
    std::printf("%-40s %6zu bytes\n", p.string().c_str(), b.size());
}

// The simulated machine, with every poll the program makes written down in the
// fuzz_acquisition input language: the code taken or 0x7F for nothing new, and
// a blink tick (0xF8) after every fourth poll.
class Recorder final : public tobrak::EventSource, private tobrak::EventSink {
public:
    explicit Recorder(tobrak::SimOptions o) : sim_(o) {}
    void poll(tobrak::EventSink& sink, bool recordFull) override {
        out_ = &sink;
        taken_ = false;
        sim_.poll(*this, recordFull);
        if (!taken_) stream.push_back(0x7F);
        if (++polls_ % 4 == 0) stream.push_back(0xF8);
    }
    Bytes stream;

private:
    void boardState(bool reachable) override { out_->boardState(reachable); }
    void arrived(std::uint8_t code) override {
        stream.push_back(code);
        taken_ = true;
        out_->arrived(code);
    }

    tobrak::SimBoard sim_;
    tobrak::EventSink* out_ = nullptr;
    bool taken_ = false;
    long polls_ = 0;
};

struct Played {
    tobrak::PlayRecord rec;
    Bytes stream;
};

Played play(std::uint64_t seed, double speed, int polls) {
    Recorder board({.seed = seed, .speed = speed});
    tobrak::headless::HeadlessApp app(&board);
    app.ui.Picture2s.logging = false;
    app.ui.Zoom.logging = false;
    for (int i = 0; i < polls; ++i) app.run(tobrak::kPollMs);
    return {app.program.rec, board.stream};
}

Bytes journalOf(const tobrak::PlayRecord& rec, const fs::path& dir) {
    auto j = tobrak::Journal::open(dir.string());
    tobrak::PlayRecord r = rec;
    const std::int32_t half = tobrak::kHeaderLen + rec.games() / 2;
    r.Dat_Len = half;
    r.Dat_Buf[half] = 0;
    if (!j->begin(r, 0)) {
        std::fprintf(stderr, "journal: %s\n", j->problem().c_str());
        std::exit(1);
    }
    for (std::int32_t i = half; i < rec.Dat_Len; ++i) {
        r.Dat_Buf[r.Dat_Len++] = rec.Dat_Buf[i];
        r.Dat_Buf[r.Dat_Len] = 0;
        j->byteSet(r, i, 0);
    }
    j->header(r, 1);
    std::ifstream in(j->path(), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Edge lines in the fuzz_edge input language: board lines, and "+N" for the
// computer's clock moving on N ms. Games of three bets and a payout each, the
// board's clock starting at `base`; `disturb` is called before game 5.
struct EdgeScript {
    std::string text;
    std::int64_t t = 0;
    std::uint32_t base = 0;
    std::string stamp(std::int64_t extra = 0) const {
        return std::to_string((t + base + extra) % tobrak::EdgeDecoder::kStampPeriod);
    }
    void pulse(char line) {
        text += line + std::string("1 ") + stamp() + "\n+50\n";
        t += 50;
        text += line + std::string("0 ") + stamp() + "\n+50\n";
        t += 50;
    }
};

template <class F>
Bytes edgePlay(std::uint32_t base, int games, F disturb) {
    EdgeScript s;
    s.base = base;
    s.text = "H 1 " + s.stamp() + " 00000 Q\n";
    for (int g = 0; g < games; ++g) {
        if (g == 5) disturb(s);
        for (int i = 0; i < 3; ++i) s.pulse('I');
        s.text += "+500\n";
        s.t += 500;
        s.pulse('O');
        if (g % 7 == 3) s.text += "B1 " + s.stamp() + "\n";
        if (g % 7 == 5) s.text += "B0 " + s.stamp() + "\n";
    }
    return Bytes(s.text.begin(), s.text.end());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    const fs::path out = argv[1], load = out / "fuzz_load", acq = out / "fuzz_acquisition", edge = out / "fuzz_edge";
    fs::create_directories(load);
    fs::create_directories(acq);
    fs::create_directories(edge);

    // Play data: a few games, and a record filled to the end with real play.
    const Played some = play(11, 1.0, 2500);
    const Played busy = play(12, 50.0, 12000);
    write(load / "short.slt", tobrak::encodeSlt(some.rec));
    tobrak::PlayRecord full = busy.rec;
    for (std::int32_t i = tobrak::kHeaderLen; full.Dat_Len < tobrak::kDatMax; ++i)
        full.Dat_Buf[full.Dat_Len++] = busy.rec.Dat_Buf[i];
    full.Dat_Buf[full.Dat_Len] = 0;
    write(load / "full.slt", tobrak::encodeSlt(full));

    // Journals: whole, cut inside an entry, and with one byte of an entry changed.
    const fs::path tmp = fs::temp_directory_path() / ("tobrak-corpus-" + std::to_string(::getpid()));
    const Bytes journal = journalOf(some.rec, tmp);
    fs::remove_all(tmp);
    write(load / "journal", journal);
    write(load / "journal-cut", Bytes(journal.begin(), journal.begin() + static_cast<long>(journal.size() * 2 / 3)));
    Bytes flipped = journal;
    flipped[flipped.size() / 2] ^= 0x10;
    write(load / "journal-flipped", flipped);

    // Poll streams: idle polls between games at normal speed, thousands of
    // games back to back, the end of a nearly full record, and a line that fails.
    Bytes s = {0};
    s.insert(s.end(), some.stream.begin(), some.stream.end());
    write(acq / "slow-play", s);
    s = {0};
    s.insert(s.end(), busy.stream.begin(), busy.stream.end());
    write(acq / "long-play", s);
    s = {1};
    s.insert(s.end(), busy.stream.begin(), busy.stream.begin() + 4000);
    write(acq / "full-record", s);
    for (std::size_t i = 1; i < s.size(); i += 37) s[i] = 0xF0;
    write(acq / "failing-line", s);

    // Edge lines: plain play, the count wrapping, a restart with its hello and
    // one whose hello was missed, stamps jumping ahead and back, an overlong line.
    write(edge / "play", edgePlay(1000, 40, [](EdgeScript&) {}));
    write(edge / "wrap", edgePlay(tobrak::EdgeDecoder::kStampPeriod - 3000, 20, [](EdgeScript&) {}));
    write(edge / "restart", edgePlay(600'000, 20, [](EdgeScript& e) {
              e.base = static_cast<std::uint32_t>(20 - e.t);
              e.text += "+3000\nH 1 " + e.stamp() + " 00000 B\n";
          }));
    write(edge / "replug", edgePlay(600'000, 20, [](EdgeScript& e) {
              e.base = static_cast<std::uint32_t>(1500 - e.t);
              e.text += "+3000\nH 1 " + e.stamp() + " 00000 Q\n";
          }));
    write(edge / "jumps", edgePlay(5000, 20, [](EdgeScript& e) {
              e.text += "O1 " + e.stamp(800'000) + "\nO0 " + e.stamp(50) + "\n+100\n";
              e.text += "I1 " + e.stamp(-600'000) + "\nI0 " + e.stamp(100) + "\n";
          }));
    write(edge / "long-line", edgePlay(5000, 10, [](EdgeScript& e) {
              e.text += std::string(257, 'x') + "O1 " + e.stamp() + "\nA1 " + e.stamp() + "\n";
          }));
    return 0;
}
