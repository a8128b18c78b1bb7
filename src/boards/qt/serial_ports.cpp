#include "boards/qt/serial_ports.h"

#include <QSerialPortInfo>

namespace tobrak::qt {

bool openSerial8N1(QSerialPort& port, const QString& path, qint32 baud, QString& error) {
    port.setPortName(path);
    port.setBaudRate(baud);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    if (port.open(QIODevice::ReadWrite)) return true;
    error = port.errorString();
    return false;
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

}  // namespace tobrak::qt
