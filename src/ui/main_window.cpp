// The main window object, its creation and its window procedure.
#include "ui/main_window.h"
#include "core/run_state.h"

#include "app/exit_reason.h"
#include "app/start_up_thread.h"
#include "core/log.h"
#include "core/program_version.h"
#include "core/settings.h"
#include "core/time_text.h"
#include "engine/ac_containers.h"
#include "engine/learned_updates.h"
#include "engine/proximity_rules.h"
#include "parking/static_parking.h"
#include "ui/command_handlers.h"
#include "ui/main_window_handle.h"
#include "ui/panel_paint.h"
#include "ui/status_line.h"
#include "ui/window_controls.h"
#include "ui/window_messages.h"
#include "ui/window_position.h"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <thread>

MainWindow g_mainWindowState;

namespace {

std::thread g_startUpThread;

// The tool made for a colour, or the black one's for a colour without a tool.
template <typename Tool, std::size_t N>
Tool lf_ofColour(const std::array<Tool, N>& tools, const std::array<COLORREF, N>& colours, COLORREF colour)
{
    auto at = std::ranges::find(colours, colour);
    if (at == colours.end()) {
        at = std::ranges::find(colours, panel::kBlack);
    }
    return tools[static_cast<std::size_t>(at - colours.begin())];
}

// Tahoma, on every Windows and under Wine, at 12 pixels: the longest label ends before the
// control that follows it, with room to spare for fonts a little wider (Wine may draw it in
// DejaVu Sans, which is).
constexpr int kFontPixels = 12;

HFONT lf_createPanelFont()
{
    return CreateFontW(-kFontPixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma");
}

void lf_startStartUpThread()
{
    if (g_startUpThread.joinable()) {
        g_startUpThread.join();
    }
    g_startUpThread = std::thread(lf_startUpSKWV);
    g_startUpThread.detach();
}

bool lf_waitUntilReady()
{
    using namespace std::chrono_literals;
    for (auto waited = 0ms; waited <= 1000ms; waited += 50ms) {
        if (g_mainWindowState.ready) {
            return true;
        }
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

LRESULT lf_onCreate(HWND window)
{
    g_mainWindow = window;
    lf_createControls(window);
    InvalidateRect(window, &panel::kControlArea, TRUE);
    return 0;
}

LRESULT lf_onPaint(HWND window)
{
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window, &paint);
    lf_paintMainWindow(dc);
    EndPaint(window, &paint);
    return 0;
}

// The close button only asks the run to end; the shut-down closes the program.
LRESULT lf_onClose()
{
    gf_showMessage(fmt::format("Close window button clicked, closing {} ...", kProductName), false);
    gf_requestUserExit();
    return 0;
}

LRESULT lf_onControlColour(HDC dc)
{
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, panel::kLightBlue);
    return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
}

LRESULT lf_onCloseDown(HWND window)
{
    lf_storeWindowPosition(window);
    gf_log(fmt::format("{} closing down", gf_nowTime()));
    PostQuitMessage(g_exitCode);
    return 0;
}

} // namespace

MainWindow::MainWindow()
{
    std::ranges::transform(panel::kBrushColours, m_brushes.begin(), [](COLORREF c) { return CreateSolidBrush(c); });
    std::ranges::transform(panel::kPenColours, m_pens.begin(), [](COLORREF c) { return CreatePen(PS_SOLID, 1, c); });
    m_font = lf_createPanelFont();
    ready = true;
}

MainWindow::~MainWindow()
{
    for (HGDIOBJ object : m_brushes) {
        DeleteObject(object);
    }
    for (HGDIOBJ object : m_pens) {
        DeleteObject(object);
    }
    DeleteObject(m_font);
}

HBRUSH MainWindow::brush(COLORREF colour) const { return lf_ofColour(m_brushes, panel::kBrushColours, colour); }

HPEN MainWindow::pen(COLORREF colour) const { return lf_ofColour(m_pens, panel::kPenColours, colour); }

bool initInstance(HINSTANCE instance, const wchar_t* className)
{
    if (!lf_waitUntilReady()) {
        return false;
    }
    // A stored position is kept while the window stays on a monitor; before the
    // window exists its planned rectangle is fitted.
    if (lf_loadWindowPosition()) {
        lf_fitWindowToMonitor(MAIN_WINDOW_X.defaultValue, MAIN_WINDOW_Y.defaultValue);
    }
    HWND window = CreateWindowExW(0, className, className, WS_CAPTION | WS_SYSMENU, MAIN_WINDOW_X.value, MAIN_WINDOW_Y.value,
                                  panel::kWidth, panel::kHeight, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return false;
    }
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return true;
}

LRESULT CALLBACK mainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return lf_onCreate(window);
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_PAINT:
        return lf_onPaint(window);
    case WM_CLOSE:
        return lf_onClose();
    case WM_ERASEBKGND:
        return 1;
    case WM_COMMAND:
        if (lf_HandleWMCOMMAND(window, wParam, lParam)) {
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        return lf_onControlColour(reinterpret_cast<HDC>(wParam));
    case WM_APP_START_UP:
        lf_startStartUpThread();
        return 0;
    case WM_APP_CLOSE_DOWN:
        return lf_onCloseDown(window);
    case WM_APP_REPAINT:
        InvalidateRect(window, &panel::kStatusLine, FALSE);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

namespace {

// "average fit": the mean time the live aircraft have stood parked, in hours with one
// decimal; empty while none is parked. True when the text changed.
bool lf_storeAverageFit(const LiveParkedCount& live)
{
    const std::string text = live.count > 0 ? fmt::format("{:.1f}", live.meanSlots / 2.0) : std::string();
    const std::lock_guard lock(g_mainWindowState.parkTextMutex);
    if (g_mainWindowState.parking.averageFit == text) {
        return false;
    }
    g_mainWindowState.parking.averageFit = text;
    return true;
}

} // namespace

void gf_showReservedStand(const std::string& stand)
{
    {
        std::lock_guard lock(g_mainWindowState.parkTextMutex);
        g_mainWindowState.parking.reservedStand = stand;
    }
    g_mainWindowState.reservedStandValid.store(!stand.empty());
    if (g_mainWindow.load() != nullptr) {
        InvalidateRect(g_mainWindow.load(), &panel::kParkingBand, FALSE);
    }
}

void gf_refreshCounters()
{
    const LiveParkedCount live = gf_countLiveParked(true);
    const std::int32_t parked = live.count;
    const auto flying = static_cast<std::int32_t>(std::count_if(g_liveAcs.begin(), g_liveAcs.end(), [](const LiveAc& ac) {
        return ac.simState == SimState::active && ac.flightPhase != FlightPhase::parked;
    }));
    const std::int32_t statics = gf_countStaticParked(false);
    MainWindow& w = g_mainWindowState;
    HWND window = g_mainWindow.load();
    if (w.liveFlying.exchange(flying) != flying && window != nullptr) {
        InvalidateRect(window, &panel::kHeader, FALSE);
    }
    bool parkingChanged = lf_storeAverageFit(live);
    parkingChanged = w.parkedLive.exchange(parked) != parked || parkingChanged;
    const std::uint32_t learned = gf_learnedUpdates();
    parkingChanged = w.learnedUpdates.exchange(learned) != learned || parkingChanged;
    if ((w.staticParked.exchange(statics) != statics || parkingChanged) && window != nullptr) {
        InvalidateRect(window, &panel::kParkingBand, FALSE);
    }
}

namespace {

std::string lf_parkingPanelText(const ParkingPanel& p)
{
    return fmt::format("{}|{}|{}|{}|{}|{}|{} {} {} {} {} {} {} {}", p.airport, p.name1, p.name2, p.qualityText,
                       p.reservedStand, p.averageFit, p.weekNumber, p.stands, p.plannedStatic, p.maxParkSet,
                       p.maxPark, p.maxParkPercent, p.fitSoft, p.fitAnyWeekday);
}

// The panel's texts, counters and flags; the brushes, pens and the ready flag live as
// long as the window.
const RunStateRegistration lf_runState{
    {"g_mainWindowState.parking", RunStateArea::Status,
     [] {
         std::lock_guard lock(g_mainWindowState.parkTextMutex);
         g_mainWindowState.parking = {};
     },
     [] {
         std::lock_guard lock(g_mainWindowState.parkTextMutex);
         return lf_parkingPanelText(g_mainWindowState.parking);
     }},
    RUN_STATE_LOCKED(RunStateArea::Status, g_mainWindowState.parkTextMutex, g_mainWindowState.callsignObjectIdText),
    RUN_STATE_LOCKED(RunStateArea::Status, g_mainWindowState.rtTextMutex, g_mainWindowState.rtText),
    RUN_STATE(RunStateArea::Status, g_mainWindowState.liveFlying, g_mainWindowState.staticParked,
              g_mainWindowState.parkedLive, g_mainWindowState.learnedUpdates, g_mainWindowState.rtNotUsed,
              g_mainWindowState.handmade, g_mainWindowState.parkFileLoaded, g_mainWindowState.reservedStandValid),
};

} // namespace
