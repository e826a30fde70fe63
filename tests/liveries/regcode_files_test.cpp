#include "liveries/regcodes.h"
#include "support/livery_fixtures.h"
#include "support/log_capture.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

using testsupport::LogCapture;
using testsupport::TempFolder;
using testsupport::writeFile;

namespace {

struct Expected {
    std::string title;
    std::list<std::string> regs;
    bool special;
};

void expectRecords(const std::list<RegcodeRecord>& records, const std::vector<Expected>& expected)
{
    ASSERT_EQ(records.size(), expected.size());
    auto record = records.begin();
    for (const Expected& e : expected) {
        EXPECT_EQ(record->title, e.title);
        EXPECT_EQ(record->regs, e.regs) << e.title;
        EXPECT_EQ(record->special, e.special) << e.title;
        ++record;
    }
}

} // namespace

TEST(RegcodeFiles, LineGrammar)
{
    TempFolder folder(true);
    LogCapture log;
    writeFile("my_regcodes/a.TXT", "Title One; ABC\n"
                                   "Title Two ; D-ABCD , D-ABCE\n"
                                   "Title Three;D-ABCF,D-ABCG;#\n"
                                   "Title Four;D-ABCH,X;#\n"
                                   "\n"
                                   "   \r\n"
                                   "Do Not Use\n"
                                   "Nothing;\n"
                                   "Short;AB\n"
                                   "a;b;c;d\n"
                                   "Title Five; ABCDEFGHIJKLM , ABCDEFGHIJKL\n"
                                   "Only Short;A,B\n");
    std::list<RegcodeRecord> records;
    EXPECT_FALSE(gf_readRegcodeFiles("my_regcodes", records));
    expectRecords(records, {{"Title One", {"ABC"}, true},
                            {"Title Two", {"D-ABCD", "D-ABCE"}, false},
                            {"Title Three", {"D-ABCF", "D-ABCG"}, true},
                            {"Title Four", {"D-ABCH"}, true},
                            {"Do Not Use", {}, false},
                            {"Title Five", {"ABCDEFGHIJKL"}, false}});
    const std::vector<std::string> expectedLog = {
        "Processing regcodes file 'my_regcodes/a.TXT'",
        "==> wrong regcode length 'X' in my_regcodes/a.TXT",
        "==> wrong regcode length 'AB' in my_regcodes/a.TXT",
        "==> my_regcodes/a.TXT: wrong format 'a;b;c;d'",
        "==> wrong regcode length 'ABCDEFGHIJKLM' in my_regcodes/a.TXT",
        "==> wrong regcode length 'A' in my_regcodes/a.TXT",
        "==> wrong regcode length 'B' in my_regcodes/a.TXT",
        "==> Only Short ; regs empty?",
        "6 liveries",
    };
    EXPECT_EQ(log.lines(), expectedLog);
}

TEST(RegcodeFiles, OnlyTxtFilesOfTheFolderAreRead)
{
    TempFolder folder(true);
    LogCapture log;
    writeFile("my_regcodes/lower.txt", "Lower;ABC\n");
    writeFile("my_regcodes/notes.TXT.bak", "Backup;DEF\n");
    writeFile("my_regcodes/sub/deep.TXT", "Deep;GHI\n");
    std::list<RegcodeRecord> records;
    EXPECT_TRUE(gf_readRegcodeFiles("my_regcodes", records));
    expectRecords(records, {{"Lower", {"ABC"}, true}});
    EXPECT_TRUE(log.contains("1 livery"));
}

TEST(RegcodeFiles, MissingFolderAndXmlAreReportedPlainly)
{
    TempFolder folder(true);
    LogCapture log;
    std::list<RegcodeRecord> records;
    EXPECT_FALSE(gf_readRegcodeFiles("my_regcodes", records));
    EXPECT_FALSE(gf_readAigRegcodesXml(records));
    ASSERT_EQ(log.lines().size(), 2u);
    EXPECT_EQ(log.lines()[0].rfind("Error reading regcode files in my_regcodes, what: ", 0), 0u);
    EXPECT_EQ(log.lines()[1].rfind("Failed to load ", 0), 0u);
    EXPECT_NE(log.lines()[1].find("AIG-regcodes.xml"), std::string::npos);
}

TEST(RegcodeFiles, AigFileSkipsAdjacentDuplicateTitles)
{
    TempFolder folder(true);
    LogCapture log;
    writeFile("input/AIG-regcodes.xml",
                           R"(<root><meta><info name="copyright" value="c"/></meta><AIG-regcodes>
                              <livery title="A" reg="D-AAAA, D-AAAB"/>
                              <livery title="A" reg="D-AAAC"/>
                              <livery title="B" reg="D-BBBB" special="true"/>
                              <livery title="A" reg=""/>
                              </AIG-regcodes></root>)");
    std::list<RegcodeRecord> records;
    EXPECT_FALSE(gf_readAigRegcodesXml(records));
    expectRecords(records, {{"A", {"D-AAAA", "D-AAAB"}, false}, {"B", {"D-BBBB"}, true}, {"A", {}, false}});
    EXPECT_TRUE(log.contains("==> Duplicate title 'A' (same as previous)"));
    EXPECT_TRUE(log.contains("3 liveries read from input/AIG-regcodes.xml"));
    EXPECT_FALSE(std::filesystem::exists("input/AIG-regcodes.xml"));
}

TEST(RegcodeFiles, AigFileWithoutSectionOrHeaderIsRefused)
{
    TempFolder folder(true);
    LogCapture log;
    std::list<RegcodeRecord> records;
    writeFile("input/AIG-regcodes.xml", R"(<root><meta><info name="copyright" value="c"/></meta></root>)");
    EXPECT_FALSE(gf_readAigRegcodesXml(records));
    EXPECT_TRUE(log.contains("==> No <AIG-regcodes> node found in XML."));
    writeFile("input/AIG-regcodes.xml", R"(<root><AIG-regcodes><livery title="A" reg="ABC"/></AIG-regcodes></root>)");
    EXPECT_FALSE(gf_readAigRegcodesXml(records));
    EXPECT_TRUE(records.empty());
}

TEST(RegcodeFiles, DontUseTitlesFromAigFileAndUserFiles)
{
    TempFolder folder(true);
    LogCapture log;
    testsupport::writeAigRegcodes(folder.path(), {testsupport::aigLivery("Never A", ""),
                                                  testsupport::aigLivery("Used", "D-AAAA"),
                                                  testsupport::aigLivery("Never B", "")});
    writeFile("input/my_regcodes/mine.txt", "Never C\nUsed too;ABC\n");
    lf_loadDontUseTitles();
    EXPECT_EQ(g_dontUseTitles, (std::vector<std::string>{"Never A", "Never B", "Never C"}));
    EXPECT_TRUE(log.contains("2 don't use titles read"));
    EXPECT_TRUE(log.contains("1 don't use title read from files in input/my_regcodes"));
    EXPECT_FALSE(std::filesystem::exists("input/AIG-regcodes.xml"));
}
