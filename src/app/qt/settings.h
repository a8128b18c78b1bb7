#pragma once
// What the window program keeps between runs: the board, the file dialogs'
// folders, the windows' places, the zoom, the view scale, the expected-value
// line, the machine profile, the recent files and the MQTT broker. Each value is written when it
// changes, so a crash keeps it; a value that cannot be read (a damaged or foreign
// file) reads as unset.
#include <QPoint>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "session/session.h"

class QSettings;

namespace tobrak::qt {

// The broker the window publishes the session to (接続 → MQTT…).
struct MqttChoice {
    QString url;  // mqtt://HOST[:PORT] or mqtts://…
    QString user, password;
    QString caFile;
    QString prefix = QStringLiteral("tobrak/");
    bool haDiscovery = false;  // Home Assistant finds the machine's sensors
    bool on = false;
    bool operator==(const MqttChoice&) const = default;
};

class Settings {
public:
    // `file` empty: the user's settings (an INI file under the XDG config folder,
    // the registry on Windows).
    explicit Settings(const QString& file = {});
    ~Settings();

    QString board() const;  // an option of makeBoard, or empty
    void setBoard(const QString& option);
    QString folder(const QString& dialog) const;
    void setFolder(const QString& dialog, const QString& dir);
    std::optional<QPoint> place(const QString& window) const;  // frame's top left
    void setPlace(const QString& window, QPoint at);
    std::optional<int> zoom() const;  // checked item of the zoom menu
    void setZoom(int item);
    int viewScale() const;  // percent, one of kViewScales
    void setViewScale(int percent);
    // The expected-value line on the graph and its setting (0 estimated, 1 to 6).
    bool expectedLine() const;
    void setExpectedLine(bool on);
    int expectedSetting() const;
    void setExpectedSetting(int setting);
    QString profile() const;  // label of the chosen machine profile
    void setProfile(const QString& label);
    // The machine of the last session (chosen in the picker): offered first at the next one.
    std::optional<Machine> lastMachine() const;
    void setLastMachine(const Machine& m);
    // Whether the machine picker opens by itself when a new record starts (default yes).
    bool pickerOn() const;
    void setPickerOn(bool on);
    QStringList recentFiles() const;  // newest first
    void addRecentFile(const QString& path);
    // The live view's token (a phone's bookmark keeps working across runs) and
    // whether it served when the program ended (it serves again at the next start).
    QString liveToken() const;
    void setLiveToken(const QString& token);
    bool liveOn() const;
    void setLiveOn(bool on);

    // The broker: the password is kept here too, so the file is the user's alone.
    MqttChoice mqtt() const;
    void setMqtt(const MqttChoice& m);

    static constexpr int kViewScales[] = {100, 125, 150, 200};
    static constexpr int kRecentFiles = 5;

private:
    void write(const QString& key, const QVariant& value);
    std::unique_ptr<QSettings> s_;
    bool readable_ = true;
    bool users_ = false;  // the user's own settings, not a file named by a test
};

}  // namespace tobrak::qt
