#include "app/qt/counter_window.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "app/menu.h"
#include "util/format.h"

namespace tobrak::qt {

CounterWindow::CounterWindow(Program& core, QWidget* mainWindow)
    : SideWindow(mainWindow), core_(core), grid_(new QGridLayout), normal_(new QLabel), note_(new QLabel) {
    setWindowTitle(QString::fromUtf8(kCounterTitle));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(normal_);
    layout->addLayout(grid_);
    note_->setWordWrap(true);
    layout->addWidget(note_);
    layout->addStretch(1);
    core_.session.listen(*this);
    core_.ui.counterForm = this;
    refresh();
}

CounterWindow::~CounterWindow() {
    core_.session.forget(*this);
    if (core_.ui.counterForm == this) core_.ui.counterForm = nullptr;
}

void CounterWindow::setVisible(bool v) {
    // Its rows first: it is placed at the size they give it.
    if (v) {
        refresh();
        adjustSize();
    }
    SideWindow::setVisible(v);
}

void CounterWindow::refresh() {
    const std::vector<CounterRow> rows = counterRows(core_);
    normal_->setText(
        QStringLiteral("通常ゲーム %1Ｇ").arg(QString::fromStdString(captionNumber(normalGames(core_.cnt)))));
    if (rows.size() != rows_.size()) {
        // The counters were named anew: a row each, with its buttons.
        for (QWidget* w : rowWidgets_) delete w;
        rowWidgets_.clear();
        rows_.clear();
        const QStringList head{QStringLiteral("キー"), QStringLiteral("小役"), QStringLiteral("回数"),
                               QStringLiteral("確率")};
        for (int c = 0; c < head.size() && !rows.empty(); ++c) {
            auto* h = new QLabel(head[c]);
            grid_->addWidget(h, 0, c, c >= 2 ? Qt::AlignRight : Qt::AlignLeft);
            rowWidgets_.push_back(h);
        }
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const int r = static_cast<int>(i) + 1;
            std::vector<QLabel*> cells;
            for (int c = 0; c < 4; ++c) {
                auto* l = new QLabel;
                grid_->addWidget(l, r, c, c >= 2 ? Qt::AlignRight : Qt::AlignLeft);
                cells.push_back(l);
                rowWidgets_.push_back(l);
            }
            rows_.push_back(cells);
            auto* plus = new QPushButton(QStringLiteral("＋"));
            auto* minus = new QPushButton(QStringLiteral("－"));
            for (QPushButton* b : {plus, minus}) {
                b->setFocusPolicy(Qt::NoFocus);  // the keys stay the main window's
                rowWidgets_.push_back(b);
            }
            plus->setToolTip(QStringLiteral("キー %1").arg(r));
            minus->setToolTip(QStringLiteral("Shift＋%1").arg(r));
            grid_->addWidget(plus, r, 4);
            grid_->addWidget(minus, r, 5);
            connect(plus, &QPushButton::clicked, this, [this, r] { counterKey(core_, r, false); });
            connect(minus, &QPushButton::clicked, this, [this, r] { counterKey(core_, r, true); });
        }
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const CounterRow& row = rows[i];
        const std::string texts[] = {row.key, row.name, row.count, row.odds};
        for (int c = 0; c < 4; ++c) rows_[i][static_cast<std::size_t>(c)]->setText(QString::fromStdString(texts[c]));
    }
    note_->setText(rows.empty()
                       ? QString::fromUtf8(kNoCounters)
                       : QStringLiteral("数字キー 1～%1 で数え、Shift＋数字キーで 1 つ戻します。").arg(rows.size()));
}

std::vector<QStringList> CounterWindow::shownRows() const {
    std::vector<QStringList> out;
    for (const auto& cells : rows_) {
        QStringList l;
        for (const QLabel* c : cells) l << c->text();
        out.push_back(l);
    }
    return out;
}

}  // namespace tobrak::qt
