#include "core/package_orders.h"
#include "core/program_folders.h"
#include "core/setting_lists.h"
#include "core/settings.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

template <class P>
std::vector<std::string> names(const std::vector<P*>& registry)
{
    std::vector<std::string> out;
    for (const auto* setting : registry) {
        out.push_back(setting->name);
    }
    return out;
}

template <class P>
bool contains(const std::vector<P*>& registry, const Parameter* setting)
{
    for (const auto* member : registry) {
        if (static_cast<const Parameter*>(member) == setting) {
            return true;
        }
    }
    return false;
}

} // namespace

// The registries fix the keys and the order of a full "parameters.xml".
TEST(Settings, RegistriesListTheStoredKeysInFileOrder)
{
    EXPECT_EQ(names(boolParameters), (std::vector<std::string>{"RANDOM"}));
    EXPECT_EQ(names(boolGuiParameters),
              (std::vector<std::string>{"AEROWINX", "LIG_AUTOMATIC", "COLLISION_USER_AIR", "COLLISION_USER_GND",
                                        "COLLISION_LIVE_PARKED_GND", "ALWAYS_ON_TOP", "SCAN_LIVERIES",
                                        "LIG_PRIORITIZE", "AIRBORNE_ONLY", "SCAN_AIRPORTS", "LIGHT_AIRCRAFT",
                                        "HELICOPTERS", "HIGH_PERF_AIRCRAFT", "NAV_LIGHTS_WHILE_PARKED", "AUTO_RANGE",
                                        "STRAIGHT_PBS_ONLY", "PARK_SOFT", "WEEK", "INITIAL_LOAD_ONLY",
                                        "GUID_CHANGES"}));
    EXPECT_EQ(names(intParameters),
              (std::vector<std::string>{"CUSTOM_PARKING_PERCENTAGE", "MAIN_WINDOW_X", "MAIN_WINDOW_Y", "AIRP_HEIGHT",
                                        "LAST_EPOCH_TIME:", "HOLDING_THRESHOLD_METERS", "MAX_HOLDING_MINUTES",
                                        "MAX_FIT"}));
    EXPECT_EQ(names(intGuiParameters),
              (std::vector<std::string>{"MATCHING_DEPTH", "RANGE", "AR_ABOVE_HEIGHT", "MAX_PARK_SEL", "MAX_LIVE_SEL",
                                        "AIRP_RANGE", "AIRP_HEIGHT"}));
    EXPECT_EQ(names(stringParameters),
              (std::vector<std::string>{"PROGRAM_VERSION", "MSFS_INSTALL_PATH", "PORT_NUMBER", "lfolder0", "lfolder1",
                                        "lfolder2", "lfolder3", "lfolder4", "lfolder5", "lfolder6", "lfolder7",
                                        "lfolder8", "lfolder9", "AIG_VERSION", "DBASE_VERSION", "AIRPORTS_VERSION",
                                        "LIV_SCAN_VERSION", "ADDONS_SCAN_VERSION", "DERIVAVIZE24_VERSION",
                                        "MSFS_2024_INSTALL_PATH", "AI_PACKAGE_SELECTOR", "DESTINATION"}));
    EXPECT_EQ(names(stringGuiParameters), (std::vector<std::string>{"BLOCK_CALLSIGN", "SIM_CHOICE"}));
}

TEST(Settings, AirportHeightStandsInTwoRegistriesAsOneObject)
{
    EXPECT_TRUE(contains(intParameters, &AIRP_HEIGHT));
    EXPECT_TRUE(contains(intGuiParameters, &AIRP_HEIGHT));
}

TEST(Settings, RunTimeSettingsAreInNoRegistry)
{
    for (const Parameter* setting : std::vector<const Parameter*>{&ALL_INSTALL_PATH, &CALLSIGN_2_OBJECTID,
                                                                  &MAX_FIT_FL, &parking_percentage}) {
        SCOPED_TRACE(setting->name);
        EXPECT_FALSE(contains(boolParameters, setting) || contains(boolGuiParameters, setting) ||
                     contains(intParameters, setting) || contains(intGuiParameters, setting) ||
                     contains(stringParameters, setting) || contains(stringGuiParameters, setting));
    }
}

TEST(Settings, IntDefaultsAndLimits)
{
    struct Row {
        const IntParameter* setting;
        int defaultValue, minValue, maxValue;
    };
    const std::vector<Row> rows{
        {&CUSTOM_PARKING_PERCENTAGE, -1, -1, 100}, {&MAIN_WINDOW_X, 400, -30000, 30000},
        {&MAIN_WINDOW_Y, 20, -30000, 30000},      {&LAST_EPOCH_TIME, 0, 0, 2147483647},
        {&HOLDING_THRESHOLD_METERS, 250, 10, 4000}, {&MAX_HOLDING_MINUTES, 20, 1, 60},
        {&MAX_FIT, 47, 0, 47},                    {&MATCHING_DEPTH, 4, 1, 4},
        {&RANGE, 40, 2, 100},                     {&AR_ABOVE_HEIGHT, 48000, 18000, 48000},
        {&MAX_PARK_SEL, 500, 0, 500},             {&MAX_LIVE_SEL, 500, 0, 500},
        {&AIRP_RANGE, 20, 5, 30},                 {&AIRP_HEIGHT, 18000, 2000, 48000},
        {&parking_percentage, 30, 0, 100},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.setting->name);
        EXPECT_EQ(row.setting->defaultValue, row.defaultValue);
        EXPECT_EQ(row.setting->value, row.defaultValue);
        EXPECT_EQ(row.setting->minValue, row.minValue);
        EXPECT_EQ(row.setting->maxValue, row.maxValue);
    }
}

TEST(Settings, ListOptionsAscendAndBoundTheLimits)
{
    std::vector<const IntGuiParameter*> lists(intGuiParameters.begin(), intGuiParameters.end());
    lists.push_back(&parking_percentage);
    for (const auto* setting : lists) {
        SCOPED_TRACE(setting->name);
        ASSERT_FALSE(setting->optionValues.empty());
        EXPECT_TRUE(std::is_sorted(setting->optionValues.begin(), setting->optionValues.end()));
        EXPECT_EQ(setting->minValue, setting->optionValues.front());
        EXPECT_EQ(setting->maxValue, setting->optionValues.back());
    }
    EXPECT_EQ(RANGE.optionValues,
              (std::vector<int>{2, 3, 4, 5, 6, 8, 10, 12, 14, 16, 18, 20, 25, 30, 35, 40, 50, 65, 80, 100}));
    EXPECT_EQ(AR_ABOVE_HEIGHT.optionValues.size(), 11u);
    EXPECT_EQ(AIRP_HEIGHT.optionValues,
              (std::vector<int>{2000, 4000, 6000, 8000, 10000, 12000, 14000, 16000, 18000, 36000, 48000}));
    EXPECT_EQ(parking_percentage.optionValues.size(), 21u);
    EXPECT_EQ(MAX_FIT_FL.optionValues.size(), 20u);
    EXPECT_EQ(MAX_FIT_FL.value, 24.0f);
    EXPECT_EQ(MAX_FIT_FL.minValue, 0.5f);
    EXPECT_EQ(MAX_FIT_FL.maxValue, 24.0f);
}

TEST(Settings, FlagAndTextDefaults)
{
    for (const auto* setting : boolGuiParameters) {
        const bool offByDefault = setting == &AEROWINX || setting == &COLLISION_LIVE_PARKED_GND ||
                                  setting == &ALWAYS_ON_TOP || setting == &AIRBORNE_ONLY ||
                                  setting == &STRAIGHT_PBS_ONLY || setting == &PARK_SOFT || setting == &WEEK ||
                                  setting == &INITIAL_LOAD_ONLY;
        EXPECT_EQ(setting->defaultValue, !offByDefault) << setting->name;
        EXPECT_EQ(setting->value, !offByDefault) << setting->name;
    }
    EXPECT_TRUE(RANDOM.value);
    for (const auto* setting : stringParameters) {
        EXPECT_EQ(setting->value, setting->defaultValue) << setting->name;
    }
    EXPECT_EQ(PORT_NUMBER.value, "10747");
    EXPECT_EQ(PROGRAM_VERSION.value, "");
    EXPECT_EQ(SIM_CHOICE.value, "MSFS 2020");
    EXPECT_EQ(SIM_CHOICE.choices, (std::vector<std::string>{"MSFS 2020", "MSFS 2024"}));
    ASSERT_TRUE(CALLSIGN_2_OBJECTID.sharedEntries);
    EXPECT_EQ(*CALLSIGN_2_OBJECTID.sharedEntries, std::vector<std::string>{""});
}

// WM_COMMAND is dispatched by control id: two controls with one id would be indistinguishable.
TEST(Settings, ControlIdsAreUniqueAndRowsOnTheGrid)
{
    std::vector<const GuiControl*> controls{&AI_PACKAGE_SELECTOR, &DESTINATION,       &ALL_INSTALL_PATH,
                                            &CALLSIGN_2_OBJECTID, &parking_percentage, &MAX_FIT_FL};
    for (const auto* s : boolGuiParameters) controls.push_back(s);
    for (const auto* s : intGuiParameters) controls.push_back(s);
    for (const auto* s : stringGuiParameters) controls.push_back(s);
    const std::set<int> rows{119, 147, 175, 203, 231, 259, 287, 315, 343, 371};
    std::set<int> ids;
    for (const auto* control : controls) {
        EXPECT_EQ(rows.count(control->y), 1u) << control->controlId;
        EXPECT_EQ(control->hwnd, nullptr);
        ids.insert(control->controlId);
    }
    const std::vector<const GuiButton*> buttons{&BUTTON_TBLO,  &BUTTON_UNBLOCK, &BUTTON_CALLSIGN_2_OBJECTID,
                                                &BUTTON_BLOCK, &BUTTON_REREAD,  &BUTTON_NOW,
                                                &BUTTON_FLUSH_STATIC};
    for (const auto* button : buttons) {
        const int row = button == &BUTTON_TBLO ? button->y : button->y + 2;
        EXPECT_EQ(rows.count(row), 1u) << button->name;
        ids.insert(button->controlId);
    }
    EXPECT_EQ(ids.size(), controls.size() + buttons.size());
    EXPECT_EQ(RANGE.controlId, 32818);
    EXPECT_EQ(AI_PACKAGE_SELECTOR.controlId, 32790);
    EXPECT_EQ(BUTTON_FLUSH_STATIC.controlId, 32857);
}

TEST(Settings, PackageSelectorOffersEveryOrderingOfEveryPackageSet)
{
    const auto& choices = AI_PACKAGE_SELECTOR.choices;
    ASSERT_EQ(choices.size(), 64u);
    EXPECT_EQ(choices, gf_packageOrders());
    EXPECT_EQ(std::set<std::string>(choices.begin(), choices.end()).size(), 64u);
    EXPECT_EQ(choices[0], AI_PACKAGE_SELECTOR.defaultValue);
    EXPECT_EQ(choices[0], "AIG, FSLTL, JF, MTL");
    EXPECT_EQ(choices[1], "AIG, FSLTL, MTL, JF");
    EXPECT_EQ(choices[2], "AIG, JF, FSLTL, MTL");
    EXPECT_EQ(choices[23], "MTL, JF, FSLTL, AIG");
    EXPECT_EQ(choices[24], "AIG, FSLTL, JF");
    EXPECT_EQ(choices[30], "AIG, FSLTL, MTL");
    EXPECT_EQ(choices[47], "MTL, JF, FSLTL");
    EXPECT_EQ(choices[48], "AIG, FSLTL");
    EXPECT_EQ(choices[49], "FSLTL, AIG");
    EXPECT_EQ(choices[59], "MTL, JF");
    EXPECT_EQ((std::vector<std::string>(choices.begin() + 60, choices.end())),
              (std::vector<std::string>{"AIG", "FSLTL", "JF", "MTL"}));
}

TEST(Settings, IndexOfChoiceMatchesTheWholeTextExactly)
{
    struct Row {
        std::string value;
        std::optional<std::size_t> index;
    };
    const std::vector<Row> rows{{"AIG, FSLTL, JF, MTL", 0}, {"AIG, FSLTL", 48}, {"AIG", 60}, {"MTL", 63},
                                {"aig", std::nullopt},     {"AIG,FSLTL", std::nullopt}, {"", std::nullopt}};
    for (const auto& row : rows) {
        AI_PACKAGE_SELECTOR.value = row.value;
        EXPECT_EQ(gf_indexOfChoice(AI_PACKAGE_SELECTOR), row.index) << row.value;
    }
}

TEST(Settings, RangeStartsFromTheDefault)
{
    EXPECT_EQ(g_rangeNm.load(), 40.0);
    EXPECT_EQ(g_rangeMeters.load(), 74080u);
}

TEST(Settings, FillingListsBeforeTheWindowExistsDoesNothing)
{
    gf_fillIntCombo(RANGE);
    gf_fillChoiceCombo(AI_PACKAGE_SELECTOR);
    gf_fillCallsignCombo();
    EXPECT_EQ(RANGE.hwnd, nullptr);
}

TEST(Settings, FormatsHourOptionsWithOneDecimal)
{
    EXPECT_EQ(gf_formatFloatW(L"{:.1f}", 0.5f), L"0.5");
    EXPECT_EQ(gf_formatFloatW(L"{:.1f}", 24.0f), L"24.0");
}

TEST(Settings, ParametersFileLiesInTheAppDataFolderFoundOnFirstUse)
{
    testsupport::TempFolder root;
    ::setenv("SKYWEAVER_STANDIN_ROOT", root.path().c_str(), 1);
    const auto expected = root.path() / "AppData" / "Roaming" / "Skyweaver";
    EXPECT_EQ(g_appFolder.get(), expected);
    EXPECT_EQ(g_parametersPath.get(), expected / "parameters.xml");
}
