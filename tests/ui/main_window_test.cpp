// The main window on the headless desktop: its position, its close button, its
// controls and the status panel it paints.
#include "app/exit_reason.h"
#include "app/start_up_state.h"
#include "core/path_text.h"
#include "core/program_folders.h"
#include "core/settings.h"
#include "core/stop_flags.h"
#include "engine/ac_containers.h"
#include "app/tick_state.h"
#include "platform/standin/desktop.h"
#include "platform/standin/shell32_control.h"
#include "support/log_capture.h"
#include "support/program_state.h"
#include "traffic/reader_lights.h"
#include "support/temp_folder.h"
#include "support/unprivileged_run.h"
#include "ui/main_window.h"
#include "ui/main_window_handle.h"
#include "ui/panel_paint.h"
#include "ui/sim_panel_state.h"
#include "ui/status_panel_counts.h"
#include "ui/status_line.h"
#include "ui/window_controls.h"
#include "ui/window_messages.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;
using testsupport::readFile;
using testsupport::TempFolder;
using testsupport::writeFile;

namespace {

std::string parametersXml(int x, int y)
{
    return "<?xml version=\"1.0\"?>\n<root>\n  <parameters>\n    <parameter name=\"MAIN_WINDOW_X\" value=\"" +
           std::to_string(x) + "\" />\n    <parameter name=\"MAIN_WINDOW_Y\" value=\"" + std::to_string(y) +
           "\" />\n  </parameters>\n</root>\n";
}

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() : work(true)
    {
        testsupport::useAppDataRoot(root.path());
    }

    // Registers the class as the program entry does and creates the window.
    HWND open()
    {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = mainWndProc;
        windowClass.hInstance = standin::programInstance();
        windowClass.hIcon = LoadIconW(standin::programInstance(), MAKEINTRESOURCEW(100));
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        windowClass.lpszClassName = L"Skyweaver";
        EXPECT_NE(RegisterClassExW(&windowClass), 0);
        EXPECT_TRUE(initInstance(standin::programInstance(), L"Skyweaver"));
        desktop.pumpUntilIdle();
        return g_mainWindow.load();
    }

    RECT windowRect() const
    {
        RECT rect{};
        GetWindowRect(g_mainWindow.load(), &rect);
        return rect;
    }

    // Repaints the whole window and returns what it shows.
    standin::Surface painted()
    {
        InvalidateRect(g_mainWindow.load(), nullptr, FALSE);
        desktop.pumpUntilIdle();
        return desktop.snapshot();
    }

    TempFolder work;
    TempFolder root;
    testsupport::LogCapture log;
    standin::Desktop desktop;
};

// Whether any pixel of the colour lies in the area.
bool hasColour(const standin::Surface& image, const RECT& area, COLORREF colour)
{
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (image.pixel(x, y) == colour) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

struct StoredPosition {
    int storedX, storedY, expectedX, expectedY;
};

class MainWindowPosition : public MainWindowTest, public ::testing::WithParamInterface<StoredPosition> {};

// The monitor's work area is (0,0)-(1920,1040); the window is 880 x 516. A value at a
// limit takes the default; otherwise 48 pixels stay on the work area.
INSTANTIATE_TEST_SUITE_P(Positions, MainWindowPosition,
                         ::testing::Values(StoredPosition{300, 200, 300, 200}, StoredPosition{-30000, 20, 400, 20},
                                           StoredPosition{-5000, 20, 48 - 880, 20},
                                           StoredPosition{100, 2000, 100, 1040 - 48},
                                           StoredPosition{30000, 30000, 400, 20}));

TEST_P(MainWindowPosition, StoredPositionIsKeptOnTheMonitorAndPulledBackOffIt)
{
    const StoredPosition c = GetParam();
    writeFile(g_parametersPath, parametersXml(c.storedX, c.storedY));

    open();

    EXPECT_EQ(windowRect().left, c.expectedX);
    EXPECT_EQ(windowRect().top, c.expectedY);
    const std::string stored = readFile(g_parametersPath);
    EXPECT_NE(stored.find("name=\"MAIN_WINDOW_X\" value=\"" + std::to_string(c.expectedX) + "\""), std::string::npos)
        << stored;
    EXPECT_NE(stored.find("name=\"MAIN_WINDOW_Y\" value=\"" + std::to_string(c.expectedY) + "\""), std::string::npos)
        << stored;
}

TEST_F(MainWindowTest, BrokenParametersFileIsKeptAsGenerationZeroAndRemoved)
{
    writeFile(g_parametersPath, "<root><parameters>");

    open();

    EXPECT_FALSE(fs::exists(g_parametersPath.get()));
    EXPECT_EQ(readFile(g_appFolder / "parameters0.xml"), "<root><parameters>");
    bool logged = false;
    for (const std::string& line : log.lines()) {
        logged = logged || (line.find(path_to_utf8(g_parametersPath) + " failed to load (") != std::string::npos &&
                            line.find("). Saved as 0.xml and removed.") != std::string::npos);
    }
    EXPECT_TRUE(logged);
    EXPECT_EQ(windowRect().left, 400);
    EXPECT_EQ(windowRect().top, 20);
}

TEST_F(MainWindowTest, UnreadableParametersFileIsLeftAsItIsAndTheLogSaysWhy)
{
    if (!testsupport::runBodyUnprivileged()) {
        return;
    }
    writeFile(g_parametersPath, parametersXml(300, 200));
    fs::permissions(g_parametersPath.get(), fs::perms::none);

    open();
    fs::permissions(g_parametersPath.get(), fs::perms::owner_read | fs::perms::owner_write);

    EXPECT_EQ(readFile(g_parametersPath), parametersXml(300, 200));
    EXPECT_FALSE(fs::exists(g_appFolder / "parameters0.xml"));
    EXPECT_TRUE(log.contains(fmt::format("==> {} failed to load ({}). It could not be saved as 0.xml and is left as it is.",
                                         path_to_utf8(g_parametersPath),
                                         std::make_error_code(std::errc::permission_denied).message())))
        << log.text();
}

TEST_F(MainWindowTest, WithoutParametersFileTheWindowTakesTheDefaultsAndWritesNothing)
{
    open();

    EXPECT_EQ(windowRect().left, 400);
    EXPECT_EQ(windowRect().right - windowRect().left, 880);
    EXPECT_EQ(windowRect().bottom - windowRect().top, 516);
    EXPECT_FALSE(fs::exists(g_parametersPath.get()));
}

TEST_F(MainWindowTest, CloseButtonShowsTheMessageAndStopsTheRunButKeepsTheWindow)
{
    HWND window = open();

    ASSERT_TRUE(desktop.close());

    EXPECT_EQ(gf_statusLineText().message, "Close window button clicked, closing Skyweaver ...");
    EXPECT_TRUE(g_exitRequested);
    EXPECT_TRUE(g_stopRequested);
    EXPECT_EQ(g_exitReason, static_cast<std::uint32_t>(ExitReason::UserClosedSim));
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(desktop.quitCode().has_value());
    for (const std::string& line : log.lines()) {
        EXPECT_EQ(line.find("Close window button clicked"), std::string::npos);
    }
}

TEST_F(MainWindowTest, CloseDownStoresThePositionAndEndsTheMessageLoop)
{
    writeFile(g_parametersPath, parametersXml(300, 200));
    HWND window = open();
    SetWindowPos(window, nullptr, 500, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(window, SW_MINIMIZE);
    g_exitCode = 0;

    PostMessageW(window, WM_APP_CLOSE_DOWN, 0, 0);
    desktop.pumpUntilIdle();

    EXPECT_EQ(desktop.quitCode(), std::optional<int>(0));
    const std::string stored = readFile(g_parametersPath);
    EXPECT_NE(stored.find("name=\"MAIN_WINDOW_X\" value=\"500\""), std::string::npos) << stored;
    EXPECT_NE(stored.find("name=\"MAIN_WINDOW_Y\" value=\"60\""), std::string::npos) << stored;
}

TEST_F(MainWindowTest, ControlsSitInTheirRowsWithTheirFirstState)
{
    open();
    struct Expected {
        const GuiControl& control;
        const char* className;
        LONG x, y, width, height;
        bool enabled;
    };
    const Expected expected[] = {
        {SIM_CHOICE, "ComboBox", 5, 114, 105, 21, true},
        {ALL_INSTALL_PATH, "Edit", 111, 119, 1200, 16, false},
        {SCAN_LIVERIES, "button", 5, 149, 12, 12, true},
        {BUTTON_TBLO, "button", 217, 175, 60, 20, false},
        {MATCHING_DEPTH, "ComboBox", 217, 198, 40, 21, true},
        {BLOCK_CALLSIGN, "Edit", 107, 259, 100, 16, false},
        {BUTTON_UNBLOCK, "button", 223, 257, 60, 20, false},
        {CALLSIGN_2_OBJECTID, "ComboBox", 375, 254, 100, 21, true},
        {BUTTON_NOW, "button", 111, 313, 45, 20, false},
        {DESTINATION, "Edit", 217, 343, 50, 16, false},
        {BUTTON_FLUSH_STATIC, "button", 758, 369, 90, 20, false},
        {PARK_SOFT, "button", 151, 373, 12, 12, true},
        {MAX_FIT_FL, "ComboBox", 566, 366, 60, 21, true},
    };
    for (const Expected& e : expected) {
        const standin::ControlState state = desktop.state(e.control.controlId);
        SCOPED_TRACE(e.control.controlId);
        EXPECT_EQ(state.className, e.className);
        EXPECT_EQ(state.rect.left, e.x);
        EXPECT_EQ(state.rect.top, e.y);
        EXPECT_EQ(state.rect.right - state.rect.left, e.width);
        EXPECT_EQ(state.rect.bottom - state.rect.top, e.height);
        EXPECT_EQ(state.enabled, e.enabled);
        EXPECT_EQ(e.control.hwnd, desktop.control(e.control.controlId));
    }
    EXPECT_TRUE(desktop.state(SCAN_LIVERIES.controlId).checked);
    EXPECT_FALSE(desktop.state(AEROWINX.controlId).checked);
    EXPECT_EQ(desktop.state(BUTTON_REREAD.controlId).text, "Re-read");
    EXPECT_EQ(desktop.state(CALLSIGN_2_OBJECTID.controlId).style & CBS_DROPDOWNLIST, static_cast<DWORD>(CBS_DROPDOWNLIST));
}

// Each label, in the window's font, ends before whatever follows it on its line: a control, the
// next label or the column line; none covers it.
TEST_F(MainWindowTest, EveryLabelEndsBeforeTheControlThatFollowsIt)
{
    open();
    HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ previousFont = SelectObject(dc, g_mainWindowState.font());
    struct Span {
        std::string what;
        LONG left, top, right, bottom;
    };
    std::vector<Span> others;
    for (const int id : desktop.controlIds()) {
        const RECT r = desktop.state(id).rect;
        others.push_back({"control " + std::to_string(id), r.left, r.top, r.right, r.bottom});
    }
    others.push_back({"column line", 642, 140, 643, 308});
    const auto extent = [dc](std::string_view text) {
        const std::wstring wide(text.begin(), text.end());
        SIZE size{};
        EXPECT_TRUE(GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size));
        return size;
    };
    const std::vector<ControlLabel> labels = gf_controlLabels();
    for (const ControlLabel& label : labels) {
        const SIZE size = extent(label.text);
        others.push_back({"label " + std::string(label.text), label.x, label.y, label.x + size.cx, label.y + size.cy});
    }
    for (const ControlLabel& label : labels) {
        const SIZE size = extent(label.text);
        const LONG right = label.x + size.cx;
        const LONG bottom = label.y + size.cy;
        EXPECT_LE(right, panel::kWidth) << label.text;
        for (const Span& other : others) {
            const bool sameLine = other.top < bottom && other.bottom > label.y;
            const bool itself = other.left == label.x && other.top == label.y;
            if (sameLine && !itself && other.right > label.x) {
                EXPECT_LE(right, other.left) << '"' << label.text << "\" at " << label.x << " runs into " << other.what
                                             << " at " << other.left;
            }
        }
    }
    SelectObject(dc, previousFont);
    DeleteDC(dc);
}

TEST_F(MainWindowTest, EditBoxesAreSubclassedAndStillTakeText)
{
    open();
    gf_enableControl(DESTINATION);

    ASSERT_TRUE(desktop.type(DESTINATION.controlId, "EDDF"));

    EXPECT_NE(DESTINATION.previousProc, nullptr);
    EXPECT_EQ(desktop.state(DESTINATION.controlId).text, "EDDF");
}

TEST_F(MainWindowTest, PanelAreasAndLinesHaveTheirColours)
{
    open();
    const standin::Surface image = painted();

    EXPECT_EQ(image.pixel(860, 20), panel::kBlack);       // title band
    EXPECT_EQ(image.pixel(600, 28), panel::kWhite);       // line under the title
    EXPECT_EQ(image.pixel(860, 300), panel::kLightBlue);  // control area
    EXPECT_EQ(image.pixel(300, 140), panel::kBlack);      // row line
    EXPECT_EQ(image.pixel(642, 200), panel::kBlack);      // column line
    EXPECT_EQ(image.pixel(600, 420), panel::kBlack);      // parking band without a park airport
    EXPECT_EQ(image.pixel(600, 460), panel::kGreen);      // status line
    EXPECT_TRUE(hasColour(image, RECT{3, 5, 120, 24}, panel::kGreen)); // "Version 11.10.8"
}

TEST_F(MainWindowTest, NoLiveriesReadsInRedAndScannedLiveriesInGreen)
{
    open();
    const RECT liveriesText{5, 91, 138, 110};

    g_scannedLiveryCount = 0;
    const standin::Surface none = painted();
    g_scannedLiveryCount = 1234;
    const standin::Surface some = painted();
    g_scannedLiveryCount = 0;

    EXPECT_TRUE(hasColour(none, liveriesText, panel::kRed));
    EXPECT_FALSE(hasColour(none, liveriesText, panel::kGreen));
    EXPECT_TRUE(hasColour(some, liveriesText, panel::kGreen));
    EXPECT_FALSE(hasColour(some, liveriesText, panel::kRed));
}

TEST_F(MainWindowTest, AddonFolderCountsTurnGreenWhenTheFoldersHaveEntries)
{
    open();
    const RECT simaddonText{141, 91, 275, 110};
    const RECT thirdpText{278, 91, 395, 110};

    const standin::Surface empty = painted();
    g_addonFolderCounts.simAddon = 1;
    const standin::Surface oneFilled = painted();

    EXPECT_TRUE(hasColour(empty, simaddonText, panel::kYellow));
    EXPECT_TRUE(hasColour(empty, thirdpText, panel::kYellow));
    EXPECT_TRUE(hasColour(oneFilled, simaddonText, panel::kGreen));
    EXPECT_FALSE(hasColour(oneFilled, simaddonText, panel::kYellow));
    EXPECT_TRUE(hasColour(oneFilled, thirdpText, panel::kYellow));
}

TEST_F(MainWindowTest, AverageFitShowsTheMeanParkedTimeOfTheLiveParkedAircraftInHours)
{
    open();
    const RECT averageFit{249, 427, 430, 447};
    const auto packed = [](std::uint64_t weekday, std::uint64_t halfHour) { return weekday | (halfHour << 32); };
    {
        const std::lock_guard lock(g_mainWindowState.parkTextMutex);
        g_mainWindowState.parking.airport = "EDDF";
    }
    g_weekTime = packed(1, 1);  // Monday 00:30
    const standin::Surface before = painted();
    // Parked on Sunday at 22:30 and at 23:30: four and two half hours ago, over the week's end.
    for (const std::uint64_t parkedSlot : {packed(7, 45), packed(7, 47)}) {
        LiveAc ac;
        ac.simState = SimState::active;
        ac.flightPhase = FlightPhase::parked;
        ac.parkedSlot = parkedSlot;
        g_liveAcs.push_back(ac);
    }

    gf_refreshCounters();
    const standin::Surface after = painted();

    EXPECT_EQ(g_mainWindowState.parking.averageFit, "1.5");
    EXPECT_EQ(g_mainWindowState.parkedLive.load(), 2);
    bool changed = false;
    for (int y = averageFit.top; y < averageFit.bottom && !changed; ++y) {
        for (int x = averageFit.left; x < averageFit.right && !changed; ++x) {
            changed = before.pixel(x, y) != after.pixel(x, y);
        }
    }
    EXPECT_TRUE(changed);
    g_liveAcs.clear();
}

TEST_F(MainWindowTest, SimulatorTextNamesTheUserStandWhenThereIsOne)
{
    open();
    g_panelSimConnected = true;
    g_panelSimRunning = true;
    gf_setPanelSimText("MSFS 2020 (11.0.1.0)");
    gf_setPanelUserTitle("Airbus A320 Neo Asobo");
    const RECT pastSimText{250, 35, 395, 55};

    const standin::Surface withoutStand = painted();
    gf_setPanelUserStand("GATE B 42");
    const standin::Surface withStand = painted();
    g_panelUserTypeKnown = false;
    const standin::Surface unknownType = painted();

    EXPECT_FALSE(hasColour(withoutStand, pastSimText, panel::kGreen));
    EXPECT_TRUE(hasColour(withStand, pastSimText, panel::kGreen));
    EXPECT_TRUE(hasColour(withStand, RECT{5, 63, 200, 83}, panel::kGreen));
    EXPECT_TRUE(hasColour(unknownType, RECT{5, 63, 200, 83}, panel::kYellow));
}

TEST_F(MainWindowTest, SimulatorLightFollowsConnectionRunningAndUserTitle)
{
    open();
    const int x = 410;
    const int y = 100;

    const COLORREF disconnected = painted().pixel(x, y);
    g_panelSimConnected = true;
    g_panelSimRunning = true;
    const COLORREF withoutTitle = painted().pixel(x, y);
    gf_setPanelUserTitle("Airbus A320 Neo Asobo");
    const COLORREF withTitle = painted().pixel(x, y);
    g_panelSimRunning = false;
    const COLORREF notRunning = painted().pixel(x, y);

    EXPECT_EQ(disconnected, panel::kRed);
    EXPECT_EQ(withoutTitle, panel::kYellow);
    EXPECT_EQ(withTitle, panel::kGreen);
    EXPECT_EQ(notRunning, panel::kYellow);
}

TEST_F(MainWindowTest, StatusLineShowsMessagesInYellowOnGreenAndErrorsOnRed)
{
    open();
    const RECT text{3, 455, 300, 474};

    gf_showMessage("Community path found", false);
    desktop.pumpUntilIdle();
    const standin::Surface message = desktop.snapshot();
    gf_showError("SIMCONNECT ERROR");
    desktop.pumpUntilIdle();
    const standin::Surface error = desktop.snapshot();

    EXPECT_EQ(message.pixel(600, 460), panel::kGreen);
    EXPECT_TRUE(hasColour(message, text, panel::kYellow));
    EXPECT_EQ(error.pixel(600, 460), panel::kRed);
    EXPECT_TRUE(hasColour(error, text, panel::kYellow));
}

TEST_F(MainWindowTest, WindowIsSavedAsPng)
{
    open();
    g_scannedLiveryCount = 2048;
    painted();
    const fs::path artefact = fs::path(SKYWEAVER_BUILD_DIR) / "artefacts" / "main_window.png";
    fs::create_directories(artefact.parent_path());

    ASSERT_TRUE(desktop.savePng(artefact));
    EXPECT_GT(fs::file_size(artefact), 1000u);
}

TEST_F(MainWindowTest, ManualFolderOpensWhenPresentAndAMessageBoxSaysWhenNot)
{
    EXPECT_FALSE(gf_openManual());
    fs::create_directories("docs");
    EXPECT_TRUE(gf_openManual());

    const auto boxes = standin::messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Could not open local folder with Manual");
    EXPECT_EQ(boxes[0].caption, "SKWV");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_TRUE(gf_openParametersFolder());
}

TEST_F(MainWindowTest, RealTrafficLightFollowsTheLinkAndTheTrafficReader)
{
    open();
    MainWindow& w = g_mainWindowState;
    const int x = 440;
    const int y = 100;

    const COLORREF notUsed = painted().pixel(x, y);
    w.rtNotUsed = false;
    const COLORREF notReady = painted().pixel(x, y);
    g_rtLinkReady = true;
    g_trafficLight = kLightLive;
    g_qnhLight = kLightLive;
    g_panelQnh = 1021;
    const standin::Surface live = painted();
    g_trafficLight = kLightStale;
    const COLORREF stale = painted().pixel(x, y);

    EXPECT_EQ(notUsed, panel::kBlack);
    EXPECT_EQ(notReady, panel::kRed);
    EXPECT_EQ(live.pixel(x, y), panel::kGreen);
    EXPECT_EQ(stale, panel::kYellow);
    EXPECT_TRUE(hasColour(live, RECT{642, 63, 740, 80}, panel::kGreen)); // "qnh: 1021"
    EXPECT_TRUE(hasColour(live, RECT{458, 91, 520, 108}, panel::kGreen)); // "Traffic"
}

TEST_F(MainWindowTest, LabelsTellTheSettingsStateByColour)
{
    open();
    const RECT airOnly{592, 231, 640, 246};
    const RECT maxPark{171, 315, 320, 330};

    const standin::Surface defaults = painted();
    AIRBORNE_ONLY.value = true;
    MAX_PARK_SEL.value = 0;
    const standin::Surface parkZero = painted();
    MAX_LIVE_SEL.value = 0;
    const standin::Surface bothZero = painted();

    EXPECT_FALSE(hasColour(defaults, airOnly, panel::kYellow));
    EXPECT_TRUE(hasColour(parkZero, airOnly, panel::kYellow));
    EXPECT_TRUE(hasColour(defaults, maxPark, panel::kBlack));
    EXPECT_TRUE(hasColour(parkZero, maxPark, panel::kYellow));
    EXPECT_TRUE(hasColour(bothZero, maxPark, panel::kRed));
}
