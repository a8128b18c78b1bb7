#include "boards/usbio_board.h"

namespace tobrak {

namespace {
// The interface board's handshake on port 1.
constexpr std::uint8_t kOutRead = 127;    // written before each read
constexpr std::uint8_t kOutAck = 255;     // written after a code was taken
constexpr std::uint8_t kDataIdle = 0x40;  // bit 6 high: no code waiting
}  // namespace

const std::vector<UsbIoModel>& usbIoModels() {
    static const std::vector<UsbIoModel> models{{0x1352, 0x0121, "USB-IO2.0"}};
    return models;
}

UsbIoBoard::UsbIoBoard(HidLink& link, std::string serial) : link_(link), serial_(std::move(serial)) {}

bool UsbIoBoard::find() {
    if (link_.isOpen()) return true;
    const auto now = std::chrono::steady_clock::now();
    if (now < nextTry_) return false;  // an absent board is looked for once a second, not every poll
    nextTry_ = now + std::chrono::milliseconds(kReopenMs);
    return link_.open(serial_);
}

int UsbIoBoard::exchange(int drive) {
    if (!link_.isOpen()) return -1;
    HidLink::Report out{};
    out[0] = kDigitalIo;
    if (drive >= 0) {
        out[1] = 1;  // port 1
        out[2] = static_cast<std::uint8_t>(drive);
    }
    seq_ = static_cast<std::uint8_t>(seq_ + 1);
    out[63] = seq_;
    if (!link_.write(out)) {
        link_.close();
        return -1;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kAnswerMs);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left < 0) return -1;  // no answer in time: a failed read
        HidLink::Report in{};
        const int r = link_.read(in, static_cast<int>(left));
        if (r < 0) {
            link_.close();
            return -1;
        }
        if (r == 0) return -1;
        // An answer to an earlier command that came too late is not this one's.
        if (in[0] == kDigitalIo && in[63] == seq_) return in[1];
    }
}

void UsbIoBoard::poll(EventSink& sink, bool) {
    find();
    exchange(kOutRead);
    const int v = exchange(-1);
    sink.boardState(v >= 0);
    if (v < 0 || (v & kDataIdle) != 0) return;
    exchange(kOutAck);
    sink.arrived(static_cast<std::uint8_t>(v & 31));
}

}  // namespace tobrak
