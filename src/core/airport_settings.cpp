// Per-airport settings restored when the park airport is left, and the values derived
// from RANGE and MAX_FIT.
#include "core/airport_settings.h"

#include "core/parameters_xml.h"
#include "core/settings.h"
#include "parking/airport_settings_snapshot.h"
#include "platform/win32.h"
#include "ui/control_text.h"
#include "ui/panel_repaint.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

template <class T>
void lf_selectOption(const std::vector<T>& options, HWND list, T value)
{
    const auto found = std::find(options.begin(), options.end(), value);
    if (found != options.end()) {
        SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(found - options.begin()), 0);
    }
    // Some labels take their colour from the lists' values.
    gf_repaintControlArea();
}

void lf_applyListSetting(IntGuiParameter& setting, std::int32_t stored)
{
    setting.value = std::clamp(stored, setting.minValue, setting.maxValue);
    gf_saveIntParameter(setting);
    lf_selectOption(setting.optionValues, setting.hwnd, setting.value.load());
}

void lf_applyCheckBox(BoolGuiParameter& setting, bool stored)
{
    setting.value = stored;
    gf_saveBoolParameter(setting);
    gf_setCheckBox(setting);
}

} // namespace

void gf_applyAirportSettings()
{
    const AirportSettingsSnapshot& stored = g_airportSettingsSnapshot;
    lf_applyListSetting(MAX_LIVE_SEL, stored.maxLiveSel);

    MAX_FIT.value = std::clamp(stored.maxFit, MAX_FIT.minValue, MAX_FIT.maxValue);
    gf_saveIntParameter(MAX_FIT);
    gf_applyMaxFit();

    RANGE.value = std::clamp(stored.range, RANGE.minValue, RANGE.maxValue);
    gf_saveIntParameter(RANGE);
    gf_setRangeNm(stored.range);

    lf_applyListSetting(parking_percentage, stored.parkingPercentage);

    lf_applyCheckBox(AUTO_RANGE, stored.autoRange);
    EnableWindow(RANGE.hwnd, AUTO_RANGE.value ? FALSE : TRUE);
    EnableWindow(AR_ABOVE_HEIGHT.hwnd, AUTO_RANGE.value ? TRUE : FALSE);

    lf_applyCheckBox(INITIAL_LOAD_ONLY, stored.initialLoadOnly);
    lf_applyCheckBox(PARK_SOFT, stored.parkSoft);
    lf_applyCheckBox(WEEK, stored.week);
}

void gf_selectListValue(const IntGuiParameter& setting)
{
    lf_selectOption(setting.optionValues, setting.hwnd, setting.value.load());
}

void gf_selectListValue(const FloatGuiParameter& setting)
{
    lf_selectOption(setting.optionValues, setting.hwnd, setting.value.load());
}

float gf_indexToHours(std::int32_t index)
{
    // From the highest index down: the first threshold reached gives the hours.
    static constexpr std::array<std::pair<std::int32_t, float>, 11> kSteps{{{44, 24.0f},
                                                                            {38, 21.0f},
                                                                            {32, 18.0f},
                                                                            {26, 15.0f},
                                                                            {22, 12.0f},
                                                                            {20, 11.0f},
                                                                            {18, 10.0f},
                                                                            {16, 9.0f},
                                                                            {14, 8.0f},
                                                                            {12, 7.0f},
                                                                            {10, 6.0f}}};
    for (const auto& [threshold, hours] : kSteps) {
        if (index >= threshold) {
            return hours;
        }
    }
    if (index >= 1) {
        return static_cast<float>(index + 1) / 2.0f;
    }
    return 0.5f;
}

void gf_applyMaxFit()
{
    MAX_FIT_FL.value = gf_indexToHours(MAX_FIT.value);
    lf_selectOption(MAX_FIT_FL.optionValues, MAX_FIT_FL.hwnd, MAX_FIT_FL.value.load());
}

std::uint32_t gf_setRangeNm(std::int32_t nm)
{
    RANGE.value = std::clamp(nm, RANGE.minValue, RANGE.maxValue);
    lf_selectOption(RANGE.optionValues, RANGE.hwnd, RANGE.value.load());
    g_rangeNm = static_cast<double>(nm);
    g_rangeMeters = static_cast<std::uint32_t>(nm) * 1852u;
    return g_rangeMeters;
}
