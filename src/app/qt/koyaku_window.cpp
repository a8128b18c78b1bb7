#include "app/qt/koyaku_window.h"

#include <QLabel>

#include "analysis/koyaku.h"
#include "platform/qt/twips.h"

namespace tobrak::qt {

KoyakuWindow::KoyakuWindow(QWidget* mainWindow) : SideWindow(mainWindow) {
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
    QtLabel* lab = labels_.add(this, pxRect(l, t, w, h), align, true, text);
    lab->widget()->setFrameShape(QFrame::Box);  // read-only boxes, as text boxes look
    lab->widget()->setLineWidth(1);
    lab->setBackColor(back);
    return lab;
}

void KoyakuWindow::attach(Platform& p) {
    p.main.koyakuForm = this;
    for (std::size_t i = 0; i < 16; ++i) {
        p.main.Text2[i] = text2_[i];
        p.main.Text4[i] = text4_[i];
    }
}

}  // namespace tobrak::qt
