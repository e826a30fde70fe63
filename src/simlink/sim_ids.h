// The program's own SimConnect ids: requests, data definitions, events and the
// one notification group. The values are fixed and appear in logs.
#pragma once

#include <cstdint>

enum SimRequestId : std::uint32_t {
    kRequestAcInRange = 101,     // AI objects within range: identification and on-ground data
    kRequestStaticCg = 102,      // static CG of one AI object
    kRequestReleaseControl = 103,
    kRequestCreateAc = 104,
    kRequestRemoveAc = 105,
    kRequestUserTitle = 106,
    kRequestUserModel = 107,
    kRequestUserOnGround = 108,  // every simulator second
    kRequestUserData = 109,
    kRequestFlightPlan = 110,
};

enum SimDefinitionId : std::uint32_t {
    kDefinitionGroundControls = 401, // spoilers and both throttle levers, 24 bytes
    kDefinitionAiPosition = 402,     // the 64-byte block of a PositionItem
    kDefinitionUserData = 403,       // UserAcData, 96 bytes
    kDefinitionInRange = 404,        // above ground, ground altitude, on ground, ATC ID
    kDefinitionStaticCg = 405,
    kDefinitionLightStates = 406,
    kDefinitionTitle = 407,
    kDefinitionAtcModel = 408,
    kDefinitionUserOnGround = 409,
};

enum SimEventId : std::uint32_t {
    // System events.
    kEventSim = 201,
    kEventObjectAdded = 202,
    kEventObjectRemoved = 203,
    kEventFrame = 204,
    kEventFlightLoaded = 205,
    // Client events, each mapped to the simulator event of the same name.
    kEventBeaconLightsSet = 206,
    kEventNavLightsSet = 207,
    kEventTaxiLightsSet = 208,
    kEventStrobesSet = 209,
    kEventLandingLightsSet = 210,
    kEventCabinLightsSet = 211,
    kEventLogoLightsSet = 212,
    kEventAllLightsToggle = 213,
    kEventFreezeLatLonSet = 214,
    kEventFreezeAltitudeSet = 215,
    kEventFreezeAttitudeSet = 216,
    kEventFlapsSet = 217,
    kEventSpoilersSet = 218,
    kEventGearSet = 219,
    kEventEngineAutoStart = 220,
    kEventEngineAutoShutdown = 221,
    kEventThrottleSet = 222,
};

enum SimGroupId : std::uint32_t {
    kGroupAiCommands = 301, // the one notification group, priority 1
};
