// Reference data fixtures: dbase.xml and airports.xml in small (tests) and large (benchmarks)
// sizes, and their encrypted forms in the "input" folder of a working folder.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// One element of a section, with its attributes in order.
struct XmlRow {
    std::string element;
    std::vector<std::pair<std::string, std::string>> attributes;
};

// A reference XML document: "root" holding named sections of rows.
class ReferenceXml {
public:
    // Appends a row; a section met for the first time is added at the end.
    ReferenceXml& add(const std::string& section, XmlRow row);
    // Keeps the section but without rows.
    ReferenceXml& clear(const std::string& section);
    // Removes the section altogether.
    ReferenceXml& drop(const std::string& section);
    std::string text() const;

private:
    std::vector<XmlRow>& lf_section(const std::string& name);
    std::vector<std::pair<std::string, std::vector<XmlRow>>> m_sections;
};

// A small but complete aircraft database (see the .cpp for its rows).
ReferenceXml smallDbase();
// The small database with `registrations` synthetic registration rows added.
ReferenceXml largeDbase(std::size_t registrations);
// A handful of real airports: EDDF, EDDM, EGLL, KJFK, LFPG, LOWW, EDFE (no IATA code).
ReferenceXml smallAirports();
// `count` synthetic airports spread over the globe, codes "A000" upward.
ReferenceXml largeAirports(std::size_t count);

XmlRow airportRow(const std::string& code, const std::string& iata, double lat, double lon, double alt = 0.0,
                  int stands = 0);

// Encrypts the text with the program's key into folder / "input" / name; returns that path.
std::filesystem::path writeEncryptedInput(const std::filesystem::path& folder, const std::string& name,
                                          const std::string& plain);
// Both "dbase.enc" and "airports.enc" from the small fixtures.
void writeSmallReferenceData(const std::filesystem::path& folder);

} // namespace testsupport
