// `record` linked on its own: the session, the boards and the live view, and
// none of the window's controls, not even kept in memory. Its output must be
// the full tool's. usage: record_alone SEED GAMES
#include <cstdlib>
#include <iostream>
#include <sstream>

#include "record_command.h"

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    tobrak::cli::RecordArgs a;
    a.board = "sim";
    a.sim.seed = std::strtoull(argv[1], nullptr, 10);
    a.sim.games = std::strtol(argv[2], nullptr, 10);
    a.sim.fast = true;
    std::istringstream in;
    tobrak::cli::Io io{in, std::cout, std::cerr};
    return tobrak::cli::record(a, io);
}
