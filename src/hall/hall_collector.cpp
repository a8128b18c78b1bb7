#include "hall/hall_collector.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <optional>
#include <utility>

namespace tobrak::hall {

namespace {

using Json = nlohmann::json;

// Names come from whoever publishes: a tile shows at most this many bytes of each.
constexpr std::size_t kMaxText = 80;
// Runs whose sequence numbers are followed at once: a queue left by an earlier
// run may still be sent while the next run publishes.
constexpr std::size_t kRunsFollowed = 4;

std::string clipped(const Json& j, const char* key) {
    const auto it = j.find(key);
    if (it == j.end() || !it->is_string()) return {};
    std::string s = it->get<std::string>();
    if (s.size() <= kMaxText) return s;
    // Cut before a UTF-8 continuation byte, never inside a character.
    std::size_t n = kMaxText;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
    s.resize(n);
    return s;
}

std::optional<std::int64_t> integer(const Json& j, const char* key) {
    const auto it = j.find(key);
    if (it == j.end() || !it->is_number_integer()) return std::nullopt;
    return it->get<std::int64_t>();
}

// "12" before "112", and numbered machines before those without a number.
bool numberBefore(const std::string& a, const std::string& b) {
    const bool da = !a.empty() && std::all_of(a.begin(), a.end(), [](char c) { return c >= '0' && c <= '9'; });
    const bool db = !b.empty() && std::all_of(b.begin(), b.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (da != db) return da;
    if (da && a.size() != b.size()) return a.size() < b.size();
    if (a.empty() != b.empty()) return !a.empty();
    return a < b;
}

}  // namespace

struct HallCollector::Tile {
    std::string id, name, hall, number;
    bool online = false;
    std::int64_t games = 0, balance = 0, bb = 0, rb = 0, since = 0;
    std::optional<double> combined;
    std::string bonus;  // "BB", "RB" or empty
    std::int64_t updated = 0;
    std::vector<std::pair<std::int32_t, std::int64_t>> graph;  // (game, balance after it)
    Seen seen;
    std::vector<std::pair<std::int64_t, std::uint64_t>> runs;  // (run, last seq), the newest last
    std::string json;
    bool stale = true;
};

bool machineIdOk(std::string_view id) {
    return !id.empty() && id.size() <= 64 && std::all_of(id.begin(), id.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
    });
}

HallCollector::HallCollector(std::string prefix, HallLimits limits) : prefix_(std::move(prefix)), limits_(limits) {}

HallCollector::~HallCollector() = default;

HallCollector::Tile* HallCollector::tileFor(const std::string& id) {
    if (const auto it = tiles_.find(id); it != tiles_.end()) return it->second.get();
    if (tiles_.size() >= limits_.maxMachines) return nullptr;
    auto t = std::make_unique<Tile>();
    t->id = id;
    return tiles_.emplace(id, std::move(t)).first->second.get();
}

bool HallCollector::take(std::string_view topic, std::string_view payload, std::int64_t nowMs) {
    auto refuse = [this] {
        ++refused_;
        return false;
    };
    if (topic.substr(0, prefix_.size()) != prefix_) return refuse();
    topic.remove_prefix(prefix_.size());
    const auto slash = topic.find('/');
    if (slash == std::string_view::npos) return refuse();
    const std::string id(topic.substr(0, slash));
    const std::string_view leaf = topic.substr(slash + 1);
    if (!machineIdOk(id) || payload.size() > limits_.maxPayload) return refuse();
    if (leaf != "online" && leaf != "state" && leaf != "game" && leaf != "bonus") return refuse();

    if (leaf == "online" && payload.empty()) {
        if (tiles_.erase(id) == 0) return false;
        changed_.erase(id);
        gone_.insert(id);
        return true;
    }
    // A cleared state says nothing new; the tile keeps what it showed.
    if (payload.empty()) return false;

    if (leaf == "online") {
        if (payload != "online" && payload != "offline") return refuse();
        Tile* t = tileFor(id);
        if (!t) return refuse();
        t->online = payload == "online";
        t->updated = nowMs;
        t->stale = true;
        changed_.insert(id);
        gone_.erase(id);
        return true;
    }
    const Json j = Json::parse(payload.begin(), payload.end(), nullptr, false);
    if (!j.is_object()) return refuse();
    if (leaf == "bonus") {
        // The state that follows carries the counts; a bonus alone changes no tile.
        return false;
    }
    const auto run = integer(j, "run"), seq = integer(j, "seq"), game = integer(j, "game");
    if (leaf == "game" && (!run || !seq || !game || *seq < 1 || *game < 1 || *game > INT32_MAX)) return refuse();
    Tile* t = tileFor(id);
    if (!t) return refuse();
    if (leaf == "state") {
        t->games = integer(j, "games").value_or(t->games);
        t->balance = integer(j, "balance").value_or(t->balance);
        t->since = integer(j, "since_bonus").value_or(t->since);
        if (const auto c = j.find("counters"); c != j.end() && c->is_object()) {
            t->bb = integer(*c, "BB_Cnt").value_or(t->bb);
            t->rb = integer(*c, "RB_Cnt").value_or(t->rb);
        }
        t->combined.reset();
        if (const auto o = j.find("odds"); o != j.end() && o->is_object())
            if (const auto c = o->find("combined"); c != o->end() && c->is_number()) t->combined = c->get<double>();
        t->bonus.clear();
        if (const auto b = j.find("bonus"); b != j.end() && b->is_object()) {
            const std::string kind = clipped(*b, "kind");
            if (kind == "BB" || kind == "RB") t->bonus = kind;
        }
        if (const auto m = j.find("machine"); m != j.end() && m->is_object()) {
            t->name = clipped(*m, "name");
            t->hall = clipped(*m, "hall");
            t->number = clipped(*m, "number");
        }
        // A state published means its logger is there, whatever an old retained "offline" said.
        t->online = true;
        // The record was cleared or another one loaded: the graph's later games are not this record's.
        while (!t->graph.empty() && t->graph.back().first > t->games) t->graph.pop_back();
    } else {
        const auto balance = integer(j, "balance");
        auto& runs = t->runs;
        auto r = std::find_if(runs.begin(), runs.end(), [&](const auto& x) { return x.first == *run; });
        const auto s = static_cast<std::uint64_t>(*seq);
        if (r == runs.end()) {
            if (runs.size() >= kRunsFollowed) runs.erase(runs.begin());
            runs.emplace_back(*run, s);
            // Seen from here on: what a run sent before the page began is not missed.
        } else if (s <= r->second) {
            ++t->seen.repeated;
            return false;
        } else {
            t->seen.missed += s - r->second - 1;
            r->second = s;
        }
        ++t->seen.games;
        const auto g = static_cast<std::int32_t>(*game);
        t->seen.lastGame = g;
        if (balance) {
            auto& graph = t->graph;
            // A game number behind the graph's end: a new record; its slump starts again.
            while (!graph.empty() && graph.back().first >= g) graph.pop_back();
            graph.emplace_back(g, *balance);
            if (graph.size() >= 2 * limits_.graphPoints) {
                // Every other point goes, the newest stays: the shape at half the detail.
                std::vector<std::pair<std::int32_t, std::int64_t>> thin;
                thin.reserve(limits_.graphPoints + 1);
                for (std::size_t i = 0; i + 1 < graph.size(); i += 2) thin.push_back(graph[i]);
                thin.push_back(graph.back());
                graph.swap(thin);
            }
        }
    }
    t->updated = nowMs;
    t->stale = true;
    changed_.insert(id);
    gone_.erase(id);
    return true;
}

const std::string& HallCollector::tileJson(Tile& t) {
    if (!t.stale) return t.json;
    Json j = Json::object();
    j["id"] = t.id;
    j["name"] = t.name;
    j["hall"] = t.hall;
    j["number"] = t.number;
    j["online"] = t.online;
    j["games"] = t.games;
    j["balance"] = t.balance;
    j["bb"] = t.bb;
    j["rb"] = t.rb;
    j["combined"] = t.combined ? Json(*t.combined) : Json();
    j["since"] = t.since;
    j["bonus"] = t.bonus.empty() ? Json() : Json(t.bonus);
    Json g = Json::array();
    for (const auto& [game, balance] : t.graph) g.push_back({game, balance});
    j["graph"] = std::move(g);
    j["last_game"] = t.seen.lastGame;
    j["seen"] = {{"games", t.seen.games}, {"missed", t.seen.missed}, {"repeated", t.seen.repeated}};
    j["updated"] = t.updated;
    t.json = j.dump(-1, ' ', false, Json::error_handler_t::replace);
    t.stale = false;
    return t.json;
}

std::vector<std::string> HallCollector::takeChanged() {
    std::vector<std::string> out;
    out.reserve(changed_.size() + gone_.size());
    for (const std::string& id : changed_)
        if (const auto it = tiles_.find(id); it != tiles_.end()) out.push_back(tileJson(*it->second));
    for (const std::string& id : gone_) out.push_back(Json{{"id", id}, {"gone", true}}.dump());
    changed_.clear();
    gone_.clear();
    return out;
}

std::string HallCollector::json() {
    std::vector<Tile*> order;
    order.reserve(tiles_.size());
    for (auto& [id, t] : tiles_) order.push_back(t.get());
    std::stable_sort(order.begin(), order.end(), [](const Tile* a, const Tile* b) {
        if (a->number != b->number) return numberBefore(a->number, b->number);
        if (a->name != b->name) return a->name < b->name;
        return a->id < b->id;
    });
    std::string out = std::string("{\"format\":1,\"broker\":") + (broker_ ? "true" : "false") + ",\"machines\":[";
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i) out += ',';
        out += tileJson(*order[i]);
    }
    return out + "]}";
}

Seen HallCollector::seen(const std::string& id) const {
    const auto it = tiles_.find(id);
    return it == tiles_.end() ? Seen{} : it->second->seen;
}

}  // namespace tobrak::hall
