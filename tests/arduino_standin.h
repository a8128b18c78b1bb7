#pragma once
// Just enough of the Arduino core to run a sketch on the PC: a settable clock,
// pins whose levels the test sets, and a serial port with byte queues.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <vector>

namespace arduino {

inline unsigned long now = 0;
inline std::map<std::uint8_t, int> levels;  // pin → LOW/HIGH; unset pins read HIGH (pull-up)

struct SerialPort {
    std::deque<std::uint8_t> rx;   // bytes from the PC
    std::vector<std::uint8_t> tx;  // bytes to the PC
    void begin(unsigned long) {}
    int available() const { return static_cast<int>(rx.size()); }
    int read() {
        if (rx.empty()) return -1;
        const int b = rx.front();
        rx.pop_front();
        return b;
    }
    std::size_t write(const std::uint8_t* b, std::size_t n) {
        tx.insert(tx.end(), b, b + n);
        return n;
    }
};
inline SerialPort serial;

}  // namespace arduino

using std::uint8_t;
constexpr int LOW = 0, HIGH = 1, INPUT_PULLUP = 2;
inline unsigned long millis() { return arduino::now; }
inline void pinMode(uint8_t, int) {}
inline int digitalRead(uint8_t pin) {
    const auto it = arduino::levels.find(pin);
    return it == arduino::levels.end() ? HIGH : it->second;
}
inline arduino::SerialPort& Serial = arduino::serial;
