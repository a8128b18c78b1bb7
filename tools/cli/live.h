#pragma once
// The live view of a command: --listen [ADDR:]PORT and --token T.
#include <memory>
#include <ostream>
#include <string>

#include "live/live_hub.h"
#include "session/session.h"

namespace CLI {
class App;
}

namespace tobrak::cli {

struct ListenArgs {
    std::string listen;  // empty: no live view
    std::string token;
};
void listenOptions(CLI::App* cmd, ListenArgs& a);

// The server, its hub and the feed from the record, while the command runs.
class LiveView {
public:
    LiveView();
    ~LiveView();
    // Starts serving the session; empty on success (the page's address is then
    // on `err`), otherwise what is wrong.
    std::string start(Session& s, const ListenArgs& a, std::ostream& err);
    // From the command's loop: the graph's picture when it is due.
    void tick();
    // The hub it serves from; null when not started.
    live::LiveHub* hub();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace tobrak::cli
