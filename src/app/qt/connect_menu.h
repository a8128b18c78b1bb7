#pragma once
// The 接続 menu: the board the program records from, chosen while it runs.
// The poll keeps its rhythm; only the board under it changes.
#include <QObject>
#include <QString>
#include <string>
#include <vector>

#include "boards/board_table.h"

class QAction;
class QMenu;
class QTimer;

namespace tobrak::qt {

class TobrakApp;
class Settings;

// The message for a board that cannot be reached, with the fix when one is known.
std::string boardFailureText(const std::string& what, const std::string& reason);

class ConnectMenu final : public QObject {
public:
    // `sim` is what the simulator runs with; `settings` (may be null) keeps the choice.
    ConnectMenu(TobrakApp& app, const SimOptions& sim, Settings* settings);
    ~ConnectMenu() override;

    // Puts the board of `option` under the poll; a failure to reach it is told
    // once, in a message box, shortly after. False when the option is not one.
    bool connectTo(const std::string& option, bool tellFailure = true);
    // Tells, shortly, when the board now in use cannot be reached (after the start-up).
    void tellIfUnreached();
    // The board's own note (an edge board restarted, its clock jumped), as the
    // status label's tip; "" while all is well.
    const std::string& note() const { return note_; }
    const std::string& option() const { return option_; }
    QMenu* menu() const { return menu_; }
    void rebuild();
    void keepIn(Settings* settings) { settings_ = settings; }  // "再検索": the ports and boards found now
    // An item of another part of the program (MQTT…), kept at the menu's end
    // whenever it is made anew; `a` is not the menu's (it outlives a rebuild).
    void addLasting(QAction* a);

    static constexpr int kBauds[] = {9600, 19200, 38400, 57600, 115200};
    static constexpr int kCheckMs = 600;  // a few polls: long enough for a port to open and answer

private:
    void checkReached();
    void showNote();
    void rebuildSoon();
    std::string withBaud(const std::string& option) const;

    TobrakApp& app_;
    SimOptions sim_;
    Settings* settings_;
    QMenu* menu_;
    OpenedBoard board_, retired_;  // the last one lives on until the next switch
    std::string option_ = "none";
    int baud_ = 115200;
    int generation_ = 0;
    std::string note_;
    QTimer* noteTimer_ = nullptr;
    std::vector<QAction*> lasting_;
};

}  // namespace tobrak::qt
