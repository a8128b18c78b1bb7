#include "app/qt/settings.h"

#include <QFile>
#include <QSettings>
#include <algorithm>

namespace tobrak::qt {

Settings::Settings(const QString& file) {
    if (!file.isEmpty())
        s_ = std::make_unique<QSettings>(file, QSettings::IniFormat);
    else
#ifdef Q_OS_WIN
        s_ = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, "tobrak", "tobrak");
#else
        s_ = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "tobrak", "tobrak");
#endif
    users_ = file.isEmpty();
    // A file that does not parse is left as it is until something is written.
    readable_ = s_->status() == QSettings::NoError;
}

Settings::~Settings() = default;

void Settings::write(const QString& key, const QVariant& value) {
    if (!readable_) {
        s_->clear();  // the damaged file's remains are not mixed with new values
        readable_ = true;
    }
    s_->setValue(key, value);
    s_->sync();
}

namespace {
QString text(const QSettings& s, bool readable, const QString& key) {
    if (!readable) return {};
    const QVariant v = s.value(key);
    return v.typeId() == QMetaType::QString ? v.toString() : QString();
}
std::optional<int> number(const QSettings& s, bool readable, const QString& key) {
    bool ok = false;
    const int n = text(s, readable, key).toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}
}  // namespace

QString Settings::board() const { return text(*s_, readable_, "board"); }
void Settings::setBoard(const QString& option) { write("board", option); }

QString Settings::folder(const QString& dialog) const { return text(*s_, readable_, "folders/" + dialog); }
void Settings::setFolder(const QString& dialog, const QString& dir) { write("folders/" + dialog, dir); }

std::optional<QPoint> Settings::place(const QString& window) const {
    const QStringList xy = text(*s_, readable_, "places/" + window).split(',');
    bool okX = false, okY = false;
    if (xy.size() != 2) return std::nullopt;
    const QPoint p(xy[0].toInt(&okX), xy[1].toInt(&okY));
    return okX && okY ? std::optional<QPoint>(p) : std::nullopt;
}
void Settings::setPlace(const QString& window, QPoint at) {
    write("places/" + window, QStringLiteral("%1,%2").arg(at.x()).arg(at.y()));
}

std::optional<int> Settings::zoom() const {
    const auto z = number(*s_, readable_, "zoom");
    return z && *z >= 0 && *z <= 3 ? z : std::nullopt;
}
void Settings::setZoom(int item) { write("zoom", QString::number(item)); }

int Settings::viewScale() const {
    const int p = number(*s_, readable_, "viewScale").value_or(100);
    return std::ranges::find(kViewScales, p) != std::end(kViewScales) ? p : 100;
}
void Settings::setViewScale(int percent) { write("viewScale", QString::number(percent)); }

bool Settings::expectedLine() const { return text(*s_, readable_, "expectedLine/on") == QLatin1String("1"); }
void Settings::setExpectedLine(bool on) { write("expectedLine/on", on ? QStringLiteral("1") : QStringLiteral("0")); }
int Settings::expectedSetting() const {
    const int k = number(*s_, readable_, "expectedLine/setting").value_or(0);
    return k >= 0 && k <= 6 ? k : 0;
}
void Settings::setExpectedSetting(int setting) { write("expectedLine/setting", QString::number(setting)); }

QString Settings::profile() const { return text(*s_, readable_, "profile"); }
void Settings::setProfile(const QString& label) { write("profile", label); }

std::optional<Machine> Settings::lastMachine() const {
    Machine m{text(*s_, readable_, "lastMachine/name").toStdString(),
              text(*s_, readable_, "lastMachine/hall").toStdString(),
              text(*s_, readable_, "lastMachine/number").toStdString(),
              text(*s_, readable_, "lastMachine/profile").toStdString()};
    if (m.name.empty() && m.profile.empty()) return std::nullopt;
    return m;
}
void Settings::setLastMachine(const Machine& m) {
    write("lastMachine/name", QString::fromStdString(m.name));
    write("lastMachine/hall", QString::fromStdString(m.hall));
    write("lastMachine/number", QString::fromStdString(m.number));
    write("lastMachine/profile", QString::fromStdString(m.profile));
}

bool Settings::pickerOn() const { return text(*s_, readable_, "picker/on") != QLatin1String("0"); }
void Settings::setPickerOn(bool on) { write("picker/on", on ? QStringLiteral("1") : QStringLiteral("0")); }

QStringList Settings::recentFiles() const {
    if (!readable_) return {};
    const QVariant v = s_->value("recentFiles");
    QStringList l = v.typeId() == QMetaType::QStringList ? v.toStringList()
                    : v.typeId() == QMetaType::QString   ? QStringList{v.toString()}
                                                         : QStringList{};
    l.removeAll(QString());
    return l.mid(0, kRecentFiles);
}
void Settings::addRecentFile(const QString& path) {
    QStringList l = recentFiles();
    l.removeAll(path);
    l.prepend(path);
    write("recentFiles", l.mid(0, kRecentFiles));
}

QString Settings::liveToken() const {
    QString token = text(*s_, readable_, "live/token");
    if (token.isEmpty() && users_) {
        // Kept by earlier versions under Qt's stand-in organisation name.
        const QSettings old(QSettings::NativeFormat, QSettings::UserScope, "Unknown Organization", "tobrak");
        token = text(old, old.status() == QSettings::NoError, "live/token");
    }
    return token;
}
void Settings::setLiveToken(const QString& token) { write("live/token", token); }

bool Settings::liveOn() const { return text(*s_, readable_, "live/on") == QLatin1String("1"); }
void Settings::setLiveOn(bool on) { write("live/on", on ? QStringLiteral("1") : QStringLiteral("0")); }

MqttChoice Settings::mqtt() const {
    MqttChoice m;
    m.url = text(*s_, readable_, "mqtt/url");
    m.user = text(*s_, readable_, "mqtt/user");
    m.password = text(*s_, readable_, "mqtt/password");
    m.caFile = text(*s_, readable_, "mqtt/ca");
    if (readable_ && s_->contains("mqtt/prefix")) m.prefix = text(*s_, readable_, "mqtt/prefix");
    m.haDiscovery = text(*s_, readable_, "mqtt/haDiscovery") == QLatin1String("1");
    m.on = text(*s_, readable_, "mqtt/on") == QLatin1String("1") && !m.url.isEmpty();
    return m;
}
void Settings::setMqtt(const MqttChoice& m) {
    const auto flag = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
    write("mqtt/url", m.url);
    write("mqtt/user", m.user);
    write("mqtt/password", m.password);
    write("mqtt/ca", m.caFile);
    write("mqtt/prefix", m.prefix);
    write("mqtt/haDiscovery", flag(m.haDiscovery));
    write("mqtt/on", flag(m.on));
    // A password in the file: nobody else on the computer reads it.
    if (!m.password.isEmpty() && s_->format() == QSettings::IniFormat)
        QFile::setPermissions(s_->fileName(), QFile::ReadOwner | QFile::WriteOwner);
}

}  // namespace tobrak::qt
