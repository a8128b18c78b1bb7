#pragma once
// Sideways scrolling of the slump graph along its 90000-medal axis; the zoom
// frame and window follow.
#include <cstdint>

#include "graph/zoom.h"

namespace tobrak {

class GraphScroll {
public:
    GraphScroll(SlumpGraph& graph, ZoomView& zoom) : graph_(graph), zoom_(zoom) {}

    // The main window's boxes whose widths bound the forward steps.
    const Box* Picture1 = nullptr;
    const Box* Picture2 = nullptr;
    const FormWindow* form = nullptr;

    void GhpScrollBack(std::int32_t step);
    void GhpScrollFwd(std::int32_t step);
    void Hidari_Click();   // "<<<"
    void Dhidari_Click();  // "≪≪"
    void Migi_Click();     // ">>>"
    void Dmigi_Click();    // "≫≫"
    // The Home and End keys: back to the start of the record; to the view that shows
    // the newest game (`medalsIn`, the medals in so far) with what led up to it.
    void toStart();
    void toLatest(std::int32_t medalsIn);

private:
    void rebuild(std::int32_t scrollDelta);

    SlumpGraph& graph_;
    ZoomView& zoom_;
};

}  // namespace tobrak
