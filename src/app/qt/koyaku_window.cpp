#include "app/qt/koyaku_window.h"

#include <QLabel>

#include "analysis/koyaku.h"
#include "app/qt/placement.h"
#include "platform/qt/twips.h"

namespace tobrak::qt {

KoyakuWindow::KoyakuWindow(QWidget* mainWindow) : main_(mainWindow) {
    setWindowTitle(QString::fromUtf8(kKoyakuTitle));
    setFixedSize(px(4140), px(4230));
    box(0, 0, 1935, 315, rgb::Cyan, Qt::AlignCenter, "スランプゲーム中");
    box(2160, 0, 1935, 315, rgb::Cyan, Qt::AlignCenter, "ボーナスゲーム中");
    for (int k = 0; k < 16; ++k) {
        const int top = 240 + 240 * k;
        const auto i = static_cast<std::size_t>(k);
        box(0, top, 735, 315, rgb::LightGreen, Qt::AlignLeft | Qt::AlignVCenter, koyakuRowCaption(k));
        text2_[i] = box(720, top, 1215, k >= 14 ? 315 : 270, rgb::LightGreen, Qt::AlignRight | Qt::AlignVCenter, "");
        box(2160, top, 735, 315, rgb::LightGreen, Qt::AlignLeft | Qt::AlignVCenter, koyakuRowCaption(k));
        text4_[i] = box(2880, top, 1215, 330, rgb::LightGreen, Qt::AlignRight | Qt::AlignVCenter, "");
    }
}

QtLabel* KoyakuWindow::box(int l, int t, int w, int h, Rgb back, Qt::Alignment align, const std::string& text) {
    auto* q = new QLabel(QString::fromStdString(text), this);
    q->setGeometry(pxRect(l, t, w, h));
    q->setAlignment(align);
    q->setFrameShape(QFrame::Box);  // read-only boxes, as text boxes look
    q->setLineWidth(1);
    auto lab = std::make_unique<QtLabel>(q, true);
    lab->setBackColor(back);
    QtLabel* raw = lab.get();
    labels_.push_back(std::move(lab));
    return raw;
}

void KoyakuWindow::attach(Platform& p) {
    p.main.koyakuForm = this;
    for (std::size_t i = 0; i < 16; ++i) {
        p.main.Text2[i] = text2_[i];
        p.main.Text4[i] = text4_[i];
    }
}

void KoyakuWindow::setVisible(bool v) {
    if (v && !placed_ && main_) {
        placed_ = true;
        placeBeside(this, main_);
    }
    QWidget::setVisible(v);
}

int KoyakuWindow::clientWidth() const { return twips(width()); }
int KoyakuWindow::clientHeight() const { return twips(height()); }
int KoyakuWindow::outerHeight() const { return twips(frameGeometry().height()); }
int KoyakuWindow::outerWidth() const { return twips(frameGeometry().width()); }

}  // namespace tobrak::qt
