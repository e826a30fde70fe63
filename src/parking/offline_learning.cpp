// After the add-on airport scan: generated files of identified add-ons without an archived
// park file go into "tblo.zip" for off-line learning.
#include "parking/addon_airport_scan.h"

#include "core/folders.h"
#include "core/log.h"
#include "core/parameters_document.h"
#include "core/path_text.h"
#include "core/program_folders.h"
#include "core/settings.h"
#include "core/xml_file.h"
#include "core/zip_archive.h"
#include "parking/apf_sources.h"
#include "refdata/airport_db.h"
#include "ui/panel_repaint.h"
#include "ui/window_controls.h"

#include <fmt/format.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

bool lf_exists(const fs::path& path)
{
    std::error_code error;
    const bool exists = fs::exists(path, error);
    if (error && error != std::errc::no_such_file_or_directory)
        gf_log(fmt::format("exists({}) failed: {}", path_to_utf8(path), error.message()));
    return exists;
}

// The generated file of KMCI by TropicalSim is not used.
bool lf_isExcludedFile(const std::string& name, const fs::path& path)
{
    if (name != "KMCI")
        return false;
    pugi::xml_document document;
    if (!gf_loadXmlFile(document, path, pugi::parse_default) ||
        gf_findStringParameter(document, "publisher").value_or("") != "TropicalSim")
        return false;
    std::error_code error;
    fs::remove(path, error);
    if (error)
        throw fs::filesystem_error("remove", path, error);
    return true;
}

// Copies one generated file into "tblo"; a link beside it then stays alone.
void lf_copyForLearning(const std::string& name)
{
    const fs::path source = folders::myThirdparty() / gf_apfFileName(name);
    std::error_code error;
    fs::copy_file(source, folders::tblo() / source.filename(), fs::copy_options::overwrite_existing, error);
    if (error) {
        gf_logMarked(fmt::format("'{}' failed to copy '{}': {}", path_to_utf8(source), path_to_utf8(folders::tblo()),
                                 error.message()));
        return;
    }
    gf_log(fmt::format("{} copied to {}", path_to_utf8(source), path_to_utf8(folders::tblo())));
    if (lf_exists(folders::myThirdparty() / gf_linkFileName(name))) {
        fs::remove(source, error);
        if (error)
            gf_log(fmt::format("remove({}) failed: {}", path_to_utf8(source), error.message()));
    }
}

std::optional<std::string> lf_readWhole(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        return std::nullopt;
    return bytes;
}

std::vector<fs::path> lf_filesIn(const fs::path& folder)
{
    std::vector<fs::path> files;
    std::error_code error;
    for (fs::directory_iterator it(folder, error); !error && it != fs::directory_iterator(); it.increment(error)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError))
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool lf_closeZip(ZipArchive& archive, const fs::path& path, int count)
{
    const bool closed = archive.close();
    std::error_code error;
    const bool exists = fs::exists(path, error);
    const std::uintmax_t size = exists ? fs::file_size(path, error) : 0;
    const std::uintmax_t shownSize = error ? 0 : size;
    gf_log(fmt::format("[zip] Added {} files, ok_close={}, exists={}, size={} bytes", count, closed, exists,
                       shownSize));
    return count >= 1 && exists && shownSize != 0;
}

} // namespace

bool gf_zipFolder(const fs::path& source, const fs::path& target)
{
    std::error_code error;
    if (!fs::is_directory(source, error)) {
        gf_log(fmt::format("[zip] Not a directory: {}", path_to_utf8(source)));
        return false;
    }
    gf_log(fmt::format("[zip] Target file: {}", path_to_utf8(target)));
    gf_log(fmt::format("[zip] Source dir : {}", path_to_utf8(source)));
    if (fs::exists(target, error)) {
        gf_log(fmt::format("[zip] Removing old zip {}", path_to_utf8(target)));
        fs::remove(target, error);
    }
    const std::vector<fs::path> files = lf_filesIn(source);
    ZipArchive archive(target);
    if (!archive.open(ZipArchive::Mode::New)) {
        gf_log("[zip] Could not open archive for writing");
        return false;
    }
    int added = 0;
    for (const fs::path& file : files) {
        auto bytes = lf_readWhole(file);
        if (!bytes) {
            gf_log(fmt::format("[zip] READ FAIL: {}", path_to_utf8(file)));
            continue;
        }
        const std::string name = path_to_utf8(file.filename());
        gf_log(fmt::format("[zip] Adding (data) {} -> {} ({} bytes)", path_to_utf8(file), name, bytes->size()));
        if (archive.addData(name, std::move(*bytes)))
            ++added;
        else
            gf_log(fmt::format("[zip] ERROR addData({})", name));
    }
    return lf_closeZip(archive, target, added);
}

void lf_afterAirportScan(const std::vector<std::string>& fileNames)
{
    for (const std::string& name : fileNames) {
        const fs::path path = folders::myThirdparty() / gf_apfFileName(name);
        if (lf_isExcludedFile(name, path) || !gf_isKnownAirport(name) || !lf_hasPublisher(path))
            continue;
        lf_copyForLearning(name);
    }
    if (!gf_dirHasEntries(folders::tblo())) {
        g_tbloFlag.store(false);
        gf_log("All your third party airports are recognised, no off line learning needed.");
        return;
    }
    // The scan log is written already: what goes wrong here goes to the log. Without a zip the
    // copies stay in "tblo" (kept by the flag), as some of them exist nowhere else.
    g_tbloFlag.store(true);
    if (!gf_zipFolder(folders::tblo(), folders::tblo() / folders::tbloZip())) {
        gf_logMarked("Zippen TBLO folder failed");
        return;
    }
    gf_removeXMLFilesFromDirectory();
    gf_enableControl(BUTTON_TBLO);
    gf_repaintControlArea();
}
