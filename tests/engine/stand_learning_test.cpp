// Live aircraft on stands of the park airport teach learned uses of the stands: which
// options are written, how they grow and close, and what the learned park file then holds.
#include "engine/stand_learning.h"

#include "app/tick_state.h"
#include "core/half_hours.h"
#include "core/main_loop_thread.h"
#include "core/program_folders.h"
#include "core/settings.h"
#include "engine/learned_updates.h"
#include "parking/apf.h"
#include "parking/park_file_load.h"
#include "parking/park_airport.h"
#include "parking/stand.h"
#include "parking/static_park_plan.h"
#include "parking/static_parking.h"
#include "refdata/aircraft_db.h"
#include "support/engine_fixture.h"
#include "support/log_capture.h"
#include "support/parking_fixture.h"
#include "support/temp_folder.h"
#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using namespace testsupport;

namespace {

constexpr std::uint32_t kDay = 3;

void at(std::int32_t day, std::int32_t half)
{
    g_weekTime = static_cast<std::uint64_t>(static_cast<std::uint32_t>(day)) |
                 (static_cast<std::uint64_t>(static_cast<std::uint32_t>(half)) << 32);
}

class StandLearningTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fillSmallAircraftTables();
        g_registrations["N123FX"] = RegistrationData{"FDX", "B77L", "", true};
        addStand("A1", 0.0);
        addStand("A2", 300.0);
        numberStands();
    }

    // A live KLM aircraft on stand A1.
    static LiveAc onStand(const std::string& registration = "PH-BXA", Category category = Category::Large)
    {
        LiveAc ac;
        ac.callsign = "KLM1";
        ac.registration = registration;
        ac.airline = "XXX";
        ac.type = "ZZZZ";
        ac.category = category;
        assignStand(ac, g_stands[0]);
        return ac;
    }

    static std::vector<std::pair<std::string, bool>> learned()
    {
        std::vector<std::pair<std::string, bool>> options;
        for (const ParkOpt& o : g_stands[0].options) {
            if (o.archived == 0)
                options.emplace_back(gf_bitset2hours(o.hh).value_or("gaps"), o.cpl);
        }
        return options;
    }

    TempFolder m_folder{true};
    LogCapture m_log;
};

} // namespace

TEST_F(StandLearningTest, StaysBecomeOneRunOfHalfHoursClosedWhenTheAircraftLeaves)
{
    struct Observation {
        std::int32_t half, kind;
    };
    struct Case {
        const char* stay;
        std::string registration;
        Category category;
        std::vector<Observation> observations;
        std::vector<std::pair<std::string, bool>> options;
    };
    const Case cases[] = {
        {"arrives 20, leaves 22", "PH-BXA", Category::Large, {{20, 0}, {22, 2}}, {{"20:22", true}}},
        {"leaves after the window", "PH-BXA", Category::Large, {{20, 0}, {26, 2}}, {{"20", true}, {"26", true}}},
        {"cargo leaves after 11", "N123FX", Category::Heavy, {{20, 0}, {31, 3}}, {{"20:31", true}}},
        {"heavy leaves after 7", "PH-BXA", Category::Heavy, {{20, 0}, {27, 2}}, {{"20:27", true}}},
        {"heavy leaves after 8", "PH-BXA", Category::Heavy, {{20, 0}, {28, 2}}, {{"20", true}, {"28", true}}},
        {"seen twice in one half hour", "PH-BXA", Category::Large, {{20, 1}, {20, 0}}, {{"20", false}}},
        {"back after leaving", "PH-BXA", Category::Large, {{20, 0}, {21, 2}, {23, 0}}, {{"20:21", true}, {"23", false}}},
        {"a ghost copy shares the option", "PH-BXA_", Category::Large, {{20, 0}, {21, 0}}, {{"20:21", false}}},
    };
    for (const Case& c : cases) {
        g_stands[0].options.clear();
        LiveAc ac = onStand(c.registration, c.category);
        ac.cargo = c.registration == "N123FX" ? 1 : 0;
        for (const Observation& o : c.observations) {
            at(kDay, o.half);
            lf_addRealStandOption(ac, o.kind);
        }
        EXPECT_EQ(learned(), c.options) << c.stay;
    }
}

TEST_F(StandLearningTest, LearnedOptionCarriesTheDatabaseIdentityAndCountsAsAnUpdate)
{
    LiveAc ac = onStand("D-AIBA");
    ac.callsign = "DLH4_";
    at(kDay, 20);
    lf_addRealStandOption(ac, 0);
    ASSERT_EQ(g_stands[0].options.size(), 1u);
    const ParkOpt& o = g_stands[0].options[0];
    EXPECT_EQ(o.airl, "CLH"); // the operator flies it
    EXPECT_EQ(o.type, "A320");
    EXPECT_EQ(o.reg, "D-AIBA");
    EXPECT_EQ(o.cs, "DLH4");
    EXPECT_EQ(o.seq, 1u);
    EXPECT_EQ(o.day, kDay);
    EXPECT_EQ(o.real, 1u);
    EXPECT_EQ(ac.airline, "DLH");
    EXPECT_EQ(ac.type, "A320");
    EXPECT_EQ(gf_learnedUpdates(), 1u);
    EXPECT_EQ(g_mainWindowState.learnedUpdates.load(), 1u);
}

// The count belongs to the main loop: counting on another thread (or a panel refresh there)
// fails loudly and changes nothing; once the run has ended, the next thread may take it.
TEST_F(StandLearningTest, LearnedCountIsUsedOnTheMainLoopThreadOnly)
{
    LiveAc ac = onStand("D-AIBA");
    at(kDay, 20);
    std::vector<std::string> offLoop;
    {
        const MainLoopClaim mainLoop; // this thread runs the loop, as a run's start-up thread does
        lf_addRealStandOption(ac, 0);
        std::thread([&] {
            for (void (*use)() : {&gf_addLearnedUpdate, &gf_refreshCounters, &gf_clearLearnedUpdates}) {
                try {
                    use();
                } catch (const std::runtime_error& e) {
                    offLoop.emplace_back(e.what());
                }
            }
        }).join();
        EXPECT_EQ(gf_learnedUpdates(), 1u);
    }
    EXPECT_EQ(offLoop, std::vector<std::string>(3, "g_learnedUpdates used off the main loop thread"));
    EXPECT_EQ(g_mainWindowState.learnedUpdates.load(), 1u);
    std::uint32_t afterTheRun = 0;
    std::thread([&] { afterTheRun = gf_learnedUpdates(); }).join();
    EXPECT_EQ(afterTheRun, 1u);
}

TEST_F(StandLearningTest, NothingIsLearnedWithoutAKnownRegistrationStandOrAgainstTheReference)
{
    at(kDay, 20);
    LiveAc none = onStand("");
    LiveAc unknown = onStand("G-XXXX");
    LiveAc noStand = onStand();
    noStand.standId = 9;
    for (LiveAc* ac : {&none, &unknown, &noStand}) {
        lf_addRealStandOption(*ac, 0);
    }
    EXPECT_EQ(none.airline, "XXX");
    EXPECT_EQ(unknown.type, "ZZZZ");
    g_stands[1].options.push_back(use(kDay, 10, 14, "PH-BXA"));
    g_stands[1].options.back().archived = 1;
    LiveAc elsewhere = onStand();
    elsewhere.standId = 2;
    lf_addRealStandOption(elsewhere, 0);
    EXPECT_TRUE(g_stands[0].options.empty());
    EXPECT_EQ(g_stands[1].options.size(), 1u);
    EXPECT_EQ(gf_learnedUpdates(), 0u);
}

TEST_F(StandLearningTest, InvalidHalfHourIsLoggedAndNothingIsLearned)
{
    at(kDay, 48);
    LiveAc ac = onStand();
    lf_addRealStandOption(ac, 0);
    EXPECT_TRUE(g_stands[0].options.empty());
    EXPECT_TRUE(m_log.contains("==> lf_addRealStandOption: hh_now: 48, invalid bitset position"));
}

TEST_F(StandLearningTest, ArrivingAircraftTakesTheCallsignPairOfAMatchingOption)
{
    g_stands[1].options.push_back(use(kDay, 30, 32, "PH-BXB", "KLM9", "KLM1", true, "KLM", "B738"));
    g_stands[0].options.push_back(use(kDay, 20, 22, "PH-BXA", "KLM1", "", true, "KLM", "B738"));
    struct Case {
        const char* when;
        std::int32_t day, half;
        const char* callsign;
        bool matched;
    };
    const Case cases[] = {
        {"ten half hours before", kDay, 20, "KLM1", true},
        {"as a ghost copy", kDay, 25, "KLM1_", true},
        {"outside the window", kDay, 19, "KLM1", false},
        {"the next day", kDay + 1, 30, "KLM1", false},
        {"another flight", kDay, 30, "KLM2", false},
    };
    for (const Case& c : cases) {
        LiveAc ac = onStand();
        ac.airline = "KLM";
        ac.callsign = c.callsign;
        at(c.day, c.half);
        gf_findLearnedStand(g_weekTime.load(), ac);
        EXPECT_EQ(ac.firstCallsign, c.matched ? "KLM9" : "") << c.when;
        EXPECT_EQ(ac.altIdent, c.matched ? "KLM1" : "") << c.when;
    }
}

TEST_F(StandLearningTest, LearnedFileHoldsTheStayAndReportsTheUpdates)
{
    g_parkAirport = "EDDF";
    g_parkFileHeader.publisher = "stock";
    LiveAc ac = onStand();
    at(kDay, 20);
    lf_addRealStandOption(ac, 1);
    at(kDay, 22);
    lf_addRealStandOption(ac, 2);
    lf_saveLearnedApf();
    const std::string xml = readFile(folders::learnedStock() / "EDDF.xml");
    EXPECT_NE(xml.find("hh=\"20:22\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("PH-BXA"), std::string::npos);
    bool reported = false;
    for (const std::string& line : m_log.lines()) {
        reported = reported || line.ends_with("EDDF.xml' saved with 1 update");
    }
    EXPECT_TRUE(reported);
}

// A planning refuses the learned use of an aircraft it already planned elsewhere; the refusal
// lasts for that planning only, so the stay still grows and is saved.
TEST_F(StandLearningTest, UseRefusedByAPlanningGrowsAndIsSaved)
{
    g_parkAirport = "EDDF";
    g_parkFileHeader.publisher = "stock";
    MAX_PARK_SEL.value = 100;
    parking_percentage.value = 100;
    MAX_FIT.value = 0;
    g_stands[0].options.push_back(use(kDay, 18, 22, "PH-BXA"));
    g_stands[0].options.back().archived = 1;
    LiveAc ac = onStand();
    assignStand(ac, g_stands[1]);
    freezeWeekTime(kDay, 20);
    at(kDay, 20);
    lf_addRealStandOption(ac, 1);
    lf_calcParkPositions();
    ASSERT_EQ(g_staticParkEntries.size(), 1u);
    at(kDay, 21);
    lf_addRealStandOption(ac, 0);
    lf_saveLearnedApf();
    const std::string xml = readFile(folders::learnedStock() / "EDDF.xml");
    EXPECT_NE(xml.find("hh=\"20:21\""), std::string::npos) << xml;
    EXPECT_EQ(xml.find("hh=\"21\""), std::string::npos) << xml;
}
