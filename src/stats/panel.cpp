#include "stats/panel.h"

#include <string>

#include "stats/stats_engine.h"

namespace tobrak {

namespace {

struct Row {
    const char* caption;
    const char* unit;
};

constexpr Row kTable[3][kRows] = {
    {{" 総ゲーム数", "Ｇ"},
     {" ボーナス間隔", "Ｇ"},
     {" ＢＢ回数", "回"},
     {" ＢＢ間隔", "Ｇ"},
     {" ＲＢ回数", "回"},
     {" ＲＢ間隔", "Ｇ"},
     {" 出玉率", "％"},
     {" 差枚数", "枚"},
     {" 総ＩＮ", "枚"},
     {" 総ＯＵＴ", "枚"},
     {" スランプ割数", "％"},
     {" スランプＩＮ", "枚"},
     {" スランプＯＵＴ", "枚"}},
    {{" ＢＢ回数", "回"},
     {" 平均ＢＢ間隔", "Ｇ"},
     {" 最大ＢＢ間隔", "Ｇ"},
     {" 最小ＢＢ間隔", "Ｇ"},
     {" 平均ＢＢ獲得", "枚"},
     {" 最大ＢＢ獲得", "枚"},
     {" 最小ＢＢ獲得", "枚"},
     {" 総ＢＢ獲得", "枚"},
     {" 総ＢＢＩＮ", "枚"},
     {" 総ＢＢＯＵＴ", "枚"},
     {" 平均ＢＢ中ゲーム数", "Ｇ"},
     {" 最大ＢＢ中ゲーム数", "Ｇ"},
     {" 最小ＢＢ中ゲーム数", "Ｇ"}},
    {{" ＲＢ回数", "回"},
     {" 平均ＲＢ間隔", "Ｇ"},
     {" 最大ＲＢ間隔", "Ｇ"},
     {" 最小ＲＢ間隔", "Ｇ"},
     {" 平均ＲＢ獲得", "枚"},
     {" 最大ＲＢ獲得", "枚"},
     {" 最小ＲＢ獲得", "枚"},
     {" 総ＲＢ獲得", "枚"},
     {" 総ＲＢＩＮ", "枚"},
     {" 総ＲＢＯＵＴ", "枚"},
     {" 平均ＲＢ中ゲーム数", "Ｇ"},
     {" 最大ＲＢ中ゲーム数", "Ｇ"},
     {" 最小ＲＢ中ゲーム数", "Ｇ"}},
};

}  // namespace

const char* pageName(int page) {
    switch (page) {
        case 0: return "[ 一般 ]";
        case 1: return "［ ＢＢ ］";
        case 2: return "［ ＲＢ ］";
        default: return "";
    }
}

void setCaptionBack(Core& c, int row, Rgb colour) {
    c.fd.Label2Back[static_cast<std::size_t>(row)] = colour;
    c.ui.main.Label2[static_cast<std::size_t>(row)]->setBackColor(colour);
}

void panelTexts(Core& c, std::array<std::string, kRows>& captions, std::array<std::string, kRows>& values) {
    const int p = c.fd.MenuPage;
    PageTexts t;
    const bool shown = pageTexts(c.cnt, c.fig, p, t);
    for (std::size_t r = 0; r < kRows; ++r) {
        captions[r] = p >= 0 && p < kPages ? c.fd.Koumoku[static_cast<std::size_t>(p)][r] : "";
        values[r] = shown ? t[r] : "";
    }
}

void KoumokuInit(Core& c) {
    for (int p = 0; p < kPages; ++p)
        for (int r = 0; r < kRows; ++r) {
            c.fd.Koumoku[p][r] = p < 3 ? kTable[p][r].caption : "";
            c.fd.Tani[p][r] = p < 3 ? kTable[p][r].unit : "";
        }
}

void menPage_Click(Core& c) {
    c.fd.MenuPage += 1;
    if (c.fd.MenuPage >= 3) c.fd.MenuPage = 0;
    // A page below 0 cannot come from the click itself; keep the tables' bounds safe.
    if (c.fd.MenuPage < 0) c.fd.MenuPage = 0;
    const int p = c.fd.MenuPage;
    c.ui.menu("menPage")->setCaption(std::string(pageName(p)) + " 項目 " + std::to_string(p + 1) + "/3");
    for (int r = 0; r < kRows; ++r) {
        setCaptionBack(c, r, rgb::Cyan);
        c.ui.main.Label2[r]->setCaption(c.fd.Koumoku[p][r]);
        c.ui.main.Label4[r]->setCaption(c.fd.Tani[p][r]);
    }
    menPageDisp(c);
}

}  // namespace tobrak
