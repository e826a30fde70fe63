#include "parking/park_adjustment.h"
#include "core/run_state.h"

#include "core/geo.h"
#include "core/half_hours.h"
#include "core/log.h"
#include "core/settings.h"
#include "engine/ac_containers.h"
#include "engine/engine_tick.h"
#include "engine/life_cycle.h"
#include "engine/stand_lookup.h"
#include "engine/stand_search.h"
#include "parking/stand.h"
#include "parking/static_parking.h"
#include "refdata/aircraft_db.h"
#include "ui/status_line.h"

#include <fmt/format.h>

#include <algorithm>

std::vector<StaticRemoval> g_staticRemovals;
std::vector<KeptStatic> g_keptStatics;

namespace {

constexpr std::int64_t kTicksPerMinute = 600000000;

// How long ago the aircraft parked, in half hours of the wrapping week.
std::int32_t lf_parkedAge(std::uint64_t parkedSlot, const WeekTime& now)
{
    return gf_halfHoursAgo(gf_weekHalfHour(now.weekday, now.slot), gf_weekHalfHour(parkedSlot));
}

void lf_keep(const StaticAc& ac)
{
    const AcIdent& ident = ac;
    g_keptStatics.push_back({ident, ac.parkedSlot, static_cast<std::uint32_t>(ac.standId), false});
}

void lf_remove(const StaticAc& ac)
{
    g_staticRemovals.push_back({ac.callsign, static_cast<std::uint32_t>(ac.standId)});
}

std::vector<StaticParkEntry>::iterator lf_planEntryFor(std::uint32_t stand)
{
    return std::find_if(g_staticParkEntries.begin(), g_staticParkEntries.end(),
                        [stand](const StaticParkEntry& entry) { return entry.stand == stand; });
}

bool lf_withStar(const std::string& callsign, const std::string& withStar)
{
    return !callsign.empty() && callsign + "*" == withStar;
}

bool lf_seen(const std::string& callsign)
{
    return !callsign.empty() && g_plannedSeenCallsigns.contains(callsign);
}

bool lf_isLiveParked(const LiveAc& ac)
{
    return ac.simState == SimState::active && ac.flightPhase == FlightPhase::parked && ac.remove == 0;
}

// Live aircraft parked at stands; those parked too long are taken out while live parking is
// renewed (INITIAL_LOAD_ONLY off). Sorted so the longest parked is last.
void lf_collectLiveParked()
{
    g_liveParkedList.clear();
    const std::int64_t now = gf_steadyTicks100ns();
    for (LiveAc& ac : g_liveAcs) {
        if (!lf_isLiveParked(ac))
            continue;
        std::uint32_t minutes = 0;
        if (ac.protectedStand == 0) {
            minutes = static_cast<std::uint32_t>(std::max<std::int64_t>(0, (now - ac.parkedSince) / kTicksPerMinute));
            const std::uint32_t limit = ac.category == Category::Heavy ? 180 : 90;
            if (!INITIAL_LOAD_ONLY.value && minutes > limit) {
                removeAircraftFromSim(ac);
                continue;
            }
        }
        g_liveParkedList.push_back({ac.callsign, static_cast<std::uint32_t>(ac.standId), minutes});
    }
    std::stable_sort(g_liveParkedList.begin(), g_liveParkedList.end(),
                     [](const LiveParkedEntry& a, const LiveParkedEntry& b) { return a.minutes < b.minutes; });
}

void lf_removeLiveParked(const LiveParkedEntry& entry)
{
    const auto it = std::find_if(g_liveAcs.begin(), g_liveAcs.end(), [&](const LiveAc& ac) {
        return ac.standId == static_cast<std::int32_t>(entry.stand) && lf_isLiveParked(ac);
    });
    if (it == g_liveAcs.end())
        return;
    gf_log(fmt::format("live parked {} at {} removed", it->callsign, gf_standName(it->standId)));
    removeAircraftFromSim(*it);
}

void lf_limitLiveParked(std::int32_t wanted)
{
    const auto live = static_cast<std::int32_t>(g_liveParkedList.size());
    if (wanted <= 0 || live <= wanted)
        return;
    gf_showMessage(fmt::format("Parking adjustments: {} more live ac than wanted", live - wanted), true);
    for (std::int32_t k = 0; k < live - wanted; ++k)
        lf_removeLiveParked(g_liveParkedList[g_liveParkedList.size() - 1 - static_cast<std::size_t>(k)]);
    lf_collectLiveParked();
}

void lf_startAdjustment()
{
    lf_snapshotSeenCallsigns();
    gf_setFitFlags(false, false);
    gf_clearAdjustmentLists();
    g_staticParkEntries.clear();
    for (Stand& stand : g_stands) {
        stand.selected = false;
        stand.keepFree = false;
        stand.neighbourTaken = false;
    }
    gf_renumberStandOptions();
    lf_markUserStands();
}

bool lf_optionOfAircraft(const ParkOpt& option, const StaticAc& ac)
{
    return option.reg == ac.registration && option.airl == ac.airline && option.type == ac.type;
}

bool lf_anySlot(const Stand& stand, const StaticAc& ac, std::int32_t day, std::int32_t from, std::int32_t to)
{
    return std::any_of(stand.options.begin(), stand.options.end(), [&](const ParkOpt& option) {
        if (option.day != static_cast<std::uint32_t>(day) || !lf_optionOfAircraft(option, ac))
            return false;
        for (std::int32_t slot = from; slot <= to; ++slot) {
            if (option.hh.test(static_cast<std::size_t>(slot)))
                return true;
        }
        return false;
    });
}

// The aircraft's own use of its stand covers the half hours back to the last fit's offset.
bool lf_stillParkedHere(const StaticAc& ac, const Stand& stand, const WeekTime& now)
{
    const std::int32_t t = std::min(std::max(g_parkFitPanel.realOffset, g_parkFitPanel.softOffset), 47);
    const std::int32_t s = now.slot;
    if (lf_anySlot(stand, ac, now.weekday, std::max(s - t, 0), s))
        return true;
    if (s - t >= 0)
        return false;
    const std::int32_t k = std::min(t - s, 46);
    return lf_anySlot(stand, ac, gf_previousWeekday(now.weekday), 47 - k, 47);
}

// A neighbour stand's new entry collides with the aircraft: settled like a conflict on its own stand.
bool lf_settledWithNeighbour(const StaticAc& ac, const Stand& stand, const WeekTime& now)
{
    for (const std::uint32_t neighbourNumber : stand.neighbours) {
        const auto entry = lf_planEntryFor(neighbourNumber);
        const Stand* neighbour = gf_standByNumber(static_cast<std::int32_t>(neighbourNumber));
        if (entry == g_staticParkEntries.end() || neighbour == nullptr)
            continue;
        const double distance =
            gf_distanceNm({ac.standLat, ac.standLon}, {neighbour->latitude, neighbour->longitude});
        if (gf_wingspan(entry->type) + gf_wingspan(ac.type) > distance) {
            lf_settleStandConflict(ac, static_cast<std::size_t>(entry - g_staticParkEntries.begin()), now);
            return true;
        }
    }
    return false;
}

void lf_keepOrReplace(const StaticAc& ac, const WeekTime& now)
{
    if (lf_seen(ac.firstCallsign) || lf_seen(ac.altIdent)) {
        lf_remove(ac);
        return;
    }
    const auto entry = lf_planEntryFor(static_cast<std::uint32_t>(ac.standId));
    if (entry != g_staticParkEntries.end()) {
        const bool same = entry->airl == ac.airline && entry->type == ac.type &&
                          (lf_withStar(entry->cs, ac.callsign) || lf_withStar(entry->cs2, ac.callsign));
        if (same) {
            lf_keep(ac);
            g_staticParkEntries.erase(entry);
        } else {
            lf_settleStandConflict(ac, static_cast<std::size_t>(entry - g_staticParkEntries.begin()), now);
        }
        return;
    }
    const Stand* stand = gf_standByNumber(ac.standId);
    if (stand == nullptr) {
        lf_remove(ac);
        return;
    }
    if (lf_settledWithNeighbour(ac, *stand, now))
        return;
    if (lf_stillParkedHere(ac, *stand, now))
        lf_keep(ac);
    else
        lf_remove(ac);
}

// The kept aircraft flies under its first callsign and its use ends with this half hour. The
// uses are looked at whether or not this planning refused them: when the planning met the
// standing aircraft's own use, it refused it as one already standing, and that is the very use
// looked for here.
bool lf_callsignEnds(const KeptStatic& kept, const WeekTime& now)
{
    if (kept.altIdent.empty() || kept.callsign.find(kept.firstCallsign) == std::string::npos)
        return false;
    const Stand* stand = gf_standByNumber(static_cast<std::int32_t>(kept.stand));
    if (stand == nullptr)
        return false;
    std::string c = kept.callsign;
    if (!c.empty() && c.back() == '*')
        c.pop_back();
    const auto option = std::find_if(stand->options.begin(), stand->options.end(), [&](const ParkOpt& o) {
        return o.day == static_cast<std::uint32_t>(now.weekday) && o.cs == c && o.airl == kept.airline &&
               o.type == kept.type;
    });
    if (option == stand->options.end())
        return false;
    if (now.slot < 47)
        return !option->hh.test(static_cast<std::size_t>(now.slot + 1));
    const auto nextDay = static_cast<std::uint32_t>(gf_nextWeekday(now.weekday));
    return std::none_of(stand->options.begin(), stand->options.end(), [&](const ParkOpt& o) {
        return o.day == nextDay && o.airl == option->airl && o.type == option->type && o.hh.test(0);
    });
}

// A kept aircraft that changes to its second callsign is removed and planned again, keeping
// its parked half hour: the tolerance is how far back that half hour lies.
void lf_planCallsignSwitches(const WeekTime& now)
{
    for (const KeptStatic& kept : g_keptStatics) {
        if (!kept.switchCallsign)
            continue;
        const std::int32_t back = lf_parkedAge(kept.parkedSlot, now);
        g_staticParkEntries.push_back({kept.stand, static_cast<std::uint32_t>(back), kept.airline, kept.type,
                                       kept.firstCallsign, kept.altIdent, kept.registration, false});
        g_staticRemovals.push_back({kept.callsign, kept.stand});
    }
    std::erase_if(g_keptStatics, [](const KeptStatic& kept) { return kept.switchCallsign; });
}

void lf_takeOutRemovals()
{
    for (const StaticRemoval& removal : g_staticRemovals) {
        // Only a created one: one still on its way in would be withdrawn and left in the list.
        StaticAc* onStand = gf_occupantOf(g_staticAcs, static_cast<std::int32_t>(removal.stand),
                                          [](const StaticAc& ac) { return ac.simState == SimState::active; });
        if (onStand != nullptr)
            removeAircraftFromSim(*onStand);
    }
    g_staticRemovals.clear();
}

} // namespace

void gf_clearAdjustmentLists()
{
    gf_dropWaitingStaticEntries();
    g_staticRemovals.clear();
    g_keptStatics.clear();
    g_liveParkedList.clear();
}

// The entry matched its use the tolerance's half hours ago; it is not later than the aircraft's
// parking when that lies no further back, in the wrapping week.
void lf_settleStandConflict(const StaticAc& ac, std::size_t entryIndex, const WeekTime& now)
{
    const StaticParkEntry& entry = g_staticParkEntries[entryIndex];
    const std::int32_t entryAge = static_cast<std::int32_t>(entry.tolerance % kWeekHalfHours);
    if (entryAge >= lf_parkedAge(ac.parkedSlot, now)) {
        lf_keep(ac);
        g_staticParkEntries.erase(g_staticParkEntries.begin() + static_cast<std::ptrdiff_t>(entryIndex));
    } else {
        lf_remove(ac);
    }
}

void lf_keepOrReplaceStatics(const WeekTime& now)
{
    for (const StaticAc& ac : g_staticAcs) {
        if (ac.simState == SimState::active)
            lf_keepOrReplace(ac, now);
    }
    // The aircraft parked longest ago last: a trim takes those first.
    std::sort(g_keptStatics.begin(), g_keptStatics.end(), [&now](const KeptStatic& a, const KeptStatic& b) {
        return lf_parkedAge(a.parkedSlot, now) < lf_parkedAge(b.parkedSlot, now);
    });
    for (KeptStatic& kept : g_keptStatics)
        kept.switchCallsign = lf_callsignEnds(kept, now);
}

void lf_trimToWanted(std::int32_t wanted)
{
    std::int64_t excess = static_cast<std::int64_t>(g_liveParkedList.size() + g_staticParkEntries.size() +
                                                    g_keptStatics.size()) -
                          wanted;
    for (; excess > 0; --excess) {
        if (!g_staticParkEntries.empty()) {
            g_staticParkEntries.pop_back();
        } else if (!g_keptStatics.empty()) {
            g_staticRemovals.push_back({g_keptStatics.back().callsign, g_keptStatics.back().stand});
            g_keptStatics.pop_back();
        } else if (!g_liveParkedList.empty() && wanted > 0) {
            // With nothing wanted (no static parking) live traffic parks as it comes.
            const std::int32_t stand = static_cast<std::int32_t>(g_liveParkedList.back().stand);
            LiveAc* parked = gf_occupantOf(g_liveAcs, stand,
                                           [](const LiveAc& ac) { return ac.flightPhase == FlightPhase::parked; });
            if (parked != nullptr)
                removeAircraftFromSim(*parked);
            g_liveParkedList.pop_back();
        } else {
            break;
        }
    }
}

void gf_adjustParking()
{
    const WeekTime now = lf_logDayAndHour();
    lf_startAdjustment();
    const std::int32_t wanted = lf_wantedParkCount();
    lf_collectLiveParked();
    lf_limitLiveParked(wanted);
    for (const LiveParkedEntry& live : g_liveParkedList) {
        if (Stand* stand = gf_standByNumber(static_cast<std::int32_t>(live.stand)); stand != nullptr)
            gf_markStands(*stand);
    }
    const auto already = static_cast<std::int32_t>(g_liveParkedList.size());
    if (wanted != already)
        lf_fitModes(now, wanted, already);
    lf_keepOrReplaceStatics(now);
    lf_planCallsignSwitches(now);
    lf_trimToWanted(wanted);
    std::sort(g_staticParkEntries.begin(), g_staticParkEntries.end(),
              [](const StaticParkEntry& a, const StaticParkEntry& b) { return a.tolerance > b.tolerance; });
    gf_showMessage(fmt::format("Parking adjustments: {} to be removed, {} to be added\n", g_staticRemovals.size(),
                               g_staticParkEntries.size()),
                   true);
    lf_takeOutRemovals();
}

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::Engine, g_staticRemovals, g_keptStatics),
};

} // namespace
