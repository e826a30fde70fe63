#include "core/airport_settings.h"
#include "core/parameters_document.h"
#include "core/parameters_xml.h"
#include "core/path_text.h"
#include "core/program_folders.h"
#include "core/settings.h"
#include "core/sim_choice.h"
#include "core/stop_flags.h"
#include "parking/airport_settings_snapshot.h"
#include "support/log_capture.h"
#include "support/program_state.h"
#include "support/temp_folder.h"
#include "support/unprivileged_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fmt/format.h>
#include <filesystem>
#include <pugixml.hpp>
#include <thread>

namespace fs = std::filesystem;
using testsupport::LogCapture;
using testsupport::readFile;
using testsupport::TempFolder;
using testsupport::writeFile;

namespace {

// A working folder with its own app-data tree; "parameters.xml" goes to its AppData folder.
class ParametersFile : public ::testing::Test {
protected:
    ParametersFile() : work(true)
    {
        testsupport::useAppDataRoot(root.path());
    }

    void store(const std::string& parametersXml) { writeFile(g_parametersPath, parametersXml); }

    pugi::xml_document stored() const
    {
        pugi::xml_document document;
        EXPECT_TRUE(document.load_file(g_parametersPath.get().c_str()));
        return document;
    }

    // The (name, value) pairs of the file, in file order.
    std::vector<std::pair<std::string, std::string>> storedPairs() const
    {
        std::vector<std::pair<std::string, std::string>> pairs;
        const auto document = stored();
        for (const auto node : gf_parametersNode(document).children("parameter")) {
            pairs.emplace_back(node.attribute("name").value(), node.attribute("value").value());
        }
        return pairs;
    }

    std::size_t countStored(const std::string& name) const
    {
        std::size_t count = 0;
        for (const auto& [key, value] : storedPairs()) {
            count += key == name ? 1 : 0;
        }
        return count;
    }

    static std::string fileWith(const std::string& elements)
    {
        return "<?xml version=\"1.0\"?>\n<root><parameters>" + elements + "</parameters></root>\n";
    }

    static std::string element(const std::string& name, const std::string& value)
    {
        return "<parameter name=\"" + name + "\" value=\"" + value + "\"/>";
    }

    TempFolder root;
    TempFolder work;
    LogCapture log;
};

} // namespace

TEST_F(ParametersFile, MissingFileIsCreatedWithDefaultsAndBothScansOn)
{
    RANGE.value = 25;
    gf_initParameters();

    EXPECT_TRUE(log.contains(path_to_utf8(g_parametersPath) + " not found, creating new with default values:"));
    const std::string text = readFile(g_parametersPath);
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n  <parameters>\n    <parameter", 0), 0u);
    const auto document = stored();
    EXPECT_EQ(gf_findStringParameter(document, "PROGRAM_VERSION"), "11.10.8");
    EXPECT_EQ(gf_findBoolParameter(document, "SCAN_LIVERIES"), true);
    EXPECT_EQ(gf_findBoolParameter(document, "SCAN_AIRPORTS"), true);
    EXPECT_EQ(gf_findIntParameter(document, "RANGE"), 40);
    EXPECT_EQ(gf_findStringParameter(document, "PORT_NUMBER"), "10747");
    EXPECT_EQ(gf_findIntParameter(document, "LAST_EPOCH_TIME:"), 0);
    EXPECT_EQ(countStored("AIRP_HEIGHT"), 2u);
    EXPECT_EQ(countStored("MAX_FIT_FL"), 0u);
    EXPECT_EQ(countStored("parking_percentage"), 0u);
    EXPECT_EQ(countStored("ALL_INSTALL_PATH"), 0u);
    // 1 + 20 + 8 + 7 + 22 + 2 registered elements.
    EXPECT_EQ(storedPairs().size(), 60u);
    // A write with defaults leaves the live values alone.
    EXPECT_EQ(RANGE.value, 25);
    EXPECT_TRUE(SCAN_LIVERIES.value);
    EXPECT_FALSE(fs::exists(fs::path(g_parametersPath.get()) += ".tmp"));
}

TEST_F(ParametersFile, StoredNumbersAreClampedToTheirLimits)
{
    struct Row {
        IntParameter* setting;
        std::string stored;
        int expected;
    };
    const std::vector<Row> rows{{&RANGE, "500", 100},      {&RANGE, "1", 2},           {&MAX_FIT, "-3", 0},
                                {&MAX_FIT, "12", 12},      {&MAIN_WINDOW_X, "-40000", -30000},
                                {&AIRP_HEIGHT, "1000", 2000}, {&MATCHING_DEPTH, "abc", 1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.setting->name + "=" + row.stored);
        store(fileWith(element(row.setting->name, row.stored)));
        EXPECT_FALSE(gf_readParameters());
        EXPECT_EQ(row.setting->value, row.expected);
    }
}

TEST_F(ParametersFile, ReadLogsEverySettingBetweenBanners)
{
    store(fileWith(element("RANDOM", "false") + element("RANGE", "25") + element("BLOCK_CALLSIGN", "DLH1")));
    EXPECT_FALSE(gf_readParameters());
    const auto lines = log.lines();
    const auto at = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) - lines.begin(); };
    const auto opening = at(std::string(34, '*') + " parameters " + std::string(34, '*'));
    const auto closing = at(std::string(80, '*'));
    ASSERT_LT(opening, closing);
    EXPECT_EQ(lines[opening + 1], "from '" + path_to_utf8(g_parametersPath) + "'");
    EXPECT_EQ(lines[opening + 2], "RANDOM=false");
    EXPECT_LT(at("RANGE=25"), closing);
    EXPECT_LT(at("BLOCK_CALLSIGN=\"DLH1\""), closing);
    EXPECT_LT(at("PORT_NUMBER=\"10747\""), closing);
    EXPECT_FALSE(RANDOM.value);
    EXPECT_EQ(BLOCK_CALLSIGN.value, "DLH1");
}

TEST_F(ParametersFile, MissingSettingsAreAppendedAtTheirDefaults)
{
    store(fileWith(element("RANGE", "25") + element("UNKNOWN", "kept") + element("RANDOM", "false")));
    RANDOM.value = true;
    EXPECT_FALSE(gf_readParameters());
    EXPECT_FALSE(RANDOM.value);
    EXPECT_EQ(RANGE.value, 25);
    const auto pairs = storedPairs();
    ASSERT_EQ(pairs.size(), 3u + 60u - 3u);
    EXPECT_EQ(pairs[0], (std::pair<std::string, std::string>{"RANGE", "25"}));
    EXPECT_EQ(pairs[1], (std::pair<std::string, std::string>{"UNKNOWN", "kept"}));
    EXPECT_EQ(pairs[2], (std::pair<std::string, std::string>{"RANDOM", "false"}));
    EXPECT_EQ(pairs[3], (std::pair<std::string, std::string>{"AEROWINX", "false"}));
    EXPECT_EQ(pairs.back(), (std::pair<std::string, std::string>{"SIM_CHOICE", "MSFS 2020"}));
}

TEST_F(ParametersFile, FirstOfSeveralElementsCountsAndMissingValueReadsEmpty)
{
    store(fileWith(element("RANGE", "30") + element("RANGE", "50") + "<parameter name=\"AEROWINX\"/>" +
                   "<parameter name=\"DESTINATION\"/>"));
    AEROWINX.value = true;
    DESTINATION.value = "EDDF";
    gf_readParameters();
    EXPECT_EQ(RANGE.value, 30);
    EXPECT_FALSE(AEROWINX.value);
    EXPECT_EQ(DESTINATION.value, "");
}

TEST_F(ParametersFile, RootlessFileIsReadAndRewrittenWithRootOnTheNextSave)
{
    store("<parameters>" + element("RANGE", "30") + element("AEROWINX", "false") + "</parameters>");
    EXPECT_FALSE(gf_readParameters());
    EXPECT_EQ(RANGE.value, 30);

    AEROWINX.value = true;
    gf_saveBoolParameter(AEROWINX);
    pugi::xml_document document = stored();
    ASSERT_TRUE(document.child("root").child("parameters"));
    EXPECT_EQ(gf_findBoolParameter(document, "AEROWINX"), true);
    EXPECT_EQ(gf_findIntParameter(document, "RANGE"), 30);
    EXPECT_EQ(countStored("AIRP_HEIGHT"), 2u);
    EXPECT_TRUE(log.contains("Placing a root level around a new parameters.xml to make it 100% xml compliance"));
}

TEST_F(ParametersFile, SingleSavesChangeEveryElementOfTheNameOrAppendOne)
{
    store(fileWith(element("RANGE", "30") + element("RANGE", "50") + element("OTHER", "x")));
    RANGE.value = 65;
    gf_saveIntParameter(RANGE);
    gf_setStringParameter(DESTINATION, "KSFO");
    const auto pairs = storedPairs();
    ASSERT_EQ(pairs.size(), 4u);
    EXPECT_EQ(pairs[0].second, "65");
    EXPECT_EQ(pairs[1].second, "65");
    EXPECT_EQ(pairs[3], (std::pair<std::string, std::string>{"DESTINATION", "KSFO"}));
    EXPECT_TRUE(log.contains("RANGE=65"));
    EXPECT_TRUE(log.contains("DESTINATION=\"KSFO\""));
}

TEST_F(ParametersFile, SaveIntoADeletedDamagedOrEmptiedFileKeepsEveryOtherSetting)
{
    struct Case {
        const char* file;  // nullptr: the file is deleted
        const char* reason;
    };
    for (const Case c : {Case{nullptr, ""}, Case{"<root><parameters>broken", "failed to load ("},
                         Case{"<root/>", "holds no known parameter."},
                         Case{"<root><parameters/></root>", "holds no known parameter."},
                         Case{"<root><parameters><parameter/></parameters></root>", "holds no known parameter."},
                         Case{"<root><parameters><parameter name=\"OLD_ONE\" value=\"1\"/></parameters></root>",
                              "holds no known parameter."}}) {
        const std::string name = c.file != nullptr ? c.file : "deleted";
        gf_writeParameters(false);
        const std::size_t settings = storedPairs().size();
        RANGE.value = 65;
        gf_saveIntParameter(RANGE);
        if (c.file != nullptr) {
            store(c.file);
        } else {
            fs::remove(g_parametersPath.get());
        }
        WEEK.value = !WEEK.value;
        gf_saveBoolParameter(WEEK);

        EXPECT_EQ(storedPairs().size(), settings) << name;
        EXPECT_EQ(countStored("RANGE"), 1u) << name;
        EXPECT_NE(readFile(g_parametersPath).find(R"(<parameter name="RANGE" value="65" />)"), std::string::npos);
        EXPECT_NE(readFile(g_parametersPath).find(fmt::format(R"(<parameter name="WEEK" value="{}" />)",
                                                              gf_parameterText(WEEK.value.load()))),
                  std::string::npos)
            << name;
        const fs::path copy = fs::path(g_parametersPath.get()).replace_filename("parameters0.xml");
        EXPECT_EQ(fs::exists(copy), c.file != nullptr) << name;
        if (c.file != nullptr) {
            EXPECT_EQ(readFile(copy), c.file);
            const std::string said = "==> " + path_to_utf8(g_parametersPath) + " " + c.reason;
            const auto lines = log.lines();
            EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with(said); }))
                << name;
            fs::remove(copy);
        }
    }
}

// A file the program may not read is neither replaced nor removed: its copy cannot be made, and
// the settings in it would be lost.
TEST_F(ParametersFile, UnreadableFileIsLeftAsItIsAndTheLogSaysWhy)
{
    if (!testsupport::runBodyUnprivileged()) {
        return;
    }
    const std::string old = fileWith(element("RANGE", "30"));
    store(old);
    fs::permissions(g_parametersPath.get(), fs::perms::none);

    EXPECT_TRUE(gf_readParameters());
    RANGE.value = 65;
    gf_saveIntParameter(RANGE);
    fs::permissions(g_parametersPath.get(), fs::perms::owner_read | fs::perms::owner_write);

    EXPECT_EQ(readFile(g_parametersPath), old);
    EXPECT_FALSE(fs::exists(fs::path(g_parametersPath.get()).replace_filename("parameters0.xml")));
    const std::string said = fmt::format("==> {} failed to load ({}). It could not be saved as 0.xml and is left as it is.",
                                         path_to_utf8(g_parametersPath),
                                         std::make_error_code(std::errc::permission_denied).message());
    const auto lines = log.lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), said), 2) << log.text();
}

// The file is replaced only by a complete new one: when the new one cannot be written, the old stays.
TEST_F(ParametersFile, FailedSaveKeepsTheOldFile)
{
    const std::string old = fileWith(element("RANGE", "30"));
    store(old);
    fs::create_directories(fs::path(g_parametersPath.get()) += ".tmp");
    RANGE.value = 65;
    gf_saveIntParameter(RANGE);
    EXPECT_EQ(readFile(g_parametersPath), old);
    EXPECT_TRUE(log.contains("==> saving: " + path_to_utf8(g_parametersPath) + " failed"));
}

TEST_F(ParametersFile, TwoThreadsSavingAtOnceLoseNeither)
{
    gf_writeParameters(false);
    std::thread gui([] {
        for (int i = 0; i < 40; ++i) {
            AEROWINX.value = i % 2 == 1;
            gf_saveBoolParameter(AEROWINX);
        }
    });
    std::thread startUp([] {
        for (int i = 0; i < 40; ++i) {
            gf_setStringParameter(DESTINATION, fmt::format("D{}", i));
        }
    });
    gui.join();
    startUp.join();
    const auto document = stored();
    EXPECT_EQ(gf_findBoolParameter(document, "AEROWINX"), true);
    EXPECT_EQ(gf_findStringParameter(document, "DESTINATION"), "D39");
    EXPECT_EQ(storedPairs().size(), 60u);
}

// The closing-down clears the blocked callsign on the main loop while the window sets it,
// and the main loop reads it on every tick: each read sees one whole value, and the file
// ends with the value the setting ends with.
TEST_F(ParametersFile, TextSetAndReadByTwoThreadsAtOnceStaysWhole)
{
    gf_writeParameters(false);
    const auto run = [](const char* callsign) {
        for (int i = 0; i < 40; ++i) {
            gf_setStringParameter(BLOCK_CALLSIGN, i % 2 == 0 ? callsign : "");
            const std::string seen = BLOCK_CALLSIGN.value;
            EXPECT_TRUE(seen.empty() || seen == "DLH4AB" || seen == "SWR12") << seen;
        }
    };
    std::thread gui(run, "DLH4AB");
    std::thread mainLoop(run, "SWR12");
    gui.join();
    mainLoop.join();
    const std::string last = BLOCK_CALLSIGN.value;
    EXPECT_EQ(gf_findStringParameter(stored(), "BLOCK_CALLSIGN"), last);
}

TEST_F(ParametersFile, LoggersAreQuietWhileQuitting)
{
    g_exitRequested = true;
    RANGE.value = 65;
    gf_saveIntParameter(RANGE);
    EXPECT_FALSE(log.contains("RANGE=65"));
    g_exitRequested = false;
}

TEST_F(ParametersFile, SameVersionIsNotAnUpdate)
{
    store(fileWith(element("PROGRAM_VERSION", "11.10.8") + element("LOG", "true")));
    gf_initParameters();
    EXPECT_EQ(countStored("LOG"), 1u);
    for (const auto& line : log.lines()) {
        EXPECT_EQ(line.find("This is a version update"), std::string::npos);
    }
}

TEST_F(ParametersFile, DowngradeRecordsTheRunningVersion)
{
    store(fileWith(element("PROGRAM_VERSION", "12.0.0") + element("LOG", "true")));
    gf_initParameters();
    EXPECT_EQ(gf_findStringParameter(stored(), "PROGRAM_VERSION"), "11.10.8");
    EXPECT_EQ(countStored("LOG"), 1u);
}

TEST_F(ParametersFile, VersionOlderThan1102IsRewrittenWithDefaults)
{
    store(fileWith(element("PROGRAM_VERSION", "11.0.1") + element("RANGE", "25") + element("LOG", "true")));
    gf_initParameters();
    EXPECT_TRUE(log.contains("This is a version update from 11.0.1 -> 11.10.8"));
    EXPECT_TRUE(log.contains("Skyweaver re-starts with default parameter values ..."));
    const auto document = stored();
    EXPECT_EQ(gf_findIntParameter(document, "RANGE"), 40);
    EXPECT_EQ(gf_findStringParameter(document, "PROGRAM_VERSION"), "11.10.8");
    EXPECT_EQ(countStored("LOG"), 0u);
    // The values read stay for this run.
    EXPECT_EQ(RANGE.value, 25);
}

TEST_F(ParametersFile, Version1102IsMigratedAndOldLeftoversRemoved)
{
    store(fileWith(element("PROGRAM_VERSION", "11.0.2") + element("LOG", "true") + element("MSFS_2020", "1") +
                   element("AI_PACKAGE_ORDER", "x") + element("RANGE", "25")));
    const std::vector<std::string> removed{"Callsign2ObjectId.txt", "TO_BE_LEARNED_OFFLINE/EDDF.txt",
                                           "versions.json",         "EDDF.xml",
                                           "input/airports_msfs.xml", "input/airports_msfs_names.xml",
                                           "new_version/setup.exe"};
    const std::vector<std::string> kept{"LIRF.XML", "dbase.xml", "EDD.xml", "input/airports_p3d.xml",
                                        "input/KJFK.xml"};
    for (const auto& name : removed) writeFile(name, "x");
    for (const auto& name : kept) writeFile(name, "x");

    gf_initParameters();

    for (const auto& name : removed) EXPECT_FALSE(fs::exists(name)) << name;
    for (const auto& name : kept) EXPECT_TRUE(fs::exists(name)) << name;
    EXPECT_FALSE(fs::exists("TO_BE_LEARNED_OFFLINE"));
    EXPECT_FALSE(fs::exists("new_version"));
    EXPECT_TRUE(log.contains("This is a version update from 11.0.2 -> 11.10.8"));
    EXPECT_TRUE(log.contains("Parameter 'LOG' removed"));
    EXPECT_EQ(countStored("LOG"), 0u);
    EXPECT_EQ(countStored("MSFS_2020"), 0u);
    EXPECT_EQ(countStored("AI_PACKAGE_ORDER"), 0u);
    const auto document = stored();
    EXPECT_EQ(gf_findIntParameter(document, "RANGE"), 25);
    EXPECT_EQ(gf_findStringParameter(document, "PROGRAM_VERSION"), "11.10.8");
}

TEST(AirportSettings, IndexToHours)
{
    const std::vector<std::pair<int, float>> rows{{-3, 0.5f}, {0, 0.5f},   {1, 1.0f},   {2, 1.5f},   {9, 5.0f},
                                                  {10, 6.0f}, {11, 6.0f},  {12, 7.0f},  {19, 10.0f}, {20, 11.0f},
                                                  {22, 12.0f}, {25, 12.0f}, {26, 15.0f}, {37, 18.0f}, {38, 21.0f},
                                                  {43, 21.0f}, {44, 24.0f}, {47, 24.0f}};
    for (const auto& [index, hours] : rows) {
        EXPECT_EQ(gf_indexToHours(index), hours) << index;
    }
}

TEST(AirportSettings, MaxFitOfElevenHoursIsNotAnOptionButIsKept)
{
    MAX_FIT.value = 20;
    gf_applyMaxFit();
    EXPECT_EQ(MAX_FIT_FL.value, 11.0f);
}

TEST(AirportSettings, RangeBeyondTheListIsClampedButKeptForDistances)
{
    EXPECT_EQ(gf_setRangeNm(150), 277800u);
    EXPECT_EQ(RANGE.value, 100);
    EXPECT_EQ(g_rangeNm.load(), 150.0);
    EXPECT_EQ(g_rangeMeters.load(), 277800u);
}

TEST_F(ParametersFile, LeavingTheParkAirportRestoresItsSnapshot)
{
    gf_writeParameters(false);
    g_airportSettingsSnapshot = {75, 20, 150, 33, false, true, true, true};
    gf_applyAirportSettings();
    EXPECT_EQ(MAX_LIVE_SEL.value, 75);
    EXPECT_EQ(MAX_FIT.value, 20);
    EXPECT_EQ(MAX_FIT_FL.value, 11.0f);
    EXPECT_EQ(RANGE.value, 100);
    EXPECT_EQ(g_rangeNm.load(), 150.0);
    EXPECT_EQ(parking_percentage.value, 33);
    EXPECT_FALSE(AUTO_RANGE.value);
    EXPECT_TRUE(INITIAL_LOAD_ONLY.value);
    EXPECT_TRUE(PARK_SOFT.value);
    EXPECT_TRUE(WEEK.value);
    const auto document = stored();
    EXPECT_EQ(gf_findIntParameter(document, "MAX_LIVE_SEL"), 75);
    EXPECT_EQ(gf_findIntParameter(document, "MAX_FIT"), 20);
    EXPECT_EQ(gf_findIntParameter(document, "RANGE"), 100);
    EXPECT_EQ(gf_findIntParameter(document, "parking_percentage"), 33);
    EXPECT_EQ(gf_findBoolParameter(document, "AUTO_RANGE"), false);
    EXPECT_EQ(gf_findBoolParameter(document, "WEEK"), true);
}

TEST_F(ParametersFile, StoredSimulatorChoiceSelectsTheSimulator)
{
    struct Case {
        const char* stored;
        bool msfs2020;
    };
    // Only "MSFS 2020" selects MSFS 2020; anything else is MSFS 2024.
    for (const Case& c : {Case{"MSFS 2024", false}, Case{"MSFS 2020", true}, Case{"", false}, Case{"MSFS 2022", false}}) {
        g_msfs2020 = !c.msfs2020;
        store(fileWith(element("SIM_CHOICE", c.stored)));

        gf_readParameters();

        EXPECT_EQ(g_msfs2020.load(), c.msfs2020) << "SIM_CHOICE \"" << c.stored << '"';
    }
}
