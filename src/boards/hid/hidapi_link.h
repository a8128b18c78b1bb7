#pragma once
// The USB HID link through hidapi (on Linux its hidraw back end: the user needs
// read and write access to /dev/hidraw*, see docs/boards.md).
#include <string>
#include <vector>

#include "boards/usbio_board.h"

struct hid_device_;

namespace tobrak {

class HidapiLink final : public HidLink {
public:
    HidapiLink();
    ~HidapiLink() override;

    bool open(const std::string& serial) override;
    bool isOpen() const override { return dev_ != nullptr; }
    void close() override;
    bool write(const Report& r) override;
    int read(Report& r, int ms) override;
    std::string lastError() const override { return error_; }

private:
    hid_device_* dev_ = nullptr;
    std::string error_;
};

// Every HID device with a vendor-defined usage page (I/O boards, not keyboards
// or mice), the known boards marked.
std::vector<HidBoardInfo> listHidBoards();

}  // namespace tobrak
