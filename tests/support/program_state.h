// The state every test starts from: that of a fresh process.
//
// resetProgramState() is the one reset for test fixtures: the restart reset of the
// program (every registered piece of run state, gf_resetRunState) plus the entries that
// live as long as the process and that a restart keeps on purpose: the settings (back to
// their defaults), the aircraft and airport databases, the livery and regcode tables with
// the refused titles, g_dataFilesRead and g_isRestart. Call it first in a fixture's
// constructor (or SetUp) so that no test depends on another's leftovers when a test
// binary runs as one process.
#pragma once

#include <string_view>
#include <vector>

namespace testsupport {

// A variable (or, with name "*", every variable of a source file below src/) that an
// in-process restart keeps, with the reason.
struct ProcessLifetimeEntry {
    std::string_view file;
    std::string_view name;
    std::string_view why;
};

// Every process-lifetime entry; every other variable of src/ must be in the run-state
// registry.
const std::vector<ProcessLifetimeEntry>& processLifetimeEntries();

// The restart reset plus the process-lifetime entries, as described above.
void resetProgramState();

} // namespace testsupport
