#include "app/menu.h"

#include <stdexcept>

#include "analysis/histogram.h"
#include "app/file_commands.h"
#include "app/filedisp.h"
#include "app/views.h"
#include "counts/bonus_history.h"
#include "graph/scroll.h"
#include "graph/zoom.h"
#include "stats/panel.h"
#include "util/format.h"

namespace tobrak {

void runMenuCommand(Program& c, const MenuEntry& e) {
    const int i = e.index;
    switch (e.command) {
        case MenuCommand::None: return;
        case MenuCommand::Page: return c.panel.menPage_Click();
        case MenuCommand::Open: return menFile_open_Click(c);
        case MenuCommand::OpenJournal: return Hogo_open_Click(c);
        case MenuCommand::Comment: return Comment_Click(c);
        case MenuCommand::Overwrite: return menFile_Uwagaki_Click(c);
        case MenuCommand::Save: return menFile_Save_Click(c);
        case MenuCommand::Clear: return Ghp_Cls_Click(c);
        case MenuCommand::Print: return O_prin_Click(c);
        case MenuCommand::SaveImage: return Gazou_Save_Click(c);
        case MenuCommand::Quit: return Pgend_Click(c);
        case MenuCommand::Marker: return GhpHyo_Click(c, i);
        case MenuCommand::Zoom: return c.zoom.G_zoom_Click(i);
        case MenuCommand::BackFar: return c.scroll.Dhidari_Click();
        case MenuCommand::Back: return c.scroll.Hidari_Click();
        case MenuCommand::Forward: return c.scroll.Migi_Click();
        case MenuCommand::ForwardFar: return c.scroll.Dmigi_Click();
        case MenuCommand::Chart: return Kaiseki_Click(c, i);
        case MenuCommand::ChartEnd: return HistEnd_Click(c);
        // The analysis view's own bar items lead to the same chart commands.
        case MenuCommand::ChartBonus: return Kaiseki_Click(c, 0);
        case MenuCommand::ChartBB: return Kaiseki_Click(c, 2 + i);
        case MenuCommand::ChartRB: return Kaiseki_Click(c, 6 + i);
        case MenuCommand::Version: return HelpVer_Click(c);
        case MenuCommand::HomePage: return kovhp_Click(c);
        case MenuCommand::LiveView:
            if (c.ui.liveView) c.ui.liveView->toggleLiveView();
            return showLiveState(c);
        case MenuCommand::LiveAddress:
            if (c.ui.liveView) c.ui.liveView->showLiveView();
            return showLiveState(c);
        case MenuCommand::Counters:
            if (c.ui.counterForm) c.ui.counterForm->setVisible(true);
            return;
        case MenuCommand::ExpectedLine: return expectedLineClick(c, !c.expected.on, c.expected.setting);
        case MenuCommand::ExpectedSetting: return expectedLineClick(c, c.expected.on, i);
    }
}

void menuClick(Program& c, MenuName name, int index) {
    const MenuEntry* e = findMenuEntry(name.name, index);
    if (!e) throw std::logic_error("no menu item " + menuKey(name.name, index));
    runMenuCommand(c, *e);
}

void showLiveState(Program& c) { c.ui.menu("menLive")->setChecked(c.ui.liveView && c.ui.liveView->serving()); }

const char* const kCounterTitle = "小役カウンター";
const char* const kNoCounters =
    "選んだ機種データには小役カウンターがありません。\n"
    "カウンターのある機種データを「ボーナス履歴・設定推測」で選んで下さい。";

void counterKey(Program& c, int digit, bool back) { c.session.count(digit - 1, back ? -1 : 1); }

std::vector<CounterRow> counterRows(const Program& c) {
    const std::int64_t normal = normalGames(c.cnt);
    std::vector<CounterRow> rows;
    for (std::size_t i = 0; i < c.session.manual.size(); ++i) {
        const ManualCount& k = c.session.manual[i];
        rows.push_back({std::to_string(i + 1), k.name, captionNumber(k.count), oddsText(normal, k.count)});
    }
    return rows;
}

void graphHomeKey(Program& c) {
    if (c.graphShown()) c.scroll.toStart();
}

void graphEndKey(Program& c) {
    if (c.graphShown()) c.scroll.toLatest(c.cnt.Tot_In);
}

}  // namespace tobrak
