// `boards`: what could be recorded from on this computer, with the --board
// option that would use it, as the board table finds it.
#include <ostream>

#include "boards/board_table.h"
#include "commands.h"
#include "gui.h"

namespace tobrak::cli {

int boards(Io& io) {
    std::ostream& out = io.out;
    const auto app = coreApp();
    for (const BoardCandidates& c : findBoards()) {
        out << c.finder->title << ": " << c.found.size() << "\n";
        for (const BoardFound& f : c.found) {
            out << "  " << f.listing << "\n    ";
            if (!f.usable) {
                out << "not a board this program knows\n";
                continue;
            }
            // Where several boards can be on one port, each says which it is.
            for (std::size_t i = 0; i < c.rows.size(); ++i) {
                out << (i ? " or " : "") << "--board " << boardOption(*c.rows[i], f.target);
                if (c.rows.size() > 1) out << " (" << c.rows[i]->kind << ")";
            }
            out << "\n";
        }
    }
    return 0;
}

}  // namespace tobrak::cli
