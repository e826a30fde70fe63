// The registry of run state and the reset that runs through it.
#include "core/run_state.h"

#include "core/text_strings.h"

#include <algorithm>
#include <stdexcept>

namespace {

// Built on first use: registrations run during static initialisation, in any file order.
std::vector<RunStateEntry>& lf_registry()
{
    static std::vector<RunStateEntry> entries;
    return entries;
}

constexpr RunStateArea kAreaOrder[] = {RunStateArea::Traffic, RunStateArea::Simulator, RunStateArea::Engine,
                                       RunStateArea::Status, RunStateArea::RunFlags};

} // namespace

RunStateEntries::RunStateEntries(RunStateEntry entry) : entries{std::move(entry)} {}

RunStateEntries::RunStateEntries(std::string name, RunStateArea area, std::function<void()> reset,
                                 std::function<std::string()> snapshot)
    : entries{{std::move(name), area, std::move(reset), std::move(snapshot)}}
{
}

RunStateEntries::RunStateEntries(std::vector<RunStateEntry> group) : entries(std::move(group)) {}

RunStateRegistration::RunStateRegistration(std::initializer_list<RunStateEntries> parts)
{
    auto& registry = lf_registry();
    for (const RunStateEntries& part : parts) {
        registry.insert(registry.end(), part.entries.begin(), part.entries.end());
    }
}

const std::vector<RunStateEntry>& gf_runStateEntries()
{
    return lf_registry();
}

void gf_resetRunState(RunStateArea area)
{
    for (const RunStateEntry& entry : lf_registry()) {
        if (entry.area == area) {
            entry.reset();
        }
    }
}

void gf_resetRunState()
{
    for (RunStateArea area : kAreaOrder) {
        gf_resetRunState(area);
    }
}

std::string gf_runStateSnapshot()
{
    std::vector<std::string> lines;
    lines.reserve(lf_registry().size());
    for (const RunStateEntry& entry : lf_registry()) {
        lines.push_back(fmt::format("{} = {}\n", entry.name, entry.snapshot()));
    }
    std::sort(lines.begin(), lines.end());
    std::string text;
    for (const std::string& line : lines) {
        text += line;
    }
    return text;
}

namespace run_state_detail {

std::vector<std::string> variableNames(std::string_view text, std::size_t count)
{
    std::vector<std::string> names = gf_split(text, ',');
    if (names.size() != count) {
        throw std::logic_error(fmt::format("run-state names \"{}\" are not {} variables", text, count));
    }
    return names;
}

std::string bytesText(const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::string text;
    text.reserve(size * 2);
    for (std::size_t i = 0; i < size; ++i) {
        text += fmt::format("{:02x}", bytes[i]);
    }
    return text;
}

} // namespace run_state_detail
