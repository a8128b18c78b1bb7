#pragma once
// The window program's composition: the program state, its windows and
// the Qt platform under the logic.
#include <QUrl>
#include <QWidget>
#include <functional>
#include <memory>

#include "app/program.h"
#include "app/qt/counter_window.h"
#include "app/qt/file_disp_window.h"
#include "app/qt/history_window.h"
#include "app/qt/koyaku_window.h"
#include "app/qt/zoom_disp_window.h"
#include "platform/qt/qt_controls.h"
#include "platform/qt/surface_widget.h"

namespace tobrak::qt {

// The installed documentation, or the build tree's when run from there; empty
// when neither is found.
QUrl manualUrl();

class TobrakApp final : public AppWindows {
public:
    // `dialogs` replaces the Qt dialogs (tests answer them from a script).
    explicit TobrakApp(EventSource* board, Dialogs* dialogs = nullptr);
    ~TobrakApp() override;

    // Takes this session's journal in `dir`, before any board is connected. When
    // another running copy holds it, the user chooses: open without a board and
    // without a journal (true), or quit (false). Called once; start() calls it
    // when it has not been.
    bool claimJournal(const std::string& dir);
    // False when this copy opened without a board and a journal.
    bool recording() const { return !withoutJournal_; }
    // The start brought back a record the journal kept from a crash.
    bool restored() const { return restored_; }
    // The start-up sequence, then the main window is shown. With a journal
    // folder, the session is journalled there (a left-over record is offered
    // back); then `startFile` is opened. The poll starts after both. False, with
    // nothing shown, when the user chose to quit (see claimJournal).
    bool start(const std::string& journalDir = {}, const std::string& startFile = {});
    Journal* journal() const { return journal_.get(); }
    // Puts a board under the session's poll (null: none).
    void setBoard(EventSource* board, std::string name = {}) {
        program.session.setBoard(board ? board : &noBoard_, std::move(name));
    }
    EventSource* board() const { return &program.session.board(); }
    void shutdown() override;
    // Told when the program ends, once the quit question was answered and before
    // any window closes (a window with unsaved work offers to save it).
    std::function<void()> beforeShutdown;

    Program program;
    std::unique_ptr<FileDispWindow> main;
    std::unique_ptr<KoyakuWindow> rs232;      // acquisition window: hidden, or the small-win table
    std::unique_ptr<ZoomDispWindow> zoom;     // magnified graph, hidden until chosen
    std::unique_ptr<HistoryWindow> history;   // bonus history and setting estimate, hidden until chosen
    std::unique_ptr<CounterWindow> counters;  // the hand counters, hidden until chosen

private:
    std::unique_ptr<QtTimer> timer2_, timer8_, journalTimer_;
    std::unique_ptr<QtDialogs> dialogs_;
    QtShell shell_;
    std::unique_ptr<Printer> printer_;
    std::unique_ptr<Exporter> exporter_;
    std::unique_ptr<Journal> journal_;
    bool claimed_ = false, withoutJournal_ = false, quit_ = false, restored_ = false;
    NoSource noBoard_;
};

}  // namespace tobrak::qt
