// Counters the status panel shows, written by other threads.
#pragma once

#include <atomic>
#include <cstdint>

// Liveries read from "LiveriesScanned.xml" at start-up ("# liveries: {}").
inline std::atomic<std::uint32_t> g_scannedLiveryCount{0};
