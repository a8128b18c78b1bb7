#include "boards/qt/serial_lines.h"

#include "boards/qt/serial_ports.h"

namespace tobrak::qt {

SerialLines::SerialLines(const std::string& path, qint32 baud) : path_(QString::fromStdString(path)), baud_(baud) {}

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
    dropping_ = false;
}

LineSource::Read SerialLines::readLine(std::string& line) {
    if (!port_.isOpen()) return Read::Lost;
    // Without an event loop (the command-line tool) this is what fetches the bytes.
    if (!port_.canReadLine()) port_.waitForReadyRead(0);
    const SerialPort::SerialPortError e = port_.error();
    if (e != SerialPort::NoError && e != SerialPort::TimeoutError) {
        lose();
        return Read::Lost;
    }
    port_.clearError();
    if (dropping_) {
        // The rest of a line too long for the protocol, up to its end.
        if (!port_.canReadLine()) {
            port_.read(port_.bytesAvailable());
            return Read::None;
        }
        port_.readLine();
        dropping_ = false;
    }
    const QByteArray head = port_.peek(kMaxLine + 2);  // the longest line with CR LF
    const qsizetype end = head.indexOf('\n');
    if (end < 0 && head.size() < kMaxLine + 2) return Read::None;  // the line is still coming
    if (end < 0) {
        dropping_ = true;
        port_.read(head.size());
        line.assign(head.constData(), static_cast<std::size_t>(head.size()));
        return Read::Line;
    }
    port_.read(end + 1);
    line.assign(head.constData(), static_cast<std::size_t>(end));  // a CR before the LF is the decoder's
    return Read::Line;
}

void SerialLines::writeLine(const std::string& line) {
    if (!port_.isOpen()) return;
    const QByteArray bytes = QByteArray::fromStdString(line + "\n");
    if (port_.write(bytes) != bytes.size() || !port_.waitForBytesWritten(30)) lose();
}

}  // namespace tobrak::qt
