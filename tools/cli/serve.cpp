// `serve`: the live view of a saved record.
#include <chrono>
#include <csignal>
#include <thread>

#include "app/headless/headless_app.h"
#include "commands.h"
#include "gui.h"
#include "live.h"

namespace tobrak::cli {

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
    if (std::string why = view.start(headless.program.session, a.live, io.err); !why.empty()) {
        io.err << "tobrak-cli: serve: " << why << "\n";
        return 2;
    }
    while (!g_stopServe) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return 0;
}

}  // namespace tobrak::cli
