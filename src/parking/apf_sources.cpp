// The choice of an airport's reference park file, link files, archive downloads, and the
// learned file that belongs to a reference.
#include "parking/apf_sources.h"

#include "core/charset.h"
#include "core/folders.h"
#include "core/log.h"
#include "core/parameters_document.h"
#include "core/path_text.h"
#include "core/program_folders.h"
#include "core/sim_choice.h"
#include "core/text_strings.h"
#include "core/xml_file.h"
#include "parking/apf.h"
#include "parking/park_file_fetch.h"
#include "refdata/airport_db.h"
#include "refdata/download.h"

#include <fmt/format.h>

#include <algorithm>
#include <system_error>
#include <vector>

namespace {

// The maker of the simulator's own scenery: its name in a manifest identifies no add-on.
constexpr std::string_view kExcludedCreator = "Asobo Studio";

bool lf_endsWithXml(std::string_view text)
{
    return text.size() >= 4 && gf_equalsNoCase(text.substr(text.size() - 4), ".xml");
}

std::string lf_trimEnd(std::string text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n')) {
        text.pop_back();
    }
    return text;
}

// Stored reference text of a local file: "airports\<folder>\<file>".
std::string lf_localReference(const std::filesystem::path& folder, const std::string& file)
{
    return fmt::format("{}\\{}\\{}", kAirportsPrefix, path_to_utf8(folder.filename()), file);
}

// The link file's reference, else the park file's own path, in one of the scan's folders.
std::string lf_referenceIn(const std::filesystem::path& folder, const std::string& icao)
{
    std::string reference;
    if (lf_readLinkFile(folder / gf_linkFileName(icao), reference)) {
        return reference;
    }
    if (gf_pathExists(folder / gf_apfFileName(icao))) {
        return lf_localReference(folder, gf_apfFileName(icao));
    }
    return {};
}

std::string lf_replaceAll(std::string_view text, std::string_view from, std::string_view to)
{
    std::string out;
    size_t start = 0;
    for (size_t at = text.find(from); at != std::string_view::npos; at = text.find(from, start)) {
        out.append(text.substr(start, at - start)).append(to);
        start = at + from.size();
    }
    return out.append(text.substr(start));
}

std::string lf_fileName(const std::string& reference)
{
    return reference.substr(reference.find_last_of('\\') + 1);
}

std::string lf_fetchKey(const std::string& reference)
{
    return "park file " + reference;
}

// A downloaded park file must load as XML and hold a stand list before it is used.
std::string lf_checkParkFile(const std::filesystem::path& file)
{
    pugi::xml_document document;
    if (!gf_loadXmlFile(document, file, pugi::parse_default)) {
        return "not a park file";
    }
    const pugi::xml_node root = document.child("root") ? document.child("root") : document;
    return root.child("parkpositions") ? std::string() : "no parkpositions in the park file";
}

} // namespace

bool lf_readLinkFile(const std::filesystem::path& path, std::string& reference)
{
    if (!gf_pathExists(path)) {
        return false;
    }
    std::vector<std::string> lines;
    if (!gf_readTextFileLines(gf_detectCharset(path), path, lines) || lines.empty()) {
        return false;
    }
    std::string first = lf_trimEnd(lines.front());
    if (first.size() < 4 || !lf_endsWithXml(first)) {
        return false;
    }
    reference = std::move(first);
    return true;
}

std::string gf_archivedStockFileExists(const std::string& icao)
{
    for (const auto& folder : {folders::myThirdparty(), folders::mySimaddon()}) {
        if (std::string reference = lf_referenceIn(folder, icao); !reference.empty()) {
            return reference;
        }
    }
    const Airport* airport = gf_findAirport(icao);
    if (airport != nullptr && airport->stands >= 1) {
        return "archive/stock/" + gf_apfFileName(icao);
    }
    return {};
}

bool gf_hasOwnAirportFile(const std::string& icao)
{
    for (const auto& folder : {folders::myThirdparty(), folders::mySimaddon()}) {
        if (gf_pathExists(folder / gf_apfFileName(icao)) || gf_pathExists(folder / gf_linkFileName(icao))) {
            return true;
        }
    }
    return false;
}

std::filesystem::path gf_referencePath(const std::string& reference)
{
    return gf_storedTextToPath(reference);
}

std::string lf_downloadApf(const std::string& reference, const std::filesystem::path& localPath)
{
    const bool sharedArchive = reference.find("simaddon") != std::string::npos ||
                               reference.find("stock") != std::string::npos;
    const char* folder = g_msfs2020 || sharedArchive ? "/downloads/MSFS/" : "/downloads/MSFS2024/";
    const std::string url = gf_downloadHost() + folder + reference;
    const CurlHandle curl(curl_easy_init());
    if (gf_download(curl, url, localPath, true, DownloadRules{true, &lf_checkParkFile, &gf_fetchCancelFlag()})) {
        return {};
    }
    // Downloads never leave a partial file; an old file of this name is of another airport.
    std::error_code ec;
    std::filesystem::remove(localPath, ec);
    if (ec) {
        throw std::filesystem::filesystem_error("remove", localPath, ec);
    }
    return fmt::format("failed to download: '{}'", reference);
}

std::filesystem::path gf_fetchedApfPath()
{
    return folders::airports() / "park_airport.xml";
}

std::optional<std::string> gf_fetchApf(const std::string& reference)
{
    return gf_fetchOutcome(lf_fetchKey(reference),
                           [reference] { return lf_downloadApf(reference, gf_fetchedApfPath()); });
}

std::string gf_takeFetchedApf(const std::string& reference)
{
    return gf_takeFetchOutcome(lf_fetchKey(reference)).value_or(fmt::format("failed to download: '{}'", reference));
}

std::filesystem::path gf_learnedFolder(std::string publisher)
{
    if (publisher == "stock") {
        return folders::learnedStock();
    }
    if (publisher == "simaddon") {
        return folders::learnedSimaddon();
    }
    // Separators in a publisher's name become blanks, so the name never leads out of "thirdparty".
    std::replace(publisher.begin(), publisher.end(), '/', ' ');
    std::replace(publisher.begin(), publisher.end(), '\\', ' ');
    if (publisher.empty() || publisher == "." || publisher == "..") {
        return folders::learnedThirdparty();
    }
    return folders::learnedThirdparty() / gf_utf8ToPath(publisher);
}

std::filesystem::path lf_resolveArchivePath(const std::string& reference, const std::string& publisher)
{
    const std::string text = lf_replaceAll(reference, "/", "\\");
    gf_log(text);
    if (!lf_endsWithXml(text)) {
        return {};
    }
    return gf_learnedFolder(publisher) / gf_utf8ToPath(lf_fileName(text));
}

bool lf_hasPublisher(const std::filesystem::path& path)
{
    pugi::xml_document document;
    if (!gf_loadXmlFile(document, path, pugi::parse_default)) {
        gf_logMarked(fmt::format("'{}' not found", path_to_utf8(path)));
        return false;
    }
    if (!gf_findStringParameter(document, "publisher").value_or("").empty()) {
        return true;
    }
    for (const char* name : {"manufacturer", "creator"}) {
        const std::string maker = gf_findStringParameter(document, name).value_or("");
        if (maker.size() >= 4 && maker != kExcludedCreator) {
            return true;
        }
    }
    return false;
}
