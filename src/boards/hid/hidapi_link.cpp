#include "boards/hid/hidapi_link.h"

#include <hidapi.h>

#include <cstring>

namespace tobrak {

namespace {

std::string narrow(const wchar_t* w) {
    std::string s;
    for (; w && *w; ++w) s += *w < 0x80 ? static_cast<char>(*w) : '?';
    return s;
}

bool known(std::uint16_t vendor, std::uint16_t product) {
    for (const UsbIoModel& m : usbIoModels())
        if (m.vendor == vendor && m.product == product) return true;
    return false;
}

}  // namespace

HidapiLink::HidapiLink() { hid_init(); }

HidapiLink::~HidapiLink() {
    close();
    hid_exit();
}

bool HidapiLink::open(const std::string& serial) {
    close();
    hid_device_info* all = hid_enumerate(0, 0);
    std::string path;
    for (hid_device_info* d = all; d && path.empty(); d = d->next)
        if (known(d->vendor_id, d->product_id) && (serial.empty() || narrow(d->serial_number) == serial))
            path = d->path;
    hid_free_enumeration(all);
    if (path.empty()) {
        error_ = serial.empty() ? "no USB-IO board found" : "no USB-IO board with serial number " + serial;
        return false;
    }
    dev_ = hid_open_path(path.c_str());
    if (!dev_) {
        error_ = "cannot open " + path + " (no permission for /dev/hidraw*?)";
        return false;
    }
    return true;
}

void HidapiLink::close() {
    if (dev_) hid_close(dev_);
    dev_ = nullptr;
}

bool HidapiLink::write(const Report& r) {
    if (!dev_) return false;
    unsigned char buf[65] = {0};  // report number 0: the board uses none
    std::memcpy(buf + 1, r.data(), r.size());
    if (hid_write(dev_, buf, sizeof buf) < 0) {
        error_ = narrow(hid_error(dev_));
        return false;
    }
    return true;
}

int HidapiLink::read(Report& r, int ms) {
    if (!dev_) return -1;
    const int n = hid_read_timeout(dev_, r.data(), r.size(), ms);
    if (n < 0) {
        error_ = narrow(hid_error(dev_));
        return -1;
    }
    return n > 0 ? 1 : 0;
}

std::vector<HidBoardInfo> listHidBoards() {
    hid_init();
    std::vector<HidBoardInfo> out;
    hid_device_info* all = hid_enumerate(0, 0);
    for (hid_device_info* d = all; d; d = d->next) {
        const bool isKnown = known(d->vendor_id, d->product_id);
        if (!isKnown && d->usage_page < 0xFF00) continue;
        out.push_back(
            {d->vendor_id, d->product_id, narrow(d->serial_number), narrow(d->product_string), d->path, isKnown});
    }
    hid_free_enumeration(all);
    return out;
}

}  // namespace tobrak
