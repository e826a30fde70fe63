// Static aircraft one by one from the plan, the limit of parked aircraft, and their removal.
#include "parking/static_parking.h"
#include "core/run_state.h"

#include "core/half_hours.h"
#include "core/log.h"
#include "core/settings.h"
#include "engine/ac_builders.h"
#include "engine/ac_containers.h"
#include "engine/aircraft_names.h"
#include "engine/engine_tick.h"
#include "engine/life_cycle.h"
#include "engine/proximity_rules.h"
#include "engine/stand_lookup.h"
#include "engine/stand_search.h"
#include "engine/unconfirmed_creations.h"
#include "liveries/livery_matching.h"
#include "parking/park_airport.h"
#include "parking/stand.h"
#include "parking/static_park_plan.h"
#include "simlink/sim_queues.h"
#include "ui/main_window.h"

#include <fmt/format.h>

#include <algorithm>
#include <optional>

std::vector<WaitingStaticEntry> g_waitingStaticEntries;

namespace {

std::uint32_t g_lastStaticId = 0;

bool lf_isParkingOrParked(const LiveAc& ac)
{
    return ac.flightPhase == FlightPhase::parking || ac.flightPhase == FlightPhase::parked;
}

bool lf_isLiveParked(const LiveAc& ac)
{
    return ac.simState == SimState::active && ac.flightPhase == FlightPhase::parked;
}

// Every static aircraft keeps its place until it is gone, also while it is being removed.
bool lf_holdsPlace(const StaticAc& ac)
{
    return ac.withdrawn == 0 && ac.remove == 0;
}

// On its way out of the simulator: its place frees once its record is gone.
bool lf_leaving(const StaticAc& ac)
{
    return ac.simState == SimState::removingfromsim ||
           (ac.simState == SimState::adding2sim && ac.removeOnArrival != 0);
}

bool lf_isNeighbour(const Stand& stand, std::int32_t number)
{
    return std::find(stand.neighbours.begin(), stand.neighbours.end(), static_cast<std::uint32_t>(number)) !=
           stand.neighbours.end();
}

// What keeps an entry off its stand: the line that refuses it, and whether only static aircraft
// on their way out stand in the way (the entry may wait for them).
struct StandRefusal {
    std::string line;
    bool onlyLeaving = false;
};

// A live aircraft on the stand or next to it refuses the entry, and so does a static one there;
// decided without changing anything.
std::optional<StandRefusal> lf_standRefusal(const Stand& stand, const StaticParkEntry& entry)
{
    for (const LiveAc& live : g_liveAcs) {
        if (!lf_isParkingOrParked(live))
            continue;
        if (live.standId == stand.number)
            return StandRefusal{fmt::format("{:8}: no static parking for {}, live aircraft {} standing here", stand.id,
                                            entry.cs, live.callsign)};
        if (lf_isNeighbour(stand, live.standId))
            return StandRefusal{fmt::format("{:8}: no static parking for {}, live aircraft {} is adjacent at {}, "
                                            "possibly colliding",
                                            stand.id, entry.cs, live.callsign, gf_standName(live.standId))};
    }
    const StaticAc* first = nullptr;
    bool onlyLeaving = true;
    for (const StaticAc& ac : g_staticAcs) {
        if (!lf_holdsPlace(ac) || (ac.standId != stand.number && !lf_isNeighbour(stand, ac.standId)))
            continue;
        // The line names one that stays, when there is one.
        if (first == nullptr || (onlyLeaving && !lf_leaving(ac)))
            first = &ac;
        onlyLeaving = onlyLeaving && lf_leaving(ac);
    }
    if (first == nullptr)
        return std::nullopt;
    return StandRefusal{fmt::format("{:8}: no static parking for {}, static aircraft {} is adjacent at {}, possibly "
                                    "colliding",
                                    stand.id, entry.cs, first->callsign, gf_standName(first->standId)),
                        onlyLeaving};
}

// Ids 1 to 10000 in turn, so they never reach the transponder addresses of live aircraft.
std::uint32_t lf_nextStaticId()
{
    g_lastStaticId = g_lastStaticId % kMaxStaticHexid + 1;
    return g_lastStaticId;
}

std::string lf_callsignFor(const StaticParkEntry& entry, std::uint32_t id)
{
    if (entry.cs.empty())
        return fmt::format("{}{}{}", entry.airl, id, "*");
    const std::string& chosen = entry.staysNextSlot ? entry.cs : entry.cs2;
    return lf_staticCallsign(chosen.empty() ? (entry.staysNextSlot ? entry.cs2 : entry.cs) : chosen);
}

// The parked half hour: now minus the tolerance, on the previous weekday below slot 0.
std::uint64_t lf_parkedSlot(std::uint32_t tolerance)
{
    const std::uint64_t now = gf_weekdayAndHalfHour();
    std::int32_t weekday = gf_packedWeekday(now);
    std::int32_t slot = gf_packedHalfHour(now) - static_cast<std::int32_t>(tolerance);
    while (slot < 0) {
        slot += 48;
        weekday = gf_previousWeekday(weekday);
    }
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(weekday)) |
           (static_cast<std::uint64_t>(static_cast<std::uint32_t>(slot)) << 32);
}

void lf_requestCreation(const StaticAc& ac)
{
    CreateRequest request;
    request.initPosition.Latitude = ac.standLat;
    request.initPosition.Longitude = ac.standLon;
    request.initPosition.Altitude = g_parkAirportElevation.load();
    request.initPosition.Heading = ac.standHeading * kRadToDeg;
    request.initPosition.OnGround = 1;
    request.callsign = ac.callsign;
    request.title = ac.livery;
    request.aircraftId = ac.hexid;
    g_addingStack.statics.push_back(std::move(request));
}


void lf_removeLongestParkedLive()
{
    LiveAc* longest = nullptr;
    for (LiveAc& ac : g_liveAcs) {
        if (lf_isLiveParked(ac) && (longest == nullptr || ac.parkedSince < longest->parkedSince))
            longest = &ac;
    }
    if (longest == nullptr)
        return;
    gf_log(fmt::format("{:8}: {} live max park exceeded, removed", gf_standName(longest->standId),
                       gf_acDescr(*longest)));
    removeAircraftFromSim(*longest);
}

// The static aircraft parked longest ago in the wrapping week goes.
void lf_removeEarliestStatic()
{
    const std::int32_t now = gf_weekHalfHour(gf_weekdayAndHalfHour());
    StaticAc* earliest = nullptr;
    std::int32_t earliestAge = -1;
    for (StaticAc& ac : g_staticAcs) {
        const bool inSim = ac.simState == SimState::active || ac.simState == SimState::removingfromsim;
        const std::int32_t age = gf_halfHoursAgo(now, gf_weekHalfHour(ac.parkedSlot));
        if (inSim && age > earliestAge) {
            earliest = &ac;
            earliestAge = age;
        }
    }
    if (earliest == nullptr || earliest->simState != SimState::active)
        return;
    gf_log(fmt::format("{:8}: {} static max park exceeded, removed", gf_standName(earliest->standId),
                       gf_acDescr(*earliest)));
    removeAircraftFromSim(*earliest);
}

template <class Ac>
void lf_eraseGone(std::vector<Ac>& acs)
{
    std::erase_if(acs, [](const Ac& ac) { return ac.withdrawn != 0 || ac.remove != 0; });
}

void lf_createStatic(const StaticParkEntry& entry, const Stand& stand)
{
    const std::uint32_t id = lf_nextStaticId();
    AcIdent ident;
    ident.airline = entry.airl;
    ident.type = entry.type;
    ident.callsign = lf_callsignFor(entry, id);
    ident.firstCallsign = entry.cs;
    ident.altIdent = entry.cs2;
    ident.registration = entry.reg;
    AircraftData data = gf_makeAcData(ident);
    data.hexid = id;
    data.cargo = stand.cargo ? 1 : 0;
    StaticAc ac = gf_makeStaticAc(data);
    ac.standLat = stand.latitude;
    ac.standLon = stand.longitude;
    ac.standHeading = stand.heading;
    ac.standId = stand.number;
    if (!gf_matchParkedLivery(ac, stand))
        return;
    ac.parkedSlot = lf_parkedSlot(entry.tolerance);
    ac.simState = SimState::adding2sim;
    lf_requestCreation(ac);
    g_staticAcs.push_back(std::move(ac));
}

// Identified, its activation still to come: the object is there.
bool lf_identified(const StaticAc& ac)
{
    return std::any_of(g_keptResults.begin(), g_keptResults.end(), [&ac](const SimResult& item) {
        return item.kind == SimResultKind::StaticIdentified && item.aircraftId == ac.hexid;
    });
}

void lf_giveUpUnconfirmedStatics()
{
    bool givenUp = false;
    for (StaticAc& ac : g_staticAcs) {
        if (ac.simState != SimState::adding2sim || !ac.creationClock.running() || ac.withdrawn != 0 ||
            ac.remove != 0 || lf_identified(ac) || ac.creationClock.look() < kCreationGiveUpTicks)
            continue;
        gf_log(fmt::format("{} not identified in the simulator {} s after its creation, given up", gf_acDescr(ac),
                           kCreationGiveUpTicks / 100));
        gf_queueGivenUpCreate(ac.hexid);
        ac.withdrawn = 1;
        givenUp = true;
    }
    if (givenUp)
        lf_eraseGone(g_staticAcs);
}

// In their order, so that of two entries for one stand the first is created and refuses the
// second.
void lf_settleWaitingEntries()
{
    std::vector<WaitingStaticEntry> waiting = std::move(g_waitingStaticEntries);
    g_waitingStaticEntries.clear();
    for (WaitingStaticEntry& wait : waiting) {
        const Stand* stand = gf_standByNumber(static_cast<std::int32_t>(wait.entry.stand));
        if (stand == nullptr)
            continue;
        const std::optional<StandRefusal> refusal = lf_standRefusal(*stand, wait.entry);
        if (!refusal) {
            lf_createStatic(wait.entry, *stand);
        } else if (!refusal->onlyLeaving || wait.clock.look() >= kStaticEntryWaitTicks) {
            gf_log(refusal->line);
        } else {
            g_waitingStaticEntries.push_back(std::move(wait));
        }
    }
}

} // namespace

std::string lf_staticCallsign(const std::string& callsign)
{
    std::string result = callsign;
    if (!result.empty() && result.back() == '_')
        result.pop_back();
    if (result.empty() || result.back() != '*')
        result += '*';
    return result;
}

void lf_detcs()
{
    if (g_staticParkEntries.empty() || g_stands.empty())
        return;
    StaticParkEntry entry = std::move(g_staticParkEntries.back());
    g_staticParkEntries.pop_back();
    const Stand* stand = gf_standByNumber(static_cast<std::int32_t>(entry.stand));
    if (stand == nullptr) {
        gf_logMarked(fmt::format("stand with id {} not found", entry.stand));
        return;
    }
    if (const std::optional<StandRefusal> refusal = lf_standRefusal(*stand, entry)) {
        if (!refusal->onlyLeaving) {
            gf_log(refusal->line);
            return;
        }
        // The aircraft it replaces is still leaving: one static per stand, so this one's
        // create waits until that record is gone.
        g_waitingStaticEntries.push_back({std::move(entry), {}});
        g_waitingStaticEntries.back().clock.start(g_simFramesDrained.load());
        return;
    }
    lf_createStatic(entry, *stand);
}

void gf_checkMaxPark(std::int32_t extra)
{
    const std::int32_t limit = lf_wantedParkCount();
    if (limit < 1)
        return;
    const std::int32_t liveParked = gf_countLiveParked(false).count + extra;
    if (!INITIAL_LOAD_ONLY.value && liveParked > limit)
        lf_removeLongestParkedLive();
    if (gf_countStaticParked(false) + liveParked > limit)
        lf_removeEarliestStatic();
}

std::int32_t gf_countStaticParked(bool withMean)
{
    const auto count = static_cast<std::int32_t>(std::count_if(g_staticAcs.begin(), g_staticAcs.end(), [](const StaticAc& ac) {
        return ac.simState == SimState::active || ac.simState == SimState::removingfromsim;
    }));
    // The panel shows this count, with the other counters, repainted when they changed.
    if (withMean) {
        gf_refreshCounters();
    }
    return count;
}

void gf_tickStaticCreations()
{
    if (g_staticAcs.empty() && g_waitingStaticEntries.empty())
        return;
    lf_giveUpUnconfirmedStatics();
    if (!g_waitingStaticEntries.empty())
        lf_settleWaitingEntries();
}

void gf_noteStaticCreationSent(std::uint32_t hexid, std::uint64_t framesAtHandOver)
{
    const auto ac = std::find_if(g_staticAcs.begin(), g_staticAcs.end(),
                                 [hexid](const StaticAc& st) { return st.hexid == hexid; });
    if (ac != g_staticAcs.end())
        ac->creationClock.start(framesAtHandOver);
}

bool gf_staticEntriesWaiting()
{
    return !g_waitingStaticEntries.empty();
}

void gf_dropWaitingStaticEntries()
{
    g_waitingStaticEntries.clear();
}

void gf_dropStaticOnItsWay(StaticAc& ac)
{
    if (ac.simState != SimState::adding2sim || ac.withdrawn != 0)
        return;
    if (!gf_withdrawCreateRequest(ac))
        gf_queueGivenUpCreate(ac.hexid);
    ac.withdrawn = 1;
}

void gf_removeGroundAircraft()
{
    g_staticParkEntries.clear();
    gf_dropWaitingStaticEntries();
    for (StaticAc& ac : g_staticAcs) {
        if (ac.simState == SimState::adding2sim)
            gf_dropStaticOnItsWay(ac);
        else
            removeAircraftFromSim(ac);
    }
    lf_eraseGone(g_staticAcs);
    for (LiveAc& ac : g_liveAcs) {
        const bool onGround = ac.flightPhase <= FlightPhase::take_off || ac.flightPhase == FlightPhase::parked;
        if (!onGround)
            continue;
        lf_releaseStand(ac);
        ac.standId = 0;
        if (ac.simState == SimState::active || ac.simState == SimState::adding2sim)
            removeAircraftFromSim(ac);
    }
    std::erase_if(g_liveAcs, [](const LiveAc& ac) { return ac.withdrawn != 0; });
}

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::Engine, g_lastStaticId, g_waitingStaticEntries),
};

} // namespace
