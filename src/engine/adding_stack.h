// The engine's tick: simulator results in, live aircraft moved, positions handed over,
// paced creations and removals, new traffic taken from the traffic queue.
#pragma once

// One engine tick, every 10 ms on the main loop thread while the flight runs.
void lf_handleAddingStack();
// One removal per 100 ms and one creation per 500 ms to the simulator link.
void lf_moveAddingStack();
// The aircraft within range every 200 ms; the user position to RealTraffic and the user
// aircraft copy every second.
void lf_requestAcInRange();
