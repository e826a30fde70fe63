// The records the simulated simulator sends, laid out as the real ones.
#include "platform/standin/simworld_state.h"

#include <algorithm>
#include <cstring>

namespace standin {

namespace {

constexpr DWORD kRecordVersion = 4;

template <typename Record>
Record lf_record(SIMCONNECT_RECV_ID id)
{
    Record record{};
    record.dwSize = sizeof(Record);
    record.dwVersion = kRecordVersion;
    record.dwID = id;
    return record;
}

// The client event id the client subscribed to a system event with, if any.
std::optional<DWORD> lf_subscribedEventId(const SimWorld::State& state, const std::string& eventName)
{
    for (const auto& [id, name] : state.subscriptions) {
        if (sameNoCase(name, eventName)) {
            return id;
        }
    }
    return std::nullopt;
}

void lf_copyText(char* target, std::size_t capacity, const std::string& text)
{
    const std::size_t length = std::min(text.size(), capacity - 1);
    std::memcpy(target, text.data(), length);
    target[length] = '\0';
}

} // namespace

void queueMessage(SimWorld::State& state, const void* record, std::size_t size)
{
    OutMessage message;
    message.words.resize((size + 7) / 8, 0);
    std::memcpy(message.words.data(), record, size);
    message.size = static_cast<DWORD>(size);
    state.outbox.push_back(std::move(message));
}

void queueException(SimWorld::State& state, DWORD code, DWORD sendId, DWORD index)
{
    auto record = lf_record<SIMCONNECT_RECV_EXCEPTION>(SIMCONNECT_RECV_ID_EXCEPTION);
    record.dwException = code;
    record.dwSendID = sendId;
    record.dwIndex = index;
    queueMessage(state, &record, sizeof(record));
    state.exceptions.push_back({code, sendId, index});
}

void queueSystemEvent(SimWorld::State& state, const std::string& eventName, DWORD data)
{
    const auto eventId = lf_subscribedEventId(state, eventName);
    if (!eventId) {
        return;
    }
    auto record = lf_record<SIMCONNECT_RECV_EVENT>(SIMCONNECT_RECV_ID_EVENT);
    record.uGroupID = SIMCONNECT_RECV_EVENT::UNKNOWN_GROUP;
    record.uEventID = *eventId;
    record.dwData = data;
    queueMessage(state, &record, sizeof(record));
}

void queueObjectAddRemove(SimWorld::State& state, const std::string& eventName, DWORD objectId)
{
    const auto eventId = lf_subscribedEventId(state, eventName);
    if (!eventId) {
        return;
    }
    auto record = lf_record<SIMCONNECT_RECV_EVENT_OBJECT_ADDREMOVE>(SIMCONNECT_RECV_ID_EVENT_OBJECT_ADDREMOVE);
    record.uGroupID = SIMCONNECT_RECV_EVENT::UNKNOWN_GROUP;
    record.uEventID = *eventId;
    record.dwData = objectId;
    record.eObjType = SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT;
    queueMessage(state, &record, sizeof(record));
}

void queueFileNameEvent(SimWorld::State& state, const std::string& eventName, const std::string& fileName)
{
    const auto eventId = lf_subscribedEventId(state, eventName);
    if (!eventId) {
        return;
    }
    auto record = lf_record<SIMCONNECT_RECV_EVENT_FILENAME>(SIMCONNECT_RECV_ID_EVENT_FILENAME);
    record.uGroupID = SIMCONNECT_RECV_EVENT::UNKNOWN_GROUP;
    record.uEventID = *eventId;
    lf_copyText(record.szFileName, sizeof(record.szFileName), fileName);
    queueMessage(state, &record, sizeof(record));
}

void queueFrameEvent(SimWorld::State& state)
{
    const auto eventId = lf_subscribedEventId(state, "Frame");
    if (!eventId) {
        return;
    }
    auto record = lf_record<SIMCONNECT_RECV_EVENT_FRAME>(SIMCONNECT_RECV_ID_EVENT_FRAME);
    record.uGroupID = SIMCONNECT_RECV_EVENT::UNKNOWN_GROUP;
    record.uEventID = *eventId;
    record.fFrameRate = static_cast<float>(kFramesPerSecond);
    record.fSimSpeed = 1.0f;
    queueMessage(state, &record, sizeof(record));
}

void queueAssignedObjectId(SimWorld::State& state, DWORD requestId, DWORD objectId)
{
    auto record = lf_record<SIMCONNECT_RECV_ASSIGNED_OBJECT_ID>(SIMCONNECT_RECV_ID_ASSIGNED_OBJECT_ID);
    record.dwRequestID = requestId;
    record.dwObjectID = objectId;
    queueMessage(state, &record, sizeof(record));
}

// The open record names the simulator and its version.
void queueOpenRecord(SimWorld::State& state)
{
    auto record = lf_record<SIMCONNECT_RECV_OPEN>(SIMCONNECT_RECV_ID_OPEN);
    lf_copyText(record.szApplicationName, sizeof(record.szApplicationName), state.config.applicationName);
    record.dwApplicationVersionMajor = state.config.versionMajor;
    record.dwApplicationVersionMinor = state.config.versionMinor;
    record.dwApplicationBuildMajor = state.config.buildMajor;
    record.dwApplicationBuildMinor = state.config.buildMinor;
    record.dwSimConnectVersionMajor = state.config.versionMajor;
    record.dwSimConnectVersionMinor = 0;
    record.dwSimConnectBuildMajor = 62651;
    record.dwSimConnectBuildMinor = 3;
    queueMessage(state, &record, sizeof(record));
}

void queueQuitRecord(SimWorld::State& state)
{
    auto record = lf_record<SIMCONNECT_RECV_QUIT>(SIMCONNECT_RECV_ID_QUIT);
    queueMessage(state, &record, sizeof(record));
}

} // namespace standin
