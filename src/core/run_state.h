// The registry of run state: every variable that a run changes and that an in-process
// restart puts back to its fresh-start value, each with a name, a reset and a printable
// snapshot. Each file registers its own variables beside their definitions, so that
// state added later is reset with the rest.
#pragma once

#include <atomic>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <iterator>
#include <optional>
#include <ranges>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include <fmt/format.h>
#include <fmt/ranges.h>

// The groups of the restart reset, in the order in which it runs them.
enum class RunStateArea {
    Traffic,   // the RealTraffic feed, its readers and link
    Simulator, // the SimConnect link, its queues and the user aircraft
    Engine,    // aircraft containers, static parking and the park airport
    Status,    // the status line and the main window's panel
    RunFlags,  // stop and exit flags, the loop's flags and counters
};

struct RunStateEntry {
    std::string name; // the variable's name in code ("g_liveAcs", "g_mainWindowState.parking")
    RunStateArea area;
    std::function<void()> reset;
    std::function<std::string()> snapshot;
};

// A part of a registration: one entry (made, or written as its fields) or a group of
// entries (RUN_STATE, RUN_STATE_LOCKED).
struct RunStateEntries {
    RunStateEntries(RunStateEntry entry);
    RunStateEntries(std::string name, RunStateArea area, std::function<void()> reset,
                    std::function<std::string()> snapshot);
    RunStateEntries(std::vector<RunStateEntry> group);

    std::vector<RunStateEntry> entries;
};

// Adds entries to the registry; defined at namespace scope beside the variables.
class RunStateRegistration {
public:
    RunStateRegistration(std::initializer_list<RunStateEntries> parts);
};

// Every registered entry, in registration order.
const std::vector<RunStateEntry>& gf_runStateEntries();
// Resets the entries of one area, or of all areas in their order.
void gf_resetRunState(RunStateArea area);
void gf_resetRunState();
// One line "name = value" per entry, sorted by name.
std::string gf_runStateSnapshot();

namespace run_state_detail {

template <class T>
struct IsAtomic : std::false_type {};
template <class T>
struct IsAtomic<std::atomic<T>> : std::true_type {};

template <class T>
struct IsOptional : std::false_type {};
template <class T>
struct IsOptional<std::optional<T>> : std::true_type {};

std::string bytesText(const void* data, std::size_t size);

// The variables' names in a macro's text of them ("g_a, g_b.c"), in order; the count
// is checked, so an expression with a comma of its own cannot shift the names.
std::vector<std::string> variableNames(std::string_view text, std::size_t count);

} // namespace run_state_detail

// A printable text of a value: numbers, texts, atomics, optionals and containers of
// printable elements as they are, other containers by their size, other plain records
// by their bytes.
template <class T>
std::string gf_stateText(const T& value)
{
    using namespace run_state_detail;
    if constexpr (IsAtomic<T>::value) {
        return gf_stateText(value.load());
    } else if constexpr (IsOptional<T>::value) {
        return value ? gf_stateText(*value) : std::string("none");
    } else if constexpr (std::is_same_v<T, std::filesystem::path>) {
        return value.string();
    } else if constexpr (std::is_enum_v<T>) {
        return fmt::format("{}", static_cast<std::underlying_type_t<T>>(value));
    } else if constexpr (std::is_pointer_v<T>) {
        return fmt::format("{}", fmt::ptr(value));
    } else if constexpr (fmt::is_formattable<T>::value) {
        return fmt::format("{}", value);
    } else if constexpr (std::ranges::range<T>) {
        return fmt::format("{} entries", std::ranges::distance(value));
    } else {
        static_assert(std::is_trivially_copyable_v<T>, "give this entry a snapshot of its own");
        return bytesText(&value, sizeof value);
    }
}

// An entry whose fresh value is the variable's value at registration, that is its
// initialiser: the reset assigns it again.
template <class T>
RunStateEntry gf_stateEntry(std::string name, RunStateArea area, T& variable)
{
    if constexpr (run_state_detail::IsAtomic<T>::value) {
        const auto fresh = variable.load();
        return {std::move(name), area, [&variable, fresh] { variable.store(fresh); },
                [&variable] { return gf_stateText(variable); }};
    } else {
        return {std::move(name), area, [&variable, fresh = variable] { variable = fresh; },
                [&variable] { return gf_stateText(variable); }};
    }
}

// An entry with its own reset; its snapshot prints the variable.
template <class T>
RunStateEntry gf_stateEntry(std::string name, RunStateArea area, T& variable, std::function<void()> reset)
{
    return {std::move(name), area, std::move(reset), [&variable] { return gf_stateText(variable); }};
}

// An entry for a variable guarded by a mutex: reset and snapshot take the lock.
template <class T, class Mutex>
RunStateEntry gf_lockedStateEntry(std::string name, RunStateArea area, T& variable, Mutex& mutex)
{
    return {std::move(name), area,
            [&variable, &mutex, fresh = variable] {
                std::lock_guard lock(mutex);
                variable = fresh;
            },
            [&variable, &mutex] {
                std::lock_guard lock(mutex);
                return gf_stateText(variable);
            }};
}

namespace run_state_detail {

template <class... T>
std::vector<RunStateEntry> stateEntries(RunStateArea area, std::string_view names, T&... variables)
{
    const std::vector<std::string> name = variableNames(names, sizeof...(T));
    std::size_t i = 0;
    return {gf_stateEntry(name[i++], area, variables)...};
}

template <class Mutex, class... T>
std::vector<RunStateEntry> lockedStateEntries(RunStateArea area, Mutex& mutex, std::string_view names,
                                              T&... variables)
{
    const std::vector<std::string> name = variableNames(names, sizeof...(T));
    std::size_t i = 0;
    return {gf_lockedStateEntry(name[i++], area, variables, mutex)...};
}

} // namespace run_state_detail

// Plain entries (gf_stateEntry) for variables of one area, each named as it is written,
// so that a name cannot drift from its variable:
// RUN_STATE(RunStateArea::Engine, g_liveAcs, g_staticAcs)
#define RUN_STATE(area, ...) run_state_detail::stateEntries(area, #__VA_ARGS__, __VA_ARGS__)
// Entries for variables of one area guarded by one mutex (gf_lockedStateEntry):
// RUN_STATE_LOCKED(RunStateArea::Simulator, g_simQueueMutex, g_createQueue, g_eventQueue)
#define RUN_STATE_LOCKED(area, mutex, ...) \
    run_state_detail::lockedStateEntries(area, mutex, #__VA_ARGS__, __VA_ARGS__)
