// `serve` and the --listen option of `record`: the live view's server fed from
// the command's record.
#include "live.h"

#include <CLI/CLI.hpp>
#include <chrono>
#include <csignal>
#include <thread>

#include "app/headless/headless_app.h"
#include "app/live_feed.h"
#include "app/qt/live_graph.h"
#include "commands.h"
#include "gui.h"
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

std::string LiveView::start(Program& c, const ListenArgs& a, std::ostream& err) {
    live::ListenAddress at;
    if (std::string why = live::parseListen(a.listen, at); !why.empty()) return why;
    parts_ = std::make_unique<Parts>();
    parts_->feed = std::make_unique<LiveFeed>(c, parts_->hub, qt::graphPng);
    parts_->feed->tick();
    parts_->server = std::make_unique<live::LiveServer>(parts_->hub, a.token);
    if (std::string why = parts_->server->start(at); !why.empty()) {
        parts_.reset();
        return why;
    }
    err << "live view: " << parts_->server->url() << "\n" << std::flush;
    return {};
}

void LiveView::tick() {
    if (parts_) parts_->feed->tick();
}

namespace {
volatile std::sig_atomic_t g_stopServe = 0;
void onServeSignal(int) { g_stopServe = 1; }
}  // namespace

int serve(const ServeArgs& a, Io& io) {
    const auto app = guiApp();
    headless::HeadlessApp headless(nullptr);
    if (const int st = loadForCli(headless.program, a.file, io)) return st;
    // Signals are taken before the address is printed: whoever reads it may stop us at once.
    g_stopServe = 0;
    const StopSignals stopSignals(onServeSignal);
    LiveView view;
    if (std::string why = view.start(headless.program, a.live, io.err); !why.empty()) {
        io.err << "tobrak-cli: serve: " << why << "\n";
        return 2;
    }
    while (!g_stopServe) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return 0;
}

}  // namespace tobrak::cli
