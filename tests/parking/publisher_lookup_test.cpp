// Publisher lookup of scanned scenery: the simulator maker by name, publisher aliases in
// the path, and package manifests found walking up from the package folder.
#include "parking/publisher_lookup.h"
#include "parking/scan_messages.h"
#include "refdata/aircraft_db.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class PublisherLookupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_publisherTable = {{"FlyTampa", "flytampa", "FT-"}, {"Aerosoft", "aerosoft"}, {"Orbx", "orbx"}};
    }
    std::filesystem::path bgl(const std::string& package)
    {
        const auto path = m_folder / "Community" / package / "scenery" / "global" / "airport.bgl";
        std::filesystem::create_directories(path.parent_path());
        testsupport::writeFile(path, "bgl");
        return path;
    }
    void manifest(const std::filesystem::path& folder, const std::string& json)
    {
        std::filesystem::create_directories(folder);
        testsupport::writeFile(folder / "manifest.json", json);
    }
    bool logged(const std::string& line) const
    {
        const std::lock_guard lock(g_scanMessageMutex);
        return std::find(g_scanMessages.begin(), g_scanMessages.end(), line) != g_scanMessages.end();
    }

    testsupport::TempFolder m_folder;
};

TEST_F(PublisherLookupTest, SimulatorMakerByPackageName)
{
    const auto path = bgl("ASOBO-Airport-EGLL-Heathrow");
    manifest(m_folder / "Community" / "ASOBO-Airport-EGLL-Heathrow", R"({"creator":"Orbx"})");
    const PublisherInfo info = gf_findPublisher(path);
    EXPECT_EQ(info.publisher, "simaddon");
    EXPECT_EQ(info.creator, "");
    EXPECT_TRUE(logged("from filename => publisher simaddon"));
    EXPECT_TRUE(logged("\nTry to find publisher in: " + path.string()));
}

TEST_F(PublisherLookupTest, AliasInPathWinsOverManifest)
{
    const auto path = bgl("flytampa-eham");
    manifest(m_folder / "Community" / "flytampa-eham", R"({"creator":"Orbx"})");
    EXPECT_EQ(gf_findPublisher(path).publisher, "FlyTampa");
    EXPECT_TRUE(logged("publisher 'FlyTampa' found"));
}

TEST_F(PublisherLookupTest, ManifestRules)
{
    struct Case {
        const char* json;
        const char* publisher;
        const char* manufacturer;
        const char* creator;
        const char* line;
    };
    const Case cases[] = {
        {R"({"manufacturer":"Aerosoft GmbH","creator":"Orbx"})", "Aerosoft", "Aerosoft GmbH", "Orbx",
         "from manifest.json: manufacturer 'Aerosoft GmbH' => publisher 'Aerosoft'"},
        {R"({"manufacturer":"Nobody","creator":"ORBX Simulation"})", "Orbx", "Nobody", "ORBX Simulation",
         "from manifest.json: creator 'ORBX Simulation' => publisher 'Orbx'"},
        {R"({"manufacturer":null,"creator":"Someone","title":"X"})", "", "", "Someone", nullptr},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string package = "pkg-" + std::to_string(n++);
        const auto path = bgl(package);
        manifest(m_folder / "Community" / package, c.json);
        const PublisherInfo info = gf_findPublisher(path);
        EXPECT_EQ(info.publisher, c.publisher) << c.json;
        EXPECT_EQ(info.manufacturer, c.manufacturer) << c.json;
        EXPECT_EQ(info.creator, c.creator) << c.json;
        if (c.line) {
            EXPECT_TRUE(logged(c.line)) << c.json;
        }
    }
    EXPECT_TRUE(logged("no valid info found in manifest about publisher, manufacturer:'', creator:'Someone' " +
                       bgl("pkg-2").string()));
}

TEST_F(PublisherLookupTest, ManifestThatIsNotAnObjectDefersToTheParent)
{
    // Outside "Community" the search starts at the file's folder and walks up.
    const auto path = m_folder / "Official" / "OneStore" / "pkg" / "scenery" / "airport.bgl";
    std::filesystem::create_directories(path.parent_path());
    manifest(path.parent_path(), "[1, 2]");
    manifest(m_folder / "Official" / "OneStore" / "pkg", R"({"manufacturer":"FT-Design"})");
    const PublisherInfo info = gf_findPublisher(path);
    EXPECT_EQ(info.publisher, "FlyTampa");
    EXPECT_TRUE(logged((path.parent_path() / "manifest.json").string() + " found"));
}

TEST_F(PublisherLookupTest, NoManifestAndBrokenManifest)
{
    const auto path = bgl("unknown-dev-lfpg");
    EXPECT_EQ(gf_findPublisher(path).publisher, "");
    EXPECT_TRUE(logged("===> No publisher found"));

    manifest(m_folder / "Community" / "unknown-dev-lfpg", "{\"creator\": ");
    EXPECT_THROW(gf_findPublisher(path), std::exception);
}

TEST_F(PublisherLookupTest, ManifestFileIsFoundWithoutLetterCase)
{
    const auto folder = m_folder / "pkg";
    std::filesystem::create_directories(folder / "manifest.json.d");
    testsupport::writeFile(folder / "Manifest.JSON", "{}");
    EXPECT_EQ(lf_findManifestJson(folder), folder / "Manifest.JSON");
    EXPECT_TRUE(lf_findManifestJson(m_folder / "missing").empty());
}

} // namespace
