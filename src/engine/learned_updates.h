// The number of learned changes since the park file was read: new learned uses of stands,
// stand radii and cargo flags changed by what live aircraft showed. The count belongs to the
// main loop thread: every call below throws std::runtime_error on any other thread and
// changes nothing; the status panel shows a copy of it.
#pragma once

#include <cstdint>

// The count.
std::uint32_t gf_learnedUpdates();
// Counts one learned change and shows the new count in the status panel.
void gf_addLearnedUpdate();
// Back to 0, for a park file just read.
void gf_clearLearnedUpdates();
