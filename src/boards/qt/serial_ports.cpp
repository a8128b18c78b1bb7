#include "boards/qt/serial_ports.h"

#ifdef _WIN32
#include <windows.h>
// windows.h first: the set-up API's headers stand on it.
#include <devguid.h>
#include <setupapi.h>

#include <QRegularExpression>
#else
#include <QSerialPortInfo>
#endif

namespace tobrak::qt {

#ifdef _WIN32

bool openSerial8N1(SerialPort& port, const QString& path, qint32 baud, QString& error) {
    if (port.open8N1(path, baud)) return true;
    error = port.errorString();
    return false;
}

namespace {
QString deviceProperty(HDEVINFO set, SP_DEVINFO_DATA& dev, DWORD property) {
    wchar_t text[512] = {};
    DWORD type = 0;
    if (!SetupDiGetDeviceRegistryPropertyW(set, &dev, property, &type, reinterpret_cast<BYTE*>(text),
                                           sizeof text - sizeof(wchar_t), nullptr))
        return {};
    return QString::fromWCharArray(text);  // a multi-string's first entry
}

QString registryText(HKEY key, const wchar_t* name) {
    wchar_t text[256] = {};
    DWORD type = 0, size = sizeof text - sizeof(wchar_t);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    return QString::fromWCharArray(text);
}

int usbNumber(const QString& hardwareId, const char* key) {
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("%1_([0-9A-Fa-f]{4})").arg(QLatin1String(key))).match(hardwareId);
    return m.hasMatch() ? m.captured(1).toInt(nullptr, 16) : -1;
}
}  // namespace

std::vector<SerialPortFound> findSerialPorts() {
    std::vector<SerialPortFound> found;
    // The ports the device manager knows, with their names and USB numbers.
    HDEVINFO set = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (set != INVALID_HANDLE_VALUE) {
        SP_DEVINFO_DATA dev{};
        dev.cbSize = sizeof dev;
        for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &dev); ++i) {
            HKEY key = SetupDiOpenDevRegKey(set, &dev, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
            if (key == INVALID_HANDLE_VALUE) continue;
            const QString name = registryText(key, L"PortName");
            RegCloseKey(key);
            if (!name.startsWith(QLatin1String("COM"))) continue;  // printer ports share the class
            QString description = deviceProperty(set, dev, SPDRP_FRIENDLYNAME);
            if (description.isEmpty()) description = deviceProperty(set, dev, SPDRP_DEVICEDESC);
            const QString hardware = deviceProperty(set, dev, SPDRP_HARDWAREID);
            found.push_back({name.toStdString(), description.toStdString(),
                             deviceProperty(set, dev, SPDRP_MFG).toStdString(), usbNumber(hardware, "VID"),
                             usbNumber(hardware, "PID")});
        }
        SetupDiDestroyDeviceInfoList(set);
    }
    // And every port the system maps, which is all Wine knows of.
    HKEY map = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &map) == ERROR_SUCCESS) {
        for (DWORD i = 0;; ++i) {
            wchar_t value[256];
            DWORD valueSize = 256;
            wchar_t data[64] = {};
            DWORD type = 0, dataSize = sizeof data - sizeof(wchar_t);
            if (RegEnumValueW(map, i, value, &valueSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize) !=
                ERROR_SUCCESS)
                break;
            if (type != REG_SZ) continue;
            const std::string name = QString::fromWCharArray(data).toStdString();
            bool known = false;
            for (const SerialPortFound& f : found) known = known || f.path == name;
            if (!known) found.push_back({name, {}, {}});
        }
        RegCloseKey(map);
    }
    return found;
}

#else

bool openSerial8N1(SerialPort& port, const QString& path, qint32 baud, QString& error) {
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

#endif

}  // namespace tobrak::qt
