#include "core/version_data.h"

#include "core/log.h"
#include "core/program_version.h"

#include <charconv>
#include <cstdint>
#include <fmt/format.h>
#include <nlohmann/json.hpp>
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

std::int32_t lf_jsonInt(const nlohmann::json& object, const char* key)
{
    const auto found = object.find(key);
    if (found == object.end() || !found->is_number_integer()) {
        return 0;
    }
    if (found->is_number_unsigned()) {
        const auto value = found->get<std::uint64_t>();
        return value <= static_cast<std::uint64_t>(INT32_MAX) ? static_cast<std::int32_t>(value) : 0;
    }
    const auto value = found->get<std::int64_t>();
    return value >= INT32_MIN && value <= INT32_MAX ? static_cast<std::int32_t>(value) : 0;
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
            if (copy.front() != '{') {
                throw std::runtime_error("invalid version format");
            }
            *this = gf_versionFromJson(nlohmann::json::parse(copy));
            return;
        }
        const VersionData parsed(lf_versionNumber(groups[1]), lf_versionNumber(groups[2]),
                                 lf_versionNumber(groups[3]));
        *this = parsed;
    } catch (const std::exception& e) {
        gf_log(fmt::format("{} exception: {}", "VersionData", e.what()));
    }
}

VersionData gf_versionFromJson(const nlohmann::json& object)
{
    if (!object.is_object()) {
        return {};
    }
    return {lf_jsonInt(object, "major"), lf_jsonInt(object, "minor"), lf_jsonInt(object, "patch")};
}

std::string gf_versionString(const VersionData& version)
{
    return fmt::format("{}.{}.{}", version.major, version.minor, version.patch);
}
