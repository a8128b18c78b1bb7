#pragma once
// The machine picker: when a new record starts (the program started on an empty
// record, or the record was cleared), a small box lists the machine played last
// and then every machine profile. Enter takes the first, so a regular at the same
// machine skips it with one key; Esc keeps what is set. It is not modal: the poll
// records on while it is open.
#include <QDialog>
#include <optional>
#include <string>
#include <vector>

#include "counts/machine_profile.h"
#include "session/session.h"

class QListWidget;

namespace tobrak::qt {

class LibraryWindow;
class Settings;
class TobrakApp;

class MachinePicker final : public QDialog, private SessionListener {
public:
    // `settings` keeps the last machine and whether the box opens by itself (null:
    // nothing kept, and it opens only when asked); `library` (may be null) gets the
    // machine of the session it records.
    MachinePicker(TobrakApp& app, Settings* settings, LibraryWindow* library);
    ~MachinePicker() override;

    // Opens the box with the list read again (the profiles' folder too).
    void offer();
    // Whether a new record opens the box by itself; kept in the settings unless
    // `keep` is false (this run only, as --no-picker says).
    bool automatic() const { return automatic_; }
    void setAutomatic(bool on, bool keep = true);
    QListWidget* list() const { return list_; }
    // Takes entry `row` of the list: the session's machine and the estimate's profile.
    void choose(int row);

private:
    struct Entry {
        Machine machine;
        std::optional<MachineProfile> profile;  // the profile it names, when there is one
        std::string profileLabel;               // its label in the estimate's choice
    };
    void recordReplaced() override;

    TobrakApp& app_;
    Settings* settings_;
    LibraryWindow* library_;
    bool automatic_ = false;
    std::vector<Entry> entries_;
    QListWidget* list_;
};

}  // namespace tobrak::qt
