#include "platform/surface.h"

#include "util/format.h"

namespace tobrak {

void printNumberAt(Surface& s, float x, float y, std::int64_t v) {
    s.setCurrentXY(x, y);
    s.print(surfaceNumber(v));
}

}  // namespace tobrak
