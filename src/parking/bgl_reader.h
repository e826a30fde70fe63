// The reader of compiled scenery files (".bgl"): the airports they define, with their
// parking positions and helipads as stands of a generated park file.
#pragma once

#include "parking/apf.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <istream>
#include <optional>
#include <set>
#include <string>
#include <vector>

// What the reader needs of the add-on airport scan that runs it.
struct BglScanContext {
    // One line for the scan log.
    std::function<void(std::string)> addMessage;
    // Links the airport to an archived park file; true when linked, with its stand count.
    std::function<bool(Apf&, std::int32_t& archivedCount, const std::filesystem::path& bglPath)> linkArchivedApf;
    // Writes the generated park file of the airport; the second value counts its helipads.
    std::function<void(Apf&, std::int32_t helipadCount)> generateApf;
    // Decremented when a file's task ends, whatever happens.
    std::atomic<std::int32_t>* runningTasks = nullptr;
    // One Log.txt line about the file's structure; the file's task bounds them per file.
    std::function<void(std::string)> addLogLine;
};

// A line about the file's structure into Log.txt, through the context's bound when it has one.
void gf_bglLogLine(const BglScanContext& context, std::string line);

// Cheap test on the file's header and section table: at least one airport section.
bool lf_bglHasAirportSection(const std::filesystem::path& path);
// The whole file as 32-bit little-endian words, a last partial word padded with zeros.
std::vector<std::uint32_t> lf_readBglFile(std::istream& in);
// The task body for one file: every accepted airport becomes a link or a generated file.
void lf_processBGLfile(const std::filesystem::path& path, const BglScanContext& context);

// The identifier of a packed word; none when a digit is not a letter or number.
std::optional<std::string> lf_decodeIcao(std::uint32_t raw);
// The upper-cased four-letter code when the airport database knows it.
std::optional<std::string> lf_checkRTAirport(const std::string& ident, const BglScanContext& context);
std::optional<std::string> lf_decodeAirportIdent(std::uint32_t raw, const BglScanContext& context);

// Elevation in feet of the airport record at `record`; above 10000 ft it is taken as 0.
std::int32_t lf_readAirportElevation(std::size_t record, const std::vector<std::uint32_t>& words);

// Packed coordinates of scenery records, in degrees.
double gf_bglLatitude(std::uint32_t raw);
double gf_bglLongitude(std::uint32_t raw);
