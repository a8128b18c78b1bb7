#pragma once
// The acquisition window: the 80 ms board poll, the event handlers and the
// 300 ms bonus-indicator blink.
#include "app/core.h"
#include "platform/board_protocol.h"

namespace tobrak {

constexpr int kBlinkMs = 300;

extern const char* const kFullText;  // データＦＵＬＬ box text
extern const char* const kFullTitle;
extern const char* const kBoardOk;  // " 　ゲームＯＫ"
extern const char* const kBoardNg;  // " 　ゲーム不可"

void Timer2_Timer(Core& c);
void Timer8_Timer(Core& c);
void Game1Set(Core& c);
void Out1Add(Core& c);
void BB_Start(Core& c);
void RB_Start(Core& c);
void BB_EndMark(Core& c);
void RB_EndMark(Core& c);
void BB_End(Core& c);
void RB_End(Core& c);

}  // namespace tobrak
