#include "boards/qt/serial_board.h"

#include "boards/qt/serial_ports.h"

namespace tobrak::qt {

namespace {
// The I/O board's handshake, which protocol 1 carries as it is.
constexpr std::uint8_t kOutRead = 127;    // written before each read
constexpr std::uint8_t kOutAck = 255;     // written after a code was taken
constexpr std::uint8_t kDataIdle = 0x40;  // bit 6 high: no code waiting

constexpr char kWrite = 'W';
constexpr char kRead = 'R';
constexpr char kAnswer = 'A';
// Protocol 2: the version request and its answer, the numbered read and its
// answer, the acknowledge that names its code.
constexpr char kVersion = 'V';
constexpr char kVersionAnswer = 'P';
constexpr char kNumberedRead = 'S';
constexpr char kNumberedAnswer = 'N';
constexpr char kAck = 'K';

std::uint8_t byteAt(const QByteArray& a, int i) { return static_cast<std::uint8_t>(a[i]); }
// 'A' v ~v
bool plainAnswer(const QByteArray& a, int at) {
    return byteAt(a, at) == kAnswer && static_cast<std::uint8_t>(byteAt(a, at + 1) ^ 0xFF) == byteAt(a, at + 2);
}
// lead x y ~(x^y)
bool pairAnswer(const QByteArray& a, int at, char lead) {
    return byteAt(a, at) == static_cast<std::uint8_t>(lead) &&
           static_cast<std::uint8_t>(byteAt(a, at + 1) ^ byteAt(a, at + 2) ^ 0xFF) == byteAt(a, at + 3);
}
}  // namespace

SerialBoard::SerialBoard(const std::string& path, qint32 baud) : path_(QString::fromStdString(path)), baud_(baud) {}

bool SerialBoard::ensureOpen() {
    if (port_.isOpen()) return true;
    const auto now = std::chrono::steady_clock::now();
    if (now < nextTry_) return false;  // not every poll: an absent device is tried once a second
    nextTry_ = now + std::chrono::milliseconds(kReopenMs);
    if (!openSerial8N1(port_, path_, baud_, error_)) return false;
    port_.clear();
    protocol_ = Protocol::Unknown;  // it may be another bridge now
    ackDue_ = false;
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

void SerialBoard::poll(EventSink& sink, bool) {
    ensureOpen();
    out(kOutRead);
    std::uint8_t v = 0;
    const bool read = inp(v) == 0;
    sink.boardState(read);
    if (!read || (v & kDataIdle) != 0) return;
    out(kOutAck);
    sink.arrived(static_cast<std::uint8_t>(v & 31));
}

std::int32_t SerialBoard::out(std::int32_t value) {
    if (!port_.isOpen()) return -1;
    if (protocol_ == Protocol::Two) {
        // The port's bit 7 is no handshake here: only the acknowledge goes out.
        if (value != kOutAck || !ackDue_) return 0;
        ackDue_ = false;
        return acknowledge(taken_) ? 0 : -1;
    }
    const char msg[3] = {kWrite, static_cast<char>(value), static_cast<char>(value ^ 0xFF)};
    return send(msg, 3) ? 0 : -1;
}

bool SerialBoard::acknowledge(std::uint8_t number) {
    const char msg[3] = {kAck, static_cast<char>(number), static_cast<char>(number ^ 0xFF)};
    return send(msg, 3);
}

bool SerialBoard::receive(QByteArray& answer, int size, std::chrono::steady_clock::time_point deadline) {
    while (answer.size() < size) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;  // silence: a failed read
        // Bytes already buffered do not wake a wait: only new ones do.
        if (port_.bytesAvailable() == 0 && !port_.waitForReadyRead(static_cast<int>(left.count()))) {
            if (port_.error() != SerialPort::NoError && port_.error() != SerialPort::TimeoutError) lose();
            port_.clearError();
            return false;
        }
        answer += port_.read(size - answer.size());
    }
    return true;
}

// 'N' v n check at `at`: a code numbered like the one taken last is its repeat,
// whose acknowledge was lost; it is acknowledged again and not passed on.
std::int32_t SerialBoard::takeNumbered(const QByteArray& answer, int at, std::uint8_t& value) {
    if (!pairAnswer(answer, at, kNumberedAnswer)) return -1;
    const std::uint8_t v = byteAt(answer, at + 1), n = byteAt(answer, at + 2);
    if ((v & kDataIdle) != 0) {
        value = v;
        return 0;
    }
    if (n == 0) return -1;  // every code carries a number
    if (n == taken_) {
        if (!acknowledge(n)) return -1;
        value = v | kDataIdle;
        return 0;
    }
    taken_ = n;
    ackDue_ = true;
    value = v;
    return 0;
}

std::int32_t SerialBoard::inp(std::uint8_t& value) {
    if (!port_.isOpen()) return -1;
    port_.readAll();  // a late answer to an earlier read is not this one's
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kAnswerMs);
    QByteArray answer;
    if (protocol_ == Protocol::Two) {
        const char req = kNumberedRead;
        if (!send(&req, 1) || !receive(answer, 4, deadline)) return -1;
        return takeNumbered(answer, 0, value);
    }
    if (protocol_ == Protocol::One) {
        const char req = kRead;
        if (!send(&req, 1) || !receive(answer, 3, deadline)) return -1;
        if (!plainAnswer(answer, 0)) return -1;
        value = byteAt(answer, 1);
        return 0;
    }
    // Not known yet: a protocol-1 bridge answers only the plain read; a
    // protocol-2 bridge answers all three, its version first. Asked again at
    // every read until one of them answers (a bridge may still be starting).
    const char req[3] = {kVersion, kRead, kNumberedRead};
    if (!send(req, 3) || !receive(answer, 3, deadline)) return -1;
    if (plainAnswer(answer, 0)) {
        protocol_ = Protocol::One;
        taken_ = 0;
        value = byteAt(answer, 1);
        return 0;
    }
    // 'P' version n check, 'A' v ~v, 'N' v n check
    if (byteAt(answer, 0) != kVersionAnswer || !receive(answer, 11, deadline) ||
        !pairAnswer(answer, 0, kVersionAnswer) || byteAt(answer, 1) < 2)
        return -1;
    protocol_ = Protocol::Two;
    // n: the code the bridge had already sent before this opening. Unless it is
    // the one taken last, this is another or a restarted bridge, whose numbers
    // are not those the program has seen.
    if (byteAt(answer, 2) != taken_) taken_ = 0;
    return takeNumbered(answer, 7, value);
}

}  // namespace tobrak::qt
