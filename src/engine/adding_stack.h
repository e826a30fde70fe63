// The engine's tick: simulator results in, live aircraft moved, positions handed over,
// paced creations and removals, new traffic taken from the traffic queue.
#pragma once

#include <cstdint>

// One engine tick, every 10 ms on the main loop thread while the flight runs.
void lf_handleAddingStack();
// One removal per 100 ms and one creation per 500 ms to the simulator link.
void lf_moveAddingStack();
// The aircraft within range every 200 ms; the user position to RealTraffic and the user
// aircraft copy every second.
void lf_requestAcInRange();
// The radius of that request: the range and a margin, so the object of an aircraft created at
// the edge of the range (the simulator measures distances its own way; the user moves on) is
// still read and identified, up to the simulator's largest radius.
std::uint32_t gf_scanRadiusMeters();
