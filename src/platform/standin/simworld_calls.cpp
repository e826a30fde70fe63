// The SimConnect calls as the simulated simulator answers them: each call is a
// packet with its own send id; what the real simulator reports later (an
// exception, an object, data) is queued for the client's next dispatch.
#include "platform/standin/simworld_state.h"

#include <algorithm>
#include <filesystem>
#include <mutex>

namespace standin {

namespace {

using State = SimWorld::State;

constexpr DWORD kLargestRadiusMeters = 200000;

HANDLE lf_handle(std::uintptr_t serial)
{
    return reinterpret_cast<HANDLE>(0x5C0000 + serial);
}

// Why a call on this handle cannot go through, if it cannot.
std::optional<HRESULT> lf_refusal(const State& state, HANDLE handle, const char* function)
{
    if (const auto failing = state.failingCalls.find(function); failing != state.failingCalls.end()) {
        return failing->second;
    }
    if (!state.open || handle != lf_handle(state.handleSerial) || state.quitState == QuitState::Delivered) {
        return E_FAIL;
    }
    return std::nullopt;
}

void lf_unrecognized(State& state, DWORD packet)
{
    queueException(state, SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID, packet, SIMCONNECT_RECV_EXCEPTION::UNKNOWN_INDEX);
}

// One call of the client: refused as the simulator refuses it, or else numbered with the
// next packet and served under the world's lock. What goes wrong in a served call reaches
// the client as a queued exception, so the call itself succeeds.
template <class Serve>
HRESULT lf_serve(std::mutex& mutex, State& state, HANDLE handle, const char* function, Serve&& serve)
{
    std::lock_guard lock(mutex);
    if (const auto refusal = lf_refusal(state, handle, function)) {
        return *refusal;
    }
    serve(nextPacket(state));
    return S_OK;
}

std::optional<std::string> lf_mappedName(const State& state, DWORD eventId)
{
    for (const auto& [id, name] : state.mappedEvents) {
        if (id == eventId) {
            return name;
        }
    }
    return std::nullopt;
}

bool lf_installed(const State& state, const std::string& title)
{
    return std::any_of(state.config.installedTitles.begin(), state.config.installedTitles.end(),
                       [&](const std::string& known) { return sameNoCase(known, title); });
}

void lf_applyEvent(SimObjectRecord& object, const std::string& name, DWORD value)
{
    if (sameNoCase(name, "FREEZE_LATITUDE_LONGITUDE_SET")) {
        object.frozenLatLon = value != 0;
    } else if (sameNoCase(name, "FREEZE_ALTITUDE_SET")) {
        object.frozenAltitude = value != 0;
    } else if (sameNoCase(name, "FREEZE_ATTITUDE_SET")) {
        object.frozenAttitude = value != 0;
    }
}

void lf_startConnection(State& state)
{
    state.open = true;
    ++state.handleSerial;
    state.quitState = QuitState::None;
    state.outbox.clear();
    state.subscriptions.clear();
    state.definitionOrder.clear();
    state.definitions.clear();
    state.mappedEvents.clear();
    state.groups.clear();
    state.groupPriorities.clear();
    state.onceRequests.clear();
    state.secondRequests.clear();
    state.pendingCreates.clear();
    queueOpenRecord(state);
}

// Keeps the dispatch count right however the client's callback ends.
class DispatchScope {
public:
    DispatchScope(std::mutex& mutex, std::condition_variable& delivered, int& running)
        : m_mutex(mutex), m_delivered(delivered), m_running(running)
    {
    }
    ~DispatchScope()
    {
        std::lock_guard lock(m_mutex);
        --m_running;
        m_delivered.notify_all();
    }
    DispatchScope(const DispatchScope&) = delete;
    DispatchScope& operator=(const DispatchScope&) = delete;

private:
    std::mutex& m_mutex;
    std::condition_variable& m_delivered;
    int& m_running;
};

} // namespace

HRESULT SimWorld::callOpen(HANDLE* handle, const char* /*name*/)
{
    std::lock_guard lock(m_mutex);
    State& state = *m_state;
    *handle = nullptr;
    if (const auto failing = state.failingCalls.find("SimConnect_Open"); failing != state.failingCalls.end()) {
        return failing->second;
    }
    if (!state.config.simulatorRunning) {
        return E_FAIL;
    }
    if (state.refuseOpenLeft > 0) {
        --state.refuseOpenLeft;
        return E_FAIL;
    }
    lf_startConnection(state);
    *handle = lf_handle(state.handleSerial);
    return S_OK;
}

HRESULT SimWorld::callClose(HANDLE handle)
{
    std::lock_guard lock(m_mutex);
    State& state = *m_state;
    if (const auto failing = state.failingCalls.find("SimConnect_Close"); failing != state.failingCalls.end()) {
        return failing->second;
    }
    if (!state.open || handle != lf_handle(state.handleSerial)) {
        return E_FAIL;
    }
    // The simulator takes a client's AI objects away with its connection.
    for (auto& [id, object] : state.objects) {
        if (object.alive && object.createdByClient) {
            object.alive = false;
            object.removedFrame = state.frame;
        }
    }
    state.open = false;
    state.outbox.clear();
    state.onceRequests.clear();
    state.secondRequests.clear();
    state.pendingCreates.clear();
    m_delivered.notify_all();
    return S_OK;
}

HRESULT SimWorld::callDispatch(HANDLE handle, DispatchProc proc, void* context)
{
    std::deque<OutMessage> messages;
    {
        std::lock_guard lock(m_mutex);
        State& state = *m_state;
        if (const auto refusal = lf_refusal(state, handle, "SimConnect_CallDispatch")) {
            return *refusal;
        }
        if (state.config.clock == SimClock::RealTime) {
            advanceRealTime(state);
        }
        messages.swap(state.outbox);
        if (state.quitState == QuitState::Queued) {
            state.quitState = QuitState::Delivered;
        }
        ++state.dispatchesRunning;
    }
    DispatchScope scope(m_mutex, m_delivered, m_state->dispatchesRunning);
    for (auto& message : messages) {
        proc(reinterpret_cast<SIMCONNECT_RECV*>(message.words.data()), message.size, context);
    }
    return S_OK;
}

HRESULT SimWorld::callSubscribe(HANDLE handle, DWORD eventId, const char* eventName)
{
    State& state = *m_state;
    return lf_serve(m_mutex, state, handle, "SimConnect_SubscribeToSystemEvent", [&](DWORD) {
        state.subscriptions.emplace_back(eventId, eventName);
        if (sameNoCase(eventName, "Sim") && state.config.flightRunning) {
            queueSystemEvent(state, "Sim", 1);
        }
    });
}

HRESULT SimWorld::callAddToDefinition(HANDLE handle, DWORD defineId, const DatumSpec& datum)
{
    State& state = *m_state;
    return lf_serve(m_mutex, state, handle, "SimConnect_AddToDataDefinition", [&](DWORD packet) {
        DatumSpec resolved = datum;
        if (!resolveDatum(resolved)) {
            queueException(state, SIMCONNECT_EXCEPTION_NAME_UNRECOGNIZED, packet, SIMCONNECT_RECV_EXCEPTION::UNKNOWN_INDEX);
            return;
        }
        if (!datumSize(datum.type)) {
            queueException(state, SIMCONNECT_EXCEPTION_INVALID_DATA_TYPE, packet, SIMCONNECT_RECV_EXCEPTION::UNKNOWN_INDEX);
            return;
        }
        if (!state.definitions.contains(defineId)) {
            state.definitionOrder.push_back(defineId);
        }
        state.definitions[defineId].push_back(resolved);
    });
}

HRESULT SimWorld::callMapEvent(HANDLE handle, DWORD eventId, const char* eventName)
{
    State& state = *m_state;
    return lf_serve(m_mutex, state, handle, "SimConnect_MapClientEventToSimEvent", [&](DWORD packet) {
        if (lf_mappedName(state, eventId)) {
            queueException(state, SIMCONNECT_EXCEPTION_EVENT_ID_DUPLICATE, packet, SIMCONNECT_RECV_EXCEPTION::UNKNOWN_INDEX);
            return;
        }
        state.mappedEvents.emplace_back(eventId, eventName);
    });
}

HRESULT SimWorld::callAddToGroup(HANDLE handle, DWORD groupId, DWORD eventId, BOOL maskable)
{
    State& state = *m_state;
    return lf_serve(m_mutex, state, handle, "SimConnect_AddClientEventToNotificationGroup", [&](DWORD) {
        state.groups[groupId].emplace_back(eventId, maskable != FALSE);
    });
}

HRESULT SimWorld::callSetGroupPriority(HANDLE handle, DWORD groupId, DWORD priority)
{
    State& state = *m_state;
    return lf_serve(m_mutex, state, handle, "SimConnect_SetNotificationGroupPriority", [&](DWORD) {
        state.groupPriorities[groupId] = priority;
    });
}

HRESULT SimWorld::callRequestData(HANDLE handle, const RequestRecord& asked)
{
    State& state = *m_state;
    const char* function =
        asked.byType ? "SimConnect_RequestDataOnSimObjectType" : "SimConnect_RequestDataOnSimObject";
    return lf_serve(m_mutex, state, handle, function, [&](DWORD packet) {
        RequestRecord request = asked;
        request.radiusMeters = std::min(request.radiusMeters, kLargestRadiusMeters);
        if (state.recording) {
            state.requestLog.push_back(request);
        }
        if (!state.definitions.contains(request.defineId) ||
            (!request.byType && findObject(state, request.objectId) == nullptr)) {
            lf_unrecognized(state, packet);
            return;
        }
        std::erase_if(state.secondRequests, [&](const RequestRecord& r) { return r.requestId == request.requestId; });
        if (request.byType || request.period == SIMCONNECT_PERIOD_ONCE) {
            state.onceRequests.push_back(request);
        } else if (request.period != SIMCONNECT_PERIOD_NEVER) {
            state.secondRequests.push_back(request);
        }
    });
}

HRESULT SimWorld::callSetData(HANDLE handle, DWORD defineId, DWORD objectId, DWORD arrayCount, DWORD unitSize,
                              const void* data)
{
    State& state = *m_state;
    return lf_serve(m_mutex, state, handle, "SimConnect_SetDataOnSimObject", [&](DWORD packet) {
        SimObjectRecord* object = findObject(state, objectId);
        if (object == nullptr || !state.definitions.contains(defineId)) {
            lf_unrecognized(state, packet);
            return;
        }
        const std::size_t size = static_cast<std::size_t>(unitSize) * std::max<DWORD>(arrayCount, 1);
        if (data == nullptr || !applyBlock(state, *object, defineId, static_cast<const std::uint8_t*>(data), size)) {
            queueException(state, SIMCONNECT_EXCEPTION_INVALID_DATA_SIZE, packet, SIMCONNECT_RECV_EXCEPTION::UNKNOWN_INDEX);
        }
    });
}

HRESULT SimWorld::callTransmitEvent(HANDLE handle, DWORD objectId, DWORD eventId, DWORD value, DWORD /*groupId*/)
{
    State& state = *m_state;
    return lf_serve(m_mutex, state, handle, "SimConnect_TransmitClientEvent", [&](DWORD packet) {
        SimObjectRecord* object = findObject(state, objectId);
        const auto name = lf_mappedName(state, eventId);
        if (object == nullptr || !name) {
            lf_unrecognized(state, packet);
            return;
        }
        if (state.recording) {
            object->events.push_back({++state.sequence, state.frame, *name, value});
        }
        lf_applyEvent(*object, *name, value);
    });
}

HRESULT SimWorld::callCreateAircraft(HANDLE handle, const char* title, const char* tailNumber,
                                     const SIMCONNECT_DATA_INITPOSITION& position, DWORD requestId)
{
    State& state = *m_state;
    return lf_serve(m_mutex, state, handle, "SimConnect_AICreateNonATCAircraft", [&](DWORD packet) {
        if (title == nullptr || !lf_installed(state, title)) {
            queueException(state, SIMCONNECT_EXCEPTION_CREATE_OBJECT_FAILED, packet,
                           SIMCONNECT_RECV_EXCEPTION::UNKNOWN_INDEX);
            return;
        }
        state.pendingCreates.push_back(
            {packet, requestId, title, tailNumber != nullptr ? tailNumber : "", position,
             std::max(1, state.config.createDelayFrames)});
    });
}

HRESULT SimWorld::callRemoveObject(HANDLE handle, DWORD objectId, DWORD /*requestId*/)
{
    State& state = *m_state;
    return lf_serve(m_mutex, state, handle, "SimConnect_AIRemoveObject", [&](DWORD packet) {
        SimObjectRecord* object = findObject(state, objectId);
        if (object == nullptr || !object->createdByClient) {
            lf_unrecognized(state, packet);
            return;
        }
        removeObject(state, *object);
    });
}

HRESULT SimWorld::callReleaseControl(HANDLE handle, DWORD objectId, DWORD /*requestId*/)
{
    State& state = *m_state;
    return lf_serve(m_mutex, state, handle, "SimConnect_AIReleaseControl", [&](DWORD packet) {
        SimObjectRecord* object = findObject(state, objectId);
        if (object == nullptr || object->isUser) {
            lf_unrecognized(state, packet);
            return;
        }
        object->releases.push_back(++state.sequence);
    });
}

HRESULT SimWorld::callSetFlightPlan(HANDLE handle, DWORD objectId, const char* path, DWORD /*requestId*/)
{
    State& state = *m_state;
    return lf_serve(m_mutex, state, handle, "SimConnect_AISetAircraftFlightPlan", [&](DWORD packet) {
        SimObjectRecord* object = findObject(state, objectId);
        if (object == nullptr || object->isUser) {
            lf_unrecognized(state, packet);
            return;
        }
        const std::string text = path != nullptr ? path : "";
        object->flightPlans.push_back(text);
        std::error_code error;
        if (text.empty() || !std::filesystem::is_regular_file(text, error)) {
            queueException(state, SIMCONNECT_EXCEPTION_LOAD_FLIGHTPLAN_FAILED, packet,
                           SIMCONNECT_RECV_EXCEPTION::UNKNOWN_INDEX);
        }
    });
}

HRESULT SimWorld::callLastPacketId(HANDLE handle, DWORD* packetId)
{
    std::lock_guard lock(m_mutex);
    State& state = *m_state;
    if (const auto refusal = lf_refusal(state, handle, "SimConnect_GetLastSentPacketID")) {
        return *refusal;
    }
    if (packetId == nullptr) {
        return E_INVALIDARG;
    }
    *packetId = state.lastPacketId;
    return S_OK;
}

} // namespace standin
