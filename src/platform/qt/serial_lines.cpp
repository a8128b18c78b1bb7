#include "platform/qt/serial_lines.h"

#include "platform/qt/serial_board.h"

namespace tobrak::qt {

SerialLines::SerialLines(QString path, qint32 baud) : path_(std::move(path)), baud_(baud) {}

bool SerialLines::open() {
    if (port_.isOpen()) return true;
    const auto now = std::chrono::steady_clock::now();
    if (now < nextTry_) return false;
    nextTry_ = now + std::chrono::milliseconds(kReopenMs);
    if (!openSerial8N1(port_, path_, baud_, error_)) return false;
    // USB CDC boards (Pico, ESP32-S2/S3) send only while the terminal is "ready".
    // A port without modem lines (a pseudo-terminal) refuses this; that is harmless.
    port_.setDataTerminalReady(true);
    port_.clearError();
    return true;
}

void SerialLines::lose() {
    error_ = port_.errorString();
    port_.close();
    port_.clearError();
}

LineSource::Read SerialLines::readLine(std::string& line) {
    if (!port_.isOpen()) return Read::Lost;
    // Without an event loop (the command-line tool) this is what fetches the bytes.
    if (!port_.canReadLine()) port_.waitForReadyRead(0);
    const QSerialPort::SerialPortError e = port_.error();
    if (e != QSerialPort::NoError && e != QSerialPort::TimeoutError) {
        lose();
        return Read::Lost;
    }
    port_.clearError();
    if (!port_.canReadLine()) {
        if (port_.bytesAvailable() > kMaxLine) port_.read(port_.bytesAvailable());  // no line end in sight
        return Read::None;
    }
    const QByteArray bytes = port_.readLine(kMaxLine + 1);
    line.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return Read::Line;
}

void SerialLines::writeLine(const std::string& line) {
    if (!port_.isOpen()) return;
    const QByteArray bytes = QByteArray::fromStdString(line + "\n");
    if (port_.write(bytes) != bytes.size() || !port_.waitForBytesWritten(30)) lose();
}

}  // namespace tobrak::qt
