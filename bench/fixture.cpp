#include "fixture.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "acquisition/status_view.h"
#include "app/file_commands.h"
#include "app/filedisp.h"
#include "boards/sim_board.h"
#include "graph/slump_graph.h"
#include "graph/zoom.h"
#include "platform/qt/twips.h"

namespace tobrak::bench {

namespace {

namespace fs = std::filesystem;

// The temporary folder of this run, removed at exit.
struct Folder {
    Folder() : path(fs::temp_directory_path() / ("tobrak-bench-" + std::to_string(::getpid()))) {
        fs::create_directories(path);
    }
    ~Folder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    fs::path path;
};

Folder& folder() {
    static Folder f;
    return f;
}

// The longest record, played once: every shorter record is its beginning.
const PlayRecord& simulated() {
    static const PlayRecord rec = [] {
        SimBoard sim({.seed = 1, .speed = 100.0});
        headless::HeadlessApp app(&sim);
        app.ui.Picture2s.logging = false;
        app.ui.Picture3s.logging = false;
        app.ui.Zoom.logging = false;
        while (app.program.rec.games() < kMaxFileGames) app.run(kPollMs);
        return app.program.rec;
    }();
    return rec;
}

}  // namespace

std::string benchFolder() { return folder().path.string(); }

const std::vector<std::uint8_t>& longRecordGames() {
    static const std::vector<std::uint8_t> games = [] {
        const PlayRecord& r = simulated();
        return std::vector<std::uint8_t>(r.Dat_Buf.begin() + kHeaderLen,
                                         r.Dat_Buf.begin() + kHeaderLen + kMaxFileGames);
    }();
    return games;
}

const std::string& recordFile(int games) {
    static std::map<int, std::string> files;
    auto it = files.find(games);
    if (it != files.end()) return it->second;
    headless::HeadlessApp app(nullptr);
    app.program.rec = simulated();
    app.program.rec.Dat_Len = kHeaderLen + std::min(games, kMaxFileGames);
    std::string& path = files[games];
    const std::string file = (folder().path / ("games-" + std::to_string(games) + ".slt")).string();
    if (savePlayData(app.program, file)) path = file;  // else empty: load() reports it
    return path;
}

const char* name(Surfaces s) { return s == Surfaces::Qt ? "qt" : "recording"; }

Started::Started(Surfaces s) {
    app.ui.Picture2s.logging = false;
    app.ui.Picture3s.logging = false;
    app.ui.Zoom.logging = false;
    if (s != Surfaces::Qt) return;
    // The window's surfaces at their designed sizes.
    using qt::px;
    graph = std::make_unique<qt::ImageSurface>(rgb::LightBlue, QSize(px(kClientWidth - con_P2left), px(kPanelHeight)));
    strip = std::make_unique<qt::ImageSurface>(rgb::LightBlue, QSize(px(600), px(5090)));
    zoom = std::make_unique<qt::ImageSurface>(0x008000, QSize(px(5200), px(5200)));
    Program& c = app.program;
    c.ui.Picture2 = graph.get();
    c.ui.Picture3 = strip.get();
    c.ui.Zoom = zoom.get();
    c.attach();
    // What Form_Load drew on the recording surfaces, again on these.
    zoom->setForeColor(rgb::White);
    MekakusiChr(*strip, 1.0f, Ghp_Left, 30);
    GhpClrInit(c);
    c.zoom.X4GhpInit();
    finish();
}

bool Started::load(benchmark::State& st, int games) {
    const std::string& path = recordFile(games);
    if (path.empty() || !loadPlayData(app.program, path)) {
        st.SkipWithError("the record file could not be written or loaded");
        return false;
    }
    finish();
    return true;
}

void Started::finish() {
    for (qt::ImageSurface* s : {graph.get(), strip.get(), zoom.get()})
        if (s) benchmark::DoNotOptimize(s->image().constBits());
}

std::int32_t lastPartOfRecord(const Program& c) {
    const std::int32_t width = c.ui.main.Picture2->width();
    const std::int32_t shown = std::clamp((c.cnt.Tot_In - width + 2000) / 1000 * 1000, 0, c.graph.con_Inmax - 5000);
    return -shown;
}

MiddleOfRecord middleOfRecord(const Program& c) {
    const std::int32_t mid = c.cnt.Tot_In / 2;
    const std::int32_t shown = std::max(0, (mid - 5000) / 1000 * 1000);
    return {-shown, Ghp_Left + static_cast<float>(mid - shown)};
}

}  // namespace tobrak::bench
