// Speed of the whole-picture rebuilds: the main graph's redraw and the zoom
// window's rebuild, on the Qt surface and on the recording surface (logic only).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <memory>

#include "acquisition/rs232.h"
#include "app/filedisp.h"
#include "graph/slump_graph.h"
#include "graph/zoom.h"
#include "platform/headless/memory_ui.h"
#include "platform/qt/fonts.h"
#include "platform/qt/image_surface.h"
#include "platform/qt/twips.h"
#include "platform/sim_board.h"

namespace {

using namespace tobrak;

// A started program holding `games` games of the simulated machine, its graph
// surfaces either Qt images at the designed size or the recording ones.
struct Fixture {
    Fixture(int games, bool qtSurfaces) : sim({.seed = 1, .speed = 100.0}), app(&sim) {
        app.ui.Picture2s.logging = false;
        app.ui.Zoom.logging = false;
        while (app.core.rec.games() < games) app.run(kPollMs);
        app.core.ui.board = &none;
        app.core.rec.Ghp_Pos = app.core.rec.Dat_Len + 1;  // everything completed, as after a load
        if (qtSurfaces) {
            graph = std::make_unique<qt::ImageSurface>(rgb::LightBlue, QSize(qt::px(kClientWidth - con_P2left), qt::px(kPanelHeight)));
            zoom = std::make_unique<qt::ImageSurface>(0x008000, QSize(qt::px(5200), qt::px(5200)));
            app.core.ui.Picture2 = graph.get();
            app.core.ui.Zoom = zoom.get();
        }
    }
    void finish() {
        if (graph) benchmark::DoNotOptimize(graph->image().constBits());
        if (zoom) benchmark::DoNotOptimize(zoom->image().constBits());
    }
    SimBoard sim;
    NoBoard none;
    headless::HeadlessApp app;
    std::unique_ptr<qt::ImageSurface> graph, zoom;
};

void BM_MainRedraw(benchmark::State& st) {
    Fixture f(static_cast<int>(st.range(0)), st.range(1) != 0);
    for (auto _ : st) {
        GhpStandardRedraw(f.app.core);
        f.finish();
    }
    st.SetLabel(st.range(1) ? "qt" : "recording");
}
BENCHMARK(BM_MainRedraw)
    ->ArgsProduct({{0, 3000, 31000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// Zoom at a factor with the frame in the middle of the record; one rebuild as a mouse release makes it.
void BM_ZoomRebuild(benchmark::State& st) {
    Fixture f(31000, st.range(1) != 0);
    Core& c = f.app.core;
    G_zoom_Click(c, static_cast<int>(st.range(0)));
    c.graph.Ghp_Scroll = -40000;
    Sub_Sub1(c, 5000, 2720);
    for (auto _ : st) {
        Picture2_MouseUp(c, 1, 0, 5000, 2720);
        f.finish();
    }
    static const char* names[] = {"x3", "x5", "x10"};
    st.SetLabel(std::string(names[st.range(0)]) + (st.range(1) ? " qt" : " recording"));
}
BENCHMARK(BM_ZoomRebuild)->ArgsProduct({{0, 1, 2}, {0, 1}})->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    tobrak::qt::installFonts();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
