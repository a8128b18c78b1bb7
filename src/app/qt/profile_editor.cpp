#include "app/qt/profile_editor.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "app/qt/side_window.h"
#include "app/qt/tobrak_app.h"
#include "util/durable_file.h"
#include "util/paths.h"

namespace tobrak::qt {

namespace {
const char* const kTitle = "機種データの編集";
constexpr std::size_t kMaxFileBytes = 1 << 20;  // as the estimate reads them
const QColor kMarked(0xFF, 0xC8, 0xC8);

QString q(const std::string& s) { return QString::fromStdString(s); }
std::string s(const QString& t) { return t.toStdString(); }

QString rowCaption(DraftPlace::Kind kind, int size) {
    switch (kind) {
        case DraftPlace::BB: return QStringLiteral("ＢＢ（1/x）");
        case DraftPlace::RB: return QStringLiteral("ＲＢ（1/x）");
        case DraftPlace::Payout: return QStringLiteral("機械割（％）");
        case DraftPlace::Prior: return QStringLiteral("重み（空欄＝1）");
        case DraftPlace::SmallWin: return QStringLiteral("小役 %1枚（1/x）").arg(size);
        default: return {};
    }
}

std::string& figureOf(DraftSetting& st, DraftPlace::Kind kind, int index) {
    static std::string none;
    switch (kind) {
        case DraftPlace::BB: return st.bb;
        case DraftPlace::RB: return st.rb;
        case DraftPlace::Payout: return st.payout;
        case DraftPlace::Prior: return st.prior;
        case DraftPlace::SmallWin: return st.smallWins[static_cast<std::size_t>(index)];
        case DraftPlace::Counter: return st.counters[static_cast<std::size_t>(index)];
        default: return none = {};
    }
}

QString fileName(const std::string& path) {
    const std::u8string n = std::filesystem::path(fsPath(path)).filename().u8string();
    return QString::fromUtf8(reinterpret_cast<const char*>(n.data()), static_cast<qsizetype>(n.size()));
}

ProfileDraft exampleDraft() {
    ProfileDraft d;
    std::string error;
    readDraft(kExampleProfileJson, d, error, nullptr);  // the built-in example reads (its tests say so)
    return d;
}
}  // namespace

ProfileEditor::ProfileEditor(TobrakApp& app, std::string dir)
    : QWidget(app.main.get(), Qt::Window),
      app_(app),
      dir_(std::move(dir)),
      list_(new QListWidget),
      name_(new QLineEdit),
      note_(new QPlainTextEdit),
      file_(new QLabel),
      table_(new QTableWidget),
      problems_(new QListWidget),
      status_(new QLabel) {
    setWindowTitle(QString::fromUtf8(kTitle));
    auto* layout = new QHBoxLayout(this);

    // The folder's profiles.
    auto* left = new QVBoxLayout;
    auto* listLabel = new QLabel(QStringLiteral("機種データ(&L)"));
    listLabel->setBuddy(list_);
    left->addWidget(listLabel);
    left->addWidget(list_, 1);
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) openSlot(row);
    });
    const auto button = [this](QBoxLayout* into, const QString& text, void (ProfileEditor::*go)()) {
        auto* b = new QPushButton(text);
        into->addWidget(b);
        connect(b, &QPushButton::clicked, this, [this, go] { (this->*go)(); });
        return b;
    };
    button(left, QStringLiteral("新規（例から）(&N)"), &ProfileEditor::newFromExample);
    editing_.push_back(button(left, QStringLiteral("複製(&C)"), &ProfileEditor::copyCurrent));
    button(left, QStringLiteral("更新(&R)"), &ProfileEditor::reload);
    layout->addLayout(left);

    // The profile being edited.
    auto* right = new QVBoxLayout;
    auto* form = new QFormLayout;
    note_->setTabChangesFocus(true);
    note_->setFixedHeight(note_->fontMetrics().lineSpacing() * 3 + 12);
    form->addRow(QStringLiteral("名前(&A)"), name_);
    form->addRow(QStringLiteral("メモ(&M)"), note_);
    form->addRow(QStringLiteral("ファイル"), file_);
    right->addLayout(form);
    auto* tableLabel = new QLabel(QStringLiteral(
        "設定ごとの数値(&T)：確率は 1/x の x（「1/287.4」とも書けます）、機械割は％、カウンターは名前も変えられます"));
    tableLabel->setWordWrap(true);
    tableLabel->setBuddy(table_);
    right->addWidget(tableLabel);
    table_->setColumnCount(1 + kSettings);
    QStringList head{QStringLiteral("項目")};
    for (const char* k : {"設定１", "設定２", "設定３", "設定４", "設定５", "設定６"}) head << QString::fromUtf8(k);
    table_->setHorizontalHeaderLabels(head);
    table_->verticalHeader()->setVisible(false);
    table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setTabKeyNavigation(false);  // Tab leaves the table; the arrows move in it
    connect(table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (filling_) return;
        item->setBackground(QBrush());  // its mark goes with the figure that had it
        touched();
    });
    right->addWidget(table_, 1);
    auto* rowButtons = new QHBoxLayout;
    editing_.push_back(button(rowButtons, QStringLiteral("小役の行を追加(&W)…"), &ProfileEditor::addSmallWin));
    editing_.push_back(button(rowButtons, QStringLiteral("カウンターを追加(&K)…"), &ProfileEditor::addCounter));
    editing_.push_back(button(rowButtons, QStringLiteral("行を削除(&D)"), &ProfileEditor::removeRow));
    rowButtons->addStretch(1);
    right->addLayout(rowButtons);
    auto* problemsLabel = new QLabel(QStringLiteral("検査の結果(&E)（Enter で誤りの欄へ）"));
    problemsLabel->setBuddy(problems_);
    right->addWidget(problemsLabel);
    problems_->setMaximumHeight(problems_->fontMetrics().lineSpacing() * 5 + 8);
    connect(problems_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { goTo(s(item->data(Qt::UserRole).toString())); });
    right->addWidget(problems_);
    status_->setWordWrap(true);
    right->addWidget(status_);
    auto* foot = new QHBoxLayout;
    foot->addStretch(1);
    auto* checkButton = new QPushButton(QStringLiteral("検査(&S)"));
    foot->addWidget(checkButton);
    connect(checkButton, &QPushButton::clicked, this, [this] { check(); });
    checkButton->setToolTip(QStringLiteral("Ctrl+Enter"));
    QPushButton* saveButton = new QPushButton(QStringLiteral("保存"));
    saveButton->setToolTip(QStringLiteral("Ctrl+S"));
    foot->addWidget(saveButton);
    connect(saveButton, &QPushButton::clicked, this, [this] { save(); });
    auto* closeButton = new QPushButton(QStringLiteral("閉じる"));
    foot->addWidget(closeButton);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    editing_.push_back(checkButton);
    editing_.push_back(saveButton);
    right->addLayout(foot);
    layout->addLayout(right, 1);

    for (auto [keys, go] : {std::pair{QKeySequence(Qt::CTRL | Qt::Key_S), &ProfileEditor::save},
                            std::pair{QKeySequence(Qt::CTRL | Qt::Key_Return), &ProfileEditor::check},
                            std::pair{QKeySequence(Qt::CTRL | Qt::Key_Enter), &ProfileEditor::check}}) {
        auto* sc = new QShortcut(keys, this);
        connect(sc, &QShortcut::activated, this, [this, go] { (this->*go)(); });
    }
    connect(name_, &QLineEdit::textEdited, this, [this] {
        markName({});
        touched();
    });
    connect(note_, &QPlainTextEdit::textChanged, this, [this] {
        if (!filling_) touched();
    });
    display(exampleDraft(), "", false);
    // The program ends without the unsaved question's キャンセル: saved or not, now.
    app_.beforeShutdown = [this] {
        if (dirty_ &&
            app_.program.ui.dialogs->messageBox("終了します。\n「" + s(name_->text()) + "」の変更を保存しますか？",
                                                kTitle, MsgIcon::Exclamation, MsgButtons::OkCancel) == MsgResult::Ok)
            save();
    };
}

ProfileEditor::~ProfileEditor() {
    app_.beforeShutdown = nullptr;
    // A cell still being edited is committed while the window closes, after this
    // object is gone: its change must not reach us then.
    table_->blockSignals(true);
}

void ProfileEditor::open() {
    reload();
    if (shownSlot_ < 0 && !dirty_) {
        // First the profile the estimate uses.
        int row = 0;
        for (int i = 0; i < list_->count(); ++i)
            if (list_->item(i)->text() == q(app_.program.history.chosen)) row = i;
        list_->setCurrentRow(row);
        openSlot(row);
    }
    if (!placed_) {
        placed_ = true;
        fitToContents();
        adjustSize();
        move(placeBesideMainWindow(this, app_.main.get()));
    }
    QWidget::show();
    raise();
    activateWindow();
}

void ProfileEditor::reload() {
    const std::vector<ProfileSlot> found = listProfiles(dir_);
    const QSignalBlocker quiet(list_);
    list_->clear();
    slotPaths_.clear();
    shownSlot_ = -1;
    for (const ProfileSlot& slot : found) {
        list_->addItem(q(slot.label));
        if (!slot.error.empty()) list_->item(list_->count() - 1)->setToolTip(q(slot.error));
        slotPaths_.push_back(slot.path);
        if (!path_.empty() && slot.path == path_) shownSlot_ = list_->count() - 1;
    }
    list_->setCurrentRow(shownSlot_);
}

bool ProfileEditor::openSlot(int index) {
    if (index < 0 || index >= static_cast<int>(slotPaths_.size())) return false;
    if (index == shownSlot_) return true;
    if (!mayLeave()) {
        const QSignalBlocker quiet(list_);
        list_->setCurrentRow(shownSlot_);
        return false;
    }
    const std::string path = slotPaths_[static_cast<std::size_t>(index)];
    std::string text = kExampleProfileJson, why;
    if (!path.empty()) {
        std::vector<std::uint8_t> bytes;
        const fileio::ReadResult r = fileio::readRegular(path, kMaxFileBytes, bytes);
        text.assign(bytes.begin(), bytes.end());
        if (r == fileio::ReadResult::TooLarge)
            why = "ファイルが大きすぎます";
        else if (r != fileio::ReadResult::Ok)
            why = "ファイルが読めません";
    }
    ProfileDraft d;
    std::vector<std::string> dropped;
    if (why.empty() && !readDraft(text, d, why, &dropped) && why.empty()) why = "読めません";
    shownSlot_ = index;
    {
        const QSignalBlocker quiet(list_);
        list_->setCurrentRow(index);
    }
    if (!why.empty()) {
        // Nothing of it can be shown, so nothing is written over it.
        display(ProfileDraft{}, path, false);
        setEditable(false);
        tell("このファイルは " + why + "。\nテキストエディタで直して「更新」して下さい（ここでは上書きしません）。",
             true);
        return true;
    }
    display(d, path, false);
    setEditable(true);
    check();
    for (const std::string& f : dropped) {
        auto* item = new QListWidgetItem(
            QStringLiteral("項目「%1」は機種データにない項目なので読み込みませんでした（保存すると消えます）")
                .arg(q(f)));
        item->setData(Qt::UserRole, q(f));
        problems_->addItem(item);
    }
    if (path.empty()) tell("組み込みの例です。保存すると新しいファイルになります。", false);
    return true;
}

void ProfileEditor::newFromExample() {
    if (!mayLeave()) return;
    ProfileDraft d = exampleDraft();
    d.name = "新しい機種";
    d.note.clear();
    display(d, "", true);
    setEditable(true);
    shownSlot_ = -1;
    list_->clearSelection();
    tell("例の数値から作りました。名前と数値を直して保存して下さい。", false);
    name_->setFocus();
    name_->selectAll();
}

void ProfileEditor::copyCurrent() {
    ProfileDraft d = draft();
    d.name += "のコピー";
    display(d, "", true);
    shownSlot_ = -1;
    list_->clearSelection();
    tell("複製しました。保存すると新しいファイルになります（元のファイルはそのままです）。", false);
    name_->setFocus();
}

void ProfileEditor::display(const ProfileDraft& d, const std::string& path, bool dirty) {
    filling_ = true;
    path_ = path;
    name_->setText(q(d.name));
    markName({});
    note_->setPlainText(q(d.note));
    file_->setText(path.empty() ? QStringLiteral("（まだ保存されていません）") : fileName(path));
    file_->setToolTip(q(path));
    sizes_ = d.smallWinSizes;
    rows_ = {{DraftPlace::BB, 0}, {DraftPlace::RB, 0}, {DraftPlace::Payout, 0}, {DraftPlace::Prior, 0}};
    for (std::size_t i = 0; i < d.smallWinSizes.size(); ++i)
        rows_.push_back({DraftPlace::SmallWin, static_cast<int>(i)});
    for (std::size_t i = 0; i < d.counters.size(); ++i) rows_.push_back({DraftPlace::Counter, static_cast<int>(i)});
    table_->clearContents();
    table_->setRowCount(static_cast<int>(rows_.size()));
    ProfileDraft copy = d;
    for (DraftSetting& st : copy.settings) {
        st.smallWins.resize(d.smallWinSizes.size());
        st.counters.resize(d.counters.size());
    }
    for (int r = 0; r < static_cast<int>(rows_.size()); ++r) {
        const Row& row = rows_[static_cast<std::size_t>(r)];
        QTableWidgetItem* head;
        if (row.kind == DraftPlace::Counter) {
            head = new QTableWidgetItem(q(d.counters[static_cast<std::size_t>(row.index)]));
            head->setToolTip(QStringLiteral("カウンターの名前（16 文字まで）"));
        } else {
            head = new QTableWidgetItem(rowCaption(
                row.kind, row.kind == DraftPlace::SmallWin ? d.smallWinSizes[static_cast<std::size_t>(row.index)] : 0));
            head->setFlags(head->flags() & ~Qt::ItemIsEditable);
            head->setForeground(palette().color(QPalette::Disabled, QPalette::Text).darker(150));
        }
        table_->setItem(r, 0, head);
        for (int k = 0; k < kSettings; ++k) {
            auto* cell =
                new QTableWidgetItem(q(figureOf(copy.settings[static_cast<std::size_t>(k)], row.kind, row.index)));
            cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(r, 1 + k, cell);
        }
    }
    problems_->clear();
    status_->clear();
    filling_ = false;
    dirty_ = dirty;
    fitToContents();
}

ProfileDraft ProfileEditor::draft() const {
    ProfileDraft d;
    d.name = s(name_->text());
    d.note = s(note_->toPlainText());
    d.smallWinSizes = sizes_;
    for (const Row& row : rows_)
        if (row.kind == DraftPlace::Counter) {
            const int r = tableRow(DraftPlace::Counter, row.index);
            d.counters.push_back(s(table_->item(r, 0)->text()));
        }
    for (DraftSetting& st : d.settings) {
        st.smallWins.resize(d.smallWinSizes.size());
        st.counters.resize(d.counters.size());
    }
    for (int r = 0; r < static_cast<int>(rows_.size()); ++r) {
        const Row& row = rows_[static_cast<std::size_t>(r)];
        for (int k = 0; k < kSettings; ++k) {
            const QTableWidgetItem* cell = table_->item(r, 1 + k);
            figureOf(d.settings[static_cast<std::size_t>(k)], row.kind, row.index) =
                cell ? s(cell->text().trimmed()) : std::string();
        }
    }
    return d;
}

int ProfileEditor::tableRow(DraftPlace::Kind kind, int row) const {
    for (std::size_t r = 0; r < rows_.size(); ++r)
        if (rows_[r].kind == kind && (rows_[r].index == row || kind < DraftPlace::SmallWin)) return static_cast<int>(r);
    return -1;
}

void ProfileEditor::setEditable(bool on) {
    for (QWidget* w : {static_cast<QWidget*>(name_), static_cast<QWidget*>(note_), static_cast<QWidget*>(table_)})
        w->setEnabled(on);
    for (QPushButton* b : editing_) b->setEnabled(on);
}

void ProfileEditor::addSmallWin() {
    const std::string typed = app_.program.ui.dialogs->inputBox("払出枚数（0～15）を入力して下さい", kTitle, "", 2);
    if (typed.empty()) return;
    bool ok = false;
    const int size = q(typed).trimmed().toInt(&ok);
    if (!ok || size < 0 || size > 15 || std::find(sizes_.begin(), sizes_.end(), size) != sizes_.end()) {
        app_.program.ui.dialogs->messageBox(
            ok && size >= 0 && size <= 15 ? "その払出枚数の行はすでにあります！" : "払出枚数は 0 から 15 までです！",
            kTitle, MsgIcon::Exclamation, MsgButtons::Ok);
        return;
    }
    ProfileDraft d = draft();
    const auto at = std::lower_bound(d.smallWinSizes.begin(), d.smallWinSizes.end(), size);
    const auto i = at - d.smallWinSizes.begin();
    d.smallWinSizes.insert(at, size);
    for (DraftSetting& st : d.settings) st.smallWins.insert(st.smallWins.begin() + i, std::string());
    display(d, path_, true);
    table_->setCurrentCell(tableRow(DraftPlace::SmallWin, static_cast<int>(i)), 1);
    table_->setFocus();
}

void ProfileEditor::addCounter() {
    ProfileDraft d = draft();
    if (d.counters.size() >= kMaxCounters) {
        app_.program.ui.dialogs->messageBox("カウンターは 8 個までです！", kTitle, MsgIcon::Exclamation,
                                            MsgButtons::Ok);
        return;
    }
    const std::string name = s(q(app_.program.ui.dialogs->inputBox("カウンターの名前を入力して下さい（例：ブドウ）",
                                                                   kTitle, "", static_cast<int>(kCounterNameChars)))
                                   .trimmed());
    if (name.empty()) return;
    d.counters.push_back(name);
    for (DraftSetting& st : d.settings) st.counters.emplace_back();
    display(d, path_, true);
    table_->setCurrentCell(tableRow(DraftPlace::Counter, static_cast<int>(d.counters.size()) - 1), 1);
    table_->setFocus();
}

void ProfileEditor::removeRow() {
    const int r = table_->currentRow();
    if (r < 0 || r >= static_cast<int>(rows_.size())) return;
    const Row row = rows_[static_cast<std::size_t>(r)];
    ProfileDraft d = draft();
    const auto i = static_cast<std::ptrdiff_t>(row.index);
    if (row.kind == DraftPlace::SmallWin) {
        d.smallWinSizes.erase(d.smallWinSizes.begin() + i);
        for (DraftSetting& st : d.settings) st.smallWins.erase(st.smallWins.begin() + i);
    } else if (row.kind == DraftPlace::Counter) {
        d.counters.erase(d.counters.begin() + i);
        for (DraftSetting& st : d.settings) st.counters.erase(st.counters.begin() + i);
    } else {
        tell("ＢＢ・ＲＢ・機械割・重みの行は消せません。", true);
        return;
    }
    display(d, path_, true);
    table_->setCurrentCell(std::min(r, table_->rowCount() - 1), 1);
}

void ProfileEditor::clearMarks() {
    markName({});
    const QSignalBlocker quiet(table_);
    for (int r = 0; r < table_->rowCount(); ++r)
        for (int c = 0; c < table_->columnCount(); ++c)
            if (QTableWidgetItem* i = table_->item(r, c)) {
                i->setBackground(QBrush());
                i->setToolTip(c == 0 && rows_[static_cast<std::size_t>(r)].kind == DraftPlace::Counter
                                  ? QStringLiteral("カウンターの名前（16 文字まで）")
                                  : QString());
            }
    problems_->clear();
}

void ProfileEditor::mark(const std::vector<DraftProblem>& problems) {
    const ProfileDraft d = draft();
    const QSignalBlocker quiet(table_);
    const auto markCell = [&](int r, int c, const QString& why) {
        QTableWidgetItem* i = r >= 0 ? table_->item(r, c) : nullptr;
        if (!i) return;
        i->setBackground(kMarked);
        i->setToolTip(i->toolTip().isEmpty() || c == 0 ? why : i->toolTip() + "\n" + why);
    };
    for (const DraftProblem& p : problems) {
        const QString why = q(p.message);
        auto* item = new QListWidgetItem(why);
        item->setData(Qt::UserRole, q(p.field));
        problems_->addItem(item);
        for (const DraftPlace& at : placesOf(p.field, d)) {
            if (at.kind == DraftPlace::Name) {
                markName(why);
                continue;
            }
            if (at.kind == DraftPlace::Counters) continue;  // its names are marked by the next place
            for (std::size_t r = 0; r < rows_.size(); ++r) {
                const Row& row = rows_[r];
                const bool counterName = at.kind == DraftPlace::CounterName && row.kind == DraftPlace::Counter;
                if (!counterName && row.kind != at.kind) continue;
                if (at.row >= 0 && row.index != at.row && row.kind >= DraftPlace::SmallWin) continue;
                if (counterName) {
                    markCell(static_cast<int>(r), 0, why);
                    continue;
                }
                for (int k = 0; k < kSettings; ++k)
                    if (at.setting < 0 || at.setting == k) markCell(static_cast<int>(r), 1 + k, why);
            }
        }
    }
}

bool ProfileEditor::check() {
    clearMarks();
    const std::vector<DraftProblem> problems = checkDraft(draft());
    mark(problems);
    if (problems.empty())
        tell("誤りはありません。", false);
    else
        tell(std::to_string(problems.size()) + " 件の誤りがあります（赤い欄、一覧で Enter を押すとその欄へ移ります）。",
             true);
    return problems.empty();
}

void ProfileEditor::goTo(const std::string& field) {
    const ProfileDraft d = draft();
    for (const DraftPlace& at : placesOf(field, d)) {
        if (at.kind == DraftPlace::Name) {
            name_->setFocus();
            return;
        }
        const bool name = at.kind == DraftPlace::CounterName || at.kind == DraftPlace::Counters;
        const int r = tableRow(name ? DraftPlace::Counter : at.kind, std::max(0, at.row));
        if (r < 0) continue;
        table_->setCurrentCell(r, name ? 0 : 1 + std::max(0, at.setting));
        table_->setFocus();
        return;
    }
}

bool ProfileEditor::save() {
    if (!table_->isEnabled()) return false;  // a file that could not be read stays as it is
    Dialogs& dialogs = *app_.program.ui.dialogs;
    const ProfileDraft d = draft();
    MachineProfile p;
    const std::vector<DraftProblem> problems = checkDraft(d, &p);
    if (!problems.empty()) {
        check();
        std::string text = std::string(kProfileErrorTitle) + "\n\n" + problems.front().message;
        if (problems.size() > 1) text += "\n（ほかに " + std::to_string(problems.size() - 1) + " 件）";
        dialogs.messageBox(text + "\n\n直してから保存して下さい。", kTitle, MsgIcon::Exclamation, MsgButtons::Ok);
        return false;
    }
    std::string target = path_;
    if (target.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(fsPath(dir_), ec);
        const std::string file = profileFileName(p.name);
        target = dir_ + "/" + file;
        if (fileio::exists(target) &&
            dialogs.messageBox("「" + file + "」はすでにあります。\n\n上書きしますか？", kTitle, MsgIcon::Exclamation,
                               MsgButtons::OkCancel) != MsgResult::Ok)
            return false;
    }
    const std::string text = profileToJson(p, d.note);
    if (const fileio::Error e = fileio::writeDurably(target, text.data(), text.size()); e) {
        dialogs.messageBox("保存できません！\n\n" + e.message, kTitle, MsgIcon::Stop, MsgButtons::Ok);
        return false;
    }
    path_ = target;
    dirty_ = false;
    file_->setText(fileName(target));
    file_->setToolTip(q(target));
    reload();
    clearMarks();
    tell("保存しました。", false);
    // The profile in use takes its new figures and counter names at once.
    HistoryView& h = app_.program.history;
    if (p.name == app_.program.session.machine.profile || p.name == h.chosen) {
        if (h.profileChosen) h.profileChosen(p);
        if (app_.history->isVisible()) h.HistoryDisp();
    }
    return true;
}

bool ProfileEditor::mayLeave() {
    if (!dirty_) return true;
    const MsgResult r =
        app_.program.ui.dialogs->messageBox("「" + s(name_->text()) + "」の変更を保存しますか？", kTitle,
                                            MsgIcon::Exclamation, MsgButtons::SaveDiscardCancel);
    if (r == MsgResult::Save) return save();
    if (r == MsgResult::Discard) {
        dirty_ = false;
        return true;
    }
    return false;
}

void ProfileEditor::touched() {
    if (!filling_) dirty_ = true;
}

void ProfileEditor::tell(const std::string& text, bool bad) {
    // Colours by palette: a style sheet would hold the font at its size of now.
    status_->setText(q(text));
    QPalette p = palette();
    if (bad) p.setColor(QPalette::WindowText, QColor(0xC0, 0, 0));
    status_->setPalette(p);
}

void ProfileEditor::markName(const QString& why) {
    QPalette p = palette();
    if (!why.isEmpty()) p.setColor(QPalette::Base, kMarked);
    name_->setPalette(p);
    name_->setToolTip(why);
}

void ProfileEditor::fitToContents() {
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() * 3 / 2 + 4);
    table_->resizeColumnsToContents();
    const int figure = table_->fontMetrics().horizontalAdvance(QStringLiteral("00000.000")) + 12;
    int width = 2 * table_->frameWidth() + table_->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < table_->columnCount(); ++c) {
        if (c > 0) table_->setColumnWidth(c, std::max(table_->columnWidth(c), figure));
        width += table_->columnWidth(c);
    }
    table_->setMinimumWidth(width);
    const int rows = std::min(table_->rowCount(), 12);
    table_->setMinimumHeight(table_->horizontalHeader()->sizeHint().height() +
                             rows * table_->verticalHeader()->defaultSectionSize() + 2 * table_->frameWidth());
    list_->setMinimumWidth(list_->fontMetrics().horizontalAdvance(QStringLiteral("汎用サンプル機（例）のコピー")) + 24);
    if (!isVisible()) return;
    // Grown with the view scale, never beyond the screen.
    const QSize want = sizeHint().expandedTo(size());
    const QRect avail = screen() ? screen()->availableGeometry() : QRect(QPoint(), want);
    resize(want.boundedTo(avail.size()));
    keepOnItsScreen(this);
}

void ProfileEditor::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::FontChange) {
        note_->setFixedHeight(note_->fontMetrics().lineSpacing() * 3 + 12);
        problems_->setMaximumHeight(problems_->fontMetrics().lineSpacing() * 5 + 8);
        QTimer::singleShot(0, this, [this] { fitToContents(); });
    }
}

void ProfileEditor::keyPressEvent(QKeyEvent* e) {
    // Esc reaches the window only when no cell is being edited (the cell takes it back first).
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier)
        close();
    else
        QWidget::keyPressEvent(e);
}

void ProfileEditor::closeEvent(QCloseEvent* e) {
    if (mayLeave())
        e->accept();
    else
        e->ignore();
}

}  // namespace tobrak::qt
