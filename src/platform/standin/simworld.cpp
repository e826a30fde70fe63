// The simulated simulator's world: configuration, the clocks and what happens
// on each frame, faults on demand, and what tests read back.
#include "platform/standin/simworld_state.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <numbers>

namespace standin {

namespace {

constexpr double kEarthRadiusMeters = 6371008.8;
constexpr double kMetersPerNm = 1852.0;
constexpr double kFrameSeconds = 1.0 / kFramesPerSecond;
constexpr double kOnGroundToleranceFt = 0.5;
constexpr int kMostFramesPerCatchUp = 5;

// A copy of the map's entry for the key; none when it has no such entry.
template <typename Map>
std::optional<typename Map::mapped_type> lf_entry(const Map& map, const typename Map::key_type& key)
{
    const auto found = map.find(key);
    return found != map.end() ? std::optional(found->second) : std::nullopt;
}

double lf_rad(double degrees) { return degrees * std::numbers::pi / 180.0; }
double lf_deg(double radians) { return radians * 180.0 / std::numbers::pi; }

SimObjectRecord lf_userObject(const SimWorldConfig& config)
{
    const auto& user = config.user;
    SimObjectRecord object;
    object.id = kUserObjectId;
    object.isUser = true;
    object.title = user.title;
    object.tailNumber = "USER";
    object.latitude = user.latitude;
    object.longitude = user.longitude;
    object.altitudeFt = user.onGround ? config.terrainElevationFt + user.staticCgFt : user.altitudeFt;
    object.headingRad = lf_rad(user.headingDeg);
    object.pitchRad = lf_rad(user.pitchDeg);
    object.bankRad = lf_rad(user.bankDeg);
    object.groundSpeedKt = user.groundSpeedKt;
    object.trueAirspeedKt = user.groundSpeedKt;
    object.verticalSpeedFps = user.verticalSpeedFpm / 60.0;
    object.staticCgFt = user.staticCgFt;
    object.lightStates = user.lightStates;
    return object;
}

// Moves a point along a great circle by a distance in metres.
void lf_moveAlong(double& latitude, double& longitude, double headingRad, double meters)
{
    const double angle = meters / kEarthRadiusMeters;
    const double lat1 = lf_rad(latitude);
    const double lon1 = lf_rad(longitude);
    const double lat2 =
        std::asin(std::sin(lat1) * std::cos(angle) + std::cos(lat1) * std::sin(angle) * std::cos(headingRad));
    const double lon2 = lon1 + std::atan2(std::sin(headingRad) * std::sin(angle) * std::cos(lat1),
                                          std::cos(angle) - std::sin(lat1) * std::sin(lat2));
    latitude = lf_deg(lat2);
    longitude = std::remainder(lf_deg(lon2), 360.0);
}

void lf_moveUser(SimWorld::State& state)
{
    SimObjectRecord& user = state.objects.at(kUserObjectId);
    if (user.groundSpeedKt != 0.0) {
        lf_moveAlong(user.latitude, user.longitude, user.headingRad,
                     user.groundSpeedKt * kMetersPerNm * kFrameSeconds / 3600.0);
    }
    user.altitudeFt += user.verticalSpeedFps * kFrameSeconds;
    user.altitudeFt = std::max(user.altitudeFt, state.config.terrainElevationFt + user.staticCgFt);
}

std::pair<double, double> lf_staticCg(const SimWorldConfig& config, const std::string& title)
{
    for (const auto& [known, cg] : config.staticCgByTitle) {
        if (sameNoCase(known, title)) {
            return cg;
        }
    }
    return {config.staticCgFt, config.staticPitchRad};
}

void lf_createObject(SimWorld::State& state, const PendingCreate& create)
{
    SimObjectRecord object;
    object.id = newObjectId(state);
    object.title = create.title;
    object.tailNumber = create.tailNumber;
    object.createdByClient = true;
    std::tie(object.staticCgFt, object.staticPitchRad) = lf_staticCg(state.config, create.title);
    object.latitude = create.position.Latitude;
    object.longitude = create.position.Longitude;
    object.altitudeFt = create.position.OnGround != 0 ? state.config.terrainElevationFt + object.staticCgFt
                                                      : create.position.Altitude;
    object.pitchRad = lf_rad(create.position.Pitch);
    object.bankRad = lf_rad(create.position.Bank);
    object.headingRad = lf_rad(create.position.Heading);
    object.trueAirspeedKt = create.position.Airspeed;
    object.createdFrame = state.frame;
    const DWORD id = object.id;
    state.objects.emplace(id, std::move(object));
    queueAssignedObjectId(state, create.requestId, id);
    queueObjectAddRemove(state, "ObjectAdded", id);
}

void lf_finishCreates(SimWorld::State& state)
{
    for (auto& create : state.pendingCreates) {
        if (--create.framesLeft <= 0) {
            lf_createObject(state, create);
        }
    }
    std::erase_if(state.pendingCreates, [](const PendingCreate& create) { return create.framesLeft <= 0; });
}

void lf_answerByType(SimWorld::State& state, const RequestRecord& request)
{
    const SimObjectRecord& user = state.objects.at(kUserObjectId);
    std::vector<const SimObjectRecord*> inRange;
    for (const auto& [id, object] : state.objects) {
        if (object.alive && distanceMeters(user.latitude, user.longitude, object.latitude, object.longitude) <=
                                request.radiusMeters) {
            inRange.push_back(&object);
        }
    }
    DWORD entry = 0;
    for (const SimObjectRecord* object : inRange) {
        queueObjectData(state, request, *object, ++entry, static_cast<DWORD>(inRange.size()));
    }
}

void lf_answer(SimWorld::State& state, const RequestRecord& request)
{
    if (request.byType) {
        lf_answerByType(state, request);
        return;
    }
    const SimObjectRecord* object = findObject(state, request.objectId);
    if (object != nullptr) {
        queueObjectData(state, request, *object, 1, 1);
    }
}

void lf_answerRequests(SimWorld::State& state)
{
    const auto once = std::move(state.onceRequests);
    state.onceRequests.clear();
    for (const auto& request : once) {
        lf_answer(state, request);
    }
    if (state.frame % kFramesPerSecond == 0) {
        for (const auto& request : state.secondRequests) {
            lf_answer(state, request);
        }
    }
}

// Without recording a long run keeps only the objects that are alive.
void lf_forgetRemovedObjects(SimWorld::State& state)
{
    if (!state.recording) {
        std::erase_if(state.objects, [](const auto& entry) { return !entry.second.alive && !entry.second.isUser; });
    }
}

} // namespace

template <typename Read>
auto SimWorld::read(Read read) const
{
    std::lock_guard lock(m_mutex);
    return read(*m_state);
}

SimWorldConfig SimWorldConfig::forSimulator(int year)
{
    SimWorldConfig config;
    if (year == 2024) {
        config.applicationName = "SunRise";
        config.versionMajor = 12;
        config.versionMinor = 1;
        config.buildMajor = 282174;
        config.buildMinor = 999;
    }
    return config;
}

double distanceMeters(double lat1, double lon1, double lat2, double lon2)
{
    const double dLat = lf_rad(lat2 - lat1);
    const double dLon = lf_rad(lon2 - lon1);
    const double a = std::pow(std::sin(dLat / 2), 2) +
                     std::cos(lf_rad(lat1)) * std::cos(lf_rad(lat2)) * std::pow(std::sin(dLon / 2), 2);
    return 2 * kEarthRadiusMeters * std::asin(std::min(1.0, std::sqrt(a)));
}

double heightAboveGround(const SimWorld::State& state, const SimObjectRecord& object)
{
    return object.altitudeFt - state.config.terrainElevationFt;
}

bool objectOnGround(const SimWorld::State& state, const SimObjectRecord& object)
{
    return heightAboveGround(state, object) <= object.staticCgFt + kOnGroundToleranceFt;
}

std::int64_t zuluSeconds(const SimWorld::State& state)
{
    return state.config.startUtcSeconds + static_cast<std::int64_t>(state.frame / kFramesPerSecond);
}

SimObjectRecord* findObject(SimWorld::State& state, DWORD objectId)
{
    const DWORD id = objectId == SIMCONNECT_OBJECT_ID_USER ? kUserObjectId : objectId;
    const auto found = state.objects.find(id);
    return found != state.objects.end() && found->second.alive ? &found->second : nullptr;
}

void removeObject(SimWorld::State& state, SimObjectRecord& object)
{
    object.alive = false;
    object.removedFrame = state.frame;
    queueObjectAddRemove(state, "ObjectRemoved", object.id);
}

DWORD newObjectId(SimWorld::State& state)
{
    constexpr DWORD kFallingFrom = 1000000;
    DWORD id = 0;
    do {
        switch (state.idOrder) {
        case ObjectIdOrder::Rising:
            id = state.nextObjectId++;
            break;
        case ObjectIdOrder::Falling:
            id = kFallingFrom - (state.nextObjectId++ - kFirstAiObjectId);
            break;
        case ObjectIdOrder::Scattered:
            id = std::uniform_int_distribution<DWORD>(kFirstAiObjectId, kFallingFrom)(state.idRandom);
            break;
        }
    } while (state.idsHandedOut.contains(id) || state.objects.contains(id));
    // Counted ids never come again; only scattered ones are kept to be told apart, so a
    // long run does not keep one entry per object it ever created.
    if (state.idOrder == ObjectIdOrder::Scattered)
        state.idsHandedOut.insert(id);
    return id;
}

DWORD nextPacket(SimWorld::State& state)
{
    return ++state.lastPacketId;
}

void stepFrame(SimWorld::State& state)
{
    ++state.frame;
    lf_moveUser(state);
    lf_finishCreates(state);
    lf_answerRequests(state);
    if (state.frame % kFramesPerSecond == 0) {
        writeTraceRows(state);
        lf_forgetRemovedObjects(state);
    }
    if (state.open && !state.framesStopped && state.quitState == QuitState::None) {
        queueFrameEvent(state);
    }
}

void advanceRealTime(SimWorld::State& state)
{
    const auto period = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(kFrameSeconds));
    const auto now = std::chrono::steady_clock::now();
    if (state.lastRealFrame == std::chrono::steady_clock::time_point{}) {
        state.lastRealFrame = now;
        return;
    }
    int due = static_cast<int>((now - state.lastRealFrame) / period);
    if (due > kMostFramesPerCatchUp) {
        // A stalled client does not get a burst of frames, as a real simulator
        // does not replay the frames it rendered meanwhile.
        state.lastRealFrame = now - period;
        due = 1;
    }
    for (int i = 0; i < due; ++i) {
        state.lastRealFrame += period;
        stepFrame(state);
    }
}

SimWorld& SimWorld::instance()
{
    // Never destroyed: the program's SimClient thread may still dispatch while
    // static objects are torn down at exit.
    static SimWorld* world = new SimWorld();
    return *world;
}

SimWorld::SimWorld() : m_state(std::make_unique<State>())
{
    SimWorldConfig config;
    if (const char* scenario = std::getenv("SKYWEAVER_SIM_SCENARIO"); scenario != nullptr && *scenario != '\0') {
        std::string error;
        if (!loadScenario(scenario, config, error)) {
            std::cerr << "simulated simulator: " << error << ", defaults taken\n";
            config = SimWorldConfig{};
        }
    }
    configure(config);
    if (const char* trace = std::getenv("SKYWEAVER_SIM_TRACE"); trace != nullptr && *trace != '\0') {
        setTracePath(trace);
    }
}

SimWorld::~SimWorld() = default;

void SimWorld::configure(const SimWorldConfig& config)
{
    std::lock_guard lock(m_mutex);
    std::ofstream trace = std::move(m_state->trace);
    *m_state = State{};
    m_state->trace = std::move(trace);
    m_state->config = config;
    m_state->refuseOpenLeft = config.refuseOpenCount;
    m_state->objects.emplace(kUserObjectId, lf_userObject(config));
}

SimWorldConfig SimWorld::config() const
{
    return read([](const State& state) { return state.config; });
}

void SimWorld::stepFrames(int count)
{
    std::lock_guard lock(m_mutex);
    for (int i = 0; i < count; ++i) {
        stepFrame(*m_state);
    }
}

void SimWorld::stepSeconds(int count)
{
    stepFrames(count * kFramesPerSecond);
}

bool SimWorld::waitUntilDelivered(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_delivered.wait_for(lock, timeout, [this] {
        return (m_state->outbox.empty() || !m_state->open) && m_state->dispatchesRunning == 0;
    });
}

void SimWorld::setSimulatorRunning(bool running)
{
    std::lock_guard lock(m_mutex);
    m_state->config.simulatorRunning = running;
}

void SimWorld::refuseOpen(int times)
{
    std::lock_guard lock(m_mutex);
    m_state->refuseOpenLeft = times;
}

void SimWorld::failCall(const std::string& functionName, HRESULT result)
{
    std::lock_guard lock(m_mutex);
    m_state->failingCalls[functionName] = result;
}

void SimWorld::clearCallFailures()
{
    std::lock_guard lock(m_mutex);
    m_state->failingCalls.clear();
}

void SimWorld::raiseException(DWORD code, DWORD sendId, DWORD index)
{
    std::lock_guard lock(m_mutex);
    queueException(*m_state, code, sendId, index);
}

void SimWorld::quit()
{
    std::lock_guard lock(m_mutex);
    if (m_state->open && m_state->quitState == QuitState::None) {
        queueQuitRecord(*m_state);
        m_state->quitState = QuitState::Queued;
    }
}

void SimWorld::setFramesStopped(bool stopped)
{
    std::lock_guard lock(m_mutex);
    m_state->framesStopped = stopped;
}

void SimWorld::setObjectIdOrder(ObjectIdOrder order, std::uint32_t seed)
{
    std::lock_guard lock(m_mutex);
    m_state->idOrder = order;
    m_state->idRandom.seed(seed);
}

void SimWorld::removeObjectOnItsOwn(DWORD objectId)
{
    std::lock_guard lock(m_mutex);
    if (SimObjectRecord* object = findObject(*m_state, objectId); object != nullptr && !object->isUser) {
        removeObject(*m_state, *object);
    }
}

void SimWorld::teleportUser(double latitude, double longitude)
{
    std::lock_guard lock(m_mutex);
    SimObjectRecord& user = m_state->objects.at(kUserObjectId);
    user.latitude = latitude;
    user.longitude = longitude;
}

void SimWorld::moveUser(const UserAircraftSetup& setup)
{
    std::lock_guard lock(m_mutex);
    m_state->config.user = setup;
    SimObjectRecord& user = m_state->objects.at(kUserObjectId);
    SimObjectRecord moved = lf_userObject(m_state->config);
    moved.positions = std::move(user.positions);
    moved.events = std::move(user.events);
    user = std::move(moved);
}

void SimWorld::setFlightRunning(bool running)
{
    std::lock_guard lock(m_mutex);
    m_state->config.flightRunning = running;
    queueSystemEvent(*m_state, "Sim", running ? 1 : 0);
}

void SimWorld::loadNewFlight(const std::string& fileName)
{
    std::lock_guard lock(m_mutex);
    m_state->config.flightFileName = fileName;
    queueFileNameEvent(*m_state, "FlightLoaded", fileName);
}

void SimWorld::setRecording(bool recording)
{
    std::lock_guard lock(m_mutex);
    m_state->recording = recording;
}

void SimWorld::setInstalledTitles(const std::vector<std::string>& titles)
{
    std::lock_guard lock(m_mutex);
    m_state->config.installedTitles = titles;
}

DWORD SimWorld::addForeignAircraft(const std::string& title, const std::string& tailNumber, double latitude,
                                   double longitude, double altitudeFt)
{
    std::lock_guard lock(m_mutex);
    State& state = *m_state;
    SimObjectRecord object;
    object.id = newObjectId(state);
    object.title = title;
    object.tailNumber = tailNumber;
    std::tie(object.staticCgFt, object.staticPitchRad) = lf_staticCg(state.config, title);
    object.latitude = latitude;
    object.longitude = longitude;
    object.altitudeFt = altitudeFt;
    object.createdFrame = state.frame;
    const DWORD id = object.id;
    state.objects.emplace(id, std::move(object));
    queueObjectAddRemove(state, "ObjectAdded", id);
    return id;
}

bool SimWorld::connected() const
{
    return read([](const State& state) { return state.open && state.quitState != QuitState::Delivered; });
}

std::uint64_t SimWorld::frame() const
{
    return read([](const State& state) { return state.frame; });
}

std::vector<std::pair<DWORD, std::string>> SimWorld::subscriptions() const
{
    return read([](const State& state) { return state.subscriptions; });
}

std::vector<DWORD> SimWorld::definitionIds() const
{
    return read([](const State& state) { return state.definitionOrder; });
}

std::vector<DatumSpec> SimWorld::definition(DWORD defineId) const
{
    return read([&](const State& state) {
        return lf_entry(state.definitions, defineId).value_or(std::vector<DatumSpec>{});
    });
}

DWORD SimWorld::blockSize(DWORD defineId) const
{
    return standin::blockSize(definition(defineId));
}

std::vector<std::pair<DWORD, std::string>> SimWorld::mappedEvents() const
{
    return read([](const State& state) { return state.mappedEvents; });
}

std::vector<std::pair<DWORD, bool>> SimWorld::groupEvents(DWORD groupId) const
{
    return read([&](const State& state) {
        return lf_entry(state.groups, groupId).value_or(std::vector<std::pair<DWORD, bool>>{});
    });
}

std::optional<DWORD> SimWorld::groupPriority(DWORD groupId) const
{
    return read([&](const State& state) { return lf_entry(state.groupPriorities, groupId); });
}

std::vector<RequestRecord> SimWorld::requests() const
{
    return read([](const State& state) { return state.requestLog; });
}

std::vector<SentException> SimWorld::exceptionsSent() const
{
    return read([](const State& state) { return state.exceptions; });
}

std::optional<SimObjectRecord> SimWorld::object(DWORD objectId) const
{
    return read([&](const State& state) { return lf_entry(state.objects, objectId); });
}

std::optional<SimObjectRecord> SimWorld::objectByTail(const std::string& tailNumber) const
{
    std::lock_guard lock(m_mutex);
    for (const auto& [id, object] : m_state->objects) {
        if (object.tailNumber == tailNumber) {
            return object;
        }
    }
    return std::nullopt;
}

std::vector<DWORD> SimWorld::aliveAiObjects() const
{
    std::lock_guard lock(m_mutex);
    std::vector<DWORD> ids;
    for (const auto& [id, object] : m_state->objects) {
        if (object.alive && !object.isUser) {
            ids.push_back(id);
        }
    }
    return ids;
}

bool SimWorld::onGround(DWORD objectId) const
{
    std::lock_guard lock(m_mutex);
    const auto found = m_state->objects.find(objectId);
    return found != m_state->objects.end() && objectOnGround(*m_state, found->second);
}

} // namespace standin
