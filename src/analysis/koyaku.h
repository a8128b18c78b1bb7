#pragma once
// The small-win table's window: the share of each payout in normal and BB games.
#include <array>
#include <cstdint>
#include <string>

#include "counts/small_wins.h"
#include "platform/controls.h"

namespace tobrak {

extern const char* const kKoyakuTitle;  // "小役確率　ボーナス的中時の払出を省いた確率"

// Row caption of payout k: "　０枚  " … "１５枚  ".
std::string koyakuRowCaption(int k);

class SmallWinTable {
public:
    explicit SmallWinTable(const PlayRecord& rec) : rec_(rec) {}

    std::array<std::int32_t, 16> Koyaku_Nor{};
    std::array<std::int32_t, 16> Koyaku_BB{};
    std::array<std::string, 16> normalTexts, bbTexts;  // the columns as shown

    FormWindow* koyakuForm = nullptr;
    std::array<Label*, 16> Text2{};  // normal-game column
    std::array<Label*, 16> Text4{};  // BB-game column

    // Recomputes both columns from the record and writes the 32 texts.
    void KoyakuDisp();

private:
    const PlayRecord& rec_;
};

}  // namespace tobrak
