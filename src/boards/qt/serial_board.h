#pragma once
// A serial bridge board (see docs/serial-protocol.md): each step of the I/O
// board's handshake is one short message on a serial port. A lost port is opened again by its path,
// and the bridge behind it is asked again which protocol it speaks.
#include <QString>
#include <chrono>

#include "boards/qt/serial_ports.h"
#include "session/event_source.h"

namespace tobrak::qt {

class SerialBoard final : public EventSource {
public:
    static constexpr int kAnswerMs = 30;  // the bridge answers a read within this
    static constexpr int kReopenMs = 1000;

    SerialBoard(const std::string& path, qint32 baud = 115200);

    // The read between the handshake's writes: at most one code a poll.
    void poll(EventSink& sink, bool recordFull) override;
    std::string problem() const override { return error_.toStdString(); }

    bool isOpen() const { return port_.isOpen(); }

private:
    enum class Protocol { Unknown, One, Two };

    // The board's port: 0 on success, as the I/O board's own library answers.
    std::int32_t out(std::int32_t value);
    std::int32_t inp(std::uint8_t& value);
    bool ensureOpen();
    void lose();
    bool send(const char* bytes, qint64 n);
    bool receive(QByteArray& answer, int size, std::chrono::steady_clock::time_point deadline);
    bool acknowledge(std::uint8_t number);
    std::int32_t takeNumbered(const QByteArray& answer, int at, std::uint8_t& value);

    SerialPort port_;
    QString path_;
    qint32 baud_;
    QString error_;
    std::chrono::steady_clock::time_point nextTry_{};
    Protocol protocol_ = Protocol::Unknown;
    std::uint8_t taken_ = 0;  // the number of the code taken last; 0: none
    bool ackDue_ = false;     // taken_ is not acknowledged yet
};

}  // namespace tobrak::qt
