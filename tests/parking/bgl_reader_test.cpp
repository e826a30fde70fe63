// The scenery reader on built .bgl files: stands of parking records and helipads, the
// skip rules with their scan messages, identifiers and elevations, link decisions, and
// damaged files that must neither crash nor produce stands.
#include "core/sim_choice.h"
#include "parking/bgl_reader.h"
#include "parking/bgl_records.h"
#include "refdata/airport_db.h"
#include "support/bgl_builder.h"
#include "support/log_capture.h"
#include "support/temp_folder.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

using testsupport::BglAirport;
using testsupport::BglHelipad;
using testsupport::BglParking;

namespace {

class BglReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_airportCodes = {"EHAM", "EDDF", "KMCI"};
        g_msfs2020 = true;
        m_context.addMessage = [this](std::string line) { m_messages.push_back(std::move(line)); };
        m_context.linkArchivedApf = [this](Apf& apf, std::int32_t& archived, const std::filesystem::path& path) {
            apf.BGLpath = path.string();
            apf.publisher = m_publisher;
            archived = m_archived;
            return m_linked;
        };
        m_context.generateApf = [this](Apf& apf, std::int32_t helipads) {
            m_generated.push_back(apf);
            m_helipadCounts.push_back(helipads);
        };
        m_context.runningTasks = &m_running;
    }

    // Writes and reads one file; the generated airports are in m_generated.
    void read(const std::vector<BglAirport>& airports) { readBytes(testsupport::bglFile(airports)); }
    void readBytes(const std::string& bytes)
    {
        testsupport::writeFile(m_path, bytes);
        m_running = 1;
        lf_processBGLfile(m_path, m_context);
        EXPECT_EQ(m_running.load(), 0);
    }
    std::vector<std::string> standIds() const
    {
        std::vector<std::string> ids;
        if (!m_generated.empty())
            for (const Stand& stand : m_generated[0].stands)
                ids.push_back(stand.id);
        return ids;
    }
    bool hasMessage(const std::string& line) const
    {
        return std::find(m_messages.begin(), m_messages.end(), line) != m_messages.end();
    }

    testsupport::TempFolder m_folder{true};
    testsupport::LogCapture m_log;
    std::filesystem::path m_path = m_folder / "scenery" / "airport.bgl";
    BglScanContext m_context;
    std::atomic<std::int32_t> m_running{0};
    std::vector<std::string> m_messages;
    std::vector<Apf> m_generated;
    std::vector<std::int32_t> m_helipadCounts;
    std::string m_publisher = "SomeDev";
    std::int32_t m_archived = 0;
    bool m_linked = false;
};

TEST_F(BglReaderTest, ParkingAndHelipadsBecomeStands)
{
    std::filesystem::create_directories(m_path.parent_path());
    BglAirport airport;
    airport.elevationMm = 3048;
    airport.helipads = {BglHelipad{52.31, 4.77, 30.0f}, BglHelipad{52.32, 4.78, 20.0f}};
    airport.parkings = {BglParking{12, 8, 12, 24.5f, 90.0f, 52.30, 4.76, 2},
                        BglParking{10, 5, 7, 30.0f, 0.0f, 52.305, 4.765, 0}};
    read({airport});

    ASSERT_EQ(m_generated.size(), 1u);
    const Apf& apf = m_generated[0];
    EXPECT_EQ(apf.icao, "EHAM");
    EXPECT_EQ(apf.altitude, 10);
    EXPECT_EQ(m_helipadCounts[0], 2);
    EXPECT_EQ(standIds(), (std::vector<std::string>{"helipad1", "helipad2", "A12", "g7"}));
    const Stand& heli = apf.stands[0];
    EXPECT_TRUE(heli.heli);
    EXPECT_NEAR(heli.radius, 15.0 * kNmPerMeter, 1e-12);
    EXPECT_NEAR(heli.latitude, 52.31, 1e-6);
    EXPECT_NEAR(heli.longitude, 4.77, 1e-6);
    const Stand& gate = apf.stands[2];
    EXPECT_FALSE(gate.cargo || gate.ramp || gate.heli);
    EXPECT_NEAR(gate.heading, std::numbers::pi / 2, 1e-6);
    EXPECT_NEAR(gate.radius, 24.5 * kNmPerMeter, 1e-9);
    EXPECT_NEAR(gate.latitude, 52.30, 1e-6);
    const Stand& cargo = apf.stands[3];
    EXPECT_TRUE(cargo.cargo);
    EXPECT_TRUE(cargo.ramp);
    EXPECT_EQ(cargo.heading, 2.0 * std::numbers::pi);
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(BglReaderTest, SkipRulesWriteTheirMessages)
{
    BglAirport airport;
    airport.helipads = {BglHelipad{0.0, 0.00005, 30.0f}, BglHelipad{52.31, 4.77, 30.0f}, BglHelipad{52.31, 4.77, 30.0f}};
    airport.parkings = {
        BglParking{12, 8, 1, 1.0f},           // radius too small
        BglParking{12, 8, 2, 200.0f},         // radius too large
        BglParking{12, 0, 3},                 // not a stand: silently skipped
        BglParking{12, 12, 4},
        BglParking{12, 13, 5},
        BglParking{2, 8, 6, 20.0f, 10.0f, 0.00002, 0.00003},
        BglParking{40, 14, 8},                // no prefix, ramp
    };
    read({airport});

    const std::string file = m_path.string();
    EXPECT_EQ(m_messages, (std::vector<std::string>{
                              "lat/lon helipad incorrect (skipped): 0.000000,0.000050",
                              "double helipad  (skipped) 52.310000,4.770000",
                              "Skipped position with radius 1.0 m in " + file,
                              "Skipped position with radius 200.0 m in " + file,
                              "LatLon 0.000020,0.000030 invalid (skipped)",
                          }));
    EXPECT_EQ(standIds(), (std::vector<std::string>{"helipad1", "8"}));
    EXPECT_TRUE(m_generated[0].stands[1].ramp);
    EXPECT_EQ(m_helipadCounts[0], 1);
}

TEST_F(BglReaderTest, RepeatedIdsGetLettersUntilTen)
{
    BglAirport airport;
    for (int i = 0; i < 12; ++i)
        airport.parkings.push_back(BglParking{12, 8, 12, 20.0f, 90.0f, 52.3 + i * 0.001, 4.76});
    read({airport});

    const std::vector<std::string> ids = standIds();
    ASSERT_EQ(ids.size(), 11u);
    EXPECT_EQ(ids[0], "A12");
    EXPECT_EQ(ids[1], "A12a");
    EXPECT_EQ(ids[10], "A12j");
    EXPECT_EQ(m_messages,
              (std::vector<std::string>{"===> Warning: more than 10 duplicate IDs A12 in " + m_path.string()}));
}

TEST_F(BglReaderTest, IdentifiersAndElevations)
{
    struct Case {
        const char* ident;
        std::uint32_t elevationMm;
        bool generated;
        std::int32_t feet;
        const char* message;
    };
    const Case cases[] = {
        {"EDDF", 111252, true, 365, nullptr},
        {"KMCI", 3657600, true, 0, nullptr},     // 12000 ft
        {"EDDF", 0xFFFFF000u, true, 0, nullptr}, // below sea level
        {"EHA", 0, false, 0, nullptr},           // three letters: dropped silently
        {"ZZZZ", 0, false, 0, "ZZZZ is not an airport supported by RealTraffic "},
        {"EHAM1", 0, false, 0, nullptr},
    };
    for (const Case& c : cases) {
        m_generated.clear();
        m_messages.clear();
        BglAirport airport;
        airport.ident = c.ident;
        airport.elevationMm = c.elevationMm;
        airport.parkings = {BglParking{}};
        read({airport});
        ASSERT_EQ(m_generated.size(), c.generated ? 1u : 0u) << c.ident;
        if (c.generated) {
            EXPECT_EQ(m_generated[0].altitude, c.feet) << c.ident;
        }
        EXPECT_EQ(m_messages.size(), c.message ? 1u : 0u) << c.ident;
        if (c.message) {
            EXPECT_TRUE(hasMessage(c.message));
        }
    }
    EXPECT_EQ(lf_decodeIcao(testsupport::bglIdent("EHAM")), "EHAM");
    EXPECT_EQ(lf_decodeIcao(1u << 5), std::nullopt); // digit 1 is not a character
}

TEST_F(BglReaderTest, LinkedAirportsAreGeneratedOnlyWithMoreStands)
{
    BglAirport airport;
    airport.parkings = {BglParking{12, 8, 1}, BglParking{12, 8, 2}, BglParking{12, 8, 3}};
    struct Case {
        bool msfs2020;
        const char* publisher;
        std::int32_t archived;
        bool generated;
        bool message;
    };
    const Case cases[] = {
        {false, "SomeDev", 1, false, false}, // 2024: a linked airport is not read
        {true, "SomeDev", 3, false, false},
        {true, "SomeDev", 2, true, true},
        {true, "simaddon", 2, false, false},
    };
    m_linked = true;
    for (const Case& c : cases) {
        m_generated.clear();
        m_messages.clear();
        g_msfs2020 = c.msfs2020;
        m_publisher = c.publisher;
        m_archived = c.archived;
        read({airport});
        EXPECT_EQ(m_generated.size(), c.generated ? 1u : 0u) << c.publisher << c.archived;
        EXPECT_EQ(hasMessage("===> EHAM has 3 parkpos while archived one has 2"), c.message);
    }
}

TEST_F(BglReaderTest, DamagedHeadersYieldNothing)
{
    BglAirport airport;
    airport.parkings = {BglParking{}};
    const std::string good = testsupport::bglFile({airport});

    std::string wrongHeader = good;
    testsupport::setBglWord(wrongHeader, 4, 0x40);
    std::string noSections = good;
    testsupport::setBglWord(noSections, 20, 0);
    std::string tooManySections = good;
    testsupport::setBglWord(tooManySections, 20, 0x10000000);
    std::string skipFlag = good;
    testsupport::setBglWord(skipFlag, 56 + 20 + 4, 0x10000);
    std::string badSubsection = good;
    testsupport::setBglWord(badSubsection, 56 + 20 + 12, 0x7FFFFFF0);
    for (const std::string& bytes : {wrongHeader, noSections, tooManySections, skipFlag, badSubsection,
                                     good.substr(0, 40), std::string()}) {
        readBytes(bytes);
        EXPECT_TRUE(m_generated.empty());
    }
    EXPECT_TRUE(m_messages.empty());
    m_running = 1;
    lf_processBGLfile(m_folder / "missing.bgl", m_context);
    EXPECT_EQ(m_running.load(), 0);
}

TEST_F(BglReaderTest, TruncatedRecordsKeepWhatWasWhole)
{
    BglAirport airport;
    for (std::uint32_t n = 1; n <= 3; ++n)
        airport.parkings.push_back(BglParking{12, 8, n, 20.0f, 90.0f, 52.3 + n * 0.001, 4.76});
    const std::string good = testsupport::bglFile({airport});
    // Cut in the middle of the third parking entry.
    readBytes(good.substr(0, good.size() - 20));
    EXPECT_EQ(standIds(), (std::vector<std::string>{"A1", "A2"}));
    bool logged = false;
    for (const std::string& line : m_log.lines())
        logged |= line.starts_with("   Error: parking entry 3 of 3 exceeds its record in ");
    EXPECT_TRUE(logged);

    // A parking count far beyond the record.
    m_generated.clear();
    std::string counted = good;
    const std::size_t countOffset = testsupport::bglFirstRecordOffset() + 0x44 + 4;
    testsupport::setBglWord(counted, countOffset,
                            (testsupport::bglWord(counted, countOffset) & 0xFFFF) | (0xFFFFu << 16));
    readBytes(counted);
    EXPECT_EQ(standIds(), (std::vector<std::string>{"A1", "A2", "A3"}));
}

TEST_F(BglReaderTest, StructuralErrorsGoToTheLog)
{
    BglAirport airport;
    airport.parkings = {BglParking{}};
    std::string zeroSize = testsupport::bglFile({airport});
    const std::size_t record = testsupport::bglFirstRecordOffset();
    testsupport::setBglWord(zeroSize, record, 0x56);
    testsupport::setBglWord(zeroSize, record + 4, testsupport::bglWord(zeroSize, record + 4) & 0xFFFF0000u);
    readBytes(zeroSize);
    EXPECT_TRUE(m_generated.empty());
    EXPECT_TRUE(m_log.contains("==>    Warning: decodeSizeAtBoundary returned 0 at o2 = 28"));

    BglAirport crowded;
    crowded.otherChildren = 9001;
    crowded.parkings = {BglParking{}};
    read({crowded});
    EXPECT_TRUE(m_log.contains("==> Error: Maximum loop iterations reached (1) "));
    EXPECT_TRUE(standIds().empty());
}

TEST_F(BglReaderTest, PreCheckLooksForAnAirportSection)
{
    BglAirport airport;
    airport.parkings = {BglParking{}};
    const std::string good = testsupport::bglFile({airport});
    std::string noAirport = good;
    testsupport::setBglWord(noAirport, 56 + 20, 0x65);
    std::string tooMany = good;
    testsupport::setBglWord(tooMany, 20, 1000);
    struct Case {
        std::string bytes;
        bool expected;
    };
    const Case cases[] = {{good, true}, {noAirport, false}, {tooMany, false}, {good.substr(0, 56), false}};
    for (const Case& c : cases) {
        testsupport::writeFile(m_path, c.bytes);
        EXPECT_EQ(lf_bglHasAirportSection(m_path), c.expected);
    }
    EXPECT_FALSE(lf_bglHasAirportSection(m_folder / "missing.bgl"));
}

} // namespace

namespace {

// An airport with `skipped` parking positions too small to be stands (one scan log line
// each) and one good stand.
BglAirport lf_airportWithSkippedPositions(std::size_t skipped)
{
    BglAirport airport;
    airport.parkings.assign(skipped, BglParking{12, 8, 1, 0.5f, 90.0f, 52.3, 4.76});
    airport.parkings.push_back(BglParking{12, 8, 2, 20.0f, 90.0f, 52.3, 4.76});
    return airport;
}

} // namespace

TEST_F(BglReaderTest, SectionsPointingAtTheSameRecordsWalkThemOnce)
{
    // 300 section entries over one airport of 9000 positions: a file of about 500 KB.
    readBytes(testsupport::bglFileRepeatingSection({lf_airportWithSkippedPositions(9000)}, 300));

    EXPECT_EQ(m_generated.size(), 1u);
    EXPECT_EQ(m_messages.size(), 9000u);
}

TEST_F(BglReaderTest, LinesOfOneFileAreCapped)
{
    read({lf_airportWithSkippedPositions(kMaxFileMessages + 5)});

    ASSERT_EQ(m_messages.size(), kMaxFileMessages + 1);
    EXPECT_EQ(m_messages.back(), fmt::format("===> more than {} lines for {}, the rest left out", kMaxFileMessages,
                                             m_path.string()));
    EXPECT_EQ(standIds(), std::vector<std::string>{"A2"});
}

TEST_F(BglReaderTest, EveryAirportSectionIsFoundWhateverLiesBefore)
{
    g_airportCodes.insert("LFPG");
    const auto airport = [](const char* ident, std::uint32_t declaredSize = 0) {
        BglAirport a;
        a.ident = ident;
        a.parkings = {BglParking{}};
        a.declaredSize = declaredSize;
        return a;
    };
    // Data that, walked on as a record after a section's records, reads as a huge one.
    std::string hugeRecord(64, '\0');
    testsupport::setBglWord(hugeRecord, 0, 0x56);
    testsupport::setBglWord(hugeRecord, 2, 0x7FFFFFF0);
    struct Case {
        std::vector<std::vector<BglAirport>> sections;
        std::string between;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {{{airport("EHAM")}, {airport("EDDF")}, {airport("LFPG")}}, std::string(64, '\xEE'), {}},
        {{{airport("EHAM")}, {airport("EDDF")}, {airport("LFPG")}}, hugeRecord, {}},
        {{{airport("EHAM")}, {airport("ZZZZ", 0x7FFFFFF0)}, {airport("EDDF")}, {airport("LFPG")}},
         "",
         {"ZZZZ is not an airport supported by RealTraffic "}},
    };
    for (const Case& c : cases) {
        m_generated.clear();
        m_messages.clear();
        readBytes(testsupport::bglFileOfSections(c.sections, c.between));

        std::vector<std::string> found;
        for (const Apf& apf : m_generated)
            found.push_back(apf.icao);
        EXPECT_EQ(found, (std::vector<std::string>{"EHAM", "EDDF", "LFPG"}));
        EXPECT_EQ(m_messages, c.messages);
    }
}

TEST_F(BglReaderTest, StructuralLinesOfOneFileAreCapped)
{
    // Sections whose airport records all have the size 0: one Log.txt line each.
    constexpr std::size_t kSections = kMaxFileLogLines + 30;
    BglAirport airport;
    airport.parkings = {BglParking{}};
    std::string bytes = testsupport::bglFileOfSections(std::vector<std::vector<BglAirport>>(kSections, {airport}), "");
    const std::size_t first = 0x38 + 36 * kSections;
    const std::size_t recordSize = (bytes.size() - first) / kSections;
    for (std::size_t record = first; record < bytes.size(); record += recordSize) {
        testsupport::setBglWord(bytes, record, 0x56);
        testsupport::setBglWord(bytes, record + 4, testsupport::bglWord(bytes, record + 4) & 0xFFFF0000u);
    }
    readBytes(bytes);

    const auto lines = m_log.lines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.find("decodeSizeAtBoundary") != std::string::npos; }),
              static_cast<std::ptrdiff_t>(kMaxFileLogLines));
    EXPECT_EQ(lines.back(),
              fmt::format("==> more than {} lines for {}, the rest left out", kMaxFileLogLines, m_path.string()));
}
