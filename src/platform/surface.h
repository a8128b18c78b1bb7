#pragma once
// A drawing surface in twips, origin top-left, y downwards. It keeps what is
// drawn on it. The main graph, the zoom window, the charts and the printed page
// are all drawn through this one interface.
#include <cstdint>
#include <string>

#include "platform/controls.h"

namespace tobrak {

class Surface {
public:
    virtual ~Surface() = default;
    // Back to the background colour.
    virtual void cls() = 0;
    virtual void line(float x1, float y1, float x2, float y2, Rgb c) = 0;
    // A rectangle outlined in `outline`; filled with the fill colour when `filled`.
    virtual void box(float x1, float y1, float x2, float y2, Rgb outline, bool filled) = 0;
    virtual void pset(float x, float y, Rgb c) = 0;
    // Line width in pixels.
    virtual void setDrawWidth(int px) = 0;
    virtual void setFillColor(Rgb c) = 0;
    virtual void setFontSize(float points) = 0;
    virtual void setForeColor(Rgb c) = 0;
    virtual void setCurrentXY(float x, float y) = 0;
    // Text with its top-left corner at the text position.
    virtual void print(const std::string& utf8) = 0;
};

// A number in the surface form (" 12 ", "-5 ") at (x, y).
void printNumberAt(Surface& s, float x, float y, std::int64_t v);

}  // namespace tobrak
