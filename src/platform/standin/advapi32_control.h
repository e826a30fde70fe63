// Control of the advapi32 stand-in for tests.
#pragma once

#include <optional>

namespace standin {

// Overrides whether the process counts as elevated (default: it runs as root).
void setElevated(std::optional<bool> elevated);
// While set, OpenProcessToken fails with ERROR_ACCESS_DENIED.
void setTokenQueryFails(bool fail);

} // namespace standin
