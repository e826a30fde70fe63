// The command queues from the engine to the simulator and the result queue
// back, met on every simulator frame by the SimClient thread.
#pragma once

#include "platform/simconnect.h"
#include "simlink/sim_placement.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

// One AI aircraft to create.
struct CreateRequest {
    SIMCONNECT_DATA_INITPOSITION initPosition{}; // passed unchanged to the create call
    std::string callsign;                        // sent as tail number, reported back as "ATC ID"
    // Livery title, a view into the livery tables (copied from the aircraft's livery): the
    // tables are rebuilt only after the SimClient thread stopped and the queues were emptied.
    std::string_view title;
    std::uint32_t aircraftId = 0;                // hexid: live above 10000, static parked 10000 or less
};

// One position update of an AI object; the placement and the two speeds are the 64-byte
// block of the position definition.
struct PositionItem : SimPlacement {
    double verticalSpeed = 0; // feet per second
    double trueAirspeed = 0;  // knots
    std::uint32_t objectId = 0;
};
constexpr std::size_t kPositionBlockBytes = 64;
static_assert(sizeof(SimPlacement) + 2 * sizeof(double) == kPositionBlockBytes);

struct EventItem {
    std::uint32_t objectId = 0;
    std::uint32_t event = 0; // SimEventId
    std::uint32_t value = 0;
};

// A create that was sent and is not yet resolved. The link numbers its sends: the number keeps
// the order of sending, so that of two creates with one callsign the older is taken first, and
// an object is matched only to creates sent before it was announced.
struct SentCreate {
    std::uint32_t packetId = 0; // 0 when the send id could not be read
    std::uint32_t aircraftId = 0;
    std::string callsign;
    std::uint64_t sequence = 0;
    // The engine gave the creation up: an object identified for it is removed, never handed on.
    bool givenUp = false;
    std::uint64_t givenUpScan = 0; // the scan of the range under way when it was given up
};

enum class SimResultKind : std::uint32_t {
    LiveIdentified = 0,   // objectId, aircraftId, value2 = altitude above ground (ft)
    StaticIdentified = 1, // objectId, aircraftId, value2 = 0
    ObjectRemoved = 2,    // objectId
    OnGroundData = 3,     // objectId, aircraftId = SIM ON GROUND, value1 = ground altitude, value2 = above ground (ft)
    StaticCg = 4,         // objectId, value1 = static CG to ground (ft), value2 = static pitch (rad)
    Unused = 5,
    CreateFailed = 6,     // aircraftId
};

struct SimResult {
    std::uint32_t objectId = 0;
    std::uint32_t aircraftId = 0;
    std::uint32_t waitCount = 0; // 0 when pushed; the engine counts the wait of identified objects in it
    SimResultKind kind = SimResultKind::LiveIdentified;
    double value1 = 0;
    double value2 = 0;
};

// Guards the create, event and remove queues, the position pointers and the send-side
// position vector; every SimConnect call made outside the SimClient thread holds it too.
// Lock order: g_simResultMutex before g_simQueueMutex; the SimClient thread never holds both.
extern std::mutex g_simQueueMutex;
extern std::vector<CreateRequest> g_createQueue;
extern std::array<std::vector<PositionItem>, 2> g_positionQueues;
extern std::vector<PositionItem>* g_positionFill; // the engine writes here (main loop thread)
extern std::vector<PositionItem>* g_positionSend; // the frame drain sends from here
extern std::vector<EventItem> g_eventQueue;
extern std::vector<std::uint32_t> g_removeQueue;
// Hexids of creations the engine gave up after they were sent, for the frame drain to mark in
// g_sentCreates.
extern std::vector<std::uint32_t> g_givenUpCreates;
// Frames whose drain ran (the queues were sent), counted under g_simQueueMutex: a create
// queued when the count was n went out with frame n + 1. Read by the creations' wait clocks.
extern std::atomic<std::uint64_t> g_simFramesDrained;
// SimClient thread only.
extern std::vector<SentCreate> g_sentCreates;
// Guards g_simResults.
extern std::mutex g_simResultMutex;
extern std::vector<SimResult> g_simResults;

// Queue writers of the main loop thread; each holds g_simQueueMutex while it appends.
// gf_queueCreateAc returns the frames drained so far (the start of the creation's wait clock).
std::uint64_t gf_queueCreateAc(const CreateRequest& request);
// The engine gives up the creation of this live or static hexid: a create still in
// g_createQueue is taken out and never sent (true); one already sent is marked at the next
// frame, so that an object that still turns up for it is removed and never handed on (false).
bool gf_queueGivenUpCreate(std::uint32_t aircraftId);
void gf_queueEvent(std::uint32_t objectId, std::uint32_t event, std::uint32_t value);
void gf_queueEngineStart(std::uint32_t objectId);
void gf_queueEngineShutdown(std::uint32_t objectId);
// Nav, beacon, landing, taxi, strobes, logo and cabin lights, in this order.
void gf_queueLights(std::uint32_t objectId, const std::array<std::uint32_t, 7>& lightValues);
void gf_queueNavLights(std::uint32_t objectId, std::uint32_t value);
void gf_queueCabinLights(std::uint32_t objectId, std::uint32_t value);
void gf_queueRemove(std::uint32_t objectId);

// The engine's hand-over of this tick's positions: with the queue mutex free, the
// buffers swap and the new fill buffer is emptied; else this tick's positions are
// dropped. Returns whether the swap happened. Never waits.
bool gf_swapPositionQueues();

// Before the threads start: room for 256 entries in every queue, and the link's
// failure flag cleared.
void gf_resetSimQueues();

// Appends a result under g_simResultMutex; SimClient thread only, never while it
// holds g_simQueueMutex.
void gf_pushSimResult(const SimResult& result);
