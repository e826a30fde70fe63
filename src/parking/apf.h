// Park files: the stand list of one airport with its header, read from and written to XML.
#pragma once

#include "parking/stand.h"

#include <pugixml.hpp>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The park file of one airport as the writer gets it.
struct Apf {
    std::string icao;
    std::string airport_name;
    std::string BGLpath;
    std::string publisher;
    std::string manufacturer;
    std::string creator;
    std::string title;
    std::int32_t Qf_real = 0;
    std::int32_t Qf_soft = 0;
    std::int32_t altitude = 0;
    std::vector<Stand> stands;
    // Learned "parkpos" texts the stands could not take, written back after them.
    std::vector<std::string> keptAside;
};

// How gf_writeApf writes: a learned file of the park airport, or a file generated from scenery.
inline constexpr int kApfLearned = 0;
inline constexpr int kApfGenerated = 1;

// State of the current park airport (main loop thread only).
extern bool g_apfHandmade;
extern std::int32_t g_Qf_real;
extern std::int32_t g_Qf_soft;
extern std::int32_t g_rtTrafficWeek;

std::string gf_apfFileName(std::string_view icao);
std::string gf_linkFileName(std::string_view icao);

// Appends the stands of a loaded park file to g_stands, every option marked archived.
// Throws vtx::UserErrorException 93 (missing or empty id) and 94 (repeated id).
void lf_readParkpositions(const pugi::xml_node& document);
// Reads one "parkpos" element into a new stand at the end of g_stands.
void lf_readParkpos(const pugi::xml_node& parkpos, std::string id, std::uint32_t archived);

// The identity strings of one "opt" element; airline and type come from the aircraft
// database when it knows the registration.
struct OptIdentity {
    std::string cs;
    std::string cs2;
    std::string airl;
    std::string type;
};
OptIdentity lf_readAirlTypeLists(const pugi::xml_node& opt);

// Reads one learned "opt" element as the learned-file merge does; false when it holds no use.
bool gf_readLearnedOpt(const pugi::xml_node& opt, ParkOpt& option);

// Merges a learned "parkpos" into the stand of the same id: changed radius and cargo flag,
// and (unless ignoreOptions) its options after the stand's own; a use that repeats a reference
// use is dropped, one that repeats a learned use is kept aside for the learned file instead.
void lf_readLearnedParkpos(const pugi::xml_node& parkpos, Stand& stand, bool ignoreOptions);

// Writes a park file (kApfLearned or kApfGenerated); sim goes into the meta header.
// The file is written beside its final name and renamed over it. True when saved.
bool gf_writeApf(const Apf& apf, const std::filesystem::path& path, int mode, int sim);
bool lf_writeApfHeader(pugi::xml_node root, const Apf& apf, int mode);

// Quality of the observed (real) and soft uses over g_stands; (-1, -1) without any option.
std::pair<std::int32_t, std::int32_t> gf_computeQualityFactors();
std::string gf_qualityText(std::int32_t qfReal, std::int32_t qfSoft);
