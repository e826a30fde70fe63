// A new program version: the installer is downloaded, unzipped and moved into "new_version".
#include "core/file_replace.h"
#include "core/folders.h"
#include "core/log.h"
#include "core/path_text.h"
#include "core/program_folders.h"
#include "core/program_version.h"
#include "core/text_convert.h"
#include "core/text_strings.h"
#include "core/known_folders.h"
#include "core/zip_archive.h"
#include "platform/win32.h"
#include "refdata/download.h"
#include "refdata/download_checks.h"
#include "refdata/updater.h"
#include "ui/status_line.h"

#include <fmt/format.h>
#include <zip.h>

#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr const char* kInstaller = "install_new_version.exe";
constexpr std::size_t kPieceSize = 0x80000;

// Unzips the archive's entry into the file; false (logged) when it cannot be written whole.
bool lf_unzipEntry(const ZipArchive& archive, const ZipEntry& entry, const fs::path& file)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) {
        gf_logMarked(fmt::format("Could not create output file {}", path_to_utf8(file)));
        return false;
    }
    const int error = archive.readEntryInPieces(entry.name, out, kPieceSize);
    out.close();
    if (error != 0 || !out) {
        gf_logMarked(fmt::format("Unzipping error code: {}", error != 0 ? error : ZIP_ER_WRITE));
        return false;
    }
    return true;
}

// The old installer makes way for the one just unzipped under its temporary name.
bool lf_replaceInstaller(const fs::path& unzipped)
{
    std::error_code ec;
    fs::remove(kInstaller, ec);
    if (ec) {
        gf_logMarked(fmt::format("Warning: could not remove old installer: {}", ec.message()));
    }
    fs::rename(unzipped, kInstaller, ec);
    if (ec) {
        gf_log(fmt::format("could not rename {} => {}: {}", path_to_utf8(unzipped), kInstaller, ec.message()));
    }
    return !ec;
}

} // namespace

// Unzipped under a temporary name first, so a failed unzip leaves any earlier installer as it was.
bool lf_unzipInstaller(const fs::path& archivePath)
{
    ZipArchive archive(archivePath);
    if (!archive.open(ZipArchive::Mode::ReadOnly)) {
        gf_logMarked(fmt::format("Could not open {}", path_to_utf8(archivePath)));
        return false;
    }
    const fs::path unzipped = gf_temporaryNameFor(kInstaller);
    bool good = false;
    for (const ZipEntry& entry : archive.entries()) {
        good = entry.isFile() && lf_unzipEntry(archive, entry, unzipped);
        if (!good) {
            break;
        }
    }
    archive.close();
    if (good && lf_replaceInstaller(unzipped)) {
        gf_log(fmt::format("{} unzipped to {}", path_to_utf8(archivePath), kInstaller));
        return true;
    }
    std::error_code ec;
    fs::remove(unzipped, ec);
    return false;
}

namespace {

// "new_version" exists and holds no files; status faults throw.
void lf_prepareNewVersionFolder()
{
    const fs::path folder = folders::newVersion();
    if (gf_pathExists(folder)) {
        gf_removeFilesFromDirectory(folder);
    } else {
        fs::create_directory(folder);
    }
}

bool lf_fileSize(const fs::path& path, std::uintmax_t& size)
{
    std::error_code ec;
    size = fs::file_size(path, ec);
    if (ec) {
        gf_log(fmt::format("file_size({}) failed: {}", path_to_utf8(path), ec.message()));
    }
    return !ec;
}

// Moves the installer into "new_version" through a ".part" name, checking its size on the way.
bool lf_moveInstaller()
{
    const fs::path source = kInstaller;
    const fs::path target = folders::newVersion() / kInstaller;
    fs::path part = target;
    part += ".part";
    std::error_code ec;
    fs::remove(part, ec);
    fs::remove(target, ec);
    std::uintmax_t sourceSize = 0;
    std::uintmax_t partSize = 0;
    if (!lf_fileSize(source, sourceSize)) {
        return false;
    }
    fs::rename(source, part, ec);
    if (ec) {
        gf_log(fmt::format("could not rename {} => {}: {}", path_to_utf8(source), path_to_utf8(part), ec.message()));
        return false;
    }
    if (!lf_fileSize(part, partSize)) {
        return false;
    }
    if (partSize != sourceSize) {
        gf_log(fmt::format("rename {} => {} suspicious: size {} != {}", path_to_utf8(source), path_to_utf8(part),
                           partSize, sourceSize));
        return false;
    }
    fs::rename(part, target, ec);
    if (ec) {
        gf_log(fmt::format("could not finalize rename {} => {}: {}", path_to_utf8(part), path_to_utf8(target),
                           ec.message()));
        return false;
    }
    return true;
}

bool lf_writeTestPasses(const fs::path& folder)
{
    const std::wstring name = utf8_to_wide(path_to_utf8(folder / ".write_test.tmp"));
    const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const char byte = 0;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, &byte, 1, &written, nullptr);
    CloseHandle(file);
    return ok && written == 1;
}

bool lf_processElevated()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return false;
    }
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const BOOL ok = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
    CloseHandle(token);
    return ok && elevation.TokenIsElevated != 0;
}

bool lf_underProgramFiles(const fs::path& folder)
{
    const std::string text = gf_lowerCase(path_to_utf8(folder));
    for (const auto& id : {FOLDERID_ProgramFiles, FOLDERID_ProgramFilesX86}) {
        const auto programFiles = gf_knownFolderPath(id);
        if (programFiles && text.rfind(gf_lowerCase(path_to_utf8(*programFiles)), 0) == 0) {
            return true;
        }
    }
    return false;
}

// Downloads the archive and unzips its installer; true when this attempt unzipped one.
bool lf_fetchInstaller(const fs::path& archive, const std::string& version)
{
    const CurlHandle curl(curl_easy_init());
    const std::string url = gf_downloadHost() + "/downloads/release/" + path_to_utf8(archive);
    if (!gf_download(curl, url, archive, true, DownloadRules{false, &gf_checkZipFile, nullptr})) {
        gf_showMessage(fmt::format("Downloading program installer file version {} failed", version), true);
        return false;
    }
    gf_log(fmt::format("Downloaded {}", path_to_utf8(archive)));
    return lf_unzipInstaller(archive);
}

} // namespace

// Only an installer that this attempt downloaded and unzipped is offered; "new_version" is
// emptied only then, so a failed attempt keeps an installer prepared by an earlier run.
bool lf_downloadInstaller(const VersionData& web)
{
    const std::string version = gf_versionString(web);
    const fs::path archive = fmt::format("setup_{}_d_v{}.zip", kProductName, version);
    const bool unzipped = lf_fetchInstaller(archive, version);
    std::error_code ec;
    fs::remove(archive, ec);
    if (ec) {
        gf_logMarked(fmt::format("Warning: could not remove downloaded zip: {}", ec.message()));
    }
    if (!unzipped) {
        gf_logMarked(fmt::format("{} does not exists?", kInstaller));
        return false;
    }
    lf_prepareNewVersionFolder();
    if (!lf_moveInstaller()) {
        return false;
    }
    fs::remove(kInstaller, ec);
    if (ec) {
        gf_logMarked(fmt::format("Warning: could not remove extracted: {}", ec.message()));
    }
    return true;
}

std::string gf_installerRightsMessage(const fs::path& programFolder)
{
    if (lf_underProgramFiles(programFolder) && !lf_writeTestPasses(programFolder) && !lf_processElevated()) {
        return "A new version is available. Run the installer as Administrator";
    }
    return "A new version is available.\nThe installer can be executed normally (no Administrator rights required).";
}
