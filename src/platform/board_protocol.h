#pragma once
// What port 0 of the board carries, for the poll and for every board that
// presents codes to it (simulated, serial bridge, edge boards, USB-IO).
#include <cstdint>

namespace tobrak {

// Event codes (the port value masked with 31). A code below 16 is a game start:
// bits 1..0 the medals bet, bits 3..2 the bonus lamps.
namespace code {
constexpr int Payout = 16;
constexpr int BBStart = 25;
constexpr int BBEnd = 24;
constexpr int RBStart = 21;
constexpr int RBEnd = 20;
}  // namespace code

constexpr int kPollMs = 80;                // one read of port 0 every 80 ms
constexpr std::uint8_t kOutRead = 127;     // written before each read
constexpr std::uint8_t kOutAck = 255;      // written after a code was taken
constexpr std::uint8_t kDataIdle = 0x40;   // bit 6 high: no code waiting
constexpr std::uint8_t kIdleValue = 0x7F;  // what an idle board reads as

}  // namespace tobrak
