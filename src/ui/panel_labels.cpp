// The static labels beside the settings' controls, with the colours that tell
// the user about the setting's state.
#include "app/tick_state.h"
#include "core/settings.h"
#include "ui/busy_state.h"
#include "ui/main_window.h"
#include "ui/draw_text.h"
#include "ui/panel_paint.h"

#include <fmt/format.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using ColourRule = std::function<COLORREF()>;

struct Label {
    const char* text;
    int x;
    const GuiControl& row;
    ColourRule colour;
};

COLORREF lf_black() { return panel::kBlack; }

ColourRule lf_yellowWhenOn(const BoolParameter& setting)
{
    return [&setting] { return setting.value ? panel::kYellow : panel::kBlack; };
}

ColourRule lf_blackWhenOnElse(const BoolParameter& setting, COLORREF off)
{
    return [&setting, off] { return setting.value ? panel::kBlack : off; };
}

ColourRule lf_greyWhenDisabled(const GuiControl& control)
{
    return [&control] { return IsWindowEnabled(control.hwnd) ? panel::kBlack : panel::kGrey; };
}

// Red when neither parked nor live aircraft are allowed; otherwise yellow for a setting at 0.
ColourRule lf_maxSelColour(const IntParameter& own)
{
    return [&own] {
        if (MAX_PARK_SEL.value == 0 && MAX_LIVE_SEL.value == 0) {
            return panel::kRed;
        }
        return own.value > 0 ? panel::kBlack : panel::kYellow;
    };
}

const std::vector<Label>& lf_labels()
{
    static const std::vector<Label> labels{
        {"Aerowinx", 672, AEROWINX, lf_yellowWhenOn(AEROWINX)},
        {"Stay on top", 768, ALWAYS_ON_TOP, lf_black},
        {"Nav lights", 768, NAV_LIGHTS_WHILE_PARKED, lf_black},
        {"GUID changes", 768, GUID_CHANGES, lf_blackWhenOnElse(GUID_CHANGES, panel::kYellow)},
        {"Scan for liveries", 25, SCAN_LIVERIES, lf_yellowWhenOn(SCAN_LIVERIES)},
        {"Automatic:", 237, LIG_AUTOMATIC, lf_black},
        {"Prioritize", 556, LIG_PRIORITIZE, lf_black},
        {"Scan for addon airports", 25, SCAN_AIRPORTS, lf_yellowWhenOn(SCAN_AIRPORTS)},
        {"Max aircraft matching depth", 5, MATCHING_DEPTH, lf_black},
        {"Optional:", 258, LIGHT_AIRCRAFT, lf_black},
        {"Light aircraft", 343, LIGHT_AIRCRAFT, lf_greyWhenDisabled(LIGHT_AIRCRAFT)},
        {"Helicopters", 450, HELICOPTERS, lf_greyWhenDisabled(HELICOPTERS)},
        {"FighterJets", 556, HIGH_PERF_AIRCRAFT, lf_greyWhenDisabled(HIGH_PERF_AIRCRAFT)},
        {"Traffic injection", 5, RANGE, lf_black},
        {"Radius:", 163, RANGE, lf_black},
        {"nm, or", 270, RANGE, lf_black},
        {"Auto range", 343, AUTO_RANGE, lf_black},
        {"Ah:", 430, AR_ABOVE_HEIGHT, lf_blackWhenOnElse(AUTO_RANGE, panel::kGrey)},
        {"ft", 536, AR_ABOVE_HEIGHT, lf_blackWhenOnElse(AUTO_RANGE, panel::kGrey)},
        {"AirOnly", 592, AIRBORNE_ONLY, lf_yellowWhenOn(AIRBORNE_ONLY)},
        {"Block callsign:", 5, BLOCK_CALLSIGN, lf_black},
        {"Collision avoidance", 5, COLLISION_USER_GND, lf_black},
        {"User ground", 237, COLLISION_USER_GND, lf_black},
        {"User air", 343, COLLISION_USER_AIR, lf_black},
        {"Live X parked", 450, COLLISION_LIVE_PARKED_GND, lf_black},
        {"Airport parking", 5, MAX_PARK_SEL, [] { return g_busy ? panel::kYellow : panel::kBlack; }},
        {"Max park (static+live):", 171, MAX_PARK_SEL, lf_maxSelColour(MAX_PARK_SEL)},
        {"Max live (park incl):", 401, MAX_LIVE_SEL, lf_maxSelColour(MAX_LIVE_SEL)},
        {"Straight push backs only", 672, STRAIGHT_PBS_ONLY, lf_blackWhenOnElse(STRAIGHT_PBS_ONLY, panel::kGrey)},
        {"Destination:", 137, DESTINATION, lf_black},
        {"Range:", 303, AIRP_RANGE, lf_black},
        {"nm", 403, AIRP_RANGE, lf_black},
        {"Height above gnd:", 440, AIRP_HEIGHT, lf_black},
        {"ft", 646, AIRP_HEIGHT, lf_black},
        {"ILO", 25, INITIAL_LOAD_ONLY, lf_yellowWhenOn(INITIAL_LOAD_ONLY)},
        {"Week", 91, WEEK, lf_black},
        {"Soft", 171, PARK_SOFT, lf_black},
        {"Target: ", 264, parking_percentage, lf_black},
        {"%", 378, parking_percentage, lf_black},
        {"Max fit:", 506, MAX_FIT_FL, lf_black},
        {"hrs", 632, MAX_FIT_FL, lf_black},
    };
    return labels;
}

constexpr std::string_view kNoRenewal = "(no next ... )";
constexpr std::int32_t kCountdownShownFrom = 19;

std::string lf_countdownText(std::int32_t minutes) { return fmt::format("(next in {} min)", minutes); }

// The renewal countdown while a park airport is loaded and nothing is busy.
std::string lf_renewalText()
{
    if (!g_mainWindowState.parkFileLoaded || g_busy) {
        return {};
    }
    if (INITIAL_LOAD_ONLY.value) {
        return std::string(kNoRenewal);
    }
    const std::int32_t minutes = g_staticParkingCountdown;
    return minutes >= 1 && minutes <= kCountdownShownFrom ? lf_countdownText(minutes) : std::string();
}

} // namespace

std::vector<ControlLabel> gf_controlLabels()
{
    std::vector<ControlLabel> labels;
    for (const Label& label : lf_labels()) {
        labels.push_back({label.text, label.x, label.row.y});
    }
    static const std::string longestCountdown = lf_countdownText(kCountdownShownFrom);
    labels.push_back({longestCountdown, 5, AIRP_RANGE.y});
    labels.push_back({kNoRenewal, 5, AIRP_RANGE.y});
    return labels;
}

void lf_paintControlLabels(HDC dc)
{
    for (const Label& label : lf_labels()) {
        lf_drawText(label.text, dc, label.x, label.row.y, label.colour());
    }
    std::string objectIdText;
    {
        std::lock_guard lock(g_mainWindowState.parkTextMutex);
        objectIdText = g_mainWindowState.callsignObjectIdText;
    }
    if (!objectIdText.empty()) {
        lf_drawText(objectIdText, dc, 476, CALLSIGN_2_OBJECTID.y, panel::kBlack);
    }
    const std::string renewal = lf_renewalText();
    if (!renewal.empty()) {
        lf_drawText(renewal, dc, 5, AIRP_RANGE.y, panel::kBlack);
    }
}
