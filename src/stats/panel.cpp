#include "stats/panel.h"

#include <string>

#include "stats/stats_engine.h"

namespace tobrak {

const char* pageName(int page) {
    switch (page) {
        case 0: return "[ 一般 ]";
        case 1: return "［ ＢＢ ］";
        case 2: return "［ ＲＢ ］";
        default: return "";
    }
}

void Panel::setCaptionBack(int row, Rgb colour) {
    Label2Back[static_cast<std::size_t>(row)] = colour;
    Label2[static_cast<std::size_t>(row)]->setBackColor(colour);
}

void Panel::panelTexts(PageTexts& captions, PageTexts& values) {
    const int p = MenuPage;
    PageTexts t;
    const bool shown = pageTexts(cnt_, fig, p, t);
    for (std::size_t r = 0; r < kRows; ++r) {
        captions[r] = p >= 0 && p < kPages ? Koumoku[static_cast<std::size_t>(p)][r] : "";
        values[r] = shown ? t[r] : "";
    }
}

void Panel::KoumokuInit() {
    for (int p = 0; p < kPages; ++p)
        for (int r = 0; r < kRows; ++r) {
            Koumoku[p][r] = rowText(p, r).caption;
            Tani[p][r] = rowText(p, r).unit;
        }
}

void Panel::menPage_Click() {
    MenuPage += 1;
    if (MenuPage >= 3) MenuPage = 0;
    // A page below 0 cannot come from the click itself; keep the tables' bounds safe.
    if (MenuPage < 0) MenuPage = 0;
    const int p = MenuPage;
    menus->at("menPage").setCaption(std::string(pageName(p)) + " 項目 " + std::to_string(p + 1) + "/3");
    for (int r = 0; r < kRows; ++r) {
        setCaptionBack(r, rgb::Cyan);
        Label2[r]->setCaption(Koumoku[p][r]);
        Label4[r]->setCaption(Tani[p][r]);
    }
    menPageDisp();
}

void Panel::menPageDisp() {
    PageTexts t;
    if (!pageTexts(cnt_, fig, MenuPage, t)) return;
    for (int r = 0; r < kRows; ++r) Label3[r]->setCaption(t[r]);
}

void Panel::blink(int row, bool active) {
    const Rgb now = Label2Back[static_cast<std::size_t>(row)];
    setCaptionBack(row, active && now != rgb::Red ? rgb::Red : rgb::Cyan);
}

void Panel::blinkBonus(bool bb, bool rb) {
    switch (MenuPage) {
        case 0:
            blink(2, bb);
            blink(4, rb);
            break;
        case 1: blink(0, bb); break;
        case 2: blink(0, rb); break;
        default: break;
    }
    if (!bb && !rb)
        for (int i : {0, 2, 4}) setCaptionBack(i, rgb::Cyan);
}

}  // namespace tobrak
