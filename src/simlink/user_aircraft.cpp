// The user aircraft's data block from the simulator, the once-per-simulator-second
// signal, the teleport rule, the simulator's UTC time and the requests for them.
#include "simlink/user_aircraft.h"
#include "core/run_state.h"

#include "app/exit_reason.h"
#include "app/tick_state.h"
#include "core/geo.h"
#include "core/log.h"
#include "core/traffic_time.h"
#include "simlink/sim_client.h"
#include "simlink/sim_dispatch.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "ui/sim_panel_state.h"

#include <cmath>
#include <cstring>

std::mutex g_userAcMutex;
UserAcData g_simUserAcData;
UserAcData g_userAcData;
std::atomic<bool> g_userOnGround{false};
std::atomic<bool> g_userDataReceived{false};
std::atomic<std::int64_t> g_simEpochTime{0};
std::atomic<double> g_userHalfSpan{0.0};

namespace {

constexpr double kNoPosition = 0.0001;
constexpr double kTeleportNm = 10.0;

// Position of the previous user block, for the teleport rule (SimClient thread).
LatLon lf_previousPosition;

bool lf_isNoPosition(const LatLon& position)
{
    return std::abs(position.lat) <= kNoPosition && std::abs(position.lon) <= kNoPosition;
}

// Reply to request 108, every simulator second.
void lf_onUserOnGround(const SimDataBlock& block)
{
    if (!gf_simUserPositionUnknown()) {
        if (const auto onGround = block.int64(0)) {
            g_userOnGround.store(*onGround != 0);
        }
        g_userDataReceived.store(true);
    }
    g_newSecond.exchange(true);
}

// A jump of more than 10 nm between two known positions is a new flight.
void lf_checkTeleport(const LatLon& position)
{
    if (!lf_isNoPosition(lf_previousPosition) && !lf_isNoPosition(position) &&
        gf_distanceNm(lf_previousPosition, position) > kTeleportNm) {
        gf_log("Teleport");
        gf_requestStop(ExitReason::NewFlight, 0);
    }
    lf_previousPosition = position;
}

// Reply to request 109.
void lf_onUserAcData(const SimDataBlock& block, std::uint32_t objectId)
{
    if (block.size() < sizeof(UserAcData)) {
        return;
    }
    UserAcData data;
    std::memcpy(&data, block.bytes(), sizeof(data));
    data.altitude = std::max(data.altitude, 0.0);
    {
        std::lock_guard lock(g_userAcMutex);
        g_simUserAcData = data;
    }
    lf_checkTeleport({data.latitude, data.longitude});
    if (g_rtEditionProf.load()) {
        g_simEpochTime.store(gf_zuluEpochSeconds(data.zuluDayOfYear, data.zuluYear, data.zuluTime));
    }
    g_userObjectId.store(objectId);
}

bool lf_requestUserData(SimRequestId request, SimDefinitionId definition, SIMCONNECT_PERIOD period,
                        const char* failureLine)
{
    if (g_hSimConnect == nullptr) {
        return false;
    }
    if (SimConnect_RequestDataOnSimObject(g_hSimConnect, request, definition, SIMCONNECT_OBJECT_ID_USER, period, 0,
                                          0, 0, 0) < 0) {
        gf_logMarked(failureLine);
        gf_simRequestError();
        return false;
    }
    return true;
}

} // namespace

bool gf_simUserPositionUnknown()
{
    std::lock_guard lock(g_userAcMutex);
    return lf_isNoPosition({g_simUserAcData.latitude, g_simUserAcData.longitude});
}

std::int64_t gf_zuluEpochSeconds(std::int64_t dayOfYear, std::int64_t year, std::int64_t secondOfDay)
{
    const std::int64_t c = (year - 1) / 100;
    const auto days = dayOfYear + static_cast<std::int64_t>(std::floor(365.25 * static_cast<double>(year - 1))) - c +
                      c / 4 - 719163;
    return days * 86400 + secondOfDay;
}

UserAcData gf_requestUserAcData()
{
    std::lock_guard lock(g_simQueueMutex);
    if (!g_simLinkFailed.load()) {
        lf_requestUserData(kRequestUserData, kDefinitionUserData, SIMCONNECT_PERIOD_ONCE,
                           "SimConnect request user ac position fails");
    }
    std::lock_guard userLock(g_userAcMutex);
    return g_simUserAcData;
}

void gf_requestUserAcTitleModel()
{
    std::lock_guard lock(g_simQueueMutex);
    if (lf_requestUserData(kRequestUserTitle, kDefinitionTitle, SIMCONNECT_PERIOD_ONCE,
                           "SimConnect request user ac title fails")) {
        lf_requestUserData(kRequestUserModel, kDefinitionAtcModel, SIMCONNECT_PERIOD_ONCE,
                           "SimConnect reques user ac model fails");
    }
}

void lf_onUserAcReply(const SIMCONNECT_RECV_SIMOBJECT_DATA* record, DWORD size)
{
    const SimDataBlock block(record, size);
    switch (record->dwRequestID) {
    case kRequestUserTitle: lf_onUserAcTitle(block.variableText(0)); break;
    case kRequestUserModel: lf_onUserAcModel(block.fixedText(0, 32)); break;
    case kRequestUserOnGround: lf_onUserOnGround(block); break;
    case kRequestUserData: lf_onUserAcData(block, record->dwObjectID); break;
    default: break;
    }
}

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE_LOCKED(RunStateArea::Simulator, g_userAcMutex, g_simUserAcData),
    RUN_STATE(RunStateArea::Simulator, g_userAcData, g_userOnGround, g_userDataReceived, g_simEpochTime, g_userHalfSpan,
              lf_previousPosition),
};

} // namespace
