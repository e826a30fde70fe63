// Exit reasons, their texts and the first-reason-wins stop of a run.
#include "app/exit_reason.h"

#include "core/run_state.h"
#include "core/stop_flags.h"

#include <fmt/format.h>
#include <mutex>
#include <string>
#include <unordered_map>

std::atomic<std::uint32_t> g_exitReason{0};
std::atomic<std::int32_t> g_restartDelaySeconds{0};
std::atomic<std::int32_t> g_exitCode{0};
std::atomic<bool> g_isRestart{false};

namespace {

// The exit reason of the run that ended and its restart delay; whether this is a restart
// (g_isRestart) outlives the reset, for the start-up that follows.
const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::RunFlags, g_exitReason, g_restartDelaySeconds, g_exitCode),
};

struct ReasonRow {
    std::uint32_t key;
    std::string_view text;
};

constexpr ReasonRow kReasonRows[] = {
    {0, "NOT YET SET"},      {1, "SIM WAS CLOSED"},   {2, "NEW FLIGHT"},
    {3, "NEW SETTINGS"},     {4, "USER CLOSED SIM"},  {5, "SIMCONNECT ERROR"},
    {6, "READER ERROR"},     {7, "SYSTEM ERROR"},     {8, "NEW VERSION"},
};

const std::unordered_map<std::uint32_t, std::string_view>& lf_reasonTexts()
{
    static const std::unordered_map<std::uint32_t, std::string_view> texts = [] {
        std::unordered_map<std::uint32_t, std::string_view> map;
        for (const ReasonRow& row : kReasonRows) {
            map.emplace(row.key, row.text);
        }
        return map;
    }();
    return texts;
}

// Claims the run for a reason: succeeds only while no reason is set.
bool lf_claimReason(ExitReason reason, std::int32_t restartDelaySeconds)
{
    std::uint32_t expected = 0;
    if (!g_exitReason.compare_exchange_strong(expected, static_cast<std::uint32_t>(reason))) {
        return false;
    }
    g_restartDelaySeconds.store(restartDelaySeconds);
    return true;
}

} // namespace

std::string_view gf_exitReasonText(std::uint32_t reason)
{
    const auto& texts = lf_reasonTexts();
    if (const auto it = texts.find(reason); it != texts.end()) {
        return it->second;
    }
    // A value outside the table only comes from a fault; name it rather than fail.
    static std::mutex unknownMutex;
    static std::unordered_map<std::uint32_t, std::string> unknown;
    std::lock_guard lock(unknownMutex);
    auto [it, added] = unknown.try_emplace(reason);
    if (added) {
        it->second = fmt::format("UNKNOWN REASON {}", reason);
    }
    return it->second;
}

ExitReason gf_exitReason()
{
    return static_cast<ExitReason>(g_exitReason.load());
}

bool gf_isRestartReason(ExitReason reason)
{
    return reason == ExitReason::NewSettings || reason == ExitReason::SimConnectError ||
           reason == ExitReason::ReaderError;
}

bool gf_requestStop(ExitReason reason, std::int32_t restartDelaySeconds)
{
    // A stop raised without a reason (none is made by the program itself) still lets the
    // first reason in, so the shut-down never reports "NOT YET SET" for a reasoned stop.
    const bool won = lf_claimReason(reason, restartDelaySeconds);
    g_stopRequested.store(true);
    return won;
}

bool gf_requestUserExit()
{
    lf_claimReason(ExitReason::UserClosedSim, 0);
    const bool wasRequested = g_exitRequested.exchange(true);
    g_stopRequested.store(true);
    return wasRequested;
}

bool gf_requestMendingRestart(ExitReason reason, std::int32_t restartDelaySeconds)
{
    if (gf_requestStop(reason, restartDelaySeconds)) {
        return true;
    }
    for (const ExitReason mended : {ExitReason::SystemError, ExitReason::ReaderError, ExitReason::SimConnectError}) {
        auto expected = static_cast<std::uint32_t>(mended);
        if (g_exitReason.load() != expected) {
            continue;
        }
        // The delay goes first: the shut-down reads it once it sees the new reason.
        g_restartDelaySeconds.store(restartDelaySeconds);
        return g_exitReason.compare_exchange_strong(expected, static_cast<std::uint32_t>(reason));
    }
    return false;
}
