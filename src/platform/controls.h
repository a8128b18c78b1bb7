#pragma once
// What the logic needs of the window controls: captions, colours, visibility,
// check marks and timers. The window program wraps widgets; the headless
// platform keeps the same state in memory.
#include <cstdint>
#include <string>
#include <vector>

namespace tobrak {

// Colours are 0xRRGGBB (red in the high byte).
using Rgb = std::uint32_t;

namespace rgb {
constexpr Rgb Black = 0x000000;
constexpr Rgb White = 0xFFFFFF;
constexpr Rgb Red = 0xFF0000;
constexpr Rgb Green = 0x00FF00;
constexpr Rgb Yellow = 0xFFFF00;
constexpr Rgb Cyan = 0x00FFFF;
constexpr Rgb LightGreen = 0xC0FFC0;
constexpr Rgb LightBlue = 0x8080FF;
}  // namespace rgb

class Label {
public:
    virtual ~Label() = default;
    virtual void setCaption(const std::string& utf8) = 0;
    virtual std::string caption() const = 0;
    virtual void setBackColor(Rgb c) = 0;
    virtual Rgb backColor() const = 0;
    virtual void setForeColor(Rgb c) = 0;
    virtual Rgb foreColor() const = 0;
    virtual void setVisible(bool v) = 0;
    virtual bool visible() const = 0;
};

class MenuItem {
public:
    virtual ~MenuItem() = default;
    virtual void setCaption(const std::string& utf8) = 0;
    virtual std::string caption() const = 0;
    virtual void setChecked(bool c) = 0;
    virtual bool checked() const = 0;
    virtual void setVisible(bool v) = 0;
    virtual bool visible() const = 0;
};

// A positioned control: a panel, a drawing surface, a frame, an image rectangle.
// Geometry in twips, relative to its container.
class Box {
public:
    virtual ~Box() = default;
    virtual void setGeometry(int left, int top, int width, int height) = 0;
    virtual int left() const = 0;
    virtual int top() const = 0;
    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual void setVisible(bool v) = 0;
    virtual bool visible() const = 0;
    void move(int l, int t) { setGeometry(l, t, width(), height()); }
    void setWidth(int w) { setGeometry(left(), top(), w, height()); }
    void setHeight(int h) { setGeometry(left(), top(), width(), h); }
};

// A top-level window as the layout rule sees it. Sizes in twips.
class FormWindow {
public:
    virtual ~FormWindow() = default;
    virtual int clientWidth() const = 0;
    virtual int clientHeight() const = 0;
    virtual bool minimized() const = 0;
    virtual int outerHeight() const = 0;
    virtual void setOuterHeight(int twips) = 0;
    virtual void setTitle(const std::string& utf8) = 0;
    virtual std::string title() const = 0;
    virtual int outerWidth() const = 0;
    virtual void setVisible(bool v) = 0;
    virtual bool visible() const = 0;
};

// A drop-down list.
class ComboBox {
public:
    virtual ~ComboBox() = default;
    virtual void clear() = 0;
    virtual void addItem(const std::string& utf8) = 0;
    virtual int count() const = 0;
    virtual void setCurrentIndex(int i) = 0;
    virtual int currentIndex() const = 0;
    virtual std::string currentText() const = 0;
};

// A read-only table of texts under a row of column captions.
class TextTable {
public:
    virtual ~TextTable() = default;
    virtual void setHeader(const std::vector<std::string>& utf8) = 0;
    // Replaces every row; the newest (last) row is brought into view.
    virtual void setRows(const std::vector<std::vector<std::string>>& utf8) = 0;
};

// A repeating timer whose tick handler is bound when the platform creates it.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void setEnabled(bool on) = 0;
    virtual bool enabled() const = 0;
    virtual void setInterval(int ms) = 0;
    virtual int interval() const = 0;
};

}  // namespace tobrak
