#include "support/program_window.h"

#include "app/tick_state.h"
#include "core/program_folders.h"
#include "core/settings.h"
#include "core/stop_flags.h"
#include "core/traffic_time.h"
#include "platform/standin/simworld.h"
#include "platform/win32.h"
#include "support/livery_fixtures.h"
#include "support/park_file_builder.h"
#include "support/reference_xml.h"
#include "support/traffic_lines.h"
#include "ui/busy_state.h"
#include "ui/main_window.h"
#include "ui/main_window_handle.h"
#include "ui/window_messages.h"

#include <fmt/format.h>
#include <pugixml.hpp>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace testsupport {

namespace {

constexpr unsigned short kTrafficPort = 49005;

std::string lf_parameter(const std::string& name, const std::string& value)
{
    return fmt::format("<parameter name=\"{}\" value=\"{}\"/>", name, value);
}

// Stands in a row south-west of the user aircraft, each used by a Lufthansa A320 on every
// weekday and at every half hour, so the fit finds them whenever a test runs.
std::vector<StandFixture> lf_stands()
{
    std::vector<StandFixture> stands;
    for (int k = 0; k < kProgramWindowStands; ++k) {
        StandFixture stand{fmt::format("V{}", k + 1), 50.0300, 8.5500 + 0.0010 * k, 90.0, 30.0, {}, {}};
        for (int day = 1; day <= 7; ++day) {
            stand.opts.push_back({fmt::format("D-AIP{}", static_cast<char>('A' + k)), "DLH", "A320",
                                  fmt::format("DLH{}", 100 + k), day, "0:47"});
        }
        stands.push_back(std::move(stand));
    }
    return stands;
}

} // namespace

standin::SimWorldConfig programWorld(const ProgramSetup& setup, int year)
{
    auto config = standin::SimWorldConfig::forSimulator(year);
    config.clock = standin::SimClock::Stepped;
    config.terrainElevationFt = 364.0;
    config.user.latitude = setup.userLat;
    config.user.longitude = setup.userLon;
    config.user.onGround = setup.userOnGround;
    config.user.altitudeFt = setup.userAltitudeFt;
    config.user.title = "Cessna Skyhawk Asobo";
    config.user.atcModel = "C172";
    for (const LiveryData& livery : fixtureLiveries()) {
        config.installedTitles.push_back(livery.title);
    }
    return config;
}

ProgramWindow::ProgramWindow(const ProgramSetup& setup) : work(true)
{
    ::setenv("SKYWEAVER_STANDIN_ROOT", root.path().c_str(), 1);
    fs::create_directories(work.path() / "docs");
    writeSmallReferenceData(work.path());
    writeLiveriesScanned(work.path(), fixtureLiveries());
    writeFile(work.path() / folders::mySimaddon() / "EDDF.xml",
              parkFileXml(lf_stands(), "    <parameter name=\"airport_name\" value=\"Frankfurt\" />\n"
                                       "    <parameter name=\"altitude\" value=\"364\" />\n"
                                       "    <parameter name=\"publisher\" value=\"simaddon\" />\n"));
    fs::create_directories(root.path() / "MSFS" / "Community");
    fs::create_directories(g_appFolder.get());
    std::string parameters = lf_parameter("PROGRAM_VERSION", "11.10.8") + lf_parameter("SCAN_LIVERIES", "false") +
                             lf_parameter("SCAN_AIRPORTS", "false") +
                             lf_parameter("MSFS_INSTALL_PATH", (root.path() / "MSFS").string());
    for (const auto& [name, value] : setup.parameters) {
        parameters += lf_parameter(name, value);
    }
    writeFile(g_parametersPath.get(), "<?xml version=\"1.0\"?>\n<root><parameters>" + parameters +
                                          "</parameters></root>\n");
    standin::SimWorld::instance().configure(programWorld(setup));
}

ProgramWindow::~ProgramWindow()
{
    if (m_started) {
        desktop.close();
        pumpUntil([this] { return desktop.quitCode().has_value(); }, 60s);
    }
    m_traffic = {};
    m_stepper = {};
    // The start-up thread posts its last message and ends.
    std::this_thread::sleep_for(200ms);
}

bool ProgramWindow::start()
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = mainWndProc;
    windowClass.hInstance = standin::programInstance();
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = L"Skyweaver";
    // An earlier program of this process may have registered the class already.
    RegisterClassExW(&windowClass);
    if (!initInstance(standin::programInstance(), L"Skyweaver")) {
        return false;
    }
    m_started = true;
    if (m_windowCreated) {
        m_windowCreated();
    }
    m_stepper = std::jthread([this](const std::stop_token& stop) { stepSimulator(stop); });
    m_traffic = std::jthread([this](const std::stop_token& stop) { sendTraffic(stop, true); });
    PostMessageW(g_mainWindow.load(), WM_APP_START_UP, 0, 0);
    // The main loop counts flight seconds once it runs.
    return pumpUntil([] { return g_secondsCounter.load() >= 2; }, 60s);
}

bool ProgramWindow::pumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        desktop.pumpUntilIdle();
        if (condition()) {
            return true;
        }
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(2ms);
    }
}

bool ProgramWindow::parkedAndIdle()
{
    return pumpUntil([this] {
        return !standin::SimWorld::instance().aliveAiObjects().empty() && !g_busy.load() &&
               g_mainWindowState.staticParked.load() > 0 && desktop.state(BUTTON_NOW.controlId).enabled;
    });
}

void ProgramWindow::keepFeedingTraffic()
{
    m_traffic = std::jthread([this](const std::stop_token& stop) { sendTraffic(stop, false); });
}

void ProgramWindow::runFlightSeconds(int seconds)
{
    const std::int32_t start = g_secondsCounter.load();
    pumpUntil([&] { return g_secondsCounter.load() - start >= seconds; }, 120s);
}

std::string ProgramWindow::stored(const std::string& name)
{
    pugi::xml_document document;
    document.load_file(g_parametersPath.get().c_str());
    const pugi::xml_node node = document.select_node(("//parameter[@name='" + name + "']").c_str()).node();
    return node ? node.attribute("value").value() : "<none>";
}

// One simulator second every 20 ms: the main loop runs its flight seconds about fifty times
// faster than real time, one per few ticks.
void ProgramWindow::stepSimulator(const std::stop_token& stop)
{
    standin::SimWorld& world = standin::SimWorld::instance();
    while (!stop.stop_requested()) {
        for (int frame = 0; frame < standin::kFramesPerSecond && !stop.stop_requested(); ++frame) {
            world.stepFrames(1);
            world.waitUntilDelivered(100ms);
        }
        std::this_thread::sleep_for(20ms);
    }
}

// A traffic line far away ends the program's wait for the first traffic at once.
void ProgramWindow::sendTraffic(const std::stop_token& stop, bool untilFirstTraffic)
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    const SOCKET sender = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(kTrafficPort);
    target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const std::string line = TrafficLine().text();
    while (!stop.stop_requested() && (!untilFirstTraffic || static_cast<std::int64_t>(g_trafficTime.load()) == 0)) {
        sendto(sender, line.data(), static_cast<int>(line.size()), 0, reinterpret_cast<const sockaddr*>(&target),
               sizeof target);
        std::this_thread::sleep_for(100ms);
    }
    closesocket(sender);
    WSACleanup();
}

} // namespace testsupport
