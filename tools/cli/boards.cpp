// `boards`: what could be recorded from on this computer, with the --board
// option that would use it.
#include <QCoreApplication>
#include <cstdio>
#include <ostream>

#include "boards/board_factory.h"
#include "commands.h"
#include "platform/hid/hidapi_link.h"

namespace tobrak::cli {

int boards(Io& io) {
    std::ostream& out = io.out;
    static int argc = 1;
    static char name[] = "tobrak-cli";
    static char* argv[] = {name, nullptr};
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance()) app = std::make_unique<QCoreApplication>(argc, argv);
    const auto ports = findSerialPorts();
    out << "serial ports: " << ports.size() << "\n";
    for (const SerialPortFound& p : ports) {
        out << "  " << p.path;
        if (!p.description.empty()) out << "  " << p.description;
        if (!p.manufacturer.empty()) out << " (" << p.manufacturer << ")";
        if (p.vendor >= 0) {
            char id[16];
            std::snprintf(id, sizeof id, "%04x:%04x", p.vendor, p.product);
            out << "  " << id;
        }
        out << "\n    --board serial:" << p.path << " (a serial bridge) or --board edges:" << p.path
            << " (an edge board)\n";
    }
    const auto hid = listHidBoards();
    out << "USB HID I/O boards: " << hid.size() << "\n";
    for (const HidBoardInfo& h : hid) {
        char id[16];
        std::snprintf(id, sizeof id, "%04x:%04x", h.vendor, h.product);
        out << "  " << id << "  " << h.product_name << "  serial " << (h.serial.empty() ? "-" : h.serial) << "  "
            << h.path << "\n";
        if (h.known)
            out << "    --board usbio" << (h.serial.empty() ? "" : ":" + h.serial) << "\n";
        else
            out << "    not a board this program knows\n";
    }
    return 0;
}

}  // namespace tobrak::cli
