// `simulate`: the built-in simulated machine recorded with the real acquisition
// code; the same as `record --board sim`.
#include "commands.h"

namespace tobrak::cli {

int simulate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> all{"--board", "sim"};
    all.insert(all.end(), args.begin(), args.end());
    return record(all, out, err);
}

}  // namespace tobrak::cli
