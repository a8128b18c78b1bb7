#include "app/qt/settings_keeper.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QStandardPaths>
#include <algorithm>
#include <functional>

#include "app/file_commands.h"
#include "app/qt/tobrak_app.h"
#include "app/views.h"
#include "graph/zoom.h"
#include "platform/qt/qt_controls.h"
#include "record/journal.h"

namespace tobrak::qt {

// The file dialogs as the logic calls them, each starting in its folder: play-data
// files where the last one was opened or saved, kept journals where the journal
// keeps them, pictures and PDF files where the last one went.
class SettingsKeeper::Remembering final : public Dialogs {
public:
    Remembering(Dialogs& inner, Settings& s, std::function<QString()> journalDir)
        : inner_(inner), s_(s), journalDir_(std::move(journalDir)) {}
    MsgResult messageBox(const std::string& text, const std::string& title, MsgIcon icon, MsgButtons b) override {
        return inner_.messageBox(text, title, icon, b);
    }
    std::optional<std::string> openFile(const std::string& filter) override { return pick(false, filter); }
    std::optional<std::string> saveFile(const std::string& filter) override { return pick(true, filter); }
    std::string inputBox(const std::string& prompt, const std::string& title, const std::string& def,
                         int maxUnits) override {
        return inner_.inputBox(prompt, title, def, maxUnits);
    }

private:
    static bool usable(const QString& dir) { return !dir.isEmpty() && QDir(dir).exists(); }
    // The play-data folder; before it was one, the two dialogs had a folder each.
    QString playFolder() const {
        for (const char* key : {"play", "save", "open"})
            if (const QString f = s_.folder(key); usable(f)) return f;
        const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        return usable(docs) ? docs : QDir::homePath();
    }
    std::optional<std::string> pick(bool save, const std::string& filter) {
        const bool exported = filter == kPdfFilter || filter == kPngFilter;
        QString start = playFolder();
        if (filter == kJournalFilter && usable(journalDir_())) start = journalDir_();
        if (exported && usable(s_.folder("export"))) start = s_.folder("export");
        if (auto* qt = dynamic_cast<QtDialogs*>(&inner_)) qt->startFolder = start;
        auto path = save ? inner_.saveFile(filter) : inner_.openFile(filter);
        if (exported && path && !path->empty())
            s_.setFolder("export", QFileInfo(QString::fromStdString(*path)).absolutePath());
        return path;
    }
    Dialogs& inner_;
    Settings& s_;
    std::function<QString()> journalDir_;
};

namespace {
// Every window's name in the settings.
struct Named {
    const char* name;
    QWidget* w;
};
std::vector<Named> windowsOf(TobrakApp& a) {
    return {{"main", a.main.get()}, {"zoom", a.zoom.get()}, {"smallWins", a.rs232.get()}, {"history", a.history.get()}};
}

}  // namespace

SettingsKeeper::SettingsKeeper(TobrakApp& app, Settings& settings) : app_(app), settings_(settings) {
    Program& c = app_.program;
    inner_ = c.ui.dialogs;
    dialogs_ = std::make_unique<Remembering>(*inner_, settings_, [this] {
        const Journal* j = app_.journal();
        return QString::fromStdString(j ? j->dir() : defaultJournalDir());
    });
    c.ui.dialogs = dialogs_.get();
    c.session.listen(*this);
    c.history.chosen = settings_.profile().toStdString();

    for (const Named& n : windowsOf(app_)) {
        n.w->installEventFilter(this);
        const auto at = settings_.place(n.name);
        if (auto* side = dynamic_cast<SideWindow*>(n.w)) {
            side->remembered = at;
        } else if (at && onAScreen(QRect(*at, n.w->size()))) {
            n.w->move(*at);
        } else if (const QScreen* s = QGuiApplication::primaryScreen()) {
            // Placed by the program, not the window manager, so that the side
            // windows know where it is before it is first shown.
            n.w->move(clampInto(QRect(QPoint(), n.w->size())
                                    .translated(s->availableGeometry().center() -
                                                QPoint(n.w->width() / 2, n.w->height() / 2)),
                                s->availableGeometry())
                          .topLeft());
        }
    }
    if (auto* combo = app_.history->findChild<QComboBox*>())
        connect(combo, &QComboBox::activated, this,
                [this] { settings_.setProfile(QString::fromStdString(app_.program.history.chosen)); });
    QtMenus& m = app_.main->menus();
    // Connected after the window's own handlers, so these run once the command is done.
    connect(m.find("menFile_open")->action(), &QAction::triggered, this, [this] { afterFileCommand(false); });
    connect(m.find("menFile_Save")->action(), &QAction::triggered, this, [this] { afterFileCommand(true); });
    connect(m.find("menFile_Uwagaki")->action(), &QAction::triggered, this, [this] { afterFileCommand(true); });
    QMenu* file = m.find("menFile")->action()->menu();
    file->addSeparator();
    recent_ = file->addMenu(QStringLiteral("最近使ったファイル"));
    fillRecentMenu();
    for (int i = 0; i <= ZoomState::kZoomOff; ++i)
        connect(m.find("G_zoom(" + std::to_string(i) + ")")->action(), &QAction::triggered, this,
                [this] { settings_.setZoom(app_.program.zoom.ZoomSel); });
    auto keepExpected = [this] {
        settings_.setExpectedLine(app_.program.expected.on);
        settings_.setExpectedSetting(app_.program.expected.setting);
    };
    connect(m.find("menKitai")->action(), &QAction::triggered, this, keepExpected);
    for (int k = 0; k <= kSettings; ++k)
        connect(m.find(menuKey("KitaiSet", k))->action(), &QAction::triggered, this, keepExpected);
}

SettingsKeeper::~SettingsKeeper() {
    Program& c = app_.program;
    c.session.forget(*this);
    if (c.ui.dialogs == dialogs_.get()) c.ui.dialogs = inner_;
}

void SettingsKeeper::restoreAfterStart() {
    expectedLineClick(app_.program, settings_.expectedLine(), settings_.expectedSetting());
    if (const auto z = settings_.zoom(); z && *z != ZoomState::kZoomOff) app_.program.zoom.G_zoom_Click(*z);
}

void SettingsKeeper::afterFileCommand(bool save) {
    const Program& c = app_.program;
    // Saved: nothing changed since; opened: the record was replaced by the file.
    const bool done = save ? !c.Unsaved : replaced_;
    replaced_ = false;
    if (done && !c.FileName.empty()) addRecent(QString::fromStdString(c.FileName));
}

void SettingsKeeper::addRecent(const QString& path) {
    const QFileInfo f(path);
    settings_.setFolder("play", f.absolutePath());
    settings_.addRecentFile(f.absoluteFilePath());
    fillRecentMenu();
}

void SettingsKeeper::fillRecentMenu() {
    recent_->clear();
    const QStringList files = settings_.recentFiles();
    for (int i = 0; i < files.size(); ++i)
        connect(recent_->addAction(QStringLiteral("&%1  %2").arg(i + 1).arg(QDir::toNativeSeparators(files[i]))),
                &QAction::triggered, this, [this, path = files[i]] { openRecent(path); });
    recent_->setEnabled(!files.isEmpty());
}

bool SettingsKeeper::openRecent(const QString& path) {
    replaced_ = false;
    openPlayData(app_.program, path.toStdString());
    const bool done = std::exchange(replaced_, false);
    if (done) addRecent(path);
    return done;
}

bool SettingsKeeper::eventFilter(QObject* o, QEvent* e) {
    if (e->type() == QEvent::Move)
        for (const Named& n : windowsOf(app_))
            if (n.w == o && n.w->isVisible()) settings_.setPlace(n.name, n.w->pos());
    return false;
}

}  // namespace tobrak::qt
