// The settings and buttons with their keys, defaults, limits, options, control ids
// and rows. Defined in one file, registries last, so that static initialisation
// builds every object before a registry points to it.
#include "core/settings.h"
#include "core/run_state.h"

#include "core/package_orders.h"

namespace {

std::vector<std::int32_t> lf_steps(std::int32_t first, std::int32_t last, std::int32_t step)
{
    std::vector<std::int32_t> values;
    for (std::int32_t v = first; v <= last; v += step) {
        values.push_back(v);
    }
    return values;
}

std::vector<std::int32_t> lf_airportHeights()
{
    std::vector<std::int32_t> values = lf_steps(2000, 18000, 2000);
    values.push_back(36000);
    values.push_back(48000);
    return values;
}

} // namespace

BoolParameter RANDOM("RANDOM", true);

BoolGuiParameter AEROWINX("AEROWINX", false, 32774, 203);
BoolGuiParameter LIG_AUTOMATIC("LIG_AUTOMATIC", true, 32799, 147);
BoolGuiParameter COLLISION_USER_AIR("COLLISION_USER_AIR", true, 32833, 287);
BoolGuiParameter COLLISION_USER_GND("COLLISION_USER_GND", true, 32834, 287);
BoolGuiParameter COLLISION_LIVE_PARKED_GND("COLLISION_LIVE_PARKED_GND", false, 32835, 287);
BoolGuiParameter ALWAYS_ON_TOP("ALWAYS_ON_TOP", false, 32771, 147);
BoolGuiParameter SCAN_LIVERIES("SCAN_LIVERIES", true, 32798, 147);
BoolGuiParameter LIG_PRIORITIZE("LIG_PRIORITIZE", true, 32800, 147);
BoolGuiParameter AIRBORNE_ONLY("AIRBORNE_ONLY", false, 32821, 231);
BoolGuiParameter SCAN_AIRPORTS("SCAN_AIRPORTS", true, 32802, 175);
BoolGuiParameter LIGHT_AIRCRAFT("LIGHT_AIRCRAFT", true, 32809, 203);
BoolGuiParameter HELICOPTERS("HELICOPTERS", true, 32810, 203);
BoolGuiParameter HIGH_PERF_AIRCRAFT("HIGH_PERF_AIRCRAFT", true, 32811, 203);
BoolGuiParameter NAV_LIGHTS_WHILE_PARKED("NAV_LIGHTS_WHILE_PARKED", true, 32776, 175);
BoolGuiParameter AUTO_RANGE("AUTO_RANGE", true, 32819, 231);
BoolGuiParameter STRAIGHT_PBS_ONLY("STRAIGHT_PBS_ONLY", false, 32855, 315);
BoolGuiParameter PARK_SOFT("PARK_SOFT", false, 32852, 371);
BoolGuiParameter WEEK("WEEK", false, 32853, 371);
BoolGuiParameter INITIAL_LOAD_ONLY("INITIAL_LOAD_ONLY", false, 32851, 371);
BoolGuiParameter GUID_CHANGES("GUID_CHANGES", true, 32773, 203);

IntParameter CUSTOM_PARKING_PERCENTAGE("CUSTOM_PARKING_PERCENTAGE", -1, -1, 100);
IntParameter MAIN_WINDOW_X("MAIN_WINDOW_X", 400, -30000, 30000);
IntParameter MAIN_WINDOW_Y("MAIN_WINDOW_Y", 20, -30000, 30000);
IntParameter LAST_EPOCH_TIME("LAST_EPOCH_TIME:", 0, 0, 2147483647);
IntParameter HOLDING_THRESHOLD_METERS("HOLDING_THRESHOLD_METERS", 250, 10, 4000);
IntParameter MAX_HOLDING_MINUTES("MAX_HOLDING_MINUTES", 20, 1, 60);
IntParameter MAX_FIT("MAX_FIT", 47, 0, 47);

IntGuiParameter MATCHING_DEPTH("MATCHING_DEPTH", 4, {1, 2, 3, 4}, 32808, 203);
IntGuiParameter RANGE("RANGE", 40, {2, 3, 4, 5, 6, 8, 10, 12, 14, 16, 18, 20, 25, 30, 35, 40, 50, 65, 80, 100}, 32818,
                      231);
IntGuiParameter AR_ABOVE_HEIGHT("AR_ABOVE_HEIGHT", 48000, lf_steps(18000, 48000, 3000), 32820, 231);
IntGuiParameter MAX_PARK_SEL("MAX_PARK_SEL", 500, {0, 10, 25, 50, 75, 100, 500}, 32848, 315);
IntGuiParameter MAX_LIVE_SEL("MAX_LIVE_SEL", 500, {0, 10, 25, 50, 75, 100, 500}, 32849, 315);
IntGuiParameter AIRP_RANGE("AIRP_RANGE", 20, {5, 10, 15, 20, 25, 30}, 32840, 343);
IntGuiParameter AIRP_HEIGHT("AIRP_HEIGHT", 18000, lf_airportHeights(), 32841, 343);
IntGuiParameter parking_percentage("parking_percentage", 30, lf_steps(0, 100, 5), 32850, 371);
FloatGuiParameter MAX_FIT_FL("MAX_FIT_FL", 24.0f,
                             {0.5f, 1.0f, 1.5f, 2.0f, 2.5f, 3.0f, 3.5f, 4.0f, 4.5f, 5.0f, 6.0f, 7.0f, 8.0f, 9.0f, 10.0f,
                              12.0f, 15.0f, 18.0f, 21.0f, 24.0f},
                             32854, 371);

StringParameter PROGRAM_VERSION("PROGRAM_VERSION", "");
StringParameter MSFS_INSTALL_PATH("MSFS_INSTALL_PATH", "");
StringParameter PORT_NUMBER("PORT_NUMBER", "10747");
StringParameter lfolder0("lfolder0", "");
StringParameter lfolder1("lfolder1", "");
StringParameter lfolder2("lfolder2", "");
StringParameter lfolder3("lfolder3", "");
StringParameter lfolder4("lfolder4", "");
StringParameter lfolder5("lfolder5", "");
StringParameter lfolder6("lfolder6", "");
StringParameter lfolder7("lfolder7", "");
StringParameter lfolder8("lfolder8", "");
StringParameter lfolder9("lfolder9", "");
StringParameter AIG_VERSION("AIG_VERSION", "");
StringParameter DBASE_VERSION("DBASE_VERSION", "");
StringParameter AIRPORTS_VERSION("AIRPORTS_VERSION", "");
StringParameter LIV_SCAN_VERSION("LIV_SCAN_VERSION", "");
StringParameter ADDONS_SCAN_VERSION("ADDONS_SCAN_VERSION", "");
StringParameter DERIVAVIZE24_VERSION("DERIVAVIZE24_VERSION", "");
StringParameter MSFS_2024_INSTALL_PATH("MSFS_2024_INSTALL_PATH", "");
ChoiceParameter AI_PACKAGE_SELECTOR("AI_PACKAGE_SELECTOR", "AIG, FSLTL, JF, MTL", gf_packageOrders(), 32790, 147);
StringGuiParameter DESTINATION("DESTINATION", "", 32839, 343);
StringGuiParameter BLOCK_CALLSIGN("BLOCK_CALLSIGN", "", 32828, 259);
ChoiceParameter SIM_CHOICE("SIM_CHOICE", "MSFS 2020", {"MSFS 2020", "MSFS 2024"}, 32789, 119);
StringGuiParameter ALL_INSTALL_PATH("ALL_INSTALL_PATH", "", 32788, 119);
SharedChoiceParameter CALLSIGN_2_OBJECTID("CALLSIGN_2_OBJECTID", "",
                                          std::make_shared<std::vector<std::string>>(1, std::string()), 32831, 259);

const std::array<StringParameter*, 10> lfolders{&lfolder0, &lfolder1, &lfolder2, &lfolder3, &lfolder4,
                                                &lfolder5, &lfolder6, &lfolder7, &lfolder8, &lfolder9};

// Every button but "tblo" sits 2 pixels above its row.
GuiButton BUTTON_TBLO("tblo", 32804, 175);
GuiButton BUTTON_UNBLOCK("Unblock", 32829, 257);
GuiButton BUTTON_CALLSIGN_2_OBJECTID("cs->oid:", 32830, 257);
GuiButton BUTTON_BLOCK("Block", 32832, 257);
GuiButton BUTTON_REREAD("Re-read", 32838, 341);
GuiButton BUTTON_NOW("Now", 32847, 313);
GuiButton BUTTON_FLUSH_STATIC("Flush static", 32857, 369);

const std::vector<BoolParameter*> boolParameters{&RANDOM};

const std::vector<BoolGuiParameter*> boolGuiParameters{
    &AEROWINX,          &LIG_AUTOMATIC,     &COLLISION_USER_AIR,      &COLLISION_USER_GND, &COLLISION_LIVE_PARKED_GND,
    &ALWAYS_ON_TOP,     &SCAN_LIVERIES,     &LIG_PRIORITIZE,          &AIRBORNE_ONLY,      &SCAN_AIRPORTS,
    &LIGHT_AIRCRAFT,    &HELICOPTERS,       &HIGH_PERF_AIRCRAFT,      &NAV_LIGHTS_WHILE_PARKED,
    &AUTO_RANGE,        &STRAIGHT_PBS_ONLY, &PARK_SOFT,               &WEEK,
    &INITIAL_LOAD_ONLY, &GUID_CHANGES};

const std::vector<IntParameter*> intParameters{
    &CUSTOM_PARKING_PERCENTAGE, &MAIN_WINDOW_X,           &MAIN_WINDOW_Y,       &AIRP_HEIGHT,
    &LAST_EPOCH_TIME,           &HOLDING_THRESHOLD_METERS, &MAX_HOLDING_MINUTES, &MAX_FIT};

const std::vector<IntGuiParameter*> intGuiParameters{&MATCHING_DEPTH, &RANGE,      &AR_ABOVE_HEIGHT, &MAX_PARK_SEL,
                                                     &MAX_LIVE_SEL,   &AIRP_RANGE, &AIRP_HEIGHT};

const std::vector<StringParameter*> stringParameters{
    &PROGRAM_VERSION,      &MSFS_INSTALL_PATH,   &PORT_NUMBER,         &lfolder0,         &lfolder1,
    &lfolder2,             &lfolder3,            &lfolder4,            &lfolder5,         &lfolder6,
    &lfolder7,             &lfolder8,            &lfolder9,            &AIG_VERSION,      &DBASE_VERSION,
    &AIRPORTS_VERSION,     &LIV_SCAN_VERSION,    &ADDONS_SCAN_VERSION, &DERIVAVIZE24_VERSION,
    &MSFS_2024_INSTALL_PATH, &AI_PACKAGE_SELECTOR, &DESTINATION};

const std::vector<StringGuiParameter*> stringGuiParameters{&BLOCK_CALLSIGN, &SIM_CHOICE};

std::atomic<double> g_rangeNm{40.0};
std::atomic<std::uint32_t> g_rangeMeters{74080};

namespace {

// The range in use is worked out again by every start-up from RANGE.
const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::Status, g_rangeNm, g_rangeMeters),
};

} // namespace
