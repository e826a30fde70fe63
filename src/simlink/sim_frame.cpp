// The per-frame drain of the command queues on the SimClient thread, the
// creations it sends, and the identification of the objects they become.
#include "core/log.h"
#include "core/run_state.h"
#include "core/text_strings.h"
#include "core/time_text.h"
#include "simlink/sim_client.h"
#include "simlink/sim_dispatch.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "ui/status_line.h"

#include <algorithm>
#include <cstring>
#include <fmt/format.h>

namespace {

constexpr std::size_t kDataHeaderBytes = sizeof(SIMCONNECT_RECV_SIMOBJECT_DATA) - sizeof(DWORD);
constexpr std::uint32_t kLargestStaticId = 10000;
constexpr double kHighestKnownObjectAgl = 2500.0;
constexpr const char* kClientName = "Skyweaver";
// SimClient thread only: the number of the last create sent, and the scans of the range.
std::uint64_t lf_sendSequence = 0;
std::uint64_t lf_scanSerial = 0;
std::vector<std::string> lf_scanSeen;
// The simulator's own generated traffic is told once per program run.
std::atomic<bool> lf_generatedTrafficLogged{false};

bool lf_linkFailed()
{
    return g_simLinkFailed.load();
}

void lf_discardQueues()
{
    std::unique_lock lock(g_simQueueMutex, std::try_to_lock);
    if (!lock.owns_lock()) {
        return;
    }
    g_positionSend->clear();
    g_eventQueue.clear();
    g_createQueue.clear();
    g_removeQueue.clear();
    g_givenUpCreates.clear();
}

void lf_sendPositions()
{
    const std::uint32_t userObjectId = g_userObjectId.load();
    for (PositionItem& item : *g_positionSend) {
        if (lf_linkFailed()) {
            break;
        }
        if (item.objectId > userObjectId) {
            SimConnect_SetDataOnSimObject(g_hSimConnect, kDefinitionAiPosition, item.objectId, 0, 0,
                                          kPositionBlockBytes, &item);
        }
    }
    g_positionSend->clear();
}

// Flaps move only on an object out of AI control, so FLAPS_SET is wrapped in releases.
void lf_sendEvents()
{
    for (const EventItem& item : g_eventQueue) {
        if (lf_linkFailed()) {
            break;
        }
        const bool flaps = item.event == kEventFlapsSet;
        if (flaps) {
            SimConnect_AIReleaseControl(g_hSimConnect, item.objectId, kRequestReleaseControl);
        }
        if (SimConnect_TransmitClientEvent(g_hSimConnect, item.objectId, item.event, item.value, kGroupAiCommands,
                                           SIMCONNECT_EVENT_FLAG_DEFAULT) < 0) {
            gf_showMessage(fmt::format("SimConnect TransmitClientEvent: {} fails", item.event), true);
        } else if (flaps) {
            SimConnect_AIReleaseControl(g_hSimConnect, item.objectId, kRequestReleaseControl);
        }
    }
    g_eventQueue.clear();
}

void lf_createAcInSim(const CreateRequest& request)
{
    const std::string title(request.title);
    if (SimConnect_AICreateNonATCAircraft(g_hSimConnect, title.c_str(), request.callsign.c_str(),
                                          request.initPosition, kRequestCreateAc) < 0) {
        gf_logMarked(fmt::format("! Simcon call to create ac in sim failed, hexid:{}, liv: '{}', callsign: {})",
                                 request.aircraftId, title, request.callsign));
        gf_simRequestError();
        return;
    }
    DWORD packetId = 0;
    if (SimConnect_GetLastSentPacketID(g_hSimConnect, &packetId) < 0) {
        gf_logMarked("GetLastSentPacketID");
        packetId = 0;
    }
    g_sentCreates.push_back({packetId, request.aircraftId, request.callsign, ++lf_sendSequence});
}

void lf_removeAcFromSim(std::uint32_t objectId)
{
    if (objectId <= g_userObjectId.load()) {
        gf_logMarked(fmt::format("SimConnect call to remove ac with objectid {}", gf_objectIdText(objectId)));
        return;
    }
    if (SimConnect_AIRemoveObject(g_hSimConnect, objectId, kRequestRemoveAc) < 0) {
        gf_logMarked(fmt::format("{} !SimConnect call to remove AI ac from sim failed, id {}?", gf_nowTime(),
                                 gf_objectIdText(objectId)));
        gf_simRequestError();
    }
}

void lf_sendCreatesAndRemoves()
{
    for (const CreateRequest& request : g_createQueue) {
        if (lf_linkFailed()) {
            break;
        }
        lf_createAcInSim(request);
    }
    g_createQueue.clear();
    for (std::uint32_t objectId : g_removeQueue) {
        if (lf_linkFailed()) {
            break;
        }
        lf_removeAcFromSim(objectId);
    }
    g_removeQueue.clear();
}

// Marks the creations the engine gave up after they were sent; an object that still turns up
// for one of them is removed. Each stays watched until its object turned up, or until a whole
// scan of the range, begun after the give-up, finds no object with its callsign while no
// object announced after its send waits to be read.
void lf_markGivenUpCreates()
{
    for (std::uint32_t aircraftId : g_givenUpCreates) {
        for (SentCreate& sent : g_sentCreates) {
            if (sent.aircraftId == aircraftId && !sent.givenUp) {
                sent.givenUp = true;
                sent.givenUpScan = lf_scanSerial;
            }
        }
    }
    g_givenUpCreates.clear();
}

// The object of a given-up creation goes again; its aircraft may be on its way in anew.
void lf_removeLateObject(std::uint32_t objectId, const std::string& callsign)
{
    gf_log(fmt::format("object of a given-up creation turned up, oid: {}, callsign '{}', removed",
                       gf_objectIdText(objectId), callsign));
    std::lock_guard lock(g_simQueueMutex);
    g_removeQueue.push_back(objectId);
}

// The sent create an object with this callsign comes from: of those sent before the object was
// announced, the oldest still wanted, else the oldest given-up one. A given-up creation's late
// object is thus never taken for a creation sent after it turned up.
std::vector<SentCreate>::iterator lf_findSentCreate(const std::string& callsign, std::uint64_t sendsBefore)
{
    const auto before = [](const SentCreate& a, const SentCreate& b) {
        return a.givenUp != b.givenUp ? !a.givenUp : a.sequence < b.sequence;
    };
    auto found = g_sentCreates.end();
    for (auto it = g_sentCreates.begin(); it != g_sentCreates.end(); ++it) {
        if (it->callsign == callsign && it->sequence <= sendsBefore &&
            (found == g_sentCreates.end() || before(*it, *found))) {
            found = it;
        }
    }
    return found;
}

// A scan of the range is the run of replies numbered 1 to its count; the callsigns of given-up
// creations it met are kept until it ends.
void lf_noteScanEntry(DWORD entry, const std::string& atcId)
{
    if (entry <= 1) {
        ++lf_scanSerial;
        lf_scanSeen.clear();
    }
    const bool watched = std::any_of(g_sentCreates.begin(), g_sentCreates.end(), [&](const SentCreate& sent) {
        return sent.givenUp && sent.callsign == atcId;
    });
    if (watched) {
        lf_scanSeen.push_back(atcId);
    }
}

// A given-up creation whose object the whole scan did not meet, and for which no announced
// object waits to be read, made none: it is no longer watched.
void lf_endScan()
{
    const auto unreadSince = [](std::uint64_t sequence) {
        return std::any_of(g_addedObjectIds.begin(), g_addedObjectIds.end(),
                           [sequence](const AddedObject& added) { return added.sendsBefore >= sequence; });
    };
    std::erase_if(g_sentCreates, [&](const SentCreate& sent) {
        return sent.givenUp && sent.givenUpScan < lf_scanSerial &&
               std::find(lf_scanSeen.begin(), lf_scanSeen.end(), sent.callsign) == lf_scanSeen.end() &&
               !unreadSince(sent.sequence);
    });
}

struct InRangeData {
    double aboveGround = 0;
    double groundAltitude = 0;
    std::int64_t onGround = 0;
    std::string atcId;
};

std::optional<InRangeData> lf_readInRange(const SIMCONNECT_RECV_SIMOBJECT_DATA* record, DWORD size)
{
    const SimDataBlock block(record, size);
    const auto aboveGround = block.float64(0);
    const auto groundAltitude = block.float64(8);
    const auto onGround = block.int64(16);
    if (!aboveGround || !groundAltitude || !onGround) {
        return std::nullopt;
    }
    return InRangeData{*aboveGround, *groundAltitude, *onGround, block.fixedText(24, 32)};
}

void lf_onKnownObject(std::uint32_t objectId, const InRangeData& data)
{
    if (data.aboveGround > kHighestKnownObjectAgl || data.atcId.empty() || data.atcId.back() == '*') {
        return;
    }
    gf_pushSimResult({objectId, data.onGround != 0 ? 1u : 0u, 0, SimResultKind::OnGroundData, data.groundAltitude,
                      data.aboveGround});
}

void lf_onForeignObject(std::uint32_t objectId, const InRangeData& data)
{
    if (data.atcId == "AS-GEN") {
        if (!lf_generatedTrafficLogged.exchange(true)) {
            gf_log(fmt::format("\nSpawned by Asobo, oid: {}, callsign AS-GEN, altaboveGnd:{:.0f} ft, onground:{}, "
                               "gnd_alt:{:.0f} ft\n This message will be logged only once...\n",
                               gf_objectIdText(objectId), data.aboveGround, data.onGround, data.groundAltitude));
        }
        return;
    }
    gf_log(fmt::format("just spawned, but not by {}, oid: {}, callsign '{}', altaboveGnd:{:.0f} ft, onground:{}, "
                       "gnd_alt:{:.0f} ft",
                       kClientName, gf_objectIdText(objectId), data.atcId, data.aboveGround, data.onGround,
                       data.groundAltitude));
}

// A created object found: out of AI control and frozen, then handed to the engine.
void lf_onOwnObject(std::uint32_t objectId, std::uint32_t aircraftId, const InRangeData& data)
{
    {
        std::lock_guard lock(g_simQueueMutex);
        if (g_hSimConnect != nullptr && !lf_linkFailed()) {
            SimConnect_AIReleaseControl(g_hSimConnect, objectId, kRequestReleaseControl);
        }
        for (std::uint32_t event : {kEventFreezeLatLonSet, kEventFreezeAltitudeSet, kEventFreezeAttitudeSet}) {
            g_eventQueue.push_back({objectId, event, 1});
        }
    }
    if (aircraftId <= kLargestStaticId) {
        gf_pushSimResult({objectId, aircraftId, 0, SimResultKind::StaticIdentified, 0.0, 0.0});
    } else {
        gf_pushSimResult({objectId, aircraftId, 0, SimResultKind::LiveIdentified, 0.0, data.aboveGround});
    }
}

// An object read in the range: a known one's on-ground data, or a new one matched to the
// create it comes from.
void lf_identify(std::uint32_t objectId, const InRangeData& data)
{
    const auto added = std::find_if(g_addedObjectIds.begin(), g_addedObjectIds.end(),
                                    [objectId](const AddedObject& object) { return object.objectId == objectId; });
    if (added == g_addedObjectIds.end()) {
        lf_onKnownObject(objectId, data);
        return;
    }
    const std::uint64_t sendsBefore = added->sendsBefore;
    g_addedObjectIds.erase(added);
    const auto sent = lf_findSentCreate(data.atcId, sendsBefore);
    if (sent == g_sentCreates.end()) {
        lf_onForeignObject(objectId, data);
        return;
    }
    const std::uint32_t aircraftId = sent->aircraftId;
    const bool givenUp = sent->givenUp;
    g_sentCreates.erase(sent);
    if (givenUp) {
        lf_removeLateObject(objectId, data.atcId);
        return;
    }
    lf_onOwnObject(objectId, aircraftId, data);
}

} // namespace

SimDataBlock::SimDataBlock(const SIMCONNECT_RECV_SIMOBJECT_DATA* record, DWORD receivedSize)
{
    const std::size_t size = std::min<std::size_t>(receivedSize, record->dwSize);
    if (size > kDataHeaderBytes) {
        m_bytes = reinterpret_cast<const std::uint8_t*>(record) + kDataHeaderBytes;
        m_size = size - kDataHeaderBytes;
    }
}

std::optional<double> SimDataBlock::float64(std::size_t offset) const
{
    if (offset + sizeof(double) > m_size) {
        return std::nullopt;
    }
    double value = 0;
    std::memcpy(&value, m_bytes + offset, sizeof(value));
    return value;
}

std::optional<std::int64_t> SimDataBlock::int64(std::size_t offset) const
{
    if (offset + sizeof(std::int64_t) > m_size) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    std::memcpy(&value, m_bytes + offset, sizeof(value));
    return value;
}

std::string SimDataBlock::fixedText(std::size_t offset, std::size_t width) const
{
    if (offset >= m_size) {
        return {};
    }
    const auto* text = reinterpret_cast<const char*>(m_bytes + offset);
    return std::string(text, strnlen(text, std::min(width, m_size - offset)));
}

std::string SimDataBlock::variableText(std::size_t offset) const
{
    return offset < m_size ? fixedText(offset, m_size - offset) : std::string();
}

void lf_onSimFrame()
{
    if (lf_linkFailed()) {
        lf_discardQueues();
        return;
    }
    std::unique_lock lock(g_simQueueMutex, std::try_to_lock);
    if (!lock.owns_lock()) {
        return; // the engine holds the queues: everything waits for the next frame
    }
    lf_sendPositions();
    lf_sendEvents();
    lf_markGivenUpCreates();
    lf_sendCreatesAndRemoves();
    ++g_simFramesDrained;
}

void lf_onCreateFailed(DWORD sendId)
{
    if (sendId == 0) {
        return;
    }
    const auto sent = std::find_if(g_sentCreates.begin(), g_sentCreates.end(),
                                   [sendId](const SentCreate& create) { return create.packetId == sendId; });
    if (sent == g_sentCreates.end()) {
        return;
    }
    // A given-up creation's hexid may belong to the aircraft's next creation by now.
    const std::uint32_t aircraftId = sent->givenUp ? 0 : sent->aircraftId;
    g_sentCreates.erase(sent);
    if (aircraftId != 0) {
        gf_pushSimResult({0, aircraftId, 0, SimResultKind::CreateFailed, 0.0, 0.0});
    }
}

void lf_onObjectAdded(std::uint32_t objectId)
{
    g_addedObjectIds.push_back({objectId, lf_sendSequence});
}

void lf_onSimObjectDataByType(const SIMCONNECT_RECV_SIMOBJECT_DATA* record, DWORD size)
{
    if (record->dwRequestID != kRequestAcInRange) {
        return;
    }
    const std::uint32_t objectId = record->dwObjectID;
    const auto data = lf_readInRange(record, size);
    lf_noteScanEntry(record->dwentrynumber, data ? data->atcId : std::string());
    if (data && objectId > g_userObjectId.load()) {
        lf_identify(objectId, *data);
    }
    if (record->dwentrynumber >= record->dwoutof) {
        lf_endScan();
    }
}

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::Simulator, lf_sendSequence, lf_scanSerial, lf_scanSeen, lf_generatedTrafficLogged),
};

} // namespace
