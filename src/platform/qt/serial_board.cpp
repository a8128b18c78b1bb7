#include "platform/qt/serial_board.h"

#include "platform/edge_board.h"

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

namespace {
constexpr char kWrite = 'W';
constexpr char kRead = 'R';
constexpr char kAnswer = 'A';
}  // namespace

bool parseSerialBoard(const QString& option, QString& path, qint32& baud) {
    std::string p;
    std::int32_t b = 0;
    if (!parsePortOption("serial", option.toStdString(), p, b)) return false;
    path = QString::fromStdString(p);
    baud = b;
    return true;
}

SerialBoard::SerialBoard(QString path, qint32 baud) : path_(std::move(path)), baud_(baud) {}

bool SerialBoard::ensureOpen() {
    if (port_.isOpen()) return true;
    const auto now = std::chrono::steady_clock::now();
    if (now < nextTry_) return false;  // not every poll: an absent device is tried once a second
    nextTry_ = now + std::chrono::milliseconds(kReopenMs);
    if (!openSerial8N1(port_, path_, baud_, error_)) return false;
    port_.clear();
    return true;
}

void SerialBoard::lose() {
    error_ = port_.errorString();
    port_.close();
    port_.clearError();
}

bool SerialBoard::send(const char* bytes, qint64 n) {
    if (port_.write(bytes, n) != n || !port_.waitForBytesWritten(kAnswerMs)) {
        lose();
        return false;
    }
    return true;
}

std::int32_t SerialBoard::uio_find() { return ensureOpen() ? 0 : -1; }

std::int32_t SerialBoard::uio_out(std::int32_t port, std::int32_t value, std::int32_t) {
    if (port != 0 || !port_.isOpen()) return -1;
    const char msg[3] = {kWrite, static_cast<char>(value), static_cast<char>(value ^ 0xFF)};
    return send(msg, 3) ? 0 : -1;
}

std::int32_t SerialBoard::uio_inp(std::uint8_t& value, std::int32_t port, std::int32_t) {
    if (port != 0 || !port_.isOpen()) return -1;
    port_.readAll();  // a late answer to an earlier read is not this one's
    const char req = kRead;
    if (!send(&req, 1)) return -1;
    QByteArray answer;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kAnswerMs);
    while (answer.size() < 3) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return -1;  // silence: a failed read
        if (!port_.waitForReadyRead(static_cast<int>(left.count()))) {
            if (port_.error() != QSerialPort::NoError && port_.error() != QSerialPort::TimeoutError) lose();
            port_.clearError();
            return -1;
        }
        answer += port_.read(3 - answer.size());
    }
    const auto b = [&](int i) { return static_cast<std::uint8_t>(answer[i]); };
    if (b(0) != static_cast<std::uint8_t>(kAnswer) || static_cast<std::uint8_t>(b(1) ^ 0xFF) != b(2)) return -1;
    value = b(1);
    return 0;
}

}  // namespace tobrak::qt
