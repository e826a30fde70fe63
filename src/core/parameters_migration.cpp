// Version migration of the settings file and clean-up of what older versions left behind.
#include "core/parameters_migration.h"

#include "core/log.h"
#include "core/parameters_xml.h"
#include "core/path_text.h"
#include "core/program_folders.h"
#include "core/settings.h"
#include "core/version_data.h"

#include <array>
#include <filesystem>
#include <fmt/format.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The oldest stored version whose settings can still be converted.
constexpr VersionData kOldestMigratable{11, 0, 2};

void lf_removeParameters(std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        lf_removeParameter(name);
    }
}

void lf_removeFileIfExists(const fs::path& path)
{
    if (fs::exists(path)) {
        fs::remove(path);
    }
}

void lf_removeFolderIfExists(const fs::path& path)
{
    if (fs::exists(path)) {
        fs::remove_all(path);
    }
}

std::size_t lf_characterCount(const std::string& text)
{
    std::size_t count = 0;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++count;
        }
    }
    return count;
}

// Old versions kept one "XXXX.xml" file per airport in the working folder.
void lf_removeOldAirportFiles()
{
    const fs::path workingFolder = fs::current_path();
    gf_log(path_to_utf8(workingFolder));
    std::vector<fs::path> oldFiles;
    for (const fs::directory_entry& entry : fs::directory_iterator(workingFolder)) {
        const fs::path& path = entry.path();
        if (entry.is_regular_file() && path_to_utf8(path.extension()) == ".xml" &&
            lf_characterCount(path_to_utf8(path.stem())) == 4) {
            oldFiles.push_back(path);
        }
    }
    for (const fs::path& path : oldFiles) {
        fs::remove(path);
    }
}

void lf_removeObsoleteData()
{
    lf_removeParameters({"CALLSIGN_OBJECTIDS", "PARK_FAKE", "SUPPRESS_STUB", "LOG", "LEARN_SOFT"});
    lf_removeFileIfExists("Callsign2ObjectId.txt");
    lf_removeParameters({"PROGRAM_INSTALL_PATH", "LATERAL_RANGE", "CUSTOM_MAX_PARK", "MAX_LIVE", "AIRPORT_RANGE",
                         "AUTO_RANGE_ABOVE_HEIGHT", "AIRPORT_HEIGHT", "MSFS_2020", "AI_PACKAGE_ORDER"});
    lf_removeFolderIfExists("TO_BE_LEARNED_OFFLINE");
    lf_removeFileIfExists("versions.json");
    lf_removeOldAirportFiles();
    lf_removeFileIfExists(folders::airportsMsfsXml());
    lf_removeFileIfExists(folders::airportsMsfsNamesXml());
    lf_removeFolderIfExists(folders::newVersion());
}

void lf_storeProgramVersion()
{
    PROGRAM_VERSION.value = gf_versionString(g_programVersion);
    gf_saveStringParameter(PROGRAM_VERSION);
}

} // namespace

bool lf_migrateParameters()
{
    if (PROGRAM_VERSION.value == PROGRAM_VERSION.defaultValue) {
        lf_storeProgramVersion();
        return false;
    }
    const VersionData stored(PROGRAM_VERSION.value.load());
    if (stored != g_programVersion) {
        lf_storeProgramVersion();
    }
    if (g_programVersion <= stored) {
        return false;
    }
    gf_log(fmt::format("This is a version update from {} -> {}", gf_versionString(stored),
                       gf_versionString(g_programVersion)));
    if (stored < kOldestMigratable) {
        return true;
    }
    lf_removeObsoleteData();
    return false;
}
