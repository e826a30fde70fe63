// Writes the seed corpora of the fuzz targets, one folder per target under the given folder,
// from the fixture builders the tests use (and the program's own writers), so the seeds follow
// the formats as they change. Formats without a builder get the short texts the tests use.
//   fuzz_seeds <folder>
#include "core/parameters_xml.h"
#include "core/program_folders.h"
#include "refdata/data_crypt.h"
#include "refdata/data_key.h"
#include "support/aircraft_cfg_tree.h"
#include "support/bgl_builder.h"
#include "support/livery_fixtures.h"
#include "support/park_file_builder.h"
#include "support/reference_xml.h"
#include "support/temp_folder.h"
#include "support/traffic_lines.h"
#include "support/zip_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using Seeds = std::vector<std::string>;
using namespace testsupport;

// ASCII text as UTF-16 little-endian with its byte-order mark, as Windows tools save it.
std::string lf_utf16le(const std::string& ascii)
{
    std::string bytes = "\xFF\xFE";
    for (const char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

Seeds lf_trafficLines()
{
    return {
        TrafficLine(),
        TrafficLine().set(4, "0").set(8, "12").set(9, "KLM55").set(17, "mlat"),
        TrafficLine().set(9, "null").set(11, "PH-BXB").set(28, "A1"),
        TrafficLine().set(10, "null"),
        TrafficLine().set(25, "-1").set(20, "-1").set(23, "-1"),
        TrafficLine().text() + "\r\n",
        "rtraffic,4738157,52.3,4.76",
    };
}

Seeds lf_weather()
{
    return {R"({"QNH": 1013})", R"({"QNH": 2992, "ICAO": "EHAM"})", R"({"QNH": "1020"})", R"({"QNH": 1013.6})",
            R"({"QNH": null})", R"([{"QNH": 1000}])"};
}

Seeds lf_rtVersions()
{
    return {R"({"level": 2, "version": "9.0"})", R"({"level": 1, "version": 8})", R"({"version": null})", "[]"};
}

std::string lf_versionEntry(const std::string& key, int major, int minor, int patch)
{
    return "\"" + key + "\": {\"major\": " + std::to_string(major) + ", \"minor\": " + std::to_string(minor) +
           ", \"patch\": " + std::to_string(patch) + "}";
}

Seeds lf_versionsJson()
{
    return {"{" + lf_versionEntry("msfs", 11, 10, 8) + ", " + lf_versionEntry("airports", 1, 1, 0) + ", " +
                lf_versionEntry("aig", 1, 9, 9) + ", " + lf_versionEntry("dbase", 3, 0, 0) + ", " +
                lf_versionEntry("liveries", 0, 0, 0) + ", " + lf_versionEntry("addons", 0, 0, 0) + ", " +
                lf_versionEntry("simaddon", 2, 0, 1) + "}",
            "{\"msfs\": \"12.0.0\"}", "11.10.8"};
}

Seeds lf_zips()
{
    return {zipBytes({{"install_new_version.exe", "MZ installer"}}),
            zipBytes({{"airports/", ""}, {"airports/EGLL.xml", "<root/>"}, {"airports/LFPG.bgl", "BGL"}})};
}

Seeds lf_aircraftCfgs()
{
    return {
        aircraftCfg("B738", {CfgLivery("KLM 737", "KLM", "PH-BXA"), CfgLivery("Transavia 737", "TRA", "", "GATE,RAMP_CARGO")}),
        aircraftCfg("", {CfgLivery("Unknown type", "DLH", "D-AIAB", "GATE", {"icao_type_designator=A320"})}),
        aircraftCfg("A320", {CfgLivery("Title", "", "", "", {"ui_variation=x", "[fltsim.99999]"})}),
        lf_utf16le(aircraftCfg("B738", {CfgLivery("KLM 737", "KLM", "PH-BXA")})),
    };
}

Seeds lf_texts()
{
    return {"plain ANSI caf\xE9\r\n", "\xEF\xBB\xBFUTF-8 with mark\n", "caf\xC3\xA9\n",
            std::string("\xFF\xFEh\0i\0\r\0\n\0", 10), std::string("\xFE\xFF\0h\0i\0\n", 8),
            std::string("h\0i\0\n\0", 6)};
}

Seeds lf_bgls()
{
    BglAirport helipads;
    helipads.ident = "EGLL";
    helipads.helipads = {BglHelipad{}, BglHelipad{}};
    helipads.parkings = {BglParking{}};
    BglAirport others;
    others.ident = "LFPG";
    others.otherChildren = 2;
    others.parkings = {BglParking{12, 3, 4, 15.0f, 180.0f, 49.0, 2.5, 1}};
    // A damaged file whose section entries all point at the same airports.
    return {bglFile({BglAirport{}}), bglFile({helipads, others}), bglFileRepeatingSection({helipads, others}, 300)};
}

std::string lf_parameter(const std::string& name, const std::string& value)
{
    return "    <parameter name=\"" + name + "\" value=\"" + value + "\" />\n";
}

Seeds lf_parkFiles()
{
    const StandFixture withUses{"A1", 50.0, 8.0, 90.0, 25.0, {{"D-AIAB", "DLH", "A320", "DLH1"}, OptFixture{}}, {}};
    const StandFixture manual{"M1", 50.01, 8.0, 0.0, 20.0, {}, R"(manual="true" cargo="true")"};
    const std::string header = lf_parameter("airport_name", "Frankfurt") + lf_parameter("publisher", "Pub") +
                               lf_parameter("altitude", "364");
    return {parkFileXml({withUses, manual}, header),
            parkFileXml(largeAirportStands(3, 2), header + lf_parameter("Qf_real", "1") + lf_parameter("Qf_soft", "20")),
            parkFileXml({withUses}, lf_parameter("airport_name", "Frankfurt"))};
}

Seeds lf_liveriesScanned()
{
    const std::vector<LiveryData> all = fixtureLiveries();
    const std::vector<LiveryData> liveries(all.begin(), all.begin() + 4);
    return {liveriesScannedXml(liveries), liveriesScannedXml({})};
}

Seeds lf_regcodeTexts()
{
    return {"Title One; ABC\nTitle Two ; D-ABCD , D-ABCE\nTitle Three;D-ABCF,D-ABCG;#\n\nDo Not Use\n",
            "a;b;c;d\r\nShort;AB\r\nTitle Five; ABCDEFGHIJKLM , ABCDEFGHIJKL\r\n"};
}

Seeds lf_aigRegcodes()
{
    return {aigRegcodesXml({aigLivery("KLM 737", "PH-BXA,PH-BXB"), aigLivery("Special", "D-AIAB", true),
                            aigLivery("No regs", "")})};
}

Seeds lf_referenceXml(const ReferenceXml& xml)
{
    return {xml.text()};
}

Seeds lf_smallAirports()
{
    return lf_referenceXml(smallAirports().add("airports", airportRow("EHAM", "AMS", 52.3, 4.76, -11.0, 3)));
}

Seeds lf_dataFiles()
{
    std::istringstream plain(smallAirports().text());
    std::ostringstream encrypted;
    gf_streamEncrypt(g_dataFileKey, plain, encrypted);
    return {encrypted.str()};
}

// The program's own parameters.xml with the default values, written under a stand-in root.
Seeds lf_parameters()
{
    const TempFolder root(true);
    setenv("SKYWEAVER_STANDIN_ROOT", root.path().c_str(), 1);
    std::filesystem::create_directories(static_cast<const std::filesystem::path&>(g_appFolder));
    gf_writeParameters(true);
    return {readFile(g_parametersPath), "<parameters><parameter name=\"RANGE\" value=\"25\"/></parameters>"};
}

Seeds lf_parkAirports()
{
    return {"EDDF, 12\r\n  \nEDDF\nEGLL,A1,x\n\tEDDM \nXXXX\n", "LFPG,K12\n"};
}

Seeds lf_manifests()
{
    return {R"({"creator":"Orbx","manufacturer":"Orbx","title":"EGLL"})", R"({"creator":null,"title":7})"};
}

Seeds lf_userCfgs()
{
    return {"Version 1\nInstalledPackagesPath \"C:\\Users\\me\\Packages\"\n",
            "InstalledPackagesPath /tmp\r\n",
            lf_utf16le("InstalledPackagesPath \"x\"\r\n")};
}

// Target name and the function that makes its seeds.
const std::vector<std::pair<std::string, std::function<Seeds()>>> kTargets = {
    {"traffic_line", lf_trafficLines},
    {"qnh_weather", lf_weather},
    {"rt_version", lf_rtVersions},
    {"versions_json", lf_versionsJson},
    {"updater_zip", lf_zips},
    {"aircraft_cfg", lf_aircraftCfgs},
    {"charset", lf_texts},
    {"bgl", lf_bgls},
    {"park_file", lf_parkFiles},
    {"liveries_scanned", lf_liveriesScanned},
    {"regcode_txt", lf_regcodeTexts},
    {"aig_regcodes", lf_aigRegcodes},
    {"dbase_xml", [] { return lf_referenceXml(smallDbase()); }},
    {"airports_xml", lf_smallAirports},
    {"parameters_xml", lf_parameters},
    {"park_airports", lf_parkAirports},
    {"manifest_json", lf_manifests},
    {"usercfg_opt", lf_userCfgs},
    {"data_decrypt", lf_dataFiles},
};

void lf_writeSeeds(const std::filesystem::path& folder, const Seeds& seeds)
{
    std::filesystem::create_directories(folder);
    for (std::size_t i = 0; i < seeds.size(); ++i) {
        std::ofstream out(folder / ("seed-" + std::to_string(i)), std::ios::binary | std::ios::trunc);
        out << seeds[i];
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds <folder>\n");
        return 2;
    }
    const std::filesystem::path root = std::filesystem::absolute(argv[1]);
    for (const auto& [name, make] : kTargets)
        lf_writeSeeds(root / name, make());
    return 0;
}
