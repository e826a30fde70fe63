#include "parking/static_parking.h"
#include "core/run_state.h"

#include "app/tick_state.h"
#include "core/airport_settings.h"
#include "core/clock.h"
#include "core/log.h"
#include "core/settings.h"
#include "core/time_text.h"
#include "engine/learned_updates.h"
#include "engine/stand_lookup.h"
#include "parking/apf.h"
#include "parking/apf_sources.h"
#include "parking/first_park_airport.h"
#include "parking/park_airport.h"
#include "parking/park_adjustment.h"
#include "parking/park_airports.h"
#include "parking/park_file_load.h"
#include "parking/park_load_backoff.h"
#include "parking/stand.h"
#include "parking/static_park_plan.h"
#include "platform/win32.h"
#include "refdata/airport_db.h"
#include "simlink/user_aircraft.h"
#include "traffic/traffic_reader.h"
#include "ui/busy_state.h"
#include "ui/control_actions.h"
#include "ui/main_window.h"
#include "ui/panel_repaint.h"
#include "ui/status_line.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

std::atomic<bool> g_parkReloadPending{false};

namespace {

LatLon lf_parkAirportPosition()
{
    return {g_parkAirportLat.load(), g_parkAirportLon.load()};
}

std::string lf_parkAirportLabel()
{
    const Airport* airport = gf_findAirport(g_parkAirport);
    return airport == nullptr ? g_parkAirport : gf_airportLabel(*airport);
}

void lf_enableParkAirportControl()
{
    if (DESTINATION.hwnd != nullptr)
        EnableWindow(DESTINATION.hwnd, TRUE);
}

void lf_enableStaticControls(bool enable)
{
    for (const GuiButton* button : {&BUTTON_NOW, &BUTTON_FLUSH_STATIC}) {
        if (button->hwnd != nullptr)
            EnableWindow(button->hwnd, enable ? TRUE : FALSE);
    }
}

void lf_startStaticParkCalc()
{
    gf_showMessage("Calculating static parked aircraft ...", false);
    gf_setBusy();
}

bool lf_withinSight(double distance)
{
    return distance <= AIRP_RANGE.value && g_userAcData.altitudeAboveGround <= AIRP_HEIGHT.value;
}

// The park airport heads the list with the user's stand; an entry further down moves up.
void lf_putParkAirportFirst(const std::string& userStand)
{
    if (!g_parkAirports.empty() && g_parkAirports.front().icao == g_parkAirport) {
        if (!userStand.empty() && g_parkAirports.front().stand != userStand) {
            g_parkAirports.front().stand = userStand;
            gf_addToParkAirportsFile();
        }
        return;
    }
    const auto it = std::find_if(g_parkAirports.begin(), g_parkAirports.end(),
                                 [](const ParkAirport& entry) { return entry.icao == g_parkAirport; });
    if (it != g_parkAirports.end()) {
        g_parkAirports.splice(g_parkAirports.begin(), g_parkAirports, it);
        if (!userStand.empty())
            g_parkAirports.front().stand = userStand;
    } else {
        const LatLon position = lf_parkAirportPosition();
        g_parkAirports.push_front({g_parkAirport, userStand, position.lat, position.lon, 0.0});
    }
    gf_publishFirstParkAirport();
    gf_addToParkAirportsFile();
}

void lf_publishParkAirport(const std::string& reservedStand)
{
    {
        std::lock_guard lock(g_mainWindowState.parkTextMutex);
        g_mainWindowState.parking.airport = lf_parkAirportLabel();
        g_mainWindowState.parking.name1 = g_parkFileHeader.airportName;
        g_mainWindowState.parking.stands = static_cast<std::int32_t>(g_stands.size());
    }
    gf_showReservedStand(reservedStand);
}

// An archived park file is fetched off the main loop first; it is read on a later pass, once
// it is in or its fetch failed (the read then reports why).
bool lf_parkFileArrived()
{
    std::string reference;
    try {
        reference = gf_archivedStockFileExists(g_parkAirport);
    } catch (const std::exception&) {
        return true;
    }
    return reference.empty() || reference.rfind(kAirportsPrefix, 0) == 0 || gf_fetchApf(reference).has_value();
}

// The park file could not be read: the airport rests for a while, the first failure is logged.
void lf_parkFileFailed(const std::string& status)
{
    gf_setIdle();
    gf_showMessage(status, gf_noteParkLoadFailure(g_parkAirport));
    lf_resetParkAirport();
}

void lf_clearPanelAirport()
{
    {
        std::lock_guard lock(g_mainWindowState.parkTextMutex);
        g_mainWindowState.parking = {};
    }
    gf_repaintParkingBand();
}

} // namespace

void gf_leaveParkAirport()
{
    gf_removeGroundAircraft();
    lf_resetParkAirport();
}

bool gf_parkFileLoaded()
{
    return g_mainWindowState.parkFileLoaded.load();
}

void gf_setParkFileLoaded(bool loaded)
{
    if (g_mainWindowState.parkFileLoaded.exchange(loaded) != loaded) {
        gf_repaintControlArea();
    }
}

bool gf_parkAirportHasStands()
{
    return !g_parkAirport.empty() && !g_stands.empty();
}

void gf_updateStaticParking(bool /*firstCall*/)
{
    // While the park file is on its way the calculation counts as running.
    if (g_busy.load() && g_staticParkEntries.empty() && !g_parkReloadPending.load()) {
        gf_setIdle();
        gf_clearMessage();
        gf_countStaticParked(true);
    }
    gf_applyParkAirportRequests();
    if (!g_parkReloadPending.load()) {
        const LatLon user{g_userAcData.latitude, g_userAcData.longitude};
        if (!g_userDataReceived.load() || (std::abs(user.lat) <= 0.0001 && std::abs(user.lon) <= 0.0001))
            return;
        lf_sortParkAirports(user);
        if (!g_parkAirport.empty())
            lf_checkParkAirportInSight(user);
        else
            lf_userAcAirportInSight(user);
        return;
    }
    if (!lf_parkFileArrived())
        return;
    gf_clearMessage();
    g_parkReloadPending.store(false);
    const std::string status = lf_readParkedFile();
    if (status.empty()) {
        g_staticParkingCountdown.store(20);
        lf_calcParkPositions();
    } else {
        lf_parkFileFailed(status);
    }
    lf_enableParkAirportControl();
    gf_flushLog();
}

void lf_userAcAirportInSight(const LatLon& user)
{
    if (!g_userOnGround.load()) {
        lf_enableParkAirportControl();
        if (g_parkAirports.empty())
            return;
        const ParkAirport& first = g_parkAirports.front();
        if (lf_withinSight(first.distance) && !gf_parkLoadBackedOff(first.icao) && lf_setParkAirport(first.icao)) {
            gf_showMessage(fmt::format("{} in sight at {:.1F} nm", first.icao, first.distance), true);
            g_parkReloadPending.store(true);
            lf_startStaticParkCalc();
        }
        return;
    }
    bool undecided = false;
    const Airport* closest = gf_findClosestAirport(user, undecided);
    if (undecided || (closest != nullptr && gf_parkLoadBackedOff(closest->code)))
        return;
    if (closest == nullptr) {
        gf_showMessage("User aircraft on the ground, no RT supported airport in sight", false);
        return;
    }
    if (gf_archivedStockFileExists(closest->code).empty()) {
        gf_showMessage(fmt::format("User aircraft on the ground at {}, no airport file found", closest->code), false);
        return;
    }
    gf_log(fmt::format("User aircraft on the ground at {}", closest->code));
    if (lf_setParkAirport(closest->code)) {
        g_parkReloadPending.store(true);
        lf_startStaticParkCalc();
    }
}

void lf_checkParkAirportInSight(const LatLon& user)
{
    if (g_userOnGround.load())
        return;
    const double distance = gf_distanceNm(user, lf_parkAirportPosition());
    if (!lf_withinSight(distance)) {
        gf_log(fmt::format("\n{} {} is out of sight ({:.1F} nm), parked aircraft will be removed",
                           gf_timeText(clk::utcNowSeconds()), lf_parkAirportLabel(), distance));
        gf_leaveParkAirport();
        return;
    }
    if (g_parkAirports.empty() || g_parkAirports.front().icao == g_parkAirport)
        return;
    const ParkAirport& other = g_parkAirports.front();
    if (lf_withinSight(other.distance) && other.distance <= distance) {
        gf_log(fmt::format("\n{} {} is in sight ({:.1F} nm), parked aircraft at {} will be removed first",
                           gf_timeText(clk::utcNowSeconds()), other.icao, other.distance, lf_parkAirportLabel()));
        gf_leaveParkAirport();
    }
}

bool lf_setParkAirport(const std::string& icao)
{
    const Airport* airport = gf_findAirport(icao);
    if (airport == nullptr)
        return false;
    g_parkAirport = airport->code;
    g_parkAirportIata = airport->iata;
    g_parkAirportSet = false;
    g_parkAirportLat = airport->lat;
    g_parkAirportLon = airport->lon;
    g_parkAirportElevation = airport->alt;
    g_parkAirportSet = true;
    g_trafficReader.setReferenceElevation(airport->alt);
    gf_log(fmt::format("\nThe park airport is {}", gf_airportLabel(*airport)));
    return true;
}

std::string lf_readParkedFile()
{
    gf_clearParkPositions();
    if (!gf_isKnownAirport(g_parkAirport))
        return fmt::format("{} {} not found", "lf_readParkedFile", g_parkAirport);
    g_parkFileHeader = {};
    try {
        const std::string status = gf_readApf(gf_archivedStockFileExists(g_parkAirport), g_parkFileHeader);
        if (!status.empty())
            return status;
    } catch (const std::exception& e) {
        return fmt::format("{}: {}", "lf_readParkedFile", e.what());
    }
    const std::string userStand =
        g_userDataReceived.load() ? gf_nearestStandName({g_userAcData.latitude, g_userAcData.longitude}) : "";
    lf_putParkAirportFirst(userStand);
    const std::string& listed = g_parkAirports.front().stand;
    if (!listed.empty() && gf_standById(listed) != nullptr)
        g_reservedStand = listed;
    else
        g_reservedStand.clear();
    lf_publishParkAirport(g_reservedStand);
    gf_clearLearnedUpdates();
    return {};
}

void lf_resetParkAirport()
{
    if (gf_parkFileLoaded()) {
        gf_applyAirportSettings();
        if (!g_keepLearnedFile)
            lf_saveLearnedApf();
    }
    g_apfHandmade = false;
    gf_setParkFileLoaded(false);
    lf_enableStaticControls(false);
    g_parkAirportSet = false;
    g_parkAirport.clear();
    g_parkAirportIata.clear();
    g_parkAirportLat = 0.0;
    g_parkAirportLon = 0.0;
    g_parkAirportElevation = 0.0;
    g_trafficReader.clearReferenceElevation();
    lf_clearPanelAirport();
    gf_clearAdjustmentLists();
    g_staticParkEntries.clear();
    gf_clearParkPositions();
}

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::Engine, g_parkReloadPending),
};

} // namespace
