#include "app/qt/connect_menu.h"

#include <QActionGroup>
#include <QLabel>
#include <QMenuBar>
#include <QTextStream>
#include <QTimer>

#include "app/qt/settings.h"
#include "app/qt/tobrak_app.h"
#include "platform/qt/qt_controls.h"

namespace tobrak::qt {

namespace {
NoSource g_none;  // outlives every menu: the poll may still look at it after one is gone

bool has(const std::string& s, const char* part) { return s.find(part) != std::string::npos; }

// "serial:/dev/ttyUSB0,9600" → "serial:/dev/ttyUSB0" and 9600.
std::string withoutBaud(const std::string& option, int* baud = nullptr) {
    BoardArgs a;
    const BoardRow* row = findBoard(option, &a);
    if (!row || !row->takesBaud) return option;
    if (baud) *baud = a.baud;
    return boardOption(*row, a.target);
}

bool takesBaud(const std::string& option) {
    const BoardRow* row = findBoard(option);
    return row && row->takesBaud;
}
}  // namespace

std::string boardFailureText(const std::string& what, const std::string& reason) {
    std::string text = what + " に接続できません。";
    if (reason.empty())
        return text +
               "\n\nボードが応答しません。ケーブル、通信速度、ボードの種類（シリアルブリッジか"
               "エッジボードか）を確かめてください。";
    text += "\n\n" + reason;
    if (has(reason, "ermission") && has(reason, "hidraw"))
        text += "\n\n/dev/hidraw* に読み書きの権限が要ります（docs/boards.md の udev 規則）。";
    else if (has(reason, "ermission"))
        text +=
            "\n\nシリアルポートを使うには dialout グループに入ってください：\n  sudo usermod -aG dialout $USER\n"
            "（ログインし直すと有効になります）";
    else if (has(reason, "busy") || has(reason, "locked") || has(reason, "lock"))
        text += "\n\n他のプログラムがこのポートを使っています。そのプログラムを終了してください。";
    else if (has(reason, "No such file") || has(reason, "not found") || has(reason, "no USB-IO"))
        text += "\n\nケーブルをつなぎ直して「再検索」を選んでください。";
    return text;
}

ConnectMenu::ConnectMenu(TobrakApp& app, const SimOptions& sim, Settings* settings)
    : app_(app), sim_(sim), settings_(settings), menu_(app.main->menuBar()->addMenu(QStringLiteral("接続"))) {
    rebuild();
}

ConnectMenu::~ConnectMenu() {
    if (app_.board() == board_.source.get()) app_.setBoard(&g_none);
}

std::string ConnectMenu::withBaud(const std::string& option) const {
    return takesBaud(option) ? option + "," + std::to_string(baud_) : option;
}

void ConnectMenu::rebuild() {
    menu_->clear();
    auto* boards = new QActionGroup(menu_);
    const std::string current = withoutBaud(option_);
    bool listed = false;
    for (const BoardChoice& b : boardChoices()) {
        QAction* a = menu_->addAction(QString::fromStdString(b.caption));
        a->setCheckable(true);
        a->setChecked(b.option == current);
        listed = listed || b.option == current;
        boards->addAction(a);
        connect(a, &QAction::triggered, this, [this, o = b.option] { connectTo(withBaud(o)); });
    }
    if (!listed) {  // chosen on the command line, or a port gone since
        QAction* a = menu_->addAction(QString::fromStdString(option_));
        a->setCheckable(true);
        a->setChecked(true);
        boards->addAction(a);
    }
    menu_->addSeparator();
    QMenu* speed = menu_->addMenu(QStringLiteral("通信速度"));
    auto* bauds = new QActionGroup(speed);
    for (int b : kBauds) {
        QAction* a = speed->addAction(QStringLiteral("%1 bps").arg(b));
        a->setCheckable(true);
        a->setChecked(b == baud_);
        bauds->addAction(a);
        connect(a, &QAction::triggered, this, [this, b] {
            baud_ = b;
            // A serial board now is opened again at the new speed.
            if (takesBaud(option_)) connectTo(withBaud(withoutBaud(option_)));
        });
    }
    menu_->addSeparator();
    connect(menu_->addAction(QStringLiteral("再検索")), &QAction::triggered, this, [this] { rebuildSoon(); });
    if (!lasting_.empty()) menu_->addSeparator();
    for (QAction* a : lasting_) menu_->addAction(a);
}

void ConnectMenu::addLasting(QAction* a) {
    lasting_.push_back(a);
    // Gone with its owner: the menu no longer offers it.
    connect(a, &QObject::destroyed, this, [this, a] { std::erase(lasting_, a); });
    rebuild();
}

// Made anew from the event loop: the item chosen is still running its signal.
void ConnectMenu::rebuildSoon() {
    QTimer::singleShot(0, this, [this] { rebuild(); });
}

bool ConnectMenu::connectTo(const std::string& option, bool tellFailure) {
    OpenedBoard next;
    if (!openBoard(option, sim_, next).empty()) return false;
    // A poll may be waiting in a message box below this call, holding the old
    // board: it stays alive until the next switch.
    retired_.source.reset();  // before what it reads through
    retired_ = std::move(board_);
    board_ = std::move(next);
    // The poll reads the acquisition's board; the front end's is kept in step.
    app_.setBoard(board_.source.get(), boardCaption(option));
    option_ = option;
    withoutBaud(option, &baud_);
    if (settings_) settings_->setBoard(QString::fromStdString(option));
    rebuildSoon();
    ++generation_;
    if (tellFailure) tellIfUnreached();
    note_.clear();
    showNote();
    return true;
}

// What the board last noticed (an edge board restarted, its clock jumped): on
// the status label's tip and on standard error, once each time it changes.
void ConnectMenu::showNote() {
    const std::string now = board_.source ? board_.source->note() : std::string();
    if (now != note_) {
        note_ = now;
        if (!now.empty()) QTextStream(stderr) << QString::fromStdString(now) << "\n";
        if (auto* status = dynamic_cast<QtLabel*>(app_.program.ui.main.Label1))
            status->widget()->setToolTip(QString::fromStdString(now));
    }
    if (board_.source && !noteTimer_) {
        noteTimer_ = new QTimer(this);
        connect(noteTimer_, &QTimer::timeout, this, [this] { showNote(); });
        noteTimer_->start(1000);
    }
}

void ConnectMenu::tellIfUnreached() {
    const BoardRow* row = findBoard(option_);
    if (!board_.source || !row || !row->device) return;
    QTimer::singleShot(kCheckMs, this, [this, generation = generation_] {
        if (generation == generation_) checkReached();
    });
}

void ConnectMenu::checkReached() {
    Program& c = app_.program;
    if (c.session.Usb_On) return;
    c.ui.dialogs->messageBox(boardFailureText(boardCaption(option_), board_.source->problem()), "接続",
                             MsgIcon::Exclamation, MsgButtons::Ok);
}

}  // namespace tobrak::qt
