#include "boards/qt/win_com_port.h"

#include <windows.h>

namespace tobrak::qt {

namespace {
QString systemMessage(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD n =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString s = n > 0 ? QString::fromWCharArray(text, static_cast<int>(n)).trimmed()
                      : QStringLiteral("Windows error %1").arg(code);
    if (text) LocalFree(text);
    return s;
}

HANDLE h(void* p) { return static_cast<HANDLE>(p); }
}  // namespace

bool WinComPort::open8N1(const QString& name, qint32 baud) {
    close();
    // COM10 and above open only through the device namespace; the short names work either way.
    const QString path = name.startsWith(QLatin1String("\\\\")) ? name : QStringLiteral("\\\\.\\") + name;
    HANDLE port = CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        error_ = OpenError;
        errorText_ = systemMessage(GetLastError());
        return false;
    }
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    COMMTIMEOUTS writes{};
    bool ok = GetCommState(port, &dcb) != 0;
    if (ok) {
        dcb.BaudRate = static_cast<DWORD>(baud);
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        dcb.fBinary = TRUE;
        dcb.fParity = FALSE;
        dcb.fOutxCtsFlow = FALSE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fDtrControl = DTR_CONTROL_DISABLE;
        dcb.fDsrSensitivity = FALSE;
        dcb.fOutX = FALSE;
        dcb.fInX = FALSE;
        dcb.fNull = FALSE;
        dcb.fRtsControl = RTS_CONTROL_DISABLE;
        dcb.fAbortOnError = FALSE;
        ok = SetCommState(port, &dcb) != 0;
    }
    // A write that the driver cannot take within this is a lost device, not a wait.
    writes.ReadIntervalTimeout = MAXDWORD;
    writes.WriteTotalTimeoutConstant = 200;
    if (ok) ok = SetCommTimeouts(port, &writes) != 0;
    if (!ok) {
        error_ = OpenError;
        errorText_ = systemMessage(GetLastError());
        CloseHandle(port);
        return false;
    }
    handle_ = port;
    timeoutMs_ = 0;
    buffer_.clear();
    error_ = NoError;
    return true;
}

void WinComPort::close() {
    if (handle_) CloseHandle(h(handle_));
    handle_ = nullptr;
    buffer_.clear();
}

void WinComPort::clear() {
    buffer_.clear();
    if (handle_) PurgeComm(h(handle_), PURGE_RXCLEAR | PURGE_TXCLEAR | PURGE_RXABORT | PURGE_TXABORT);
}

void WinComPort::fail(SerialPortError e) {
    error_ = e;
    errorText_ = systemMessage(GetLastError());
}

qint64 WinComPort::write(const char* data, qint64 size) {
    if (!handle_) return -1;
    DWORD done = 0;
    if (!WriteFile(h(handle_), data, static_cast<DWORD>(size), &done, nullptr)) {
        fail(ResourceError);
        return -1;
    }
    return static_cast<qint64>(done);
}

bool WinComPort::fetch(int ms) {
    if (!handle_) return false;
    if (ms != timeoutMs_) {
        // MAXDWORD, MAXDWORD, ms: return at once with what is there, else with the first
        // byte to come, else after ms. MAXDWORD, 0, 0: at once, whatever is there.
        COMMTIMEOUTS t{};
        t.ReadIntervalTimeout = MAXDWORD;
        t.ReadTotalTimeoutMultiplier = ms > 0 ? MAXDWORD : 0;
        t.ReadTotalTimeoutConstant = ms > 0 ? static_cast<DWORD>(ms) : 0;
        t.WriteTotalTimeoutConstant = 200;
        if (!SetCommTimeouts(h(handle_), &t)) {
            fail(ResourceError);
            return false;
        }
        timeoutMs_ = ms;
    }
    char chunk[4096];
    DWORD got = 0;
    if (!ReadFile(h(handle_), chunk, sizeof chunk, &got, nullptr)) {
        fail(ResourceError);
        return false;
    }
    buffer_.append(chunk, static_cast<qsizetype>(got));
    return true;
}

bool WinComPort::waitForReadyRead(int ms) {
    const qsizetype before = buffer_.size();
    if (!fetch(ms < 0 ? 0 : ms)) return false;
    if (buffer_.size() > before) return true;
    error_ = TimeoutError;
    return false;
}

qint64 WinComPort::bytesAvailable() {
    fetch(0);
    return buffer_.size();
}

QByteArray WinComPort::read(qint64 max) {
    if (buffer_.size() < max) fetch(0);
    QByteArray out = buffer_.left(max);
    buffer_.remove(0, out.size());
    return out;
}

QByteArray WinComPort::readAll() {
    fetch(0);
    QByteArray out;
    out.swap(buffer_);
    return out;
}

QByteArray WinComPort::readLine() {
    const qsizetype end = buffer_.indexOf('\n');
    return read(end < 0 ? buffer_.size() : end + 1);
}

bool WinComPort::setDataTerminalReady(bool on) {
    return handle_ && EscapeCommFunction(h(handle_), on ? SETDTR : CLRDTR) != 0;
}

}  // namespace tobrak::qt
