// Every setting and push button of the program as a global object, and the six
// registries that "parameters.xml" is read and written through.
#pragma once

#include "core/parameter.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

// Plain flags and numbers.
extern BoolParameter RANDOM;

// Check boxes.
extern BoolGuiParameter AEROWINX;
extern BoolGuiParameter LIG_AUTOMATIC;
extern BoolGuiParameter COLLISION_USER_AIR;
extern BoolGuiParameter COLLISION_USER_GND;
extern BoolGuiParameter COLLISION_LIVE_PARKED_GND;
extern BoolGuiParameter ALWAYS_ON_TOP;
extern BoolGuiParameter SCAN_LIVERIES;
extern BoolGuiParameter LIG_PRIORITIZE;
extern BoolGuiParameter AIRBORNE_ONLY;
extern BoolGuiParameter SCAN_AIRPORTS;
extern BoolGuiParameter LIGHT_AIRCRAFT;
extern BoolGuiParameter HELICOPTERS;
extern BoolGuiParameter HIGH_PERF_AIRCRAFT;
extern BoolGuiParameter NAV_LIGHTS_WHILE_PARKED;
extern BoolGuiParameter AUTO_RANGE;
extern BoolGuiParameter STRAIGHT_PBS_ONLY;
extern BoolGuiParameter PARK_SOFT;
extern BoolGuiParameter WEEK;
extern BoolGuiParameter INITIAL_LOAD_ONLY;
extern BoolGuiParameter GUID_CHANGES;

extern IntParameter CUSTOM_PARKING_PERCENTAGE;
extern IntParameter MAIN_WINDOW_X;
extern IntParameter MAIN_WINDOW_Y;
extern IntParameter LAST_EPOCH_TIME; // stored under the key "LAST_EPOCH_TIME:"
extern IntParameter HOLDING_THRESHOLD_METERS;
extern IntParameter MAX_HOLDING_MINUTES;
extern IntParameter MAX_FIT; // 2 x hours - 1 of the chosen MAX_FIT_FL entry

// Drop-down lists of numbers.
extern IntGuiParameter MATCHING_DEPTH;
extern IntGuiParameter RANGE; // traffic range, nautical miles
extern IntGuiParameter AR_ABOVE_HEIGHT;
extern IntGuiParameter MAX_PARK_SEL;
extern IntGuiParameter MAX_LIVE_SEL;
extern IntGuiParameter AIRP_RANGE;
extern IntGuiParameter AIRP_HEIGHT;
extern IntGuiParameter parking_percentage;
extern FloatGuiParameter MAX_FIT_FL; // hours

// Texts.
extern StringParameter PROGRAM_VERSION;
extern StringParameter MSFS_INSTALL_PATH;
extern StringParameter PORT_NUMBER;
extern StringParameter lfolder0;
extern StringParameter lfolder1;
extern StringParameter lfolder2;
extern StringParameter lfolder3;
extern StringParameter lfolder4;
extern StringParameter lfolder5;
extern StringParameter lfolder6;
extern StringParameter lfolder7;
extern StringParameter lfolder8;
extern StringParameter lfolder9;
extern StringParameter AIG_VERSION;
extern StringParameter DBASE_VERSION;
extern StringParameter AIRPORTS_VERSION;
extern StringParameter LIV_SCAN_VERSION;
extern StringParameter ADDONS_SCAN_VERSION;
extern StringParameter DERIVAVIZE24_VERSION;
extern StringParameter MSFS_2024_INSTALL_PATH;
extern ChoiceParameter AI_PACKAGE_SELECTOR;
extern StringGuiParameter DESTINATION;
extern StringGuiParameter BLOCK_CALLSIGN;
extern ChoiceParameter SIM_CHOICE;
extern StringGuiParameter ALL_INSTALL_PATH;
extern SharedChoiceParameter CALLSIGN_2_OBJECTID;

// The user livery folders lfolder0 to lfolder9, in digit order.
extern const std::array<StringParameter*, 10> lfolders;

// Push buttons.
extern GuiButton BUTTON_TBLO;
extern GuiButton BUTTON_UNBLOCK;
extern GuiButton BUTTON_CALLSIGN_2_OBJECTID;
extern GuiButton BUTTON_BLOCK;
extern GuiButton BUTTON_REREAD;
extern GuiButton BUTTON_NOW;
extern GuiButton BUTTON_FLUSH_STATIC;

// The registries, in the order in which "parameters.xml" is read and written.
// AIRP_HEIGHT stands in intParameters and in intGuiParameters.
extern const std::vector<BoolParameter*> boolParameters;
extern const std::vector<BoolGuiParameter*> boolGuiParameters;
extern const std::vector<IntParameter*> intParameters;
extern const std::vector<IntGuiParameter*> intGuiParameters;
extern const std::vector<StringParameter*> stringParameters;
extern const std::vector<StringGuiParameter*> stringGuiParameters;

// The traffic range from RANGE, read by every thread; changed only by gf_setRangeNm.
extern std::atomic<double> g_rangeNm;
extern std::atomic<std::uint32_t> g_rangeMeters;
