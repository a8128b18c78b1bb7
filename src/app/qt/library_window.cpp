#include "app/qt/library_window.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTextCharFormat>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <set>
#include <tuple>

#include "app/file_commands.h"
#include "app/qt/side_window.h"
#include "app/qt/tobrak_app.h"
#include "counts/bonus_history.h"
#include "util/durable_file.h"
#include "util/format.h"

namespace tobrak::qt {

namespace {
const char* const kListTitle = "セッション一覧";

QString q(const std::string& s) { return QString::fromStdString(s); }

QString number(std::int64_t v) { return QLocale(QLocale::Japanese).toString(static_cast<qlonglong>(v)); }

QString signedNumber(std::int64_t v) { return (v > 0 ? QStringLiteral("+") : QString()) + number(v); }

// "2026-12" of a session's start, in the player's local time.
std::string monthOf(const WallTime& t) {
    const std::string s = japaneseTime(t);  // "2026/12/09 21:04"
    return s.size() >= 7 ? s.substr(0, 4) + "-" + s.substr(5, 2) : std::string();
}

QTableWidgetItem* cell(const QString& text, bool right = false) {
    auto* i = new QTableWidgetItem(text);
    if (right) i->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return i;
}

QTableWidget* makeTable(QWidget* parent, const QStringList& header) {
    auto* t = new QTableWidget(parent);
    t->setColumnCount(static_cast<int>(header.size()));
    t->setHorizontalHeaderLabels(header);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->verticalHeader()->setVisible(false);
    t->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

void fillCombo(QComboBox* box, const QString& any, const std::set<std::string>& values) {
    const QString was = box->currentData().toString();
    box->blockSignals(true);
    box->clear();
    box->addItem(any, QString());
    for (const std::string& v : values)
        if (!v.empty()) box->addItem(q(v), q(v));
    box->setCurrentIndex(std::max(0, box->findData(was)));
    box->blockSignals(false);
}
// A form's OK and キャンセル at its foot; whether it was left with OK.
bool accepted(QDialog& d, QFormLayout* form) {
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    form->addRow(box);
    QObject::connect(box, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    return d.exec() == QDialog::Accepted;
}
}  // namespace

QString yenText(std::optional<std::int64_t> yen) {
    return yen ? signedNumber(*yen) + QStringLiteral("円") : QStringLiteral("-");
}

void IncomeChart::setDays(std::vector<std::pair<std::string, std::int64_t>> days) {
    days_ = std::move(days);
    update();
}

void IncomeChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const QRect area = rect().adjusted(60, 10, -10, -20);
    std::vector<std::int64_t> sums{0};
    for (const auto& d : days_) sums.push_back(sums.back() + d.second);
    const auto [lo, hi] = std::minmax_element(sums.begin(), sums.end());
    const double span = std::max<double>(1000.0, static_cast<double>(*hi - *lo));
    auto y = [&](std::int64_t v) { return area.bottom() - (static_cast<double>(v - *lo) / span) * area.height(); };
    auto x = [&](std::size_t i) {
        return area.left() + area.width() * static_cast<double>(i) / std::max<std::size_t>(1, sums.size() - 1);
    };
    p.setPen(Qt::gray);
    p.drawLine(QPointF(area.left(), y(0)), QPointF(area.right(), y(0)));
    p.drawText(QRectF(0, y(0) - 8, 56, 16), Qt::AlignRight, QStringLiteral("0"));
    p.drawText(QRectF(0, area.top() - 2, 56, 16), Qt::AlignRight, number(*hi));
    p.drawText(QRectF(0, area.bottom() - 14, 56, 16), Qt::AlignRight, number(*lo));
    if (!days_.empty()) {
        p.drawText(QRectF(area.left(), area.bottom() + 2, 200, 16), Qt::AlignLeft, q(days_.front().first));
        p.drawText(QRectF(area.right() - 200, area.bottom() + 2, 200, 16), Qt::AlignRight, q(days_.back().first));
    }
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x20, 0x60, 0xC0), 2));
    for (std::size_t i = 1; i < sums.size(); ++i)
        p.drawLine(QPointF(x(i - 1), y(sums[i - 1])), QPointF(x(i), y(sums[i])));
}

LibraryWindow::LibraryWindow(TobrakApp& app, const std::string& path, const std::string& journalDir)
    : QWidget(app.main.get(), Qt::Window),
      app_(app),
      core_(app.program),
      menu_(app.main->menuBar()->addMenu(QStringLiteral("収支"))) {
    setWindowTitle(QString::fromUtf8(kListTitle));
    Dialogs& dialogs = *core_.ui.dialogs;
    // The window's connection first: a damaged file is set aside by it, once.
    LibraryOpen view = openLibrary(path);
    if (!view.notice.empty()) dialogs.messageBox(view.notice.text, kListTitle, MsgIcon::Exclamation, MsgButtons::Ok);
    library_ = std::move(view.library);
    if (library_ && view.state == LibraryState::SetAside && !journalDir.empty()) {
        const std::vector<std::string> kept = keptJournals(journalDir);
        if (!kept.empty() &&
            dialogs.messageBox("保護データが " + std::to_string(kept.size()) +
                                   " 個残っています。\n新しいセッション一覧に取り込みますか？",
                               kListTitle, MsgIcon::Information, MsgButtons::OkCancel) == MsgResult::Ok)
            importFiles(kept);
    }
    if (library_ && !library_->readOnly()) {
        LibraryOpen own = openLibrary(path, {.purge = false, .setAside = false});
        if (own.library) recorder_ = std::make_unique<LibraryRecorder>(core_.session, std::move(own.library));
    }

    money_ = menu_->addAction(QString());
    money_->setEnabled(false);
    menu_->addSeparator();
    for (const int yen : {1000, 5000, 10000}) {
        QAction* a = menu_->addAction(QStringLiteral("投資 +%1円").arg(number(yen)));
        a->setEnabled(recorder_ != nullptr);
        connect(a, &QAction::triggered, this, [this, yen] { invest(yen); });
    }
    QAction* back = menu_->addAction(QStringLiteral("回収…"));
    back->setEnabled(recorder_ != nullptr);
    connect(back, &QAction::triggered, this, [this] { collect(); });
    QAction* machine = menu_->addAction(QStringLiteral("台の情報…"));
    connect(machine, &QAction::triggered, this, [this] { editMachine(); });
    menu_->addSeparator();
    QAction* list = menu_->addAction(QString::fromUtf8(kListTitle) + QStringLiteral("…"));
    list->setShortcut(Qt::CTRL | Qt::Key_L);
    list->setEnabled(library_ != nullptr);
    connect(list, &QAction::triggered, this, [this] {
        refresh();
        // As large as its text asks at the view scale now, never larger than the screen
        // (a frame's worth kept for the window manager's title and borders).
        const QScreen* on = app_.main->screen();
        const QSize room = on ? on->availableGeometry().size() - QSize(16, 48) : QSize(1 << 15, 1 << 15);
        resize(size().expandedTo(sizeHint()).boundedTo(room));
        const bool first = !placed_;
        if (first) {  // beside the main window, clear of its menus and panel
            placed_ = true;
            move(placeBesideMainWindow(this, app_.main.get()));
        }
        show();
        raise();
        activateWindow();
        // The frame was guessed; once drawn it is known: placed again with it, kept on the screen.
        QTimer::singleShot(SideWindow::kFramedMs, this, [this, first] {
            if (first) move(placeBesideMainWindow(this, app_.main.get()));
            keepOnItsScreen(this);
        });
    });

    auto* tabs = new QTabWidget(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);

    // The sessions, newest first, with their filters and commands.
    auto* page = new QWidget;
    auto* pl = new QVBoxLayout(page);
    auto* filters = new QHBoxLayout;
    month_ = new QComboBox;
    hall_ = new QComboBox;
    machine_ = new QComboBox;
    for (auto [label, box] : {std::pair{"月", month_}, std::pair{"ホール", hall_}, std::pair{"機種", machine_}}) {
        filters->addWidget(new QLabel(QString::fromUtf8(label)));
        filters->addWidget(box);
        connect(box, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
    }
    filters->addStretch(1);
    pl->addLayout(filters);
    table_ = makeTable(
        page, {"日付", "ホール", "機種", "ゲーム数", "BB", "RB", "合成", "差枚", "投資", "回収", "収支", "時給"});
    pl->addWidget(table_);
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this] { openSelected(); });
    auto* buttons = new QHBoxLayout;
    const bool writable = library_ && !library_->readOnly();
    for (auto [label, go, writes] : {std::tuple{"開く", &LibraryWindow::openSelected, false},
                                     std::tuple{"編集…", &LibraryWindow::editSelected, true},
                                     std::tuple{"削除", &LibraryWindow::removeSelected, true},
                                     std::tuple{"取り込み…", &LibraryWindow::importChosen, true},
                                     std::tuple{"一覧をCSV保存…", &LibraryWindow::exportSessions, false},
                                     std::tuple{"ゲームをCSV保存…", &LibraryWindow::exportGames, false},
                                     std::tuple{"スロットデータ保存…", &LibraryWindow::exportSlt, false}}) {
        auto* b = new QPushButton(QString::fromUtf8(label));
        b->setEnabled(writable || !writes);
        buttons->addWidget(b);
        connect(b, &QPushButton::clicked, this, [this, go] { (this->*go)(); });
    }
    buttons->addStretch(1);
    pl->addLayout(buttons);
    tabs->addTab(page, QStringLiteral("一覧"));

    // One month as a calendar, each day's 収支 coloured.
    auto* cal = new QWidget;
    auto* cl = new QVBoxLayout(cal);
    calendar_ = new QCalendarWidget;
    calendar_->setLocale(QLocale(QLocale::Japanese));
    calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    monthTotal_ = new QLabel;
    cl->addWidget(calendar_);
    cl->addWidget(monthTotal_);
    connect(calendar_, &QCalendarWidget::currentPageChanged, this, [this](int y, int m) { fillCalendar(y, m); });
    tabs->addTab(cal, QStringLiteral("収支カレンダー"));

    // Totals by machine, hall or profile, and the 収支 over the days.
    auto* tot = new QWidget;
    auto* tl = new QVBoxLayout(tot);
    totalsBy_ = new QComboBox;
    totalsBy_->addItem(QStringLiteral("機種別"), static_cast<int>(TotalsBy::Machine));
    totalsBy_->addItem(QStringLiteral("ホール別"), static_cast<int>(TotalsBy::Hall));
    totalsBy_->addItem(QStringLiteral("機種データ別"), static_cast<int>(TotalsBy::Profile));
    totalsBy_->addItem(QStringLiteral("月別"), static_cast<int>(TotalsBy::Month));
    connect(totalsBy_, &QComboBox::currentIndexChanged, this, [this] { fillTotals(); });
    tl->addWidget(totalsBy_);
    totalsTable_ = makeTable(tot, {"", "セッション", "ゲーム数", "BB", "RB", "差枚", "収支", "機械割"});
    tl->addWidget(totalsTable_);
    tl->addWidget(new QLabel(QStringLiteral("収支の推移")));
    chart_ = new IncomeChart;
    tl->addWidget(chart_);
    tabs->addTab(tot, QStringLiteral("集計"));

    resize(900, 560);
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, [this] {
        applyPending();
        tellNotices();
    });
    timer_.start();
    refresh();
}

LibraryWindow::~LibraryWindow() { recorder_.reset(); }  // before the session, which outlives this window

std::int64_t LibraryWindow::selectedId() const {
    const int r = table_->currentRow();
    if (r < 0 || !table_->item(r, 0)) return 0;
    return table_->item(r, 0)->data(Qt::UserRole).toLongLong();
}

void LibraryWindow::refresh() {
    if (recorder_) recorder_->refresh();  // the live view's list of today's sessions too
    const std::int64_t current = recorder_ ? recorder_->currentId() : 0;
    std::optional<SessionRow> now = library_ && current ? library_->session(current) : std::nullopt;
    const std::int64_t invest = (now ? now->investYen : 0) + pendingInvest_;
    money_->setText(QStringLiteral("投資 %1円　回収 %2")
                        .arg(number(invest), now && now->collectYen ? number(*now->collectYen) + "円" : "-"));
    if (!library_) return;
    std::set<std::string> months, halls, machines;
    for (const SessionRow& r : library_->list()) {
        months.insert(monthOf(r.start));
        halls.insert(r.hall);
        machines.insert(r.machine);
    }
    fillCombo(month_, QStringLiteral("すべて"), months);
    fillCombo(hall_, QStringLiteral("すべて"), halls);
    fillCombo(machine_, QStringLiteral("すべて"), machines);
    const std::vector<SessionRow> rows = library_->list(filter());
    table_->setRowCount(static_cast<int>(rows.size()));
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        const SessionRow& r = rows[static_cast<std::size_t>(i)];
        auto* date = cell(q(japaneseTime(r.start)) + (r.open ? QStringLiteral(" ●") : QString()));
        date->setData(Qt::UserRole, static_cast<qlonglong>(r.id));
        table_->setItem(i, 0, date);
        table_->setItem(i, 1, cell(q(r.hall)));
        table_->setItem(i, 2, cell(q(r.machine)));
        table_->setItem(i, 3, cell(number(r.games), true));
        table_->setItem(i, 4, cell(number(r.bb), true));
        table_->setItem(i, 5, cell(number(r.rb), true));
        table_->setItem(i, 6, cell(q(oddsText(r.normalGames, std::int64_t{r.bb} + r.rb)), true));
        table_->setItem(i, 7, cell(signedNumber(r.balance()), true));
        table_->setItem(i, 8, cell(number(r.investYen), true));
        table_->setItem(i, 9, cell(r.collectYen ? number(*r.collectYen) : QStringLiteral("-"), true));
        table_->setItem(i, 10, cell(yenText(r.income()), true));
        const auto hour = r.yenPerHour();
        table_->setItem(i, 11, cell(hour ? yenText(static_cast<std::int64_t>(*hour)) : QStringLiteral("-"), true));
    }
    fillCalendar(calendar_->yearShown(), calendar_->monthShown());
    fillTotals();
}

void LibraryWindow::fillCalendar(int year, int month) {
    if (!library_) return;
    calendar_->setDateTextFormat(QDate(), QTextCharFormat());  // the month shown before
    char key[8];
    std::snprintf(key, sizeof key, "%04d-%02d", year, month);
    std::int64_t total = 0, days = 0;
    for (const TotalsRow& d : library_->totals(TotalsBy::Day, {.month = key})) {
        const QDate date = QDate::fromString(q(d.key), Qt::ISODate);
        if (!date.isValid()) continue;
        QTextCharFormat f;
        f.setFontWeight(QFont::Bold);
        f.setBackground(d.income > 0   ? QColor(0xC8, 0xF0, 0xC8)
                        : d.income < 0 ? QColor(0xF8, 0xC8, 0xC8)
                                       : Qt::lightGray);
        f.setToolTip(QStringLiteral("%1　収支 %2　差枚 %3枚　%4ゲーム")
                         .arg(q(d.key), yenText(d.income), signedNumber(d.balance()), number(d.games)));
        calendar_->setDateTextFormat(date, f);
        total += d.income;
        ++days;
    }
    monthTotal_->setText(
        QStringLiteral("%1年%2月の収支：%3（%4日）").arg(year).arg(month).arg(yenText(total)).arg(days));
}

void LibraryWindow::fillTotals() {
    if (!library_) return;
    const auto by = static_cast<TotalsBy>(totalsBy_->currentData().toInt());
    const std::vector<TotalsRow> rows = library_->totals(by);
    totalsTable_->setHorizontalHeaderItem(0, new QTableWidgetItem(totalsBy_->currentText().chopped(1)));
    totalsTable_->setRowCount(static_cast<int>(rows.size()));
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        const TotalsRow& r = rows[static_cast<std::size_t>(i)];
        const auto rate = r.machineRate();
        totalsTable_->setItem(i, 0, cell(r.key.empty() ? QStringLiteral("（なし）") : q(r.key)));
        totalsTable_->setItem(i, 1, cell(number(r.sessions), true));
        totalsTable_->setItem(i, 2, cell(number(r.games), true));
        totalsTable_->setItem(i, 3, cell(number(r.bb), true));
        totalsTable_->setItem(i, 4, cell(number(r.rb), true));
        totalsTable_->setItem(i, 5, cell(signedNumber(r.balance()), true));
        totalsTable_->setItem(i, 6, cell(r.incomeSessions ? yenText(r.income) : QStringLiteral("-"), true));
        totalsTable_->setItem(i, 7,
                              cell(rate ? QString::number(*rate * 100, 'f', 2) + "％" : QStringLiteral("-"), true));
    }
    std::vector<std::pair<std::string, std::int64_t>> days;
    for (const TotalsRow& d : library_->totals(TotalsBy::Day)) days.emplace_back(d.key, d.income);
    std::sort(days.begin(), days.end());
    chart_->setDays(std::move(days));
}

void LibraryWindow::invest(std::int64_t yen) {
    pendingInvest_ += yen;
    applyPending();
    refresh();
}

void LibraryWindow::applyPending() {
    if (!pendingInvest_ || !recorder_ || !library_) return;
    const std::int64_t id = recorder_->currentId();
    if (!id) return;  // before the first game: kept until the session is in the library
    const std::optional<SessionRow> r = library_->session(id);
    if (r && library_->edit(id, {.investYen = r->investYen + pendingInvest_})) {
        pendingInvest_ = 0;
        refresh();
    }
}

void LibraryWindow::collect() {
    if (!recorder_ || !library_ || !recorder_->currentId()) {
        core_.ui.dialogs->messageBox("記録中のセッションがありません！", "回収", MsgIcon::Exclamation, MsgButtons::Ok);
        return;
    }
    const std::string text = core_.ui.dialogs->inputBox(
        "回収した枚数を入力して下さい。\n円で入力するときは末尾に「円」を付けて下さい（例：12000円）。", "回収", "",
        12);
    if (text.empty()) return;
    QString t = q(text).trimmed();
    const bool yen = t.endsWith(QStringLiteral("円"));
    if (yen) t.chop(1);
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok);
    if (!ok || v < 0) {
        core_.ui.dialogs->messageBox("回収は 0 以上の数で入力して下さい！", "回収", MsgIcon::Exclamation,
                                     MsgButtons::Ok);
        return;
    }
    const std::int64_t id = recorder_->currentId();
    SessionEdit e;
    if (yen) {
        e.collectYen = v;
        e.collectMedals = -1;
    } else {
        e.collectMedals = v;
        e.collectYen = -1;
    }
    library_->edit(id, e);
    refresh();
}

void LibraryWindow::openSelected() {
    const std::int64_t id = selectedId();
    if (!id || !library_) return;
    const std::optional<SessionRecord> r = library_->record(id);
    if (!r) {
        core_.ui.dialogs->messageBox("このセッションの記録を読めません！", kListTitle, MsgIcon::Stop, MsgButtons::Ok);
        return;
    }
    if (core_.rec.games() > 0 &&
        core_.ui.dialogs->messageBox("開くと既存データがクリアされます。\n\n本当に開きますか？", kListTitle,
                                     MsgIcon::Exclamation, MsgButtons::OkCancel) != MsgResult::Ok)
        return;
    if (!loadPlayImage(core_, r->image, r->times)) return;
    // Its hand counts come back under the counters named now (the session's own when none are).
    if (const ManualCounts kept = library_->counts(id); !kept.empty()) {
        std::vector<std::string> names;
        for (const ManualCount& k : core_.session.manual.empty() ? kept : core_.session.manual) names.push_back(k.name);
        core_.session.restoreCounts(renamedCounts(kept, names));
    }
    if (recorder_ && !library_->readOnly() &&
        core_.ui.dialogs->messageBox(
            "このセッションに続けて記録しますか？\n\n（キャンセル：次のゲームから新しいセッション）", kListTitle,
            MsgIcon::Information, MsgButtons::OkCancel) == MsgResult::Ok)
        recorder_->continueSession(id);
}

void LibraryWindow::editSelected() {
    const std::int64_t id = selectedId();
    const std::optional<SessionRow> r = id && library_ ? library_->session(id) : std::nullopt;
    if (!r) return;
    QDialog d(this);
    d.setWindowTitle(QStringLiteral("セッションの編集"));
    auto* form = new QFormLayout(&d);
    auto* machine = new QLineEdit(q(r->machine));
    auto* hall = new QLineEdit(q(r->hall));
    auto* num = new QLineEdit(q(r->number));
    auto* invest = new QLineEdit(QString::number(r->investYen));
    auto* collect = new QLineEdit(r->collectYen && !r->collectFromRate ? QString::number(*r->collectYen) : QString());
    auto* medals = new QLineEdit(r->collectMedals ? QString::number(*r->collectMedals) : QString());
    auto* comment = new QLineEdit(q(r->comment));
    form->addRow(QStringLiteral("機種"), machine);
    form->addRow(QStringLiteral("ホール"), hall);
    form->addRow(QStringLiteral("台番号"), num);
    form->addRow(QStringLiteral("投資（円）"), invest);
    form->addRow(QStringLiteral("回収（円）"), collect);
    form->addRow(QStringLiteral("回収（枚）"), medals);
    form->addRow(QStringLiteral("コメント"), comment);
    if (!accepted(d, form)) return;
    const auto amount = [](QLineEdit* l, std::optional<std::int64_t>& into) {
        bool ok = false;
        const qlonglong v = l->text().trimmed().toLongLong(&ok);
        if (l->text().trimmed().isEmpty())
            into = -1;
        else if (ok && v >= 0)
            into = v;
        return l->text().trimmed().isEmpty() || (ok && v >= 0);
    };
    SessionEdit e{.machine = machine->text().toStdString(),
                  .hall = hall->text().toStdString(),
                  .number = num->text().toStdString(),
                  .comment = comment->text().toStdString()};
    std::optional<std::int64_t> in;
    if (!amount(invest, in) || !amount(collect, e.collectYen) || !amount(medals, e.collectMedals)) {
        core_.ui.dialogs->messageBox("金額と枚数は 0 以上の数で入力して下さい！", kListTitle, MsgIcon::Exclamation,
                                     MsgButtons::Ok);
        return;
    }
    e.investYen = in && *in >= 0 ? *in : 0;
    library_->edit(id, e);
    refresh();
}

void LibraryWindow::removeSelected() {
    const std::int64_t id = selectedId();
    if (!id || !library_) return;
    if (core_.ui.dialogs->messageBox("このセッションを削除しますか？\n\n（30日間は残り、その後に消えます）", kListTitle,
                                     MsgIcon::Exclamation, MsgButtons::OkCancel) != MsgResult::Ok)
        return;
    library_->remove(id);
    refresh();
}

void LibraryWindow::editMachine() {
    Machine& m = core_.session.machine;
    QDialog d(this);
    d.setWindowTitle(QStringLiteral("台の情報"));
    auto* form = new QFormLayout(&d);
    auto* machine = new QLineEdit(q(m.name));
    auto* hall = new QLineEdit(q(m.hall));
    auto* num = new QLineEdit(q(m.number));
    const std::optional<HallRate> was = library_ && !m.hall.empty() ? library_->hall(m.hall) : std::nullopt;
    auto* lend = new QLineEdit(was ? QString::number(was->medalsPer1000Yen) : QString());
    auto* rate = new QLineEdit(was ? QString::number(was->yenPerMedal) : QString());
    lend->setPlaceholderText(QStringLiteral("例：46"));
    rate->setPlaceholderText(QStringLiteral("例：20"));
    form->addRow(QStringLiteral("機種"), machine);
    form->addRow(QStringLiteral("ホール"), hall);
    form->addRow(QStringLiteral("台番号"), num);
    form->addRow(QStringLiteral("貸し（枚／1000円）"), lend);
    form->addRow(QStringLiteral("交換（円／枚）"), rate);
    if (!accepted(d, form)) return;
    setMachine({machine->text().trimmed().toStdString(), hall->text().trimmed().toStdString(),
                num->text().trimmed().toStdString(), m.profile},
               lend->text().trimmed().toStdString(), rate->text().trimmed().toStdString());
}

bool LibraryWindow::setMachine(const Machine& m, const std::string& lend, const std::string& rate) {
    core_.session.machine = m;
    bool ok = true;
    if (library_ && !library_->readOnly()) {
        if (const std::int64_t id = recorder_ ? recorder_->currentId() : 0)
            library_->edit(id, {.machine = m.name, .hall = m.hall, .number = m.number, .profile = m.profile});
        bool lendOk = false, rateOk = false;
        const double l = q(lend).toDouble(&lendOk), r = q(rate).toDouble(&rateOk);
        if (!m.hall.empty() && lendOk && rateOk && l > 0 && r > 0)
            library_->setHall({m.hall, l, r});
        else if (!lend.empty() || !rate.empty())
            ok = false;
    }
    if (!ok)
        core_.ui.dialogs->messageBox("貸しと交換は 0 より大きい数で入力して下さい！", "台の情報", MsgIcon::Exclamation,
                                     MsgButtons::Ok);
    refresh();
    return ok;
}

void LibraryWindow::importChosen() {
    const QStringList files = QFileDialog::getOpenFileNames(
        this, QStringLiteral("取り込み"), QString(),
        QStringLiteral("スロットデーターファイル・保護データ (*.slt *.journal);;すべてのファイル (*)"));
    std::vector<std::string> paths;
    for (const QString& f : files) paths.push_back(f.toStdString());
    if (!paths.empty()) importFiles(paths);
}

void LibraryWindow::importFiles(const std::vector<std::string>& paths) {
    if (!library_) return;
    int imported = 0, already = 0;
    std::string failed;
    for (const std::string& p : paths)
        for (const ImportResult& r : library_->importPath(p)) {
            if (r.outcome == ImportOutcome::Imported)
                ++imported;
            else if (r.outcome == ImportOutcome::AlreadyThere)
                ++already;
            else
                failed += "\n" + r.path + "：" + (r.outcome == ImportOutcome::Unreadable ? "読めません" : "書けません");
        }
    std::string text = std::to_string(imported) + " 個のセッションを取り込みました。";
    if (already) text += "\n" + std::to_string(already) + " 個は取り込み済みです。";
    if (!failed.empty()) text += "\n取り込めなかったファイル：" + failed;
    core_.ui.dialogs->messageBox(text, "取り込み", failed.empty() ? MsgIcon::Information : MsgIcon::Exclamation,
                                 MsgButtons::Ok);
    refresh();
}

namespace {
// The save dialog's file gets `text`, written durably; a failure is told.
void saveText(Program& c, const std::string& filter, const std::string& text, const char* title) {
    const std::optional<std::string> path = c.ui.dialogs->saveFile(filter);
    if (!path) return;
    if (const fileio::Error e = fileio::writeDurably(*path, text.data(), text.size()); e)
        c.ui.dialogs->messageBox("保存できません！\n\n" + e.message, title, MsgIcon::Stop, MsgButtons::Ok);
}
}  // namespace

ListFilter LibraryWindow::filter() const {
    return {.hall = hall_->currentData().toString().toStdString(),
            .machine = machine_->currentData().toString().toStdString(),
            .month = month_->currentData().toString().toStdString()};
}

void LibraryWindow::exportSessions() {
    if (library_) saveText(core_, "CSVファイル(*.csv)|*.csv", library_->sessionsCsv(filter()), kListTitle);
}

void LibraryWindow::exportGames() {
    const std::int64_t id = selectedId();
    if (!id || !library_) return;
    if (const std::optional<std::string> csv = library_->gamesCsv(id))
        saveText(core_, "CSVファイル(*.csv)|*.csv", *csv, kListTitle);
}

void LibraryWindow::exportSlt() {
    const std::int64_t id = selectedId();
    if (!id || !library_) return;
    if (const std::optional<SessionRecord> r = library_->record(id))
        saveText(core_, "スロットデーターファイル(*.slt)|*.slt", std::string(r->image.begin(), r->image.end()),
                 kListTitle);
}

void LibraryWindow::tellNotices() {
    if (!recorder_) return;
    const LibraryNotice n = recorder_->takeNotice();
    if (!n.empty()) core_.ui.dialogs->messageBox(n.text, kListTitle, MsgIcon::Exclamation, MsgButtons::Ok);
}

}  // namespace tobrak::qt
