#include "platform/headless/recording_surface.h"

#include <cstdio>

namespace tobrak::headless {

namespace {

std::string hex(Rgb c) {
    char b[8];
    std::snprintf(b, sizeof b, "%06X", static_cast<unsigned>(c & 0xFFFFFF));
    return b;
}

std::string num(float v) {
    char b[32];
    std::snprintf(b, sizeof b, "%.2f", static_cast<double>(v));
    return b;
}

std::string quoted(const std::string& s) {
    std::string q = "\"";
    for (char ch : s) {
        if (ch == '"' || ch == '\\') q += '\\';
        q += ch;
    }
    return q + "\"";
}

}  // namespace

void RecordingSurface::cls() {
    if (logging) ops.emplace_back("cls");
}

void RecordingSurface::drawLine(float x1, float y1, float x2, float y2, Rgb c) {
    ++lines;
    if (logging) ops.push_back("line " + num(x1) + " " + num(y1) + " " + num(x2) + " " + num(y2) + " " + hex(c));
}

void RecordingSurface::box(float x1, float y1, float x2, float y2, Rgb outline, bool filled) {
    setCurrentXY(x2, y2);
    if (logging)
        ops.push_back("box " + num(x1) + " " + num(y1) + " " + num(x2) + " " + num(y2) + " " + hex(outline) + " " +
                      (filled ? hex(fillColor) : std::string("-")));
}

void RecordingSurface::pset(float x, float y, Rgb c) {
    setCurrentXY(x, y);
    if (logging) ops.push_back("pset " + num(x) + " " + num(y) + " " + hex(c));
}

void RecordingSurface::setDrawWidth(int px) {
    drawWidth = px;
    if (logging) ops.push_back("width " + std::to_string(px));
}

void RecordingSurface::setFillColor(Rgb c) {
    fillColor = c;
    if (logging) ops.push_back("fill " + hex(c));
}

void RecordingSurface::font() {
    if (logging) ops.push_back("font " + num(fontSize) + " " + hex(foreColor));
}

void RecordingSurface::setFontSize(float points) {
    fontSize = points;
    font();
}

void RecordingSurface::setForeColor(Rgb c) {
    foreColor = c;
    font();
}

void RecordingSurface::print(const std::string& utf8) {
    if (logging) ops.push_back("text " + num(currentX()) + " " + num(currentY()) + " " + quoted(utf8));
}

}  // namespace tobrak::headless
