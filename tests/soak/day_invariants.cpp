#include "soak/day_invariants.h"

#include "support/log_capture.h"

#include "core/log.h"
#include "engine/ac_containers.h"
#include "liveries/livery_tables.h"
#include "parking/stand.h"
#include "simlink/sim_queues.h"
#include "soak/soak_records.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <regex>
#include <unordered_map>
#include <unordered_set>

namespace soak {

namespace {

enum RuleIndex : std::size_t {
    OneOnAStand, LiveOverStatic, Holders, Titles, LiveriesFound, OwnAirline, CurveErrors, MarkedLines, RuleCount
};

const char* const kLogName = "Log.txt";

bool lf_onStand(const LiveAc& ac)
{
    return ac.flightPhase == FlightPhase::parked || ac.flightPhase == FlightPhase::parking;
}

std::string lf_who(const StaticAc& ac)
{
    return fmt::format("{} {:x}", ac.callsign, ac.hexid);
}

std::unordered_set<std::string_view> lf_tableTitles()
{
    std::unordered_set<std::string_view> titles;
    for (const auto& [airline, models] : g_liveryTable)
        for (const auto& [model, entries] : models)
            for (const LiveryEntry& entry : entries)
                titles.insert(entry.title);
    return titles;
}

// The similar models of the reference data (writeSmallReferenceData).
const std::vector<std::vector<std::string_view>> kSimilarModels = {{"A321", "A320", "A20N"}, {"B738", "B737"}};

// A match line ("{callsign} {airline} {model} ={step}= {title}") that went past the steps of
// the airline's own liveries while the tables hold one of its airline for a similar model.
bool lf_skippedOwnAirline(const std::string& line)
{
    static const std::regex match(R"(^ {10}\S+ (\S+) (\S+) =([4-6])= )");
    std::smatch parts;
    if (!std::regex_search(line, parts, match))
        return false;
    const auto airline = g_liveryTable.find(parts[1].str());
    if (airline == g_liveryTable.end())
        return false;
    for (const auto& group : kSimilarModels) {
        if (std::find(group.begin(), group.end(), parts[2].str()) == group.end())
            continue;
        for (const std::string_view model : group)
            if (const auto at = airline->second.find(model); at != airline->second.end() && !at->second.empty())
                return true;
    }
    return false;
}

} // namespace

DayInvariants::DayInvariants(std::vector<std::string> expectedMarkedLines)
    : m_expectedMarked(std::move(expectedMarkedLines))
{
    const auto rule = [](const char* name, const char* why) { return Rule{name, why, 0, {}}; };
    m_rules = {rule("one aircraft per stand", "never two active aircraft parked or parking on one stand"),
               rule("no live aircraft over a static one",
                    "a live aircraft parked on a stand takes the static aircraft's place"),
               rule("stand holders", "a stand's holder exists and drives to or stands on it"),
               rule("titles from the tables",
                    "every livery and create request names a title of the current livery tables"),
               rule("liveries found", "every aircraft finds a livery: all the feed's and the park file's airlines "
                                      "fly models installed in every livery set of the day"),
               rule("own airline first", "an aircraft flies its airline's livery of a similar model before a "
                                         "generic one or another airline's"),
               rule("no curve errors", "no \"error in curve\" line"),
               rule("no unexpected ==> lines", "only the \"==> \" lines the scenario causes")};
    std::error_code error;
    m_logRead = std::filesystem::file_size(kLogName, error);
    if (error)
        m_logRead = 0;
}

void DayInvariants::breach(std::size_t rule, int second, const std::string& what)
{
    Rule& r = m_rules[rule];
    if (r.breaches++ == 0)
        r.first = fmt::format("second {}: {}", second, what);
}

bool DayInvariants::lasting(std::size_t rule, const std::string& key)
{
    m_seen[rule].push_back(key);
    const std::vector<std::string>& before = m_seenBefore[rule];
    return std::find(before.begin(), before.end(), key) != before.end();
}

void DayInvariants::check(int second)
{
    m_lastSecond = second;
    m_seenBefore = std::move(m_seen);
    m_seen.clear();
    oneAircraftPerStand(second);
    holdersAreOnTheirStands(second);
    titlesAreInTheTables(second);
    readNewLogLines();
}

void DayInvariants::oneAircraftPerStand(int second)
{
    std::unordered_map<std::int32_t, const LiveAc*> live;
    for (const LiveAc& ac : g_liveAcs) {
        if (!gf_inTheSimulator(ac) || !lf_onStand(ac) || ac.standId == 0)
            continue;
        const auto [at, fresh] = live.try_emplace(ac.standId, &ac);
        const std::string what = fmt::format("stand {}: {} and {}", ac.standId, lf_who(*at->second), lf_who(ac));
        if (!fresh && lasting(OneOnAStand, what))
            breach(OneOnAStand, second, what);
    }
    for (const StaticAc& ac : g_staticAcs) {
        const auto at = live.find(ac.standId);
        if (!gf_inTheSimulator(ac) || at == live.end() || at->second->flightPhase != FlightPhase::parked)
            continue;
        const std::string what = fmt::format("stand {}: live {} over static {}", ac.standId, lf_who(*at->second),
                                             lf_who(ac));
        if (lasting(LiveOverStatic, what))
            breach(LiveOverStatic, second, what);
    }
}

void DayInvariants::holdersAreOnTheirStands(int second)
{
    std::unordered_map<std::uint32_t, const LiveAc*> byHexid;
    for (const LiveAc& ac : g_liveAcs)
        if (ac.remove == 0 && ac.withdrawn == 0)
            byHexid.emplace(ac.hexid, &ac);
    for (const Stand& stand : g_stands) {
        if (stand.holder == 0)
            continue;
        const auto at = byHexid.find(stand.holder);
        std::string what;
        if (at == byHexid.end())
            what = fmt::format("stand {} held by {:x}, which is gone", stand.id, stand.holder);
        else if (at->second->standId != stand.number || !lf_onStand(*at->second))
            what = fmt::format("stand {} held by {}, on stand {} in phase {}", stand.id, lf_who(*at->second),
                               at->second->standId, static_cast<int>(at->second->flightPhase));
        if (!what.empty() && lasting(Holders, what))
            breach(Holders, second, what);
    }
}

void DayInvariants::titlesAreInTheTables(int second)
{
    const std::unordered_set<std::string_view> titles = lf_tableTitles();
    const auto expectTitle = [&](std::string_view title, const std::string& who) {
        if (!title.empty() && !titles.contains(title))
            breach(Titles, second, fmt::format("{}: \"{}\"", who, title));
    };
    for (const LiveAc& ac : g_liveAcs)
        expectTitle(ac.livery, lf_who(ac));
    for (const StaticAc& ac : g_staticAcs)
        expectTitle(ac.livery, lf_who(ac));
    for (const auto* stack : {&g_addingStack.live, &g_addingStack.statics})
        for (const CreateRequest& request : *stack)
            expectTitle(request.title, "create request of " + request.callsign);
    const std::lock_guard lock(g_simQueueMutex);
    for (const CreateRequest& request : g_createQueue)
        expectTitle(request.title, "queued create request of " + request.callsign);
}

void DayInvariants::readNewLogLines()
{
    for (const std::string& line : testsupport::logLinesFrom(m_logRead)) {
        m_logRead += line.size() + 1;
        m_logBytes += line.size() + 1;
        if (line.find("no livery match") != std::string::npos)
            breach(LiveriesFound, m_lastSecond, line);
        if (lf_skippedOwnAirline(line))
            breach(OwnAirline, m_lastSecond, line);
        if (line.find("error in curve") != std::string::npos)
            breach(CurveErrors, m_lastSecond, line);
        if (line.starts_with("==> ") &&
            std::none_of(m_expectedMarked.begin(), m_expectedMarked.end(),
                         [&](const std::string& expected) { return line.starts_with(expected); }))
            breach(MarkedLines, m_lastSecond, line);
    }
}

void DayInvariants::expectKept(double hours) const
{
    for (const Rule& rule : m_rules)
        EXPECT_EQ(rule.breaches, 0) << rule.name << " (" << rule.why << "), first at " << rule.first;
    // The log of a day's traffic stays small: under 2 MB an hour.
    EXPECT_LT(static_cast<double>(m_logBytes), std::max(hours, 1.0 / 60.0) * 2.0 * 1024 * 1024)
        << m_logBytes << " bytes of log in " << hours << " h";
}

std::string DayInvariants::table() const
{
    std::string text = fmt::format("{:<36} {:>8}  first\n", "rule", "breaches");
    for (const Rule& rule : m_rules)
        text += fmt::format("{:<36} {:>8}  {}\n", rule.name, rule.breaches, rule.first.substr(0, 160));
    text += fmt::format("log written: {} bytes\n", m_logBytes);
    return text;
}

} // namespace soak
