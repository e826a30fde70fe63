// Folder housekeeping.
#include "core/folders.h"

#include "core/log.h"
#include "core/path_text.h"
#include "core/text_strings.h"

#include <fmt/format.h>

namespace fs = std::filesystem;

namespace {

bool lf_hasExtension(const fs::path& file, std::string_view extension)
{
    return gf_equalsNoCase(path_to_utf8(file.extension()), extension);
}

// Removes the regular files of a folder that pass the filter; logs what fails.
template <typename Filter>
void lf_removeFiles(const fs::path& folder, std::string_view caller, Filter keepOut)
{
    try {
        std::error_code error;
        if (!fs::is_directory(folder, error)) {
            return;
        }
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            if (!entry.is_regular_file() || keepOut(entry.path())) {
                continue;
            }
            if (!fs::remove(entry.path(), error) && error) {
                gf_log(fmt::format("Failed to remove {} ({})", path_to_utf8(entry.path()), error.message()));
            }
        }
    } catch (const std::exception& e) {
        gf_log(fmt::format("{} exception: {}", caller, e.what()));
    }
}

} // namespace

void gf_removeFilesFromDirectory(const fs::path& folder)
{
    lf_removeFiles(folder, "gf_removeFilesFromDirectory", [](const fs::path&) { return false; });
}

void gf_removeXMLFilesFromDirectory()
{
    lf_removeFiles("tblo", "gf_removeXMLFilesFromDirectory",
                   [](const fs::path& file) { return !lf_hasExtension(file, ".XML"); });
}

bool gf_dirHasEntries(const fs::path& folder)
{
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        return false;
    }
    const fs::directory_iterator first(folder, error);
    return !error && first != fs::directory_iterator();
}

std::vector<std::string> gf_listMyThirdpartyFiles()
{
    std::vector<std::string> stems;
    stems.reserve(512);
    const fs::path folder = fs::path("airports") / "my_thirdparty";
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        return stems;
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        if (entry.is_regular_file(error) && lf_hasExtension(entry.path(), ".XML")) {
            stems.push_back(path_to_utf8(entry.path().stem()));
        }
    }
    return stems;
}

std::optional<fs::path> gf_findFirstFileWithExtension(const fs::path& folder, std::string_view extension)
{
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error), end;
         !error && it != end; it.increment(error)) {
        if (it->is_regular_file(error) && lf_hasExtension(it->path(), extension)) {
            return it->path();
        }
    }
    return std::nullopt;
}

bool gf_pathExists(const std::filesystem::path& path)
{
    std::error_code ec;
    const bool exists = std::filesystem::exists(path, ec);
    if (ec) {
        throw std::filesystem::filesystem_error("exists", path, ec);
    }
    return exists;
}
