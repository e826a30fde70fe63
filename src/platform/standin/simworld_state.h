// Inside the simulated simulator: the state behind SimWorld and the steps its
// source files share. Every function here runs with the world's mutex held.
#pragma once

#include "platform/standin/simworld.h"

#include <algorithm>
#include <cctype>
#include <deque>
#include <fstream>
#include <random>
#include <set>
#include <string_view>
#include <variant>

namespace standin {

// Names of titles, events and variables compare without letter case, as the
// simulator compares them (ASCII; the same on Linux and in SimConnect.dll).
inline bool sameNoCase(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b, [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

// One record on its way to the client, kept 8-byte aligned like the real ones.
struct OutMessage {
    std::vector<std::uint64_t> words;
    DWORD size = 0;
};

struct PendingCreate {
    DWORD packetId = 0;
    DWORD requestId = 0;
    std::string title;
    std::string tailNumber;
    SIMCONNECT_DATA_INITPOSITION position{};
    int framesLeft = 0;
};

enum class QuitState { None, Queued, Delivered };

struct SimWorld::State {
    SimWorldConfig config;

    // The connection and what the client declared on it.
    bool open = false;
    std::uintptr_t handleSerial = 0;
    QuitState quitState = QuitState::None;
    int refuseOpenLeft = 0;
    int dispatchesRunning = 0;
    std::deque<OutMessage> outbox;
    DWORD lastPacketId = 0;
    std::vector<std::pair<DWORD, std::string>> subscriptions;
    std::vector<DWORD> definitionOrder;
    std::map<DWORD, std::vector<DatumSpec>> definitions;
    std::vector<std::pair<DWORD, std::string>> mappedEvents;
    std::map<DWORD, std::vector<std::pair<DWORD, bool>>> groups;
    std::map<DWORD, DWORD> groupPriorities;
    std::vector<RequestRecord> requestLog;
    std::vector<RequestRecord> onceRequests;   // answered at the next frame
    std::vector<RequestRecord> secondRequests; // answered every simulated second
    std::vector<PendingCreate> pendingCreates;
    std::map<std::string, HRESULT> failingCalls;
    std::vector<SentException> exceptions;

    // The world.
    std::map<DWORD, SimObjectRecord> objects;
    DWORD nextObjectId = kFirstAiObjectId;
    ObjectIdOrder idOrder = ObjectIdOrder::Rising;
    std::mt19937 idRandom;
    std::set<DWORD> idsHandedOut;
    std::uint64_t frame = 0;
    std::uint64_t sequence = 0;
    bool framesStopped = false;
    bool recording = true;
    std::chrono::steady_clock::time_point lastRealFrame{};
    std::ofstream trace;
};

using DatumValue = std::variant<double, std::string>;

// Records (simworld_messages.cpp).
void queueMessage(SimWorld::State& state, const void* record, std::size_t size);
void queueException(SimWorld::State& state, DWORD code, DWORD sendId, DWORD index);
void queueSystemEvent(SimWorld::State& state, const std::string& eventName, DWORD data);
void queueObjectAddRemove(SimWorld::State& state, const std::string& eventName, DWORD objectId);
void queueFileNameEvent(SimWorld::State& state, const std::string& eventName, const std::string& fileName);
void queueFrameEvent(SimWorld::State& state);
void queueAssignedObjectId(SimWorld::State& state, DWORD requestId, DWORD objectId);
void queueOpenRecord(SimWorld::State& state);
void queueQuitRecord(SimWorld::State& state);

// Variables and data blocks (simworld_data.cpp).
// Resolves the datum's variable and unit factor; false for a name the world does not know.
bool resolveDatum(DatumSpec& datum);
std::optional<DWORD> datumSize(SIMCONNECT_DATATYPE type);
DWORD blockSize(const std::vector<DatumSpec>& definition);
std::vector<std::uint8_t> buildBlock(const SimWorld::State& state, const SimObjectRecord& object,
                                        const std::vector<DatumSpec>& definition);
void queueObjectData(SimWorld::State& state, const RequestRecord& request, const SimObjectRecord& object,
                        DWORD entry, DWORD outOf);
// Writes a block into the object's variables; false when the block is too short.
bool applyBlock(SimWorld::State& state, SimObjectRecord& object, DWORD defineId, const std::uint8_t* data,
                   std::size_t size);

// The world's motion and time (simworld.cpp).
double heightAboveGround(const SimWorld::State& state, const SimObjectRecord& object);
bool objectOnGround(const SimWorld::State& state, const SimObjectRecord& object);
std::int64_t zuluSeconds(const SimWorld::State& state);
double distanceMeters(double lat1, double lon1, double lat2, double lon2);

void stepFrame(SimWorld::State& state);
void advanceRealTime(SimWorld::State& state);
SimObjectRecord* findObject(SimWorld::State& state, DWORD objectId); // 0 is the user aircraft
DWORD nextPacket(SimWorld::State& state);
// The id of a new AI object, in the world's id order.
DWORD newObjectId(SimWorld::State& state);
// Takes an AI object out of the world and announces it.
void removeObject(SimWorld::State& state, SimObjectRecord& object);

// Trace (simworld_scenario.cpp).
void writeTraceRows(SimWorld::State& state);

} // namespace standin
