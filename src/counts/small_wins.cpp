#include "counts/small_wins.h"

namespace tobrak {

SmallWinCounts smallWinCounts(const PlayRecord& rec) {
    SmallWinCounts n;
    // A game counts only when the next one is of the same kind.
    for (std::int32_t p = kHeaderLen; p <= rec.Dat_Len - 2; ++p) {
        const std::uint8_t g = rec.Dat_Buf[p], next = rec.Dat_Buf[p + 1];
        const int sg = g & 0xC0, sn = next & 0xC0;
        if (sg == 0 && sn == 0) {
            ++n.normal[medalsOut(g)];
            ++n.normalGames;
        } else if (sg == 0x80 && sn == 0x80) {
            ++n.bb[medalsOut(g)];
            ++n.bbGames;
        }
    }
    return n;
}

}  // namespace tobrak
