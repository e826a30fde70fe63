// Static parked aircraft that give way to live traffic: in the path of a taxiing aircraft,
// copies of a live aircraft, on the user's reserved stand, or all of them at once.
#include "engine/proximity_rules.h"

#include "app/tick_state.h"
#include "core/geo.h"
#include "core/half_hours.h"
#include "engine/ac_containers.h"
#include "engine/life_cycle.h"
#include "engine/stand_search.h"
#include "parking/static_parking.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <unordered_map>

namespace {

constexpr double kMovedDeg = 1e-8;

bool lf_isActive(const StaticAc& ac)
{
    return ac.simState == SimState::active;
}

LatLon lf_standPlace(const StaticAc& ac)
{
    return {ac.standLat, ac.standLon};
}

bool lf_same(const std::string& a, std::string_view b)
{
    return !a.empty() && a == b;
}

std::string_view lf_withoutGhostMark(std::string_view callsign)
{
    if (callsign.ends_with('_'))
        callsign.remove_suffix(1);
    return callsign;
}

// The static aircraft carries one of the live aircraft's names.
bool lf_carriesIdentity(const StaticAc& st, const AircraftData& ac, bool compareRegistration)
{
    const std::string_view base = lf_withoutGhostMark(ac.callsign);
    const auto isCallsign = [&](const std::string& text) {
        return lf_same(text, ac.callsign) || lf_same(text, base);
    };
    if (isCallsign(st.registration) || lf_same(st.registration, ac.registration))
        return true;
    if (isCallsign(st.firstCallsign) || isCallsign(st.altIdent))
        return true;
    return compareRegistration && (lf_same(st.firstCallsign, ac.registration) || lf_same(st.altIdent, ac.registration));
}

// The active live aircraft on the ground by name (registration, or callsign), each name
// with the position of the first aircraft in the live list that carries it.
struct GroundNames {
    std::unordered_map<std::string_view, std::size_t> registrations;
    std::unordered_map<std::string_view, std::size_t> callsigns;

    GroundNames()
    {
        for (std::size_t i = 0; i < g_liveAcs.size(); ++i) {
            const LiveAc& ac = g_liveAcs[i];
            if (!lf_isActive(ac) || !ac.onGround)
                continue;
            if (!ac.registration.empty())
                registrations.try_emplace(ac.registration, i);
            callsigns.try_emplace(ac.callsign, i);
        }
    }

    // The first live aircraft the static one copies: the same registration, or its callsign
    // with a "*" added; npos when none.
    std::size_t firstCopied(const StaticAc& st) const
    {
        std::size_t first = std::string::npos;
        if (const auto it = registrations.find(st.registration); it != registrations.end())
            first = it->second;
        if (st.callsign.ends_with('*')) {
            const std::string_view base = std::string_view(st.callsign).substr(0, st.callsign.size() - 1);
            if (const auto it = callsigns.find(base); it != callsigns.end())
                first = std::min(first, it->second);
        }
        return first;
    }
};

// The static aircraft to remove as a copy: of the first live aircraft on the ground that has
// an active static copy, its first copy in the static list. One lookup per aircraft instead of
// comparing every live aircraft with every static one.
StaticAc* lf_firstStaticDuplicate()
{
    const GroundNames names;
    std::size_t bestLive = std::string::npos;
    StaticAc* found = nullptr;
    for (StaticAc& st : g_staticAcs) {
        if (!lf_isActive(st))
            continue;
        if (const std::size_t live = names.firstCopied(st); live < bestLive) {
            bestLive = live;
            found = &st;
        }
    }
    return found;
}

} // namespace

void gf_clearStaticFromTaxiPaths()
{
    if (g_staticAcs.empty())
        return;
    for (LiveAc& ac : g_liveAcs) {
        if (!lf_isActive(ac) || !ac.onGround ||
            (ac.flightPhase != FlightPhase::taxi && ac.flightPhase != FlightPhase::parking))
            continue;
        if (std::abs(ac.simPosition[0] - ac.lastStaticCheck[0]) >= kMovedDeg ||
            std::abs(ac.simPosition[1] - ac.lastStaticCheck[1]) >= kMovedDeg)
            lf_removeStaticInTheWay(ac);
    }
}

void lf_removeStaticInTheWay(LiveAc& ac)
{
    if (!ac.onGround || ac.takeOffStarted)
        return;
    ac.lastStaticCheck = {ac.simPosition[0], ac.simPosition[1]};
    const LatLon here{ac.simPosition[0], ac.simPosition[1]};
    for (StaticAc& st : g_staticAcs) {
        if (lf_isActive(st) && st.callsign != ac.callsign &&
            gf_distanceNm(here, lf_standPlace(st)) <= (ac.halfSpan + st.halfSpan) * 1.1) {
            removeAircraftFromSim(st);
            return;
        }
    }
}

void gf_removeStaticDuplicates()
{
    if (g_staticAcs.empty())
        return;
    if (StaticAc* st = lf_firstStaticDuplicate())
        removeAircraftFromSim(*st);
}

void gf_removeStaticSameAc(const AircraftData& ac, bool compareRegistration)
{
    for (StaticAc& st : g_staticAcs) {
        if (lf_isActive(st) && lf_carriesIdentity(st, ac, compareRegistration))
            removeAircraftFromSim(st);
    }
}

// Those still on their way in go at once, so that none keeps its stand; the replacements
// waiting for a stand are dropped with them.
void gf_removeAllStatic()
{
    gf_dropWaitingStaticEntries();
    for (StaticAc& st : g_staticAcs) {
        if (st.simState == SimState::active)
            removeAircraftFromSim(st);
        else
            gf_dropStaticOnItsWay(st);
    }
    std::erase_if(g_staticAcs, [](const StaticAc& st) { return st.withdrawn != 0; });
}

void gf_clearReservedStand(std::string_view standName)
{
    for (StaticAc& st : g_staticAcs) {
        if (lf_isActive(st) && gf_standName(st.standId) == standName) {
            removeAircraftFromSim(st);
            return;
        }
    }
    for (LiveAc& ac : g_liveAcs) {
        if (lf_isActive(ac) && ac.flightPhase == FlightPhase::parked && gf_standName(ac.standId) == standName) {
            removeAircraftFromSim(ac);
            return;
        }
    }
}

LiveParkedCount gf_countLiveParked(bool withMean)
{
    LiveParkedCount result;
    const std::int32_t now = gf_weekHalfHour(g_weekTime.load());
    double slots = 0.0;
    for (const LiveAc& ac : g_liveAcs) {
        if (!lf_isActive(ac) || ac.flightPhase != FlightPhase::parked)
            continue;
        ++result.count;
        if (withMean)
            slots += gf_halfHoursAgo(now, gf_weekHalfHour(ac.parkedSlot));
    }
    if (withMean && result.count > 0)
        result.meanSlots = slots / result.count;
    return result;
}
