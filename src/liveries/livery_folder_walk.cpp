// The walk of one livery folder: every aircraft.cfg is listed first, then parsed on the scan
// pool, and the findings are merged file by file in listing order, so the first file listed
// keeps a title that several files use.
#include "liveries/aircraft_cfg.h"
#include "liveries/livery_scan.h"

#include "app/scan_pool.h"
#include "core/log.h"
#include "core/path_text.h"
#include "core/text_strings.h"
#include "liveries/regcodes.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string_view>
#include <utility>

namespace {

// Scenery and navigation publishers, whose folders hold no AI liveries.
constexpr std::array<std::string_view, 9> kSkipWords{"airport",  "lvfr",     "mkstudios", "simwings", "fsdreamteam",
                                                     "navigraph", "flytampa", "inibuilds", "_CVT_"};
constexpr std::size_t kMaxPathBytes = 250;

bool lf_mayEnter(std::string_view pathText)
{
    return pathText.size() < kMaxPathBytes &&
           std::none_of(kSkipWords.begin(), kSkipWords.end(),
                        [&](std::string_view word) { return pathText.find(word) != std::string_view::npos; });
}

bool lf_isAircraftCfg(const std::filesystem::path& path)
{
    return gf_equalsNoCase(path_to_utf8(path.extension()), ".CFG") &&
           gf_equalsNoCase(path_to_utf8(path.stem()), "AIRCRAFT");
}

// The path is shown lossily: a name that does not convert to UTF-8 is what may have
// caused the fault, and its report must not throw again.
void lf_reportFault(const std::filesystem::path& path, std::string_view cause)
{
    gf_logMarked(fmt::format("liveries search in {} aborted, cause: {}", gf_pathTextLossy(path), cause));
}

// Lists the aircraft.cfg files depth first, each folder's entries in listing order; a folder
// that cannot be listed is reported and the walk goes on. Ends early on a stop.
class CfgListing {
public:
    void walk(const std::filesystem::path& folder)
    {
        std::error_code error;
        std::filesystem::directory_iterator entries(folder, std::filesystem::directory_options::skip_permission_denied,
                                                    error);
        for (; !error && entries != std::filesystem::directory_iterator() && !gf_scanStopRequested();
             entries.increment(error)) {
            lf_entry(*entries);
        }
        if (error) {
            lf_reportFault(folder, error.message());
        }
    }

    std::vector<std::filesystem::path> takeFiles() { return std::move(m_files); }

private:
    void lf_entry(const std::filesystem::directory_entry& entry)
    {
        try {
            std::error_code error;
            if (entry.is_directory(error) && !entry.is_symlink(error)) {
                if (lf_mayEnter(path_to_utf8(entry.path()))) {
                    walk(entry.path());
                }
            } else if (entry.is_regular_file(error) && lf_isAircraftCfg(entry.path())) {
                m_files.push_back(entry.path());
            }
        } catch (const std::exception& e) {
            lf_reportFault(entry.path(), e.what());
        }
    }

    std::vector<std::filesystem::path> m_files;
};

// One file's findings; a fault gives none.
CfgFindings lf_searchCfg(std::int32_t folderIndex, const std::filesystem::path& file,
                         const std::vector<std::string>& dontUseTitles)
{
    try {
        return lf_isIvaoPath(path_to_utf8(file)) ? lf_searchLiveriesinIVAOFile(folderIndex, file, dontUseTitles)
                                                  : lf_searchLiveriesinFile(folderIndex, file, dontUseTitles);
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("liveries inner search aborted: {}", e.what()));
    } catch (...) {
        gf_logMarked(fmt::format("liveries inner search aborted: {}", "unknown exception"));
    }
    return {};
}

void lf_reportGivenUp(const std::filesystem::path&)
{
    gf_logMarked(fmt::format("liveries inner search aborted: {}", "Future wait timed out after 10 seconds"));
}

} // namespace

void lf_scanLiveryFolder(std::int32_t folderIndex, const std::filesystem::path& folder)
{
    CfgListing listing;
    listing.walk(folder);
    if (gf_scanStopRequested()) {
        return;
    }
    // The tasks' own copy: a task given up may still read it after this scan has ended.
    auto dontUseTitles = std::make_shared<const std::vector<std::string>>(g_dontUseTitles);
    ScanResults<CfgFindings> results = gf_scanFiles<CfgFindings>(
        listing.takeFiles(),
        [folderIndex, dontUseTitles](const std::filesystem::path& file) {
            return lf_searchCfg(folderIndex, file, *dontUseTitles);
        },
        lf_reportGivenUp);
    if (results.stopped) {
        return;
    }
    for (std::optional<CfgFindings>& slot : results.slots) {
        if (slot) {
            std::vector<LiveryData> liveries = lf_mergeCfgFindings(std::move(*slot));
            g_scannedLiveries.insert(g_scannedLiveries.end(), std::make_move_iterator(liveries.begin()),
                                     std::make_move_iterator(liveries.end()));
        }
    }
}
