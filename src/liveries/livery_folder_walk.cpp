// The scan of one livery folder: every aircraft.cfg is listed first, then parsed on the scan
// pool, and the findings are merged file by file in listing order, so the first file listed
// keeps a title that several files use.
#include "liveries/aircraft_cfg.h"
#include "liveries/cfg_listing.h"
#include "liveries/livery_scan.h"

#include "core/scan_pool.h"
#include "core/log.h"
#include "core/path_text.h"
#include "core/text_strings.h"
#include "liveries/regcodes.h"

#include <fmt/format.h>

#include <memory>
#include <string_view>
#include <utility>

namespace {

// A fault or a time-out while files still wait for a worker is the walk's own; after the walk
// it is the collection's.
void lf_reportAborted(bool walking, std::string_view cause)
{
    if (walking) {
        gf_logMarked(fmt::format("liveries inner search aborted: {}", cause));
    } else {
        gf_logMarked(fmt::format("liveries search aborted, futs outer, {}", cause));
    }
}

// One file's findings; a fault gives none.
CfgFindings lf_searchCfg(std::int32_t folderIndex, const std::filesystem::path& file,
                         const std::vector<std::string>& dontUseTitles)
{
    try {
        return lf_isIvaoPath(path_to_utf8(file)) ? lf_searchLiveriesinIVAOFile(folderIndex, file, dontUseTitles)
                                                  : lf_searchLiveriesinFile(folderIndex, file, dontUseTitles);
    } catch (const std::exception& e) {
        lf_reportAborted(gf_scanWalkRunning(), e.what());
    } catch (...) {
        lf_reportAborted(gf_scanWalkRunning(), "unknown exception");
    }
    return {};
}

void lf_reportGivenUp(const std::filesystem::path&, bool walking)
{
    lf_reportAborted(walking, "Future wait timed out after 10 seconds");
}

} // namespace

void lf_scanLiveryFolder(std::int32_t folderIndex, const std::filesystem::path& folder)
{
    CfgFileListing listing = lf_listCfgFiles(folder);
    if (listing.stopped || gf_scanStopRequested()) {
        return;
    }
    // The tasks' own copy: a task given up may still read it after this scan has ended.
    auto dontUseTitles = std::make_shared<const std::vector<std::string>>(g_dontUseTitles);
    ScanResults<CfgFindings> results = gf_scanFiles<CfgFindings>(
        std::move(listing.files),
        [folderIndex, dontUseTitles](const std::filesystem::path& file) {
            return lf_searchCfg(folderIndex, file, *dontUseTitles);
        },
        lf_reportGivenUp);
    if (results.stopped) {
        return;
    }
    std::size_t found = 0;
    for (const std::optional<CfgFindings>& slot : results.slots) {
        found += slot ? slot->liveries.size() : 0;
    }
    g_scannedLiveries.reserve(g_scannedLiveries.size() + found);
    for (std::optional<CfgFindings>& slot : results.slots) {
        if (slot) {
            std::vector<LiveryData> liveries = lf_mergeCfgFindings(std::move(*slot));
            g_scannedLiveries.insert(g_scannedLiveries.end(), std::make_move_iterator(liveries.begin()),
                                     std::make_move_iterator(liveries.end()));
        }
    }
}
