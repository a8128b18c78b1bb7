#include "boards/board_factory.h"

#include <QSerialPortInfo>
#include <sstream>

#include "platform/hid/hidapi_link.h"
#include "platform/qt/serial_board.h"
#include "platform/qt/serial_lines.h"

namespace tobrak {

const char* const kBoardOptions = "none, sim, serial:PATH[,BAUD], edges:PATH[,BAUD] or usbio[:SERIAL]";

bool usesSerialPort(const std::string& option) {
    return option.rfind("serial:", 0) == 0 || option.rfind("edges:", 0) == 0;
}

std::string makeBoard(const std::string& option, const SimOptions& sim, OpenedBoard& d) {
    std::string path, serial;
    std::int32_t baud = 0;
    if (option == "none") {
        d.what = "no board";
    } else if (option == "sim") {
        d.board = std::make_unique<SimBoard>(sim);
        std::ostringstream s;
        s << "the simulated machine (seed " << sim.seed << ", speed " << sim.speed << ")";
        d.what = s.str();
    } else if (parsePortOption("serial", option, path, baud)) {
        auto serialBoard = std::make_unique<qt::SerialBoard>(QString::fromStdString(path), baud);
        d.error = [b = serialBoard.get()] { return b->lastError().toStdString(); };
        d.board = std::move(serialBoard);
        d.what = "the serial bridge " + path;
    } else if (parsePortOption("edges", option, path, baud)) {
        d.link = std::make_unique<qt::SerialLines>(QString::fromStdString(path), baud);
        auto edges = std::make_unique<EdgeBoard>(*d.link);
        d.decoder = &edges->decoder();
        d.error = [b = edges.get()] { return b->lastError(); };
        d.board = std::move(edges);
        d.what = "the edge board " + path;
    } else if (parseUsbIoOption(option, serial)) {
        d.hid = std::make_unique<HidapiLink>();
        auto usb = std::make_unique<UsbIoBoard>(*d.hid, serial);
        d.error = [b = usb.get()] { return b->lastError(); };
        d.board = std::move(usb);
        d.what = serial.empty() ? std::string("the USB-IO board") : "the USB-IO board " + serial;
    } else {
        return "unknown board '" + option + "' (" + kBoardOptions + ")";
    }
    return {};
}

std::vector<SerialPortFound> findSerialPorts() {
    std::vector<SerialPortFound> found;
    for (const QSerialPortInfo& p : QSerialPortInfo::availablePorts()) {
        SerialPortFound f{p.systemLocation().toStdString(), p.description().toStdString(),
                          p.manufacturer().toStdString()};
        if (p.hasVendorIdentifier() && p.hasProductIdentifier()) {
            f.vendor = p.vendorIdentifier();
            f.product = p.productIdentifier();
        }
        found.push_back(std::move(f));
    }
    return found;
}

std::string boardCaption(const std::string& option) {
    std::string path, serial;
    std::int32_t baud = 0;
    if (option == "none") return "なし";
    if (option == "sim") return "シミュレーター";
    if (parsePortOption("serial", option, path, baud)) return "シリアルブリッジ  " + path;
    if (parsePortOption("edges", option, path, baud)) return "エッジボード  " + path;
    if (parseUsbIoOption(option, serial)) return serial.empty() ? "USB-IO" : "USB-IO  " + serial;
    return option;
}

std::vector<BoardChoice> boardChoices() {
    std::vector<BoardChoice> c{{"none", boardCaption("none")}, {"sim", boardCaption("sim")}};
    for (const SerialPortFound& p : findSerialPorts()) {
        const std::string about = p.description.empty() ? "" : "  " + p.description;
        for (const char* kind : {"serial:", "edges:"})
            c.push_back({kind + p.path, boardCaption(kind + p.path) + about, true});
    }
    for (const HidBoardInfo& h : listHidBoards())
        if (h.known)
            c.push_back({h.serial.empty() ? std::string("usbio") : "usbio:" + h.serial,
                         "USB-IO  " + h.product_name + (h.serial.empty() ? "" : "  " + h.serial)});
    return c;
}

}  // namespace tobrak
