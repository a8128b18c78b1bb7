#pragma once
// The headless platform: controls, timers and dialogs kept in memory, for the
// command-line tool and the tests.
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/core.h"

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

// Records every box; answers from a queue (OK when empty).
class ScriptedDialogs final : public Dialogs {
public:
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
};

// Every control and timer of the logic, in memory, wired into a Core.
class HeadlessUi {
public:
    HeadlessUi();
    // Points the core's platform at these controls; `board` may be null (no board).
    void attach(Core& c, Board* board, GraphHooks* graph = nullptr);

    MemLabel Label1, Label12, Label14, Label15;
    std::array<MemLabel, kRows> Label2, Label3, Label4;
    MemMenuItem menPage;
    std::array<MemMenuItem, 5> GhpHyo;
    MemTimer Timer2, Timer8;
    ScriptedDialogs dialogs;

private:
    NoBoard noBoard_;
    GraphHooks noGraph_;
};

// A started program with the headless platform: Form_Load has run and the
// timers drive the acquisition of this core.
class HeadlessApp {
public:
    explicit HeadlessApp(Board* board, GraphHooks* graph = nullptr);
    // Advances time by `ms` in 80 ms steps: polls and blink ticks fall due in order.
    void run(int ms);

    Core core;
    HeadlessUi ui;
};

}  // namespace tobrak::headless
