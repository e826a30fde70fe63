// The "SimClient" thread: opens the connection to the simulator, declares the
// program's data definitions, events and subscriptions, and pumps every record
// through one dispatch callback until it is stopped.
#include "simlink/sim_client.h"
#include "core/run_state.h"

#include "app/exit_reason.h"
#include "core/log.h"
#include "core/sim_choice.h"
#include "core/stop_flags.h"
#include "core/text_strings.h"
#include "core/time_text.h"
#include "core/user_error.h"
#include "parking/park_airports.h"
#include "simlink/sim_dispatch.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "simlink/user_aircraft.h"
#include "ui/panel_repaint.h"
#include "ui/sim_panel_state.h"
#include "ui/status_line.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <exception>
#include <initializer_list>
#include <fmt/format.h>
#include <span>
#include <thread>
#include <utility>

HANDLE g_hSimConnect = nullptr;
std::atomic<std::uint32_t> g_userObjectId{2};
std::atomic<bool> g_simRunning{false};
std::atomic<bool> g_simLinkFailed{false};
std::vector<AddedObject> g_addedObjectIds;

namespace {

using namespace std::chrono_literals;

constexpr const char* kClientName = "Skyweaver";
constexpr std::int32_t kSimConnectErrorRestartSeconds = 9;

// What a dispatch leaves for the thread: a fault raised in the callback (it must
// not unwind through the simulator's library) and whether the simulator quit.
struct DispatchOutcome {
    std::exception_ptr fault;
    bool quit = false;
};

// "Sim gone" is told at most once per thread run.
std::atomic<bool> lf_simGoneTold{false};

bool lf_stopWanted(const std::stop_token& stopToken)
{
    return g_stopRequested.load() || g_exitRequested.load() || stopToken.stop_requested();
}

void lf_flushLog()
{
    std::lock_guard lock(g_logMutex);
    if (g_logFile.is_open()) {
        g_logFile.flush();
    }
}

void lf_setHandle(HANDLE handle)
{
    std::lock_guard lock(g_simQueueMutex);
    g_hSimConnect = handle;
}

void lf_simGoneMessage()
{
    if (lf_simGoneTold.exchange(true)) {
        return;
    }
    g_simRunning.store(false);
    if (g_stopRequested.load()) {
        return;
    }
    gf_log(fmt::format("{} Flight Simulator no longer connected, {} will stop ...", gf_nowTime(), kClientName));
    gf_requestStop(ExitReason::SimWasClosed, 0);
}

void lf_newFlight(const char* logLine)
{
    gf_log(logLine);
    gf_requestReservedStandUpdate();
    gf_requestStop(ExitReason::NewFlight, 0);
}

void lf_addEventToGroup(SimEventId event)
{
    SimConnect_AddClientEventToNotificationGroup(g_hSimConnect, kGroupAiCommands, event, TRUE);
}

constexpr auto kI64 = SIMCONNECT_DATATYPE_INT64;

// One variable of a data definition; most are 64-bit floats.
struct DataField {
    const char* name;
    const char* unit;
    SIMCONNECT_DATATYPE type = SIMCONNECT_DATATYPE_FLOAT64;
};

// The fields of a SimPlacement, which AI objects and the user aircraft share, in their layout order.
constexpr DataField kPositionFields[] = {
    {"Plane Latitude", "degree"},         {"Plane Longitude", "degree"},
    {"Plane Pitch degrees", "radians"},   {"Plane Bank degrees", "radians"},
    {"Plane Heading degrees true", "radians"}, {"Plane Altitude", "feet"},
};

// A data definition's fields in the order they arrive, the shared position first where it has it.
struct DataDefinition {
    SimDefinitionId id;
    bool startsWithPosition;
    std::initializer_list<DataField> fields;
};

// Every definition in declaration order.
const DataDefinition kDataDefinitions[] = {
    {kDefinitionTitle, false, {{"TITLE", nullptr, SIMCONNECT_DATATYPE_STRINGV}}},
    {kDefinitionAtcModel, false, {{"ATC MODEL", nullptr, SIMCONNECT_DATATYPE_STRING32}}},
    {kDefinitionUserOnGround, false, {{"SIM ON GROUND", "Bool", kI64}}},
    {kDefinitionAiPosition, true, {{"Vertical Speed", "feet per second"}, {"Airspeed True", "knots"}}},
    {kDefinitionUserData, true,
     {{"Plane Alt Above Ground", "feet"}, {"Ground Velocity", "knots"}, {"ZULU TIME", "Seconds", kI64},
      {"ZULU DAY OF YEAR", "Number", kI64}, {"ZULU YEAR", "Number", kI64}, {"LIGHT STATES", "Mask", kI64}}},
    {kDefinitionStaticCg, false, {{"Static CG to Ground", "feet"}, {"Static Pitch", "radians"}}},
    {kDefinitionLightStates, false, {{"Light On States", "Mask", kI64}}},
    {kDefinitionInRange, false,
     {{"Plane Alt Above Ground", "feet"}, {"Ground Altitude", "feet"}, {"SIM ON GROUND", "Bool", kI64},
      {"ATC ID", nullptr, SIMCONNECT_DATATYPE_STRING32}}},
    {kDefinitionGroundControls, false,
     {{"SPOILERS HANDLE POSITION", "percent"}, {"GENERAL ENG THROTTLE LEVER POSITION:1", "percent"},
      {"GENERAL ENG THROTTLE LEVER POSITION:2", "percent"}}},
};

void lf_addData(SimDefinitionId definition, std::span<const DataField> fields)
{
    for (const DataField& field : fields) {
        SimConnect_AddToDataDefinition(g_hSimConnect, definition, field.name, field.unit, field.type, 0,
                                       SIMCONNECT_UNUSED);
    }
}

void lf_defineData()
{
    for (const DataDefinition& definition : kDataDefinitions) {
        if (definition.startsWithPosition) {
            lf_addData(definition.id, kPositionFields);
        }
        lf_addData(definition.id, definition.fields);
    }
}

void lf_mapEvents()
{
    static constexpr std::pair<SimEventId, const char*> events[] = {
        {kEventGearSet, "GEAR_SET"},
        {kEventEngineAutoStart, "ENGINE_AUTO_START"},
        {kEventEngineAutoShutdown, "ENGINE_AUTO_SHUTDOWN"},
        {kEventThrottleSet, "THROTTLE_SET"},
        {kEventFlapsSet, "FLAPS_SET"},
        {kEventSpoilersSet, "SPOILERS_SET"},
        {kEventNavLightsSet, "NAV_LIGHTS_SET"},
        {kEventBeaconLightsSet, "BEACON_LIGHTS_SET"},
        {kEventLandingLightsSet, "LANDING_LIGHTS_SET"},
        {kEventTaxiLightsSet, "TAXI_LIGHTS_SET"},
        {kEventStrobesSet, "STROBES_SET"},
        {kEventLogoLightsSet, "LOGO_LIGHTS_SET"},
        {kEventCabinLightsSet, "CABIN_LIGHTS_SET"},
        {kEventAllLightsToggle, "ALL_LIGHTS_TOGGLE"},
        {kEventFreezeLatLonSet, "FREEZE_LATITUDE_LONGITUDE_SET"},
        {kEventFreezeAltitudeSet, "FREEZE_ALTITUDE_SET"},
        {kEventFreezeAttitudeSet, "FREEZE_ATTITUDE_SET"},
    };
    for (const auto& [event, name] : events) {
        SimConnect_MapClientEventToSimEvent(g_hSimConnect, event, name);
    }
    // ENGINE_AUTO_START is mapped but stays out of the group.
    for (SimEventId event : {kEventNavLightsSet, kEventBeaconLightsSet, kEventLandingLightsSet, kEventTaxiLightsSet,
                             kEventStrobesSet, kEventLogoLightsSet, kEventCabinLightsSet, kEventAllLightsToggle,
                             kEventFlapsSet, kEventSpoilersSet, kEventGearSet, kEventEngineAutoShutdown,
                             kEventThrottleSet, kEventFreezeLatLonSet, kEventFreezeAltitudeSet,
                             kEventFreezeAttitudeSet}) {
        lf_addEventToGroup(event);
    }
}

// The program's subscriptions, data definitions and client events; no result is checked.
void lf_defineSimData()
{
    SimConnect_SubscribeToSystemEvent(g_hSimConnect, kEventSim, "Sim");
    SimConnect_SubscribeToSystemEvent(g_hSimConnect, kEventObjectAdded, "ObjectAdded");
    SimConnect_SubscribeToSystemEvent(g_hSimConnect, kEventObjectRemoved, "ObjectRemoved");
    SimConnect_SubscribeToSystemEvent(g_hSimConnect, kEventFlightLoaded, "FlightLoaded");
    SimConnect_SubscribeToSystemEvent(g_hSimConnect, kEventFrame, "Frame");
    lf_defineData();
    lf_mapEvents();
    SimConnect_SetNotificationGroupPriority(g_hSimConnect, kGroupAiCommands, SIMCONNECT_GROUP_PRIORITY_HIGHEST);
}

std::string lf_wrongSimMessage()
{
    return fmt::format("MSFS 20{} is running ..., switch Simulator, or select the right sim in the drop down list above",
                       g_msfs2020.load() ? "24" : "20");
}

// Letters, digits and white space of the simulator's name.
std::string lf_plainName(const char* name)
{
    std::string plain;
    for (const char* c = name; *c != '\0'; ++c) {
        const auto u = static_cast<unsigned char>(*c);
        if (std::isalnum(u) != 0 || std::isspace(u) != 0) {
            plain += *c;
        }
    }
    return plain;
}

void lf_onSimOpen(const SIMCONNECT_RECV_OPEN& open)
{
    // The name field is fixed-width: never read past it.
    const std::string name(open.szApplicationName, strnlen(open.szApplicationName, sizeof(open.szApplicationName)));
    if (name.empty()) {
        gf_log("! Simulator name empty?");
        return;
    }
    g_panelSimConnected.store(true);
    gf_repaintPanelHeader();
    const std::string plain = lf_plainName(name.c_str());
    const bool is2020 = plain == "KittyHawk";
    if (!is2020 && plain != "SunRise") {
        throw vtx::UserErrorException(77, fmt::format("'{}' not being MSFS 2020 or MSFS 2024 connects ... ?", plain));
    }
    if (is2020 != g_msfs2020.load()) {
        throw vtx::UserErrorException(71, lf_wrongSimMessage());
    }
    const std::string text =
        fmt::format("{} ({}.{}.{}.{})", is2020 ? "MSFS 2020" : "MSFS 2024", open.dwApplicationVersionMajor,
                    open.dwApplicationVersionMinor, open.dwApplicationBuildMajor, open.dwApplicationBuildMinor);
    gf_log(fmt::format("{} connected", text));
    gf_setPanelSimText(text);
    gf_repaintPanelHeader();
    gf_clearMessage();
}

void lf_onSimException(const SIMCONNECT_RECV_EXCEPTION& exception)
{
    switch (exception.dwException) {
    case SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID:
        if (!gf_simUserPositionUnknown() && !g_stopRequested.load() && !g_exitRequested.load()) {
            gf_logMarked("SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID");
        }
        break;
    case SIMCONNECT_EXCEPTION_VERSION_MISMATCH:
        throw vtx::UserErrorException(95, fmt::format("SimConnect Version Mismatch, dwIndex: {}", exception.dwIndex));
    case SIMCONNECT_EXCEPTION_TOO_MANY_OBJECTS: gf_showMessage("SimConnect: too many objects (max 1000)", true); break;
    case SIMCONNECT_EXCEPTION_INVALID_DATA_SIZE: gf_log("SIMCONNECT_EXCEPTION_INVALID_DATA_SIZE"); break;
    case SIMCONNECT_EXCEPTION_CREATE_OBJECT_FAILED: lf_onCreateFailed(exception.dwSendID); break;
    case SIMCONNECT_EXCEPTION_LOAD_FLIGHTPLAN_FAILED:
        gf_logMarked("SimConnect exception: load flight plan failed");
        break;
    case SIMCONNECT_EXCEPTION_OPERATION_INVALID_FOR_OBJECT_TYPE:
        gf_log("SIMCONNECT_EXCEPTION_OPERATION_INVALID_FOR_OBJECT_TYPE");
        break;
    default: gf_logMarked(fmt::format("SIMCONNECT_EXCEPTION #{}", exception.dwException)); break;
    }
}

void lf_onSimEvent(const SIMCONNECT_RECV_EVENT& event)
{
    if (event.uEventID == kEventSim) {
        const bool running = event.dwData == 1;
        g_simRunning.store(running);
        g_panelSimRunning.store(running);
        gf_repaintPanelHeader();
    } else if (event.uEventID == kEventFlightLoaded) {
        lf_newFlight("SimConnect: flight loaded event");
    }
}

void lf_onObjectAddRemove(const SIMCONNECT_RECV_EVENT_OBJECT_ADDREMOVE& event)
{
    if (event.eObjType != SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT) {
        return;
    }
    const std::uint32_t objectId = event.dwData;
    if (event.uEventID == kEventObjectAdded && objectId > g_userObjectId.load()) {
        lf_onObjectAdded(objectId);
    } else if (event.uEventID == kEventObjectRemoved) {
        // An object that leaves before it was identified is forgotten too, so the
        // simulator's own far traffic cannot grow the list without bound.
        std::erase_if(g_addedObjectIds, [objectId](const AddedObject& added) { return added.objectId == objectId; });
        gf_pushSimResult({objectId, 0, 0, SimResultKind::ObjectRemoved, 0.0, 0.0});
    }
}

void lf_onSimObjectData(const SIMCONNECT_RECV_SIMOBJECT_DATA* record, DWORD size)
{
    if (record->dwRequestID != kRequestStaticCg) {
        lf_onUserAcReply(record, size);
        return;
    }
    const SimDataBlock block(record, size);
    const auto cg = block.float64(0);
    const auto pitch = block.float64(8);
    if (cg && pitch) {
        gf_pushSimResult({record->dwObjectID, 0, 0, SimResultKind::StaticCg, *cg, *pitch});
    }
}

// Copies a record of a known layout; false when fewer bytes arrived than it needs.
template <typename Record>
bool lf_copyRecord(const SIMCONNECT_RECV* data, DWORD size, Record& record)
{
    if (size < sizeof(Record)) {
        return false;
    }
    std::memcpy(&record, data, sizeof(Record));
    return true;
}

template <typename Record, typename Handler>
void lf_handle(const SIMCONNECT_RECV* data, DWORD size, Handler handler)
{
    Record record{};
    if (lf_copyRecord(data, size, record)) {
        handler(record);
    }
}

void lf_dispatchRecord(const SIMCONNECT_RECV* data, DWORD size, DispatchOutcome& outcome)
{
    switch (data->dwID) {
    case SIMCONNECT_RECV_ID_EXCEPTION: lf_handle<SIMCONNECT_RECV_EXCEPTION>(data, size, lf_onSimException); break;
    case SIMCONNECT_RECV_ID_OPEN: lf_handle<SIMCONNECT_RECV_OPEN>(data, size, lf_onSimOpen); break;
    case SIMCONNECT_RECV_ID_QUIT:
        g_simRunning.store(false);
        outcome.quit = true;
        break;
    case SIMCONNECT_RECV_ID_EVENT: lf_handle<SIMCONNECT_RECV_EVENT>(data, size, lf_onSimEvent); break;
    case SIMCONNECT_RECV_ID_EVENT_OBJECT_ADDREMOVE:
        lf_handle<SIMCONNECT_RECV_EVENT_OBJECT_ADDREMOVE>(data, size, lf_onObjectAddRemove);
        break;
    case SIMCONNECT_RECV_ID_EVENT_FILENAME: lf_newFlight("SimConnect: New file event"); break;
    case SIMCONNECT_RECV_ID_EVENT_FRAME: lf_onSimFrame(); break;
    case SIMCONNECT_RECV_ID_SIMOBJECT_DATA:
    case SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE: {
        if (size < sizeof(SIMCONNECT_RECV_SIMOBJECT_DATA) - sizeof(DWORD)) {
            break;
        }
        const auto* record = reinterpret_cast<const SIMCONNECT_RECV_SIMOBJECT_DATA*>(data);
        if (data->dwID == SIMCONNECT_RECV_ID_SIMOBJECT_DATA) {
            lf_onSimObjectData(record, size);
        } else {
            lf_onSimObjectDataByType(record, size);
        }
        break;
    }
    case SIMCONNECT_RECV_ID_ASSIGNED_OBJECT_ID:
    case SIMCONNECT_RECV_ID_CLIENT_DATA:
    case SIMCONNECT_RECV_ID_EVENT_EX1: break;
    default: gf_log(fmt::format("! Unknown Dispatch dwID {}", data->dwID)); break;
    }
}

void CALLBACK lf_dispatchProc(SIMCONNECT_RECV* data, DWORD size, void* context)
{
    auto& outcome = *static_cast<DispatchOutcome*>(context);
    if (data == nullptr || size < sizeof(SIMCONNECT_RECV) || outcome.fault) {
        return;
    }
    try {
        lf_dispatchRecord(data, size, outcome);
    } catch (...) {
        outcome.fault = std::current_exception();
    }
}

// Opens the connection, retrying every 100 ms; false when a stop came first.
bool lf_openSimConnect(const std::stop_token& stopToken)
{
    bool firstPass = true;
    while (!lf_stopWanted(stopToken)) {
        if (firstPass) {
            gf_showMessage(fmt::format("Waiting for MSFS 20{} ...", g_msfs2020.load() ? "20" : "24"), true);
            lf_flushLog();
            firstPass = false;
        }
        HANDLE handle = nullptr;
        {
            std::lock_guard lock(g_simQueueMutex);
            gf_closeSimConnect(g_hSimConnect);
        }
        if (SimConnect_Open(&handle, kClientName, nullptr, 0, nullptr, 0) >= 0) {
            lf_setHandle(handle);
            return true;
        }
        std::this_thread::sleep_until(std::chrono::steady_clock::now() + 100ms);
    }
    return false;
}

void lf_dispatchLoop(const std::stop_token& stopToken)
{
    while (!stopToken.stop_requested()) {
        DispatchOutcome outcome;
        SimConnect_CallDispatch(g_hSimConnect, lf_dispatchProc, &outcome);
        if (outcome.fault) {
            std::rethrow_exception(outcome.fault);
        }
        if (outcome.quit) {
            // The simulator is gone: its handle will never deliver again.
            lf_simGoneMessage();
            return;
        }
        std::this_thread::sleep_for(1ms);
    }
}

void lf_onSimDisconnected()
{
    try {
        gf_requestReservedStandUpdate();
        g_panelSimConnected.store(false);
        gf_repaintPanelHeader();
        lf_setHandle(nullptr);
    } catch (...) {
        // Leaving the thread must not fail.
    }
}

void lf_runClient(const std::stop_token& stopToken, bool& periodSet)
{
    if (!lf_openSimConnect(stopToken)) {
        return;
    }
    lf_defineSimData();
    periodSet = timeBeginPeriod(1) == TIMERR_NOERROR;
    lf_dispatchLoop(stopToken);
}

} // namespace

void gf_simClientThread(std::stop_token stopToken)
{
    lf_simGoneTold.store(false);
    lf_setHandle(nullptr);
    bool periodSet = false;
    try {
        lf_runClient(stopToken, periodSet);
    } catch (const vtx::UserErrorException& fault) {
        // The user must act (choose the other simulator, for instance); the run waits.
        gf_showError(fault.what());
    } catch (const std::exception& fault) {
        gf_showError(fault.what());
        lf_simGoneMessage();
    } catch (...) {
        gf_showError(fmt::format("Exception in {}", "SimClient"));
        lf_simGoneMessage();
    }
    if (periodSet) {
        timeEndPeriod(1);
    }
    // Closed before the handle is forgotten, so the simulator takes the program's
    // objects away with the connection.
    {
        std::lock_guard lock(g_simQueueMutex);
        gf_closeSimConnect(g_hSimConnect);
    }
    lf_onSimDisconnected();
}

void gf_simRequestError()
{
    gf_showMessage("SimConnect request error", true);
    g_simLinkFailed.store(true);
    gf_requestStop(ExitReason::SimConnectError, kSimConnectErrorRestartSeconds);
}

void gf_closeSimConnect(HANDLE& handle)
{
    if (handle == nullptr) {
        return;
    }
    if (SimConnect_Close(handle) >= 0) {
        gf_log("SimConnect closed ok");
    } else {
        gf_logMarked("Closing SimConnect failed?!");
    }
    handle = nullptr;
}

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::Simulator, g_hSimConnect, g_simRunning, g_simLinkFailed, lf_simGoneTold),
    RUN_STATE_LOCKED(RunStateArea::Simulator, g_simQueueMutex, g_addedObjectIds),
};

} // namespace
