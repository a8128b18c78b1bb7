#include "analysis/koyaku.h"

#include "util/format.h"

namespace tobrak {

const char* const kKoyakuTitle = "小役確率　ボーナス的中時の払出を省いた確率";

std::string koyakuRowCaption(int k) {
    static const char* const digits[] = {"０", "１", "２", "３", "４", "５", "６", "７", "８", "９"};
    const std::string n = k < 10 ? std::string("　") + digits[k] : std::string(digits[k / 10]) + digits[k % 10];
    return n + "枚  ";
}

void SmallWinTable::KoyakuDisp() {
    SmallWinTable& m = *this;
    for (int k = 0; k < 16; ++k) {
        m.Text2[static_cast<std::size_t>(k)]->setCaption("");
        m.Text4[static_cast<std::size_t>(k)]->setCaption("");
    }
    const PlayRecord& rec = rec_;
    if (rec.Dat_Len < kHeaderLen + 2) return;
    SmallWinTable& h = *this;
    const SmallWinCounts n = smallWinCounts(rec);
    h.Koyaku_Nor = n.normal;
    h.Koyaku_BB = n.bb;
    const std::int32_t nn = n.normalGames, nb = n.bbGames;
    for (int k = 0; k < 16; ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (h.Koyaku_Nor[i] != 0)
            m.Text2[i]->setCaption(formatPicture(static_cast<double>(h.Koyaku_Nor[i] * 100) / nn, "#0.00") + " ％");
        if (h.Koyaku_BB[i] != 0)
            m.Text4[i]->setCaption(formatPicture(static_cast<double>(h.Koyaku_BB[i] * 100) / nb, "#0.00") + " ％");
    }
}

}  // namespace tobrak
