// Manual and automatic traffic range.
#include "ui/range_control.h"
#include "core/run_state.h"

#include "core/airport_settings.h"
#include "core/geo.h"
#include "core/settings.h"
#include "parking/first_park_airport.h"
#include "simlink/user_aircraft.h"
#include "ui/control_actions.h"
#include "ui/status_line.h"

#include <array>
#include <cmath>
#include <mutex>
#include <optional>
#include <utility>

namespace {

// The range chosen by hand, kept while AUTO_RANGE decides.
std::atomic<std::int32_t> lv_manualRange{0};
std::atomic<bool> lv_manualRangeKept{false};

// Distance to the park airport when none is loaded.
constexpr double kNoParkAirportNm = 10000.0;

// Rounded distance to the park airport -> range, tested from the top.
constexpr std::array<std::pair<long, std::int32_t>, 9> kRangeByDistance{{
    {33, 35}, {28, 30}, {23, 25}, {19, 20}, {17, 18}, {15, 16}, {13, 14}, {11, 12}, {9, 10}}};

// Distance to the first airport of the park airports list, as the main loop published it.
double lf_parkAirportDistanceNm(double userLat, double userLon)
{
    const std::optional<LatLon> first = gf_firstParkAirportPosition();
    if (!first) {
        return kNoParkAirportNm;
    }
    return gf_distanceNm(LatLon{userLat, userLon}, *first);
}

} // namespace

std::int32_t gf_autoRangeNm(bool onGround, double altitudeFt, double parkAirportNm)
{
    if (onGround) {
        return 10;
    }
    if (altitudeFt > AR_ABOVE_HEIGHT.value) {
        return 100;
    }
    if (altitudeFt > AIRP_HEIGHT.value) {
        return 40;
    }
    if (parkAirportNm <= 7.0) {
        return 10;
    }
    if (parkAirportNm >= 37.0) {
        return 40;
    }
    const long rounded = std::lround(parkAirportNm);
    for (const auto& [atLeast, range] : kRangeByDistance) {
        if (rounded >= atLeast) {
            return range;
        }
    }
    return 8;
}

void gf_autoRange()
{
    UserAcData user;
    {
        const std::lock_guard lock(g_userAcMutex);
        user = g_simUserAcData;
    }
    const double distance = lf_parkAirportDistanceNm(user.latitude, user.longitude);
    gf_setRangeNm(gf_autoRangeNm(g_userOnGround.load(), user.altitude, distance));
}

void gf_pickManualRange(std::int32_t nm)
{
    lv_manualRangeKept = true;
    lv_manualRange = nm;
    gf_setRangeNm(nm);
}

void gf_applyRange()
{
    if (!lv_manualRangeKept.exchange(true)) {
        lv_manualRange = RANGE.value.load();
    }
    if (AUTO_RANGE.value) {
        lv_manualRange = RANGE.value.load();
        gf_autoRange();
    } else {
        gf_setRangeNm(lv_manualRange.load());
        gf_clearMessage();
    }
    EnableWindow(RANGE.hwnd, AUTO_RANGE.value ? FALSE : TRUE);
}

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::Status, lv_manualRange, lv_manualRangeKept),
};

} // namespace
