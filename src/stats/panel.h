#pragma once
// The statistics panel: its page, caption and unit tables, figures and texts.
#include <array>
#include <string>

#include "platform/windows.h"
#include "stats/stats_engine.h"

namespace tobrak {

using PageTable = std::array<std::array<std::string, kRows>, kPages>;

class Panel {
public:
    explicit Panel(const Counters& cnt) : cnt_(cnt) { Label2Back.fill(rgb::Cyan); }

    std::int16_t MenuPage = -1;
    PageTable Koumoku;                    // row captions
    PageTable Tani;                       // row units
    std::array<Rgb, kRows> Label2Back{};  // row captions' background, as last shown
    Figures fig;

    std::array<Label*, kRows> Label2{};  // captions
    std::array<Label*, kRows> Label3{};  // values
    std::array<Label*, kRows> Label4{};  // units
    Menus* menus = nullptr;

    // Fills the caption and unit tables of the three pages.
    void KoumokuInit();
    // Next page (−1 and 4 lead to page 0): page caption, row captions, units, values.
    void menPage_Click();
    // Recomputes the figures of page MenuPage and writes its 13 value texts.
    void menPageDisp();
    // Background of a row caption, kept so the blink never reads the label back.
    void setCaptionBack(int row, Rgb colour);
    // One blink step of the bonus rows of the page in view (`bb`, `rb`: which
    // bonus runs); with neither, the rows go back to cyan.
    void blinkBonus(bool bb, bool rb);
    // The caption and value texts of the page in view, as the panel shows them.
    void panelTexts(PageTexts& captions, PageTexts& values);

private:
    void blink(int row, bool active);

    const Counters& cnt_;
};

// "[ 一般 ]", "［ ＢＢ ］", "［ ＲＢ ］".
const char* pageName(int page);

}  // namespace tobrak
