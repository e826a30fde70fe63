// Requests that the controls' handlers hand to the main loop thread, and what the main
// loop keeps for them. All are atomic: the GUI thread sets, the main loop serves.
#pragma once

#include <atomic>
#include <cstdint>

// "Re-read": the park airports list is read again.
extern std::atomic<bool> g_rereadRequested;
// "Flush static": every static parked aircraft is removed.
extern std::atomic<bool> g_flushStaticRequested;
// The object id of the CALLSIGN_2_OBJECTID entry is looked up and shown.
extern std::atomic<bool> g_callsignLookupRequested;
// The list of callsigns that can be blocked is filled again.
extern std::atomic<bool> g_blockListRefreshRequested;
// The live aircraft with the BLOCK_CALLSIGN callsign is taken out.
extern std::atomic<bool> g_blockCallsignRequested;
// The list of aircraft without a matching livery is emptied.
extern std::atomic<bool> g_clearNoMatchRequested;
// The simulator object id found by the last callsign lookup.
extern std::atomic<std::uint32_t> g_callsignObjectId;
