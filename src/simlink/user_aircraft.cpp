// The user aircraft's data from the simulator and the requests for it.
#include "simlink/user_aircraft.h"

#include "app/tick_state.h"
#include "core/log.h"
#include "simlink/sim_client.h"
#include "simlink/sim_dispatch.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"

#include <cmath>
#include <cstring>

std::mutex g_userAcMutex;
UserAcData g_simUserAcData;
UserAcData g_userAcData;
std::atomic<bool> g_userOnGround{false};
std::atomic<bool> g_userDataReceived{false};

namespace {

constexpr double kNoPosition = 0.0001;

bool lf_isNoPosition(double latitude, double longitude)
{
    return std::abs(latitude) <= kNoPosition && std::abs(longitude) <= kNoPosition;
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
    return lf_isNoPosition(g_simUserAcData.latitude, g_simUserAcData.longitude);
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
    lf_requestUserData(kRequestUserTitle, kDefinitionTitle, SIMCONNECT_PERIOD_ONCE,
                       "SimConnect request user ac title fails");
    lf_requestUserData(kRequestUserModel, kDefinitionAtcModel, SIMCONNECT_PERIOD_ONCE,
                       "SimConnect reques user ac model fails");
}

void lf_onUserAcReply(const SIMCONNECT_RECV_SIMOBJECT_DATA* record, DWORD size)
{
    const SimDataBlock block(record, size);
    switch (record->dwRequestID) {
    case kRequestUserOnGround: lf_onUserOnGround(block); break;
    case kRequestUserData: lf_onUserAcData(block, record->dwObjectID); break;
    default: break;
    }
}
