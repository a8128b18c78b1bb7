#include "app/qt/live_graph.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include "app/file_commands.h"
#include "app/filedisp.h"
#include "app/headless/headless_app.h"
#include "graph/slump_graph.h"
#include "platform/qt/image_surface.h"
#include "platform/qt/twips.h"

namespace tobrak::qt {

std::string graphPng(const std::vector<std::uint8_t>& slt) {
    ImageSurface graph(rgb::LightBlue, QSize(px(kClientWidth - con_P2left), px(kPanelHeight)));
    ImageSurface strip(rgb::LightBlue, QSize(px(600), px(5090)));
    // A program of its own replays the record, so the window's graph is left as it is.
    headless::HeadlessApp replay(nullptr);
    replay.program.ui.Picture2 = &graph;
    replay.program.ui.Picture3 = &strip;
    replay.program.attach();
    MekakusiChr(strip, 1.0f, Ghp_Left, 30);
    if (!loadPlayImage(replay.program, slt)) return {};
    QImage out = graph.image().copy();
    {
        // The label strip lies over the graph's left end, as in the window.
        QPainter p(&out);
        p.drawImage(QPointF(px(1575 - con_P2left), px(Ghp_Top - 20)), strip.image());
    }
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !out.save(&buffer, "PNG")) return {};
    return png.toStdString();
}

}  // namespace tobrak::qt
