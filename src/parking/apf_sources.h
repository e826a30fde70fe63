// Where the park file of an airport comes from: the scan's own files and link files, the
// archive on the download host, and the learned file that goes with a reference.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

// Folder "airports\": references that begin with it name local files.
inline constexpr std::string_view kAirportsPrefix = "airports";

// The reference of the airport's park file: a link or file in "my_thirdparty", then in
// "my_simaddon", then the archived stock file when the airport database counts stands for it;
// empty when the airport has none. Throws std::filesystem::filesystem_error ("exists").
std::string gf_archivedStockFileExists(const std::string& icao);
// Whether the airport's ".xml" or ".txt" file exists in "my_thirdparty" or "my_simaddon".
bool gf_hasOwnAirportFile(const std::string& icao);
// The first line of a link file when it names an ".xml" file.
bool lf_readLinkFile(const std::filesystem::path& path, std::string& reference);

// Fetches an archived park file to the local path; the status text, empty on success.
std::string lf_downloadApf(const std::string& reference, const std::filesystem::path& localPath);

// The file an archived park file of the park airport is fetched to before it is read.
std::filesystem::path gf_fetchedApfPath();
// Asks the fetch worker for the archived park file of the reference: nothing while it is on
// its way, then the download status, empty when the file is in.
std::optional<std::string> gf_fetchApf(const std::string& reference);
// The status of the finished fetch of the reference, forgotten with it (a later ask fetches
// again); without a finished fetch, the download failed.
std::string gf_takeFetchedApf(const std::string& reference);
// The local file a reference names ("airports\..." as a path).
std::filesystem::path gf_referencePath(const std::string& reference);

// The folder under "learned" for a park file's "publisher" header: "stock", "simaddon", or
// the publisher's folder inside "thirdparty" ("thirdparty" itself without a publisher).
std::filesystem::path gf_learnedFolder(std::string publisher);
// The learned file that goes with a reference to an ".xml" file: its file name in the learned
// folder of the file's publisher, where leaving the airport saves it; empty for none.
std::filesystem::path lf_resolveArchivePath(const std::string& reference, const std::string& publisher);
// Whether a park file names its publisher (or a maker other than the excluded one).
bool lf_hasPublisher(const std::filesystem::path& path);
