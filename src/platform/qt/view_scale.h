#pragma once
// The view scale: every window, font and drawing of the program made larger
// (or back) while it runs, the twips of the logic unchanged.
#include <QWidget>
#include <vector>

namespace tobrak::qt {

// Sets the view scale (1 = as designed) and lays the `windows` out again: every
// child placed by hand keeps its place and size in twips, every font its size
// in points, both times the scale. Sizes given to the windows themselves (fixed
// or not) are scaled too; the application's own font follows.
void setViewScale(double scale, const std::vector<QWidget*>& windows);

}  // namespace tobrak::qt
