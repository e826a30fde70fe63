// Listing the aircraft.cfg files of a livery folder. Folders are listed level by level on the
// calling thread until there are enough to share; then each remaining folder's tree is listed
// by a task of the scan pool, and every folder's listing takes that folder's place, so the
// files come in depth-first order whoever listed them.
#include "liveries/cfg_listing.h"

#include "core/scan_pool.h"
#include "core/log.h"
#include "core/path_text.h"
#include "core/text_strings.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace {

// Scenery and navigation publishers, whose folders hold no AI liveries.
constexpr std::array<std::string_view, 9> kSkipWords{"airport",  "lvfr",     "mkstudios", "simwings", "fsdreamteam",
                                                     "navigraph", "flytampa", "inibuilds", "_CVT_"};
constexpr std::size_t kMaxPathBytes = 250;
// Folders per worker before the trees are handed out: enough for the workers to share evenly.
constexpr std::size_t kFoldersPerWorker = 4;

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

// One entry of a listing, in walk order: an aircraft.cfg, a folder still to list, or a fault
// to report.
struct ListedItem {
    enum class Kind : std::uint8_t { File, Folder, Fault };
    Kind kind = Kind::File;
    std::filesystem::path path;
    std::string cause; // of a fault
};
using Listing = std::vector<ListedItem>;

bool lf_isFolder(const ListedItem& item) { return item.kind == ListedItem::Kind::Folder; }

// A link to a folder is not followed; an entry that cannot be looked at (a link loop, a
// dangling link) is a fault of its own.
void lf_addEntry(const std::filesystem::directory_entry& entry, Listing& listing)
{
    try {
        std::error_code error;
        const bool directory = entry.is_directory(error);
        if (!error && directory) {
            const bool link = entry.is_symlink(error);
            if (!error && !link && lf_mayEnter(path_to_utf8(entry.path()))) {
                listing.push_back({ListedItem::Kind::Folder, entry.path(), {}});
            }
        } else if (!error && entry.is_regular_file(error) && lf_isAircraftCfg(entry.path())) {
            listing.push_back({ListedItem::Kind::File, entry.path(), {}});
        }
        if (error) {
            listing.push_back({ListedItem::Kind::Fault, entry.path(), error.message()});
        }
    } catch (const std::exception& e) {
        listing.push_back({ListedItem::Kind::Fault, entry.path(), e.what()});
    }
}

// The folder's own entries in listing order, a fault last when it cannot be listed (further);
// ends early on a stop.
Listing lf_listFolder(const std::filesystem::path& folder)
{
    Listing listing;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    for (; !error && entries != std::filesystem::directory_iterator() && !gf_scanStopRequested();
         entries.increment(error)) {
        lf_addEntry(*entries, listing);
    }
    if (error) {
        listing.push_back({ListedItem::Kind::Fault, folder, error.message()});
    }
    return listing;
}

// The folder's whole tree, depth first: only files and faults.
void lf_listTree(const std::filesystem::path& folder, Listing& tree)
{
    for (ListedItem& item : lf_listFolder(folder)) {
        if (lf_isFolder(item)) {
            lf_listTree(item.path, tree);
        } else {
            tree.push_back(std::move(item));
        }
    }
}

// Folders of the listing replaced by their own entries in their place, level by level, until
// there are `wanted` folders to share among the workers or none is left.
Listing lf_listUntilShared(Listing listing, std::size_t wanted)
{
    auto folders = static_cast<std::size_t>(std::count_if(listing.begin(), listing.end(), lf_isFolder));
    while (folders > 0 && folders < wanted && !gf_scanStopRequested()) {
        Listing next;
        next.reserve(listing.size());
        for (ListedItem& item : listing) {
            if (!lf_isFolder(item) || folders >= wanted) {
                next.push_back(std::move(item));
                continue;
            }
            Listing entries = lf_listFolder(item.path);
            folders = folders - 1 + static_cast<std::size_t>(std::count_if(entries.begin(), entries.end(), lf_isFolder));
            next.insert(next.end(), std::make_move_iterator(entries.begin()), std::make_move_iterator(entries.end()));
        }
        listing = std::move(next);
    }
    return listing;
}

// The trees of the listing's folders, listed on the scan pool: one listing per folder, in the
// listing's order. None on a stop. A tree is never given up for its time: its files would be lost.
std::optional<std::vector<Listing>> lf_listTreesOnPool(const Listing& listing)
{
    // Shared with the workers: a worker still busy at a stop may outlive this call.
    struct Trees {
        std::vector<std::filesystem::path> folders;
        std::vector<Listing> slots;
    };
    auto trees = std::make_shared<Trees>();
    for (const ListedItem& item : listing) {
        if (lf_isFolder(item)) {
            trees->folders.push_back(item.path);
        }
    }
    trees->slots.resize(trees->folders.size());
    ScanPoolJob job;
    job.count = trees->folders.size();
    job.timeLimited = false;
    job.runTask = [trees](std::size_t i) {
        try {
            lf_listTree(trees->folders[i], trees->slots[i]);
        } catch (const std::exception& e) {
            trees->slots[i].push_back({ListedItem::Kind::Fault, trees->folders[i], e.what()});
        }
    };
    job.onGiveUp = [](std::size_t, bool) {};
    const ScanPoolReport report = gf_runScanPool(std::move(job));
    if (report.stopped || gf_scanStopRequested()) {
        return std::nullopt;
    }
    return std::move(trees->slots);
}

} // namespace

CfgFileListing lf_listCfgFiles(const std::filesystem::path& folder)
{
    const std::size_t wanted = kFoldersPerWorker * static_cast<std::size_t>(std::max(1, g_workerCount.load()));
    Listing listing = lf_listUntilShared({{ListedItem::Kind::Folder, folder, {}}}, wanted);
    std::optional<std::vector<Listing>> trees;
    if (!gf_scanStopRequested()) {
        trees = lf_listTreesOnPool(listing);
    }
    if (!trees) {
        return {{}, true};
    }
    CfgFileListing result;
    std::size_t tree = 0;
    const auto take = [&result](ListedItem& item) {
        if (item.kind == ListedItem::Kind::Fault) {
            lf_reportFault(item.path, item.cause);
        } else {
            result.files.push_back(std::move(item.path));
        }
    };
    for (ListedItem& item : listing) {
        if (!lf_isFolder(item)) {
            take(item);
            continue;
        }
        for (ListedItem& treeItem : (*trees)[tree++]) {
            take(treeItem);
        }
    }
    return result;
}
