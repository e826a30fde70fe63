// The thread that runs the main loop: the start-up thread of the current run, which becomes
// the main loop. State that belongs to the main loop alone checks its caller against it.
#pragma once

#include <string_view>

// The calling thread is the main loop thread while this lives (the start-up thread's run).
class MainLoopClaim {
public:
    MainLoopClaim();
    ~MainLoopClaim();
    MainLoopClaim(const MainLoopClaim&) = delete;
    MainLoopClaim& operator=(const MainLoopClaim&) = delete;
};

// Throws std::runtime_error naming the state when the caller is not the main loop thread,
// so that a use from another thread is a logged fault instead of a silent data race. While
// no run holds the main loop, the first thread to use such state holds it (a test that
// drives the engine itself).
void gf_requireMainLoopThread(std::string_view state);
// No thread holds the main loop any more, as at process start; for a process that runs
// the program again after a run has ended (tests).
void gf_forgetMainLoopThread();
