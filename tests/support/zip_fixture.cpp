#include "support/zip_fixture.h"

#include "core/zip_archive.h"
#include "support/temp_folder.h"

#include <stdexcept>

namespace testsupport {

std::string zipBytes(const std::vector<std::pair<std::string, std::string>>& entries)
{
    TempFolder folder;
    ZipArchive archive(folder.path() / "fixture.zip");
    if (!archive.open(ZipArchive::Mode::New)) {
        throw std::runtime_error("zip fixture cannot be created");
    }
    for (const auto& [name, content] : entries) {
        archive.addData(name, content);
    }
    if (!archive.close()) {
        throw std::runtime_error("zip fixture cannot be written");
    }
    return readFile(folder.path() / "fixture.zip");
}

} // namespace testsupport
