#pragma once
// Message boxes. Every confirmation uses OK/Cancel with Cancel as the default,
// except the restore question: there Enter keeps the record. The quit question
// over an unsaved record has three: save and quit, quit without saving, cancel.
// A second copy at start-up is asked to open without recording (Ok) or to quit
// (Cancel, the default). A failed print offers its page as a PDF file instead
// ("PDF保存", Save) beside OK, the default.
#include <optional>
#include <string>

namespace tobrak {

enum class MsgIcon { Information, Exclamation, Stop };
enum class MsgButtons { Ok, OkCancel, OkCancelOkDefault, SaveDiscardCancel, OpenQuit, OkSavePdf };
enum class MsgResult { Ok, Cancel, Save, Discard };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Modal: returns when the user has answered.
    virtual MsgResult messageBox(const std::string& text, const std::string& title, MsgIcon icon,
                                 MsgButtons buttons) = 0;
    // File-open dialog with a filter such as "スロットデーターファイル(*.slt)|*.slt" and the
    // read-only check box hidden. No value: cancelled.
    virtual std::optional<std::string> openFile(const std::string& filter) = 0;
    // File-save dialog with the same kind of filter; the dialog asks no overwrite
    // question of its own (the caller does). No value: cancelled.
    virtual std::optional<std::string> saveFile(const std::string& filter) = 0;
    // Input box with a title, a prompt and a default text, taking at most `maxUnits`
    // UTF-16 units (0: no bound). Cancel gives an empty text.
    virtual std::string inputBox(const std::string& prompt, const std::string& title, const std::string& defaultText,
                                 int maxUnits) = 0;
};

}  // namespace tobrak
