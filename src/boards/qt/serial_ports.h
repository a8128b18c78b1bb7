#pragma once
// The serial ports of this computer, and how every board of ours on one is opened.
#include <QString>
#include <string>
#include <vector>

#ifdef _WIN32
#include "boards/qt/win_com_port.h"
#else
#include <QSerialPort>
#endif

namespace tobrak::qt {

// Qt Serial Port on Linux; on Windows the COM port is opened through the system's own calls.
#ifdef _WIN32
using SerialPort = WinComPort;
#else
using SerialPort = QSerialPort;
#endif

// Opens a port at 8 data bits, no parity, one stop bit, no flow control, as every
// board of ours speaks; on failure `error` says why.
bool openSerial8N1(SerialPort& port, const QString& path, qint32 baud, QString& error);

struct SerialPortFound {
    std::string path, description, manufacturer;
    int vendor = -1, product = -1;  // USB numbers, when known
};
std::vector<SerialPortFound> findSerialPorts();

}  // namespace tobrak::qt
