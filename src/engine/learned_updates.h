// The number of learned changes since the park file was read: new learned uses of stands,
// stand radii and cargo flags changed by what live aircraft showed (main loop thread).
#pragma once

#include <cstdint>

inline std::uint32_t g_learnedUpdates = 0;

// Counts one learned change and shows the new count in the status panel.
void gf_addLearnedUpdate();
