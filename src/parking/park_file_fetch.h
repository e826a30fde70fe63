// Downloads of park files off the main loop thread: one worker thread takes the asked fetches
// in turn and keeps each outcome until it is taken or forgotten.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>

// The outcome of the fetch under the key: nothing while it waits or runs (the first ask queues
// the work), then the status text the work gave, empty on success.
std::optional<std::string> gf_fetchOutcome(const std::string& key, const std::function<std::string()>& work);
// The outcome under the key, forgotten with it so the next ask fetches again; nothing when
// there is no finished fetch.
std::optional<std::string> gf_takeFetchOutcome(const std::string& key);
// Raised while the fetches are being cancelled; the downloads of the work test it.
const std::atomic<bool>& gf_fetchCancelFlag();
// Cancels what is queued or running, waits until the worker is idle and forgets every outcome
// (also the restart reset).
void gf_resetFetches();
