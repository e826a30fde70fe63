// The program's folders and files: "parameters.xml" in the app-data folder, the
// data folders relative to the working folder (which is the program folder).
#pragma once

#include <filesystem>
#include <mutex>
#include <optional>

// A path that depends on the app-data folder: worked out on first use, not during
// static initialisation, so that tests can point the app-data folder elsewhere first.
class FirstUsePath {
public:
    using Builder = std::filesystem::path (*)();
    explicit FirstUsePath(Builder builder) : m_builder(builder) {}
    FirstUsePath(const FirstUsePath&) = delete;
    FirstUsePath& operator=(const FirstUsePath&) = delete;

    const std::filesystem::path& get() const;
    // Works the path out again on its next use (tests that move the app-data folder).
    void forget() const;
    operator const std::filesystem::path&() const { return get(); }
    std::filesystem::path operator/(const std::filesystem::path& name) const { return get() / name; }

private:
    Builder m_builder;
    mutable std::mutex m_mutex;
    mutable std::optional<std::filesystem::path> m_path;
};

// The roaming app-data folder / "Skyweaver".
extern const FirstUsePath g_appFolder;
// g_appFolder / "parameters.xml".
extern const FirstUsePath g_parametersPath;

// Folders and files relative to the working folder.
namespace folders {

inline std::filesystem::path input() { return "input"; }
inline std::filesystem::path aigRegcodesXml() { return input() / "AIG-regcodes.xml"; }
inline std::filesystem::path airportsMsfsXml() { return input() / "airports_msfs.xml"; }
inline std::filesystem::path airportsMsfsNamesXml() { return input() / "airports_msfs_names.xml"; }
inline std::filesystem::path airportsP3dXml() { return input() / "airports_p3d.xml"; }
inline std::filesystem::path myRegcodes() { return input() / "my_regcodes"; }

inline std::filesystem::path output() { return "output"; }
inline std::filesystem::path outputInfo() { return output() / "info"; }
inline std::filesystem::path outputErrors() { return output() / "errors"; }
inline std::filesystem::path liveriesScannedXml() { return output() / "LiveriesScanned.xml"; }

inline std::filesystem::path airports() { return "airports"; }
inline std::filesystem::path myThirdparty() { return airports() / "my_thirdparty"; }
inline std::filesystem::path mySimaddon() { return airports() / "my_simaddon"; }
inline std::filesystem::path myParkAirportsTxt() { return airports() / "my_park_airports.txt"; }
inline std::filesystem::path learned() { return airports() / "learned"; }
inline std::filesystem::path learnedStock() { return learned() / "stock"; }
inline std::filesystem::path learnedSimaddon() { return learned() / "simaddon"; }
inline std::filesystem::path learnedThirdparty() { return learned() / "thirdparty"; }

inline std::filesystem::path docs() { return "docs"; }
inline std::filesystem::path stock() { return "stock"; }
inline std::filesystem::path simaddon() { return "simaddon"; }
inline std::filesystem::path thirdparty() { return "thirdparty"; }
inline std::filesystem::path archive() { return "archive"; }
inline std::filesystem::path insideSystems() { return "InsideSystems"; }
inline std::filesystem::path steam() { return "Steam"; }
inline std::filesystem::path oneStore() { return "OneStore"; }
inline std::filesystem::path tblo() { return "tblo"; }
inline std::filesystem::path tbloZip() { return "tblo.zip"; }
inline std::filesystem::path fsBase() { return "fs-base"; }
inline std::filesystem::path newVersion() { return "new_version"; }

} // namespace folders
