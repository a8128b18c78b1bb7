// Bytes from a network client, in the pieces reads would bring them, through
// the live view's request reader and its routes: nothing the client sends may
// make the server hold more than its limits, crash it, or let it in without
// the token or from a foreign host name.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "live/http_request.h"
#include "live/live_hub.h"
#include "live/live_server.h"

using namespace tobrak::live;

namespace {

void require(bool ok) {
    if (!ok) std::abort();
}

bool knownBad(int status) { return status == 400 || status == 413 || status == 414 || status == 431 || status == 505; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static LiveHub hub;
    static const bool ready = [] {
        hub.setState("{\"games\":3}");
        hub.setRecord("{\"rows\":", {"[1,2]", "[2,3]"});
        return true;
    }();
    (void)ready;
    static const LiveRoutes open(hub, "", HostRule("127.0.0.1", {"192.168.1.5"}));
    static const LiveRoutes locked(hub, "sesame", HostRule("0.0.0.0", {}));
    if (size == 0) return 0;
    // Small limits, so that the fuzzer reaches them often.
    HttpLimits limits;
    limits.maxLine = 256;
    limits.maxHeader = 1024;
    limits.maxHeaderLines = 12;
    RequestReader reader(limits);
    const std::size_t chunk = data[0] % 97 + 1;
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    for (std::size_t at = 0; at < rest.size(); at += chunk) {
        RequestReader::Status st = reader.feed(rest.substr(at, chunk));
        require(reader.held() <= 2 * (limits.maxHeader + chunk) + 64);
        while (st == RequestReader::Status::Ready) {
            const HttpRequest& r = reader.request();
            const Reply a = open.answer(r), b = locked.answer(r);
            const bool read = (r.method == "GET" || r.method == "HEAD") && r.path != "/api/count";
            // Served only to a request that was let in; one that was not learns at
            // most that its method is wrong.
            require(open.admitted(r) || a.status == 403 || a.status == 405);
            require(locked.admitted(r) || b.status == 401 || b.status == 405);
            require(!read || (a.status == 403) != open.admitted(r));
            require(!read || (b.status == 401) != locked.admitted(r));
            require(!locked.admitted(r) || r.param("token") == "sesame" || r.authorization == "Bearer sesame");
            if (open.admitted(r)) {
                const std::string h = hostOfHeader(r.host);
                require(h == "127.0.0.1" || h == "192.168.1.5" || h.find("localhost") != std::string::npos ||
                        h.find(':') != std::string::npos || h.rfind("127.", 0) == 0 || h.rfind("::ffff:", 0) == 0);
            }
            st = reader.feed({});
        }
        if (st == RequestReader::Status::Bad) {
            require(knownBad(reader.status()));
            break;
        }
    }
    return 0;
}
