#include "analysis/history_view.h"

#include <filesystem>

#include "graph/slump_graph.h"
#include "util/paths.h"

namespace tobrak {

const char* const kHistoryTitle = "ボーナス履歴・設定推測";

namespace {

constexpr float kRowHeight = 420.0f;
constexpr float kBarLeft = 840.0f;
constexpr float kBarSpan = 3600.0f;
constexpr Rgb kBarColor = rgb::Yellow;
constexpr Rgb kClearColor = rgb::Red;

void caption(Label* l, const std::string& text, Rgb fore = rgb::Black) {
    l->setCaption(text);
    l->setForeColor(fore);
}

std::string fileName(const std::string& path) {
    const std::u8string name = fsPath(path).filename().u8string();
    return std::string(name.begin(), name.end());
}

}  // namespace

void HistoryView::EstimateDisp(int i, bool tellError) {
    HistoryView& w = *this;
    HistoryView& v = *this;
    const ProfileSlot& slot = v.profiles[i >= 0 && i < static_cast<int>(v.profiles.size()) ? i : 0];
    v.chosen = slot.label;
    Surface& s = *w.bars;
    if (!slot.profile) {
        s.cls();
        s.setForeColor(rgb::White);
        s.setCurrentXY(120.0f, 120.0f);
        s.print(kProfileErrorTitle);
        s.setCurrentXY(120.0f, 420.0f);
        s.print(fileName(slot.path));
        s.setCurrentXY(120.0f, 720.0f);
        s.print(slot.error);
        caption(w.payout, "期待機械割 -");
        caption(w.used, "");
        caption(w.reliability, slot.error, rgb::Red);
        caption(w.counterEffects, "");
        if (tellError)
            dialogs->messageBox(std::string(kProfileErrorTitle) + "\n" + fileName(slot.path) + "\n" + slot.error,
                                "機種データ", MsgIcon::Stop, MsgButtons::Ok);
        return;
    }
    if (profileChosen) profileChosen(*slot.profile);
    const SettingEstimate e = estimateSetting(*slot.profile, v.counts);
    PosteriorDisp(s, e);
    caption(w.payout, payoutLine(e));
    caption(w.used, usedDataLine(v.counts, e));
    caption(w.reliability, reliabilityLine(v.counts, e), e.tooFew ? rgb::Red : rgb::Black);
    caption(w.counterEffects, counterLines(e));
}

void PosteriorDisp(Surface& s, const SettingEstimate& e) {
    s.cls();
    s.setDrawWidth(1);
    s.setFontSize(9.0f);
    s.setForeColor(rgb::White);
    const float bottom = kRowHeight * kSettings + 60.0f;
    for (int q = 0; q <= 4; ++q) {
        const float x = kBarLeft + kBarSpan * static_cast<float>(q) / 4.0f;
        s.line(x, 60.0f, x, bottom, q == 0 ? graphcolor::Blue : graphcolor::Grid);
    }
    for (int k = 0; k < kSettings; ++k) {
        const float top = 60.0f + kRowHeight * static_cast<float>(k);
        const double share = e.posterior[static_cast<std::size_t>(k)];
        s.setCurrentXY(90.0f, top + 90.0f);
        s.print(settingName(k + 1));
        const float width = kBarSpan * static_cast<float>(share);
        if (width >= 1.0f) {
            const Rgb color = !e.tooFew && k == e.likeliest ? kClearColor : kBarColor;
            s.setFillColor(color);
            s.box(kBarLeft, top + 75.0f, kBarLeft + width, top + kRowHeight - 75.0f, color, true);
        }
        s.setCurrentXY(kBarLeft + kBarSpan + 120.0f, top + 90.0f);
        s.print(percentText(share));
    }
}

void HistoryView::HistoryDisp() {
    HistoryView& w = *this;
    HistoryView& v = *this;
    const BonusHistory h = bonusHistory(rec_);
    v.counts = playCounts(rec_, h);
    // A counter still at 0 is taken as not counted: a player who counts no grapes
    // keeps the estimate of the bonuses alone.
    v.counts.manual.clear();
    if (v.manual)
        for (const ManualCount& k : *v.manual)
            if (k.count > 0) v.counts.manual.push_back(k);
    caption(w.probAll, probabilityLine(h, false));
    caption(w.probNormal, probabilityLine(h, true));
    w.table->setHeader(historyHeader());
    std::vector<std::vector<std::string>> rows;
    rows.reserve(h.bonuses.size());
    for (const BonusEntry& e : h.bonuses) {
        const auto at = static_cast<std::size_t>(e.firstGame);
        const bool known = v.times && at < v.times->size() && (*v.times)[at];
        rows.push_back(historyRow(e, known ? clockTime(*(*v.times)[at]) : std::string()));
    }
    w.table->setRows(rows);

    v.profiles = listProfiles(v.profileDir);
    w.profile->clear();
    int chosen = 0;
    for (std::size_t i = 0; i < v.profiles.size(); ++i) {
        w.profile->addItem(v.profiles[i].label);
        if (v.profiles[i].label == v.chosen) chosen = static_cast<int>(i);
    }
    w.profile->setCurrentIndex(chosen);
    EstimateDisp(chosen, false);
}

void HistoryView::HistoryRefresh_Click() { HistoryDisp(); }

void HistoryView::HistoryProfile_Click(int index) { EstimateDisp(index, true); }

}  // namespace tobrak
