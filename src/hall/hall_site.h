#pragma once
// The hall page's site on the live view's server: the page, every tile as
// JSON and the event stream of changed tiles, under the same rules (this
// machine only without a token; the token beyond it; the server's limits).
//     GET /           the page
//     GET /api/hall   {"format":1,"broker":true,"machines":[tile…]}
//     GET /api/events hello (every tile), then {"event":"tiles","machines":[…]}
#include <memory>

#include "live/live_server.h"

namespace tobrak::hall {

extern const char* const kHallPage;

class HallSite final : public live::Site {
public:
    HallSite(live::LiveHub& hub, live::Gate gate) : hub_(hub), gate_(std::move(gate)) {}
    live::Reply answer(const live::HttpRequest& r) const override;

private:
    live::LiveHub& hub_;
    live::Gate gate_;
};

// For LiveServer: the hall's site instead of the live view's.
live::SiteMaker hallSite();

}  // namespace tobrak::hall
