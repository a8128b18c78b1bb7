#pragma once
// A retained drawing surface: an image that keeps what is drawn on it, in twips
// mapped to pixels (15 twips a pixel, times the screen's pixel ratio).
#include <QImage>
#include <QPainter>
#include <functional>
#include <memory>

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

    void cls() override;
    void line(float x1, float y1, float x2, float y2, Rgb c) override;
    void box(float x1, float y1, float x2, float y2, Rgb outline, bool filled) override;
    void pset(float x, float y, Rgb c) override;
    void setDrawWidth(int px) override { width_ = px < 1 ? 1 : px; }
    void setFillColor(Rgb c) override { fill_ = c; }
    void setFontSize(float points) override;
    void setForeColor(Rgb c) override { fore_ = c; }
    void setCurrentXY(float x, float y) override {
        cx_ = x;
        cy_ = y;
    }
    void print(const std::string& utf8) override;

private:
    QPainter& painter();
    void touched();
    QPointF at(float x, float y) const;
    void makeImage(QSize logical, qreal ratio);
    void followSize();

    QImage img_;
    std::unique_ptr<QPainter> p_;
    QSize logical_;
    qreal ratio_ = 1.0;
    Rgb back_;
    int width_ = 1;
    Rgb fill_ = rgb::Black;
    Rgb fore_ = rgb::Black;
    float fontSize_ = 9.0f;
    float cx_ = 0, cy_ = 0;
    bool dirty_ = false;
};

}  // namespace tobrak::qt
