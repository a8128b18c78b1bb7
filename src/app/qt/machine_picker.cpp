#include "app/qt/machine_picker.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "app/qt/library_window.h"
#include "app/qt/settings.h"
#include "app/qt/tobrak_app.h"

namespace tobrak::qt {

namespace {
QString q(const std::string& s) { return QString::fromStdString(s); }

QString machineText(const Machine& m) {
    QString where = q(m.hall);
    if (!m.number.empty()) where += (where.isEmpty() ? QString() : QStringLiteral(" ")) + q(m.number) + "番台";
    QString t = QStringLiteral("前回の台：") + (m.name.empty() ? QStringLiteral("（機種名なし）") : q(m.name));
    if (!where.isEmpty()) t += QStringLiteral("（") + where + QStringLiteral("）");
    if (!m.profile.empty() && m.profile != m.name) t += QStringLiteral("　機種データ：") + q(m.profile);
    return t;
}
}  // namespace

MachinePicker::MachinePicker(TobrakApp& app, Settings* settings, LibraryWindow* library)
    : QDialog(app.main.get()), app_(app), settings_(settings), library_(library), list_(new QListWidget) {
    setWindowTitle(QStringLiteral("台の選択"));
    setModal(false);  // the record goes on while it is open
    auto* layout = new QVBoxLayout(this);
    auto* hint = new QLabel(QStringLiteral("打つ台を選んで下さい。\nEnter：先頭の台　Esc：今のまま"));
    layout->addWidget(hint);
    layout->addWidget(list_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(this, &QDialog::accepted, this, [this] { choose(list_->currentRow()); });
    automatic_ = settings_ && settings_->pickerOn();
    app_.program.session.listen(*this);
}

MachinePicker::~MachinePicker() { app_.program.session.forget(*this); }

void MachinePicker::setAutomatic(bool on, bool keep) {
    automatic_ = on;
    if (settings_ && keep) settings_->setPickerOn(on);
}

void MachinePicker::recordReplaced() {
    // Told inside the command that cleared the record: the box comes once it is done.
    if (automatic_ && app_.program.session.rec.games() == 0)
        QTimer::singleShot(0, this, [this] {
            if (!isVisible() && app_.program.session.rec.games() == 0) offer();
        });
}

void MachinePicker::offer() {
    entries_.clear();
    list_->clear();
    const std::vector<ProfileSlot> found = listProfiles(app_.program.history.profileDir);
    const auto slotOf = [&](const std::string& name) -> const ProfileSlot* {
        for (const ProfileSlot& s : found)
            if (s.profile && s.profile->name == name) return &s;
        return nullptr;
    };
    if (const std::optional<Machine> last = settings_ ? settings_->lastMachine() : std::nullopt) {
        const ProfileSlot* s = last->profile.empty() ? nullptr : slotOf(last->profile);
        entries_.push_back({*last, s ? s->profile : std::nullopt, s ? s->label : std::string()});
        list_->addItem(machineText(*last));
    }
    const Machine now = app_.program.session.machine;
    for (const ProfileSlot& s : found) {
        if (!s.profile) continue;  // a file with a mistake is offered in the estimate, with its message
        Machine m = now;
        m.name = m.profile = s.profile->name;
        entries_.push_back({m, s.profile, s.label});
        list_->addItem(q(s.label));
    }
    list_->setCurrentRow(0);
    list_->setFocus();
    // Every entry whole, at any view scale.
    list_->setMinimumWidth(std::min(list_->sizeHintForColumn(0) + 2 * list_->frameWidth() + 24,
                                    screen() ? screen()->availableGeometry().width() * 3 / 4 : 1200));
    adjustSize();
    show();
    raise();
    activateWindow();
}

void MachinePicker::choose(int row) {
    if (row < 0 || row >= static_cast<int>(entries_.size())) return;
    const Entry e = entries_[static_cast<std::size_t>(row)];
    if (library_) {
        // Games came while the box was open: the library's session is written first, so
        // it is there to take the machine (a moment's wait, at a key press).
        if (library_->recorder() && app_.program.session.rec.games() > 0) library_->recorder()->flush();
        library_->setMachine(e.machine, "", "");  // also the session the library is recording
    } else {
        app_.program.session.machine = e.machine;
    }
    if (e.profile) {
        HistoryView& h = app_.program.history;
        h.chosen = e.profileLabel;
        if (h.profileChosen) h.profileChosen(*e.profile);
        if (settings_) settings_->setProfile(q(e.profileLabel));
        if (app_.history->isVisible()) h.HistoryDisp();
    }
    if (settings_) settings_->setLastMachine(e.machine);
}

}  // namespace tobrak::qt
