// Livery fixtures: "LiveriesScanned.xml" files, AIG regcode files and user regcode files.
#pragma once

#include "liveries/livery_data.h"
#include "support/reference_xml.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

// The text of a "LiveriesScanned.xml" with a meta header and one "liv" per livery.
std::string liveriesScannedXml(const std::vector<LiveryData>& liveries);
// Writes it as "output/LiveriesScanned.xml" under the folder.
void writeLiveriesScanned(const std::filesystem::path& folder, const std::vector<LiveryData>& liveries);

// A few hundred liveries of real airlines and the small aircraft database's types: pax and
// cargo, a cargo-only airline (GEC), generic "ZZZ" and private "PVT" liveries, registrations.
// No light aircraft and no rotorcraft are among them.
std::vector<LiveryData> fixtureLiveries();
// `count` synthetic liveries over 300 airlines and 40 types, every third with a registration
// ("R" and six digits) up to `registrations` of them.
std::vector<LiveryData> largeLiveries(std::size_t count, std::size_t registrations);

// One "livery" row of the AIG regcode file.
XmlRow aigLivery(const std::string& title, const std::string& regs, bool special = false);
// The plain text of the AIG regcode file: a meta header and the rows.
std::string aigRegcodesXml(const std::vector<XmlRow>& liveries);
// The AIG regcode file with a meta header, encrypted into folder / "input" / "AIG-regcodes.enc".
void writeAigRegcodes(const std::filesystem::path& folder, const std::vector<XmlRow>& liveries);

} // namespace testsupport
