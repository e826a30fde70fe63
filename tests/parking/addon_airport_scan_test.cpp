// The add-on airport scan over a built simulator install: links and generated park files,
// folders that are never walked, the scan log, the "tblo.zip" for off-line learning, and
// the scan switched off afterwards.
#include "core/parameters_xml.h"
#include "core/program_folders.h"
#include "core/settings.h"
#include "core/sim_choice.h"
#include "core/zip_archive.h"
#include "parking/addon_airport_scan.h"
#include "refdata/aircraft_db.h"
#include "refdata/airport_db.h"
#include "core/scan_pool.h"
#include "core/clock.h"
#include "core/stop_flags.h"
#include "parking/scan_messages.h"
#include "support/bgl_builder.h"
#include "support/log_capture.h"
#include "support/program_state.h"
#include "support/temp_folder.h"
#include "support/unprivileged_run.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <chrono>
#include <future>
#include <atomic>
#include <thread>
#include <cstdlib>

using testsupport::BglAirport;
using testsupport::BglHelipad;
using testsupport::BglParking;
using testsupport::readFile;
using namespace std::chrono_literals;

namespace fs = std::filesystem;

namespace {

BglAirport lf_airport(const std::string& ident, int parkings, int helipads = 0)
{
    BglAirport airport;
    airport.ident = ident;
    for (int i = 1; i <= parkings; ++i)
        airport.parkings.push_back(BglParking{12, 8, static_cast<std::uint32_t>(i), 20.0f, 90.0f, 47.0 + i * 0.001, 8.5});
    for (int i = 1; i <= helipads; ++i)
        airport.helipads.push_back(BglHelipad{47.1 + i * 0.001, 8.6, 30.0f});
    return airport;
}

class AddonAirportScanTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::useAppDataRoot(m_folder.path());
        gf_writeParameters(false);
        g_airportCodes = {"EHAM", "LSZH", "EDDF", "LFPG", "KMCI"};
        g_publisherTable = {{"FlyTampa", "flytampa"}, {"Aerosoft", "aerosoft"}};
        g_simAddonAirports = {"LFPG"};
        g_thirdParties20 = {ThirdPartyList{"FlyTampa", {"EHAM 2"}}};
        g_workerCount = 2;
        g_msfs2020 = true;
        SCAN_AIRPORTS.value = true;
        ALL_INSTALL_PATH.value = (m_folder / "sim").string();
        fs::create_directories(m_folder / "sim" / "Official");
        fs::create_directories(m_folder / "sim" / "Community");
    }
    fs::path community(const std::string& rest) const { return m_folder / "sim" / "Community" / rest; }
    std::vector<std::string> scanLog() const
    {
        std::vector<std::string> lines;
        std::string text = readFile(gf_airportsScanLogPath());
        for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
            end = text.find('\n', start);
            lines.push_back(text.substr(start, end - start));
        }
        return lines;
    }
    bool inScanLog(const std::string& line) const
    {
        const auto lines = scanLog();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    testsupport::TempFolder m_folder{true};
    testsupport::LogCapture m_log;
};

TEST_F(AddonAirportScanTest, NoAddonsWarnAndSwitchTheScanOff)
{
    gf_scanAddonAirports();
    EXPECT_TRUE(m_log.contains("Warning: Scan has not found any add-on airports"));
    EXPECT_TRUE(m_log.contains("The scan will search 2 folders"));
    EXPECT_FALSE(SCAN_AIRPORTS.value);
    EXPECT_NE(readFile(g_parametersPath.get()).find(R"(<parameter name="SCAN_AIRPORTS" value="false" />)"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(folders::tblo()));
    EXPECT_TRUE(fs::exists(gf_airportsScanLogPath()));
    EXPECT_FALSE(g_tbloFlag.load());
}

TEST_F(AddonAirportScanTest, AirportsAreLinkedOrGeneratedAndUnknownAddonsZipped)
{
    // A publisher with an archived file of fewer stands: linked, and generated as well.
    testsupport::writeBgl(community("flytampa-eham/scenery/eham.bgl"), {lf_airport("EHAM", 3)});
    // A manufacturer that is no known publisher: generated, and zipped for learning.
    testsupport::writeBgl(community("somedev-lszh/scenery/lszh.bgl"), {lf_airport("LSZH", 1, 1)});
    testsupport::writeFile(community("somedev-lszh/manifest.json"), R"({"manufacturer":"Some Dev Studio"})");
    // Nothing identifies the add-on: generated, but not zipped.
    testsupport::writeBgl(community("nobody-eddf/scenery/eddf.bgl"), {lf_airport("EDDF", 2)});
    // The simulator maker's airport: a link only.
    testsupport::writeBgl(m_folder / "sim/Official/OneStore/microsoft-airport-lfpg/scenery/lfpg.bgl",
                          {lf_airport("LFPG", 4)});
    // Never opened.
    testsupport::writeBgl(m_folder / "sim/Official/OneStore/fs-base/scenery/kmci.bgl", {lf_airport("KMCI", 4)});
    testsupport::writeBgl(community("pkg/SimObjects/Airplanes/x/model/kmci.bgl"), {lf_airport("KMCI", 4)});
    testsupport::writeBgl(community("pkg/scenery/statics/kmci.bgl"), {lf_airport("KMCI", 4)});
    // A damaged file among them changes nothing.
    const std::string good = testsupport::bglFile({lf_airport("KMCI", 4)});
    testsupport::writeFile(community("broken/scenery/kmci.bgl"), good.substr(0, good.size() / 2));

    gf_scanAddonAirports();

    const fs::path mine = folders::myThirdparty();
    EXPECT_EQ(readFile(mine / "EHAM.txt"), "archive/thirdparty/FlyTampa/EHAM.xml\n");
    EXPECT_FALSE(fs::exists(mine / "EHAM.xml")); // copied for learning, the link stays alone
    EXPECT_TRUE(fs::exists(mine / "LSZH.xml"));
    EXPECT_TRUE(fs::exists(mine / "EDDF.xml"));
    EXPECT_FALSE(fs::exists(mine / "KMCI.xml"));
    EXPECT_EQ(readFile(folders::airports() / "my_simaddon" / "LFPG.txt"), "archive/simaddon/LFPG.xml\n");
    EXPECT_FALSE(fs::exists(folders::airports() / "my_simaddon" / "LFPG.xml"));

    EXPECT_TRUE(inScanLog("thirdparty airport EHAM linked to archive/thirdparty/FlyTampa/EHAM.xml"));
    EXPECT_TRUE(inScanLog("===> EHAM has 3 parkpos while archived one has 2"));
    EXPECT_TRUE(inScanLog("Generated EHAM.xml: 3 positions"));
    EXPECT_TRUE(inScanLog("Generated LSZH.xml: 2 positions, of which 1 helipad"));
    EXPECT_TRUE(inScanLog("simaddon airport LFPG linked to archive/simaddon/LFPG.xml"));
    EXPECT_TRUE(inScanLog("===> No publisher found"));

    ASSERT_TRUE(g_tbloFlag.load());
    ZipArchive zip(folders::tblo() / "tblo.zip");
    ASSERT_TRUE(zip.open(ZipArchive::Mode::ReadOnly));
    std::vector<std::string> names;
    for (const ZipEntry& entry : zip.entries())
        names.push_back(entry.name);
    EXPECT_EQ(names, (std::vector<std::string>{"EHAM.xml", "LSZH.xml"}));
    EXPECT_NE(zip.readEntry("LSZH.xml").value_or("").find("Some Dev Studio"), std::string::npos);
    EXPECT_FALSE(fs::exists(folders::tblo() / "LSZH.xml"));
    EXPECT_FALSE(SCAN_AIRPORTS.value);
    EXPECT_EQ(g_runningTasks.load(), 0);
}

TEST_F(AddonAirportScanTest, CloseDuringTheScanEndsItAtOnceAndKeepsTheScanOn)
{
    gf_saveBoolParameter(SCAN_AIRPORTS);
    testsupport::writeBgl(community("flytampa-eham/scenery/eham.bgl"), {lf_airport("EHAM", 3)});
    testsupport::writeBgl(community("nobody-eddf/scenery/eddf.bgl"), {lf_airport("EDDF", 2)});
    // The first task hangs until the test ends, as a blocked read would; the close comes meanwhile.
    auto held = std::make_shared<std::promise<void>>();
    auto release = std::make_shared<std::promise<void>>();
    g_scanTaskHook = [held, wait = release->get_future().share(),
                      taken = std::make_shared<std::atomic<bool>>(false)](const fs::path&) {
        if (!taken->exchange(true)) {
            held->set_value();
            wait.wait();
        }
    };
    std::thread closer([held] {
        held->get_future().wait();
        g_exitRequested = true;
    });
    const auto started = std::chrono::steady_clock::now();
    gf_scanAddonAirports();
    closer.join();

    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
    EXPECT_TRUE(SCAN_AIRPORTS.value);
    EXPECT_EQ(readFile(g_parametersPath.get()).find(R"(<parameter name="SCAN_AIRPORTS" value="false" />)"),
              std::string::npos);
    EXPECT_FALSE(m_log.contains("Warning: Scan has not found any add-on airports"));
    EXPECT_EQ(g_runningTasks.load(), 0);
    g_scanTaskHook = nullptr;
    g_exitRequested = false;
    release->set_value();
    EXPECT_TRUE(gf_waitForScanWorkersToEnd(5s));
}

TEST_F(AddonAirportScanTest, EntryThatCannotBeListedCostsOnlyItself)
{
    testsupport::writeBgl(community("flytampa-eham/scenery/eham.bgl"), {lf_airport("EHAM", 3)});
    testsupport::writeBgl(community("nobody-eddf/scenery/eddf.bgl"), {lf_airport("EDDF", 2)});
    fs::create_directories(community("looped-lszh/scenery"));
    fs::create_directory_symlink("loop", community("looped-lszh/scenery/loop"));

    gf_scanAddonAirports();

    EXPECT_TRUE(fs::exists(folders::myThirdparty() / "EHAM.txt"));
    EXPECT_TRUE(fs::exists(folders::myThirdparty() / "EDDF.xml"));
    const std::string loop = community("looped-lszh/scenery/loop").string();
    const auto lines = scanLog();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&loop](const std::string& line) {
        return line.starts_with("addon  airports search in folder ") &&
               line.find(" skipped " + loop + ", cause: ") != std::string::npos;
    })) << readFile(gf_airportsScanLogPath());
    EXPECT_FALSE(SCAN_AIRPORTS.value);
}

// An unreadable package costs its airports only and the scan is done; an unreadable scan
// folder leaves the scan on for the next start.
TEST_F(AddonAirportScanTest, UnreadableFoldersAreNamedAndOnlyAScanFolderKeepsTheScanOn)
{
    if (!testsupport::runBodyUnprivileged())
        return;
    testsupport::writeBgl(community("flytampa-eham/scenery/eham.bgl"), {lf_airport("EHAM", 3)});
    testsupport::writeBgl(community("nobody-eddf/scenery/eddf.bgl"), {lf_airport("EDDF", 2)});
    const fs::path official = m_folder / "sim" / "Official";
    struct Case {
        fs::path locked;
        const char* said;
        bool scanStaysOn;
    };
    for (const Case& c : {Case{community("nobody-eddf"), " skipped ", false}, Case{official, " aborted", true}}) {
        SCAN_AIRPORTS.value = true;
        fs::permissions(c.locked, fs::perms::none);

        gf_scanAddonAirports();
        fs::permissions(c.locked, fs::perms::owner_all);

        EXPECT_TRUE(fs::exists(folders::myThirdparty() / "EHAM.txt"));
        EXPECT_EQ(fs::exists(folders::myThirdparty() / "EDDF.xml"), c.locked == official);
        const auto lines = scanLog();
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&c](const std::string& line) {
            return line.starts_with("addon  airports search in folder ") &&
                   line.find(c.said) != std::string::npos && line.find(c.locked.string()) != std::string::npos &&
                   line.find(", cause: ") != std::string::npos;
        })) << readFile(gf_airportsScanLogPath());
        EXPECT_EQ(SCAN_AIRPORTS.value, c.scanStaysOn) << c.locked;
    }
}

TEST_F(AddonAirportScanTest, FailedZipKeepsTheFilesForOffLineLearning)
{
    testsupport::writeBgl(community("flytampa-eham/scenery/eham.bgl"), {lf_airport("EHAM", 3)});
    // A folder in the zip's place: the zip cannot be written.
    testsupport::writeFile(folders::tblo() / "tblo.zip" / "x", "x");

    gf_scanAddonAirports();

    EXPECT_TRUE(m_log.contains("==> Zippen TBLO folder failed"));
    EXPECT_FALSE(fs::exists(folders::myThirdparty() / "EHAM.xml"));  // the link stays alone
    EXPECT_NE(readFile(folders::tblo() / "EHAM.xml").find("parkpos"), std::string::npos);
}

TEST_F(AddonAirportScanTest, ScanFoldersThatAreMissingOrFilesAreSkipped)
{
    testsupport::writeFile(m_folder / "afile", "x");
    lf_scanFolderChecked({m_folder / "afile", m_folder / "missing", {}});
    EXPECT_TRUE(m_log.contains((m_folder / "afile").string() + " is not a folder name, skipped!"));
    EXPECT_TRUE(m_log.contains((m_folder / "missing").string() + " does not exist, skipped!"));

    // Without a known install path there is nothing to scan.
    ALL_INSTALL_PATH.value.clear();
    gf_scanAddonAirports();
    EXPECT_TRUE(m_log.contains("The scan will search 0 folders"));
}

TEST_F(AddonAirportScanTest, SkippedFolders)
{
    struct Case {
        const char* below;
        bool skipped;
    };
    const Case cases[] = {
        {"fs-base-genericairports/scenery", true}, {"pkg/SimObjects/Airplanes", true},
        {"AIG-AITraffic-x", true},                 {"pkg/vCockpits", true},
        {"flytampa-eham/scenery/global", false},   {"gsx-pro-profiles", true},
        {"orbx-landmarks", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(lf_isSkippedFolder(c.below, fs::path("C:/Aircraft Sims/Community") / c.below), c.skipped) << c.below;
    EXPECT_TRUE(lf_isSkippedFolder("pkg", std::string(250, 'x')));
}

TEST_F(AddonAirportScanTest, ZipOfAFolder)
{
    EXPECT_FALSE(gf_zipFolder(m_folder / "missing", m_folder / "a.zip"));
    EXPECT_TRUE(m_log.contains("[zip] Not a directory: " + (m_folder / "missing").string()));

    fs::create_directories(m_folder / "empty");
    EXPECT_FALSE(gf_zipFolder(m_folder / "empty", m_folder / "empty.zip"));
    EXPECT_TRUE(m_log.contains("[zip] Added 0 files, ok_close=true, exists=false, size=0 bytes"));

    fs::create_directories(m_folder / "src" / "sub");
    testsupport::writeFile(m_folder / "src" / "A.xml", "aaa");
    testsupport::writeFile(m_folder / "src" / "sub" / "B.xml", "bbb");
    testsupport::writeFile(m_folder / "out.zip", "old");
    EXPECT_TRUE(gf_zipFolder(m_folder / "src", m_folder / "out.zip"));
    EXPECT_TRUE(m_log.contains("[zip] Removing old zip " + (m_folder / "out.zip").string()));
    ZipArchive zip(m_folder / "out.zip");
    ASSERT_TRUE(zip.open(ZipArchive::Mode::ReadOnly));
    ASSERT_EQ(zip.entries().size(), 1u);
    EXPECT_EQ(zip.readEntry("A.xml"), "aaa");
}

} // namespace

TEST_F(AddonAirportScanTest, ManyPackagesOfOneAirportGiveTheSameFilesOnEveryScan)
{
    // Eight add-ons of one airport, one of them with 3000 stands, and links written by several.
    const int stands[] = {3, 5, 3000, 7, 2, 9, 4, 6};
    for (int i = 0; i < 8; ++i) {
        const std::string package = fmt::format("dev{}-lszh", i + 1);
        testsupport::writeBgl(community(package + "/scenery/lszh.bgl"), {lf_airport("LSZH", stands[i], i % 2)});
        testsupport::writeFile(community(package + "/manifest.json"), R"({"manufacturer":"Some Dev Studio"})");
        if (i % 3 == 0)
            testsupport::writeBgl(community(fmt::format("flytampa-eham{}/scenery/eham.bgl", i)),
                                  {lf_airport("EHAM", 3 + i)});
    }
    testsupport::writeBgl(m_folder / "sim/Official/OneStore/microsoft-airport-lfpg/scenery/lfpg.bgl",
                          {lf_airport("LFPG", 4)});
    const auto outputs = [] {
        std::map<std::string, std::string> files;
        for (const fs::path& folder : {folders::myThirdparty(), folders::airports() / "my_simaddon"})
            for (const auto& entry : fs::directory_iterator(folder))
                files[entry.path().string()] = readFile(entry.path());
        return files;
    };
    const auto scan = [](int workers) {
        g_workerCount = workers;
        SCAN_AIRPORTS.value = true;
        gf_scanAddonAirports();
    };

    scan(1);  // one worker: the files as a walk on one thread leaves them
    const auto expected = outputs();
    ASSERT_EQ(expected.size(), 3u);  // LSZH.xml, EHAM.txt and LFPG.txt
    for (int run = 0; run < 20; ++run) {
        scan(8);
        ASSERT_EQ(outputs(), expected) << "scan " << run;
    }
    for (const std::string& line : m_log.lines()) {
        EXPECT_EQ(line.find("rename"), std::string::npos) << line;
        EXPECT_EQ(line.find("did not succeed"), std::string::npos) << line;
    }
    for (const std::string& line : scanLog())
        EXPECT_EQ(line.find("did not succeed"), std::string::npos) << line;
}

TEST_F(AddonAirportScanTest, ScanLogIsInListingOrderWhateverTheTiming)
{
    for (int i = 0; i < 8; ++i)
        testsupport::writeBgl(community(fmt::format("dev{}-lszh/scenery/lszh.bgl", i)), {lf_airport("LSZH", 2 + i)});
    const auto scan = [this](int workers) {
        g_workerCount = workers;
        gf_scanAddonAirports();
        return scanLog();
    };
    const auto expected = scan(1);  // one worker takes the files in listing order
    ASSERT_GE(expected.size(), 16u);
    // Files started later end sooner, as when the first ones are read slowly.
    std::atomic<int> started{0};
    g_scanTaskHook = [&started](const fs::path&) { std::this_thread::sleep_for(12ms * (8 - started.fetch_add(1))); };
    for (int run = 0; run < 3; ++run) {
        started = 0;
        EXPECT_EQ(scan(8), expected) << "scan " << run;
    }
    g_scanTaskHook = nullptr;
}

TEST_F(AddonAirportScanTest, WrittenFilesAreLoggedInWalkOrderWhateverTheWorkers)
{
    // Many airports, each file written by a task of its own.
    for (int i = 0; i < 24; ++i) {
        const std::string icao = fmt::format("K{}{}X", static_cast<char>('A' + i / 26), static_cast<char>('A' + i % 26));
        g_airportCodes.insert(icao);
        testsupport::writeBgl(community(fmt::format("dev{:02}-{}/scenery/{}.bgl", i, icao, icao)),
                              {lf_airport(icao, 1 + i % 4)});
    }
    std::vector<std::string> walkOrder;
    for (const auto& entry : fs::recursive_directory_iterator(community("")))
        if (entry.path().extension() == ".bgl")
            walkOrder.push_back(entry.path().stem().string());
    const auto generated = [](const std::vector<std::string>& log) {
        std::vector<std::string> airports;
        for (const std::string& line : log)
            if (line.starts_with("Generated "))
                airports.push_back(line.substr(10, 4));
        return airports;
    };

    for (const int workers : {1, 8, 8, 8}) {
        g_workerCount = workers;
        SCAN_AIRPORTS.value = true;
        gf_scanAddonAirports();
        EXPECT_EQ(generated(scanLog()), walkOrder) << workers << " workers";
    }
}

TEST_F(AddonAirportScanTest, TaskGivenUpLeavesNoLineAfterTheScan)
{
    for (const char* package : {"dev1-eham", "held-lszh", "dev3-eddf"})
        testsupport::writeBgl(community(fmt::format("{}/scenery/a.bgl", package)), {lf_airport("LSZH", 2)});
    // The task of the held file waits until the scan has ended, as a read that hangs for a while.
    // One worker: the tasks listed before it have ended, those after it start when it is given up.
    g_workerCount = 1;
    clk::freeze(std::chrono::system_clock::now());
    auto held = std::make_shared<std::promise<void>>();
    auto release = std::make_shared<std::promise<void>>();
    g_scanTaskHook = [held, wait = release->get_future().share()](const fs::path& file) {
        if (file.string().find("held-") != std::string::npos) {
            held->set_value();
            wait.wait();
        }
    };
    std::thread clock([held] {
        held->get_future().wait();
        clk::advance(kScanTaskLimit + 1s);
    });
    gf_scanAddonAirports();
    clock.join();
    release->set_value();
    ASSERT_TRUE(gf_waitForScanWorkersToEnd(5s));
    g_scanTaskHook = nullptr;
    clk::unfreeze();

    EXPECT_TRUE(inScanLog(fmt::format("addon  airports search in {} aborted, futs outer error: {}",
                                      (m_folder / "sim" / "Community").string(),
                                      "Future wait timed out after 10 seconds")));
    for (const std::string& line : scanLog())
        EXPECT_EQ(line.find("held-"), std::string::npos) << line;
    EXPECT_TRUE(inScanLog("Try to find publisher in: " + community("dev3-eddf/scenery/a.bgl").string()));
    EXPECT_EQ(gf_takeScanMessages(), std::vector<std::string>{});
    EXPECT_EQ(g_runningTasks.load(), 0);
}
