#pragma once
// The serial link to an edge board: text lines in, a request line out. A lost
// port is opened again by its path about once a second.
#include <QString>
#include <chrono>

#include "boards/edge_board.h"
#include "boards/qt/serial_ports.h"

namespace tobrak::qt {

class SerialLines final : public LineSource {
public:
    static constexpr int kReopenMs = 1000;
    // Longer is noise, not the protocol: it is handed on as its first kMaxLine + 2
    // characters, which the decoder counts as a bad line, and the rest is dropped.
    static constexpr qint64 kMaxLine = static_cast<qint64>(EdgeDecoder::kMaxLine);

    SerialLines(const std::string& path, qint32 baud = 115200);

    bool open() override;
    Read readLine(std::string& line) override;
    void writeLine(const std::string& line) override;
    std::string lastError() const override { return error_.toStdString(); }

private:
    void lose();

    SerialPort port_;
    QString path_;
    qint32 baud_;
    QString error_;
    bool dropping_ = false;  // inside a line too long for the protocol
    std::chrono::steady_clock::time_point nextTry_{};
};

}  // namespace tobrak::qt
