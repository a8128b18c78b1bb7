#pragma once
// USB HID digital I/O boards of the USB-IO family (USB-IO2.0, USB-IO2.0(AKI)),
// driven by their maker's published digital I/O command 0x20: a 64-byte report
// out ([0] 0x20, then up to four port/value pairs with ports 1..4, 0 for none;
// [63] a sequence number) and a 64-byte report back ([0] the command, [1..4]
// the input values of ports 1..4, [63] the sequence number). The machine's
// signal lines are on the board's port 1 (J1, eight bits), behind the handshake
// of the interface board between them.
#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "session/event_source.h"

namespace tobrak {

// One HID board, opened by its serial number (any board when empty).
class HidLink {
public:
    using Report = std::array<std::uint8_t, 64>;
    virtual ~HidLink() = default;
    virtual bool open(const std::string& serial) = 0;
    virtual bool isOpen() const = 0;
    virtual void close() = 0;
    virtual bool write(const Report& r) = 0;
    // Waits up to `ms` for one report; 1 read, 0 nothing came, -1 the board is gone.
    virtual int read(Report& r, int ms) = 0;
    virtual std::string lastError() const = 0;
};

struct HidBoardInfo {
    std::uint16_t vendor = 0, product = 0;
    std::string serial, product_name, path;
    bool known = false;  // a board of the table below
};

// The boards this backend knows, by USB vendor and product number.
struct UsbIoModel {
    std::uint16_t vendor, product;
    const char* name;
};
const std::vector<UsbIoModel>& usbIoModels();

class UsbIoBoard final : public EventSource {
public:
    static constexpr int kAnswerMs = 30;
    static constexpr int kReopenMs = 1000;
    static constexpr std::uint8_t kDigitalIo = 0x20;

    UsbIoBoard(HidLink& link, std::string serial);

    // One read of port 1 between the handshake's writes: at most one code.
    void poll(EventSink& sink, bool recordFull) override;
    std::string problem() const override { return link_.lastError(); }

private:
    bool find();
    // Sends one 0x20 command (port 1 driven with `drive` when it is set) and
    // waits for its answer; the answer's port-1 value, or -1.
    int exchange(int drive);

    HidLink& link_;
    std::string serial_;
    std::uint8_t seq_ = 0;
    std::chrono::steady_clock::time_point nextTry_{};
};

}  // namespace tobrak
