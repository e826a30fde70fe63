#include "core/scan_pool.h"
#include "core/clock.h"
#include "core/parameters_document.h"
#include "core/parameters_xml.h"
#include "core/path_text.h"
#include "core/program_folders.h"
#include "core/settings.h"
#include "core/sim_choice.h"
#include "core/stop_flags.h"
#include "core/user_error.h"
#include "liveries/liveries_scanned_xml.h"
#include "liveries/livery_data.h"
#include "liveries/livery_scan.h"
#include "liveries/scan_report.h"
#include "platform/standin/shell32_control.h"
#include "refdata/aircraft_db.h"
#include "support/aircraft_cfg_tree.h"
#include "support/livery_fixtures.h"
#include "support/log_capture.h"
#include "support/program_state.h"
#include "support/reference_xml.h"
#include "support/temp_folder.h"
#include "support/unprivileged_run.h"

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <thread>

using testsupport::aircraftCfg;
using testsupport::writeAiPackage;
using testsupport::writeAircraftCfg;

namespace {

// A working folder with "parameters.xml", the small aircraft database and a Community folder.
class LiveryScan : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::useAppDataRoot(m_folder.path());
        gf_writeParameters(false);
        std::filesystem::create_directories(folders::outputInfo());
        testsupport::writeSmallReferenceData(m_folder.path());
        ASSERT_TRUE(gf_readDbase());
        g_msfs2020 = true;
        MSFS_INSTALL_PATH.value = path_to_utf8(m_folder / "Packages");
        std::filesystem::create_directories(m_community);
    }

    std::vector<LiveryData> scanned()
    {
        lf_readLiveriesScannedXml();
        return g_scannedLiveries;
    }

    std::optional<bool> savedScanLiveries()
    {
        pugi::xml_document document;
        document.load_file(g_parametersPath.get().c_str());
        return gf_findBoolParameter(document, "SCAN_LIVERIES");
    }

    std::string found(std::size_t count, const std::filesystem::path& folder)
    {
        return fmt::format("{} liverie{} found in {}", count, count == 1 ? "" : "s", path_to_utf8(folder));
    }

    testsupport::TempFolder m_folder{true};
    testsupport::LogCapture m_log;
    std::filesystem::path m_community = m_folder / "Packages" / "Community";
};

} // namespace

TEST_F(LiveryScan, PackagesSearchedInTheSelectedOrder)
{
    for (const char* name : {"aig_CVT_aig-aitraffic-oci", "fsltl-traffic-base", "IVAO_MTL", "my-user-aitraffic",
                             "aig-aitraffic-oci-beta", "aig-aitraffic-oci"}) {
        std::filesystem::create_directories(m_community / name);
    }
    AI_PACKAGE_SELECTOR.value = "MTL, AIG";
    LiveryFolders folders;
    lf_findAiPackages(m_community, folders);

    ASSERT_EQ(folders.size(), 3u);
    EXPECT_EQ(folders[0], m_community / "IVAO_MTL");
    const std::string aig = path_to_utf8(folders[1].filename());
    EXPECT_TRUE(aig == "aig-aitraffic-oci-beta" || aig == "aig-aitraffic-oci") << aig;
    EXPECT_EQ(folders[2], m_community / "my-user-aitraffic");
    EXPECT_TRUE(m_log.contains(fmt::format("Automatic IVAO_MTL scan found folder: '{}'", path_to_utf8(folders[0]))));
    EXPECT_TRUE(m_log.contains(fmt::format("Automatic AIG scan found folder: '{}'", path_to_utf8(folders[1]))));

    AI_PACKAGE_SELECTOR.value = "JF, FSLTL";
    folders.clear();
    lf_findAiPackages(m_community, folders);
    EXPECT_EQ(folders, (LiveryFolders{m_community / "fsltl-traffic-base", m_community / "my-user-aitraffic"}));

    AI_PACKAGE_SELECTOR.value = "AIG, AIG";
    EXPECT_THROW(
        {
            try {
                lf_findAiPackages(m_community, folders);
            } catch (const std::runtime_error& e) {
                EXPECT_STREQ(e.what(), "AI_PACKAGE_SELECTOR not set");
                throw;
            }
        },
        std::runtime_error);
}

TEST_F(LiveryScan, AutomaticScanWritesPrioritizedResultAndSwitchesItselfOff)
{
    writeAiPackage(m_community, "aig-aitraffic-oci", "A320", "DLH", 3);
    writeAiPackage(m_community, "fsltl-traffic-base", "A320", "DLH", 2);
    writeAiPackage(m_community / "fsltl-traffic-base", "more", "B738", "RYR", 1);
    writeAiPackage(m_community, "justflight-fstraffic-module", "B744", "KLM", 1);
    LIG_AUTOMATIC.value = true;
    LIG_PRIORITIZE.value = true;
    g_workerCount = 2;
    gf_scanLiveries();

    const auto liveries = scanned();
    ASSERT_EQ(liveries.size(), 5u);
    EXPECT_EQ(liveries[0].title, "aig-aitraffic-oci A320 DLH 1");
    EXPECT_EQ(liveries[3].title, "justflight-fstraffic-module B744 KLM 1");
    EXPECT_EQ(liveries[4].title, "more B738 RYR 1");
    EXPECT_FALSE(SCAN_LIVERIES.value);
    EXPECT_EQ(savedScanLiveries(), false);
    EXPECT_EQ(g_runningTasks.load(), 0);
    for (const std::string& line : {found(3, m_community / "aig-aitraffic-oci"),
                                    found(3, m_community / "fsltl-traffic-base"),
                                    found(1, m_community / "justflight-fstraffic-module"), std::string("7 in total"),
                                    std::string("++++++++++++++++++++++++ liveries scan ends "
                                                "++++++++++++++++++++++++++++++++")}) {
        EXPECT_TRUE(m_log.contains(line)) << line;
    }
}

TEST_F(LiveryScan, ManualScanOfTheSetFoldersInOrder)
{
    const auto first = m_folder / "first";
    const auto second = m_folder / "second";
    writeAiPackage(first, "one", "A320", "DLH", 1);
    writeAiPackage(second, "two", "A320", "DLH", 2);
    writeAiPackage(second, "other", "E190", "KLM", 2);
    testsupport::writeFile(m_folder / "a file", "");
    lfolder1.value = path_to_utf8(first);
    lfolder4.value = path_to_utf8(second);
    LiveryFolders folders;
    lf_checkLfolders(folders);
    EXPECT_EQ(folders, (LiveryFolders{first, second}));

    LIG_PRIORITIZE.value = false;
    folders = {"", m_folder / "missing", m_folder / "a file", first, second};
    EXPECT_EQ(lf_scanLiveryFolders(folders), FolderScan::Saved);
    EXPECT_EQ(scanned().size(), 5u);
    EXPECT_TRUE(m_log.contains(path_to_utf8(m_folder / "missing") + " does not exist, skipped!"));
    EXPECT_TRUE(m_log.contains(path_to_utf8(m_folder / "a file") + " is not a folder name, skipped!"));
    EXPECT_TRUE(m_log.contains(found(1, first)));

    // The first folder's airline and model hide the same ones of the second; other models stay.
    LIG_PRIORITIZE.value = true;
    EXPECT_EQ(lf_scanLiveryFolders(folders), FolderScan::Saved);
    const auto prioritized = scanned();
    ASSERT_EQ(prioritized.size(), 3u);
    EXPECT_EQ(prioritized[0].title, "one A320 DLH 1");
    EXPECT_EQ(prioritized[1].type, "E190");
}

TEST_F(LiveryScan, RegistrationWithoutAnAirlineKeepsTheScannedOne)
{
    // The database knows HBJRA with its type but without an airline or operator.
    writeAircraftCfg(m_community / "pkg", "jet", aircraftCfg("A320", {{"Swiss Jet", "DLH", "HBJRA"}}));
    LIG_PRIORITIZE.value = false;
    EXPECT_EQ(lf_scanLiveryFolders({m_community}), FolderScan::Saved);

    const auto liveries = scanned();  // read back without a missing attribute
    ASSERT_EQ(liveries.size(), 1u);
    EXPECT_EQ(liveries[0].airl, "DLH");
    EXPECT_EQ(liveries[0].type, "C56X");
}

TEST_F(LiveryScan, NothingToScanIsTheUsersToMend)
{
    struct Case {
        bool automatic;
        std::function<void()> prepare;
        int code;
    };
    const auto emptyFolder = m_folder / "empty";
    std::filesystem::create_directories(emptyFolder);
    const Case cases[] = {
        {true, [] {}, 43},
        {true, [&] { std::filesystem::create_directories(m_community / "aig-aitraffic-oci"); }, 143},
        {false, [] {}, 48},
        {false, [&] { lfolder3.value = path_to_utf8(m_folder / "gone"); }, 243},
        // A scan that finds nothing removes the previous result.
        {false,
         [&] {
             lfolder3.value = path_to_utf8(emptyFolder);
             testsupport::writeLiveriesScanned(m_folder.path(), {{"DLH", "A320", "Old", "", 0, false}});
         },
         53},
    };
    for (const Case& c : cases) {
        LIG_AUTOMATIC.value = c.automatic;
        c.prepare();
        try {
            gf_scanLiveries();
            ADD_FAILURE() << "no error " << c.code;
        } catch (const vtx::UserErrorException& e) {
            EXPECT_EQ(e.code(), c.code);
        }
        EXPECT_TRUE(SCAN_LIVERIES.value);
    }
    EXPECT_TRUE(m_log.contains(fmt::format("==> lfolder3: '{}' does not exist", path_to_utf8(m_folder / "gone"))));
    EXPECT_FALSE(std::filesystem::exists(folders::liveriesScannedXml()));
    // Before the user is asked to set lfolders, the manual's and the settings' folders open.
    EXPECT_EQ(standin::shellExecuteCalls().size(), 2u);
}

TEST_F(LiveryScan, StopDuringTheScanKeepsTheScanForTheNextStart)
{
    writeAiPackage(m_community, "aig-aitraffic-oci", "A320", "DLH", 3);
    testsupport::writeLiveriesScanned(m_folder.path(), {{"DLH", "A320", "Old", "", 0, false}});
    const std::string previous = testsupport::readFile(folders::liveriesScannedXml());
    g_stopRequested = true;
    gf_scanLiveries();
    EXPECT_EQ(testsupport::readFile(folders::liveriesScannedXml()), previous);
    EXPECT_TRUE(SCAN_LIVERIES.value);
    EXPECT_EQ(savedScanLiveries(), true);
    EXPECT_TRUE(g_scannedLiveries.empty());
}

TEST_F(LiveryScan, UnsavedResultKeepsThePreviousOneAndTheScanForTheNextStart)
{
    writeAiPackage(m_community, "aig-aitraffic-oci", "A320", "DLH", 3);
    testsupport::writeLiveriesScanned(m_folder.path(), {{"DLH", "A320", "Old", "", 0, false}});
    const std::string previous = testsupport::readFile(folders::liveriesScannedXml());
    // A folder in the way of the temporary file makes the save fail.
    std::filesystem::create_directories(folders::output() / "LiveriesScanned.xml.tmp");
    gf_scanLiveries();
    EXPECT_TRUE(SCAN_LIVERIES.value);
    EXPECT_EQ(savedScanLiveries(), true);
    EXPECT_EQ(testsupport::readFile(folders::liveriesScannedXml()), previous);
}

TEST_F(LiveryScan, WalkLeavesOutPublishersAndLongPaths)
{
    const auto root = m_folder / "liveries-for-my-airport";
    writeAircraftCfg(root, "x", aircraftCfg("A320", {{"Deep", "DLH"}}));
    testsupport::writeFile(root / "AIRCRAFT.CFG", aircraftCfg("A320", {{"Top level", "DLH"}}));
    const auto normal = m_folder / "normal";
    writeAircraftCfg(normal / "flytampa-scenery", "x", aircraftCfg("A320", {{"Scenery", "DLH"}}));
    writeAircraftCfg(normal / std::string(240, 'n'), "x", aircraftCfg("A320", {{"Too long", "DLH"}}));
    writeAircraftCfg(normal / "ok", "x", aircraftCfg("A320", {{"Normal", "DLH"}}));
    testsupport::writeFile(normal / "aircraft.cfg.bak", aircraftCfg("A320", {{"Backup", "DLH"}}));

    lf_scanLiveryFolder(1, root);
    lf_scanLiveryFolder(2, normal);
    ASSERT_EQ(g_scannedLiveries.size(), 2u);
    EXPECT_EQ(g_scannedLiveries[0].title, "Top level");
    EXPECT_EQ(g_scannedLiveries[1].title, "Normal");
    EXPECT_EQ(g_scannedLiveries[1].folderIndex, 2);
}

TEST_F(LiveryScan, UnreadableSubFolderIsNamedAndTheOthersAreScanned)
{
    if (!testsupport::runBodyUnprivileged()) {
        return;
    }
    const auto root = m_folder / "packages";
    writeAircraftCfg(root / "readable", "x", aircraftCfg("A320", {{"Readable", "DLH"}}));
    writeAircraftCfg(root / "locked", "x", aircraftCfg("A320", {{"Locked", "DLH"}}));
    std::filesystem::permissions(root / "locked", std::filesystem::perms::none);

    lf_scanLiveryFolder(1, root);
    std::filesystem::permissions(root / "locked", std::filesystem::perms::owner_all);

    ASSERT_EQ(g_scannedLiveries.size(), 1u);
    EXPECT_EQ(g_scannedLiveries[0].title, "Readable");
    const std::string said = "==> liveries search in " + path_to_utf8(root / "locked") + " aborted, cause: ";
    const auto lines = m_log.lines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with(said); }))
        << m_log.text();
}

TEST_F(LiveryScan, LinkLoopAndDanglingLinkAreNamedAndTheOthersAreScanned)
{
    const auto root = m_folder / "packages";
    writeAircraftCfg(root / "readable", "x", aircraftCfg("A320", {{"Readable", "DLH"}}));
    std::filesystem::create_directory_symlink("loop", root / "loop");
    std::filesystem::create_symlink("missing", root / "dangling");

    lf_scanLiveryFolder(1, root);

    ASSERT_EQ(g_scannedLiveries.size(), 1u);
    EXPECT_EQ(g_scannedLiveries[0].title, "Readable");
    const std::pair<const char*, std::errc> faults[] = {{"loop", std::errc::too_many_symbolic_link_levels},
                                                        {"dangling", std::errc::no_such_file_or_directory}};
    for (const auto& [name, cause] : faults) {
        EXPECT_TRUE(m_log.contains(fmt::format("==> liveries search in {} aborted, cause: {}",
                                               path_to_utf8(root / name), std::make_error_code(cause).message())))
            << m_log.text();
    }
}

TEST_F(LiveryScan, ManyFilesFewWorkersAndDamagedOnes)
{
    g_workerCount = 2;
    const auto root = m_folder / "many";
    const auto paths = testsupport::writeLargeCfgTree(root, 40, 3);
    testsupport::writeFile(paths[5], std::string("\xFF\xFE[\0f", 5));
    testsupport::writeFile(paths[6], "[fltsim.0]\ntitle=X\n[fltsim.999999999999]\n");
    std::filesystem::create_directories(root / "unreadable" / "aircraft.cfg");

    lf_scanLiveryFolder(1, root);
    EXPECT_EQ(g_scannedLiveries.size(), 38u * 3u);
    EXPECT_EQ(g_runningTasks.load(), 0);
}

TEST_F(LiveryScan, FilesAreTakenInWalkOrderWhicheverWorkerListsTheirFolder)
{
    // Packages of different sizes, with files beside folders at two levels: listed straight by
    // the workers, or level by level first when there are few folders for many workers.
    const auto root = m_folder / "packages";
    std::map<std::filesystem::path, std::string> titles;
    const auto write = [&titles](const std::filesystem::path& path, const std::string& title) {
        testsupport::writeFile(path, aircraftCfg("A320", {{title, "DLH"}}));
        titles[path] = title;
    };
    for (int package = 0; package < 40; ++package) {
        const auto folder = root / fmt::format("p{:02}", package);
        for (int model = 0; model <= package % 5; ++model) {
            write(folder / "SimObjects" / "Airplanes" / fmt::format("m{}", model) / "aircraft.cfg",
                  fmt::format("P{} M{}", package, model));
        }
        if (package % 3 == 0) {
            write(folder / "aircraft.cfg", fmt::format("P{} top", package));
        }
    }
    write(root / "aircraft.cfg", "Root");
    std::vector<std::string> walkOrder;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (titles.contains(entry.path())) {
            walkOrder.push_back(titles[entry.path()]);
        }
    }

    for (const int workers : {1, 3, 16}) {
        g_workerCount = workers;
        g_scannedLiveries.clear();
        lf_resetScanResults();
        lf_scanLiveryFolder(1, root);
        std::vector<std::string> scannedTitles;
        for (const LiveryData& livery : g_scannedLiveries) {
            scannedTitles.push_back(livery.title);
        }
        EXPECT_EQ(scannedTitles, walkOrder) << workers << " workers";
    }
}

TEST_F(LiveryScan, FirstFileListedKeepsATitleThatSeveralFilesUse)
{
    const auto root = m_folder / "shared";
    const std::vector<std::string> airlines{"DLH", "BAW", "AFR", "KLM", "UAE", "EZY", "RYR"};
    for (const std::string& airline : airlines) {
        writeAircraftCfg(root / airline, "A320", aircraftCfg("A320", {{"Shared title", airline}}));
    }
    const std::string first = path_to_utf8(std::filesystem::directory_iterator(root)->path().filename());
    // Files started later end sooner, as when the first ones are read slowly.
    std::atomic<int> started{0};
    g_scanTaskHook = [&started](const std::filesystem::path&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(15 * (8 - started.fetch_add(1))));
    };
    g_workerCount = static_cast<int>(airlines.size());
    for (int round = 0; round < 4; ++round) {
        started = 0;
        g_scannedLiveries.clear();
        lf_resetScanResults();
        lf_scanLiveryFolder(1, root);
        ASSERT_EQ(g_scannedLiveries.size(), 1u) << round;
        EXPECT_EQ(g_scannedLiveries[0].airl, first) << round;
        EXPECT_EQ(g_incompleteSections.snapshot().size(), airlines.size() - 1) << round;
    }
    g_scanTaskHook = nullptr;
}

namespace {

// Holds the first scan task of a file the test picks, as a blocked read would, until released;
// once it is held, the steady clock passes the tasks' time limit.
class HeldScanTask {
public:
    explicit HeldScanTask(std::function<bool(const std::filesystem::path&)> picks)
    {
        g_scanTaskHook = [this, picks = std::move(picks)](const std::filesystem::path& file) {
            if (!picks(file) || m_taken.exchange(true)) {
                return;
            }
            while (!m_released) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        };
        m_clock = std::thread([this] {
            while (!m_taken && !m_released) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            if (m_taken) {
                clk::advance(std::chrono::seconds(11));
            }
        });
    }
    ~HeldScanTask()
    {
        release();
        gf_waitForScanWorkersToEnd(std::chrono::seconds(10));
        g_scanTaskHook = nullptr;
    }
    HeldScanTask(const HeldScanTask&) = delete;
    HeldScanTask& operator=(const HeldScanTask&) = delete;

    void release()
    {
        m_released = true;
        if (m_clock.joinable()) {
            m_clock.join();
        }
    }

private:
    std::atomic<bool> m_taken{false};
    std::atomic<bool> m_released{false};
    std::thread m_clock;
};

} // namespace

TEST_F(LiveryScan, TaskGivenUpLeavesTheScansListsAlone)
{
    clk::freeze(std::chrono::system_clock::now());
    const auto root = m_folder / "held";
    const auto held = writeAircraftCfg(root / "slow", "A320", aircraftCfg("A320", {{"Held title", "XYZ"}}));
    writeAircraftCfg(root / "quick", "A320", aircraftCfg("A320", {{"Quick title", "DLH"}}));
    HeldScanTask task([&held](const std::filesystem::path& file) { return file == held; });
    g_workerCount = 2;
    lf_scanLiveryFolder(1, root);
    EXPECT_TRUE(m_log.contains("==> liveries search aborted, futs outer, Future wait timed out after 10 seconds"));
    ASSERT_EQ(g_scannedLiveries.size(), 1u);
    EXPECT_EQ(g_scannedLiveries[0].title, "Quick title");

    // The scan is over and its lists are emptied; the task given up then ends.
    lf_resetScanResults();
    task.release();
    ASSERT_TRUE(gf_waitForScanWorkersToEnd(std::chrono::seconds(10)));
    EXPECT_TRUE(g_invalidAirlineLines.snapshot().empty());
    EXPECT_TRUE(g_incompleteSections.snapshot().empty());
    EXPECT_EQ(g_scannedLiveries.size(), 1u);
    clk::unfreeze();
}

TEST_F(LiveryScan, TimeOutIsTheWalksWhileFilesWaitForAWorkerAndTheCollectionsAfter)
{
    struct Case {
        int workers;
        int files;
        const char* line;
    };
    const Case cases[] = {
        {1, 2, "==> liveries inner search aborted: Future wait timed out after 10 seconds"},
        {2, 2, "==> liveries search aborted, futs outer, Future wait timed out after 10 seconds"},
        {1, 1, "==> liveries search aborted, futs outer, Future wait timed out after 10 seconds"},
    };
    clk::freeze(std::chrono::system_clock::now());
    for (const Case& c : cases) {
        const auto root = m_folder / fmt::format("held{}{}", c.workers, c.files);
        for (int i = 0; i < c.files; ++i) {
            writeAircraftCfg(root / fmt::format("m{}", i), "A320", aircraftCfg("A320", {{fmt::format("T{}", i), "DLH"}}));
        }
        g_workerCount = c.workers;
        const std::size_t before = m_log.lines().size();
        {
            const HeldScanTask task([](const std::filesystem::path&) { return true; });
            lf_scanLiveryFolder(1, root);
        }

        std::vector<std::string> aborted;
        const auto lines = m_log.lines();
        std::copy_if(lines.begin() + static_cast<std::ptrdiff_t>(before), lines.end(), std::back_inserter(aborted),
                     [](const std::string& line) { return line.find("aborted") != std::string::npos; });
        EXPECT_EQ(aborted, std::vector<std::string>{c.line}) << c.workers << " workers, " << c.files << " files";
    }
    clk::unfreeze();
}
