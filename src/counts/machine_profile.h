#pragma once
// Machine profiles: what is published of each setting (設定 1 to 6) of a machine,
// read from small JSON files. The format is described in docs/machine-profile.md.
#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "record/manual_counts.h"

namespace tobrak {

constexpr int kSettings = 6;

// A counter's name is shown in the window and typed on the command line: short.
// Four bytes a character at most, so the session never cuts a name a profile gives.
constexpr std::size_t kCounterNameChars = 16;
static_assert(kCounterNameChars * 4 <= kMaxCounterName);

struct SettingFigures {
    double bb = 0;                    // BB probability as its 1/x denominator
    double rb = 0;                    // RB probability, likewise
    double payout = 0;                // payout rate (機械割), %
    double prior = 1;                 // weight of the setting before any play
    std::map<int, double> smallWins;  // payout size 0..15 -> 1/x in normal games
    std::vector<double> counters;     // each manual counter's 1/x in normal games, in the profile's order
};

struct MachineProfile {
    std::string name;
    std::vector<std::string> counters;  // names of the manual counters, unique, at most kMaxCounters
                                        // of at most kCounterNameChars characters
    std::array<SettingFigures, kSettings> settings;
    // All settings list the same payout sizes, or none lists any.
    bool hasSmallWins() const { return !settings[0].smallWins.empty(); }
};

extern const char* const kProfileErrorTitle;  // "機種データ・エラーです！"

// Reads a profile. On failure `error` tells what is wrong and names the field
// ("項目「settings.3.bb」は 1 より大きい数値にして下さい").
bool parseProfile(const std::string& json, MachineProfile& out, std::string& error);
bool loadProfileFile(const std::string& path, MachineProfile& out, std::string& error);
// A profile as a file of the same format, laid out as the example's: one line a
// setting, numbers in the shortest text that reads back the same. parseProfile
// gives `p` back from it; `note` (optional) is kept as the free text.
std::string profileToJson(const MachineProfile& p, const std::string& note = {});

// The built-in example of a generic machine, always available.
extern const char* const kExampleProfileJson;
MachineProfile exampleProfile();

// A profile as the setting-estimate window offers it: read, or why it was not.
struct ProfileSlot {
    std::string label;  // the profile's name, or the file name of a bad one
    std::string path;   // empty for the built-in example
    std::optional<MachineProfile> profile;
    std::string error;
};
// The example first, then every *.json file of `dir` in name order. A missing or
// empty `dir` gives the example alone.
std::vector<ProfileSlot> listProfiles(const std::string& dir);

// The user's profile folder: $XDG_CONFIG_HOME/tobrak/profiles, else
// ~/.config/tobrak/profiles; %APPDATA%\tobrak\profiles on Windows.
std::string userProfileDir();
// The same from given values (null: not set).
std::string profileDirFrom(const char* xdgConfigHome, const char* home, const char* appData);

}  // namespace tobrak
