#pragma once
// A drawing surface in twips, origin top-left, y downwards. It keeps what is
// drawn on it. The main graph, the zoom window, the charts and the printed page
// are all drawn through this one interface.
#include <cstdint>
#include <limits>
#include <string>

#include "platform/controls.h"

namespace tobrak {

class Surface {
public:
    virtual ~Surface() = default;
    // Back to the background colour.
    virtual void cls() = 0;
    // A line; the text position moves to its end. Every line drawn comes here. A
    // surface that shows only part of the twips (see `showOnly`) goes no further
    // with a line wholly outside that part: a grid spans the whole axis and a
    // record is replayed whole where a screenful is seen, and those lines then
    // cost a few compares each.
    void line(float x1, float y1, float x2, float y2, Rgb c) {
        cx_ = x2;
        cy_ = y2;
        if (beyond(x1, x2, shown_.left, shown_.right) || beyond(y1, y2, shown_.top, shown_.bottom)) return;
        drawLine(x1, y1, x2, y2, c);
    }
    // A rectangle outlined in `outline`; filled with the fill colour when `filled`.
    virtual void box(float x1, float y1, float x2, float y2, Rgb outline, bool filled) = 0;
    virtual void pset(float x, float y, Rgb c) = 0;
    // Line width in pixels.
    virtual void setDrawWidth(int px) = 0;
    virtual void setFillColor(Rgb c) = 0;
    virtual void setFontSize(float points) = 0;
    virtual void setForeColor(Rgb c) = 0;
    // The text position (moved also by line, box and pset).
    void setCurrentXY(float x, float y) {
        cx_ = x;
        cy_ = y;
    }
    float currentX() const { return cx_; }
    float currentY() const { return cy_; }
    // Text with its top-left corner at the text position.
    virtual void print(const std::string& utf8) = 0;

    // The part of the twips this surface shows; unbounded unless it said otherwise.
    // Procedures may leave out work that cannot reach it.
    struct Shown {
        float left = -std::numeric_limits<float>::infinity();
        float top = -std::numeric_limits<float>::infinity();
        float right = std::numeric_limits<float>::infinity();
        float bottom = std::numeric_limits<float>::infinity();
        bool all() const { return left == -std::numeric_limits<float>::infinity() && right == -left; }
    };
    const Shown& shown() const { return shown_; }

protected:
    // Draws a line that may be seen.
    virtual void drawLine(float x1, float y1, float x2, float y2, Rgb c) = 0;
    // Lines wholly left of `left`, right of `right`, above `top` or below `bottom`
    // (twips) change nothing on this surface. The bounds must allow for the pen.
    void showOnly(float left, float top, float right, float bottom) { shown_ = {left, top, right, bottom}; }

private:
    static bool beyond(float a, float b, float low, float high) {
        return (a < low && b < low) || (a > high && b > high);
    }
    Shown shown_;
    float cx_ = 0, cy_ = 0;
};

// A surface that shows nothing: work done only for the state it leaves.
class NoSurface final : public Surface {
public:
    NoSurface() {
        constexpr float inf = std::numeric_limits<float>::infinity();
        showOnly(inf, inf, -inf, -inf);
    }
    void cls() override {}
    void box(float, float, float, float, Rgb, bool) override {}
    void pset(float, float, Rgb) override {}
    void setDrawWidth(int) override {}
    void setFillColor(Rgb) override {}
    void setFontSize(float) override {}
    void setForeColor(Rgb) override {}
    void print(const std::string&) override {}

protected:
    void drawLine(float, float, float, float, Rgb) override {}
};

// A number in the surface form (" 12 ", "-5 ") at (x, y).
void printNumberAt(Surface& s, float x, float y, std::int64_t v);

}  // namespace tobrak
