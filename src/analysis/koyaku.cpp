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
    normalTexts = {};
    bbTexts = {};
    if (rec_.Dat_Len >= kHeaderLen + 2) {
        const SmallWinCounts n = smallWinCounts(rec_);
        Koyaku_Nor = n.normal;
        Koyaku_BB = n.bb;
        auto share = [](std::int32_t k, std::int32_t games) {
            return formatPicture(static_cast<double>(k * 100) / games, "#0.00") + " ％";
        };
        for (std::size_t i = 0; i < 16; ++i) {
            if (Koyaku_Nor[i] != 0) normalTexts[i] = share(Koyaku_Nor[i], n.normalGames);
            if (Koyaku_BB[i] != 0) bbTexts[i] = share(Koyaku_BB[i], n.bbGames);
        }
    }
    for (std::size_t i = 0; i < 16; ++i) {
        Text2[i]->setCaption(normalTexts[i]);
        Text4[i]->setCaption(bbTexts[i]);
    }
}

}  // namespace tobrak
