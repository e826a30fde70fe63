// The detached threads of the two UDP readers: started with a count of the running ones,
// so that the process can wait for them before it exits.
#pragma once

#include <chrono>
#include <functional>

// Runs the reader's thread procedure on a detached thread, counted as running until the
// procedure has returned.
void gf_startReaderThread(std::function<void()> procedure);

// Asks both readers to stop and waits at most the limit for their threads to end, so that
// no reader wakes after the program's globals are gone. True when both have ended.
bool gf_waitForReadersToEnd(std::chrono::milliseconds limit = std::chrono::seconds(2));
