#include "platform/qt/view_scale.h"

#include <QApplication>
#include <QLayout>
#include <cstring>

#include "platform/qt/twips.h"

namespace tobrak::qt {

namespace {
// Sizes as designed (at scale 1), kept on each widget the first time it is
// scaled, with the pixels they gave, so that going back and forth never drifts.
const char* const kDesigned = "tobrakDesignedRect";
const char* const kGiven = "tobrakGivenRect";
const char* const kDesignedPt = "tobrakDesignedPt";

QRectF designed(QWidget* w, const QRect& now, double from) {
    if (w->property(kGiven).toRect() == now) return w->property(kDesigned).toRectF();
    return QRectF(now.x() / from, now.y() / from, now.width() / from, now.height() / from);
}

QRect given(QWidget* w, const QRectF& d, double to) {
    const QRect r(qRound(d.x() * to), qRound(d.y() * to), qRound(d.width() * to), qRound(d.height() * to));
    w->setProperty(kDesigned, d);
    w->setProperty(kGiven, r);
    return r;
}

void scaleFont(QWidget* w, double from, double to) {
    if (!w->testAttribute(Qt::WA_SetFont)) return;  // follows the application's font
    QVariant pt = w->property(kDesignedPt);
    if (!pt.isValid()) {
        pt = w->font().pointSizeF() / from;
        w->setProperty(kDesignedPt, pt);
    }
    QFont f = w->font();
    f.setPointSizeF(pt.toDouble() * to);
    w->setFont(f);
}

// Children of plain widgets are placed by hand; those of Qt's own compound
// widgets (tables, combo boxes) and of layouts are placed by their owner.
bool placedByHand(const QWidget* w) { return std::strcmp(w->metaObject()->className(), "QWidget") == 0; }

void scaleChildren(QWidget* parent, double from, double to) {
    for (QObject* o : parent->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || w->isWindow()) continue;
        scaleFont(w, from, to);
        const bool inLayout = parent->layout() && parent->layout()->indexOf(w) >= 0;
        if (!inLayout) w->setGeometry(given(w, designed(w, w->geometry(), from), to));
        if (placedByHand(w) || inLayout) scaleChildren(w, from, to);
    }
}
}  // namespace

void setViewScale(double scale, const std::vector<QWidget*>& windows) {
    const double from = g_viewScale;
    if (scale == from) return;
    g_viewScale = scale;
    static const double appPt = QApplication::font().pointSizeF();
    QFont f = QApplication::font();
    f.setPointSizeF(appPt * scale);
    QApplication::setFont(f);
    for (QWidget* w : windows) {
        scaleChildren(w, from, scale);
        const QRect r = given(w, designed(w, QRect(QPoint(), w->size()), from), scale);
        if (w->minimumSize() == w->maximumSize())
            w->setFixedSize(r.size());
        else
            w->resize(r.size());
    }
}

}  // namespace tobrak::qt
