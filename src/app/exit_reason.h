// Why a run ended, and the one way to end it: the first reason given wins.
#pragma once

#include <atomic>
#include <cstdint>
#include <string_view>

// Numbered from 0 in this order; g_exitReason holds the number.
enum class ExitReason : std::uint32_t {
    NotYetSet, SimWasClosed, NewFlight, NewSettings, UserClosedSim, SimConnectError, ReaderError, SystemError, NewVersion
};

// The reason of the current run; 0 "NOT YET SET" until a component ends it.
// Always set before g_stopRequested is raised, so whoever sees the stop sees the reason.
extern std::atomic<std::uint32_t> g_exitReason;
// Seconds of the countdown before an in-process restart.
extern std::atomic<std::int32_t> g_restartDelaySeconds;
// The process exit code handed to PostQuitMessage when the program ends.
extern std::atomic<std::int32_t> g_exitCode;
// The exit code of a run that ended on a system error; 0 would report a failure as success.
inline constexpr std::int32_t kSystemErrorExitCode = 1;
// This run of the start-up thread is an in-process restart.
extern std::atomic<bool> g_isRestart;

// "NOT YET SET", "SIM WAS CLOSED", ...; "UNKNOWN REASON {}" for a value outside the table.
std::string_view gf_exitReasonText(std::uint32_t reason);
ExitReason gf_exitReason();
// Whether the reason restarts the run in the same process (new settings, SimConnect or reader error).
bool gf_isRestartReason(ExitReason reason);

// Ends the run with a reason and a restart delay. Only the first reason of a run is kept:
// returns true when this call's reason is the one in force.
bool gf_requestStop(ExitReason reason, std::int32_t restartDelaySeconds);
// Ends the run because the user (or production mode, or a failed start) wants the program
// to close: raises g_exitRequested and g_stopRequested, reason "USER CLOSED SIM" when none
// is set yet. Returns the previous value of g_exitRequested.
bool gf_requestUserExit();
// A restart that mends what stopped the run (the user typed the missing Community path, or
// switched the simulator): as gf_requestStop, and it also takes the place of a SYSTEM ERROR,
// which ends the shut-down's wait for the user, or of a SIMCONNECT ERROR or READER ERROR,
// whose restart would switch off the scans the switch asks for. True when this call's reason
// is the one in force.
bool gf_requestMendingRestart(ExitReason reason, std::int32_t restartDelaySeconds);
