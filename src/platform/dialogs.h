#pragma once
// Message boxes. Every confirmation uses OK/Cancel with Cancel as the default.
#include <string>

namespace tobrak {

enum class MsgIcon { Information, Exclamation, Stop };
enum class MsgButtons { Ok, OkCancel };
enum class MsgResult { Ok, Cancel };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Modal: returns when the user has answered.
    virtual MsgResult messageBox(const std::string& text, const std::string& title, MsgIcon icon,
                                 MsgButtons buttons) = 0;
};

}  // namespace tobrak
