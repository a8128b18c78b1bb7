// The --listen option of `record` and `serve`: the live view's server fed from
// the command's session.
#include "live.h"

#include <CLI/CLI.hpp>
#include "app/live_feed.h"
#include "app/qt/live_graph.h"
#include "live/live_server.h"

namespace tobrak::cli {

struct LiveView::Parts {
    live::LiveHub hub;
    std::unique_ptr<live::LiveServer> server;
    std::unique_ptr<LiveFeed> feed;
};

void listenOptions(CLI::App* cmd, ListenArgs& a) {
    cmd->add_option("--listen", a.listen,
                    "serve the live view (a web page for phones and stream overlays) on this port; "
                    "127.0.0.1 unless an address is given")
        ->type_name("[ADDR:]PORT")
        ->check([](const std::string& v) {
            live::ListenAddress at;
            return live::parseListen(v, at);
        });
    cmd->add_option("--token", a.token, "the live view answers only requests with ?token=T (needed beyond 127.0.0.1)")
        ->type_name("T");
}

LiveView::LiveView() = default;

LiveView::~LiveView() {
    if (!parts_) return;
    parts_->server->stop();  // no server thread reads the hub after this
    parts_->feed.reset();
}

std::string LiveView::start(Session& s, const ListenArgs& a, std::ostream& err) {
    live::ListenAddress at;
    if (std::string why = live::parseListen(a.listen, at); !why.empty()) return why;
    parts_ = std::make_unique<Parts>();
    parts_->feed = std::make_unique<LiveFeed>(s, parts_->hub, qt::graphPng);
    parts_->feed->tick();
    parts_->server = std::make_unique<live::LiveServer>(parts_->hub, a.token);
    if (std::string why = parts_->server->start(at); !why.empty()) {
        parts_.reset();
        return why;
    }
    err << "live view: " << parts_->server->url() << "\n" << std::flush;
    return {};
}

live::LiveHub* LiveView::hub() { return parts_ ? &parts_->hub : nullptr; }

void LiveView::tick() {
    if (parts_) parts_->feed->tick();
}

}  // namespace tobrak::cli
