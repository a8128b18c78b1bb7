#pragma once
// The front end's live view: a web page of the record for phones and stream
// overlays, started from the menu.

namespace tobrak {

class LiveViewHost {
public:
    virtual ~LiveViewHost() = default;
    virtual bool serving() const = 0;
    // The menu's check item: starts serving and shows where the page is, or stops.
    virtual void toggleLiveView() = 0;
    // Shows where the page is, starting to serve first when it does not.
    virtual void showLiveView() = 0;
};

}  // namespace tobrak
