#include "app/qt/live_graph.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include "graph/slump_graph.h"
#include "platform/qt/image_surface.h"
#include "platform/qt/twips.h"
#include "record/slt_file.h"

namespace tobrak::qt {

std::string graphPng(const std::vector<std::uint8_t>& slt) { return graphPngAt(slt, 0); }

std::string graphPngAt(const std::vector<std::uint8_t>& slt, std::int32_t scroll, double expectedRate) {
    // A graph of its own replays the record, so the window's graph is left as it is.
    PlayRecord rec;
    if (decodeSlt(slt, rec) != SltStatus::Ok) return {};
    const Markers mark = markersOf(rec.Dat_Buf[43]);
    ImageSurface graph(rgb::LightBlue, QSize(px(kClientWidth - con_P2left), px(kPanelHeight)));
    ImageSurface strip(rgb::LightBlue, QSize(px(600), px(5090)));
    SlumpGraph g(rec, mark);
    g.Picture2 = &graph;
    g.Picture3 = &strip;
    g.recordReplaced();
    g.expectedRate = expectedRate;
    MekakusiChr(strip, 1.0f, Ghp_Left, 30);
    g.Ghp_Scroll = scroll;
    g.GhpStandardRedraw(/*originDot=*/scroll == 0);  // a scrolled graph has no origin in view
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
