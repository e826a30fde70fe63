// aircraft.cfg files and the trees of AI packages that hold them, for the livery scan's tests
// and benchmarks.
#pragma once

#include "liveries/livery_data.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// One [fltsim.N] section; empty fields write no line.
struct CfgLivery {
    CfgLivery(std::string title_, std::string airline_ = "", std::string atcId_ = "", std::string parking_ = "GATE",
              std::vector<std::string> extra_ = {})
        : title(std::move(title_)), airline(std::move(airline_)), atcId(std::move(atcId_)),
          parking(std::move(parking_)), extra(std::move(extra_))
    {
    }
    std::string title;
    std::string airline;            // icao_airline value as written
    std::string atcId;              // atc_id value as written
    std::string parking;            // atc_parking_types value as written
    std::vector<std::string> extra; // further lines of the section
};

// The text of an aircraft.cfg: the sections numbered from 0, then a [General] section with
// the type designator (none when empty). Lines end with "\r\n" as the simulator's files do.
std::string aircraftCfg(const std::string& type, const std::vector<CfgLivery>& liveries);

// Writes the text as package / "SimObjects" / "Airplanes" / model / "aircraft.cfg" (folders
// created) and returns that path.
std::filesystem::path writeAircraftCfg(const std::filesystem::path& package, const std::string& model,
                                       const std::string& text);

// A Community folder entry for an AI package with one model of the type, holding `count`
// liveries of the airline titled "<package> <type> <airline> <n>".
void writeAiPackage(const std::filesystem::path& community, const std::string& package, const std::string& type,
                    const std::string& airline, std::size_t count);

// An AI package holding the liveries: one model, with its aircraft.cfg, for each airline and
// type among them.
void writeAiPackage(const std::filesystem::path& community, const std::string& package,
                    const std::vector<LiveryData>& liveries);

// `files` aircraft.cfg files of `sections` liveries each under the root, spread over models
// and airlines of the small aircraft database, as AI packages look; returns their paths.
std::vector<std::filesystem::path> writeLargeCfgTree(const std::filesystem::path& root, std::size_t files,
                                                     std::size_t sections);

} // namespace testsupport
