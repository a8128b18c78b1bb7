#pragma once
// A machine profile as the profile editor holds it: every figure as typed, so a
// profile that is not valid yet (half typed, or a file with a mistake) is kept
// as it is, and checked by the same reader the estimate uses.
#include <array>
#include <string>
#include <vector>

#include "counts/machine_profile.h"

namespace tobrak {

struct DraftSetting {
    std::string bb, rb, payout;
    std::string prior;                   // empty: 1
    std::vector<std::string> smallWins;  // 1/x of each size of ProfileDraft::smallWinSizes
    std::vector<std::string> counters;   // 1/x of each counter of ProfileDraft::counters
};

struct ProfileDraft {
    std::string name, note;
    std::vector<int> smallWinSizes;     // payout sizes 0..15 listed, ascending; a size whose six
                                        // figures are all empty is left out of the profile
    std::vector<std::string> counters;  // the hand counters' names, in their order
    std::array<DraftSetting, kSettings> settings;
};

// The figures of a valid profile as text (the shortest that reads back the same).
ProfileDraft draftOf(const MachineProfile& p, const std::string& note = {});

// Whatever a profile file holds, a valid profile or not. False, with `error`,
// only when it is not JSON with an object at the top; `dropped` names the fields
// that have no place in a profile (they are not kept).
bool readDraft(const std::string& json, ProfileDraft& out, std::string& error, std::vector<std::string>* dropped);

// A mistake at one field, named as parseProfile names it ("settings.3.bb").
struct DraftProblem {
    std::string field;
    std::string message;  // the whole sentence, "項目「settings.3.bb」は…"
};

// Every mistake of the draft, each at its field, in the order the reader meets
// them. None: `out` (when given) is the profile. A figure may be typed as
// "1/287.4" or in full-width digits; payouts may end in "%".
std::vector<DraftProblem> checkDraft(const ProfileDraft& d, MachineProfile* out = nullptr);

// The field a reader's message names ("settings.3.bb"), or empty.
std::string fieldOfMessage(const std::string& message);

// Where a field lies in the editor: which figure, of which setting and row.
struct DraftPlace {
    enum Kind { Name, Counters, CounterName, BB, RB, Payout, Prior, SmallWin, Counter, Unknown } kind = Unknown;
    int setting = -1;  // 0..5; -1: every setting
    int row = -1;      // index into smallWinSizes or counters; -1: every row
};
// The places a field covers: "settings.3" is the setting's BB and RB, for one.
std::vector<DraftPlace> placesOf(const std::string& field, const ProfileDraft& d);

// A file name for a profile named `name`: the characters no file system takes
// replaced, ".json" added.
std::string profileFileName(const std::string& name);

}  // namespace tobrak
