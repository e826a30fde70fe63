#include "support/reference_xml.h"

#include "refdata/data_crypt.h"

#include <fmt/format.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testsupport {

namespace {

std::string lf_escape(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

XmlRow lf_row(const std::string& element, const std::string& attribute, const std::string& value)
{
    return {element, {{attribute, value}}};
}

XmlRow lf_registration(const std::string& reg, const std::string& airline, const std::string& type,
                       const std::string& op, bool cargo = false)
{
    XmlRow row{"db", {{"reg", reg}, {"airl", airline}, {"type", type}, {"opr", op}}};
    if (cargo) {
        row.attributes.emplace_back("cargo", "true");
    }
    return row;
}

} // namespace

std::vector<XmlRow>& ReferenceXml::lf_section(const std::string& name)
{
    auto it = std::find_if(m_sections.begin(), m_sections.end(), [&](const auto& s) { return s.first == name; });
    if (it == m_sections.end()) {
        m_sections.emplace_back(name, std::vector<XmlRow>{});
        return m_sections.back().second;
    }
    return it->second;
}

ReferenceXml& ReferenceXml::add(const std::string& section, XmlRow row)
{
    lf_section(section).push_back(std::move(row));
    return *this;
}

ReferenceXml& ReferenceXml::clear(const std::string& section)
{
    lf_section(section).clear();
    return *this;
}

ReferenceXml& ReferenceXml::drop(const std::string& section)
{
    std::erase_if(m_sections, [&](const auto& s) { return s.first == section; });
    return *this;
}

std::string ReferenceXml::text() const
{
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n";
    for (const auto& [name, rows] : m_sections) {
        out += fmt::format("  <{}>\n", name);
        for (const auto& row : rows) {
            out += fmt::format("    <{}", row.element);
            for (const auto& [attribute, value] : row.attributes) {
                out += fmt::format(" {}=\"{}\"", attribute, lf_escape(value));
            }
            out += " />\n";
        }
        out += fmt::format("  </{}>\n", name);
    }
    return out + "</root>\n";
}

ReferenceXml smallDbase()
{
    ReferenceXml db;
    db.add("aircrafts", lf_row("aircraft", "types", "A320,A20N,A321,B738,B737,B744,B77W,A388,CRJ9,E190"))
        .add("aircrafts", lf_row("aircraft", "types", "AT76, DH8D, C172, H25B, C56X, EC35, R44, F16, CONC"))
        .add("high_performance", lf_row("hpf", "types", "F16,CONC"))
        .add("heavy", lf_row("hvy", "types", "B744,B77W,A388"))
        .add("large", lf_row("lar", "types", "A320,A20N,A321,B738,B737,CRJ9,E190,AT76,DH8D"))
        .add("buzjet", lf_row("bzj", "types", "H25B,C56X"))
        .add("rotorcraft", lf_row("rot", "types", "EC35,R44"))
        .add("cargo_types", lf_row("cargo_type", "types", "B744"))
        .add("similar_types", lf_row("similar", "types", "A321,A320,A20N"))
        .add("similar_types", lf_row("similar", "types", "B738,B737"))
        .add("ICAO_airlines", lf_row("ICAO", "codes", "DLH,BAW,AFR,KLM,UAE,FDX,UPS,EZY,RYR,GEC"))
        .add("cargo_operators", lf_row("ICAO", "codes", "FDX,UPS,GEC"))
        .add("publishers", lf_row("pub", "names", "FlyTampa,flytampa-"))
        .add("publishers", lf_row("pub", "names", "Aerosoft,aerosoft-,aero soft"))
        .add("publishers", lf_row("pub", "names", "iniBuilds,inibuilds-"))
        .add("wingspans", {"wingspan", {{"type", "A320"}, {"meters", "35.8"}}})
        .add("wingspans", {"wingspan", {{"type", "B738"}, {"meters", "35.79"}}})
        .add("wingspans", {"wingspan", {{"type", "B744"}, {"meters", "64.44"}}})
        .add("wingspans", {"wingspan", {{"type", "A388"}, {"meters", "79.75"}}})
        .add("wingspans", {"wingspan", {{"type", "C172"}, {"meters", "11.0"}}})
        .add("wingspans", {"wingspan", {{"type", "H25B"}, {"meters", "15.66"}}})
        .add("wingspans", {"wingspan", {{"type", "EC35"}, {"meters", "10.2"}}})
        .add("wingspans", {"wingspan", {{"type", "F16"}, {"meters", "9.96"}}})
        .add("fixes", {"fx", {{"wro", "A20"}, {"cor", "A20N"}}})
        .add("fixes", {"fx", {{"wro", "B77"}, {"cor", "B77W"}}})
        .add("simaddons20", lf_row("simaddon20", "arpts", "EDDF,KJFK,LOWW"))
        .add("thirdparties20", {"thirdpartie20", {{"pub", "Aerosoft"}, {"arpts", "EDDF 1, LOWW 2"}}})
        .add("thirdparties24", {"thirdpartie24", {{"pub", "iniBuilds"}, {"arpts", "KJFK 3"}}})
        .add("dbase", lf_registration("D-AIMA", "DLH", "A388", "DLH"))
        .add("dbase", lf_registration("D-AIPA", "DLH", "A320", "CLH"))
        .add("dbase", lf_registration("G-XLEA", "BAW", "A388", "BAW"))
        .add("dbase", lf_registration("N279FE", "FDX", "B77W", "FDX", true))
        .add("dbase", lf_registration("PH-BFA", "KLM", "B744", "KLM"))
        .add("dbase", lf_registration("EI-DCL", "RYR", "B738", "RYR"))
        .add("dbase", lf_registration("HBJRA", "", "C56X", ""));
    return db;
}

ReferenceXml largeDbase(std::size_t registrations)
{
    static const char* const airlines[] = {"DLH", "BAW", "AFR", "KLM", "UAE", "FDX", "UPS", "EZY", "RYR"};
    static const char* const types[] = {"A320", "A20N", "B738", "B744", "B77W", "A388", "CRJ9", "E190"};
    ReferenceXml db = smallDbase();
    for (std::size_t i = 0; i < registrations; ++i) {
        db.add("dbase", lf_registration(fmt::format("X-{:06}", i), airlines[i % 9], types[i % 8], airlines[(i + 1) % 9],
                                        i % 7 == 0));
    }
    return db;
}

XmlRow airportRow(const std::string& code, const std::string& iata, double lat, double lon, double alt, int stands)
{
    return {"airport",
            {{"code", code},
             {"iata", iata},
             {"lat", fmt::format("{}", lat)},
             {"lon", fmt::format("{}", lon)},
             {"alt", fmt::format("{}", alt)},
             {"stands", fmt::format("{}", stands)}}};
}

ReferenceXml smallAirports()
{
    ReferenceXml xml;
    xml.add("airports", airportRow("LOWW", "VIE", 48.110278, 16.569722, 600, 160))
        .add("airports", airportRow("EDDF", "FRA", 50.033333, 8.570556, 364, 250))
        .add("airports", airportRow("EGLL", "LHR", 51.4775, -0.461389, 83, 220))
        .add("airports", airportRow("KJFK", "JFK", 40.639722, -73.778889, 13, 180))
        .add("airports", airportRow("EDDM", "MUC", 48.353889, 11.786111, 1487, 200))
        .add("airports", airportRow("LFPG", "CDG", 49.009722, 2.547778, 392, 300))
        .add("airports", airportRow("EDFE", "", 49.961111, 8.643611, 384, 0));
    return xml;
}

ReferenceXml largeAirports(std::size_t count)
{
    ReferenceXml xml;
    for (std::size_t i = 0; i < count; ++i) {
        // A spread that does not line up with the code order.
        const double lat = -80.0 + static_cast<double>((i * 7919) % 16000) / 100.0;
        const double lon = -180.0 + static_cast<double>((i * 104729) % 36000) / 100.0;
        const std::string code = fmt::format("{}{:03}", static_cast<char>('A' + (i / 1000) % 26), i % 1000);
        xml.add("airports", airportRow(code + (i >= 26000 ? "X" : ""), "", lat, lon, 100.0, static_cast<int>(i % 50)));
    }
    return xml;
}

std::filesystem::path writeEncryptedInput(const std::filesystem::path& folder, const std::string& name,
                                          const std::string& plain)
{
    const auto path = folder / "input" / name;
    std::filesystem::create_directories(path.parent_path());
    std::istringstream in(plain);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    gf_streamEncrypt(g_dataFileKey, in, out);
    if (!out) {
        throw std::runtime_error("fixture: could not write " + path.string());
    }
    return path;
}

void writeSmallReferenceData(const std::filesystem::path& folder)
{
    writeEncryptedInput(folder, "dbase.enc", smallDbase().text());
    writeEncryptedInput(folder, "airports.enc", smallAirports().text());
}

} // namespace testsupport
