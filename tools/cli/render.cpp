// `render`: the main graph as the window shows it after a load, as a PNG.
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <memory>
#include <ostream>

#include "app/filedisp.h"
#include "app/headless/headless_app.h"
#include "commands.h"
#include "graph/slump_graph.h"
#include "gui.h"
#include "platform/qt/fonts.h"
#include "platform/qt/image_surface.h"
#include "platform/qt/twips.h"
#include "util/durable_file.h"

namespace tobrak::cli {

int render(const RenderArgs& a, Io& io) {
    if (const int st = refuseSameFile(a.png, {a.file}, io)) return st;
    const auto app = guiApp();
    using qt::px;
    const int graphWidth = kClientWidth - con_P2left;
    qt::ImageSurface graph(rgb::LightBlue, QSize(px(graphWidth), px(kPanelHeight)));
    qt::ImageSurface strip(rgb::LightBlue, QSize(px(600), px(5090)));

    headless::HeadlessApp headless(nullptr);
    Program& c = headless.program;
    c.ui.Picture2 = &graph;
    c.ui.Picture3 = &strip;
    c.attach();
    MekakusiChr(strip, 1.0f, Ghp_Left, 30);
    if (const int st = loadForCli(c, a.file, io)) return st;

    // The label strip lies over the graph's left end, as in the window.
    QImage out = graph.image().copy();
    {
        QPainter p(&out);
        p.drawImage(QPointF(px(1575 - con_P2left), px(Ghp_Top - 20)), strip.image());
    }
    // Made in memory, then written whole: a failed write never leaves a cut picture.
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !out.save(&buffer, "PNG"))
        return fileError(io.err, "cannot write " + a.png);
    return writeOutput(a.png, std::string_view(png.constData(), static_cast<std::size_t>(png.size())), io);
}

}  // namespace tobrak::cli
