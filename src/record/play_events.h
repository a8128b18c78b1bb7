#pragma once
// Who hears of every change of the record as it happens (the live view): told
// after the record, the counters and the panel have taken the change.
#include "record/counters.h"

namespace tobrak {

class PlayListener {
public:
    virtual ~PlayListener() = default;
    virtual void gameStarted() {}  // a new game byte
    virtual void payout() {}       // the newest game's payout grew by one
    virtual void bonusStarted(Bonus) {}
    virtual void bonusEnded(Bonus) {}
    virtual void recordReplaced() {}  // a load or a clear
    virtual void headerChanged() {}   // the comment or the display options
};

}  // namespace tobrak
