#pragma once
// The play record: a 48-byte header followed by one byte per game, oldest first.
#include <array>
#include <cstdint>

namespace tobrak {

constexpr std::int32_t kHeaderLen = 48;  // first game byte
constexpr std::int32_t kBufLen = 31801;  // indices 0..31800
constexpr std::int16_t kDatMax = 31049;  // live recording stops here
constexpr std::int32_t kMaxFileGames = 31000;

enum class BonusState { Normal, BB, RB };
enum class Bonus { BB, RB };

// Game byte: bits 7..6 bonus state (bit 7 wins), 5..4 medals in, 3..0 medals out.
constexpr BonusState bonusState(std::uint8_t b) {
    if (b & 0x80) return BonusState::BB;
    if ((b & 0xC0) == 0x40) return BonusState::RB;
    return BonusState::Normal;
}
// How reports and messages name a game's state: "BB", "RB" or "normal".
constexpr const char* bonusStateName(BonusState s) {
    return s == BonusState::BB ? "BB" : s == BonusState::RB ? "RB" : "normal";
}
constexpr int medalsIn(std::uint8_t b) { return (b & 0x30) / 16; }
constexpr int medalsOut(std::uint8_t b) { return b & 0x0F; }

struct PlayRecord {
    std::array<std::uint8_t, kBufLen> Dat_Buf{};
    std::int32_t Dat_Len = kHeaderLen;  // index of the next free byte
    std::int16_t Dat_Max = kDatMax;

    std::int32_t games() const { return Dat_Len - kHeaderLen; }
    bool full() const { return Dat_Len >= Dat_Max; }
    // Game i (0-based) of the record.
    std::uint8_t game(std::int32_t i) const { return Dat_Buf[kHeaderLen + i]; }
    // Back to the empty record; header bytes other than the comment length stay.
    void clear() {
        Dat_Len = kHeaderLen;
        Dat_Buf[kHeaderLen] = 0;
        Dat_Buf[0] = 0;
    }
};

}  // namespace tobrak
