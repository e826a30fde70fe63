// The SimConnect client thread "SimClient" and the state of the one connection
// to the simulator.
#pragma once

#include "platform/simconnect.h"

#include <atomic>
#include <cstdint>
#include <stop_token>
#include <vector>

// The open connection, null while none. Set, closed and cleared by the SimClient
// thread under g_simQueueMutex; a call from another thread holds that mutex and
// skips when the handle is null.
extern HANDLE g_hSimConnect;
// Object id of the user aircraft: 2 until the first user-data reply. Object ids at
// or below it are never taken for AI objects. Kept across in-process restarts.
extern std::atomic<std::uint32_t> g_userObjectId;
// The simulator reports a running flight.
extern std::atomic<bool> g_simRunning;
// A SimConnect request failed: no further request is made and the frame drain
// discards the queues until gf_resetSimQueues.
extern std::atomic<bool> g_simLinkFailed;
// An aircraft object announced by "ObjectAdded", with the number of creates the link had sent
// by then: it can come only from one of those.
struct AddedObject {
    std::uint32_t objectId = 0;
    std::uint64_t sendsBefore = 0;
    bool operator==(const AddedObject&) const = default;
};
// Aircraft objects announced and not yet identified; SimClient thread only.
extern std::vector<AddedObject> g_addedObjectIds;

// Body of the "SimClient" thread: connects, declares the program's data and events
// and dispatches until the stop token is set (or the simulator quits).
void gf_simClientThread(std::stop_token stopToken);
// Every failed SimConnect request of the program: reports it, marks the link failed
// and ends the run with "SIMCONNECT ERROR" (restart after 9 s) when no reason is set yet.
void gf_simRequestError();
// Closes the connection when there is one; the handle becomes null.
void gf_closeSimConnect(HANDLE& handle);
