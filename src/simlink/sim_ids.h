// The program's own SimConnect ids: requests, data definitions, events and the
// one notification group. The values are fixed and appear in logs: each kind is
// numbered on from its first id, so a new id goes at the end of its kind.
#pragma once

#include <cstdint>

enum SimRequestId : std::uint32_t {
    kRequestAcInRange = 101, // AI objects within range: identification and on-ground data
    kRequestStaticCg,        // static CG of one AI object
    kRequestReleaseControl, kRequestCreateAc, kRequestRemoveAc,
    kRequestUserTitle, kRequestUserModel,
    kRequestUserOnGround, // every simulator second
    kRequestUserData, kRequestFlightPlan,
};

enum SimDefinitionId : std::uint32_t {
    kDefinitionGroundControls = 401, // spoilers and both throttle levers, 24 bytes
    kDefinitionAiPosition,           // the 64-byte block of a PositionItem
    kDefinitionUserData,             // UserAcData, 96 bytes
    kDefinitionInRange,              // above ground, ground altitude, on ground, ATC ID
    kDefinitionStaticCg, kDefinitionLightStates, kDefinitionTitle, kDefinitionAtcModel, kDefinitionUserOnGround,
};

enum SimEventId : std::uint32_t {
    // System events.
    kEventSim = 201, kEventObjectAdded, kEventObjectRemoved, kEventFrame, kEventFlightLoaded,
    // Client events, each mapped to the simulator event of the same name.
    kEventBeaconLightsSet, kEventNavLightsSet, kEventTaxiLightsSet, kEventStrobesSet, kEventLandingLightsSet,
    kEventCabinLightsSet, kEventLogoLightsSet, kEventAllLightsToggle,
    kEventFreezeLatLonSet, kEventFreezeAltitudeSet, kEventFreezeAttitudeSet,
    kEventFlapsSet, kEventSpoilersSet, kEventGearSet,
    kEventEngineAutoStart, kEventEngineAutoShutdown, kEventThrottleSet,
};

enum SimGroupId : std::uint32_t {
    kGroupAiCommands = 301, // the one notification group, priority 1
};
