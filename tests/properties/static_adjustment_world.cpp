#include "static_adjustment_world.h"

#include "app/app_steps.h"
#include "app/exit_reason.h"
#include "app/tick_state.h"
#include "core/clock.h"
#include "core/half_hours.h"
#include "core/program_folders.h"
#include "core/settings.h"
#include "engine/ac_containers.h"
#include "engine/adding_stack.h"
#include "engine/aircraft_names.h"
#include "engine/engine_tick.h"
#include "engine/stand_lookup.h"
#include "engine/stand_search.h"
#include "liveries/livery_processing.h"
#include "parking/park_airport.h"
#include "parking/stand.h"
#include "parking/static_parking.h"
#include "platform/standin/simworld.h"
#include "refdata/aircraft_db.h"
#include "refdata/airport_db.h"
#include "simlink/user_aircraft.h"
#include "support/livery_fixtures.h"
#include "support/park_file_builder.h"
#include "support/parking_fixture.h"
#include "support/program_state.h"
#include "support/reference_xml.h"
#include "support/static_plan_check.h"
#include "support/traffic_lines.h"
#include "traffic/traffic_reader.h"
#include "ui/busy_state.h"
#include "ui/command_handlers.h"
#include "ui/main_window.h"
#include "ui/range_control.h"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

using namespace testsupport;

namespace statictest {

namespace {

// Two airports 5 nm apart: the flight from one to the other is no jump the program takes for a
// new flight.
const char* const kCodes[kAirports] = {"EDDF", "EDFE"};
// Stands in a row heading north, 800 m north of the airport reference: pairs close enough that
// two airliners on them collide, the pairs further apart.
constexpr double kStandEastM[kStands] = {0.0, 30.0, 110.0, 140.0, 220.0, 300.0};
constexpr double kStandsNorthM = 800.0;
constexpr double kFeetPerMetre = 1.0 / 0.3048;
constexpr int kTicksPerSecond = 100;
constexpr int kSettleSeconds = 150;
constexpr int kLeaveBoundSeconds = 60;
// The park airport is looked at every 16 s, but not on seconds that are multiples of 5.
constexpr int kOutOfSightSeconds = 45;
constexpr double kOnStandM = 5.0;

const char* const kDayNames[] = {"", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};

std::string lf_when(int weekday, int slot)
{
    return fmt::format("{} {:02}:{:02}", kDayNames[weekday], slot / 2, slot % 2 * 30);
}

std::string lf_when(std::uint64_t packed)
{
    return lf_when(gf_packedWeekday(packed), gf_packedHalfHour(packed));
}

LatLon lf_offset(const LatLon& from, double northM, double eastM)
{
    const LatLon north = gf_destinationPoint(from, 0.0, northM * kFeetPerMetre);
    return gf_destinationPoint(north, 90.0 * kDegToRad, eastM * kFeetPerMetre);
}

std::string lf_useText(const StandUse& use)
{
    return use.cs2.empty() ? use.cs : use.cs + ":" + use.cs2;
}

void lf_writeParkFile(const std::string& code, const std::vector<LatLon>& stands, const std::vector<StandUse>& uses,
                      double elevationFt)
{
    std::vector<StandFixture> fixtures;
    for (int i = 0; i < kStands; ++i) {
        StandFixture stand{fmt::format("P{}", i + 1), stands[static_cast<std::size_t>(i)].lat,
                           stands[static_cast<std::size_t>(i)].lon, 0.0, 20.0, {}, {}};
        for (const StandUse& use : uses) {
            if (use.stand == i)
                stand.opts.push_back({use.reg, "DLH", "A320", lf_useText(use), use.weekday,
                                      fmt::format("{}:{}", use.from, use.to)});
        }
        fixtures.push_back(std::move(stand));
    }
    std::filesystem::create_directories(folders::mySimaddon());
    std::ofstream(folders::mySimaddon() / (code + ".xml"))
        << parkFileXml(fixtures, fmt::format("    <parameter name=\"altitude\" value=\"{:.0f}\" />\n"
                                             "    <parameter name=\"publisher\" value=\"simaddon\" />\n",
                                             elevationFt));
}

void lf_settings()
{
    RANDOM.value = false;
    MAX_PARK_SEL.value = 100;
    CUSTOM_PARKING_PERCENTAGE.value = -1;
    parking_percentage.value = 67; // 4 of 6 stands
    MAX_FIT.value = 4;
    WEEK.value = false;
    PARK_SOFT.value = false;
    INITIAL_LOAD_ONLY.value = false;
    AUTO_RANGE.value = false;
    RANGE.value = 40;
    AIRP_RANGE.value = 20;
    AIRP_HEIGHT.value = 18000;
}

bool lf_staticTail(const std::string& tail)
{
    return !tail.empty() && tail.back() == '*';
}

// The static records and the program's static objects in the simulator.
std::vector<std::string> lf_staticsLeft()
{
    std::vector<std::string> left;
    for (const StaticAc& ac : g_staticAcs)
        left.push_back(fmt::format("record {} ({})", ac.callsign, gf_simStateName(ac.simState)));
    auto& world = standin::SimWorld::instance();
    for (const DWORD id : world.aliveAiObjects()) {
        const auto object = world.object(id);
        if (object && lf_staticTail(object->tailNumber))
            left.push_back(fmt::format("object {} '{}'", id, object->tailNumber));
    }
    return left;
}

std::int32_t lf_nowHalfHour()
{
    return gf_weekHalfHour(gf_weekdayAndHalfHour());
}

} // namespace

StaticWorld::StaticWorld() = default;

StaticWorld::~StaticWorld()
{
    m_link.reset();
    clk::unfreeze();
    // The log of a breach, kept where the explorer asks for it.
    if (const char* keep = std::getenv("SKYWEAVER_PROPERTY_LOG"); keep != nullptr && m_breach) {
        std::error_code error;
        std::filesystem::copy_file("Log.txt", keep, std::filesystem::copy_options::overwrite_existing, error);
    }
}

void StaticWorld::start(const std::vector<std::vector<StandUse>>& uses, int weekday, int slot)
{
    useAppDataRoot(m_folder.path());
    writeSmallReferenceData(m_folder.path());
    gf_readDbase();
    gf_readAirports();
    const std::vector<LiveryData> liveries = fixtureLiveries();
    writeLiveriesScanned(m_folder.path(), liveries);
    gf_processScannedLiveries();
    lf_settings();
    freezeWeekTime(weekday, slot);
    for (int a = 0; a < kAirports; ++a) {
        const Airport* airport = gf_findAirport(kCodes[a]);
        m_airports.push_back({airport->lat, airport->lon});
        m_elevations.push_back(airport->alt);
        std::vector<LatLon> stands;
        for (const double east : kStandEastM)
            stands.push_back(lf_offset(m_airports.back(), kStandsNorthM, east));
        m_stands.push_back(stands);
        lf_writeParkFile(kCodes[a], stands, uses[static_cast<std::size_t>(a)], airport->alt);
    }
    std::vector<std::string> titles;
    for (const LiveryData& livery : liveries)
        titles.push_back(livery.title);
    m_link = std::make_unique<SteppedSimLink>(SteppedSimSetup{m_airports[0], m_elevations[0], titles});
    gf_applyRange();
    g_trafficReader.setReferencePosition(m_airports[0]);
    g_trafficReader.setReferenceElevation(m_elevations[0]);
    lf_startTickLoop();
    for (int second = 0; second < kSettleSeconds && !(gf_parkFileLoaded() && staticParkingSettled()); ++second)
        run(1);
    if (!gf_parkFileLoaded())
        note(fmt::format("the park file of {} was never loaded with the user standing there", kCodes[0]));
}

// Once a rule is broken the case ends: nothing more runs.
void StaticWorld::tick(bool frames)
{
    if (m_breach)
        return;
    if (frames)
        SteppedSimLink::frameAtTick(g_engineTick.load());
    sendFeedLines();
    if (!lf_tick() && !m_breach)
        note(fmt::format("the program stopped its run: {}",
                         gf_exitReasonText(static_cast<std::uint32_t>(gf_exitReason()))));
    clk::advance(std::chrono::milliseconds(10));
    if (++m_ticks % 10 == 0)
        checkOneStaticPerStand();
}

void StaticWorld::run(int seconds)
{
    for (int i = 0; i < seconds * kTicksPerSecond; ++i)
        tick(true);
}

void StaticWorld::pause(int seconds)
{
    for (int i = 0; i < seconds * kTicksPerSecond; ++i)
        tick(false);
    run(1);
}

void StaticWorld::sendFeedLines()
{
    for (LiveFeed& feed : m_feeds) {
        if (feed.nextLineTick > m_ticks)
            continue;
        feed.nextLineTick = m_ticks + 10 * kTicksPerSecond;
        TrafficLine line;
        line.set(1, std::to_string(feed.hexid))
            .set(2, fmt::format("{:.6f}", feed.place.lat))
            .set(3, fmt::format("{:.6f}", feed.place.lon))
            .set(4, "0")
            .set(5, "0")
            .set(7, "0.0")
            .set(8, "0")
            .set(9, feed.callsign)
            .set(10, "A320")
            .set(11, "")
            .set(14, fmt::format("{}.0", clk::utcNowSeconds()))
            .set(20, "0")
            .set(23, "0")
            .set(25, "0.0");
        g_trafficReader.handleLine(line.text());
    }
}

// Two of the program's static objects in the simulator on one stand.
void StaticWorld::checkOneStaticPerStand()
{
    if (m_breach)
        return;
    auto& world = standin::SimWorld::instance();
    const std::vector<LatLon>& stands = m_stands[static_cast<std::size_t>(m_airport)];
    std::vector<std::vector<std::string>> onStand(stands.size());
    for (const DWORD id : world.aliveAiObjects()) {
        const auto object = world.object(id);
        if (!object || !lf_staticTail(object->tailNumber))
            continue;
        for (std::size_t s = 0; s < stands.size(); ++s) {
            if (gf_distanceNm({object->latitude, object->longitude}, stands[s]) * kMetersPerNm < kOnStandM)
                onStand[s].push_back(object->tailNumber);
        }
    }
    for (std::size_t s = 0; s < stands.size(); ++s) {
        if (onStand[s].size() > 1)
            note(fmt::format("stand P{} of {} held two static aircraft in the simulator at once: {} and {}", s + 1,
                             kCodes[m_airport], onStand[s][0], onStand[s][1]));
    }
}

void StaticWorld::note(std::string what)
{
    if (!m_breach)
        m_breach = std::move(what);
}

void StaticWorld::moveTimeTo(int weekday, int slot, int minutes)
{
    using namespace std::chrono;
    const auto now = floor<seconds>(clk::utcNow());
    const auto halfHourStart = now - (now - floor<hours>(now)) % 30min;
    const std::int32_t ahead = gf_halfHoursAgo(gf_weekHalfHour(weekday, slot), lf_nowHalfHour());
    auto target = halfHourStart + 30min * ahead + std::chrono::minutes(minutes);
    if (target <= now)
        target += days{7};
    clk::freeze(target);
    run(2);
}

void StaticWorld::moveTimeBy(int halfHours, int minutes)
{
    const std::uint64_t now = gf_weekdayAndHalfHour();
    const std::int32_t to = (gf_weekHalfHour(now) - 48 + halfHours) % kWeekHalfHours;
    moveTimeTo(to / 48 + 1, to % 48, minutes);
}

void StaticWorld::adjust(bool byCountdown, int framesStopSeconds)
{
    for (int second = 0; second < 60 && g_busy.load(); ++second)
        run(1);
    if (byCountdown) {
        g_staticParkingCountdown.store(1);
        for (int second = 0; second < 61 && !g_renewalRequested.load(); ++second)
            run(1);
    } else {
        lf_onCommandButtons(nullptr, BUTTON_NOW.controlId);
    }
    if (!g_renewalRequested.load())
        return; // nothing to renew: no park file loaded, or the program is busy
    std::vector<StaticAc> before;
    std::size_t firstLine = 0;
    bool started = false;
    for (int i = 0; i < 40 * kTicksPerSecond && g_renewalRequested.load(); ++i) {
        if (g_renewalInProgress.load() && !started) {
            started = true;
            firstLine = m_log.lines().size();
        }
        if (g_renewalInProgress.load())
            before = g_staticAcs;
        tick(true);
    }
    if (g_renewalRequested.load()) {
        note("the renewal asked for did not run within 40 s");
        return;
    }
    const std::uint64_t packed = gf_weekdayAndHalfHour();
    const WeekTime now{gf_packedWeekday(packed), gf_packedHalfHour(packed)};
    const AdjustmentMade made = adjustmentJustMade();
    for (int i = 0; i < framesStopSeconds * kTicksPerSecond; ++i)
        tick(false);
    for (int second = 0; second < kSettleSeconds && !staticParkingSettled(); ++second)
        run(1);
    if (!staticParkingSettled()) {
        note(fmt::format("the adjustment at {} had not settled {} s later", lf_when(packed), kSettleSeconds));
        return;
    }
    const std::vector<std::string> lines = m_log.lines();
    for (std::string& breach :
         unfilledPlanStands(made, {lines.begin() + static_cast<std::ptrdiff_t>(std::min(firstLine, lines.size())),
                                   lines.end()}))
        note(std::move(breach));
    checkWrappedChoices(before, now);
}

// A static aircraft replaced on its stand by one of the plan parked earlier in the wrapping week.
void StaticWorld::checkWrappedChoices(const std::vector<StaticAc>& before, const WeekTime& now)
{
    const std::int32_t nowHalfHour = gf_weekHalfHour(now.weekday, now.slot);
    for (const StaticAc& old : before) {
        if (old.simState != SimState::active)
            continue;
        for (const StaticAc& ac : g_staticAcs) {
            const bool wasThere = std::any_of(before.begin(), before.end(),
                                              [&](const StaticAc& b) { return b.hexid == ac.hexid; });
            if (wasThere || ac.standId != old.standId || ac.registration == old.registration)
                continue;
            const std::int32_t newAge = gf_halfHoursAgo(nowHalfHour, gf_weekHalfHour(ac.parkedSlot));
            const std::int32_t oldAge = gf_halfHoursAgo(nowHalfHour, gf_weekHalfHour(old.parkedSlot));
            if (newAge >= oldAge)
                note(fmt::format("at {}, {} (parked {}) replaced {} (parked {}) on stand {}: not later in the week",
                                 lf_when(now.weekday, now.slot), ac.callsign, lf_when(ac.parkedSlot), old.callsign,
                                 lf_when(old.parkedSlot), gf_standName(ac.standId)));
        }
    }
}

void StaticWorld::simulatorRemovesAStatic(std::size_t index)
{
    auto& world = standin::SimWorld::instance();
    std::vector<DWORD> statics;
    for (const DWORD id : world.aliveAiObjects()) {
        const auto object = world.object(id);
        if (object && lf_staticTail(object->tailNumber))
            statics.push_back(id);
    }
    if (!statics.empty())
        world.removeObjectOnItsOwn(statics[index % statics.size()]);
    run(5);
}

void StaticWorld::liveArrivesOnAStatic(std::size_t index)
{
    std::vector<const StaticAc*> active;
    for (const StaticAc& ac : g_staticAcs) {
        if (ac.simState == SimState::active)
            active.push_back(&ac);
    }
    if (active.empty())
        return;
    const StaticAc& on = *active[index % active.size()];
    const std::uint32_t hexid = m_nextHexid++;
    m_feeds.push_back({hexid, fmt::format("SWR{}", hexid % 1000), {on.standLat, on.standLon}, m_ticks});
    run(40);
}

void StaticWorld::flyAway()
{
    standin::UserAircraftSetup user;
    const LatLon& airport = m_airports[static_cast<std::size_t>(m_airport)];
    user.latitude = airport.lat;
    user.longitude = airport.lon;
    user.onGround = false;
    user.altitudeFt = m_elevations[static_cast<std::size_t>(m_airport)] + 19000.0;
    user.groundSpeedKt = 250.0;
    standin::SimWorld::instance().moveUser(user);
    m_feeds.clear();
    m_atTheAirport = false;
}

void StaticWorld::landAt(int airport)
{
    m_airport = airport;
    standin::UserAircraftSetup user;
    user.latitude = m_airports[static_cast<std::size_t>(airport)].lat;
    user.longitude = m_airports[static_cast<std::size_t>(airport)].lon;
    user.onGround = true;
    standin::SimWorld::instance().moveUser(user);
    g_trafficReader.setReferencePosition(m_airports[static_cast<std::size_t>(airport)]);
    g_trafficReader.setReferenceElevation(m_elevations[static_cast<std::size_t>(airport)]);
    m_atTheAirport = true;
    for (int second = 0; second < kSettleSeconds && !(gf_parkFileLoaded() && staticParkingSettled()); ++second)
        run(1);
    if (!gf_parkFileLoaded())
        note(fmt::format("the park file of {} was never loaded with the user standing there", kCodes[airport]));
}

// No static record and no static object outlive the user's departure by more than a bound.
void StaticWorld::flyToTheOtherAirport()
{
    const int from = m_airport;
    flyAway();
    for (int second = 0; second < kOutOfSightSeconds && gf_parkFileLoaded(); ++second)
        run(1);
    if (gf_parkFileLoaded()) {
        note(fmt::format("{} was still the park airport {} s after the user flew away", kCodes[from],
                         kOutOfSightSeconds));
        return;
    }
    std::vector<std::string> left = lf_staticsLeft();
    for (int second = 0; second < kLeaveBoundSeconds && !left.empty(); ++second) {
        run(1);
        left = lf_staticsLeft();
    }
    if (!left.empty())
        note(fmt::format("{} s after the user left {}, {} static aircraft remained, the first: {}",
                         kLeaveBoundSeconds, kCodes[from], left.size(), left.front()));
    landAt(1 - from);
}

} // namespace statictest
