#include "core/version_data.h"

#include "core/log.h"
#include "core/program_version.h"

#include <charconv>
#include <fmt/format.h>
#include <regex>
#include <stdexcept>

namespace {

std::int32_t lf_versionNumber(const std::string& digits)
{
    std::int32_t number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size()) {
        throw std::runtime_error("parse error in version string");
    }
    return number;
}

} // namespace

constinit const VersionData g_programVersion{kProgramVersionMajor, kProgramVersionMinor, kProgramVersionPatch};

VersionData::VersionData(std::string_view text)
{
    if (text.empty()) {
        return;
    }
    try {
        static const std::regex pattern(R"((\d+)\.(\d+)\.(\d+))");
        const std::string copy(text);
        std::smatch groups;
        if (!std::regex_match(copy, groups, pattern)) {
            throw std::runtime_error("invalid version format");
        }
        const VersionData parsed(lf_versionNumber(groups[1]), lf_versionNumber(groups[2]),
                                 lf_versionNumber(groups[3]));
        *this = parsed;
    } catch (const std::exception& e) {
        gf_log(fmt::format("{} exception: {}", "VersionData", e.what()));
    }
}

std::string gf_versionString(const VersionData& version)
{
    return fmt::format("{}.{}.{}", version.major, version.minor, version.patch);
}
