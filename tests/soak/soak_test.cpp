// The soak, a simulated day: a full feed of 2,000 aircraft around the park airport for
// simulated minutes (SKYWEAVER_SOAK_MINUTES, default 10), each line through the Traffic Reader's
// parser, the traffic queue, the main loop's tick and the simulated simulator on its stepped
// clock, with the events a day brings (tests/soak/day_events.h) and, in the last hour of a run of
// two hours or more, a lighter feed under which static parking is renewed
// (tests/soak/day_light_feed.h). The program's main window runs
// on the headless desktop; each run starts, as the window's start-up message asks, with the
// program's own start-up up to its worker threads, and ends with its own closing-down. It holds
// the program to its limits on live and static aircraft, to the time a record may spend in each
// passing state, to flat memory once the sky is full and to the rules checked every simulated
// second (tests/soak/day_invariants.h); after the close, the learned file holds what the program
// learned at the park airport.
#include "app/app_steps.h"
#include "app/exit_reason.h"
#include "app/tick_state.h"
#include "core/parameters_xml.h"
#include "core/settings.h"
#include "engine/ac_containers.h"
#include "engine/engine_tick.h"
#include "liveries/livery_processing.h"
#include "parking/stand.h"
#include "platform/standin/simworld.h"
#include "refdata/aircraft_db.h"
#include "refdata/airport_db.h"
#include "refdata/download.h"
#include "core/clock.h"
#include "core/program_folders.h"
#include "core/half_hours.h"
#include "parking/apf_sources.h"
#include "parking/park_file_load.h"
#include "parking/static_parking.h"
#include "platform/standin/desktop.h"
#include "platform/win32.h"
#include "soak/day_events.h"
#include "soak/day_hostile_feed.h"
#include "soak/day_live_limit.h"
#include "soak/day_removal_backlog.h"
#include "soak/day_invariants.h"
#include "soak/day_learned.h"
#include "soak/day_light_feed.h"
#include "soak/day_pause.h"
#include "soak/day_stand_takeovers.h"
#include "soak/soak_feed.h"
#include "soak/soak_figures.h"
#include "support/aircraft_cfg_tree.h"
#include "support/host_window.h"
#include "support/http_server.h"
#include "support/livery_fixtures.h"
#include "support/log_capture.h"
#include "support/park_file_builder.h"
#include "support/parking_fixture.h"
#include "support/process_memory.h"
#include "support/program_state.h"
#include "support/reference_xml.h"
#include "support/stepped_sim.h"
#include "support/temp_folder.h"
#include "simlink/user_aircraft.h"
#include "traffic/traffic_reader.h"
#include "ui/main_window.h"
#include "ui/range_control.h"
#include "ui/main_window_handle.h"
#include "ui/window_messages.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <random>
#include <set>
#include <unordered_map>

using namespace testsupport;

namespace {

constexpr std::size_t kFeedSize = 2000;
constexpr std::uint32_t kSeed = 20261207;
constexpr int kStands = 700;
// Registrations in the aircraft database: the feed starts fewer flights in a day.
constexpr std::uint32_t kRegistrations = 60000;
constexpr std::int64_t kTicksPerMinute = 6000;

// The "==> " lines the day brings on purpose.
// The simulator took an object away on its own while the program still moved it.
const std::vector<std::string> kExpectedMarkedLines = {"==> SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID"};

int lf_minutes()
{
    const char* text = std::getenv("SKYWEAVER_SOAK_MINUTES");
    const int minutes = text != nullptr ? std::atoi(text) : 0;
    return minutes > 0 ? minutes : 10;
}

// The sky fills at two creations a second; half the run, at most 15 minutes, is warm-up.
int lf_warmUpMinutes(int minutes)
{
    return std::min(minutes / 2, 15);
}

// Every other hour of the day from the half hour first: "0,1,4,5,...".
std::string lf_hourPairs(int first)
{
    std::string slots;
    for (int slot = first; slot < 48; slot += 4)
        slots += fmt::format("{}{},{}", slots.empty() ? "" : ",", slot, slot + 1);
    return slots;
}

// What the program asked its main window for, last.
enum class WindowAsked { Nothing, StartUp, CloseDown };

class Soak : public ::testing::Test {
protected:
    void SetUp() override
    {
        useAppDataRoot(m_folder.path());
        // The program's web site is a local one that has nothing: the update check finds nothing.
        gf_setDownloadHost(m_web.base());
        std::filesystem::create_directories("docs");
        lf_referenceData();
        ASSERT_TRUE(gf_readAirports());
        std::vector<LiveryData> liveries = fixtureLiveries();
        writeLiveriesScanned(m_folder.path(), liveries);
        for (const LiveryData& livery : liveries)
            m_titles.push_back(livery.title);
        lf_startTwoMinutesBeforeMidnight();
        const Airport* airport = gf_findAirport("EDDF");
        ASSERT_NE(airport, nullptr);
        m_airport = {airport->lat, airport->lon};
        m_elevationFt = airport->alt;
        lf_parkAirport();
        lf_settings();
        // The program's window, as its entry creates it.
        registerBlackWindowClass(L"Skyweaver", mainWndProc);
        ASSERT_TRUE(initInstance(standin::programInstance(), L"Skyweaver"));
    }

    // The small reference data, with the registrations the feed's aircraft fly under: the
    // program learns the stands they use.
    void lf_referenceData()
    {
        ReferenceXml dbase = smallDbase();
        for (std::uint32_t hexid = soak::kFirstFeedHexid; hexid < soak::kFirstFeedHexid + kRegistrations; ++hexid) {
            const soak::FeedOperator op = soak::gf_feedOperator(hexid);
            dbase.add("dbase", {"db", {{"reg", soak::gf_feedRegistration(hexid)}, {"airl", op.airline},
                                       {"type", op.type}, {"opr", op.airline}}});
        }
        writeEncryptedInput(m_folder.path(), "dbase.enc", dbase.text());
        writeEncryptedInput(m_folder.path(), "airports.enc", smallAirports().text());
    }

    // Wednesday 4 March 2026, 23:58 UTC.
    static void lf_startTwoMinutesBeforeMidnight()
    {
        using namespace std::chrono;
        clk::freeze(sys_days{year{2026} / March / 4} + hours{23} + minutes{58});
    }

    // The park airport's park file, as the program downloads it for the simulator's own add-on
    // airports (an add-on scan, which the simulator switch brings, keeps it): its stands in rows,
    // every other one with a use of a Lufthansa A320 all Wednesday and Thursday, the others free
    // to learn on. Every tenth of those has it on Thursday only in every other hour, under a
    // callsign that changes to a second one for the hour's second half, so that renewals of
    // static parking replace statics on their stands. The program loads it once the user aircraft
    // stands at the airport.
    void lf_parkAirport()
    {
        fillStandRows(gf_destinationPoint(m_airport, 0.0, 1000.0), kStands);
        for (const Stand& stand : g_stands)
            m_standPlaces.push_back({stand.latitude, stand.longitude});
        std::vector<std::vector<OptFixture>> feedUses = soak::gf_feedStandUses(
            soak::SoakFeed(kSeed, kFeedSize, m_airport, m_elevationFt, m_standPlaces), m_standPlaces);
        std::vector<StandFixture> stands;
        for (std::size_t i = 0; i < g_stands.size(); ++i) {
            const Stand& stand = g_stands[i];
            const std::string reg = fmt::format("D-S{:03}", stand.number);
            std::vector<OptFixture>& uses = feedUses[i];
            if (stand.number % 20 == 0)
                uses.insert(uses.end(), {{reg, "DLH", "A320", "", 3, "0:47"},
                                         {reg, "DLH", "A320", fmt::format("DLH{0:03}A:DLH{0:03}B", stand.number), 4,
                                          lf_hourPairs(stand.number % 40 == 0 ? 2 : 0)}});
            else if (stand.number % 2 == 0)
                uses.insert(uses.end(), {{reg, "DLH", "A320", "", 3, "0:47"}, {reg, "DLH", "A320", "", 4, "0:47"}});
            stands.push_back({stand.id, stand.latitude, stand.longitude, 0.0, stand.radius * kMetersPerNm, uses, {}});
        }
        gf_clearParkPositions();
        std::filesystem::create_directories(folders::mySimaddon());
        writeFile(folders::mySimaddon() / "EDDF.xml",
                  parkFileXml(stands, fmt::format("    <parameter name=\"altitude\" value=\"{:.0f}\" />\n"
                                                  "    <parameter name=\"publisher\" value=\"simaddon\" />\n",
                                                  m_elevationFt)));
        g_trafficReader.setReferenceElevation(m_elevationFt);
    }

    // The other simulator, as its Steam edition installs it: its packages hold the liveries again
    // under new titles, and Lufthansa's A320s are A20Ns there. The user picks it in the window;
    // the restart this asks for finds it, scans its packages and connects to it.
    void lf_switchSimulator()
    {
        const std::filesystem::path packages =
            m_folder.path() / "AppData" / "Roaming" / "Microsoft Flight Simulator 2024" / "Packages";
        std::filesystem::create_directories(packages / "Official2024");
        std::vector<LiveryData> liveries;
        for (LiveryData livery : fixtureLiveries()) {
            livery.title += " (2024)";
            if (livery.airl == "DLH" && (livery.type == "A320" || livery.type == "A321"))
                livery.type = "A20N";
            liveries.push_back(livery);
            m_titles.push_back(livery.title);
        }
        writeAiPackage(packages / "Community", "aig-aitraffic-oci", liveries);
        ASSERT_TRUE(m_desktop.pick(SIM_CHOICE.controlId, "MSFS 2024"));
    }

    // The user's settings in "parameters.xml", which every start reads: the fixed range of
    // 100 nm, room for 500 live and 500 static aircraft, every stand filled, cabin lights not left
    // to chance and no scans; the older simulator installed.
    void lf_settings()
    {
        AUTO_RANGE.value = false;
        RANGE.value = 100;
        MAX_LIVE_SEL.value = 500;
        MAX_PARK_SEL.value = 500;
        parking_percentage.value = 100;
        CUSTOM_PARKING_PERCENTAGE.value = -1;
        RANDOM.value = false;
        SCAN_LIVERIES.value = false;
        SCAN_AIRPORTS.value = false;
        const std::filesystem::path packages = m_folder.path() / "MSFS 2020";
        std::filesystem::create_directories(packages / "Community");
        MSFS_INSTALL_PATH.value = packages.string();
        gf_writeParameters(false);
    }

    // Dispatches the window's messages; what the program asked the window for, if anything.
    static WindowAsked lf_pumpWindow()
    {
        WindowAsked asked = WindowAsked::Nothing;
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_APP_START_UP) {
                asked = WindowAsked::StartUp;
                continue;
            }
            if (message.message == WM_APP_CLOSE_DOWN)
                asked = WindowAsked::CloseDown;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        return asked;
    }

    // A run's start as the start-up thread does it, with the simulated simulator in place of the
    // worker threads: the program's start-up, the simulator connected, the feed taken around the
    // user and the loop's first steps.
    void lf_startRun(std::unique_ptr<SteppedSimLink>& link, SteppedSimSetup& simulator)
    {
        link.reset();
        standin::SimWorld::instance().clearCallFailures();
        ASSERT_TRUE(lf_prepareRun());
        simulator.installedTitles = m_titles;
        link = std::make_unique<SteppedSimLink>(simulator);
        // As the worker start does once the user aircraft is known: the stored range applies
        // and the feed is taken around the user.
        gf_applyRange();
        g_trafficReader.setReferencePosition({g_userAcData.latitude, g_userAcData.longitude});
        lf_startTickLoop();
    }

    TempFolder m_folder{true};
    LogCapture m_log;
    standin::Desktop m_desktop;
    HttpServer m_web;
    std::vector<std::string> m_titles;
    std::vector<LatLon> m_standPlaces;
    LatLon m_airport;
    double m_elevationFt = 0.0;
};

// Now and then the simulator takes one of the program's objects away on its own, as the real
// one does: every 20 s, by turns one of them chosen at random and the newest one, which may
// still wait for its activation.
void lf_simulatorRemovesAnObject(std::int64_t tick, std::mt19937& random)
{
    if (tick % 2000 != 1000)
        return;
    auto& world = standin::SimWorld::instance();
    const std::vector<DWORD> objects = world.aliveAiObjects();
    if (objects.empty())
        return;
    const bool newest = tick % 4000 == 1000;
    world.removeObjectOnItsOwn(newest ? *std::max_element(objects.begin(), objects.end())
                                      : objects[random() % objects.size()]);
}

} // namespace

// What the next visit of the park airport reads: the park file with its learned file merged.
std::vector<Stand> lf_standsOnDisk()
{
    gf_clearParkPositions();
    EXPECT_TRUE(lf_setParkAirport("EDDF"));
    ParkFileHeader header;
    EXPECT_EQ(gf_readApf(gf_archivedStockFileExists("EDDF"), header), "");
    return g_stands;
}

TEST_F(Soak, FullFeedStaysWithinTheLimitsAndMemoryStaysFlat)
{
    const int minutes = lf_minutes();
    const int warmUp = lf_warmUpMinutes(minutes);
    soak::SoakFeed feed(kSeed, kFeedSize, m_airport, m_elevationFt, m_standPlaces);
    SteppedSimSetup simulator{gf_destinationPoint(m_airport, 225.0 * kDegToRad, 2.0 * kFeetPerNm),
                                    m_elevationFt, m_titles};
    std::unique_ptr<SteppedSimLink> link;
    // The program's entry asks its window for the first start.
    PostMessageW(g_mainWindow.load(), WM_APP_START_UP, 0, 0);
    ASSERT_EQ(lf_pumpWindow(), WindowAsked::StartUp);
    ASSERT_NO_FATAL_FAILURE(lf_startRun(link, simulator));
    // The flight seconds start just before the day reset.
    g_secondsCounter.store(86400 - soak::kDayReset);

    std::mt19937 random(kSeed);
    soak::StateWatch watch;
    soak::Figures figures;
    soak::DayEvents events(feed, {simulator.user, m_elevationFt, [this] { lf_switchSimulator(); }});
    soak::DayInvariants rules(kExpectedMarkedLines);
    soak::LiveLimitStretch liveLimit(m_desktop);
    soak::LearnedFileWatch learned(gf_learnedFolder("simaddon") / "EDDF.xml");
    std::vector<Stand> standsAtClose;
    soak::HostileStretch hostile;
    soak::FeedBounds bounds;
    soak::DayStandTakeovers takeovers(feed);
    soak::RemovalBacklog backlog(feed, m_desktop, simulator.user);
    soak::SimulatorPause pause(feed);
    soak::LightFeedStretch light(minutes);
    const std::int64_t lastTick = minutes * kTicksPerMinute;
    for (std::int64_t tick = 0;; ++tick) {
        const int second = static_cast<int>(tick / 100);
        // The light feed's stretch starts nothing new: only the rule of one static per stand is looked at.
        const bool quiet = light.running(second);
        if (tick % 100 == 0 && !quiet) {
            events.at(second);
            liveLimit.at(second);
            backlog.at(second);
            if (pause.at(second))
                watch.pauseEnded();
        }
        if (tick % 100 == 0)
            takeovers.at(second, quiet);
        if (tick == lastTick) {
            standsAtClose = g_stands;
            gf_requestUserExit();
        }
        feed.linesAt(tick, [&](const std::string& line) {
            if (light.passes(tick, line))
                hostile.send(tick, line, [](const std::string& sent) { g_trafficReader.handleLine(sent); });
        });
        if (!quiet)
            lf_simulatorRemovesAnObject(tick, random);
        liveLimit.tick();
        backlog.tick(tick);
        SteppedSimLink::frameAtTick(g_engineTick.load());
        // Every 50 engine ticks a creation is handed over: the watch looks just before it.
        if (g_engineTick.load() % 50 == 0 && !pause.paused())
            watch.scan(g_engineTick.load());
        const bool running = lf_tick();
        if (!running) {
            // The run ends as the start-up thread ends it, with the closing-down; the window
            // then starts the next run or closes.
            lf_closingDown();
        }
        if (!running || tick % 100 == 0) {
            const WindowAsked asked = lf_pumpWindow();
            if (asked == WindowAsked::CloseDown) {
                ASSERT_GE(tick, lastTick) << "the program closed before the user's close";
                break;
            }
            if (asked == WindowAsked::StartUp) {
                ASSERT_NO_FATAL_FAILURE(lf_startRun(link, simulator));
            }
            ASSERT_TRUE(running || asked == WindowAsked::StartUp) << "the run ended without a restart or close";
        }
        clk::advance(std::chrono::milliseconds(10));
        light.tick(tick);
        if ((tick + 1) % 100 == 0) {
            rules.check(static_cast<int>((tick + 1) / 100));
            liveLimit.check(static_cast<int>((tick + 1) / 100));
            learned.check(static_cast<int>((tick + 1) / 100));
            bounds.check(static_cast<int>((tick + 1) / 100));
        }
        if ((tick + 1) % kTicksPerMinute == 0)
            figures.sample(static_cast<int>((tick + 1) / kTicksPerMinute));
    }
    rules.readNewLogLines();
    learned.check(static_cast<int>(lastTick / 100));
    if (const char* keep = std::getenv("SKYWEAVER_SOAK_KEEP_LOG"))
        std::filesystem::copy_file("Log.txt", keep, std::filesystem::copy_options::overwrite_existing);
    std::cout << figures.table() << watch.table() << events.summary() << takeovers.summary() << backlog.summary()
              << liveLimit.summary()
              << learned.summary() << rules.table() << fmt::format("static parking renewals: {}\n", light.renewals())
              << light.summary()
              << hostile.summary() << bounds.table() << pause.summary();
    // Static parking is renewed every 20 minutes once its aircraft are all created. Static
    // creations wait while a live one waits, which under the full feed is always so once the park
    // file is read again: the renewals come in the light feed's stretch.
    figures.expectWithinBounds(warmUp, kFeedSize, feed.flightsStarted());
    watch.expectWithinBounds();
    rules.expectKept(minutes / 60.0);
    events.expectStaleGaveWay();
    liveLimit.expectKept();
    learned.expectKept();
    bounds.expectKept();
    takeovers.expectKept();
    backlog.expectReached();
    pause.expectKept();
    light.expectKept();

    // The close took every object out of the simulator and saved what was learned.
    link.reset();
    EXPECT_TRUE(standin::SimWorld::instance().aliveAiObjects().empty());
    const std::vector<std::string> lost = soak::gf_lostByTheClose(standsAtClose, lf_standsOnDisk());
    std::size_t usesAtClose = 0;
    for (const Stand& stand : standsAtClose)
        usesAtClose += stand.options.size();
    std::cout << fmt::format("uses on the stands at the close: {}, lost by the close: {}\n", usesAtClose,
                             lost.size());
    EXPECT_TRUE(lost.empty()) << "learned and not saved, the first: " << lost.front();
}
