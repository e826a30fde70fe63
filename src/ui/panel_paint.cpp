// The status panel: title band, simulator and RealTraffic section, parking band
// and status line, painted into one bitmap and blitted at once so nothing flickers.
#include "ui/panel_paint.h"

#include "app/start_up_state.h"
#include "core/program_version.h"
#include "core/settings.h"
#include "traffic/reader_lights.h"
#include "ui/main_window.h"
#include "ui/sim_panel_state.h"
#include "ui/status_panel_counts.h"
#include "ui/draw_text.h"
#include "ui/status_line.h"

#include <fmt/format.h>


namespace {

void lf_fill(HDC dc, const RECT& area, HBRUSH brush) { FillRect(dc, &area, brush); }

void lf_line(HDC dc, int x0, int y0, int x1, int y1)
{
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}

void lf_paintAreas(HDC dc)
{
    MainWindow& w = g_mainWindowState;
    lf_fill(dc, panel::kTitleBand, w.brush(panel::kBlack));
    lf_fill(dc, panel::kHeader, w.brush(panel::kBlack));
    lf_fill(dc, panel::kControlArea, w.brush(panel::kLightBlue));
    lf_fill(dc, panel::kParkingBand, w.brush(panel::kBlack));
    lf_fill(dc, panel::kStatusLine, w.brush(panel::kGreen));
    const HGDIOBJ previous = SelectObject(dc, w.pen(panel::kWhite));
    for (int y : {28, 113, 392, 449}) {
        lf_line(dc, 0, y, panel::kWidth, y);
    }
    SelectObject(dc, previous);
}

void lf_paintTitle(HDC dc)
{
    lf_drawText(fmt::format("Version {}", fmt::format("{}.{}.{}", kProgramVersionMajor, kProgramVersionMinor,
                                                      kProgramVersionPatch)),
                dc, 3, 7, panel::kGreen);
    lf_drawText(kProductName, dc, 390, 7, panel::kGreen);
}

void lf_paintRowLines(HDC dc)
{
    const HGDIOBJ previous = SelectObject(dc, g_mainWindowState.pen(panel::kBlack));
    lf_line(dc, 0, 140, panel::kWidth, 140);
    lf_line(dc, 0, 308, panel::kWidth, 308);
    for (int y : {168, 196, 224, 252, 280}) {
        lf_line(dc, 0, y, 642, y);
    }
    lf_line(dc, 642, 140, 642, 308);
    SelectObject(dc, previous);
}

bool lf_readerShown(std::int32_t light) { return light == kLightLive || light == kLightStale; }

void lf_paintFeedValues(HDC dc)
{
    if (!g_rtLinkReady) {
        return;
    }
    if (lf_readerShown(g_qnhLight)) {
        const std::int32_t qnh = g_panelQnh;
        lf_drawText(qnh < 1 ? std::string() : fmt::format("qnh: {:4}", qnh), dc, 642, 63, panel::kGreen);
    }
    if (lf_readerShown(g_trafficLight)) {
        lf_drawText(fmt::format("live: {:3}", g_mainWindowState.liveFlying.load()), dc, 642, 91, panel::kGreen);
    }
}

COLORREF lf_simLightColour()
{
    if (!g_panelSimConnected) {
        return panel::kRed;
    }
    return g_panelSimRunning && !gf_panelUserTitle().empty() ? panel::kGreen : panel::kYellow;
}

void lf_paintSimTexts(HDC dc, COLORREF light)
{
    if (!g_panelSimConnected) {
        lf_drawText("MSFS", dc, 5, 35, panel::kGreen);
        return;
    }
    const std::string stand = gf_panelUserStand();
    const std::string simText = gf_panelSimText();
    lf_drawText(stand.empty() ? simText : simText + ", user stand " + stand, dc, 5, 35, light);
    lf_drawText(gf_panelUserTitle(), dc, 5, 63, g_panelUserTypeKnown ? light : panel::kYellow);
}

void lf_paintCount(HDC dc, std::string_view label, std::int64_t count, int x, COLORREF missing)
{
    if (count > 0) {
        lf_drawText(fmt::format("# {}: {}", label, count), dc, x, 91, panel::kGreen);
    } else {
        lf_drawText(fmt::format("# {}: ...", label), dc, x, 91, missing);
    }
}

COLORREF lf_rtLightColour()
{
    if (g_mainWindowState.rtNotUsed) {
        return panel::kBlack;
    }
    if (!g_rtLinkReady) {
        return panel::kRed;
    }
    return g_trafficLight == kLightLive ? panel::kGreen : panel::kYellow;
}

void lf_paintRealTraffic(HDC dc)
{
    const COLORREF light = lf_rtLightColour();
    const RECT box{425, 30, 454, 113};
    FillRect(dc, &box, g_mainWindowState.brush(light));
    lf_drawText("RT", dc, 430, 63, panel::kGreen);
    if (g_rtLinkReady) {
        std::string text;
        {
            std::lock_guard lock(g_mainWindowState.rtTextMutex);
            text = g_mainWindowState.rtText;
        }
        lf_drawText(text, dc, 458, 35, light);
        const auto readerColour = [](std::int32_t state) { return state == kLightLive ? panel::kGreen : panel::kYellow; };
        if (g_qnhLight != kLightStopped) {
            lf_drawText("Weather", dc, 458, 63, readerColour(g_qnhLight));
        }
        if (g_trafficLight != kLightStopped) {
            lf_drawText("Traffic", dc, 458, 91, readerColour(g_trafficLight));
        }
    }
    const HGDIOBJ previous = SelectObject(dc, g_mainWindowState.pen(panel::kBlack));
    lf_line(dc, 425, 29, 425, 112);
    SelectObject(dc, previous);
}

// What the last fit used besides real data of today: the settings only allow it.
std::string_view lf_parkingModeMark(const ParkingPanel& p)
{
    if (p.fitAnyWeekday && p.fitSoft) {
        return "*WS*";
    }
    if (p.fitSoft) {
        return "*S*";
    }
    return p.fitAnyWeekday ? "*W*" : "";
}

} // namespace

void lf_paintSimSection(HDC dc)
{
    const COLORREF light = lf_simLightColour();
    const RECT box{397, 30, 426, 113};
    FillRect(dc, &box, g_mainWindowState.brush(light));
    lf_drawText("Sim", dc, 398, 63, panel::kGreen);
    lf_paintSimTexts(dc, light);
    lf_paintCount(dc, "liveries", g_scannedLiveryCount, 5, panel::kRed);
    lf_paintCount(dc, "simaddon", g_addonFolderCounts.simAddon, 141, panel::kYellow);
    lf_paintCount(dc, "thirdp", g_addonFolderCounts.thirdParty, 278, panel::kYellow);
    lf_paintRealTraffic(dc);
}

void lf_paintParkingStats(HDC dc)
{
    MainWindow& w = g_mainWindowState;
    ParkingPanel p;
    {
        std::lock_guard lock(w.parkTextMutex);
        p = w.parking;
    }
    if (p.airport.empty()) {
        return;
    }
    constexpr int kFirst = 399;
    constexpr int kSecond = 427;
    const COLORREF green = panel::kGreen;
    lf_drawText(p.airport, dc, 5, kFirst, green);
    lf_drawText(fmt::format(" {}, {}{}, wk={}", p.name1, p.name2, w.handmade ? " (h)" : "", p.weekNumber), dc, 85, kFirst, green);
    lf_drawText(lf_parkingModeMark(p), dc, 370, kFirst, green);
    lf_drawText(fmt::format("qf: {}", p.qualityText), dc, 430, kFirst, green);
    lf_drawText(fmt::format("reserved stand: {}", p.reservedStand), dc, 571, kFirst,
                w.reservedStandValid ? green : panel::kRed);
    lf_drawText(fmt::format("# updates: {:4}", w.learnedUpdates.load()), dc, 748, kFirst, green);

    lf_drawText(fmt::format("# stands: {:3}", p.stands), dc, 5, kSecond, green);
    lf_drawText(fmt::format("parked live: {:3}", w.parkedLive.load()), dc, 111, kSecond, green);
    lf_drawText(fmt::format("average fit: {}", p.averageFit), dc, 249, kSecond, green);
    lf_drawText(fmt::format("static: {:3}", w.staticParked.load()), dc, 430, kSecond, green);
    lf_drawText(fmt::format(" ({})", p.plannedStatic), dc, 500, kSecond, panel::kYellow);
    lf_drawText(p.maxParkSet ? fmt::format("max park: {:3} (={} %)", p.maxPark, p.maxParkPercent) : "no max park live", dc,
                708, kSecond, green);
}

void lf_paintMainWindow(HDC dc)
{
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, panel::kWidth, panel::kHeight);
    const HGDIOBJ previousBitmap = SelectObject(memory, bitmap);
    const HGDIOBJ previousFont = SelectObject(memory, g_mainWindowState.font());
    lf_paintAreas(memory);
    SetBkMode(memory, TRANSPARENT);
    lf_paintTitle(memory);
    lf_paintRowLines(memory);
    lf_paintSimSection(memory);
    lf_paintFeedValues(memory);
    lf_paintControlLabels(memory);
    lf_paintParkingStats(memory);
    lf_paintStatusLine(memory);
    BitBlt(dc, 0, 0, panel::kWidth, panel::kHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previousFont);
    SelectObject(memory, previousBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
}
