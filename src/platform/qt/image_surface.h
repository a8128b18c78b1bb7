#pragma once
// A retained drawing surface: an image that keeps what is drawn on it, in twips
// mapped to pixels (15 twips a pixel, times the screen's pixel ratio).
#include <QImage>
#include <QPainter>
#include <QStaticText>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/surface.h"

namespace tobrak::qt {

class ImageSurface final : public Surface {
public:
    explicit ImageSurface(Rgb background, QSize logicalSize = {1, 1}, qreal pixelRatio = 1.0);
    ~ImageSurface() override;

    // New size in device-independent pixels; what is drawn stays at its place.
    void resize(QSize logicalSize, qreal pixelRatio);
    // The picture so far (drawing is finished up first).
    const QImage& image();
    QSize logicalSize() const { return logical_; }
    // Called when the picture changes after it was last taken.
    std::function<void()> changed;
    // Where the surface belongs to a widget: its current size and pixel ratio,
    // followed before each drawing (a hidden widget gets no resize events).
    std::function<std::pair<QSize, qreal>()> sizeSource;
    // Takes the size of `sizeSource` now.
    void followSize();

    void cls() override;
    void box(float x1, float y1, float x2, float y2, Rgb outline, bool filled) override;
    void pset(float x, float y, Rgb c) override;
    void setDrawWidth(int px) override;
    void setFillColor(Rgb c) override { fill_ = c; }
    void setFontSize(float points) override;
    void setForeColor(Rgb c) override { fore_ = c; }
    void print(const std::string& utf8) override;

protected:
    void drawLine(float x1, float y1, float x2, float y2, Rgb c) override;

private:
    QPainter& painter();
    // Hands the waiting lines and dots to the painter.
    void flush();
    // Draws what waits and ends the painter; the next drawing begins a new one.
    void endPainter();
    // The direction of a line that may wait with others, or 0.
    int batchDirection(QPointF a, QPointF b) const;
    static int reverse(int dir);
    // The painter's pen and font change only when they differ from what it holds:
    // a redraw hands thousands of lines in a handful of colours.
    void usePen(QPainter& p, Rgb c, qreal width, Qt::PenCapStyle cap);
    void useFont(QPainter& p);
    // The text laid out once for the font size in force.
    const QStaticText& laidOut(const std::string& utf8);
    void fontFor(int pixelSize);
    void touched();
    QPointF at(float x, float y) const;
    void cullFor();
    void makeImage(QSize logical, qreal ratio);

    QImage img_;
    std::unique_ptr<QPainter> p_;
    QSize logical_;
    qreal ratio_ = 1.0;
    Rgb back_;
    int width_ = 1;
    Rgb fill_ = rgb::Black;
    Rgb fore_ = rgb::Black;
    float fontSize_ = 9.0f;
    bool dirty_ = false;

    // The image in device pixels, where a line that reached the drawing is decided
    // again after rounding (the coarse decision on twips is the base's).
    struct {
        qreal w = 0, h = 0;
    } cull_;

    // Lines and dots in the painter's pen, not drawn yet: all of one opaque colour,
    // so their order among themselves does not matter, and one call draws them
    // (a call per line is most of the cost of a thin line).
    std::vector<QLineF> lines_;
    std::vector<QPointF> dots_;
    int batchDirs_ = 0;  // directions of the waiting lines
    // What the current painter holds (nothing yet when `penSet_`/`fontSet_` is false).
    bool penSet_ = false;
    Rgb penColour_ = 0;
    qreal penWidth_ = 0;
    Qt::PenCapStyle penCap_ = Qt::SquareCap;
    bool fontSet_ = false;
    // The text font at its pixel size, with the metrics the text placement needs.
    int fontPixels_ = 0;
    QFont font_;
    qreal charReach_ = 0;                                                // no character's ink reaches further right
    qreal lineReach_ = 0;                                                // nor further down from the text's top
    std::map<int, std::unordered_map<std::string, QStaticText>> texts_;  // by font pixel size, then text
};

}  // namespace tobrak::qt
