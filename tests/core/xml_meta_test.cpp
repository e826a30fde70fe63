#include "core/clock.h"
#include "core/log.h"
#include "core/xml_meta.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

using namespace std::chrono;
using testsupport::readFile;
using testsupport::TempFolder;

namespace {

pugi::xml_document parse(const char* xml)
{
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_string(xml));
    return doc;
}

XmlMeta written(const char* version, int sim)
{
    XmlMeta meta;
    meta.version = version;
    meta.sim = sim;
    return meta;
}

std::string logLines()
{
    {
        std::lock_guard lock(g_logMutex);
        g_logFile.close();
    }
    const std::string log = readFile("Log.txt");
    return log.substr(log.find('\n') + 1);
}

} // namespace

TEST(XmlMeta, WritesFiveEntriesUnderRoot)
{
    clk::freeze(sys_days{year{2026} / 12 / 6} + hours{9});
    pugi::xml_document doc;
    ASSERT_TRUE(gf_writeXmlMeta(doc, written("11.10.8", 2)));
    std::ostringstream out;
    doc.save(out, "  ", pugi::format_indent | pugi::format_no_declaration);
    EXPECT_EQ(out.str(), "<root>\n"
                         "  <meta>\n"
                         "    <info name=\"author\" value=\"Skyweaver\" />\n"
                         "    <info name=\"version\" value=\"11.10.8\" />\n"
                         "    <info name=\"date\" value=\"Dec 06, 2026\" />\n"
                         "    <info name=\"copyright\" value=\"Copyright (c) Skyweaver. All rights reserved.\" />\n"
                         "    <info name=\"sim\" value=\"2\" />\n"
                         "  </meta>\n"
                         "</root>\n");
    const std::optional<XmlMeta> back = gf_readXmlMeta(doc, false);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->author, "Skyweaver");
    EXPECT_EQ(back->version, "11.10.8");
    EXPECT_EQ(back->date, "Dec 06, 2026");
    EXPECT_EQ(back->sim, 2);
}

TEST(XmlMeta, WritesIntoAnExistingRoot)
{
    pugi::xml_document doc = parse("<root><stands/></root>");
    ASSERT_TRUE(gf_writeXmlMeta(doc, written("1.2.3", 1)));
    EXPECT_EQ(std::distance(doc.children("root").begin(), doc.children("root").end()), 1);
    EXPECT_TRUE(doc.child("root").child("meta"));
}

TEST(XmlMeta, AcceptAndRefuseRules)
{
    struct Case {
        const char* why;
        const char* xml;
        bool simOptional;
        bool accepted;
        const char* log;
    };
    const Case cases[] = {
        {"complete", "<root><meta><info name='copyright' value='c'/><info name='sim' value='1'/></meta></root>", false,
         true, ""},
        {"empty copyright", "<root><meta><info name='author' value='a'/><info name='copyright' value=''/>"
         "<info name='sim' value='1'/></meta></root>", true, false, "==> no copyright info in the file?\n"},
        {"no copyright", "<root><meta><info name='sim' value='1'/></meta></root>", true, false, ""},
        {"no meta", "<root><stands/></root>", true, false, ""},
        {"no simulator", "<root><meta><info name='copyright' value='c'/></meta></root>", false, false, ""},
        {"simulator optional", "<root><meta><info name='copyright' value='c'/></meta></root>", true, true, ""},
        {"older P3D header", "<root><meta><info name='copyright' value='c'/><info name='P3D' value='v4'/></meta></root>",
         false, true, ""},
        {"names compared with case", "<root><meta><info name='Copyright' value='c'/><info name='sim' value='1'/>"
         "</meta></root>", true, false, ""},
        {"meta without root", "<meta><info name='copyright' value='c'/><info name='MSFS' value='x'/></meta>", false,
         true, ""},
    };
    for (const Case& c : cases) {
        TempFolder folder(true);
        gf_openLogFile();
        const pugi::xml_document doc = parse(c.xml);
        EXPECT_EQ(gf_readXmlMeta(doc, c.simOptional).has_value(), c.accepted) << c.why;
        EXPECT_EQ(logLines(), c.log) << c.why;
    }
}

TEST(XmlMeta, FirstEntryOfEachNameWins)
{
    const pugi::xml_document doc =
        parse("<root><meta><info name='version' value='1.0.0'/><info name='copyright' value='c'/>"
              "<info name='version' value='2.0.0'/><info name='P3D' value='p'/><info name='sim' value='2'/>"
              "<info name='sim' value='1'/><info name='copyright' value=''/></meta></root>");
    const std::optional<XmlMeta> meta = gf_readXmlMeta(doc, false);
    ASSERT_TRUE(meta);
    EXPECT_EQ(meta->version, "1.0.0");
    EXPECT_EQ(meta->p3d, "p");
    EXPECT_EQ(meta->sim, 2);
}

TEST(XmlMeta, HeaderWithoutSimReadsSimZero)
{
    const pugi::xml_document doc =
        parse("<root><meta><info name='copyright' value='c'/><info name='P3D' value='x'/></meta></root>");
    const std::optional<XmlMeta> meta = gf_readXmlMeta(doc, false);
    ASSERT_TRUE(meta);
    EXPECT_EQ(meta->sim, 0);
}
