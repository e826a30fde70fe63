// The simulated simulator behind the SimConnect stand-in: a user aircraft, AI
// objects, data requests and events, two clocks, faults on demand, and a record
// of everything the program did to it. Tests drive it through this interface;
// the running program gets it configured from a scenario file.
#pragma once

#include "platform/simconnect.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace standin {

enum class SimClock {
    RealTime, // frames at 30 Hz, one simulated second per second
    Stepped,  // frames only when a test steps them
};

constexpr int kFramesPerSecond = 30;

// How the world hands out the ids of new objects. The simulator promises no order: Rising is
// what it usually does; the others let tests meet an id below one seen before. An id is never
// handed out twice.
enum class ObjectIdOrder {
    Rising,    // 3, 4, 5, ...
    Falling,   // from a high id downwards
    Scattered, // seeded random ids
};
constexpr DWORD kUserObjectId = 1;
constexpr DWORD kFirstAiObjectId = 3;

struct UserAircraftSetup {
    double latitude = 47.4581;  // degrees
    double longitude = 8.5555;  // degrees
    double altitudeFt = 1416.0; // ignored while on the ground
    double headingDeg = 0.0;    // true
    double pitchDeg = 0.0;
    double bankDeg = 0.0;
    double groundSpeedKt = 0.0;
    double verticalSpeedFpm = 0.0;
    bool onGround = true;
    double staticCgFt = 5.0;
    std::string title = "Simulated Airliner";
    std::string atcModel = "A320";
    std::int64_t lightStates = 0;
};

struct SimWorldConfig {
    std::string applicationName = "KittyHawk"; // "SunRise" for the 2024 simulator
    DWORD versionMajor = 11;
    DWORD versionMinor = 0;
    DWORD buildMajor = 282174;
    DWORD buildMinor = 999;
    SimClock clock = SimClock::RealTime;
    bool simulatorRunning = true; // false: every open is refused
    bool flightRunning = true;    // the "Sim" event's state
    int refuseOpenCount = 0;      // opens refused before one succeeds
    std::vector<std::string> installedTitles;
    double terrainElevationFt = 0.0; // flat terrain everywhere
    int createDelayFrames = 2;       // frames from a create call to the new object
    double staticCgFt = 6.0;         // default static CG height of AI objects
    double staticPitchRad = 0.0;
    std::map<std::string, std::pair<double, double>> staticCgByTitle; // title -> (CG ft, pitch rad)
    UserAircraftSetup user;
    std::int64_t startUtcSeconds = 1709208000; // 2024-02-29 12:00:00 UTC
    std::string flightFileName = "flights\\Skyweaver.FLT";

    // The application name and version of one simulator: 2020 or 2024.
    static SimWorldConfig forSimulator(int year);
};

struct DatumSpec {
    std::string name;
    std::string unit;
    SIMCONNECT_DATATYPE type = SIMCONNECT_DATATYPE_FLOAT64;
    float epsilon = 0.0f;
    DWORD datumId = SIMCONNECT_UNUSED;
    // Worked out once when the datum joins a definition, so that a data block is applied
    // without looking names and units up again: the variable's place in the world's table
    // (-1: not resolved) and the factor from its own unit to the client's.
    int variable = -1;
    double unitFactor = 1.0;
};

struct RequestRecord {
    DWORD requestId = 0;
    DWORD defineId = 0;
    DWORD objectId = 0;
    SIMCONNECT_PERIOD period = SIMCONNECT_PERIOD_NEVER;
    bool byType = false;
    DWORD radiusMeters = 0;
};

struct RecordedPosition {
    std::uint64_t frame = 0;
    double latitude = 0, longitude = 0, altitudeFt = 0;
    double pitchRad = 0, bankRad = 0, headingRad = 0;
    double verticalSpeedFps = 0, trueAirspeedKt = 0;
};

struct RecordedEvent {
    std::uint64_t sequence = 0; // order among all calls on the object
    std::uint64_t frame = 0;
    std::string name;           // the simulator event the client event is mapped to
    DWORD value = 0;
};

struct RecordedDataSet {
    std::uint64_t frame = 0;
    DWORD defineId = 0;
    std::vector<double> values;
};

struct SentException {
    DWORD code = 0;
    DWORD sendId = 0;
    DWORD index = 0;
};

struct SimObjectRecord {
    DWORD id = 0;
    std::string title;
    std::string tailNumber; // ATC ID
    bool isUser = false;
    bool createdByClient = false;
    bool alive = true;
    double latitude = 0, longitude = 0, altitudeFt = 0;
    double pitchRad = 0, bankRad = 0, headingRad = 0;
    double verticalSpeedFps = 0, trueAirspeedKt = 0, groundSpeedKt = 0;
    double staticCgFt = 0, staticPitchRad = 0;
    double spoilersPercent = 0, throttle1Percent = 0, throttle2Percent = 0;
    std::int64_t lightStates = 0;
    bool frozenLatLon = false, frozenAltitude = false, frozenAttitude = false;
    std::uint64_t createdFrame = 0;
    std::uint64_t removedFrame = 0;
    std::vector<RecordedPosition> positions;
    std::vector<RecordedEvent> events;
    std::vector<std::uint64_t> releases; // sequence numbers of AIReleaseControl calls
    std::vector<std::string> flightPlans;
    std::vector<RecordedDataSet> dataSets; // data set on definitions other than positions
};

class SimWorld {
public:
    // The one world that the SimConnect functions talk to. Made on first use;
    // configured from SKYWEAVER_SIM_SCENARIO and tracing to SKYWEAVER_SIM_TRACE
    // when the environment names them.
    static SimWorld& instance();

    SimWorld();
    ~SimWorld();
    SimWorld(const SimWorld&) = delete;
    SimWorld& operator=(const SimWorld&) = delete;

    // A fresh world: no connection, no AI objects, no records, no faults.
    void configure(const SimWorldConfig& config);
    SimWorldConfig config() const;
    // Reads a scenario file into a configuration; false with a message on a fault.
    static bool loadScenario(const std::filesystem::path& path, SimWorldConfig& config, std::string& error);
    // One CSV row per object per simulated second from now on; empty path stops it.
    void setTracePath(const std::filesystem::path& path);

    // Stepped clock.
    void stepFrames(int count = 1);
    void stepSeconds(int count = 1);
    // Waits until the client has taken every queued message and no dispatch runs.
    bool waitUntilDelivered(std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));

    // Faults and happenings on demand.
    void setSimulatorRunning(bool running);
    void refuseOpen(int times);
    void failCall(const std::string& functionName, HRESULT result);
    void clearCallFailures();
    void raiseException(DWORD code, DWORD sendId = 0, DWORD index = SIMCONNECT_RECV_EXCEPTION::UNKNOWN_INDEX);
    void quit();
    // A pause (or a loading screen): no "Frame" events while the world goes on otherwise.
    void setFramesStopped(bool stopped);
    void setObjectIdOrder(ObjectIdOrder order, std::uint32_t seed = 0);
    void removeObjectOnItsOwn(DWORD objectId);
    void teleportUser(double latitude, double longitude);
    void moveUser(const UserAircraftSetup& user);
    void setFlightRunning(bool running);
    void loadNewFlight(const std::string& fileName);
    void setInstalledTitles(const std::vector<std::string>& titles);
    // Off: positions, events, data sets and data requests are applied but not kept, and a
    // removed object is forgotten within a simulated second (long runs).
    void setRecording(bool recording);
    // An aircraft that another program (or the simulator's own traffic) made.
    DWORD addForeignAircraft(const std::string& title, const std::string& tailNumber, double latitude,
                             double longitude, double altitudeFt);

    // What the program did and what the world holds.
    bool connected() const;
    std::uint64_t frame() const;
    std::vector<std::pair<DWORD, std::string>> subscriptions() const;
    std::vector<DWORD> definitionIds() const; // in the order first used
    std::vector<DatumSpec> definition(DWORD defineId) const;
    DWORD blockSize(DWORD defineId) const; // bytes of one data block, strings of fixed width
    std::vector<std::pair<DWORD, std::string>> mappedEvents() const;
    std::vector<std::pair<DWORD, bool>> groupEvents(DWORD groupId) const;
    std::optional<DWORD> groupPriority(DWORD groupId) const;
    std::vector<RequestRecord> requests() const;
    std::vector<SentException> exceptionsSent() const;
    std::optional<SimObjectRecord> object(DWORD objectId) const;
    std::optional<SimObjectRecord> objectByTail(const std::string& tailNumber) const;
    std::vector<DWORD> aliveAiObjects() const;
    bool onGround(DWORD objectId) const;

    // The SimConnect calls, as the stand-in's SimConnect functions hand them on.
    HRESULT callOpen(HANDLE* handle, const char* name);
    HRESULT callClose(HANDLE handle);
    HRESULT callDispatch(HANDLE handle, DispatchProc proc, void* context);
    HRESULT callSubscribe(HANDLE handle, DWORD eventId, const char* eventName);
    HRESULT callAddToDefinition(HANDLE handle, DWORD defineId, const DatumSpec& datum);
    HRESULT callMapEvent(HANDLE handle, DWORD eventId, const char* eventName);
    HRESULT callAddToGroup(HANDLE handle, DWORD groupId, DWORD eventId, BOOL maskable);
    HRESULT callSetGroupPriority(HANDLE handle, DWORD groupId, DWORD priority);
    HRESULT callRequestData(HANDLE handle, const RequestRecord& request);
    HRESULT callSetData(HANDLE handle, DWORD defineId, DWORD objectId, DWORD arrayCount, DWORD unitSize,
                        const void* data);
    HRESULT callTransmitEvent(HANDLE handle, DWORD objectId, DWORD eventId, DWORD value, DWORD groupId);
    HRESULT callCreateAircraft(HANDLE handle, const char* title, const char* tailNumber,
                               const SIMCONNECT_DATA_INITPOSITION& position, DWORD requestId);
    HRESULT callRemoveObject(HANDLE handle, DWORD objectId, DWORD requestId);
    HRESULT callReleaseControl(HANDLE handle, DWORD objectId, DWORD requestId);
    HRESULT callSetFlightPlan(HANDLE handle, DWORD objectId, const char* path, DWORD requestId);
    HRESULT callLastPacketId(HANDLE handle, DWORD* packetId);

    struct State;

private:
    // What the reader takes from the state, taken under the world's lock.
    template <typename Read>
    auto read(Read read) const;

    mutable std::mutex m_mutex;
    std::condition_variable m_delivered;
    std::unique_ptr<State> m_state;
};

} // namespace standin
