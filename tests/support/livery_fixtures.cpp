#include "support/livery_fixtures.h"

#include "support/temp_folder.h"

#include <fmt/format.h>

namespace testsupport {

std::string liveriesScannedXml(const std::vector<LiveryData>& liveries)
{
    ReferenceXml xml;
    xml.add("meta", {"info", {{"name", "author"}, {"value", "Skyweaver"}}})
        .add("meta", {"info", {{"name", "version"}, {"value", "11.10.8"}}})
        .add("meta", {"info", {{"name", "copyright"}, {"value", "test"}}})
        .add("meta", {"info", {{"name", "sim"}, {"value", "1"}}})
        .clear("liveries");
    for (const LiveryData& livery : liveries) {
        XmlRow row{"liv", {{"airl", livery.airl}, {"type", livery.type}}};
        if (livery.cargo) {
            row.attributes.emplace_back("cargo", "true");
        }
        row.attributes.emplace_back("title", livery.title);
        if (!livery.atcid.empty()) {
            row.attributes.emplace_back("atcid", livery.atcid);
        }
        xml.add("liveries", std::move(row));
    }
    return xml.text();
}

void writeLiveriesScanned(const std::filesystem::path& folder, const std::vector<LiveryData>& liveries)
{
    writeFile(folder / "output" / "LiveriesScanned.xml", liveriesScannedXml(liveries));
}

std::vector<LiveryData> fixtureLiveries()
{
    struct Fleet {
        const char* airline;
        std::vector<const char*> types;
        int perType;
        bool cargo;
    };
    const Fleet fleets[] = {
        {"DLH", {"A320", "A321", "B744", "A388", "CRJ9"}, 12, false},
        {"BAW", {"A320", "A388", "B77W", "E190"}, 10, false},
        {"AFR", {"A320", "B77W", "A388"}, 10, false},
        {"KLM", {"B738", "B77W", "E190"}, 10, false},
        {"RYR", {"B738"}, 20, false},
        {"EZY", {"A320", "A20N"}, 15, false},
        {"UAE", {"A388", "B77W"}, 12, false},
        {"FDX", {"B77W"}, 8, true},
        {"GEC", {"B744"}, 6, true},
        {"ZZZ", {"A320", "B738", "AT76", "DH8D"}, 3, false},
        {"PVT", {"H25B", "C56X"}, 4, false},
    };
    std::vector<LiveryData> liveries;
    int registration = 0;
    for (const Fleet& fleet : fleets) {
        for (const char* type : fleet.types) {
            for (int k = 0; k < fleet.perType; ++k) {
                LiveryData livery;
                livery.airl = fleet.airline;
                livery.type = type;
                livery.title = fmt::format("{} {} livery {:02}", fleet.airline, type, k + 1);
                livery.cargo = fleet.cargo || (std::string_view(type) == "B744" && k % 4 == 3);
                if (k % 3 == 0) {
                    livery.atcid = fmt::format("T-{:04}", ++registration);
                }
                livery.folderIndex = 1;
                liveries.push_back(std::move(livery));
            }
        }
    }
    return liveries;
}

std::vector<LiveryData> largeLiveries(std::size_t count, std::size_t registrations)
{
    std::vector<LiveryData> liveries;
    liveries.reserve(count);
    std::size_t registered = 0;
    for (std::size_t i = 0; i < count; ++i) {
        LiveryData livery;
        livery.airl = fmt::format("A{:02}", i % 300);
        livery.type = fmt::format("T{:03}", (i / 300) % 40);
        livery.title = fmt::format("Livery {:06} of {} {}", i, livery.airl, livery.type);
        livery.cargo = i % 17 == 0;
        if (i % 3 == 0 && registered < registrations) {
            livery.atcid = fmt::format("R{:06}", registered++);
        }
        liveries.push_back(std::move(livery));
    }
    return liveries;
}

XmlRow aigLivery(const std::string& title, const std::string& regs, bool special)
{
    XmlRow row{"livery", {{"title", title}, {"reg", regs}}};
    if (special) {
        row.attributes.emplace_back("special", "true");
    }
    return row;
}

std::string aigRegcodesXml(const std::vector<XmlRow>& liveries)
{
    ReferenceXml xml;
    xml.add("meta", {"info", {{"name", "copyright"}, {"value", "test"}}}).clear("AIG-regcodes");
    for (const XmlRow& row : liveries) {
        xml.add("AIG-regcodes", row);
    }
    return xml.text();
}

void writeAigRegcodes(const std::filesystem::path& folder, const std::vector<XmlRow>& liveries)
{
    writeEncryptedInput(folder, "AIG-regcodes.enc", aigRegcodesXml(liveries));
}

} // namespace testsupport
