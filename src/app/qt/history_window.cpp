#include "app/qt/history_window.h"

#include <QHeaderView>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "analysis/history_view.h"
#include "platform/qt/twips.h"

namespace tobrak::qt {

namespace {
constexpr int kWidth = 7200;
constexpr int kHeight = 8400;
constexpr int kMargin = 120;
constexpr int kLine = 270;
constexpr int kCountersTop = 7425 + 3 * kLine;
}  // namespace

// The lines of the manual counters under the estimate: the window grows by a line
// for each, and keeps its designed size without any.
class CounterLines final : public Label {
public:
    CounterLines(QtLabel* label, std::function<void(int)> resized) : label_(label), resized_(std::move(resized)) {}
    void setCaption(const std::string& s) override {
        label_->setCaption(s);
        const int lines = s.empty() ? 0 : 1 + static_cast<int>(std::count(s.begin(), s.end(), '\n'));
        if (lines == lines_) return;
        lines_ = lines;
        resized_(lines);
    }
    std::string caption() const override { return label_->caption(); }
    void setBackColor(Rgb c) override { label_->setBackColor(c); }
    Rgb backColor() const override { return label_->backColor(); }
    void setForeColor(Rgb c) override { label_->setForeColor(c); }
    Rgb foreColor() const override { return label_->foreColor(); }
    void setVisible(bool v) override { label_->setVisible(v); }
    bool visible() const override { return label_->visible(); }

private:
    QtLabel* label_;
    std::function<void(int)> resized_;
    int lines_ = 0;
};

HistoryWindow::HistoryWindow(Program& core, QWidget* mainWindow)
    : SideWindow(mainWindow), core_(core), scroll_(new QScrollArea(this)), content_(new QWidget) {
    setWindowTitle(QString::fromUtf8(kHistoryTitle));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, qcolor(rgb::LightGreen));
    setPalette(pal);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll_);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    content_->setAutoFillBackground(true);
    content_->setPalette(pal);
    content_->setFixedSize(px(kWidth), px(kHeight));
    scroll_->setWidget(content_);
    fitToScreen();
    const int inner = kWidth - 2 * kMargin;

    probAll_ = label(kMargin, 60, inner, kLine);
    probNormal_ = label(kMargin, 60 + kLine + 15, inner, kLine);

    auto* table = new QTableWidget(content_);
    table->setGeometry(pxRect(kMargin, 690, inner, 3480));
    table_ = std::make_unique<QtTable>(table);
    table_->setHeader(historyHeader());
    // Columns as wide as their texts; the status column takes what is left.
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);

    label(kMargin, 4290, 600, kLine, "機種");
    profileBox_ = new QComboBox(content_);
    profileBox_->setGeometry(pxRect(720, 4245, 4800, 345));
    profile_ = std::make_unique<QtCombo>(profileBox_);
    connect(profileBox_, &QComboBox::activated, this, [this](int index) { core_.history.HistoryProfile_Click(index); });
    auto* refresh = new QPushButton(QStringLiteral("更新"), content_);
    refresh->setGeometry(pxRect(5640, 4245, kWidth - kMargin - 5640, 345));
    connect(refresh, &QPushButton::clicked, this, [this] { core_.history.HistoryRefresh_Click(); });

    bars_ = new SurfaceWidget(content_, rgb::LightBlue);
    bars_->setGeometry(pxRect((kWidth - static_cast<int>(kBarsWidth)) / 2, 4710, static_cast<int>(kBarsWidth),
                              static_cast<int>(kBarsHeight)));

    payout_ = label(kMargin, 7425, inner, kLine);
    used_ = label(kMargin, 7425 + kLine, inner, kLine);
    reliability_ = label(kMargin, 7425 + 2 * kLine, inner, kLine);
    QtLabel* counters = label(kMargin, kCountersTop, inner, 0);
    counterEffects_ = std::make_unique<CounterLines>(counters, [this, counters, inner](int lines) {
        counters->widget()->setGeometry(pxRect(kMargin, kCountersTop, inner, lines * kLine));
        content_->setFixedSize(px(kWidth), px(kHeight + lines * kLine));
        fitToScreen();
    });
}

HistoryWindow::~HistoryWindow() = default;

QtLabel* HistoryWindow::label(int l, int t, int w, int h, const std::string& text) {
    return labels_.add(content_, pxRect(l, t, w, h), Qt::AlignLeft | Qt::AlignVCenter, false, text);
}

void HistoryWindow::attach(HistoryView& h) {
    h.form = this;
    h.probAll = probAll_;
    h.probNormal = probNormal_;
    h.table = table_.get();
    h.profile = profile_.get();
    h.bars = &bars_->surface();
    h.payout = payout_;
    h.used = used_;
    h.reliability = reliability_;
    h.counterEffects = counterEffects_.get();
}

void HistoryWindow::fitToScreen() {
    const QWidget* main = mainWindow();
    const QScreen* screen = main && main->screen() ? main->screen() : this->screen();
    const QSize inner = content_->size();
    // The title bar and borders, as the main window has them (before it is framed, a guess).
    int border = main ? main->frameGeometry().height() - main->geometry().height() : 0;
    if (border <= 0) border = 2 * style()->pixelMetric(QStyle::PM_TitleBarHeight);
    int room = inner.height();
    if (screen) {
        // Below the main window's menus, where it may lie over the graph; half the screen at least.
        const QRect avail = screen->availableGeometry();
        const auto* window = qobject_cast<const QMainWindow*>(main);
        const int menus = window && window->isVisible()
                              ? window->menuBar()->mapToGlobal(QPoint(0, window->menuBar()->height())).y() + 8
                              : avail.top();
        room = std::max(avail.height() / 2, avail.bottom() + 1 - std::max(avail.top(), menus)) - border - 8;
    }
    const bool scrolls = inner.height() > room;
    const int bar = scrolls ? scroll_->verticalScrollBar()->sizeHint().width() : 0;
    setFixedSize(inner.width() + bar, scrolls ? room : inner.height());
}

void HistoryWindow::setVisible(bool v) {
    if (v && !isVisible()) fitToScreen();
    SideWindow::setVisible(v);
    if (v) raise();  // opened again from the menu: in front
}

}  // namespace tobrak::qt
