#pragma once
#include <string>

namespace tobrak {

// Asks the desktop to open an address in the user's browser. Failures are not reported.
class Shell {
public:
    virtual ~Shell() = default;
    virtual void openUrl(const std::string& url) = 0;
};

}  // namespace tobrak
