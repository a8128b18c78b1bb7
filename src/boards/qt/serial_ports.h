#pragma once
// The serial ports of this computer, and how every board of ours on one is opened.
#include <QSerialPort>
#include <QString>
#include <string>
#include <vector>

namespace tobrak::qt {

// Opens a port at 8 data bits, no parity, one stop bit, no flow control, as every
// board of ours speaks; on failure `error` says why.
bool openSerial8N1(QSerialPort& port, const QString& path, qint32 baud, QString& error);

struct SerialPortFound {
    std::string path, description, manufacturer;
    int vendor = -1, product = -1;  // USB numbers, when known
};
std::vector<SerialPortFound> findSerialPorts();

}  // namespace tobrak::qt
