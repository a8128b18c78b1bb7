#include "platform/usbio_board.h"

namespace tobrak {

const std::vector<UsbIoModel>& usbIoModels() {
    static const std::vector<UsbIoModel> models{{0x1352, 0x0121, "USB-IO2.0"}};
    return models;
}

UsbIoBoard::UsbIoBoard(HidLink& link, std::string serial) : link_(link), serial_(std::move(serial)) {}

std::int32_t UsbIoBoard::uio_find() {
    if (link_.isOpen()) return 0;
    const auto now = std::chrono::steady_clock::now();
    if (now < nextTry_) return -1;  // an absent board is looked for once a second, not every poll
    nextTry_ = now + std::chrono::milliseconds(kReopenMs);
    return link_.open(serial_) ? 0 : -1;
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

std::int32_t UsbIoBoard::uio_out(std::int32_t port, std::int32_t value, std::int32_t) {
    if (port != 0) return -1;
    return exchange(value & 0xFF) >= 0 ? 0 : -1;
}

std::int32_t UsbIoBoard::uio_inp(std::uint8_t& value, std::int32_t port, std::int32_t) {
    if (port != 0) return -1;
    const int v = exchange(-1);
    if (v < 0) return -1;
    value = static_cast<std::uint8_t>(v);
    return 0;
}

bool parseUsbIoOption(const std::string& option, std::string& serial) {
    if (option == "usbio") {
        serial.clear();
        return true;
    }
    if (option.rfind("usbio:", 0) != 0 || option.size() == 6) return false;
    serial = option.substr(6);
    return true;
}

}  // namespace tobrak
