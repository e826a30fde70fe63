// The test process's own memory figures, for long runs that must stay flat.
#pragma once

#include <cstddef>

namespace testsupport {

// Peak resident set size in kB ("VmHWM" of /proc/self/status); 0 when it cannot be read.
std::size_t peakRssKb();
// Bytes the allocator has handed out and not taken back (glibc's mallinfo2).
std::size_t heapInUseBytes();

} // namespace testsupport
