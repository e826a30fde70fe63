// The simulator maker's add-on airports: "my_simaddon2024.zip" unpacked into "airports/my_simaddon".
#include "core/folders.h"
#include "core/log.h"
#include "core/parameters_xml.h"
#include "core/path_text.h"
#include "core/program_folders.h"
#include "core/settings.h"
#include "core/text_lines.h"
#include "core/zip_archive.h"
#include "refdata/download.h"
#include "refdata/download_checks.h"
#include "refdata/updater.h"
#include "ui/status_line.h"

#include <fmt/format.h>

#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr const char* kArchive = "my_simaddon2024.zip";

fs::path lf_mySimAddonFolder()
{
    return folders::mySimaddon();
}

// The folder exists and is empty; false (logged) when it cannot be created.
bool lf_emptyFolder(const fs::path& folder)
{
    if (gf_pathExists(folder)) {
        gf_removeFilesFromDirectory(folder);
        return true;
    }
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        gf_logMarked(fmt::format("Could not create directory {}: {}", path_to_utf8(folder), ec.message()));
        return false;
    }
    return true;
}

// Each file entry becomes "<name without folders and extension>.txt" in the folder.
int lf_unpack(const ZipArchive& archive, const fs::path& folder)
{
    int written = 0;
    for (const ZipEntry& entry : archive.entries()) {
        if (!entry.isFile()) {
            continue;
        }
        const fs::path name = gf_utf8ToPath(entry.name).filename().replace_extension(".txt");
        const fs::path target = folder / name;
        const auto text = archive.readEntry(entry.name);
        if (text && gf_writeTextFile(target, *text, false)) {
            ++written;
        } else {
            gf_logMarked(fmt::format("Failed to write file: {}", path_to_utf8(target)));
        }
    }
    return written;
}

} // namespace

bool lf_unpackMySimAddon(const VersionData& web)
{
    // The archive is opened before the folder is emptied, so a damaged download keeps the old files.
    ZipArchive archive(kArchive);
    if (!archive.open(ZipArchive::Mode::ReadOnly)) {
        gf_logMarked(fmt::format("Could not open {}", kArchive));
        return false;
    }
    const fs::path folder = lf_mySimAddonFolder();
    if (!lf_emptyFolder(folder)) {
        return false;
    }
    const int count = lf_unpack(archive, folder);
    gf_showMessage(fmt::format("{} unzipped {} files", kArchive, count), true);
    gf_setStringParameter(DERIVAVIZE24_VERSION, gf_versionString(web));
    return true;
}

bool lf_mySimAddonMissing()
{
    std::error_code ec;
    return !fs::is_directory(lf_mySimAddonFolder(), ec) || !gf_dirHasEntries(lf_mySimAddonFolder());
}

bool lf_downloadMySimAddon(const VersionData& web)
{
    if (!(web > VersionData(DERIVAVIZE24_VERSION.value.load())) && !lf_mySimAddonMissing()) {
        return false;
    }
    bool unpacked = false;
    const CurlHandle curl(curl_easy_init());
    if (gf_download(curl, gf_downloadHost() + "/downloads/derivavize24/" + kArchive, kArchive, true,
                    DownloadRules{false, &gf_checkZipFile, nullptr})) {
        unpacked = lf_unpackMySimAddon(web);
    }
    std::error_code ec;
    fs::remove(kArchive, ec);
    if (ec) {
        gf_logMarked(fmt::format("Warning: could not remove downloaded zip: {}", ec.message()));
    }
    return unpacked;
}
