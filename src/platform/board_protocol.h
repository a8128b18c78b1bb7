#pragma once
// What port 0 of the board carries, for the poll and for every board that
// presents codes to it (simulated, serial bridge, edge boards, USB-IO).
#include <cstdint>

#include "session/event_source.h"

namespace tobrak {

constexpr std::uint8_t kOutRead = 127;     // written before each read
constexpr std::uint8_t kOutAck = 255;      // written after a code was taken
constexpr std::uint8_t kDataIdle = 0x40;   // bit 6 high: no code waiting
constexpr std::uint8_t kIdleValue = 0x7F;  // what an idle board reads as

}  // namespace tobrak
