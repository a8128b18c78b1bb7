// tobrak_pictures FILE.slt OUTDIR: the pictures of the Qt surfaces for one file,
// as PNG files: the graph after the load and at other scroll steps, on a 2x
// screen too, the zoom window at each factor and a few frame places, every
// chart and the graph after "戻る", and live play on the simulated machine with
// the zoom window open. A speed change must leave every one of them
// byte-identical: run it before and after and compare the folders.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <memory>
#include <string>

#include "acquisition/status_view.h"
#include "analysis/histogram.h"
#include "app/file_commands.h"
#include "app/filedisp.h"
#include "app/headless/headless_app.h"
#include "boards/sim_board.h"
#include "graph/slump_graph.h"
#include "graph/zoom.h"
#include "platform/qt/fonts.h"
#include "platform/qt/image_surface.h"
#include "platform/qt/twips.h"

namespace {

using namespace tobrak;

// A started program drawing on Qt images of the window's sizes.
struct Window {
    explicit Window(EventSource* board, qreal ratio = 1.0)
        : app(board),
          graph(rgb::LightBlue, QSize(qt::px(kClientWidth - con_P2left), qt::px(kPanelHeight)), ratio),
          zoom(0x008000, QSize(qt::px(5200), qt::px(5200)), ratio) {
        Program& c = app.program;
        c.ui.Picture2 = &graph;
        c.ui.Zoom = &zoom;
        c.attach();
        zoom.setForeColor(rgb::White);
        GhpClrInit(c);
        c.zoom.X4GhpInit();
    }
    headless::HeadlessApp app;
    qt::ImageSurface graph, zoom;
};

bool save(qt::ImageSurface& s, const QString& dir, const std::string& name) {
    const QString path = dir + "/" + QString::fromStdString(name) + ".png";
    if (s.image().save(path, "PNG")) return true;
    std::fprintf(stderr, "tobrak_pictures: cannot write %s\n", qPrintable(path));
    return false;
}

int run(const std::string& file, const QString& dir) {
    bool ok = true;
    for (const qreal ratio : {1.0, 2.0}) {
        Window w(nullptr, ratio);
        Program& c = w.app.program;
        if (!loadPlayData(c, file)) {
            std::fprintf(stderr, "tobrak_pictures: cannot load %s\n", file.c_str());
            return 1;
        }
        const std::string r = ratio == 1.0 ? "" : "@2x";
        ok &= save(w.graph, dir, "graph-load" + r);
        for (const int scroll : {5000, 40000, 80000}) {
            c.graph.Ghp_Scroll = -scroll;
            c.graph.GhpStandardRedraw();
            ok &= save(w.graph, dir, "graph-scroll" + std::to_string(scroll) + r);
        }
        if (ratio != 1.0) continue;
        c.graph.Ghp_Scroll = -40000;
        c.graph.GhpStandardRedraw();
        for (const int factor : {0, 1, 2}) {
            c.zoom.G_zoom_Click(factor);
            for (const auto& [x, y] :
                 {std::pair{700.0f, 300.0f}, std::pair{5000.0f, 2720.0f}, std::pair{9800.0f, 5000.0f}}) {
                c.zoom.Picture2_MouseDown(mouse::Left, 0, x, y);
                c.zoom.Picture2_MouseUp(mouse::Left, 0, x, y);
                ok &= save(w.zoom, dir,
                           "zoom" + std::to_string(factor) + "-" + std::to_string(static_cast<int>(x)) + "-" +
                               std::to_string(static_cast<int>(y)));
            }
        }
        c.zoom.G_zoom_Click(3);
        for (const int n : {0, 2, 3, 4, 6, 7, 8}) {
            Kaiseki_Click(c, n);
            ok &= save(w.graph, dir, "chart" + std::to_string(n));
        }
        HistEnd_Click(c);
        ok &= save(w.graph, dir, "graph-back");
    }
    // Live play: every game drawn as it comes, the bonus marks written as they happen.
    SimBoard sim({.seed = 3, .speed = 100.0});
    Window live(&sim);
    live.app.program.zoom.G_zoom_Click(1);
    while (live.app.program.rec.games() < 2500) live.app.run(kPollMs);
    ok &= save(live.graph, dir, "live-graph");
    ok &= save(live.zoom, dir, "live-zoom");
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: tobrak_pictures FILE.slt OUTDIR\n");
        return 2;
    }
    qt::installFonts();
    const QString dir = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(dir);
    return run(argv[1], dir);
}
