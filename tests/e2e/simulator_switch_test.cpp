// A simulator switch made through the window, in this process: the run that follows starts
// from the panel a fresh start shows and creates aircraft again, also with titles that the
// simulator before could not create.
#include "core/program_folders.h"
#include "core/settings.h"
#include "liveries/livery_data.h"
#include "platform/standin/simworld.h"
#include "support/aircraft_cfg_tree.h"
#include "support/livery_fixtures.h"
#include "support/main_loop_pictures.h"
#include "support/program_window.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

using namespace std::chrono_literals;
using testsupport::ProgramSetup;
using testsupport::ProgramWindow;

namespace fs = std::filesystem;

namespace {

constexpr const char* kPackage = "aig-aitraffic-oci";
constexpr const char* kRefused = "could not be created by your Sim!";

// The package's one Lufthansa A320 livery, as a scan of it lists it: once refused, no other
// title can take its place.
std::vector<LiveryData> lf_packageLiveries()
{
    return {{"DLH", "A320", fmt::format("{} A320 DLH 1", kPackage), "", 0, false}};
}

std::size_t lf_logged(const ProgramWindow& program, const std::string& text)
{
    const auto lines = program.log.lines();
    return static_cast<std::size_t>(std::count_if(
        lines.begin(), lines.end(), [&](const std::string& line) { return line.find(text) != std::string::npos; }));
}

std::string lf_logText(const ProgramWindow& program)
{
    std::string text;
    for (const std::string& line : program.log.lines()) {
        text += line + "\n";
    }
    return text;
}

} // namespace

TEST(SimulatorSwitch, ThroughTheWindowGivesACleanPanelAndARunThatCreatesAircraftAgain)
{
    const ProgramSetup setup{{{"AUTO_RANGE", "false"}}};
    ProgramWindow program(setup);
    program.onWindowCreated(testsupport::watchMainLoopStarts);
    // The user's park airport, whose stands the statics of the package's airline and type use.
    testsupport::writeFile(program.work.path() / folders::myParkAirportsTxt(), "EDDF\n");
    const std::vector<LiveryData> liveries = lf_packageLiveries();
    std::vector<std::string> titles;
    for (const LiveryData& livery : liveries) {
        titles.push_back(livery.title);
    }
    // The first simulator lists the package's liveries but cannot create any of them.
    testsupport::writeLiveriesScanned(program.work.path(), liveries);
    standin::SimWorld& world = standin::SimWorld::instance();
    world.setInstalledTitles({});
    // The second simulator holds the package, where its Steam edition keeps its packages.
    const fs::path packages2024 =
        program.root.path() / "AppData" / "Roaming" / "Microsoft Flight Simulator 2024" / "Packages";
    fs::create_directories(packages2024 / "Official2024");
    testsupport::writeAiPackage(packages2024 / "Community", kPackage, "A320", "DLH", liveries.size());

    ASSERT_TRUE(program.start());
    const auto& pictures = testsupport::mainLoopPictures();
    ASSERT_EQ(pictures.size(), 1u);
    ASSERT_TRUE(program.pumpUntil([&] { return lf_logged(program, kRefused) > 0; }, 60s)) << lf_logText(program);
    program.runFlightSeconds(10);
    EXPECT_TRUE(world.aliveAiObjects().empty());

    ASSERT_TRUE(program.desktop.pick(SIM_CHOICE.controlId, "MSFS 2024"));
    ASSERT_TRUE(program.pumpUntil([&] { return program.log.contains("Restarting after 3 seconds"); }, 30s))
        << lf_logText(program);
    // The user now runs the other simulator, which has the package installed.
    standin::SimWorldConfig simulator2024 = testsupport::programWorld(setup, 2024);
    simulator2024.installedTitles = titles;
    world.configure(simulator2024);
    const std::size_t refusedBefore = lf_logged(program, kRefused);
    // With "cs->oid:" disabled again, the restarted main loop's start is seen as the first was.
    EnableWindow(BUTTON_CALLSIGN_2_OBJECTID.hwnd, FALSE);
    program.keepFeedingTraffic();
    ASSERT_TRUE(program.pumpUntil([&] { return pictures.size() == 2; }, 90s)) << lf_logText(program);
    EXPECT_EQ(lf_logged(program, "MSFS 2024 ("), 1u);

    // The panel and the run state are those of a fresh start, but for the simulator's name.
    std::string expected = pictures[0].state;
    const std::string simulator2020 = "lf_simText = MSFS 2020 (11.0.282174.999)\n";
    ASSERT_NE(expected.find(simulator2020), std::string::npos);
    expected.replace(expected.find(simulator2020), simulator2020.size(), "lf_simText = MSFS 2024 (12.1.282174.999)\n");
    EXPECT_EQ(expected, pictures[1].state) << testsupport::stateDifferences(expected, pictures[1].state);

    // The restarted run scanned the package and creates its aircraft.
    ASSERT_TRUE(program.pumpUntil([&] { return !world.aliveAiObjects().empty(); }, 60s)) << lf_logText(program);
    for (const DWORD id : world.aliveAiObjects()) {
        const auto object = world.object(id);
        ASSERT_TRUE(object.has_value());
        EXPECT_NE(std::find(titles.begin(), titles.end(), object->title), titles.end()) << object->title;
    }
    EXPECT_EQ(lf_logged(program, kRefused), refusedBefore);
}
