#pragma once
// `record` and `simulate`: a session without a window. They need nothing of the
// window's controls, not even kept in memory.
#include <cstdint>
#include <string>

#include "cli_io.h"
#include "counts/machine_profile.h"
#include "live.h"
#include "mqtt.h"

namespace tobrak::cli {

struct SimulateArgs {
    std::uint64_t seed = 1;
    double speed = 1.0;
    long games = 0;  // 0: until interrupted
    bool fast = false;
    std::string save, journal;
    ListenArgs live;
};
struct RecordArgs {
    std::string board = "none";
    SimulateArgs sim;
    std::string db{};                         // the library of sessions; empty: the user's
    bool noLibrary = false;                   // keep none
    std::string machine{}, hall{}, number{};  // what is played, for the library
    std::string profile{};                    // the machine profile naming the hand counters; empty: the example
    MqttArgs mqtt{};                          // the broker to publish to
};
// The profile of --profile (the example without it); 1 and the profile's message when it cannot be used.
int profileFor(const std::string& path, MachineProfile& profile, Io& io);

int simulate(const SimulateArgs& a, Io& io);
int record(const RecordArgs& a, Io& io);

}  // namespace tobrak::cli
