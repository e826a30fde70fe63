// Writing a file under a temporary name and renaming it over the file it replaces.
#include "core/file_replace.h"

#include "core/log.h"
#include "core/path_text.h"

#include <fmt/format.h>

#include <exception>
#include <system_error>

std::filesystem::path gf_temporaryNameFor(const std::filesystem::path& target)
{
    std::filesystem::path temporary = target;
    temporary += ".tmp";
    return temporary;
}

bool gf_replaceFile(const std::filesystem::path& target, const std::function<bool(const std::filesystem::path&)>& write)
{
    const std::filesystem::path temporary = gf_temporaryNameFor(target);
    std::error_code ec;
    bool written = false;
    try {
        written = write(temporary);
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("{} exception: {}", "gf_replaceFile", e.what()));
    }
    if (written) {
        std::filesystem::rename(temporary, target, ec);
        if (!ec) {
            return true;
        }
        gf_logMarked(fmt::format("rename {} -> {} failed: {}", path_to_utf8(temporary), path_to_utf8(target),
                                 ec.message()));
    } else {
        gf_logMarked(fmt::format("write {} failed", path_to_utf8(temporary)));
    }
    std::filesystem::remove(temporary, ec);
    return false;
}
