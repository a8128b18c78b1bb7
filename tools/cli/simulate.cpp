// `simulate`: the built-in simulated machine recorded with the real acquisition
// code; the same as `record --board sim`.
#include "commands.h"

namespace tobrak::cli {

int simulate(const SimulateArgs& a, Io& io) { return record({"sim", a}, io); }

}  // namespace tobrak::cli
