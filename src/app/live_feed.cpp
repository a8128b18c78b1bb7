#include "app/live_feed.h"

#include "app/state_json.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "record/slt_file.h"
#include "stats/stats_engine.h"
#include "util/text.h"

namespace tobrak {

namespace {

using Json = nlohmann::ordered_json;

const char* const kRecordHead =
    "{\"format\":1,\"columns\":[\"game\",\"state\",\"in\",\"out\",\"balance\",\"bonus\"],\"rows\":";

}  // namespace

LiveFeed::LiveFeed(Session& s, live::LiveHub& hub, GraphPainter painter)
    : s_(s), hub_(hub), painter_(std::move(painter)) {
    s_.listen(*this);
    syncRows(true);
    hub_.setState(stateJson());
}

LiveFeed::~LiveFeed() { s_.forget(*this); }

std::string LiveFeed::stateJson() const {
    const Counters& n = s_.cnt;
    Json j = Json::object();
    j["format"] = 1;
    j["games"] = s_.rec.games();
    j["balance"] = static_cast<std::int64_t>(n.Tot_Out) - n.Tot_In;
    j["counters"] = countersJson(s_);
    // What a hall's data display shows: games since the last bonus, and the odds over normal games.
    const std::int64_t normal = normalGames(n);
    auto odds = [normal](std::int64_t hits) { return hits > 0 ? Json(static_cast<double>(normal) / hits) : Json(); };
    j["normal_games"] = normal;
    j["since_bonus"] = n.Bonus_IntvCnt;
    j["odds"] = {{"combined", odds(std::int64_t{n.BB_Cnt} + n.RB_Cnt)}, {"bb", odds(n.BB_Cnt)}, {"rb", odds(n.RB_Cnt)}};
    Json manual = Json::array();
    for (std::size_t i = 0; i < s_.manual.size(); ++i) {
        const ManualCount& k = s_.manual[i];
        manual.push_back({{"key", i + 1}, {"name", k.name}, {"count", k.count}, {"odds", odds(k.count)}});
    }
    j["manual"] = std::move(manual);
    // Each page's figures as the panel works them out when it shows that page.
    Figures& f = fig_;
    Json pages = Json::array();
    const auto texts = pagesTexts(n, f);
    for (int p = 0; p < 3; ++p) {
        const PageTexts& values = texts[static_cast<std::size_t>(p)];
        Json rows = Json::array();
        for (int r = 0; r < kRows; ++r) {
            const RowText t = rowText(p, r);
            rows.push_back({{"caption", t.caption}, {"value", values[static_cast<std::size_t>(r)]}, {"unit", t.unit}});
        }
        pages.push_back(std::move(rows));
    }
    j["figures"] = figuresJson(f);
    j["pages"] = std::move(pages);
    if (s_.DaiBB_On)
        j["bonus"] = {{"kind", "BB"}, {"gain", n.BB_Gain}};
    else if (s_.DaiRB_On)
        j["bonus"] = {{"kind", "RB"}, {"gain", n.RB_Gain}};
    else
        j["bonus"] = nullptr;
    j["board"] = s_.Usb_On ? kBoardOk : kBoardNg;
    j["monitor"] = s_.monitor;
    j["comment"] = utf16ToUtf8(s_.comment);
    // Who plays where: a hall page's tile is named by it.
    j["machine"] = {{"name", s_.machine.name}, {"hall", s_.machine.hall}, {"number", s_.machine.number}};
    return j.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string LiveFeed::row(std::size_t i) const {
    const std::uint8_t b = s_.rec.game(static_cast<std::int32_t>(i));
    const Tally& t = tallies_[i];
    const auto s = static_cast<BonusState>(t.state);
    std::string r = "[" + std::to_string(i + 1) + ",\"" + bonusStateName(s) + "\"," + std::to_string(medalsIn(b)) +
                    ',' + std::to_string(medalsOut(b)) + ',' + std::to_string(t.balance) + ',';
    r += s == BonusState::Normal ? std::string("null") : std::to_string(t.bonuses);
    return r + ']';
}

void LiveFeed::syncRows(bool whole) {
    const auto games = static_cast<std::size_t>(std::max(0, s_.rec.games()));
    if (games < tallies_.size()) whole = true;
    // Only the newest game's byte changes while playing; a load or a clear replaces all.
    const std::size_t from = whole ? 0 : tallies_.empty() ? 0 : tallies_.size() - 1;
    tallies_.resize(games);
    for (std::size_t i = from; i < games; ++i) {
        const std::uint8_t b = s_.rec.game(static_cast<std::int32_t>(i));
        const Tally before = i ? tallies_[i - 1] : Tally{};
        const BonusState s = bonusState(b);
        Tally& t = tallies_[i];
        t.state = static_cast<std::uint8_t>(s);
        t.balance = before.balance + medalsOut(b) - medalsIn(b);
        // A run of one bonus kind is one bonus, as the bonus history counts them.
        t.bonuses = before.bonuses + (s != BonusState::Normal && static_cast<std::uint8_t>(s) != before.state);
    }
    if (whole) {
        std::vector<std::string> rows;
        rows.reserve(games);
        for (std::size_t i = 0; i < games; ++i) rows.push_back(row(i));
        hub_.setRecord(kRecordHead, std::move(rows));
    } else {
        for (std::size_t i = from; i < games; ++i) hub_.putRow(i, row(i));
    }
}

void LiveFeed::send(const char* event) {
    syncRows(false);
    graphStale_ = true;
    std::string state = stateJson();
    std::string e = std::string("{\"event\":\"") + event + "\",\"state\":" + state;
    if (!tallies_.empty()) e += ",\"row\":" + row(tallies_.size() - 1);
    hub_.setState(std::move(state));
    hub_.publish(e + "}");
}

void LiveFeed::recordReplaced() {
    fig_ = Figures{};
    syncRows(true);
    send(s_.rec.games() == 0 ? "clear" : "load");
}

void LiveFeed::tick(std::chrono::steady_clock::time_point now) {
    // Taps of the page's counters, on the session's thread as the keys are.
    for (const live::CountCommand& c : hub_.takeCommands()) s_.count(c.counter, c.by);
    if (!painter_ || !graphStale_ || now - lastPaint_ < std::chrono::seconds(1)) return;
    // The first picture is always made; later ones only while someone looks.
    if (lastPaint_ != std::chrono::steady_clock::time_point{} && !hub_.graphWanted(now)) return;
    lastPaint_ = now;
    graphStale_ = false;
    std::vector<std::uint8_t> slt = encodeSlt(s_.rec);
    slt[43] = s_.options();
    if (std::string png = painter_(slt); !png.empty()) hub_.setGraph(std::move(png));
}

}  // namespace tobrak
