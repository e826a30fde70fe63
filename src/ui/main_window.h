// The main window: one fixed-size window whose upper part is a painted status
// panel, whose middle holds the settings' controls, with the parking band and
// the status line below. Other threads change the panel's texts, flags and
// counters and ask for a repaint; only the GUI thread paints.
#pragma once

#include "platform/win32.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

// The areas of the 880 x 516 panel bitmap, in client coordinates.
namespace panel {
inline constexpr int kWidth = 880;
inline constexpr int kHeight = 516;
inline constexpr RECT kTitleBand{0, 0, 880, 28};
inline constexpr RECT kHeader{0, 28, 880, 112};
inline constexpr RECT kControlArea{0, 112, 880, 392};
inline constexpr RECT kParkingBand{0, 392, 880, 448};
inline constexpr RECT kStatusLine{0, 448, 880, 476};

inline constexpr COLORREF kRed = RGB(255, 0, 0);
inline constexpr COLORREF kLightBlue = RGB(153, 204, 255);
inline constexpr COLORREF kBlack = RGB(0, 0, 0);
inline constexpr COLORREF kGreen = RGB(50, 205, 50);
inline constexpr COLORREF kYellow = RGB(255, 255, 0);
inline constexpr COLORREF kWhite = RGB(255, 255, 255);
inline constexpr COLORREF kGrey = RGB(160, 160, 160);

// The colours the window keeps a solid brush of, and those it keeps a one-pixel pen of.
inline constexpr std::array<COLORREF, 5> kBrushColours{kRed, kLightBlue, kBlack, kGreen, kYellow};
inline constexpr std::array<COLORREF, 2> kPenColours{kBlack, kWhite};
} // namespace panel

// The park airport's texts and figures in the parking band, written by static parking.
struct ParkingPanel {
    std::string airport;        // shown at x 5 of the first line; the band is empty without it
    std::string name1;          // " {}, {}{}, wk={}": the two airport texts
    std::string name2;
    std::string qualityText;    // "qf: {}"
    std::string reservedStand;  // "reserved stand: {}"
    std::string averageFit;     // "average fit: {}"
    std::int32_t weekNumber = 0;
    std::int32_t stands = 0;
    std::int32_t plannedStatic = 0; // " ({})" beside the static count, yellow
    bool maxParkSet = false;        // "max park: {:3} (={} %)" or "no max park live"
    std::int32_t maxPark = 0;
    std::int32_t maxParkPercent = 0;
    bool fitSoft = false;        // the last fit used soft data ("*S*" at x 370)
    bool fitAnyWeekday = false;  // ... data of any weekday ("*W*"; both "*WS*")
};

class MainWindow {
public:
    MainWindow();
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Set as the last step of construction; initInstance waits for it.
    std::atomic<bool> ready{false};

    // The brush or pen of a panel colour; the black one for a colour it has none of.
    HBRUSH brush(COLORREF colour) const;
    HPEN pen(COLORREF colour) const;
    // The font every text of the panel is drawn in.
    HFONT font() const { return m_font; }

    // The RealTraffic text.
    std::mutex rtTextMutex;
    std::string rtText;
    // The parking band and the chosen callsign's object id text.
    std::mutex parkTextMutex;
    ParkingPanel parking;
    std::string callsignObjectIdText;

    // Counters.
    std::atomic<std::int32_t> liveFlying{0};
    std::atomic<std::int32_t> staticParked{0};
    std::atomic<std::int32_t> parkedLive{0};
    std::atomic<std::uint32_t> learnedUpdates{0};

    // Flags.
    std::atomic<bool> rtNotUsed{true};
    std::atomic<bool> handmade{false};
    // The park airport's park file is loaded (the renewal countdown is shown then).
    std::atomic<bool> parkFileLoaded{false};
    std::atomic<bool> reservedStandValid{true};

private:
    std::array<HBRUSH, panel::kBrushColours.size()> m_brushes{};
    std::array<HPEN, panel::kPenColours.size()> m_pens{};
    HFONT m_font = nullptr;
};

extern MainWindow g_mainWindowState;

// Creates the main window (the class is registered by the caller): false when the
// window object is not ready within a second or the window cannot be created.
bool initInstance(HINSTANCE instance, const wchar_t* className);
LRESULT CALLBACK mainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Once per flight second: the shown counts of flying live, parked live and static
// aircraft and of learned stand updates follow the engine's, repainting the areas
// that changed.
void gf_refreshCounters();

// Main loop thread: "reserved stand: {}" in the parking band, red when there is none.
void gf_showReservedStand(const std::string& stand);

// Opens the folder of "parameters.xml", or the "docs" folder with the manual, in the
// shell; a message box tells when it cannot.
bool gf_openParametersFolder();
bool gf_openManual();
// Opens the "tblo" folder that holds "tblo.zip" for off-line learning.
bool gf_openTbloFolder();
