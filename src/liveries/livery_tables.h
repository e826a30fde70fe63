// The livery tables built from the scanned liveries at start-up: titles by airline and model,
// pax and cargo, titles by model for any airline, and the installed models of the small
// categories. g_liveryTable owns every title; the other tables (and the regcode tables) hold
// views into it, so all of them are built and cleared together, never read while rebuilt.
#pragma once

#include <atomic>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// 64-bit FNV-1a over the bytes of a text. Deliberately not noexcept: a hash that may throw
// makes the standard library keep each key's hash in its node, so a lookup compares stored
// hashes instead of hashing every key of the bucket again.
struct Fnv1aHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const
    {
        std::uint64_t hash = 14695981039346656037ull;
        for (const char c : text) {
            hash ^= static_cast<unsigned char>(c);
            hash *= 1099511628211ull;
        }
        return static_cast<std::size_t>(hash);
    }
};

// A hash map keyed by text with FNV-1a, 8 buckets to start and a load factor of at most 1.
template <class Value>
class TextMap : public std::unordered_map<std::string, Value, Fnv1aHash, std::equal_to<>> {
public:
    TextMap() : std::unordered_map<std::string, Value, Fnv1aHash, std::equal_to<>>(8) { this->max_load_factor(1.0f); }
};

struct LiveryEntry {
    std::string title;
    bool cargo = false;
};

using TitleViews = std::vector<std::string_view>;
using LiveryTable = TextMap<TextMap<std::vector<LiveryEntry>>>;  // airline -> model -> liveries
using AirlineModelTitles = std::array<TextMap<TextMap<TitleViews>>, 2>; // [pax, cargo]: airline -> model -> titles
using ModelTitles = std::array<TextMap<TitleViews>, 2>;                 // [pax, cargo]: model -> titles

inline constexpr std::size_t kPax = 0;
inline constexpr std::size_t kCargo = 1;

extern LiveryTable g_liveryTable;
extern AirlineModelTitles g_airlineModelTitles;
extern ModelTitles g_modelTitles;
extern std::vector<std::string> g_lightModels;
extern std::vector<std::string> g_buzjetModels;
extern std::vector<std::string> g_rotorcraftModels;
// The tables were built from "LiveriesScanned.xml" in this process (main loop thread only).
extern bool g_liveriesProcessed;
// The window asks for the tables to be built again at the next start of a run (a new
// simulator or a new scan); the closing-down serves it once no other thread reads them.
extern std::atomic<bool> g_liveryRebuildRequested;

// Builders of the start-up processing, over the sorted g_scannedLiveries.
void lf_buildLiveryTable();
void lf_buildAirlineModelTables();
void lf_buildModelTables();

void gf_reserveLiveryLists();
// Empties every livery table, the regcode tables and the similar-model tables built from them.
void gf_clearLiveryTables();

// The stored title equal to the text, or an empty view.
std::string_view lf_findTitle(std::string_view title);
bool gf_hasLivery(std::string_view airline, std::string_view model);
std::vector<std::string> gf_liveryAirlines();
std::string gf_randomLightModel();
std::string gf_randomBuzjetModel();
std::string gf_randomRotorcraftModel();
