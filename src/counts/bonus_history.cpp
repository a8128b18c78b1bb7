#include "counts/bonus_history.h"

#include "util/format.h"

namespace tobrak {

BonusHistory bonusHistory(const PlayRecord& rec) {
    BonusHistory h;
    std::int32_t sinceAny = 0, sinceBB = 0, sinceRB = 0;
    BonusState prev = BonusState::Normal;
    for (std::int32_t i = 0; i < rec.games(); ++i) {
        const std::uint8_t b = rec.game(i);
        const BonusState s = bonusState(b);
        if (s == BonusState::Normal) {
            ++sinceAny;
            ++sinceBB;
            ++sinceRB;
            ++h.normalGames;
        } else {
            if (s != prev) {
                BonusEntry e;
                e.number = static_cast<std::int32_t>(h.bonuses.size()) + 1;
                e.kind = s == BonusState::BB ? Bonus::BB : Bonus::RB;
                std::int32_t& sinceKind = e.kind == Bonus::BB ? sinceBB : sinceRB;
                e.interval = sinceAny;
                e.kindInterval = sinceKind;
                e.gamesAtHit = i;
                e.normalAtHit = h.normalGames;
                e.firstGame = i;
                e.chained = prev != BonusState::Normal;
                sinceAny = 0;
                sinceKind = 0;
                ++(e.kind == Bonus::BB ? h.bb : h.rb);
                h.bonuses.push_back(e);
            }
            BonusEntry& e = h.bonuses.back();
            ++e.games;
            e.net += medalsOut(b) - medalsIn(b);
        }
        prev = s;
    }
    h.games = rec.games();
    if (!h.bonuses.empty() && prev != BonusState::Normal) h.bonuses.back().running = true;
    return h;
}

std::string oddsText(std::int64_t games, std::int64_t count) {
    if (count <= 0 || games <= 0) return "-";
    return formatPicture(static_cast<double>(games) / static_cast<double>(count), "1/#0.0");
}

const char* bonusName(Bonus k) { return k == Bonus::BB ? "ＢＢ" : "ＲＢ"; }

std::string probabilityLine(const BonusHistory& h, bool normalOnly) {
    const std::int64_t n = normalOnly ? h.normalGames : h.games;
    std::string s = normalOnly ? "通常ゲーム " : "全ゲーム ";
    s += captionNumber(n) + "Ｇ中　ＢＢ " + oddsText(n, h.bb);
    s += "　ＲＢ " + oddsText(n, h.rb);
    s += "　合成 " + oddsText(n, static_cast<std::int64_t>(h.bb) + h.rb);
    return s;
}

std::vector<std::string> historyHeader() {
    return {"回", "種別", "時刻", "ボーナス間隔", "累計ゲーム", "ゲーム数", "獲得枚数", "状態"};
}

std::vector<std::string> historyRow(const BonusEntry& e, const std::string& time) {
    return {captionNumber(e.number),   bonusName(e.kind),           time,
            captionNumber(e.interval), captionNumber(e.gamesAtHit), captionNumber(e.games),
            captionNumber(e.net),      e.running ? "継続中" : ""};
}

std::string gamesCsv(const PlayRecord& rec, const BonusHistory& h) {
    std::string out = "game,state,in,out,balance,bonus\n";
    std::int64_t balance = 0;
    std::size_t next = 0;  // the next bonus of the history to begin
    std::int32_t current = 0;
    for (std::int32_t i = 0; i < rec.games(); ++i) {
        const std::uint8_t b = rec.game(i);
        const BonusState s = bonusState(b);
        if (next < h.bonuses.size() && h.bonuses[next].firstGame == i) current = h.bonuses[next++].number;
        balance += medalsOut(b) - medalsIn(b);
        out += std::to_string(i + 1);
        out += s == BonusState::BB ? ",BB," : s == BonusState::RB ? ",RB," : ",normal,";
        out += std::to_string(medalsIn(b)) + ',' + std::to_string(medalsOut(b)) + ',' + std::to_string(balance) + ',';
        if (s != BonusState::Normal) out += std::to_string(current);
        out += '\n';
    }
    return out;
}

}  // namespace tobrak
