#include "support/aircraft_cfg_tree.h"

#include "support/temp_folder.h"

#include <fmt/format.h>

#include <map>
#include <utility>

namespace testsupport {

namespace {

void lf_line(std::string& text, const std::string& key, const std::string& value)
{
    if (!value.empty()) {
        text += fmt::format("{} = {}\r\n", key, value);
    }
}

} // namespace

std::string aircraftCfg(const std::string& type, const std::vector<CfgLivery>& liveries)
{
    std::string text = "[VERSION]\r\nmajor = 1\r\nminor = 0\r\n\r\n";
    for (std::size_t i = 0; i < liveries.size(); ++i) {
        const CfgLivery& livery = liveries[i];
        text += fmt::format("[FLTSIM.{}]\r\n", i);
        lf_line(text, "title", livery.title);
        lf_line(text, "model", "\"\"");
        lf_line(text, "texture", fmt::format("\"T{}\"", i));
        lf_line(text, "icao_airline", livery.airline);
        lf_line(text, "atc_id", livery.atcId);
        lf_line(text, "atc_parking_types", livery.parking);
        for (const std::string& line : livery.extra) {
            text += line + "\r\n";
        }
        text += "\r\n";
    }
    text += "[GENERAL]\r\ncategory = airplane\r\n";
    lf_line(text, "icao_type_designator", type.empty() ? "" : "\"" + type + "\"");
    return text;
}

std::filesystem::path writeAircraftCfg(const std::filesystem::path& package, const std::string& model,
                                       const std::string& text)
{
    const auto path = package / "SimObjects" / "Airplanes" / model / "aircraft.cfg";
    std::filesystem::create_directories(path.parent_path());
    writeFile(path, text);
    return path;
}

void writeAiPackage(const std::filesystem::path& community, const std::string& package, const std::string& type,
                    const std::string& airline, std::size_t count)
{
    std::vector<CfgLivery> liveries;
    for (std::size_t i = 0; i < count; ++i) {
        liveries.push_back({fmt::format("{} {} {} {}", package, type, airline, i + 1), airline, "", "GATE"});
    }
    writeAircraftCfg(community / package, fmt::format("{}_{}", type, airline), aircraftCfg(type, liveries));
}

void writeAiPackage(const std::filesystem::path& community, const std::string& package,
                    const std::vector<LiveryData>& liveries)
{
    std::map<std::pair<std::string, std::string>, std::vector<CfgLivery>> models;
    for (const LiveryData& livery : liveries) {
        const std::string atcId = livery.atcid.empty() ? "" : fmt::format("\"{}\"", livery.atcid);
        models[{livery.airl, livery.type}].push_back(
            {livery.title, livery.airl, atcId, livery.cargo ? "CARGO" : "GATE"});
    }
    for (const auto& [model, sections] : models) {
        writeAircraftCfg(community / package, fmt::format("{}_{}", model.second, model.first),
                         aircraftCfg(model.second, sections));
    }
}

std::vector<std::filesystem::path> writeLargeCfgTree(const std::filesystem::path& root, std::size_t files,
                                                     std::size_t sections)
{
    static const char* const types[] = {"A320", "A20N", "B738", "B744", "B77W", "A388", "CRJ9", "E190"};
    static const char* const airlines[] = {"DLH", "BAW", "AFR", "KLM", "UAE", "FDX", "UPS", "EZY", "RYR"};
    std::vector<std::filesystem::path> paths;
    paths.reserve(files);
    for (std::size_t file = 0; file < files; ++file) {
        const char* type = types[file % 8];
        std::vector<CfgLivery> liveries;
        for (std::size_t section = 0; section < sections; ++section) {
            const char* airline = airlines[(file + section) % 9];
            liveries.push_back({fmt::format("AI {} {} {:05}-{:02}", type, airline, file, section), airline,
                                fmt::format("\"X-{:06}\" ; registration", (file * sections + section) % 1000000),
                                section % 4 == 0 ? "CARGO" : "GATE_MEDIUM, RAMP_GA",
                                {"ui_variation = \"AI livery\"", "description = \"synthetic\"",
                                 "// a commented line"}});
        }
        const auto model = fmt::format("{}_{:05}", type, file);
        paths.push_back(writeAircraftCfg(root / fmt::format("package_{:02}", file % 20), model, aircraftCfg(type, liveries)));
    }
    return paths;
}

} // namespace testsupport
