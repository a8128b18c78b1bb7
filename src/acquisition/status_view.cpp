#include "acquisition/status_view.h"

#include "util/format.h"

namespace tobrak {

void StatusView::boardPolled(bool reachable, bool changed) {
    Label1->setBackColor(reachable ? rgb::Green : rgb::Yellow);
    if (changed) Label1->setCaption(reachable ? kBoardOk : kBoardNg);
}

void StatusView::showGain(std::int32_t gain, Rgb phase) {
    Label14->setCaption(captionNumber(gain) + " ");
    Label14->setVisible(true);
    Label15->setVisible(true);
    const Rgb next = gainColour == phase ? rgb::Yellow : phase;
    gainColour = next;
    Label14->setForeColor(next);
    Label15->setForeColor(next);
}

void StatusView::hideGain() {
    Label14->setVisible(false);
    Label15->setVisible(false);
}

void StatusView::Timer8_Timer(bool graphShown) {
    if (!graphShown) {
        hideGain();
    } else {
        if (s_.DaiBB_On) showGain(s_.cnt.BB_Gain, rgb::Red);
        if (s_.DaiRB_On) showGain(s_.cnt.RB_Gain, rgb::Black);
    }
    panel_.blinkBonus(s_.DaiBB_On, s_.DaiRB_On);
    if (!s_.DaiBB_On && !s_.DaiRB_On) {
        Timer8->setEnabled(false);
        hideGain();
    }
}

}  // namespace tobrak
