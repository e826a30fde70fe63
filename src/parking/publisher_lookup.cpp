// Publisher lookup for scanned scenery: path first, then the package's "manifest.json".
#include "parking/publisher_lookup.h"

#include "core/path_text.h"
#include "core/text_lines.h"
#include "core/text_search.h"
#include "core/text_strings.h"
#include "parking/scan_messages.h"
#include "refdata/aircraft_db.h"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <system_error>

namespace {

// The package folder inside "Community" when the path runs through it, else the file's folder.
std::filesystem::path lf_manifestStartFolder(const std::filesystem::path& path)
{
    std::filesystem::path folder;
    bool afterCommunity = false;
    for (const auto& component : path) {
        folder /= component;
        if (afterCommunity)
            return folder;
        afterCommunity = gf_equalsNoCase(path_to_utf8(component), "community");
    }
    return path.parent_path();
}

bool lf_isManifestName(const std::filesystem::path& file)
{
    return gf_equalsNoCase(path_to_utf8(file.stem()), "manifest") &&
           gf_equalsNoCase(path_to_utf8(file.extension()), ".json");
}

PublisherInfo lf_fromManifest(const std::string& publisher, const ManifestInfo& manifest)
{
    return {publisher, manifest.manufacturer, manifest.creator, {}};
}

} // namespace

std::string lf_jsonString(const nlohmann::json& object, const std::string& key)
{
    const auto found = object.find(key);
    if (found == object.end() || found->is_null())
        return {};
    return found->is_string() ? found->get<std::string>() : found->dump();
}

std::filesystem::path lf_findManifestJson(const std::filesystem::path& folder)
{
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error))
        return {};
    std::filesystem::directory_iterator it(folder, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError) && lf_isManifestName(it->path()))
            return it->path();
    }
    return {};
}

std::optional<ManifestInfo> lf_readManifest(const std::filesystem::path& path)
{
    std::vector<std::string> lines;
    if (!gf_readAllLines(path, lines, 64))
        return std::nullopt;
    std::string text;
    for (const std::string& line : lines)
        text += line;
    const nlohmann::json manifest = nlohmann::json::parse(text);
    if (!manifest.is_object())
        return std::nullopt;
    return ManifestInfo{lf_jsonString(manifest, "manufacturer"), lf_jsonString(manifest, "creator"),
                        lf_jsonString(manifest, "title")};
}

std::optional<ManifestInfo> gf_searchManifest(const std::filesystem::path& path)
{
    std::filesystem::path folder = lf_manifestStartFolder(path);
    while (!folder.empty()) {
        if (const std::filesystem::path manifest = lf_findManifestJson(folder); !manifest.empty()) {
            lf_addScanMessage(path_to_utf8(manifest) + " found");
            if (auto info = lf_readManifest(manifest))
                return info;
        }
        std::filesystem::path parent = folder.parent_path();
        if (parent == folder)
            break;
        folder = std::move(parent);
    }
    return std::nullopt;
}

PublisherInfo gf_findPublisher(const std::filesystem::path& path)
{
    const std::string text = path_to_utf8(path);
    lf_addScanMessage(fmt::format("\nTry to find publisher in: {}", text));
    if (gf_containsNoCase(text, "microsoft-airport") || gf_containsNoCase(text, "asobo-airport")) {
        lf_addScanMessage("from filename => publisher simaddon");
        return {"simaddon", {}, {}, {}};
    }
    if (auto publisher = gf_findPublisherInPath(path)) {
        lf_addScanMessage(fmt::format("publisher '{}' found", *publisher));
        return {*publisher, {}, {}, {}};
    }
    const auto manifest = gf_searchManifest(path);
    if (!manifest) {
        lf_addScanMessage(fmt::format("{}No publisher found", "===> "));
        return {};
    }
    if (!manifest->manufacturer.empty()) {
        if (auto publisher = gf_findPublisherInPath(gf_utf8ToPath(manifest->manufacturer))) {
            lf_addScanMessage(fmt::format("from manifest.json: manufacturer '{}' => publisher '{}'",
                                          manifest->manufacturer, *publisher));
            return lf_fromManifest(*publisher, *manifest);
        }
    }
    if (!manifest->creator.empty()) {
        if (auto publisher = gf_findPublisherInPath(gf_utf8ToPath(manifest->creator))) {
            lf_addScanMessage(
                fmt::format("from manifest.json: creator '{}' => publisher '{}'", manifest->creator, *publisher));
            return lf_fromManifest(*publisher, *manifest);
        }
    }
    lf_addScanMessage(
        fmt::format("no valid info found in manifest about publisher, manufacturer:'{}', creator:'{}' {}",
                    manifest->manufacturer, manifest->creator, text));
    return lf_fromManifest({}, *manifest);
}
