#include "counts/machine_profile.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>

#include "util/paths.h"

namespace tobrak {

const char* const kProfileErrorTitle = "機種データ・エラーです！";

namespace {

using Json = nlohmann::json;

constexpr std::uintmax_t kMaxProfileBytes = 1 << 20;

// Thrown by the readers below; caught in parseProfile only.
struct Bad {
    std::string text;
};

[[noreturn]] void bad(const std::string& field, const std::string& what) { throw Bad{"項目「" + field + "」" + what}; }

void onlyKnown(const Json& obj, const std::string& at, std::initializer_list<const char*> known) {
    for (const auto& item : obj.items()) {
        const std::string& key = item.key();
        if (std::find_if(known.begin(), known.end(), [&](const char* k) { return key == k; }) == known.end())
            bad(at.empty() ? key : at + "." + key, "は使えません（書き間違いではありませんか）");
    }
}

// A finite number above `above` (or at least `above` when `orEqual`).
double number(const Json& obj, const std::string& key, const std::string& field, double above, bool orEqual,
              const std::string& rule) {
    const auto it = obj.find(key);
    if (it == obj.end()) bad(field, "がありません");
    if (!it->is_number()) bad(field, "は数値にして下さい");
    const double v = it->get<double>();
    if (!std::isfinite(v) || (orEqual ? v < above : v <= above)) bad(field, rule);
    return v;
}

bool counterNameFits(const std::string& name) {
    std::size_t chars = 0;
    for (const char ch : name) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x20 || b == 0x7F) return false;
        if ((b & 0xC0) != 0x80) ++chars;  // not a continuation byte
    }
    return chars >= 1 && chars <= kCounterNameChars;
}

std::vector<std::string> readCounterNames(const Json& j) {
    const auto list = j.find("counters");
    if (list == j.end()) return {};
    if (!list->is_array()) bad("counters", "は小役カウンターの名前の並びにして下さい（例 [\"ブドウ\", \"チェリー\"]）");
    if (list->size() > kMaxCounters) bad("counters", "は " + std::to_string(kMaxCounters) + " 個までにして下さい");
    std::vector<std::string> names;
    for (std::size_t i = 0; i < list->size(); ++i) {
        // Counted from 1, as the player counts them.
        const std::string field = "counters." + std::to_string(i + 1);
        const Json& v = (*list)[i];
        if (!v.is_string()) bad(field, "は名前（文字列）にして下さい");
        std::string name = v.get<std::string>();
        if (!counterNameFits(name))
            bad(field, "は 1 文字から " + std::to_string(kCounterNameChars) +
                           " 文字までの名前にして下さい（改行などは使えません）");
        if (std::find(names.begin(), names.end(), name) != names.end())
            bad(field, "の名前「" + name + "」は前にもあります（名前は一つずつにして下さい）");
        names.push_back(std::move(name));
    }
    return names;
}

SettingFigures readSetting(const Json& s, const std::string& at, const std::vector<std::string>& counters) {
    if (!s.is_object()) bad(at, "は { } で囲んだ項目の組にして下さい");
    onlyKnown(s, at, {"bb", "rb", "payout", "prior", "small_wins", "counters"});
    SettingFigures fig;
    fig.bb = number(s, "bb", at + ".bb", 1.0, false, "は 1 より大きい数値（1/x の x）にして下さい");
    fig.rb = number(s, "rb", at + ".rb", 1.0, false, "は 1 より大きい数値（1/x の x）にして下さい");
    if (1.0 / fig.bb + 1.0 / fig.rb >= 1.0) bad(at, "のＢＢとＲＢの確率の合計が１以上です");
    fig.payout = number(s, "payout", at + ".payout", 0.0, false, "は 0 より大きい数値（％）にして下さい");
    if (fig.payout > 1000.0) bad(at + ".payout", "が大きすぎます（％で書いて下さい）");
    if (s.contains("prior")) fig.prior = number(s, "prior", at + ".prior", 0.0, true, "は 0 以上の数値にして下さい");
    if (s.contains("small_wins")) {
        const Json& w = s.at("small_wins");
        const std::string wat = at + ".small_wins";
        if (!w.is_object() || w.empty()) bad(wat, "は払出枚数と確率の組にして下さい（例 {\"8\": 7.3}）");
        double sum = 0;
        for (const auto& [key, value] : w.items()) {
            const std::string field = wat + "." + key;
            char* end = nullptr;
            const long size = std::strtol(key.c_str(), &end, 10);
            if (key.empty() || *end || size < 0 || size > 15) bad(field, "：払出枚数は 0 から 15 までです");
            const double x = number(w, key, field, 1.0, false, "は 1 より大きい数値（1/x の x）にして下さい");
            fig.smallWins[static_cast<int>(size)] = x;
            sum += 1.0 / x;
        }
        if (sum >= 1.0) bad(wat, "の確率の合計が１以上です");
    }
    // Each counter is a draw of its own, so its rates need not add up with the others.
    const std::string cat = at + ".counters";
    const auto c = s.find("counters");
    if (c == s.end()) {
        if (!counters.empty()) bad(cat, "がありません（項目「counters」の名前ごとに確率を書いて下さい）");
        return fig;
    }
    if (!c->is_object()) bad(cat, "は名前と確率の組にして下さい（例 {\"ブドウ\": 6.49}）");
    for (const auto& item : c->items())
        if (std::find(counters.begin(), counters.end(), item.key()) == counters.end())
            bad(cat + "." + item.key(), "は項目「counters」にない名前です");
    for (const std::string& name : counters)
        fig.counters.push_back(
            number(*c, name, cat + "." + name, 1.0, false, "は 1 より大きい数値（1/x の x）にして下さい"));
    return fig;
}

MachineProfile readProfile(const Json& j) {
    if (!j.is_object()) throw Bad{"全体を { } で囲み、項目「name」と「settings」を書いて下さい"};
    onlyKnown(j, "", {"name", "note", "counters", "settings"});
    MachineProfile p;
    const auto name = j.find("name");
    if (name == j.end()) bad("name", "がありません");
    if (!name->is_string() || name->get<std::string>().empty()) bad("name", "は空でない文字列にして下さい");
    p.name = name->get<std::string>();
    if (j.contains("note") && !j.at("note").is_string()) bad("note", "は文字列にして下さい");
    p.counters = readCounterNames(j);
    const auto settings = j.find("settings");
    if (settings == j.end()) bad("settings", "がありません");
    if (!settings->is_object()) bad("settings", "は設定 \"1\" から \"6\" までの組にして下さい");
    for (const auto& [key, value] : settings->items())
        if (key.size() != 1 || key[0] < '1' || key[0] > '6') bad("settings." + key, "：設定は 1 から 6 までです");
    for (int k = 1; k <= kSettings; ++k) {
        const std::string key = std::to_string(k);
        if (!settings->contains(key)) bad("settings." + key, "がありません（設定１～６のすべてが必要です）");
        p.settings[static_cast<std::size_t>(k - 1)] = readSetting(settings->at(key), "settings." + key, p.counters);
    }
    double priors = 0;
    for (const SettingFigures& s : p.settings) priors += s.prior;
    if (priors <= 0) bad("settings.*.prior", "がすべて 0 です");
    // Small wins are compared between settings, so every setting lists the same sizes.
    for (int k = 1; k < kSettings; ++k) {
        std::vector<int> a, b;
        for (const auto& kv : p.settings[0].smallWins) a.push_back(kv.first);
        for (const auto& kv : p.settings[static_cast<std::size_t>(k)].smallWins) b.push_back(kv.first);
        if (a != b)
            bad("settings." + std::to_string(k + 1) + ".small_wins",
                "の払出枚数が設定１と違います（どの設定も同じ枚数を書いて下さい）");
    }
    return p;
}

}  // namespace

bool parseProfile(const std::string& text, MachineProfile& out, std::string& error) {
    Json j;
    try {
        j = Json::parse(text);
    } catch (const Json::parse_error& e) {
        error = "JSON の書式が正しくありません（" + std::to_string(e.byte) + " バイト目付近）";
        return false;
    } catch (const Json::exception&) {
        error = "JSON の数値が大きすぎます";  // beyond a double: 1e999
        return false;
    }
    try {
        out = readProfile(j);
    } catch (const Bad& b) {
        error = b.text;
        return false;
    }
    return true;
}

bool loadProfileFile(const std::string& path, MachineProfile& out, std::string& error) {
    std::error_code ec;
    const auto p = fsPath(path);
    const auto size = std::filesystem::file_size(p, ec);
    if (ec || !std::filesystem::is_regular_file(p, ec)) {
        error = "ファイルが読めません";
        return false;
    }
    if (size > kMaxProfileBytes) {
        error = "ファイルが大きすぎます";
        return false;
    }
    std::ifstream f(p, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    if (!f.good() && !f.eof()) {
        error = "ファイルが読めません";
        return false;
    }
    return parseProfile(text, out, error);
}

namespace {
std::string text(const Json& v) { return v.dump(-1, ' ', false, Json::error_handler_t::replace); }
}  // namespace

std::string profileToJson(const MachineProfile& p, const std::string& note) {
    std::string out = "{\n  \"name\": " + text(p.name) + ",\n";
    if (!note.empty()) out += "  \"note\": " + text(note) + ",\n";
    if (!p.counters.empty()) {
        out += "  \"counters\": [";
        for (std::size_t i = 0; i < p.counters.size(); ++i) out += (i ? ", " : "") + text(p.counters[i]);
        out += "],\n";
    }
    out += "  \"settings\": {\n";
    for (int k = 1; k <= kSettings; ++k) {
        const SettingFigures& s = p.settings[static_cast<std::size_t>(k - 1)];
        out += "    \"" + std::to_string(k) + "\": { \"bb\": " + text(s.bb) + ", \"rb\": " + text(s.rb) +
               ", \"payout\": " + text(s.payout);
        if (s.prior != 1) out += ", \"prior\": " + text(s.prior);  // 1 is what a missing weight reads as
        if (!s.smallWins.empty()) {
            out += ", \"small_wins\": {";
            const char* sep = " ";
            for (const auto& [size, x] : s.smallWins) {
                out += sep + text(std::to_string(size)) + ": " + text(x);
                sep = ", ";
            }
            out += " }";
        }
        if (!p.counters.empty()) {
            out += ", \"counters\": {";
            for (std::size_t i = 0; i < p.counters.size() && i < s.counters.size(); ++i)
                out += (i ? ", " : " ") + text(p.counters[i]) + ": " + text(s.counters[i]);
            out += " }";
        }
        out += k < kSettings ? " },\n" : " }\n";
    }
    out += "  }\n}\n";
    return out;
}

MachineProfile exampleProfile() {
    MachineProfile p;
    std::string error;
    parseProfile(kExampleProfileJson, p, error);  // checked by the tests
    return p;
}

std::vector<ProfileSlot> listProfiles(const std::string& dir) {
    std::vector<ProfileSlot> slots;
    slots.push_back({"", "", exampleProfile(), ""});
    slots.back().label = slots.back().profile->name;
    if (dir.empty()) return slots;
    std::error_code ec;
    std::vector<std::filesystem::path> files;
    for (std::filesystem::directory_iterator it(fsPath(dir), ec), end; !ec && it != end; it.increment(ec)) {
        const auto& path = it->path();
        std::string ext = path.extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char ch) { return std::tolower(ch); });
        if (ext == ".json") files.push_back(path);
    }
    std::sort(files.begin(), files.end());
    for (const auto& path : files) {
        const std::u8string u8 = path.u8string();
        ProfileSlot s;
        s.path.assign(u8.begin(), u8.end());
        MachineProfile p;
        if (loadProfileFile(s.path, p, s.error)) {
            s.label = p.name;
            s.profile = std::move(p);
        } else {
            const std::u8string file = path.filename().u8string();
            s.label.assign(file.begin(), file.end());
            s.label += "（エラー）";
        }
        slots.push_back(std::move(s));
    }
    return slots;
}

std::string profileDirFrom(const char* xdgConfigHome, const char* home, const char* appData) {
    if (xdgConfigHome && xdgConfigHome[0] == '/') return std::string(xdgConfigHome) + "/tobrak/profiles";
    if (home && home[0]) return std::string(home) + "/.config/tobrak/profiles";
    if (appData && appData[0]) return std::string(appData) + "\\tobrak\\profiles";
    return "";
}

std::string userProfileDir() {
#ifdef _WIN32
    return profileDirFrom(nullptr, nullptr, envUtf8("APPDATA").c_str());
#else
    return profileDirFrom(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"), nullptr);
#endif
}

}  // namespace tobrak
