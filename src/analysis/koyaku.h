#pragma once
// The small-win table: how often each payout of 0 to 15 medals occurred in
// normal games and in BB games.
#include <array>
#include <string>

#include "app/core.h"

namespace tobrak {

extern const char* const kKoyakuTitle;  // "小役確率　ボーナス的中時の払出を省いた確率"

// Row caption of payout k: "　０枚  " … "１５枚  ".
std::string koyakuRowCaption(int k);
// Recomputes both columns from the record and writes the 32 texts.
void KoyakuDisp(Core& c);

}  // namespace tobrak
