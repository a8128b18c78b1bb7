#pragma once
#include <limits>
// A surface that draws nothing and logs every call, one line each:
//   cls | width N | line X1 Y1 X2 Y2 RRGGBB | pset X Y RRGGBB | font SIZE RRGGBB |
//   fill RRGGBB | text X Y "STRING" | box X1 Y1 X2 Y2 RRGGBB RRGGBB|-
// Numbers %.2f, colours uppercase hex.
#include <string>
#include <vector>

#include "platform/surface.h"

namespace tobrak::headless {

class RecordingSurface final : public Surface {
public:
    void cls() override;
    void box(float x1, float y1, float x2, float y2, Rgb outline, bool filled) override;
    void pset(float x, float y, Rgb c) override;
    void setDrawWidth(int px) override;
    void setFillColor(Rgb c) override;
    void setFontSize(float points) override;
    void setForeColor(Rgb c) override;
    void print(const std::string& utf8) override;

    // Shows only twips left .. right, as a window shows part of the axis.
    void showOnlyBetween(float left, float right) {
        showOnly(left, -std::numeric_limits<float>::infinity(), right, std::numeric_limits<float>::infinity());
    }
    // Logging can be switched off where only the state matters (long simulations).
    bool logging = true;
    std::vector<std::string> ops;
    // Counted whether logged or not.
    long lines = 0;
    float fontSize = 9.0f;
    Rgb foreColor = rgb::Black;
    Rgb fillColor = rgb::Black;
    int drawWidth = 1;

protected:
    void drawLine(float x1, float y1, float x2, float y2, Rgb c) override;

private:
    void font();
};

}  // namespace tobrak::headless
