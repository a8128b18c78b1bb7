#pragma once
// 接続 → MQTT…: the broker the window publishes its session to (kept in the
// settings), and the publisher on the window's session while that is on. A
// broker that is away or refuses the login is told once per start, in a box
// that is not modal; the recording never waits for it.
#include <QDialog>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "app/qt/settings.h"
#include "broker/broker_publisher.h"
#include "live/live_hub.h"
#include "session/session.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMessageBox;

namespace tobrak {
class LiveFeed;
}

namespace tobrak::qt {

class TobrakApp;

// What keeps `m` from being taken, in the dialog's words; empty when it can be.
QString mqttChoiceProblem(const MqttChoice& m);
// The name a machine goes by on the broker (its topic id is made from it, Home
// Assistant's device is called so): the name, then the hall and the number.
std::string brokerMachineName(const Machine& m);

class MqttDialog final : public QDialog {
public:
    explicit MqttDialog(QWidget* parent);
    void fill(const MqttChoice& m);
    MqttChoice choice() const;  // as the fields stand, trimmed
    void setStatus(const QString& text);
    // Asked at OK: empty when the choice was taken, else why not (the dialog stays open).
    std::function<QString(const MqttChoice&)> take;

    QLineEdit *url, *user, *password, *caFile, *prefix;
    QCheckBox *ha, *on;
    QLabel *problem, *status;
    void accept() override;  // OK: taken, or the reason shown in the dialog

private:
    void chooseCaFile();
};

class MqttPublishing final : public QObject {
public:
    // The item goes to the 接続 menu by the caller; the queue files stand in `queueDir`.
    MqttPublishing(TobrakApp& app, Settings& settings, std::string queueDir);
    ~MqttPublishing() override;  // the last game and "offline", a little wait for the broker

    QAction* action() const { return action_; }
    MqttDialog* dialog() const { return dialog_; }
    void open();
    // Keeps `m` and publishes by it from now on (started again); else why not, nothing kept.
    QString take(const MqttChoice& m);
    bool publishing() const { return pub_ != nullptr; }
    const std::string& machineName() const { return machine_; }

    static constexpr int kPollMs = 500;

private:
    void start();
    void stop(std::chrono::milliseconds wait);
    void poll();
    void tell(const BrokerPublisher::Notice& n);
    void showStatus();

    TobrakApp& app_;
    Settings& settings_;
    std::string queueDir_;
    MqttChoice choice_;
    std::string machine_;  // the machine the publisher was started for
    live::LiveHub hub_;
    std::unique_ptr<LiveFeed> feed_;
    std::unique_ptr<BrokerPublisher> pub_;
    QTimer timer_;
    QAction* action_;
    MqttDialog* dialog_;
    QPointer<QMessageBox> box_;
    bool told_ = false;  // this start's trouble was shown in a box
    QString status_;
    bool placed_ = false;
};

}  // namespace tobrak::qt
