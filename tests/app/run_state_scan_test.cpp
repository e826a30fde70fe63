// Every variable of the program that outlives a call is either reset by the restart (it is
// in the run-state registry) or kept on purpose (the process-lifetime list), so that state
// added later cannot escape the reset.
#include "app/app_steps.h"
#include "core/run_state.h"
#include "support/program_state.h"
#include "support/state_scan.h"
#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <algorithm>

using testsupport::ScannedVariable;

namespace {

bool lf_registered(const ScannedVariable& variable)
{
    const auto& entries = gf_runStateEntries();
    return std::any_of(entries.begin(), entries.end(), [&](const RunStateEntry& entry) {
        return entry.name == variable.name || entry.name.rfind(variable.name + ".", 0) == 0;
    });
}

bool lf_keptForTheProcess(const ScannedVariable& variable)
{
    const auto& kept = testsupport::processLifetimeEntries();
    return std::any_of(kept.begin(), kept.end(), [&](const testsupport::ProcessLifetimeEntry& entry) {
        return entry.file == variable.file && (entry.name == "*" || entry.name == variable.name);
    });
}

} // namespace

TEST(RunStateScan, FindsNamespaceAndFunctionStaticVariablesButNotConstantsOrFunctions)
{
    struct Case {
        const char* source;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"std::atomic<bool> g_a{false};\nint g_b = 1;\nstatic std::string s_c;", {"g_a", "g_b", "s_c"}},
        {"namespace {\nstd::mutex lf_m;\nconstexpr int kX = 1;\nconst std::vector<int> kList{1, 2};\n}", {"lf_m"}},
        {"void f(int a, const std::array<int, 7>& b);\nFoo::~Foo() = default;\nusing X = int;", {}},
        {"IntGuiParameter RANGE(\"RANGE\", 40, {2, 3}, 32818,\n 231);\nBoolParameter RANDOM(\"RANDOM\", true);",
         {"RANGE", "RANDOM"}},
        {"int f()\n{\n    static int calls = 0;\n    static constexpr int kMax = 3;\n    int local = 0;\n"
         "    if (local) { static std::map<int, int> seen{{1, 2}}; }\n    return calls;\n}",
         {"f::calls", "f::seen"}},
        {"struct S {\n    static int member;\n    int field = 0;\n};\ninline std::vector<int> g_inline;",
         {"g_inline"}},
        {"// int g_comment;\nconst char* g_text = \"int g_inString;\";\nvoid g(HWND w = nullptr);", {"g_text"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> names;
        for (const ScannedVariable& v : testsupport::scanStateVariables(c.source, "x.cpp")) {
            names.push_back(v.name);
        }
        EXPECT_EQ(names, c.names) << c.source;
    }
}

TEST(RunStateScan, EveryVariableOfTheProgramIsResetOrKeptOnPurpose)
{
    // Link the whole program so that every file's registration is present.
    ASSERT_NE(&lf_startUpSKWV, nullptr);
    ASSERT_NE(&mainWndProc, nullptr);
    const auto variables = testsupport::scanStateVariablesIn(SKYWEAVER_SOURCE_DIR "/src", {"standin"});
    ASSERT_GT(variables.size(), 100u);
    std::string escaped;
    for (const ScannedVariable& variable : variables) {
        if (!lf_registered(variable) && !lf_keptForTheProcess(variable)) {
            escaped += fmt::format("{}:{}: {}{}\n", variable.file, variable.line, variable.name,
                                   variable.functionStatic ? " (function-static)" : "");
        }
    }
    EXPECT_EQ(escaped, "") << "register these in the run-state registry (core/run_state.h) or, when a restart "
                              "must keep them, add them to the process-lifetime list (tests/support/program_state.cpp)";
}
