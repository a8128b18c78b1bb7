#pragma once
// The live view in the window program: the server fed from the record, and a
// small window with the page's address and a QR code of it for a phone.
#include <QDialog>
#include <QTimer>
#include <memory>
#include <string>

#include "app/program.h"
#include "live/live_hub.h"
#include "live/live_server.h"

class QLabel;

namespace tobrak {
class LiveFeed;
}

namespace tobrak::qt {

class Settings;

class LiveViewWindow final : public QDialog, public LiveViewHost {
public:
    // `settings` keeps the token and whether it serves (none: nothing is kept).
    LiveViewWindow(Program& core, QWidget* parent, Settings* settings);
    ~LiveViewWindow() override;

    // Serves at `at`; empty on success, otherwise why not.
    std::string start(const live::ListenAddress& at, const std::string& token);
    bool running() const { return server_ != nullptr; }
    bool serving() const override { return running(); }
    // On every address of this computer with a token kept between runs (a
    // phone's page finds the program again after a restart), then this window.
    void showLiveView() override;
    void toggleLiveView() override;
    void stop();
    // At start-up: serves again when it served as the program ended last time.
    void resume();
    // The address a phone opens, as in the QR code.
    QString phoneUrl() const { return phoneUrl_; }
    live::LiveHub& hub() { return hub_; }

private:
    void showAddress();
    // Serves with the kept token; a failure is told and false.
    bool startKept();
    void keepOn(bool on);

    Program& core_;
    Settings* settings_;
    bool placed_ = false;
    live::LiveHub hub_;
    std::unique_ptr<LiveFeed> feed_;
    std::unique_ptr<live::LiveServer> server_;
    QTimer tick_;
    double pictureRate_ = 0;  // the expected-value line's rate the page's picture was last asked with
    QString phoneUrl_;
    QString moved_;  // why the page is not on the usual port
    QLabel* qr_;
    QLabel* address_;
    QLabel* overlay_;
};

}  // namespace tobrak::qt
