// Versions of the program and its data files: three numbers, written "{}.{}.{}".
#pragma once

#include <nlohmann/json_fwd.hpp>

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>

struct VersionData {
    std::int32_t major = 0;
    std::int32_t minor = 0;
    std::int32_t patch = 0;

    constexpr VersionData() = default;
    constexpr VersionData(std::int32_t major_, std::int32_t minor_, std::int32_t patch_)
        : major(major_), minor(minor_), patch(patch_)
    {
    }
    // Empty text gives 0.0.0; "a.b.c", or a JSON object with "major", "minor" and "patch"
    // (a missing or non-integer member reads 0). Other text is logged
    // "VersionData exception: ..." and gives 0.0.0.
    explicit VersionData(std::string_view text);

    friend constexpr auto operator<=>(const VersionData&, const VersionData&) = default;
};

// The members "major", "minor" and "patch" of a JSON object (0 when absent or not an integer).
VersionData gf_versionFromJson(const nlohmann::json& object);
std::string gf_versionString(const VersionData& version);

// The program's own version.
extern const VersionData g_programVersion;
