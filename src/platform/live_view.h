#pragma once
// The front end's live view: a web page of the record for phones and stream
// overlays, started from the menu.

namespace tobrak {

class LiveViewHost {
public:
    virtual ~LiveViewHost() = default;
    // Starts serving if it does not yet, and shows where the page is.
    virtual void showLiveView() = 0;
};

}  // namespace tobrak
