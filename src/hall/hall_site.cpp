#include "hall/hall_site.h"

namespace tobrak::hall {

using live::Reply;

Reply HallSite::answer(const live::HttpRequest& r) const {
    const bool in = gate_.admitted(r);
    Reply reply;
    if (r.method != "GET" && r.method != "HEAD") {
        reply = live::textReply(405, "405 only GET and HEAD are answered here\n");
        reply.headers.emplace_back("Allow", "GET, HEAD");
    } else if (!in) {
        reply = gate_.refusal();
    } else {
        reply.headers = {{"Cache-Control", "no-store"}, {"X-Content-Type-Options", "nosniff"}};
        if (r.path == "/") {
            reply.contentType = "text/html; charset=utf-8";
            reply.body = live::withBoot(kHallPage, hub_.state());
        } else if (r.path == "/api/hall") {
            reply.contentType = "application/json";
            reply.body = hub_.state();
        } else if (r.path == "/api/events") {
            reply.events = true;
        } else {
            reply = live::textReply(404, "404 nothing here\n");
        }
    }
    reply.admitted = in;
    return reply;
}

live::SiteMaker hallSite() {
    return [](live::LiveHub& hub, live::Gate gate) { return std::make_unique<HallSite>(hub, std::move(gate)); };
}

}  // namespace tobrak::hall
