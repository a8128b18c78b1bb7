#include "app/qt/tobrak_app.h"

#include <QApplication>
#include <QLayout>
#include <cstdio>

#include "acquisition/rs232.h"
#include "app/filedisp.h"
#include "platform/qt/fonts.h"
#include "platform/qt/qt_printer.h"
#include "platform/qt/twips.h"
#include "record/file_commands.h"

namespace tobrak::qt {

namespace {
constexpr int kJournalRetryMs = 3000;
// Fonts must be in place before the first widget is made.
FileDispWindow* makeMain(Core& core) {
    installFonts();
    return new FileDispWindow(core);
}
}  // namespace

TobrakApp::TobrakApp(Board* board, Dialogs* dialogs)
    : main(makeMain(core)),
      rs232(std::make_unique<KoyakuWindow>(main.get())),
      zoom(std::make_unique<ZoomDispWindow>(core, main.get())),
      history(std::make_unique<HistoryWindow>(core, main.get())) {
    timer2_ = std::make_unique<QtTimer>(rs232.get(), [this] { Timer2_Timer(core); });
    timer8_ = std::make_unique<QtTimer>(rs232.get(), [this] { Timer8_Timer(core); });
    if (!dialogs) {
        dialogs_ = std::make_unique<QtDialogs>(main.get());
        dialogs = dialogs_.get();
    }
    Platform& p = core.ui;
    main->attach(p);
    p.Timer2 = timer2_.get();
    p.Timer8 = timer8_.get();
    p.dialogs = dialogs;
    p.board = board ? board : &noBoard_;
    p.shell = &shell_;
    p.windows = this;
    printer_ = makeQtPrinter(main.get());
    p.printer = printer_.get();
    zoom->attach(p);
    rs232->attach(p);
    history->attach(p);
    core.history.profileDir = userProfileDir();
}

TobrakApp::~TobrakApp() {
    timer2_->setEnabled(false);
    timer8_->setEnabled(false);
    if (journalTimer_) journalTimer_->setEnabled(false);
}

void TobrakApp::start(const std::string& journalDir, const std::string& startFile) {
    // Lay the window out first, so the start-up sees its client size.
    main->ensurePolished();
    if (QLayout* l = main->layout()) l->activate();
    Form_Load(core);
    // No game may be recorded while the restore question is open: the poll waits.
    timer2_->setEnabled(false);
    main->setLoaded();
    zoom->setLoaded();
    main->show();
    if (!journalDir.empty()) {
        journal_ = Journal::open(journalDir);
        recoverJournal(core, *journal_);
        journalTimer_ = std::make_unique<QtTimer>(main.get(), [this] { journalWatch(core); });
        journalTimer_->setInterval(kJournalRetryMs);
        journalTimer_->setEnabled(true);
    }
    if (!startFile.empty()) openPlayData(core, startFile);
    timer2_->setEnabled(true);
}

void TobrakApp::shutdown() {
    if (journalTimer_) journalTimer_->setEnabled(false);
    if (journal_) journal_->closeNormally();  // a normal end keeps nothing
    zoom->close();
    history->close();
    main->closeForShutdown();
    timer2_->setEnabled(false);
    timer8_->setEnabled(false);
    rs232->close();
    QApplication::quit();
}

}  // namespace tobrak::qt
