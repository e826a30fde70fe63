// Who published the scenery package of a ".bgl" file: the simulator maker ("simaddon"), a
// publisher of the aircraft database's publisher table by path or "manifest.json", or nobody.
#pragma once

#include <nlohmann/json_fwd.hpp>

#include <filesystem>
#include <optional>
#include <string>

struct ManifestInfo {
    std::string manufacturer;
    std::string creator;
    std::string title;
};

// An empty publisher means none was found.
struct PublisherInfo {
    std::string publisher;
    std::string manufacturer;
    std::string creator;
    std::string title;
};

// Decides from the path, else from the package's manifest; its reasoning goes to the scan
// log. A manifest that is not valid JSON throws.
PublisherInfo gf_findPublisher(const std::filesystem::path& path);
// The first readable "manifest.json" met while walking up from the package folder.
std::optional<ManifestInfo> gf_searchManifest(const std::filesystem::path& path);
// The "manifest.json" directly in the folder; empty when there is none.
std::filesystem::path lf_findManifestJson(const std::filesystem::path& folder);
// The manifest's members when the file holds a JSON object; throws on invalid JSON.
std::optional<ManifestInfo> lf_readManifest(const std::filesystem::path& path);
// The member as text; empty when absent or null.
std::string lf_jsonString(const nlohmann::json& object, const std::string& key);
