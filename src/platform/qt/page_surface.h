#pragma once
// A surface on a page (printer or PDF): twips from the printable area's top-left
// corner mapped to device units by the device's resolution.
#include <QPainter>

#include "platform/surface.h"

namespace tobrak::qt {

class PageSurface final : public Surface {
public:
    // `painter` is active on the page device; `dpi` is the device's resolution.
    PageSurface(QPainter& painter, double dpi);

    void cls() override {}  // a page starts empty and is never cleared
    void box(float x1, float y1, float x2, float y2, Rgb outline, bool filled) override;
    void pset(float x, float y, Rgb c) override;
    void setDrawWidth(int px) override { width_ = px < 1 ? 1 : px; }
    void setFillColor(Rgb c) override { fill_ = c; }
    void setFontSize(float points) override { fontSize_ = points; }
    void setForeColor(Rgb c) override { fore_ = c; }
    void print(const std::string& utf8) override;

protected:
    void drawLine(float x1, float y1, float x2, float y2, Rgb c) override;

private:
    QPointF at(float x, float y) const { return {x * k_, y * k_}; }
    QPen pen(Rgb c) const;

    QPainter& p_;
    double dpi_;
    double k_;  // device units per twip
    int width_ = 1;
    Rgb fill_ = 0;
    Rgb fore_ = 0;
    float fontSize_ = 9.0f;
};

}  // namespace tobrak::qt
