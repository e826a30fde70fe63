// The simulated simulator's data and objects: definitions laid out into
// blocks, user data, by-type requests, AI creation and removal, positions and
// events as the program sends them.
#include "simworld_test_client.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <initializer_list>
#include <thread>
#include <utility>

using simworldtest::Received;
using simworldtest::TestClient;
using standin::SimWorld;

namespace {

// The program's definitions, as it declares them: each call adds fields of one type to a
// definition, in the order the program adds them.
void defineProgramData(HANDLE h)
{
    using Fields = std::initializer_list<std::pair<const char*, const char*>>;
    const auto add = [h](DWORD id, SIMCONNECT_DATATYPE type, Fields fields) {
        for (const auto& [name, unit] : fields) {
            SimConnect_AddToDataDefinition(h, id, name, unit, type, 0, SIMCONNECT_UNUSED);
        }
    };
    constexpr auto f64 = SIMCONNECT_DATATYPE_FLOAT64;
    constexpr auto i64 = SIMCONNECT_DATATYPE_INT64;
    // The position both the AI objects' and the user aircraft's blocks begin with.
    const Fields position = {{"Plane Latitude", "degree"}, {"Plane Longitude", "degree"},
                             {"Plane Pitch degrees", "radians"}, {"Plane Bank degrees", "radians"},
                             {"Plane Heading degrees true", "radians"}, {"Plane Altitude", "feet"}};
    add(407, SIMCONNECT_DATATYPE_STRINGV, {{"TITLE", nullptr}});
    add(408, SIMCONNECT_DATATYPE_STRING32, {{"ATC MODEL", nullptr}});
    add(409, i64, {{"SIM ON GROUND", "Bool"}});
    add(402, f64, position);
    add(402, f64, {{"Vertical Speed", "feet per second"}, {"Airspeed True", "knots"}});
    add(403, f64, position);
    add(403, f64, {{"Plane Alt Above Ground", "feet"}, {"Ground Velocity", "knots"}});
    add(403, i64, {{"ZULU TIME", "Seconds"}, {"ZULU DAY OF YEAR", "Number"}, {"ZULU YEAR", "Number"},
                   {"LIGHT STATES", "Mask"}});
    add(405, f64, {{"Static CG to Ground", "feet"}, {"Static Pitch", "radians"}});
    add(406, i64, {{"Light On States", "Mask"}});
    add(404, f64, {{"Plane Alt Above Ground", "feet"}, {"Ground Altitude", "feet"}});
    add(404, i64, {{"SIM ON GROUND", "Bool"}});
    add(404, SIMCONNECT_DATATYPE_STRING32, {{"ATC ID", nullptr}});
    add(401, f64, {{"SPOILERS HANDLE POSITION", "percent"}, {"GENERAL ENG THROTTLE LEVER POSITION:1", "percent"},
                   {"GENERAL ENG THROTTLE LEVER POSITION:2", "percent"}});
}

class SimWorldObjects : public testing::Test {
protected:
    void SetUp() override
    {
        SimWorld::instance().configure(simworldtest::steppedWorld());
        ASSERT_EQ(client.open(), S_OK);
        SimConnect_SubscribeToSystemEvent(client.handle, 202, "ObjectAdded");
        SimConnect_SubscribeToSystemEvent(client.handle, 203, "ObjectRemoved");
        defineProgramData(client.handle);
        client.dispatch();
    }

    // Creates one AI aircraft on the ground and returns its object id.
    DWORD createOnGround(const char* tail)
    {
        SIMCONNECT_DATA_INITPOSITION position{47.001, 8.001, 0.0, 0.0, 0.0, 90.0, 1, 0};
        SimConnect_AICreateNonATCAircraft(client.handle, "Airbus A320 Skyweaver Air", tail, position, 104);
        SimWorld::instance().stepFrames(2);
        client.dispatch();
        return SimWorld::instance().objectByTail(tail)->id;
    }

    TestClient client;
};

TEST_F(SimWorldObjects, ProgramDefinitionsMakeTheBlockSizesItExpects)
{
    struct Expected {
        DWORD defineId;
        DWORD bytes;
    };
    for (const auto& [defineId, bytes] : {Expected{402, 64}, Expected{403, 96}, Expected{404, 56},
                                          Expected{405, 16}, Expected{401, 24}, Expected{408, 32}}) {
        EXPECT_EQ(SimWorld::instance().blockSize(defineId), bytes) << defineId;
    }
    EXPECT_EQ(SimWorld::instance().definitionIds(),
              (std::vector<DWORD>{407, 408, 409, 402, 403, 405, 406, 404, 401}));
    EXPECT_TRUE(SimWorld::instance().exceptionsSent().empty());
}

TEST_F(SimWorldObjects, UnknownVariableNameGivesNameUnrecognized)
{
    SimConnect_AddToDataDefinition(client.handle, 499, "PLANE LATTITUDE", "degree");
    DWORD sendId = 0;
    SimConnect_GetLastSentPacketID(client.handle, &sendId);
    const auto records = client.dispatchOf(SIMCONNECT_RECV_ID_EXCEPTION);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].as<SIMCONNECT_RECV_EXCEPTION>().dwException, DWORD(SIMCONNECT_EXCEPTION_NAME_UNRECOGNIZED));
    EXPECT_EQ(records[0].as<SIMCONNECT_RECV_EXCEPTION>().dwSendID, sendId);
}

TEST_F(SimWorldObjects, UserDataAnswersAtTheNextFrameWithTheUserObjectId)
{
    SimConnect_RequestDataOnSimObject(client.handle, 109, 403, SIMCONNECT_OBJECT_ID_USER, SIMCONNECT_PERIOD_ONCE);
    EXPECT_TRUE(client.dispatch().empty());
    SimWorld::instance().stepFrames(1);
    const auto replies = client.dispatchOf(SIMCONNECT_RECV_ID_SIMOBJECT_DATA);
    ASSERT_EQ(replies.size(), 1u);
    const Received& reply = replies[0];
    EXPECT_EQ(reply.bytes.size(), 40u + 96u);
    const auto head = reply.as<SIMCONNECT_RECV_SIMOBJECT_DATA>();
    EXPECT_EQ(head.dwRequestID, 109u);
    EXPECT_EQ(head.dwObjectID, standin::kUserObjectId);
    EXPECT_EQ(head.dwDefineCount, 12u);
    EXPECT_DOUBLE_EQ(reply.data<double>(0), 47.0);
    EXPECT_DOUBLE_EQ(reply.data<double>(8), 8.0);
    EXPECT_DOUBLE_EQ(reply.data<double>(40), 405.0);               // terrain 400 ft + static CG 5 ft
    EXPECT_EQ(reply.data<std::int64_t>(64), 43200);                // 12:00:00 UTC
    EXPECT_EQ(reply.data<std::int64_t>(72), 60);                   // 29 February
    EXPECT_EQ(reply.data<std::int64_t>(80), 2024);
    SimWorld::instance().stepFrames(5);
    EXPECT_TRUE(client.dispatch().empty()) << "a ONCE request answers once";
}

TEST_F(SimWorldObjects, SecondRequestAnswersEverySimulatedSecond)
{
    SimConnect_RequestDataOnSimObject(client.handle, 108, 409, SIMCONNECT_OBJECT_ID_USER, SIMCONNECT_PERIOD_SECOND);
    SimWorld::instance().stepSeconds(3);
    const auto replies = client.dispatchOf(SIMCONNECT_RECV_ID_SIMOBJECT_DATA);
    ASSERT_EQ(replies.size(), 3u);
    EXPECT_EQ(replies[0].data<std::int64_t>(0), 1) << "the user aircraft stands on the ground";
}

TEST_F(SimWorldObjects, UserAircraftFliesItsStraightPath)
{
    standin::UserAircraftSetup user = SimWorld::instance().config().user;
    user.onGround = false;
    user.altitudeFt = 5000;
    user.headingDeg = 0;
    user.groundSpeedKt = 360; // 0.1 nm a second
    SimWorld::instance().moveUser(user);
    SimWorld::instance().stepSeconds(60);
    const auto moved = SimWorld::instance().object(standin::kUserObjectId);
    EXPECT_NEAR(moved->latitude, 47.0 + 6.0 / 60.0, 1e-4);
    EXPECT_NEAR(moved->longitude, 8.0, 1e-9);
    EXPECT_FALSE(SimWorld::instance().onGround(standin::kUserObjectId));
}

TEST_F(SimWorldObjects, ByTypeRequestReportsEachAircraftWithinTheRadius)
{
    SimWorld::instance().addForeignAircraft("Generated", "AS-GEN", 47.01, 8.0, 3400.0);  // 1.1 km
    SimWorld::instance().addForeignAircraft("Generated", "FAR1", 47.5, 8.0, 3400.0);     // 55 km
    client.dispatch();
    SimConnect_RequestDataOnSimObjectType(client.handle, 101, 404, 10000, SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT);
    SimWorld::instance().stepFrames(1);
    const auto replies = client.dispatchOf(SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE);
    ASSERT_EQ(replies.size(), 2u);
    const auto second = replies[1].as<SIMCONNECT_RECV_SIMOBJECT_DATA_BYTYPE>();
    EXPECT_EQ(second.dwRequestID, 101u);
    EXPECT_EQ(second.dwentrynumber, 2u);
    EXPECT_EQ(second.dwoutof, 2u);
    EXPECT_DOUBLE_EQ(replies[1].data<double>(0), 3000.0); // above ground
    EXPECT_DOUBLE_EQ(replies[1].data<double>(8), 400.0);  // ground altitude
    EXPECT_EQ(replies[1].data<std::int64_t>(16), 0);      // airborne
    EXPECT_EQ(replies[1].dataText(24), "AS-GEN");
    EXPECT_EQ(replies[1].bytes.size(), 40u + 56u);
}

TEST_F(SimWorldObjects, CreateOfAnInstalledTitleMakesAnObjectAfterTheDelay)
{
    SIMCONNECT_DATA_INITPOSITION position{47.001, 8.001, 0.0, 0.0, 0.0, 90.0, 1, 0};
    ASSERT_EQ(SimConnect_AICreateNonATCAircraft(client.handle, "Airbus A320 Skyweaver Air", "SWR123", position, 104),
              S_OK);
    SimWorld::instance().stepFrames(1);
    EXPECT_TRUE(client.dispatch().empty());
    SimWorld::instance().stepFrames(1);
    const auto records = client.dispatch();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].id(), DWORD(SIMCONNECT_RECV_ID_ASSIGNED_OBJECT_ID));
    EXPECT_EQ(records[0].as<SIMCONNECT_RECV_ASSIGNED_OBJECT_ID>().dwRequestID, 104u);
    EXPECT_EQ(records[0].as<SIMCONNECT_RECV_ASSIGNED_OBJECT_ID>().dwObjectID, standin::kFirstAiObjectId);
    EXPECT_EQ(records[1].id(), DWORD(SIMCONNECT_RECV_ID_EVENT_OBJECT_ADDREMOVE));
    const auto added = records[1].as<SIMCONNECT_RECV_EVENT_OBJECT_ADDREMOVE>();
    EXPECT_EQ(added.uEventID, 202u);
    EXPECT_EQ(added.dwData, standin::kFirstAiObjectId);
    EXPECT_EQ(added.eObjType, SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT);

    const auto object = SimWorld::instance().object(standin::kFirstAiObjectId);
    EXPECT_EQ(object->tailNumber, "SWR123");
    EXPECT_DOUBLE_EQ(object->altitudeFt, 407.0); // placed on the ground at its static CG
    EXPECT_TRUE(SimWorld::instance().onGround(object->id));
}

TEST_F(SimWorldObjects, CreateOfAnUnknownTitleFailsWithTheSendIdOfThatCreate)
{
    SIMCONNECT_DATA_INITPOSITION position{47.001, 8.001, 3000.0, 0.0, 0.0, 90.0, 0, 250};
    SimConnect_AICreateNonATCAircraft(client.handle, "Airbus A320 Skyweaver Air", "SWR1", position, 104);
    DWORD goodSend = 0;
    SimConnect_GetLastSentPacketID(client.handle, &goodSend);
    SimConnect_AICreateNonATCAircraft(client.handle, "Not Installed Livery", "SWR2", position, 104);
    DWORD badSend = 0;
    SimConnect_GetLastSentPacketID(client.handle, &badSend);
    EXPECT_NE(goodSend, badSend);
    const auto failures = client.dispatchOf(SIMCONNECT_RECV_ID_EXCEPTION);
    ASSERT_EQ(failures.size(), 1u);
    const auto exception = failures[0].as<SIMCONNECT_RECV_EXCEPTION>();
    EXPECT_EQ(exception.dwException, DWORD(SIMCONNECT_EXCEPTION_CREATE_OBJECT_FAILED));
    EXPECT_EQ(exception.dwSendID, badSend);
    SimWorld::instance().stepFrames(2);
    EXPECT_TRUE(SimWorld::instance().objectByTail("SWR1").has_value());
    EXPECT_FALSE(SimWorld::instance().objectByTail("SWR2").has_value());
}

TEST_F(SimWorldObjects, RemoveTakesTheObjectOutAndAnnouncesIt)
{
    const DWORD id = createOnGround("SWR9");
    ASSERT_EQ(SimConnect_AIRemoveObject(client.handle, id, 105), S_OK);
    const auto records = client.dispatch();
    ASSERT_EQ(records.size(), 1u);
    const auto removed = records[0].as<SIMCONNECT_RECV_EVENT_OBJECT_ADDREMOVE>();
    EXPECT_EQ(removed.uEventID, 203u);
    EXPECT_EQ(removed.dwData, id);
    EXPECT_FALSE(SimWorld::instance().object(id)->alive);
}

// A long run keeps the world's memory flat: without recording, a removed object is forgotten
// within a simulated second and data requests are served without being kept.
TEST_F(SimWorldObjects, WithoutRecordingRemovedObjectsAndRequestsAreNotKept)
{
    SimWorld::instance().setRecording(false);
    const DWORD removed = createOnGround("SWR9");
    const DWORD kept = createOnGround("SWR10");
    SimConnect_AIRemoveObject(client.handle, removed, 105);
    SimConnect_RequestDataOnSimObjectType(client.handle, 101, 404, 10000, SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT);
    SimWorld::instance().stepFrames(30);

    EXPECT_EQ(client.dispatchOf(SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE).size(), 2u); // the user and SWR10
    EXPECT_FALSE(SimWorld::instance().object(removed).has_value());
    EXPECT_TRUE(SimWorld::instance().object(kept)->alive);
    EXPECT_TRUE(SimWorld::instance().object(standin::kUserObjectId).has_value());
    EXPECT_TRUE(SimWorld::instance().requests().empty());
}

TEST_F(SimWorldObjects, CallsNamingAnUnknownObjectGiveUnrecognizedId)
{
    double block[8] = {};
    const std::vector<std::function<void()>> calls = {
        [&] { SimConnect_SetDataOnSimObject(client.handle, 402, 77, 0, 0, 64, block); },
        [&] { SimConnect_TransmitClientEvent(client.handle, 77, 206, 1, 301, 0); },
        [&] { SimConnect_AIReleaseControl(client.handle, 77, 103); },
        [&] { SimConnect_RequestDataOnSimObject(client.handle, 102, 405, 77, SIMCONNECT_PERIOD_ONCE); },
        [&] { SimConnect_AIRemoveObject(client.handle, 77, 105); },
    };
    SimConnect_MapClientEventToSimEvent(client.handle, 206, "BEACON_LIGHTS_SET");
    for (std::size_t i = 0; i < calls.size(); ++i) {
        calls[i]();
        DWORD sendId = 0;
        SimConnect_GetLastSentPacketID(client.handle, &sendId);
        const auto records = client.dispatchOf(SIMCONNECT_RECV_ID_EXCEPTION);
        ASSERT_EQ(records.size(), 1u) << "call " << i;
        EXPECT_EQ(records[0].as<SIMCONNECT_RECV_EXCEPTION>().dwException, DWORD(SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID));
        EXPECT_EQ(records[0].as<SIMCONNECT_RECV_EXCEPTION>().dwSendID, sendId);
    }
}

TEST_F(SimWorldObjects, PositionsEventsAndReleasesAreRecordedInOrder)
{
    const DWORD id = createOnGround("SWR7");
    SimConnect_MapClientEventToSimEvent(client.handle, 217, "FLAPS_SET");
    SimConnect_MapClientEventToSimEvent(client.handle, 214, "FREEZE_LATITUDE_LONGITUDE_SET");
    double position[8] = {47.01, 8.02, 0.05, 0.0, 1.5, 2500.0, -10.0, 180.0};
    ASSERT_EQ(SimConnect_SetDataOnSimObject(client.handle, 402, id, 0, 0, 64, position), S_OK);
    SimConnect_AIReleaseControl(client.handle, id, 103);
    SimConnect_TransmitClientEvent(client.handle, id, 217, 8192, 301, 0);
    SimConnect_AIReleaseControl(client.handle, id, 103);
    SimConnect_TransmitClientEvent(client.handle, id, 214, 1, 301, 0);
    double controls[3] = {100.0, -100.0, -100.0};
    SimConnect_SetDataOnSimObject(client.handle, 401, id, 0, 0, 24, controls);
    EXPECT_TRUE(client.dispatchOf(SIMCONNECT_RECV_ID_EXCEPTION).empty());

    const auto object = SimWorld::instance().object(id);
    ASSERT_EQ(object->positions.size(), 1u);
    EXPECT_DOUBLE_EQ(object->positions[0].latitude, 47.01);
    EXPECT_DOUBLE_EQ(object->positions[0].altitudeFt, 2500.0);
    EXPECT_DOUBLE_EQ(object->positions[0].headingRad, 1.5);
    EXPECT_FALSE(SimWorld::instance().onGround(id));
    ASSERT_EQ(object->events.size(), 2u);
    EXPECT_EQ(object->events[0].name, "FLAPS_SET");
    EXPECT_EQ(object->events[0].value, 8192u);
    ASSERT_EQ(object->releases.size(), 2u);
    EXPECT_LT(object->releases[0], object->events[0].sequence);
    EXPECT_GT(object->releases[1], object->events[0].sequence);
    EXPECT_TRUE(object->frozenLatLon);
    ASSERT_EQ(object->dataSets.size(), 1u);
    EXPECT_EQ(object->dataSets[0].values, (std::vector<double>{100.0, -100.0, -100.0}));
    EXPECT_DOUBLE_EQ(object->spoilersPercent, 100.0);
}

TEST_F(SimWorldObjects, ShortDataBlockGivesInvalidDataSize)
{
    const DWORD id = createOnGround("SWR8");
    double position[7] = {};
    SimConnect_SetDataOnSimObject(client.handle, 402, id, 0, 0, 56, position);
    const auto records = client.dispatchOf(SIMCONNECT_RECV_ID_EXCEPTION);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].as<SIMCONNECT_RECV_EXCEPTION>().dwException, DWORD(SIMCONNECT_EXCEPTION_INVALID_DATA_SIZE));
    EXPECT_TRUE(SimWorld::instance().object(id)->positions.empty());
}

TEST_F(SimWorldObjects, StaticCgAnswersPerObjectAndObjectRemovedOnItsOwn)
{
    const DWORD id = createOnGround("SWR5");
    SimConnect_RequestDataOnSimObject(client.handle, 102, 405, id, SIMCONNECT_PERIOD_ONCE);
    SimWorld::instance().stepFrames(1);
    const auto replies = client.dispatchOf(SIMCONNECT_RECV_ID_SIMOBJECT_DATA);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_DOUBLE_EQ(replies[0].data<double>(0), 7.0);
    SimWorld::instance().removeObjectOnItsOwn(id);
    const auto removed = client.dispatchOf(SIMCONNECT_RECV_ID_EVENT_OBJECT_ADDREMOVE);
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0].as<SIMCONNECT_RECV_EVENT_OBJECT_ADDREMOVE>().uEventID, 203u);
}

TEST_F(SimWorldObjects, FlightPlanThatCannotBeReadGivesLoadFlightPlanFailed)
{
    testsupport::TempFolder folder;
    const DWORD id = createOnGround("SWR6");
    testsupport::writeFile(folder / "6.pln", "<?xml version=\"1.0\"?>\n");
    SimConnect_AISetAircraftFlightPlan(client.handle, id, (folder / "6.pln").string().c_str(), 110);
    EXPECT_TRUE(client.dispatch().empty());
    SimConnect_AISetAircraftFlightPlan(client.handle, id, (folder / "missing.pln").string().c_str(), 110);
    const auto records = client.dispatchOf(SIMCONNECT_RECV_ID_EXCEPTION);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].as<SIMCONNECT_RECV_EXCEPTION>().dwException,
              DWORD(SIMCONNECT_EXCEPTION_LOAD_FLIGHTPLAN_FAILED));
    EXPECT_EQ(SimWorld::instance().object(id)->flightPlans.size(), 2u);
}

} // namespace

// New objects take ids in the order the world is set to, never one handed out before.
TEST_F(SimWorldObjects, ObjectIdsComeFallingOrScatteredAndNeverTwice)
{
    const DWORD rising = createOnGround("SWR1");
    SimWorld::instance().setObjectIdOrder(standin::ObjectIdOrder::Falling);
    const DWORD high = createOnGround("SWR2");
    const DWORD lower = createOnGround("SWR3");
    EXPECT_GT(high, rising);
    EXPECT_LT(lower, high);
    SimWorld::instance().setObjectIdOrder(standin::ObjectIdOrder::Scattered, 7);
    std::set<DWORD> ids = {rising, high, lower};
    bool belowAnEarlierOne = false;
    for (int i = 0; i < 20; ++i) {
        const DWORD id = SimWorld::instance().addForeignAircraft("Generated", "AS-GEN", 47.0, 8.0, 400.0);
        belowAnEarlierOne = belowAnEarlierOne || id < *ids.rbegin();
        EXPECT_GE(id, standin::kFirstAiObjectId);
        EXPECT_TRUE(ids.insert(id).second) << id;
    }
    EXPECT_TRUE(belowAnEarlierOne);
}
