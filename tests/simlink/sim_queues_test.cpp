// The command and result queues against the simulated simulator: creation and
// identification, failed creations, positions, events, removals and the
// frame drain's rules.
#include "sim_link_fixture.h"

#include "engine/adding_stack.h"
#include "engine/engine_tick.h"

#include <fmt/format.h>

using simlinktest::kInstalledTitle;
using simlinktest::SimLinkTest;
using simlinktest::waitFor;

namespace {

CreateRequest lf_request(const char* callsign, std::uint32_t aircraftId, std::string_view title = kInstalledTitle)
{
    CreateRequest request;
    request.initPosition = {47.001, 8.001, 3400.0, 0.0, 0.0, 90.0, 0, 0};
    request.callsign = callsign;
    request.title = title;
    request.aircraftId = aircraftId;
    return request;
}

class SimQueuesTest : public SimLinkTest {
protected:
    // Queues a create, lets it become an object and identifies it; returns its result.
    SimResult createAndIdentify(const char* callsign, std::uint32_t aircraftId, double altitudeFt = 3400.0)
    {
        CreateRequest request = lf_request(callsign, aircraftId);
        request.initPosition.Altitude = altitudeFt;
        gf_queueCreateAc(request);
        frames(3); // sent, then made after the simulator's delay
        probeInRange();
        frames(1);
        const auto results = takeResults();
        EXPECT_EQ(results.size(), 1u);
        return results.empty() ? SimResult{} : results.front();
    }
};

TEST_F(SimQueuesTest, QueuedCreateBecomesAnIdentifiedFrozenObject)
{
    connect();
    const SimResult result = createAndIdentify("SWR123", 4459379);
    EXPECT_EQ(result.kind, SimResultKind::LiveIdentified);
    EXPECT_EQ(result.aircraftId, 4459379u);
    EXPECT_DOUBLE_EQ(result.value2, 3000.0); // 3400 ft over terrain at 400 ft
    const auto object = world().objectByTail("SWR123");
    ASSERT_TRUE(object.has_value());
    EXPECT_EQ(result.objectId, object->id);
    EXPECT_EQ(object->title, kInstalledTitle);
    EXPECT_EQ(object->releases.size(), 1u);

    frames(1); // the freeze events go out with the next frame
    const auto frozen = world().object(result.objectId);
    EXPECT_TRUE(frozen->frozenLatLon && frozen->frozenAltitude && frozen->frozenAttitude);
    EXPECT_TRUE(g_sentCreates.empty());
}

TEST_F(SimQueuesTest, StaticParkedAircraftIsIdentifiedAsStaticAndReportsNoGroundState)
{
    connect();
    const SimResult result = createAndIdentify("EZY12*", 17, 1400.0);
    EXPECT_EQ(result.kind, SimResultKind::StaticIdentified);
    EXPECT_EQ(result.aircraftId, 17u);
    EXPECT_EQ(result.value2, 0.0);
    probeInRange();
    frames(1);
    EXPECT_TRUE(takeResults().empty());
}

TEST_F(SimQueuesTest, RefusedCreateComesBackAsCreationFailure)
{
    connect();
    gf_queueCreateAc(lf_request("SWR9", 4459380, "Livery Not Installed"));
    frames(1);
    const auto results = takeResults();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].kind, SimResultKind::CreateFailed);
    EXPECT_EQ(results[0].aircraftId, 4459380u);
    EXPECT_TRUE(g_sentCreates.empty());
}

// A create whose packet id could not be read is kept under id 0; a failed-create exception
// without a send id names no create, so it must not end that one.
TEST_F(SimQueuesTest, CreateFailureWithoutSendIdMatchesNoCreate)
{
    connect();
    world().failCall("SimConnect_GetLastSentPacketID", E_FAIL);
    gf_queueCreateAc(lf_request("SWR10", 4459390));
    frames(1);
    ASSERT_EQ(g_sentCreates.size(), 1u);
    EXPECT_EQ(g_sentCreates.front().packetId, 0u);
    world().raiseException(SIMCONNECT_EXCEPTION_CREATE_OBJECT_FAILED, 0);
    frames(1);
    for (const SimResult& result : takeResults()) {
        EXPECT_NE(result.kind, SimResultKind::CreateFailed);
    }
    EXPECT_EQ(g_sentCreates.size(), 1u);
}

TEST_F(SimQueuesTest, TwoCreatesWithOneCallsignAreIdentifiedOldestFirst)
{
    connect();
    gf_queueCreateAc(lf_request("DLH4", 5000001));
    gf_queueCreateAc(lf_request("DLH5", 5000002));
    gf_queueCreateAc(lf_request("DLH4", 5000003));
    frames(3);
    probeInRange();
    frames(1);
    std::vector<std::uint32_t> identified;
    for (const SimResult& result : takeResults()) {
        identified.push_back(result.aircraftId);
    }
    ASSERT_EQ(identified.size(), 3u);
    // Objects answer in id order: the first DLH4 object gets the older create.
    EXPECT_EQ(identified[0], 5000001u);
    EXPECT_EQ(identified[2], 5000003u);
}

// A creation given up before any frame sent it never reaches the simulator; one given up after
// it was sent still goes out as it was.
TEST_F(SimQueuesTest, GivenUpCreateStillQueuedIsNeverSent)
{
    connect();
    gf_queueCreateAc(lf_request("SWR7", 4459377));
    gf_queueCreateAc(lf_request("SWR8", 4459378));
    EXPECT_TRUE(gf_queueGivenUpCreate(4459377));
    frames(4);
    EXPECT_FALSE(world().objectByTail("SWR7").has_value());
    ASSERT_TRUE(world().objectByTail("SWR8").has_value());
    EXPECT_FALSE(gf_queueGivenUpCreate(4459378));
}

// The simulator promises no order of its ids: an object with a lower id than one announced
// before its create went out is still that create's.
TEST_F(SimQueuesTest, ObjectWithALowerIdThanOneAnnouncedBeforeIsStillIdentified)
{
    connect();
    world().setObjectIdOrder(standin::ObjectIdOrder::Falling);
    const DWORD foreign = world().addForeignAircraft("Generated", "N123", 47.0, 8.01, 1400.0);
    frames(1);
    const SimResult result = createAndIdentify("SWR5", 4459375);
    EXPECT_EQ(result.kind, SimResultKind::LiveIdentified);
    EXPECT_LT(result.objectId, foreign);
    EXPECT_EQ(result.objectId, world().objectByTail("SWR5")->id);
}

// Given-up creations far out of the scan's range stay watched, however many: once the range
// grows, every late object is removed. One whose object the simulator took away is forgotten
// after a whole scan once no announced object waits to be read.
TEST_F(SimQueuesTest, EveryLateObjectOfGivenUpCreationsIsRemovedWhenTheRangeReachesIt)
{
    connect();
    constexpr int kGivenUp = 70;
    for (int i = 0; i < kGivenUp; ++i) {
        CreateRequest request = lf_request("", 4460000 + i);
        request.callsign = fmt::format("SWR{}", 2000 + i);
        request.initPosition.Latitude = 47.3; // 33 km north of the user
        gf_queueCreateAc(request);
    }
    gf_queueCreateAc(lf_request("SWR9999", 4469999));
    frames(3);
    for (int i = 0; i < kGivenUp; ++i) {
        gf_queueGivenUpCreate(4460000 + i);
    }
    gf_queueGivenUpCreate(4469999);
    world().removeObjectOnItsOwn(world().objectByTail("SWR9999")->id);
    for (int scan = 0; scan < 3; ++scan) {
        probeInRange();
        frames(1);
    }
    {
        std::lock_guard lock(g_simQueueMutex);
        SimConnect_RequestDataOnSimObjectType(g_hSimConnect, kRequestAcInRange, kDefinitionInRange, 60000,
                                              SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT);
    }
    frames(2);
    EXPECT_TRUE(world().aliveAiObjects().empty());
    EXPECT_FALSE(m_log.contains("just spawned, but not by"));
    probeInRange();
    frames(1);
    EXPECT_TRUE(g_sentCreates.empty());
}

TEST_F(SimQueuesTest, PositionsAndEventsReachTheObject)
{
    connect();
    const SimResult result = createAndIdentify("SWR7", 4459381);
    frames(1);
    {
        std::lock_guard lock(g_simQueueMutex);
        g_positionFill->push_back({{47.01, 8.02, 0.05, 0.0, 1.5, 2500.0}, -10.0, 180.0, result.objectId});
        g_positionFill->push_back({{47.5, 8.5, 0, 0, 0, 999.0}, 0, 0, 0});          // never the user object
        g_positionFill->push_back({{47.5, 8.5, 0, 0, 0, 999.0}, 0, 0, g_userObjectId.load()});
    }
    ASSERT_TRUE(gf_swapPositionQueues());
    gf_queueLights(result.objectId, {1, 1, 0, 1, 0, 1, 1});
    gf_queueEvent(result.objectId, kEventFlapsSet, 8192);
    frames(1);

    const auto object = world().object(result.objectId);
    ASSERT_EQ(object->positions.size(), 1u);
    EXPECT_DOUBLE_EQ(object->positions[0].altitudeFt, 2500.0);
    EXPECT_DOUBLE_EQ(object->positions[0].headingRad, 1.5);
    EXPECT_DOUBLE_EQ(object->positions[0].trueAirspeedKt, 180.0);
    EXPECT_TRUE(world().object(standin::kUserObjectId)->positions.empty());

    std::vector<std::string> names;
    for (const auto& event : object->events) {
        names.push_back(event.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"FREEZE_LATITUDE_LONGITUDE_SET", "FREEZE_ALTITUDE_SET",
                                               "FREEZE_ATTITUDE_SET", "NAV_LIGHTS_SET", "BEACON_LIGHTS_SET",
                                               "LANDING_LIGHTS_SET", "TAXI_LIGHTS_SET", "STROBES_SET",
                                               "LOGO_LIGHTS_SET", "CABIN_LIGHTS_SET", "FLAPS_SET"}));
    const auto& flaps = object->events.back();
    EXPECT_EQ(flaps.value, 8192u);
    // FLAPS_SET sits between two releases (the first release is the identification's).
    ASSERT_EQ(object->releases.size(), 3u);
    EXPECT_LT(object->releases[1], flaps.sequence);
    EXPECT_GT(object->releases[2], flaps.sequence);
}

TEST_F(SimQueuesTest, FrameIsSkippedWhileTheEngineHoldsTheQueues)
{
    connect();
    const SimResult result = createAndIdentify("SWR8", 4459382);
    frames(1);
    std::unique_lock engine(g_simQueueMutex);
    g_eventQueue.push_back({result.objectId, kEventGearSet, 1});
    world().stepFrames(1);
    ASSERT_TRUE(world().waitUntilDelivered());
    EXPECT_EQ(world().object(result.objectId)->events.size(), 3u) << "only the freeze events";
    EXPECT_EQ(g_eventQueue.size(), 1u);
    engine.unlock();
    frames(1);
    EXPECT_EQ(world().object(result.objectId)->events.back().name, "GEAR_SET");
}

TEST_F(SimQueuesTest, SwapDropsThePositionsWhenTheQueuesAreBusy)
{
    g_positionFill->push_back({{47.0, 8.0, 0, 0, 0, 100.0}, 0, 0, 5});
    std::vector<PositionItem>* fill = g_positionFill;
    {
        std::lock_guard frame(g_simQueueMutex);
        std::thread engine([] { EXPECT_FALSE(gf_swapPositionQueues()); });
        engine.join();
    }
    EXPECT_EQ(g_positionFill, fill);
    EXPECT_TRUE(g_positionFill->empty());
}

TEST_F(SimQueuesTest, RemovalTakesTheObjectOutAndReportsIt)
{
    connect();
    const SimResult result = createAndIdentify("SWR6", 4459383);
    gf_queueRemove(result.objectId);
    gf_queueRemove(g_userObjectId.load());
    frames(1);
    EXPECT_FALSE(world().object(result.objectId)->alive);
    EXPECT_TRUE(world().object(standin::kUserObjectId)->alive);
    EXPECT_TRUE(m_log.contains("==> SimConnect call to remove ac with objectid 2"));
    const auto results = takeResults();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].kind, SimResultKind::ObjectRemoved);
    EXPECT_EQ(results[0].objectId, result.objectId);
}

TEST_F(SimQueuesTest, KnownObjectsReportTheirGroundStateWithinLimits)
{
    connect();
    const SimResult result = createAndIdentify("SWR5", 4459384, 1400.0);
    world().addForeignAircraft("Generated", "HIGH1", 47.0, 8.01, 3500.0); // 3100 ft above ground
    frames(1);
    probeInRange();
    frames(1);
    takeResults(); // the high one is not ours: it was announced and is logged instead
    probeInRange();
    frames(1);
    const auto results = takeResults();
    ASSERT_EQ(results.size(), 1u) << "a known object above 2500 ft reports nothing";
    EXPECT_EQ(results[0].kind, SimResultKind::OnGroundData);
    EXPECT_EQ(results[0].objectId, result.objectId);
    EXPECT_EQ(results[0].aircraftId, 0u);
    EXPECT_DOUBLE_EQ(results[0].value1, 400.0);
    EXPECT_DOUBLE_EQ(results[0].value2, 1000.0);
}

TEST_F(SimQueuesTest, ForeignObjectsAreLoggedAndGeneratedTrafficOnlyOnce)
{
    connect();
    world().addForeignAircraft("Generated", "AS-GEN", 47.0, 8.01, 400.0);
    world().addForeignAircraft("Generated", "AS-GEN", 47.0, 8.02, 400.0);
    world().addForeignAircraft("Other", "N123", 47.0, 8.03, 1400.0);
    frames(1);
    probeInRange();
    frames(1);
    EXPECT_TRUE(takeResults().empty());
    const auto lines = m_log.lines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.starts_with("Spawned by Asobo"); }),
              1);
    EXPECT_TRUE(m_log.contains(" This message will be logged only once..."));
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.starts_with("just spawned, but not by Skyweaver, oid: ") &&
               line.ends_with(", callsign 'N123', altaboveGnd:1000 ft, onground:0, gnd_alt:400 ft");
    }));
    EXPECT_TRUE(g_addedObjectIds.empty());
}

TEST_F(SimQueuesTest, ObjectRemovedBeforeIdentificationIsForgotten)
{
    connect();
    const DWORD id = world().addForeignAircraft("Generated", "AS-GEN", 47.0, 8.01, 400.0);
    frames(1);
    EXPECT_EQ(g_addedObjectIds.size(), 1u);
    world().removeObjectOnItsOwn(id);
    frames(1);
    EXPECT_TRUE(g_addedObjectIds.empty());
    const auto results = takeResults();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].kind, SimResultKind::ObjectRemoved);
}

// Objects at or below the user's own id are the simulator's, never one of the program's creations.
TEST_F(SimQueuesTest, ObjectAddedAtOrBelowTheUsersIdIsIgnored)
{
    connect();
    const DWORD first = world().addForeignAircraft("Generated", "AS-GEN", 47.0, 8.01, 400.0);
    const DWORD second = world().addForeignAircraft("Generated", "AS-GEN", 47.0, 8.02, 400.0);
    g_userObjectId.store(first);  // a simulator that gave the user's aircraft this id
    frames(1);
    ASSERT_EQ(g_addedObjectIds.size(), 1u);
    EXPECT_EQ(g_addedObjectIds[0].objectId, second);
}

// The engine's within-range request every 200 ms ends the run when the simulator refuses it.
TEST_F(SimQueuesTest, RefusedWithinRangeRequestEndsTheRunWithSimConnectError)
{
    connect();
    world().failCall("SimConnect_RequestDataOnSimObjectType", E_FAIL);
    g_engineTick = 20;
    lf_handleAddingStack();
    EXPECT_TRUE(m_log.contains("SimConnect request ac within range fails"));
    EXPECT_TRUE(g_simLinkFailed.load());
    EXPECT_EQ(gf_exitReason(), ExitReason::SimConnectError);
}

TEST_F(SimQueuesTest, FailedCreateEndsTheRunAndLaterFramesDiscardTheQueues)
{
    connect();
    const SimResult result = createAndIdentify("SWR4", 4459385);
    frames(1);
    world().failCall("SimConnect_AICreateNonATCAircraft", E_FAIL);
    gf_queueCreateAc(lf_request("SWR3", 4459386));
    gf_queueEvent(result.objectId, kEventGearSet, 0);
    frames(1);
    EXPECT_TRUE(m_log.contains(
        "==> ! Simcon call to create ac in sim failed, hexid:4459386, liv: 'Airbus A320 Skyweaver Air', callsign: SWR3)"));
    EXPECT_TRUE(g_simLinkFailed.load());
    EXPECT_EQ(gf_exitReason(), ExitReason::SimConnectError);
    EXPECT_EQ(world().object(result.objectId)->events.back().name, "GEAR_SET") << "events went out before creates";

    gf_queueEvent(result.objectId, kEventGearSet, 1);
    gf_queueRemove(result.objectId);
    frames(1);
    EXPECT_TRUE(g_eventQueue.empty());
    EXPECT_TRUE(g_removeQueue.empty());
    EXPECT_EQ(world().object(result.objectId)->events.back().value, 0u);
    EXPECT_TRUE(world().object(result.objectId)->alive);
}

TEST_F(SimQueuesTest, RealTimeSimulatorCreatesAndIdentifiesWithoutStepping)
{
    auto config = simlinktest::steppedWorld();
    config.clock = standin::SimClock::RealTime;
    world().configure(config);
    startClient();
    ASSERT_TRUE(waitFor([] { return g_simRunning.load(); }));
    gf_queueCreateAc(lf_request("SWR1", 4459390));
    ASSERT_TRUE(waitFor([] { return world().objectByTail("SWR1").has_value(); }));
    std::vector<SimResult> results;
    ASSERT_TRUE(waitFor([&] {
        probeInRange();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        results = takeResults();
        return !results.empty();
    }));
    EXPECT_EQ(results[0].kind, SimResultKind::LiveIdentified);
    EXPECT_EQ(results[0].objectId, world().objectByTail("SWR1")->id);
}

} // namespace
