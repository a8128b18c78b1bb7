#include "counts/profile_draft.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <set>

namespace tobrak {

namespace {

using Json = nlohmann::ordered_json;

// A stand-in for a figure already reported, so the reader goes on to the next
// mistake: far from every bound (1/1000 never makes a sum reach 1).
const char* const kFillerOdds = "1000";

std::string numberText(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return r.ec == std::errc() ? std::string(buf, r.ptr) : std::string();
}

// A JSON value as a cell shows it: a number in its shortest text, a string as it
// is, anything else as its JSON (so nothing typed into a file is hidden).
std::string cellText(const Json& v) {
    if (v.is_number()) return numberText(v.get<double>());
    if (v.is_string()) return v.get<std::string>();
    if (v.is_null()) return "";
    return v.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// Full-width digits and signs as a Japanese input method gives them, in ASCII.
std::string halfWidth(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
        if (i + 2 < s.size() && b(i) == 0xEF && b(i + 1) == 0xBC && b(i + 2) >= 0x85 && b(i + 2) <= 0x9B) {
            // U+FF05 '％' … U+FF1B: the ASCII sign 0x60 below
            out += static_cast<char>(b(i + 2) - 0x85 + 0x25);
            i += 2;
        } else if (i + 2 < s.size() && b(i) == 0xE3 && b(i + 1) == 0x80 && b(i + 2) == 0x80) {
            out += ' ';  // the ideographic space
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

enum class Figure { Odds, Percent, Plain };

// A typed figure as the file gets it: a number when it reads as one, otherwise
// the text itself, which the reader refuses at its field.
Json figure(const std::string& typed, Figure kind) {
    std::string t = halfWidth(typed);
    const auto first = t.find_first_not_of(" \t");
    const auto last = t.find_last_not_of(" \t");
    t = first == std::string::npos ? std::string() : t.substr(first, last - first + 1);
    if (kind == Figure::Odds && t.rfind("1/", 0) == 0) t = t.substr(2);
    if (kind == Figure::Percent && !t.empty() && t.back() == '%') t.pop_back();
    const bool numeric = !t.empty() && t.find_first_not_of("0123456789.eE+-") == std::string::npos;
    if (numeric) {
        char* end = nullptr;
        const double v = std::strtod(t.c_str(), &end);
        if (*end == '\0' && std::isfinite(v)) return v;
    }
    return typed;
}

bool usedSize(const ProfileDraft& d, std::size_t row) {
    return std::any_of(d.settings.begin(), d.settings.end(),
                       [&](const DraftSetting& s) { return row < s.smallWins.size() && !s.smallWins[row].empty(); });
}

const std::string& cellAt(const std::vector<std::string>& v, std::size_t i) {
    static const std::string none;
    return i < v.size() ? v[i] : none;
}

std::string draftJson(const ProfileDraft& d) {
    Json j = Json::object();
    j["name"] = d.name;
    if (!d.note.empty()) j["note"] = d.note;
    if (!d.counters.empty()) j["counters"] = d.counters;
    Json settings = Json::object();
    for (int k = 0; k < kSettings; ++k) {
        const DraftSetting& s = d.settings[static_cast<std::size_t>(k)];
        Json o = Json::object();
        if (!s.bb.empty()) o["bb"] = figure(s.bb, Figure::Odds);
        if (!s.rb.empty()) o["rb"] = figure(s.rb, Figure::Odds);
        if (!s.payout.empty()) o["payout"] = figure(s.payout, Figure::Percent);
        if (!s.prior.empty()) o["prior"] = figure(s.prior, Figure::Plain);
        Json wins = Json::object();
        for (std::size_t i = 0; i < d.smallWinSizes.size(); ++i)
            if (usedSize(d, i) && !cellAt(s.smallWins, i).empty())
                wins[std::to_string(d.smallWinSizes[i])] = figure(cellAt(s.smallWins, i), Figure::Odds);
        if (!wins.empty()) o["small_wins"] = wins;
        if (!d.counters.empty()) {
            Json c = Json::object();
            for (std::size_t i = 0; i < d.counters.size(); ++i)
                if (!cellAt(s.counters, i).empty()) c[d.counters[i]] = figure(cellAt(s.counters, i), Figure::Odds);
            o["counters"] = c;
        }
        settings[std::to_string(k + 1)] = o;
    }
    j["settings"] = settings;
    return j.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// "settings.3.bb" → 2 and "bb"; false for a field outside the settings.
bool settingField(const std::string& field, int& k, std::string& rest) {
    const std::string head = "settings.";
    if (field.rfind(head, 0) != 0 || field.size() < head.size() + 1) return false;
    const char c = field[head.size()];
    if (c < '1' || c > '6') return false;
    if (field.size() > head.size() + 1 && field[head.size() + 1] != '.') return false;
    k = c - '1';
    rest = field.size() > head.size() + 2 ? field.substr(head.size() + 2) : std::string();
    return true;
}

int rowOfSize(const ProfileDraft& d, const std::string& size) {
    for (std::size_t i = 0; i < d.smallWinSizes.size(); ++i)
        if (std::to_string(d.smallWinSizes[i]) == size) return static_cast<int>(i);
    return -1;
}

int rowOfCounter(const ProfileDraft& d, const std::string& name) {
    const auto it = std::find(d.counters.begin(), d.counters.end(), name);
    return it == d.counters.end() ? -1 : static_cast<int>(it - d.counters.begin());
}

void setCell(std::vector<std::string>& v, int row, const std::string& text) {
    if (row < 0) return;
    if (v.size() <= static_cast<std::size_t>(row)) v.resize(static_cast<std::size_t>(row) + 1);
    v[static_cast<std::size_t>(row)] = text;
}

// Puts a valid figure where the reader found a mistake; false when the field is
// not one this can mend.
bool mend(ProfileDraft& d, const std::string& field) {
    bool mended = false;
    for (const DraftPlace& p : placesOf(field, d)) {
        for (int k = 0; k < kSettings; ++k) {
            if (p.setting >= 0 && p.setting != k) continue;
            DraftSetting& s = d.settings[static_cast<std::size_t>(k)];
            switch (p.kind) {
                case DraftPlace::BB: s.bb = kFillerOdds; break;
                case DraftPlace::RB: s.rb = kFillerOdds; break;
                case DraftPlace::Payout: s.payout = "100"; break;
                case DraftPlace::Prior: s.prior = "1"; break;
                case DraftPlace::SmallWin:
                    for (std::size_t r = 0; r < d.smallWinSizes.size(); ++r)
                        if (p.row < 0 || static_cast<int>(r) == p.row)
                            setCell(s.smallWins, static_cast<int>(r), kFillerOdds);
                    break;
                case DraftPlace::Counter:
                    if (p.row < 0) return false;  // the whole object: nothing to mend in one cell
                    setCell(s.counters, p.row, kFillerOdds);
                    break;
                default: continue;
            }
            mended = true;
        }
        if (p.kind == DraftPlace::Name) {
            d.name = "?";
            mended = true;
        } else if (p.kind == DraftPlace::Counters) {
            if (d.counters.size() <= kMaxCounters) return false;
            d.counters.resize(kMaxCounters);
            mended = true;
        } else if (p.kind == DraftPlace::CounterName && p.row >= 0) {
            std::string stand = "#" + std::to_string(p.row + 1);
            while (rowOfCounter(d, stand) >= 0) stand += "#";
            d.counters[static_cast<std::size_t>(p.row)] = stand;
            mended = true;
        }
    }
    return mended;
}

}  // namespace

ProfileDraft draftOf(const MachineProfile& p, const std::string& note) {
    ProfileDraft d;
    d.name = p.name;
    d.note = note;
    d.counters = p.counters;
    for (const auto& kv : p.settings[0].smallWins) d.smallWinSizes.push_back(kv.first);
    for (int k = 0; k < kSettings; ++k) {
        const SettingFigures& f = p.settings[static_cast<std::size_t>(k)];
        DraftSetting& s = d.settings[static_cast<std::size_t>(k)];
        s.bb = numberText(f.bb);
        s.rb = numberText(f.rb);
        s.payout = numberText(f.payout);
        s.prior = f.prior == 1 ? std::string() : numberText(f.prior);
        for (const int size : d.smallWinSizes) {
            const auto it = f.smallWins.find(size);
            s.smallWins.push_back(it == f.smallWins.end() ? std::string() : numberText(it->second));
        }
        for (const double x : f.counters) s.counters.push_back(numberText(x));
        s.counters.resize(d.counters.size());
    }
    return d;
}

bool readDraft(const std::string& text, ProfileDraft& out, std::string& error, std::vector<std::string>* dropped) {
    Json j;
    try {
        j = Json::parse(text);
    } catch (const Json::exception& e) {
        const auto* p = dynamic_cast<const Json::parse_error*>(&e);
        error = p ? "JSON の書式が正しくありません（" + std::to_string(p->byte) + " バイト目付近）"
                  : std::string("JSON の数値が大きすぎます");
        return false;
    }
    if (!j.is_object()) {
        error = "全体が { } で囲まれていません";
        return false;
    }
    const auto drop = [&](const std::string& field) {
        if (dropped) dropped->push_back(field);
    };
    ProfileDraft d;
    std::vector<std::string> sizesSeen;
    for (const auto& [key, v] : j.items()) {
        if (key == "name") {
            d.name = cellText(v);
        } else if (key == "note") {
            d.note = cellText(v);
        } else if (key == "counters" && v.is_array()) {
            for (const Json& n : v) d.counters.push_back(cellText(n));
        } else if (key != "settings" || !v.is_object()) {
            drop(key);
        }
    }
    // The sizes and counter names of every setting, so each becomes a row.
    std::set<int> sizes;
    const Json none = Json::object();
    const Json& settings = j.contains("settings") && j["settings"].is_object() ? j["settings"] : none;
    for (const auto& [key, s] : settings.items()) {
        if (key.size() != 1 || key[0] < '1' || key[0] > '6' || !s.is_object()) {
            drop("settings." + key);
            continue;
        }
        if (s.contains("small_wins") && s["small_wins"].is_object())
            for (const auto& [size, v] : s["small_wins"].items()) {
                char* end = nullptr;
                const long n = std::strtol(size.c_str(), &end, 10);
                if (!size.empty() && !*end && n >= 0 && n <= 15)
                    sizes.insert(static_cast<int>(n));
                else
                    drop("settings." + key + ".small_wins." + size);
            }
        if (s.contains("counters") && s["counters"].is_object())
            for (const auto& [name, v] : s["counters"].items())
                if (rowOfCounter(d, name) < 0) d.counters.push_back(name);  // kept, and named by the check
    }
    d.smallWinSizes.assign(sizes.begin(), sizes.end());
    for (const auto& [key, s] : settings.items()) {
        if (key.size() != 1 || key[0] < '1' || key[0] > '6' || !s.is_object()) continue;
        DraftSetting& into = d.settings[static_cast<std::size_t>(key[0] - '1')];
        const std::string at = "settings." + key;
        for (const auto& [field, v] : s.items()) {
            if (field == "bb") {
                into.bb = cellText(v);
            } else if (field == "rb") {
                into.rb = cellText(v);
            } else if (field == "payout") {
                into.payout = cellText(v);
            } else if (field == "prior") {
                into.prior = cellText(v);
            } else if (field == "small_wins" && v.is_object()) {
                into.smallWins.resize(d.smallWinSizes.size());
                for (const auto& [size, x] : v.items())
                    if (const int row = rowOfSize(d, size); row >= 0) setCell(into.smallWins, row, cellText(x));
            } else if (field == "counters" && v.is_object()) {
                for (const auto& [name, x] : v.items()) setCell(into.counters, rowOfCounter(d, name), cellText(x));
            } else {
                drop(at + "." + field);
            }
        }
    }
    for (DraftSetting& s : d.settings) {
        s.smallWins.resize(d.smallWinSizes.size());
        s.counters.resize(d.counters.size());
    }
    out = std::move(d);
    return true;
}

std::vector<DraftProblem> checkDraft(const ProfileDraft& d, MachineProfile* out) {
    std::vector<DraftProblem> problems;
    ProfileDraft work = d;
    // A size listed for some settings needs a figure for each; the reader would
    // only say the sizes differ, not which figure is missing.
    for (std::size_t r = 0; r < work.smallWinSizes.size(); ++r) {
        if (!usedSize(work, r)) continue;
        for (int k = 0; k < kSettings; ++k) {
            DraftSetting& s = work.settings[static_cast<std::size_t>(k)];
            if (!cellAt(s.smallWins, r).empty()) continue;
            const std::string field =
                "settings." + std::to_string(k + 1) + ".small_wins." + std::to_string(work.smallWinSizes[r]);
            problems.push_back(
                {field, "項目「" + field + "」がありません（払出枚数ごとに設定１～６のすべてが必要です）"});
            setCell(s.smallWins, static_cast<int>(r), kFillerOdds);
        }
    }
    std::set<std::string> seen;
    // Each round finds the first mistake left; a mended figure lets the next show.
    for (int round = 0; round < 1000; ++round) {
        MachineProfile p;
        std::string error;
        if (parseProfile(draftJson(work), p, error)) {
            if (problems.empty() && out) *out = std::move(p);
            break;
        }
        const std::string field = fieldOfMessage(error);
        problems.push_back({field, error});
        if (field.empty() || !seen.insert(field).second || !mend(work, field)) break;
    }
    return problems;
}

std::string fieldOfMessage(const std::string& message) {
    const std::string open = "項目「", close = "」";
    const auto a = message.find(open);
    if (a == std::string::npos) return {};
    const auto b = message.find(close, a + open.size());
    return b == std::string::npos ? std::string() : message.substr(a + open.size(), b - a - open.size());
}

std::vector<DraftPlace> placesOf(const std::string& field, const ProfileDraft& d) {
    if (field == "name") return {{DraftPlace::Name}};
    if (field == "counters") return {{DraftPlace::Counters}, {DraftPlace::CounterName}};
    if (field.rfind("counters.", 0) == 0) {
        char* end = nullptr;
        const long n = std::strtol(field.c_str() + 9, &end, 10);
        if (*end || n < 1 || n > static_cast<long>(d.counters.size())) return {};
        return {{DraftPlace::CounterName, -1, static_cast<int>(n - 1)}};
    }
    if (field == "settings.*.prior") return {{DraftPlace::Prior}};
    int k = 0;
    std::string rest;
    if (!settingField(field, k, rest)) return {};
    if (rest.empty()) return {{DraftPlace::BB, k}, {DraftPlace::RB, k}};
    if (rest == "bb") return {{DraftPlace::BB, k}};
    if (rest == "rb") return {{DraftPlace::RB, k}};
    if (rest == "payout") return {{DraftPlace::Payout, k}};
    if (rest == "prior") return {{DraftPlace::Prior, k}};
    if (rest == "small_wins") return {{DraftPlace::SmallWin, k}};
    if (rest.rfind("small_wins.", 0) == 0) {
        const int row = rowOfSize(d, rest.substr(11));
        return row < 0 ? std::vector<DraftPlace>{} : std::vector<DraftPlace>{{DraftPlace::SmallWin, k, row}};
    }
    if (rest == "counters") return {{DraftPlace::Counter, k}};
    if (rest.rfind("counters.", 0) == 0) {
        const int row = rowOfCounter(d, rest.substr(9));  // a name may itself hold a dot
        return row < 0 ? std::vector<DraftPlace>{} : std::vector<DraftPlace>{{DraftPlace::Counter, k, row}};
    }
    return {};
}

std::string profileFileName(const std::string& name) {
    std::string out;
    for (const char ch : name) {
        const auto b = static_cast<unsigned char>(ch);
        out += b < 0x20 || b == 0x7F || std::string_view("/\\:*?\"<>|").find(ch) != std::string_view::npos ? '_' : ch;
    }
    // Windows takes no name ending in a dot or a space; a leading dot hides the file.
    while (!out.empty() && (out.back() == '.' || out.back() == ' ')) out.pop_back();
    while (!out.empty() && (out.front() == '.' || out.front() == ' ')) out.erase(0, 1);
    constexpr std::size_t kMaxBytes = 120;  // well inside every file system's 255
    if (out.size() > kMaxBytes) {
        std::size_t cut = kMaxBytes;
        while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;  // at a character's start
        out.resize(cut);
    }
    return (out.empty() ? std::string("profile") : out) + ".json";
}

}  // namespace tobrak
