#pragma once
// The bonus history: every bonus of the record in play order, with the interval,
// games and net medals the counters and the charts count, and the hit
// probabilities that follow from it.
#include <cstdint>
#include <string>
#include <vector>

#include "record/play_record.h"

namespace tobrak {

struct BonusEntry {
    std::int32_t number = 0;        // 1, 2, … in play order
    Bonus kind = Bonus::BB;         //
    std::int32_t interval = 0;      // normal games since the previous bonus of any kind
    std::int32_t kindInterval = 0;  // normal games since the previous bonus of this kind
    std::int32_t gamesAtHit = 0;    // every game before its first game
    std::int32_t normalAtHit = 0;   // the normal games among them
    std::int32_t firstGame = 0;     // its first game, 0-based
    std::int32_t games = 0;         // its games
    std::int32_t net = 0;           // medals out minus medals in over its games
    bool chained = false;           // it follows another bonus with no normal game between
    bool running = false;           // the newest game of the record is one of its games
};

struct BonusHistory {
    std::vector<BonusEntry> bonuses;
    std::int32_t games = 0;        // every game of the record
    std::int32_t normalGames = 0;  // its normal games
    std::int32_t bb = 0;
    std::int32_t rb = 0;
};

// A run of bonus games of one kind is one bonus; a game of the other bonus kind
// ends it and starts a bonus of that kind, as a normal game ends it.
BonusHistory bonusHistory(const PlayRecord& rec);

// "1/287.4" for `count` hits in `games`; "-" without a hit.
std::string oddsText(std::int64_t games, std::int64_t count);

// The captions of the history window: the probabilities over every game and
// over normal games, and the table's header and rows.
std::string probabilityLine(const BonusHistory& h, bool normalOnly);
// `time`: when the bonus's first game began ("21:04"), empty where it is not known.
std::vector<std::string> historyHeader();
std::vector<std::string> historyRow(const BonusEntry& e, const std::string& time = {});
const char* bonusName(Bonus k);  // "ＢＢ", "ＲＢ"

// One line per game: index, bonus state, medals in and out, running balance and
// the number of the bonus the game belongs to; a header line first.
std::string gamesCsv(const PlayRecord& rec, const BonusHistory& h);

}  // namespace tobrak
