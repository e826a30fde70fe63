#include "parking/static_park_plan.h"
#include "core/run_state.h"

#include "core/airport_settings.h"
#include "core/clock.h"
#include "core/half_hours.h"
#include "core/log.h"
#include "core/random_choice.h"
#include "core/settings.h"
#include "core/text_strings.h"
#include "core/time_text.h"
#include "engine/ac_containers.h"
#include "engine/stand_lookup.h"
#include "parking/park_airports.h"
#include "parking/stand.h"
#include "refdata/aircraft_db.h"
#include "simlink/user_aircraft.h"
#include "traffic/traffic_reader.h"
#include "ui/busy_state.h"
#include "ui/control_actions.h"
#include "ui/main_window.h"
#include "ui/panel_repaint.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>

std::vector<StaticParkEntry> g_staticParkEntries;
std::vector<LiveParkedEntry> g_liveParkedList;
std::unordered_set<std::string> g_plannedSeenCallsigns;
ParkFitPanel g_parkFitPanel;

namespace {

constexpr std::array<const char*, 7> kDayNames{"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};

const char* lf_dayName(std::int32_t weekday)
{
    return weekday >= 1 && weekday <= 7 ? kDayNames[static_cast<std::size_t>(weekday - 1)] : "???";
}

double lf_slotHours(std::int32_t slot)
{
    return static_cast<double>(gf_indexToHours(slot));
}

const char* lf_modeLabel(bool real, bool dayOnly)
{
    if (real)
        return dayOnly ? "real" : "week/real";
    return dayOnly ? "soft" : "week/soft";
}

std::int32_t lf_selectedCount()
{
    return static_cast<std::int32_t>(
        std::count_if(g_stands.begin(), g_stands.end(), [](const Stand& stand) { return stand.selected; }));
}

void lf_publishWanted(std::int32_t wanted, std::int32_t percent)
{
    g_parkFitPanel.wanted = wanted;
    g_parkFitPanel.wantedPercent = percent;
    std::lock_guard lock(g_mainWindowState.parkTextMutex);
    g_mainWindowState.parking.maxParkSet = true;
    g_mainWindowState.parking.maxPark = wanted;
    g_mainWindowState.parking.maxParkPercent = percent;
}

// An active static aircraft on a neighbour stand stands too close for an aircraft of this type.
bool lf_neighbourConflict(const Stand& stand, const std::string& type)
{
    const double ownHalfSpan = gf_wingspan(type);
    for (const std::uint32_t neighbour : stand.neighbours) {
        for (const StaticAc& ac : g_staticAcs) {
            if (ac.simState != SimState::active || ac.standId != static_cast<std::int32_t>(neighbour))
                continue;
            const double distance = gf_distanceNm({stand.latitude, stand.longitude}, {ac.standLat, ac.standLon});
            if (ownHalfSpan + gf_wingspan(ac.type) > distance)
                return true;
        }
    }
    return false;
}

bool lf_optionFits(const ParkOpt& option, const Stand& stand, std::int32_t weekday, std::int32_t slot, bool real,
                   bool dayOnly)
{
    if (option.seq == 0 || (dayOnly && option.day != static_cast<std::uint32_t>(weekday)))
        return false;
    if (real ? option.real == 0 : option.real == 1)
        return false;
    return option.hh.test(static_cast<std::size_t>(slot)) && !lf_neighbourConflict(stand, option.type);
}

ParkOpt* lf_optionBySeq(Stand& stand, std::uint32_t seq)
{
    const auto it = std::find_if(stand.options.begin(), stand.options.end(),
                                 [seq](const ParkOpt& option) { return option.seq == seq; });
    return it == stand.options.end() ? nullptr : &*it;
}

bool lf_flies(const std::string& callsign)
{
    return !callsign.empty() &&
           (g_plannedSeenCallsigns.contains(callsign) || g_plannedSeenCallsigns.contains(callsign + "_"));
}

bool lf_sameText(const std::string& a, const std::string& b)
{
    return !a.empty() && a == b;
}

bool lf_carries(const std::string& cs, const std::string& cs2, const std::string& reg, const std::string& otherCs,
                const std::string& otherCs2, const std::string& otherReg)
{
    return lf_sameText(reg, otherReg) || lf_sameText(cs, otherCs) || lf_sameText(cs, otherCs2) ||
           lf_sameText(cs2, otherCs) || lf_sameText(cs2, otherCs2);
}

// The aircraft of the option is already accounted for: planned, flying, static or parked live.
bool lf_alreadyAccounted(const ParkOpt& option, const std::vector<StaticParkEntry>& candidates)
{
    const auto planned = [&](const StaticParkEntry& entry) {
        return lf_carries(option.cs, option.cs2, option.reg, entry.cs, entry.cs2, entry.reg);
    };
    if (std::any_of(g_staticParkEntries.begin(), g_staticParkEntries.end(), planned) ||
        std::any_of(candidates.begin(), candidates.end(), planned))
        return true;
    if (lf_flies(option.cs) || lf_flies(option.cs2))
        return true;
    const bool isStatic = std::any_of(g_staticAcs.begin(), g_staticAcs.end(), [&](const StaticAc& ac) {
        return lf_carries(option.cs, option.cs2, option.reg, ac.firstCallsign, ac.altIdent, ac.registration);
    });
    if (isStatic)
        return true;
    return std::any_of(g_liveParkedList.begin(), g_liveParkedList.end(), [&](const LiveParkedEntry& live) {
        return lf_sameText(option.cs, live.callsign) || lf_sameText(option.cs2, live.callsign);
    });
}

// Of several fitting uses, the one of the static aircraft already standing here, else a random one.
std::uint32_t lf_chooseSeq(const Stand& stand, std::vector<std::uint32_t>& seqs)
{
    if (seqs.size() >= 2 && RANDOM.value) {
        for (const StaticAc& ac : g_staticAcs) {
            if (ac.standId != stand.number)
                continue;
            for (const std::uint32_t seq : seqs) {
                const ParkOpt& option = *std::find_if(stand.options.begin(), stand.options.end(),
                                                      [seq](const ParkOpt& o) { return o.seq == seq; });
                if (option.airl == ac.airline && option.type == ac.type &&
                    ((!option.cs.empty() && option.cs + "*" == ac.callsign) ||
                     (!option.cs2.empty() && option.cs2 + "*" == ac.callsign)))
                    return seq;
            }
        }
        std::shuffle(seqs.begin(), seqs.end(), g_rng);
    }
    return seqs.front();
}

bool lf_staysNextSlot(const Stand& stand, const ParkOpt& option, const WeekTime& now)
{
    if (option.cs2.empty())
        return true;
    if (now.slot < 47)
        return option.hh.test(static_cast<std::size_t>(now.slot + 1));
    const std::uint32_t nextDay = static_cast<std::uint32_t>(gf_nextWeekday(static_cast<std::int32_t>(option.day)));
    return std::any_of(stand.options.begin(), stand.options.end(), [&](const ParkOpt& next) {
        return next.day == nextDay && next.reg == option.reg && next.airl == option.airl &&
               next.type == option.type && next.cs == option.cs && next.hh.test(0);
    });
}

void lf_searchStand(Stand& stand, const WeekTime& now, std::int32_t weekday, std::int32_t slot, bool real,
                    bool dayOnly, std::uint32_t offset, std::vector<StaticParkEntry>& candidates)
{
    if (stand.selected || stand.keepFree || stand.neighbourTaken || (stand.heli && !HELICOPTERS.value))
        return;
    std::vector<std::uint32_t> seqs;
    for (const ParkOpt& option : stand.options) {
        if (lf_optionFits(option, stand, weekday, slot, real, dayOnly))
            seqs.push_back(option.seq);
    }
    if (seqs.empty())
        return;
    ParkOpt& option = *lf_optionBySeq(stand, lf_chooseSeq(stand, seqs));
    if (lf_alreadyAccounted(option, candidates)) {
        option.seq = 0;
        return;
    }
    candidates.push_back({static_cast<std::uint32_t>(stand.number), offset, option.airl, option.type, option.cs,
                          option.cs2, option.reg, lf_staysNextSlot(stand, option, now)});
    gf_markStands(stand);
}

void lf_storeOffset(bool real, std::int32_t offset)
{
    if (real) {
        g_parkFitPanel.realOffset = offset;
        g_parkFitPanel.softOffset = -1;
    } else {
        g_parkFitPanel.softOffset = offset;
    }
}

void lf_append(std::vector<StaticParkEntry>& candidates)
{
    g_staticParkEntries.insert(g_staticParkEntries.end(), candidates.begin(), candidates.end());
    candidates.clear();
}

std::int32_t lf_planSize()
{
    return static_cast<std::int32_t>(g_staticParkEntries.size());
}

} // namespace

std::int32_t gf_previousWeekday(std::int32_t weekday)
{
    return weekday <= 1 ? 7 : weekday - 1;
}

std::int32_t gf_nextWeekday(std::int32_t weekday)
{
    return weekday >= 7 ? 1 : weekday + 1;
}

WeekTime lf_logDayAndHour()
{
    const std::uint64_t packed = gf_weekdayAndHalfHour();
    const WeekTime now{gf_packedWeekday(packed), gf_packedHalfHour(packed)};
    gf_log(fmt::format("\n{} (utc) It is day {} ({}), {:.1F} hours", gf_timeText(clk::utcNowSeconds()), now.weekday,
                       lf_dayName(now.weekday), lf_slotHours(now.slot)));
    return now;
}

void lf_snapshotSeenCallsigns()
{
    g_plannedSeenCallsigns = g_trafficReader.takeSeenCallsigns();
    g_trafficReader.renewalFlag.store(false);
}

std::int32_t lf_wantedParkCount()
{
    if (MAX_PARK_SEL.value < 1) {
        lf_publishWanted(0, parking_percentage.value);
        return 0;
    }
    const std::int32_t percent =
        CUSTOM_PARKING_PERCENTAGE.value >= 0 ? CUSTOM_PARKING_PERCENTAGE.value : parking_percentage.value;
    const auto stands = static_cast<std::int32_t>(g_stands.size());
    std::int32_t wanted = 0;
    if (stands < 2 || (stands < 4 && percent < 50))
        wanted = 1;
    else
        wanted = static_cast<std::int32_t>(std::lround(percent * stands / 100.0));
    wanted = std::min(wanted, static_cast<std::int32_t>(MAX_PARK_SEL.value));
    lf_publishWanted(wanted, gf_percent(wanted, stands));
    return wanted;
}

void lf_markUserStands()
{
    if (!g_reservedStand.empty()) {
        if (Stand* reserved = gf_standById(g_reservedStand); reserved != nullptr)
            reserved->keepFree = true;
    }
    if (!g_userDataReceived.load())
        return;
    Stand* user = gf_nearestStand({g_userAcData.latitude, g_userAcData.longitude});
    if (user != nullptr && user->id != g_reservedStand)
        user->keepFree = true;
}

void lf_searchStands(const WeekTime& now, bool real, bool dayOnly, std::int32_t offset,
                     std::vector<StaticParkEntry>& candidates)
{
    std::int32_t weekday = now.weekday;
    std::int32_t slot = now.slot - offset;
    if (slot < 0) {
        slot += 48;
        weekday = gf_previousWeekday(weekday);
    }
    try {
        for (Stand& stand : g_stands)
            lf_searchStand(stand, now, weekday, slot, real, dayOnly, static_cast<std::uint32_t>(offset), candidates);
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("{}: day: {}, offset {}: {}", "lf_searchStands", weekday, offset, e.what()));
    }
}

bool lf_fitParkPositions(const WeekTime& now, bool real, bool dayOnly, std::int32_t wanted,
                         std::vector<StaticParkEntry>& candidates)
{
    if (wanted == 0)
        return true;
    const std::int32_t before = lf_selectedCount();
    const std::int32_t maxFit = std::clamp(static_cast<std::int32_t>(MAX_FIT.value), 0, 47);
    std::int32_t count = before;
    std::int32_t reached = maxFit + 1;
    for (std::int32_t offset = 0; offset <= maxFit; ++offset) {
        lf_searchStands(now, real, dayOnly, offset, candidates);
        count = lf_selectedCount();
        if (count >= wanted) {
            reached = offset;
            break;
        }
        lf_append(candidates);
    }
    lf_storeOffset(real, reached);
    if (const std::int32_t added = count - before; added > 0) {
        gf_log(fmt::format("{} {} position{} found, Max fit={:.1F} hours{}{}", added, lf_modeLabel(real, dayOnly),
                           gf_plural(added), MAX_FIT_FL.value.load(), fmt::format(", day {}", now.weekday),
                           fmt::format(", hh:{} or {:.1F} hrs, fit: {:.1F} hour", now.slot, lf_slotHours(now.slot),
                                       reached * 0.5)));
        // A planning may take stands from several modes: the mark tells every kind it used.
        gf_setFitFlags(g_parkFitPanel.softUsed || !real, g_parkFitPanel.anyWeekdayUsed || !dayOnly);
    }
    return reached <= maxFit;
}

void gf_setFitFlags(bool softUsed, bool anyWeekdayUsed)
{
    g_parkFitPanel.softUsed = softUsed;
    g_parkFitPanel.anyWeekdayUsed = anyWeekdayUsed;
    {
        std::lock_guard lock(g_mainWindowState.parkTextMutex);
        g_mainWindowState.parking.fitSoft = softUsed;
        g_mainWindowState.parking.fitAnyWeekday = anyWeekdayUsed;
    }
    gf_repaintParkingBand();
}

void lf_fitMode(const WeekTime& now, std::int32_t wanted, std::int32_t already, bool real, bool dayOnly)
{
    std::vector<StaticParkEntry> candidates;
    candidates.reserve(512);
    if (!lf_fitParkPositions(now, real, dayOnly, wanted, candidates))
        return;
    lf_append(candidates);
    const std::int32_t excess = lf_planSize() + already - wanted;
    if (excess > 0 && excess <= lf_planSize())
        g_staticParkEntries.resize(static_cast<std::size_t>(lf_planSize() - excess));
}

void lf_fitModes(const WeekTime& now, std::int32_t wanted, std::int32_t already)
{
    g_parkFitPanel.realOffset = 0;
    g_parkFitPanel.softOffset = -1;
    lf_fitMode(now, wanted, already, true, true);
    const auto shortOf = [&] { return lf_planSize() + already < wanted; };
    if (shortOf() && WEEK.value)
        lf_fitMode(now, wanted, already, true, false);
    if (shortOf() && PARK_SOFT.value)
        lf_fitMode(now, wanted, already, false, true);
    if (shortOf() && WEEK.value && PARK_SOFT.value)
        lf_fitMode(now, wanted, already, false, false);
    // A use refused for an aircraft already accounted for is refused in this planning only: it
    // is still saved, learned on and planned again.
    gf_renumberStandOptions();
}

void lf_calcParkPositions()
{
    const WeekTime now = lf_logDayAndHour();
    gf_setBusy();
    g_staticParkEntries.clear();
    g_liveParkedList.clear();
    g_parkFitPanel = {};
    gf_setFitFlags(false, false);
    lf_snapshotSeenCallsigns();
    for (Stand& stand : g_stands) {
        stand.selected = false;
        stand.keepFree = false;
        stand.neighbourTaken = false;
    }
    lf_markUserStands();
    const std::int32_t wanted = lf_wantedParkCount();
    if (lf_planSize() < wanted)
        lf_fitModes(now, wanted, 0);
    std::sort(g_staticParkEntries.begin(), g_staticParkEntries.end(),
              [](const StaticParkEntry& a, const StaticParkEntry& b) { return a.tolerance < b.tolerance; });
    if (lf_planSize() > wanted)
        g_staticParkEntries.resize(static_cast<std::size_t>(wanted));
    if (g_staticParkEntries.empty()) {
        gf_log("no parking positions found");
        gf_setIdle();
        return;
    }
    const std::int32_t percent = parking_percentage.value;
    gf_log(fmt::format("{} positions ({}% vs wanted {}%, with Max fit={:.1F} hours)\n", lf_planSize(),
                       gf_percent(lf_planSize(), static_cast<double>(g_stands.size())), percent,
                       MAX_FIT_FL.value.load()));
    std::sort(g_staticParkEntries.begin(), g_staticParkEntries.end(),
              [](const StaticParkEntry& a, const StaticParkEntry& b) { return a.tolerance > b.tolerance; });
}

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::Engine, g_staticParkEntries, g_liveParkedList, g_plannedSeenCallsigns),
    {"g_parkFitPanel", RunStateArea::Engine, [] { g_parkFitPanel = {}; },
     [] {
         const ParkFitPanel& p = g_parkFitPanel;
         return fmt::format("{} {} {} {} {} {}", p.wanted, p.wantedPercent, p.realOffset, p.softOffset, p.softUsed,
                            p.anyWeekdayUsed);
     }},
};

} // namespace
