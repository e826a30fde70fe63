// Park files written, read by the park airport's loader and written again: generated,
// handmade and learned files over generated content give the same bytes, and every field
// read back is the one written, to the precision of its format.
#include "core/program_folders.h"
#include "core/settings.h"
#include "parking/apf.h"
#include "parking/park_airport.h"
#include "parking/park_file_load.h"
#include "parking/static_parking.h"
#include "support/log_capture.h"
#include "support/temp_folder.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace fs = std::filesystem;
using testsupport::readFile;

namespace {

constexpr const char* kReference = "airports\\my_thirdparty\\EDDF.xml";
constexpr const char* kName = R"(Zürich <Kloten> & "Main" 'Nord')";

// Stands with every attribute in use, ids with XML's special characters, and (optionally)
// learned uses of every kind: real and soft, with one or two callsigns, completed or not.
std::vector<Stand> lf_generatedStands(int count, bool withUses)
{
    std::mt19937 rng(4711);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<Stand> stands;
    for (int i = 0; i < count; ++i) {
        const StandPlace place{47.0 + unit(rng), 8.0 + unit(rng), unit(rng) * 6.28};
        const bool heli = i % 7 == 3;
        stands.emplace_back(fmt::format("G{} &<\"'>Ü {}", i, i % 3), std::vector<ParkOpt>{}, place,
                            5.0 + unit(rng) * 40.0, !heli && i % 2 == 0, i % 3 == 0, heli);
        if (!withUses) {
            continue;
        }
        for (std::uint32_t k = 1; k <= static_cast<std::uint32_t>(i % 4); ++k) {
            ParkOpt use;
            use.reg = fmt::format("X-R{}&{}", i, k);
            use.airl = k % 2 ? "D&L" : "BAW";
            use.type = "A3<0";
            use.cs = fmt::format("CS{}\"{}", i, k);
            use.cs2 = k == 2 ? fmt::format("ALT'{}", i) : "";
            const std::uint32_t first = (static_cast<std::uint32_t>(i) * 5 + k) % 40;
            use.hh = HalfHourBitset(((std::uint64_t{1} << (1 + k * 2)) - 1) << first);
            use.seq = k;
            use.day = 1 + (static_cast<std::uint32_t>(i) + k) % 7;
            use.real = k == 3 ? 0 : 1;
            use.cpl = k == 1;
            stands.back().options.push_back(use);
        }
    }
    return stands;
}

void lf_expectSameStands(const std::vector<Stand>& read, const std::vector<Stand>& written)
{
    ASSERT_EQ(read.size(), written.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        const Stand& r = read[i];
        const Stand& w = written[i];
        EXPECT_EQ(r.id, w.id);
        EXPECT_NEAR(r.latitude, w.latitude, 0.5e-6) << w.id;
        EXPECT_NEAR(r.longitude, w.longitude, 0.5e-6) << w.id;
        EXPECT_NEAR(r.heading * kRadToDeg, w.heading * kRadToDeg, 0.05) << w.id;
        EXPECT_NEAR(r.radius * kMetersPerNm, w.radius * kMetersPerNm, 0.05) << w.id;
        EXPECT_EQ(r.heli, w.heli) << w.id;
        EXPECT_EQ(r.cargo, w.heli ? false : w.cargo) << w.id;
        EXPECT_EQ(r.ramp, w.ramp) << w.id;
        ASSERT_EQ(r.options.size(), w.options.size()) << w.id;
        for (std::size_t k = 0; k < r.options.size(); ++k) {
            const ParkOpt& ro = r.options[k];
            const ParkOpt& wo = w.options[k];
            EXPECT_EQ(std::tie(ro.reg, ro.airl, ro.type, ro.cs, ro.cs2, ro.seq, ro.day, ro.real, ro.cpl),
                      std::tie(wo.reg, wo.airl, wo.type, wo.cs, wo.cs2, wo.seq, wo.day, wo.real, wo.cpl))
                << w.id;
            EXPECT_EQ(ro.hh, wo.hh) << w.id;
        }
    }
}

class ParkFileRoundTrip : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(folders::myThirdparty());
        g_parkAirport = "EDDF";
        g_apfHandmade = false;
    }

    // The park airport as the loader leaves it, from the reference.
    void load()
    {
        g_stands.clear();
        g_parkFileHeader = {};
        ASSERT_EQ(gf_readApf(kReference, g_parkFileHeader), "");
    }

    static Apf header()
    {
        Apf apf;
        apf.icao = "EDDF";
        apf.airport_name = kName;
        apf.BGLpath = R"(C:\Community\a&b <c>\scenery\EDDF.bgl)";
        apf.manufacturer = "Maker & \"Sons\"";
        apf.creator = "<Creator>";
        apf.altitude = 1416;
        return apf;
    }

    testsupport::TempFolder folder{true};
    testsupport::LogCapture log;
};

} // namespace

TEST_F(ParkFileRoundTrip, GeneratedFileReadAndWrittenAgainIsTheSame)
{
    Apf written = header();
    written.stands = lf_generatedStands(60, false);
    ASSERT_TRUE(gf_writeApf(written, "airports/my_thirdparty/EDDF.xml", kApfGenerated, 1));

    load();
    EXPECT_EQ(g_parkFileHeader.airportName, kName);
    EXPECT_EQ(g_parkFileHeader.publisher, "");
    EXPECT_EQ(g_parkFileHeader.altitude, 1416);
    lf_expectSameStands(g_stands, written.stands);

    Apf again = header();  // the scenery details are written, not loaded
    again.stands = g_stands;
    ASSERT_TRUE(gf_writeApf(again, "again.xml", kApfGenerated, 1));
    EXPECT_EQ(readFile("again.xml"), readFile("airports/my_thirdparty/EDDF.xml"));
}

TEST_F(ParkFileRoundTrip, LearnedAndHandmadeFilesReadAndSavedAgainAreTheSame)
{
    const fs::path learned = folders::learnedThirdparty() / "Pub & Co" / "EDDF.xml";
    for (const bool handmade : {false, true}) {
        Apf reference = header();
        reference.publisher = "Pub & Co";
        reference.stands = lf_generatedStands(40, false);
        ASSERT_TRUE(gf_writeApf(reference, "airports/my_thirdparty/EDDF.xml", kApfGenerated, 1));
        fs::remove(learned);
        load();
        ASSERT_EQ(g_stands.size(), 40u);
        // What the park airport learned: uses on every stand, changed radii and cargo flags,
        // a stand created by hand; a handmade file keeps its stands whole.
        std::vector<Stand> uses = lf_generatedStands(40, true);
        for (std::size_t i = 0; i < g_stands.size(); ++i) {
            g_stands[i].options = uses[i].options;
        }
        g_stands[1].radius = 33.3 * kNmPerMeter;
        g_stands[1].radius_change = true;
        g_stands[2].cargo = !g_stands[2].cargo;
        g_stands[2].cargo_change = true;
        g_stands.emplace_back("M&1", std::vector<ParkOpt>{uses[5].options}, StandPlace{47.5, 8.5, 1.0}, 25.0, false,
                              true, false);
        g_stands.back().manual = true;
        g_apfHandmade = handmade;
        const std::vector<Stand> taught = g_stands;
        lf_saveLearnedApf();
        const std::string saved = readFile(learned);

        load();
        EXPECT_EQ(g_apfHandmade, handmade);
        lf_expectSameStands(g_stands, taught);
        EXPECT_EQ(g_stands.back().manual, true);
        EXPECT_EQ(g_stands[1].radius_change, !handmade);
        lf_saveLearnedApf();
        EXPECT_EQ(readFile(learned), saved) << (handmade ? "handmade" : "learned");
    }
}
