// The main road end to end: the skyweaver executable on the simulated simulator (the user
// parked at Frankfurt), fed a short recorded scenario of three aircraft by the traffic feeder.
// Ticks run on the wall clock, so the test asserts what is robust: creation with title and
// tail number within the lead time after the first line, activation about 2 s later, the
// samples passed in order, the removal of the aircraft whose lines stop, the orderly close.
#include "core/geo.h"
#include "liveries/livery_data.h"
#include "support/livery_fixtures.h"
#include "support/program_process.h"
#include "support/reference_xml.h"
#include "support/temp_folder.h"
#include "support/traffic_lines.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;
using testsupport::ProgramProcess;
using testsupport::readFile;
using testsupport::TempFolder;
using testsupport::TrafficLine;
using testsupport::writeFile;

namespace fs = std::filesystem;

namespace {

constexpr int kLineIntervalSeconds = 5;
constexpr double kSampleDueSeconds = 30.0;

// One aircraft of the recorded scenario: a straight track sampled every 5 s.
struct Flight {
    std::string hexid, callsign, type, registration, title;
    double latitude, longitude, altitudeFt, trackDeg, speedKt, verticalSpeedFpm;
    int firstSecond, lastSecond;

    LatLon at(int second) const
    {
        const double nm = speedKt * (second - firstSecond) / 3600.0;
        return gf_destinationPoint({latitude, longitude}, trackDeg * kDegToRad, nm * 1852.0 / 0.3048);
    }
    double altitudeAt(int second) const { return altitudeFt + verticalSpeedFpm * (second - firstSecond) / 60.0; }
};

const Flight kCruising{"3949700", "DLH4CR", "A320", "D-AIZA", "Airbus A320 Lufthansa D-AIZA",
                       50.10, 8.20, 30000, 90, 420, 0, 0, 50};
const Flight kDescending{"4007777", "BAW9DS", "A320", "G-EUZZ", "Airbus A320 British Airways G-EUZZ",
                         50.30, 8.60, 11000, 180, 260, -1200, 1, 50};
// Flies outbound near the edge of the 40 nm range, so when its lines stop it is not
// extrapolated but taken out at once.
const Flight kLinesStop{"4737000", "KLM1SP", "B738", "PH-BZZ", "Boeing 737-800 KLM PH-BZZ",
                        50.029, 9.5643, 20000, 90, 350, 0, 2, 17};
const Flight* const kFlights[] = {&kCruising, &kDescending, &kLinesStop};

// One row of the simulator's trace: time,id,title,tail,lat,lon,alt,heading,on_ground.
struct TraceRow {
    double time = 0;
    int id = 0;
    std::string title, tail;
    double latitude = 0, longitude = 0, altitude = 0;
};

std::vector<TraceRow> readTrace(const fs::path& file)
{
    std::vector<TraceRow> rows;
    std::istringstream in(readFile(file));
    std::string line;
    std::getline(in, line); // header
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        std::stringstream fields(line);
        for (std::string field; std::getline(fields, field, ',');)
            f.push_back(field);
        if (f.size() < 9)
            continue;
        rows.push_back({std::stod(f[0]), std::stoi(f[1]), f[2], f[3], std::stod(f[4]), std::stod(f[5]), std::stod(f[6])});
    }
    return rows;
}

std::string scenarioText()
{
    std::vector<std::pair<int, std::string>> lines;
    for (const Flight* flight : kFlights) {
        for (int s = flight->firstSecond; s <= flight->lastSecond; s += kLineIntervalSeconds) {
            const LatLon p = flight->at(s);
            TrafficLine line;
            line.set(1, flight->hexid)
                .set(2, fmt::format("{:.6f}", p.lat))
                .set(3, fmt::format("{:.6f}", p.lon))
                .set(4, fmt::format("{:.0f}", flight->altitudeAt(s)))
                .set(5, fmt::format("{:.0f}", flight->verticalSpeedFpm))
                .set(7, fmt::format("{:.0f}", flight->trackDeg))
                .set(8, fmt::format("{:.0f}", flight->speedKt))
                .set(9, flight->callsign)
                .set(10, flight->type)
                .set(11, flight->registration)
                .set(12, "EDDF")
                .set(13, "EGLL")
                .set(14, "{now}")
                .set(20, fmt::format("{:.0f}", flight->speedKt))
                .set(23, "0")
                .set(25, fmt::format("{:.0f}", flight->trackDeg));
            lines.emplace_back(s, fmt::format("{} traffic {}", s, line.text()));
        }
    }
    std::stable_sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string text;
    for (const auto& [second, line] : lines)
        text += line + "\n";
    return text;
}

// The traffic feeder tool, replaying a scenario at real pace until it ends or is stopped.
class Feeder {
public:
    explicit Feeder(const fs::path& scenario)
    {
        const std::string tool = std::string(SKYWEAVER_BUILD_DIR) + "/tools/traffic_feeder";
        const std::string file = scenario.string();
        char* argv[] = {const_cast<char*>(tool.c_str()), const_cast<char*>(file.c_str()), nullptr};
        if (posix_spawn(&m_pid, tool.c_str(), nullptr, nullptr, argv, environ) != 0)
            m_pid = -1;
    }
    ~Feeder()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    Feeder(const Feeder&) = delete;
    Feeder& operator=(const Feeder&) = delete;
    bool started() const { return m_pid > 0; }

private:
    pid_t m_pid = -1;
};

class LiveTrafficRoad : public ::testing::Test {
protected:
    LiveTrafficRoad()
    {
        fs::create_directories(work.path() / "docs");
        testsupport::writeSmallReferenceData(work.path());
        std::vector<LiveryData> liveries;
        std::string scenario = "simulator = 2020\nclock = realtime\nsimulator_running = 1\nflight_running = 1\n"
                               "terrain_elevation_ft = 364\nuser_lat = 50.0333\nuser_lon = 8.5706\n"
                               "user_alt_ft = 371\nuser_on_ground = 1\nuser_title = Cessna Skyhawk Asobo\n"
                               "user_atc_model = C172\n";
        for (const Flight* flight : kFlights) {
            liveries.push_back({flight->callsign.substr(0, 3), flight->type, flight->title, flight->registration});
            scenario += "installed_title = " + flight->title + "\n";
        }
        testsupport::writeLiveriesScanned(work.path(), liveries);
        writeFile(work.path() / "sim.scenario", scenario);
        writeFile(work.path() / "traffic.scenario", scenarioText());
        fs::create_directories(root.path() / "MSFS" / "Community");
        writeFile(root.path() / "AppData" / "Roaming" / "Skyweaver" / "parameters.xml",
                  "<?xml version=\"1.0\"?>\n<root><parameters>" + parameter("PROGRAM_VERSION", "11.10.8") +
                      parameter("SCAN_LIVERIES", "false") + parameter("SCAN_AIRPORTS", "false") +
                      parameter("MSFS_INSTALL_PATH", (root.path() / "MSFS").string()) +
                      parameter("AUTO_RANGE", "false") + parameter("RANGE", "40") + "</parameters></root>\n");
    }

    static std::string parameter(const std::string& name, const std::string& value)
    {
        return "<parameter name=\"" + name + "\" value=\"" + value + "\"/>";
    }

    std::map<std::string, std::string> environment() const
    {
        return {{"SKYWEAVER_STANDIN_ROOT", root.path().string()},
                {"SKYWEAVER_SIM_SCENARIO", (work.path() / "sim.scenario").string()},
                {"SKYWEAVER_SIM_TRACE", (work.path() / "trace.csv").string()}};
    }

    TempFolder root;
    TempFolder work;
};

// The rows of the AI object that carries the tail number, in time order.
std::vector<TraceRow> rowsOf(const std::vector<TraceRow>& trace, const std::string& tail)
{
    std::vector<TraceRow> rows;
    std::copy_if(trace.begin(), trace.end(), std::back_inserter(rows),
                 [&](const TraceRow& row) { return row.id > 2 && row.tail == tail; });
    return rows;
}

TEST_F(LiveTrafficRoad, AircraftAreCreatedMovedAlongTheirSamplesAndRemoved)
{
    ProgramProcess program(work.path(), {}, environment());
    // Lines are taken only once the main loop runs: after the program waited for traffic in vain
    // and the loop's first pass named the park airport (the loop writes the log out every 15 s).
    ASSERT_TRUE(program.waitForLogLine("No traffic in this region?", 90s)) << program.log();
    ASSERT_TRUE(program.waitForLogLine("The park airport is EDDF", 30s)) << program.log();
    const auto trace = work.path() / "trace.csv";
    const std::vector<TraceRow> before = readTrace(trace);
    ASSERT_FALSE(before.empty());
    const double start = before.back().time; // simulator time when the first line goes out
    Feeder feeder(work.path() / "traffic.scenario");
    ASSERT_TRUE(feeder.started());
    std::this_thread::sleep_for(75s);
    program.signal(SIGTERM);
    ASSERT_TRUE(program.waitForExit(60s).has_value());

    const std::vector<TraceRow> rows = readTrace(trace);
    const double end = rows.back().time;
    for (const Flight* flight : kFlights) {
        SCOPED_TRACE(flight->callsign);
        const auto own = rowsOf(rows, flight->callsign);
        ASSERT_FALSE(own.empty());
        EXPECT_EQ(own.front().title, flight->title);
        // Created within the lead time before its first sample is due.
        const double created = own.front().time - start - flight->firstSecond;
        EXPECT_GE(created, kSampleDueSeconds - 5.0);
        EXPECT_LE(created, kSampleDueSeconds + 4.0);
        // Active about 2 s later: it leaves the place where it was created.
        const auto moved = std::find_if(own.begin(), own.end(), [&](const TraceRow& row) {
            return row.latitude != own.front().latitude || row.longitude != own.front().longitude;
        });
        ASSERT_NE(moved, own.end());
        EXPECT_LE(moved->time - own.front().time, 5.0);
        // Each sample due before the run ended is passed, in order, within speed x 1 s plus a margin.
        std::size_t previous = 0;
        for (int s = flight->firstSecond; s <= flight->lastSecond; s += kLineIntervalSeconds) {
            if (start + s + kSampleDueSeconds + 3.0 > end)
                break;
            const LatLon p = flight->at(s);
            std::size_t closest = 0;
            double best = 1e9;
            for (std::size_t i = 0; i < own.size(); ++i) {
                const double d = gf_distanceNm({own[i].latitude, own[i].longitude}, p);
                if (d < best) {
                    best = d;
                    closest = i;
                }
            }
            EXPECT_LT(best, flight->speedKt / 3600.0 + 0.1) << "sample at " << s << " s";
            EXPECT_GE(closest, previous) << "sample at " << s << " s";
            previous = closest;
        }
    }
    // The aircraft whose lines stopped has left the simulator well before the end.
    EXPECT_LT(rowsOf(rows, kLinesStop.callsign).back().time, end - 5.0);
    EXPECT_GE(rowsOf(rows, kCruising.callsign).back().time, end - 3.0);

    // The close shuts down in order.
    const std::string log = program.log();
    const auto exiting = log.find("Exiting: ");
    const auto simClosed = log.find("SimConnect closed ok");
    const auto closing = log.find("closing down");
    ASSERT_NE(exiting, std::string::npos) << log;
    EXPECT_LT(exiting, simClosed) << log;
    EXPECT_LT(simClosed, closing) << log;
    EXPECT_NE(closing, std::string::npos) << log;
}

} // namespace
