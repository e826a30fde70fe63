// The livery folders to scan: AI traffic packages in the "Community" folder in the order the
// user selected, or the user's own lfolder settings.
#include "liveries/livery_scan.h"

#include "core/log.h"
#include "core/path_text.h"
#include "core/settings.h"
#include "core/user_error.h"

#include <fmt/format.h>

#include <algorithm>
#include <initializer_list>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

// The first entry of the Community folder, in listing order, whose name holds a marker (and
// is no converted copy, "_CVT_") is the package's folder.
void lf_findPackageFolder(const std::filesystem::path& community, std::initializer_list<std::string_view> markers,
                          std::string_view label, LiveryFolders& folders)
{
    for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(community)) {
        const std::string name = path_to_utf8(entry.path().filename());
        if (name.find("_CVT_") != std::string::npos) {
            continue;
        }
        if (std::any_of(markers.begin(), markers.end(),
                        [&](std::string_view marker) { return name.find(marker) != std::string::npos; })) {
            gf_log(fmt::format("Automatic {} scan found folder: '{}'", label, path_to_utf8(entry.path())));
            gf_flushLog();
            folders.push_back(entry.path());
            return;
        }
    }
}

void lf_findAigFolders(const std::filesystem::path& community, LiveryFolders& folders)
{
    lf_findPackageFolder(community, {"aig-aitraffic-oci"}, "AIG", folders);
}

void lf_findFsltlFolders(const std::filesystem::path& community, LiveryFolders& folders)
{
    lf_findPackageFolder(community, {"fsltl-traffic-base"}, "FSLTL", folders);
}

void lf_findJfFolders(const std::filesystem::path& community, LiveryFolders& folders)
{
    lf_findPackageFolder(community, {"justflight-aircraft-traffic-fleet", "justflight-fstraffic-module"}, "JF",
                         folders);
}

void lf_findIvaoMtlFolders(const std::filesystem::path& community, LiveryFolders& folders)
{
    lf_findPackageFolder(community, {"IVAO_MTL"}, "IVAO_MTL", folders);
}

void lf_findUserAiTrafficFolders(const std::filesystem::path& community, LiveryFolders& folders)
{
    lf_findPackageFolder(community, {"user-aitraffic"}, "user-aitraffic", folders);
}

using PackageSearch = void (*)(const std::filesystem::path&, LiveryFolders&);

PackageSearch lf_packageSearch(std::string_view name)
{
    static const std::map<std::string_view, PackageSearch> searches{
        {"AIG", lf_findAigFolders}, {"FSLTL", lf_findFsltlFolders}, {"JF", lf_findJfFolders},
        {"MTL", lf_findIvaoMtlFolders}};
    return searches.at(name);
}

// Every choice of the selector with the searches it names, in the written order.
std::map<std::string, std::vector<PackageSearch>> lf_packageSearchTable()
{
    std::map<std::string, std::vector<PackageSearch>> table;
    for (const std::string& choice : AI_PACKAGE_SELECTOR.choices) {
        std::vector<PackageSearch>& searches = table[choice];
        std::string_view rest = choice;
        while (!rest.empty()) {
            const std::size_t comma = rest.find(", ");
            searches.push_back(lf_packageSearch(rest.substr(0, comma)));
            rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 2);
        }
    }
    return table;
}

} // namespace

void lf_findAiPackages(const std::filesystem::path& community, LiveryFolders& folders)
{
    const auto table = lf_packageSearchTable();
    const auto choice = table.find(AI_PACKAGE_SELECTOR.value);
    if (choice == table.end()) {
        throw std::runtime_error(fmt::format("{} not set", AI_PACKAGE_SELECTOR.name));
    }
    for (const PackageSearch search : choice->second) {
        search(community, folders);
    }
    lf_findUserAiTrafficFolders(community, folders);
}

void lf_checkLfolders(LiveryFolders& folders)
{
    for (const StringParameter* setting : lfolders) {
        if (setting->value.empty()) {
            continue;
        }
        const std::filesystem::path folder = gf_utf8ToPath(setting->value.load());
        std::error_code error;
        if (!std::filesystem::exists(folder, error)) {
            gf_logMarked(fmt::format("{}: '{}' does not exist", setting->name, setting->value));
            throw vtx::UserErrorException(
                243, fmt::format("the path pointed to by parameter '{}' does not exist, see Log.txt!", setting->name));
        }
        folders.push_back(folder);
    }
}
