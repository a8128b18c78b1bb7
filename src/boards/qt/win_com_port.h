#pragma once
// A COM port of Windows, opened blocking, with the few calls the serial boards make of a
// serial port: bytes in and out, waits with a timeout, the DTR line. Every board of
// ours speaks 8 data bits, no parity, one stop bit, no flow control.
#include <QByteArray>
#include <QString>

namespace tobrak::qt {

class WinComPort {
public:
    enum SerialPortError { NoError, OpenError, ResourceError, TimeoutError };

    WinComPort() = default;
    ~WinComPort() { close(); }
    WinComPort(const WinComPort&) = delete;
    WinComPort& operator=(const WinComPort&) = delete;

    // "COM3" or "\\.\COM12"; on failure errorString() says why, in Windows' own words.
    bool open8N1(const QString& name, qint32 baud);
    bool isOpen() const { return handle_ != nullptr; }
    void close();

    // Drops what the driver holds in either direction, and what was fetched.
    void clear();
    SerialPortError error() const { return error_; }
    QString errorString() const { return errorText_; }
    void clearError() { error_ = NoError; }

    // Blocking: the bytes are with the driver when it returns.
    qint64 write(const char* data, qint64 size);
    qint64 write(const QByteArray& data) { return write(data.constData(), data.size()); }
    bool waitForBytesWritten(int) { return isOpen(); }

    // Waits at most `ms` for at least one new byte; false on silence or a lost device.
    bool waitForReadyRead(int ms);
    qint64 bytesAvailable();
    QByteArray read(qint64 max);
    QByteArray readAll();
    QByteArray peek(qint64 max) const { return buffer_.left(max); }
    bool canReadLine() const { return buffer_.contains('\n'); }
    QByteArray readLine();

    bool setDataTerminalReady(bool on);

private:
    // Moves what the driver holds into buffer_, waiting up to `ms` for the first byte
    // when there is none yet; false when the device failed.
    bool fetch(int ms);
    void fail(SerialPortError e);

    void* handle_ = nullptr;  // a HANDLE; nullptr when closed
    QByteArray buffer_;
    SerialPortError error_ = NoError;
    QString errorText_;
    int timeoutMs_ = -1;  // the read timeout now set on the handle
};

}  // namespace tobrak::qt
