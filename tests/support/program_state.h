// The state every test starts from: that of a fresh process.
//
// resetProgramState() is the one reset of the program's state for tests: the restart reset
// of the program (every registered piece of run state, gf_resetRunState) plus the entries
// that live as long as the process and that a restart keeps on purpose: the settings (back
// to their defaults, their controls forgotten), the aircraft and airport databases, the
// livery, regcode and similar-model tables with the refused titles and scan reports,
// g_dataFilesRead, g_isRestart, the user aircraft's object id and the production flag;
// the app-data paths are worked out again, the clock runs free, and readers left by an
// earlier program run end first.
//
// The test programs' main runs resetBeforeEachTest() before every test, so that no test
// depends on another's leftovers when a test program runs as one process (in any order,
// --gtest_shuffle); fixtures need not reset anything themselves.
#pragma once

#include <filesystem>
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

// Roots the stand-ins' known folders at the folder for this test (SKYWEAVER_STANDIN_ROOT)
// and creates the program's app-data folder there.
void useAppDataRoot(const std::filesystem::path& root);

// The restart reset plus the process-lifetime entries, as described above.
void resetProgramState();
// The log closed, resetProgramState() and the stand-ins back to their start
// (standin::resetStandIns).
void resetBeforeEachTest();

} // namespace testsupport
