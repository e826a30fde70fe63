// The command and result queues and their writers.
#include "simlink/sim_queues.h"
#include "core/run_state.h"

#include "simlink/sim_ids.h"
#include "simlink/sim_client.h"

#include <algorithm>

std::mutex g_simQueueMutex;
std::vector<CreateRequest> g_createQueue;
std::array<std::vector<PositionItem>, 2> g_positionQueues;
std::vector<PositionItem>* g_positionFill = &g_positionQueues[0];
std::vector<PositionItem>* g_positionSend = &g_positionQueues[1];
std::vector<EventItem> g_eventQueue;
std::vector<std::uint32_t> g_removeQueue;
std::vector<std::uint32_t> g_givenUpCreates;
std::atomic<std::uint64_t> g_simFramesDrained{0};
std::vector<SentCreate> g_sentCreates;
std::mutex g_simResultMutex;
std::vector<SimResult> g_simResults;

namespace {

constexpr std::size_t kReservedEntries = 256;

} // namespace

std::uint64_t gf_queueCreateAc(const CreateRequest& request)
{
    std::lock_guard lock(g_simQueueMutex);
    g_createQueue.push_back(request);
    return g_simFramesDrained.load();
}

bool gf_queueGivenUpCreate(std::uint32_t aircraftId)
{
    std::lock_guard lock(g_simQueueMutex);
    const auto queued = std::find_if(g_createQueue.begin(), g_createQueue.end(),
                                     [aircraftId](const CreateRequest& request) { return request.aircraftId == aircraftId; });
    if (queued != g_createQueue.end()) {
        g_createQueue.erase(queued);
        return true;
    }
    g_givenUpCreates.push_back(aircraftId);
    return false;
}

void gf_queueEvent(std::uint32_t objectId, std::uint32_t event, std::uint32_t value)
{
    std::lock_guard lock(g_simQueueMutex);
    g_eventQueue.push_back({objectId, event, value});
}

void gf_queueEngineStart(std::uint32_t objectId)
{
    gf_queueEvent(objectId, kEventEngineAutoStart, 0);
}

void gf_queueEngineShutdown(std::uint32_t objectId)
{
    gf_queueEvent(objectId, kEventEngineAutoShutdown, 0);
}

void gf_queueLights(std::uint32_t objectId, const std::array<std::uint32_t, 7>& lightValues)
{
    static constexpr std::array<std::uint32_t, 7> lightEvents = {
        kEventNavLightsSet,  kEventBeaconLightsSet, kEventLandingLightsSet, kEventTaxiLightsSet,
        kEventStrobesSet,    kEventLogoLightsSet,   kEventCabinLightsSet,
    };
    std::lock_guard lock(g_simQueueMutex);
    for (std::size_t i = 0; i < lightEvents.size(); ++i) {
        g_eventQueue.push_back({objectId, lightEvents[i], lightValues[i]});
    }
}

void gf_queueNavLights(std::uint32_t objectId, std::uint32_t value)
{
    gf_queueEvent(objectId, kEventNavLightsSet, value);
}

void gf_queueCabinLights(std::uint32_t objectId, std::uint32_t value)
{
    gf_queueEvent(objectId, kEventCabinLightsSet, value);
}

void gf_queueRemove(std::uint32_t objectId)
{
    std::lock_guard lock(g_simQueueMutex);
    g_removeQueue.push_back(objectId);
}

bool gf_swapPositionQueues()
{
    std::unique_lock lock(g_simQueueMutex, std::try_to_lock);
    if (!lock.owns_lock()) {
        g_positionFill->clear();
        return false;
    }
    std::swap(g_positionFill, g_positionSend);
    g_positionFill->clear();
    return true;
}

void gf_resetSimQueues()
{
    {
        std::lock_guard lock(g_simQueueMutex);
        for (auto& queue : g_positionQueues) {
            queue.reserve(kReservedEntries);
        }
        g_createQueue.reserve(kReservedEntries);
        g_removeQueue.reserve(kReservedEntries);
        g_sentCreates.reserve(kReservedEntries);
        g_addedObjectIds.reserve(kReservedEntries);
    }
    g_simLinkFailed.store(false);
}

void gf_pushSimResult(const SimResult& result)
{
    std::lock_guard lock(g_simResultMutex);
    g_simResults.push_back(result);
}

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE_LOCKED(RunStateArea::Simulator, g_simQueueMutex, g_createQueue, g_positionQueues, g_positionFill,
                     g_positionSend, g_eventQueue, g_removeQueue, g_givenUpCreates, g_sentCreates),
    // A clock of the simulator's frames: only its differences matter, and its value when the
    // main loop starts depends on how long the simulator ran before, so it is shown as what it is.
    {"g_simFramesDrained", RunStateArea::Simulator, [] { g_simFramesDrained.store(0); },
     [] { return std::string("a count of the frames drained"); }},
    RUN_STATE_LOCKED(RunStateArea::Engine, g_simResultMutex, g_simResults),
};

} // namespace
