#include "support/park_file_builder.h"

#include <fmt/format.h>

namespace testsupport {

namespace {

std::string optXml(const OptFixture& opt)
{
    std::string xml = fmt::format(R"(      <opt reg="{}")", opt.reg);
    if (!opt.airl.empty()) {
        xml += fmt::format(R"( airl="{}")", opt.airl);
    }
    if (!opt.type.empty()) {
        xml += fmt::format(R"( type="{}")", opt.type);
    }
    if (opt.soft) {
        xml += R"( soft="true")";
    }
    xml += fmt::format(R"( day="{}" hh="{}")", opt.day, opt.hh);
    if (!opt.cs.empty()) {
        xml += fmt::format(R"( cs="{}")", opt.cs);
    }
    if (opt.cpl) {
        xml += R"( cpl="true")";
    }
    return xml + " />\n";
}

} // namespace

std::string parkFileXml(const std::vector<StandFixture>& stands, const std::string& parameters)
{
    std::string xml = "<?xml version=\"1.0\"?>\n<root>\n"
                      "  <meta>\n"
                      "    <info name=\"author\" value=\"Skyweaver\" />\n"
                      "    <info name=\"version\" value=\"11.10.8\" />\n"
                      "    <info name=\"copyright\" value=\"test\" />\n"
                      "    <info name=\"sim\" value=\"1\" />\n"
                      "  </meta>\n"
                      "  <parameters>\n" +
                      parameters + "  </parameters>\n  <parkpositions>\n";
    for (const StandFixture& stand : stands) {
        xml += fmt::format(R"(    <parkpos id="{}" latitude="{:.6f}" longitude="{:.6f}" heading="{:.1f}" radius="{:.1f}" {}>)",
                           stand.id, stand.latitude, stand.longitude, stand.heading, stand.radius,
                           stand.extraAttributes);
        xml += "\n";
        for (const OptFixture& opt : stand.opts) {
            xml += optXml(opt);
        }
        xml += "    </parkpos>\n";
    }
    return xml + "  </parkpositions>\n</root>\n";
}

std::vector<StandFixture> largeAirportStands(int standCount, int optionsPerStand)
{
    constexpr int kColumns = 40;
    constexpr double kDegreesPer60m = 60.0 / 1852.0 / 60.0;
    std::vector<StandFixture> stands;
    stands.reserve(static_cast<std::size_t>(standCount));
    for (int i = 0; i < standCount; ++i) {
        StandFixture stand;
        stand.id = fmt::format("A{}", i + 1);
        stand.latitude = 50.0 + (i / kColumns) * kDegreesPer60m;
        stand.longitude = 8.0 + (i % kColumns) * kDegreesPer60m * 1.5;
        stand.heading = (i * 37) % 360;
        stand.radius = 25.0 + (i % 11);
        for (int k = 0; k < optionsPerStand; ++k) {
            const int first = (k * 7 + i) % 44;
            stand.opts.push_back({fmt::format("D-A{:03}", (i * optionsPerStand + k) % 900), "DLH", "A320",
                                  fmt::format("DLH{}", 100 + k), k % 7 + 1, fmt::format("{}:{}", first, first + 3),
                                  k % 5 == 0, k % 3 == 0});
        }
        stands.push_back(std::move(stand));
    }
    return stands;
}

} // namespace testsupport
