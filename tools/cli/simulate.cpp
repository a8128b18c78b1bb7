// `simulate`: the built-in simulated machine recorded with the real acquisition
// code; the same as `record --board sim --no-library`.
#include "commands.h"

namespace tobrak::cli {

// A demonstration of the simulated machine: it keeps no library of sessions.
int simulate(const SimulateArgs& a, Io& io) { return record({"sim", a, {}, /*noLibrary=*/true, {}, {}, {}}, io); }

}  // namespace tobrak::cli
