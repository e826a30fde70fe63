#include "app/start_up_state.h"
#include "core/path_text.h"
#include "liveries/aircraft_cfg.h"
#include "liveries/livery_data.h"
#include "liveries/regcodes.h"
#include "refdata/aircraft_db.h"
#include "support/aircraft_cfg_tree.h"
#include "support/log_capture.h"
#include "support/reference_xml.h"
#include "support/temp_folder.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

using testsupport::aircraftCfg;
using testsupport::CfgLivery;
using testsupport::writeAircraftCfg;
using testsupport::writeFile;

namespace {

// A working folder with the small aircraft database loaded.
class AircraftCfg : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::writeSmallReferenceData(m_folder.path());
        ASSERT_TRUE(gf_readDbase());
    }

    std::vector<LiveryData> search(const std::filesystem::path& path, std::int32_t folderIndex = 1)
    {
        return lf_mergeCfgFindings(lf_isIvaoPath(path_to_utf8(path))
                                       ? lf_searchLiveriesinIVAOFile(folderIndex, path, g_dontUseTitles)
                                       : lf_searchLiveriesinFile(folderIndex, path, g_dontUseTitles));
    }

    std::filesystem::path write(const std::string& model, const std::string& text)
    {
        return writeAircraftCfg(m_folder / "aig-aitraffic-oci", model, text);
    }

    testsupport::TempFolder m_folder{true};
    testsupport::LogCapture m_log;
};

std::string folderOf(const std::filesystem::path& path) { return path_to_utf8(path.parent_path()); }

} // namespace

TEST_F(AircraftCfg, EverySectionBecomesOneLivery)
{
    const auto path = write("A320", aircraftCfg("a320", {
        {"Lufthansa A320", "DLH", "\"D-AIPA\" ; the first", "GATE, CARGO"},
        {"Lufthansa Cargo A320", "\"dlhc\"", "", "CARGO"},
        {"Generic A320", "\"\"", "ZZ-ZZZ"},
        {"KLM A320 two regs", "KLMX", "PH-AAA,PH-AAB"},
        {"Odd airline A320", "XYZ"},
    }));
    const std::vector<LiveryData> expected{
        {"DLH", "A320", "Lufthansa A320", "D-AIPA", 3, false},
        {"DLH", "A320", "Lufthansa Cargo A320", "", 3, true},
        {"ZZZ", "A320", "Generic A320", "", 3, false},
        {"KLM", "A320", "KLM A320 two regs", "", 3, false},
        {"PVT", "A320", "Odd airline A320", "", 3, false},
    };
    const auto liveries = search(path, 3);
    ASSERT_EQ(liveries.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(liveries[i], expected[i]) << i;
        EXPECT_EQ(liveries[i].folderIndex, 3);
    }
    const auto text = path_to_utf8(path);
    EXPECT_EQ(g_invalidAirlineLines.snapshot(),
              std::vector<std::string>{fmt::format("{:12} in {} title = Odd airline A320", "XYZ", text)});
    EXPECT_EQ(g_incompleteSections.snapshot(),
              std::vector<std::string>{
                  fmt::format("{} title = Odd airline A320 icao_airline is missing, or it has invalid info ", text)});
}

TEST_F(AircraftCfg, PrivateAircraftWithoutAirline)
{
    const CfgLivery privateOne{"Citation HBJRA private", "", "", "RAMP_GA"};
    const auto light = write("C56X", aircraftCfg("C56X", {privateOne}));
    EXPECT_EQ(search(light), (std::vector<LiveryData>{{"PVT", "C56X", "Citation HBJRA private", "HBJRA", 1, false}}));

    const auto heavy = write("B744", aircraftCfg("B744", {{"Jumbo private", "", "", "RAMP_GA"}}));
    const auto withUnknownReg = write("B77W", aircraftCfg("B77W", {{"Triple private", "", "N-UNKNOWN", "RAMP_GA"}}));
    const auto withKnownReg = write("A388", aircraftCfg("A388", {{"Lufthansa A380", "", "D-AIMA", "GATE"}}));
    EXPECT_TRUE(search(heavy).empty());
    EXPECT_TRUE(search(withUnknownReg).empty());
    EXPECT_EQ(search(withKnownReg), (std::vector<LiveryData>{{"DLH", "A388", "Lufthansa A380", "D-AIMA", 1, false}}));
    const auto reports = g_incompleteSections.snapshot();
    EXPECT_NE(std::find(reports.begin(), reports.end(),
                        fmt::format("'{}' 'title = Jumbo private' has no airline and no regcode info", folderOf(heavy))),
              reports.end());
    EXPECT_NE(std::find(reports.begin(), reports.end(),
                        fmt::format("'{}' 'title = Triple private' has no airline and regcode not in dbase",
                                    folderOf(withUnknownReg))),
              reports.end());
}

TEST_F(AircraftCfg, FilesThatCannotBeUsed)
{
    const auto tooHigh = write("high", "[fltsim.0]\r\ntitle=A\r\n[fltsim.10001]\r\ntitle=B\r\n[General]\r\n"
                                       "icao_type_designator=A320\r\n");
    const auto overflow = write("overflow", "[fltsim.99999999999]\r\ntitle=A\r\n");
    const auto noSections = write("none", "[General]\r\nicao_type_designator=A320\r\n");
    const auto noType = write("notype", aircraftCfg("", {{"No type", "DLH"}}));
    const auto unknownType = write("unknown", aircraftCfg("B7X7", {{"Unknown type", "DLH"}}));
    const auto pmdg = writeAircraftCfg(m_folder / "pmdg-aircraft-7", "PMDG", aircraftCfg("", {{"PMDG", "DLH"}}));
    for (const auto& path : {tooHigh, overflow, noSections, noType, unknownType, pmdg}) {
        EXPECT_TRUE(search(path).empty()) << path;
    }
    EXPECT_EQ(g_invalidCfgFiles.snapshot(),
              (std::vector<std::string>{
                  path_to_utf8(tooHigh) + " contains a [fltsim.x] section with a number < 0 or > 10000",
                  "Line icao_type_designator= is missing in [General] section of " + path_to_utf8(noType)}));
    EXPECT_TRUE(m_log.contains("==> fltsim num [fltsim.99999999999] incorrect"));
    EXPECT_EQ(g_noFltsimFiles.snapshot(), std::vector<std::string>{path_to_utf8(noSections)});
    EXPECT_EQ(g_invalidModelLines.snapshot(),
              std::vector<std::string>{fmt::format("{:16} in {}", "B7X7", path_to_utf8(unknownType))});
}

TEST_F(AircraftCfg, TypeFromFixesAndDefaultAircraft)
{
    const auto fixed = write("fixed", aircraftCfg("A20", {{"Fixed type", "EZY"}}));
    const auto container = write("container", aircraftCfg("", {{"Neo on base", "EZY", "", "GATE",
                                                                {"base_container = \"..\\Asobo_A320_NEO\""}}}));
    EXPECT_EQ(search(fixed).at(0).type, "A20N");
    EXPECT_EQ(search(container).at(0).type, "A20N");
    EXPECT_EQ(g_fixLines.snapshot(), std::vector<std::string>{fmt::format("Model fix: A20 found in {} changed into A20N",
                                                                           path_to_utf8(fixed))});
}

TEST_F(AircraftCfg, SectionsDroppedWithTheirReports)
{
    g_dontUseTitles = {"Unwanted"};
    const auto path = write("B738", aircraftCfg("B738", {
        {"Two titles", "RYR", "", "GATE", {"title=Second"}},
        {"Two airlines", "RYR", "", "GATE", {"icao_airline=EZY"}},
        {"Two parkings", "RYR", "", "GATE", {"atc_parking_types=CARGO"}},
        {"Two regs", "RYR", "EI-DCL", "GATE", {"atc_id=EI-DCM"}},
        {"", "RYR"},
        {"Long reg", "RYR", "ABCDEFGHIJKLM"},
        {"FenixA320 not AI", "RYR"},
        {"Charter", "RFO"},
        {"Unwanted", "RYR"},
        {"Ryanair 1", "RYR"},
        {"Ryanair 1", "RYR", "", "CARGO"},
        {"Placeholder-STUB", "RYR", "EI-DCL"},
    }));
    const auto other = write("B738b", aircraftCfg("B738", {{"Ryanair 1", "RYR"}}));
    EXPECT_EQ(search(path), (std::vector<LiveryData>{{"RYR", "B738", "Long reg", "", 1, false},
                                                     {"RYR", "B738", "Ryanair 1", "", 1, false},
                                                     {"ZZZ", "B738", "Placeholder-STUB", "", 1, false}}));
    EXPECT_TRUE(search(other).empty());

    const std::string folder = folderOf(path);
    std::vector<std::string> expected{
        fmt::format("{} title = Two titles has more than one title key", folder),
        fmt::format("{} title = Two airlines has more than one icao_airline key", folder),
        fmt::format("{} title = Two parkings has more than one atc_parking_types key", folder),
        fmt::format("{}, title = Two regs, has more than one atc_id key", folder),
        fmt::format("{} model = \"\" misses title", folder),
        "invalid atc_id=ABCDEFGHIJKLM in: Long reg",
        fmt::format("{} title = Charter icao_airline is missing, or it has invalid info ", path_to_utf8(path)),
        fmt::format("{} title = Ryanair 1 title 'Ryanair 1' already exists", folder),
        fmt::format("{} title = Ryanair 1 title 'Ryanair 1' already exists", folderOf(other)),
    };
    EXPECT_EQ(g_incompleteSections.snapshot(), expected);
}

// Empty and "//" lines at a section's end are not part of it: a key commented out there is not
// a second key that ends the section.
TEST_F(AircraftCfg, TrailingEmptyAndCommentLinesAreNotPartOfTheSection)
{
    const auto path = write("B738", aircraftCfg("B738", {
        {"Ryanair 1", "RYR", "EI-DCL", "GATE", {"//atc_id=EI-DCM", "  ", "//atc_parking_types=CARGO"}},
    }));
    EXPECT_EQ(search(path), (std::vector<LiveryData>{{"RYR", "B738", "Ryanair 1", "EI-DCL", 1, false}}));
    EXPECT_TRUE(g_incompleteSections.snapshot().empty());
}

TEST_F(AircraftCfg, DamagedFilesAndOddCharsets)
{
    // UTF-16 with a byte-order mark, as some packages are saved.
    const std::string utf8Text = aircraftCfg("E190", {{"KLM Cityhopper E190", "KLM"}});
    std::string utf16 = "\xFF\xFE";
    for (const char c : utf8Text) {
        utf16 += c;
        utf16 += '\0';
    }
    const auto wide = write("wide", utf16);
    // Windows-1252 text: "Air Caraïbes".
    const auto ansi = write("ansi", aircraftCfg("A320", {{"Air Cara\xEF" "bes", "AFR"}}));
    const auto garbage = write("garbage", std::string("\x00\x01\xFE[fltsim.\x00\xFF title=\x80\x81", 20));
    const auto truncated = write("truncated", "[fltsim.0]\r\ntitle=\"Half quoted\r\nicao_airline=DLH");
    const auto empty = write("empty", "");

    EXPECT_EQ(search(wide), (std::vector<LiveryData>{{"KLM", "E190", "KLM Cityhopper E190", "", 1, false}}));
    EXPECT_EQ(search(ansi).at(0).title, "Air Cara\xC3\xAF" "bes");
    EXPECT_TRUE(search(garbage).empty());
    EXPECT_TRUE(search(truncated).empty());
    EXPECT_TRUE(search(empty).empty());
    EXPECT_TRUE(search(m_folder / "missing" / "aircraft.cfg").empty());
}

TEST_F(AircraftCfg, IvaoModelsTakeTypeFromFolderAndAirlineFromTitle)
{
    const auto model = m_folder / "Community" / "IVAO_MTL" / "SimObjects" / "Airplanes" / "IVAO_B738WLfa";
    for (const char* texture : {"DLH", "KLM", "REG", "NONE", "ZZZ"}) {
        std::filesystem::create_directories(model / (std::string("texture.") + texture));
    }
    writeFile(model / "aircraft.cfg",
              "[fltsim.0]\ntitle=B738WDLH Lufthansa\ntexture=DLH\natc_parking_types=CARGO\n"
              "[fltsim.1]\ntitle=\" B738wklm KLM \"\ntexture=KLM\n"
              "[fltsim.2]\ntitle=B738 Ryanair\ntexture=REG\natc_id=EI-DCL\n"
              "[fltsim.3]\ntitle=B738 Nobody\ntexture=NONE\n"
              "[fltsim.4]\ntitle=B738WDLH Missing texture\ntexture=GONE\n"
              "[fltsim.5]\ntitle=B738WZZZ Generic\ntexture=ZZZ\natc_id=X-ZZZ\n");
    const auto path = model / "aircraft.cfg";
    EXPECT_EQ(search(path), (std::vector<LiveryData>{{"DLH", "B738", "B738WDLH Lufthansa", "", 1, false},
                                                     {"RYR", "B738", "B738 Ryanair", "EI-DCL", 1, false},
                                                     {"ZZZ", "B738", "B738WZZZ Generic", "", 1, false}}));
    const std::string folder = path_to_utf8(model);
    EXPECT_TRUE(m_log.contains("removed spaces around title ' B738wklm KLM ' --> 'B738wklm KLM'"));
    EXPECT_EQ(g_invalidAirlineLines.snapshot(),
              std::vector<std::string>{fmt::format("{:12} in {} {}", "klm", path_to_utf8(path), "title=\" B738wklm KLM \"")});
    EXPECT_EQ(g_incompleteSections.snapshot(),
              (std::vector<std::string>{
                  folder + " title=B738 Nobody misses airlinecode in title: B738 Nobody, and no regcode",
                  path_to_utf8(model / "texture.GONE") + " title=B738WDLH Missing texture does not exist"}));

    // A folder name that is no known type gives nothing.
    const auto unknown = m_folder / "Community" / "IVAO_MTL" / "SimObjects" / "Airplanes" / "IVAO_X999";
    std::filesystem::create_directories(unknown);
    writeFile(unknown / "aircraft.cfg", "[fltsim.0]\ntitle=X999DLH\n");
    EXPECT_TRUE(search(unknown / "aircraft.cfg").empty());
    EXPECT_EQ(g_invalidModelLines.snapshot(),
              std::vector<std::string>{fmt::format("{:16} in {}", "X999", path_to_utf8(unknown / "aircraft.cfg"))});
}
