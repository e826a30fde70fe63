#include "core/path_text.h"
#include "core/xml_file.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using testsupport::readFile;
using testsupport::TempFolder;
using testsupport::writeFile;

TEST(XmlFile, SavesWithOneUtf8DeclarationAndTwoBlankIndent)
{
    TempFolder folder;
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><root><a v=\"\xC3\xA9\"/></root>"));
    const fs::path path = folder.path() / "J\xC3\xB6rg" / "parameters.xml";
    fs::create_directories(path.parent_path());
    ASSERT_TRUE(gf_saveXmlFile(doc, path));
    EXPECT_EQ(readFile(path), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                              "<root>\n"
                              "  <a v=\"\xC3\xA9\" />\n"
                              "</root>\n");
    EXPECT_FALSE(fs::exists(path.string() + ".tmp"));
    pugi::xml_document back;
    ASSERT_TRUE(gf_loadXmlFile(back, path));
    EXPECT_STREQ(back.child("root").child("a").attribute("v").value(), "\xC3\xA9");
}

TEST(XmlFile, FailedSaveLeavesTheOldFileAlone)
{
    TempFolder folder;
    const fs::path path = folder / "park.xml";
    writeFile(path, "<good/>");
    // A folder where the temporary file would go makes the save fail.
    fs::create_directories(folder / "park.xml.tmp");
    pugi::xml_document doc;
    doc.append_child("root");
    EXPECT_FALSE(gf_saveXmlFile(doc, path));
    EXPECT_EQ(readFile(path), "<good/>");
}

TEST(XmlFile, LoadReportsMissingAndDamagedFiles)
{
    TempFolder folder;
    pugi::xml_document doc;
    EXPECT_EQ(gf_loadXmlFile(doc, folder / "missing.xml").status, pugi::status_file_not_found);
    writeFile(folder / "bad.xml", "<root><open></root>");
    EXPECT_FALSE(gf_loadXmlFile(doc, folder / "bad.xml"));
}
