#pragma once
// The headless platform: controls, timers and dialogs kept in memory, for the
// command-line tool and the tests.
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "platform/headless/recording_surface.h"
#include "platform/printer.h"
#include "platform/shell.h"
#include "platform/windows.h"

namespace tobrak::headless {

class MemLabel final : public Label {
public:
    void setCaption(const std::string& s) override { caption_ = s; }
    std::string caption() const override { return caption_; }
    void setBackColor(Rgb c) override { back_ = c; }
    Rgb backColor() const override { return back_; }
    void setForeColor(Rgb c) override { fore_ = c; }
    Rgb foreColor() const override { return fore_; }
    void setVisible(bool v) override { visible_ = v; }
    bool visible() const override { return visible_; }

private:
    std::string caption_;
    Rgb back_ = rgb::White;
    Rgb fore_ = rgb::Black;
    bool visible_ = true;
};

class MemMenuItem final : public MenuItem {
public:
    void setCaption(const std::string& s) override { caption_ = s; }
    std::string caption() const override { return caption_; }
    void setChecked(bool c) override { checked_ = c; }
    bool checked() const override { return checked_; }
    void setVisible(bool v) override { visible_ = v; }
    bool visible() const override { return visible_; }

private:
    std::string caption_;
    bool checked_ = false;
    bool visible_ = true;
};

class MemBox final : public Box {
public:
    void setGeometry(int l, int t, int w, int h) override {
        l_ = l;
        t_ = t;
        w_ = w;
        h_ = h;
    }
    int left() const override { return l_; }
    int top() const override { return t_; }
    int width() const override { return w_; }
    int height() const override { return h_; }
    void setVisible(bool v) override { visible_ = v; }
    bool visible() const override { return visible_; }

private:
    int l_ = 0, t_ = 0, w_ = 0, h_ = 0;
    bool visible_ = true;
};

// The main window: a client area of a given size below a frame and menu bar.
class MemForm final : public FormWindow {
public:
    static constexpr int kFrame = 900;  // title bar, menu bar and borders, in twips
    int clientWidth() const override { return clientW; }
    int clientHeight() const override { return clientH; }
    bool minimized() const override { return isMinimized; }
    int outerHeight() const override { return clientH + kFrame; }
    void setOuterHeight(int t) override { clientH = t - kFrame; }
    void setTitle(const std::string& s) override { title_ = s; }
    std::string title() const override { return title_; }
    int outerWidth() const override { return clientW; }
    void setVisible(bool v) override { shown = v; }
    bool visible() const override { return shown; }

    int clientW = 12105;
    int clientH = 5520;
    bool isMinimized = false;
    bool shown = true;

private:
    std::string title_;
};

class MemCombo final : public ComboBox {
public:
    void clear() override {
        items.clear();
        current = -1;
    }
    void addItem(const std::string& s) override { items.push_back(s); }
    int count() const override { return static_cast<int>(items.size()); }
    void setCurrentIndex(int i) override { current = i; }
    int currentIndex() const override { return current; }
    std::string currentText() const override {
        return current >= 0 && current < count() ? items[static_cast<std::size_t>(current)] : "";
    }
    std::vector<std::string> items;
    int current = -1;
};

class MemTable final : public TextTable {
public:
    void setHeader(const std::vector<std::string>& h) override { header = h; }
    void setRows(const std::vector<std::vector<std::string>>& r) override { rows = r; }
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;
};

// Every item of the menu tree, created with its caption and start-up visibility.
class MemMenus final : public Menus {
public:
    MemMenus();
    MenuItem* item(const std::string& name, int index = -1) override;
    MemMenuItem& operator()(const std::string& name, int index = -1) {
        return static_cast<MemMenuItem&>(*item(name, index));
    }

private:
    std::map<std::string, std::unique_ptr<MemMenuItem>> items_;
};

class MemShell final : public Shell {
public:
    void openUrl(const std::string& url) override { opened.push_back(url); }
    std::vector<std::string> opened;
};

class MemWindows final : public AppWindows {
public:
    void shutdown() override { ++shutdowns; }
    int shutdowns = 0;
};

// A timer that ticks only when told to: by fire(), or by a Clock advancing time.
class MemTimer final : public Timer {
public:
    explicit MemTimer(std::function<void()> onTick = {}) : onTick_(std::move(onTick)) {}
    void bind(std::function<void()> onTick) { onTick_ = std::move(onTick); }
    void setEnabled(bool on) override {
        if (on && !enabled_) sinceTick_ = 0;
        enabled_ = on;
    }
    bool enabled() const override { return enabled_; }
    void setInterval(int ms) override { interval_ = ms; }
    int interval() const override { return interval_; }
    // One tick, if enabled. Returns whether it ticked.
    bool fire() {
        if (!enabled_ || !onTick_) return false;
        onTick_();
        return true;
    }
    // Advances this timer's own time by `ms`, ticking as often as its interval says.
    void advance(int ms) {
        if (!enabled_ || interval_ <= 0) return;
        sinceTick_ += ms;
        while (enabled_ && sinceTick_ >= interval_) {
            sinceTick_ -= interval_;
            fire();
        }
    }

private:
    std::function<void()> onTick_;
    bool enabled_ = false;
    int interval_ = 0;
    int sinceTick_ = 0;
};

struct ShownBox {
    std::string text, title;
    MsgIcon icon;
    MsgButtons buttons;
};

// Records every box and dialog; answers from queues: OK, cancelled dialogs and
// empty input when a queue is empty.
class ScriptedDialogs final : public Dialogs {
public:
    std::optional<std::string> openFile(const std::string& filter) override {
        filters.push_back(filter);
        return next(openAnswers);
    }
    std::optional<std::string> saveFile(const std::string& filter) override {
        filters.push_back(filter);
        return next(saveAnswers);
    }
    std::string inputBox(const std::string& prompt, const std::string& title, const std::string& def, int) override {
        inputs.push_back({prompt, title, def});
        return next(inputAnswers).value_or("");
    }
    struct Input {
        std::string prompt, title, defaultText;
    };
    std::deque<std::optional<std::string>> openAnswers, saveAnswers, inputAnswers;
    std::vector<std::string> filters;
    std::vector<Input> inputs;

    MsgResult messageBox(const std::string& text, const std::string& title, MsgIcon icon, MsgButtons buttons) override {
        shown.push_back({text, title, icon, buttons});
        if (whileOpen) whileOpen();
        if (answers.empty()) return MsgResult::Ok;
        const MsgResult r = answers.front();
        answers.pop_front();
        return r;
    }
    std::vector<ShownBox> shown;
    std::deque<MsgResult> answers;
    std::function<void()> whileOpen;  // runs while a box is "open", e.g. to fire timers

private:
    static std::optional<std::string> next(std::deque<std::optional<std::string>>& q) {
        if (q.empty()) return std::nullopt;
        auto v = q.front();
        q.pop_front();
        return v;
    }
};

// A printer whose dialog outcome and hand-over are scripted; the page is recorded.
class ScriptedPrinter final : public Printer {
public:
    Start begin() override {
        ++jobs;
        page_.ops.clear();
        return start;
    }
    Surface& page() override { return page_; }
    bool end() override {
        if (handedOver) ++pages;
        return handedOver;
    }
    void abort() override { ++aborts; }
    const RecordingSurface& recorded() const { return page_; }

    Start start = Start::Ready;
    bool handedOver = true;
    int jobs = 0, pages = 0, aborts = 0;

private:
    RecordingSurface page_;
};

}  // namespace tobrak::headless
