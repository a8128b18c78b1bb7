#pragma once
// A serial bridge board (see docs/serial-protocol.md): each board operation is
// one short message on a serial port. A lost port is opened again by its path,
// and the bridge behind it is asked again which protocol it speaks.
#include <QSerialPort>
#include <QString>
#include <chrono>

#include "platform/board.h"

namespace tobrak::qt {

// Opens a port at 8 data bits, no parity, one stop bit, no flow control, as every
// board of ours speaks; on failure `error` says why.
bool openSerial8N1(QSerialPort& port, const QString& path, qint32 baud, QString& error);

class SerialBoard final : public Board {
public:
    static constexpr int kAnswerMs = 30;  // the bridge answers a read within this
    static constexpr int kReopenMs = 1000;

    SerialBoard(QString path, qint32 baud = 115200);

    std::int32_t uio_find() override;
    std::int32_t uio_out(std::int32_t port, std::int32_t value, std::int32_t flags) override;
    std::int32_t uio_inp(std::uint8_t& value, std::int32_t port, std::int32_t flags) override;

    bool isOpen() const { return port_.isOpen(); }
    QString lastError() const { return error_; }

private:
    enum class Protocol { Unknown, One, Two };

    bool ensureOpen();
    void lose();
    bool send(const char* bytes, qint64 n);
    bool receive(QByteArray& answer, int size, std::chrono::steady_clock::time_point deadline);
    bool acknowledge(std::uint8_t number);
    std::int32_t takeNumbered(const QByteArray& answer, int at, std::uint8_t& value);

    QSerialPort port_;
    QString path_;
    qint32 baud_;
    QString error_;
    std::chrono::steady_clock::time_point nextTry_{};
    Protocol protocol_ = Protocol::Unknown;
    std::uint8_t taken_ = 0;  // the number of the code taken last; 0: none
    bool ackDue_ = false;     // taken_ is not acknowledged yet
};

// "serial:PATH[,BAUD]" → path and baud; false when it is not of that form.
bool parseSerialBoard(const QString& option, QString& path, qint32& baud);

}  // namespace tobrak::qt
