// Writing park files: generated files from scenery and the learned file of the park airport.
#include "parking/apf.h"

#include "core/checked_round.h"
#include "core/file_replace.h"
#include "core/log.h"
#include "core/path_text.h"
#include "core/program_version.h"
#include "core/settings.h"
#include "core/text_lines.h"
#include "core/xml_meta.h"
#include "parking/learned_kept_aside.h"
#include "refdata/aircraft_db.h"

#include <fmt/format.h>

#include <array>
#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace {

const char* lf_boolText(bool value)
{
    return value ? "true" : "false";
}

bool lf_addAttribute(pugi::xml_node node, const char* name, const std::string& value)
{
    return node.append_attribute(name).set_value(value.c_str());
}

// A number with a fixed count of decimals, formatted in place without a temporary string: a
// generated file holds four of them per stand. The text is the same as "{:.Nf}" gives.
bool lf_addFixed(pugi::xml_node node, const char* name, double value, int decimals)
{
    // Room for the largest double written out in full with its decimals.
    std::array<char, 400> text;
    const auto [end, error] =
        std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, decimals);
    if (error != std::errc{}) {
        return lf_addAttribute(node, name, fmt::format("{:.{}f}", value, decimals));
    }
    return node.append_attribute(name).set_value(text.data(), static_cast<std::size_t>(end - text.data()));
}

bool lf_addParameter(pugi::xml_node parameters, const char* name, const std::string& value)
{
    pugi::xml_node parameter = parameters.append_child("parameter");
    return parameter && lf_addAttribute(parameter, "name", name) && lf_addAttribute(parameter, "value", value);
}

// The airport's own copies of the settings a learned file carries.
bool lf_writeAirportSettings(pugi::xml_node parameters)
{
    const int maxFit = gf_roundToInt32(2.0 * static_cast<double>(MAX_FIT_FL.value)) - 1;
    return lf_addParameter(parameters, "RANGE", fmt::format("{}", RANGE.value.load())) &&
           lf_addParameter(parameters, "AUTO_RANGE", lf_boolText(AUTO_RANGE.value)) &&
           lf_addParameter(parameters, "WEEK", lf_boolText(WEEK.value)) &&
           lf_addParameter(parameters, "PARK_SOFT", lf_boolText(PARK_SOFT.value)) &&
           lf_addParameter(parameters, "parking_percentage", fmt::format("{}", parking_percentage.value.load())) &&
           lf_addParameter(parameters, "INITIAL_LOAD_ONLY", lf_boolText(INITIAL_LOAD_ONLY.value)) &&
           lf_addParameter(parameters, "MAX_FIT", fmt::format("{}", maxFit)) &&
           lf_addParameter(parameters, "MAX_LIVE_SEL", fmt::format("{}", MAX_LIVE_SEL.value.load()));
}

void lf_writePosition(pugi::xml_node parkpos, const Stand& stand)
{
    lf_addFixed(parkpos, "latitude", stand.latitude, 6);
    lf_addFixed(parkpos, "longitude", stand.longitude, 6);
    lf_addFixed(parkpos, "heading", stand.heading * kRadToDeg, 1);
    lf_addFixed(parkpos, "radius", stand.radius * kMetersPerNm, 1);
    if (stand.heli) {
        lf_addAttribute(parkpos, "heli", "true");
    } else {
        lf_addAttribute(parkpos, "cargo", lf_boolText(stand.cargo));
    }
    lf_addAttribute(parkpos, "ramp", lf_boolText(stand.ramp));
    if (stand.manual) {
        lf_addAttribute(parkpos, "manual", "true");
    }
}

// Only the changes a learned file makes to a reference stand.
void lf_writeChanges(pugi::xml_node parkpos, const Stand& stand)
{
    if (stand.radius_change) {
        lf_addAttribute(parkpos, "radius_change", "true");
        lf_addFixed(parkpos, "radius", stand.radius * kMetersPerNm, 1);
    }
    if (stand.cargo_change) {
        lf_addAttribute(parkpos, "cargo_change", "true");
        lf_addAttribute(parkpos, "cargo", lf_boolText(stand.cargo));
    }
}

// "lo:hi" for one run; a set with gaps (a handmade file may hold one) as the list of its
// slots "a,b,c", which the reader takes as well.
std::optional<std::string> lf_hoursText(const HalfHourBitset& hh)
{
    if (std::optional<std::string> run = gf_bitset2hours(hh)) {
        return run;
    }
    std::string list;
    for (std::size_t slot = 0; slot < hh.size(); ++slot) {
        if (hh.test(slot)) {
            list += list.empty() ? fmt::format("{}", slot) : fmt::format(",{}", slot);
        }
    }
    return list.empty() ? std::nullopt : std::optional<std::string>(std::move(list));
}

void lf_writeOption(pugi::xml_node parkpos, const ParkOpt& option)
{
    const std::optional<std::string> hours = lf_hoursText(option.hh);
    if (!hours) {
        gf_logMarked(fmt::format("bit set problem: {} {} {}", option.reg, option.cs,
                                 fmt::format("{:3} {:4}", option.airl, option.type)));
        return;
    }
    pugi::xml_node opt = parkpos.append_child("opt");
    lf_addAttribute(opt, "reg", option.reg);
    if (gf_registrationEntry(option.reg) == nullptr) {
        lf_addAttribute(opt, "airl", option.airl);
        lf_addAttribute(opt, "type", option.type);
    }
    if (option.real == 0) {
        lf_addAttribute(opt, "soft", "true");
    }
    opt.append_attribute("day").set_value(option.day);
    lf_addAttribute(opt, "hh", *hours);
    if (!option.cs.empty()) {
        lf_addAttribute(opt, "cs", option.cs2.empty() ? option.cs : option.cs + ":" + option.cs2);
    }
    if (option.cpl) {
        lf_addAttribute(opt, "cpl", "true");
    }
}

// A handmade file holds its stands whole (with their current radius and cargo flag), and so
// does a manual stand; a reference stand gets only its changes.
void lf_writeLearnedStand(pugi::xml_node parkpos, const Stand& stand)
{
    if (stand.manual || g_apfHandmade) {
        lf_writePosition(parkpos, stand);
    } else if (stand.radius_change || stand.cargo_change) {
        lf_writeChanges(parkpos, stand);
    }
    for (const ParkOpt& option : stand.options) {
        if (option.seq != 0) {
            lf_writeOption(parkpos, option);
        }
    }
}

// Collects the saved document in memory, so the file is written with one call.
class StringWriter : public pugi::xml_writer {
public:
    void write(const void* data, std::size_t size) override { text.append(static_cast<const char*>(data), size); }

    std::string text;
};

bool lf_saveDocument(const pugi::xml_document& document, const std::filesystem::path& path)
{
    StringWriter writer;
    document.save(writer, "  ");
    return gf_replaceFile(path, [&](const std::filesystem::path& temporary) {
        return gf_writeTextFile(temporary, writer.text, false);
    });
}

} // namespace

bool lf_writeApfHeader(pugi::xml_node root, const Apf& apf, int mode)
{
    pugi::xml_node parameters = root.append_child("parameters");
    if (!parameters) {
        return false;
    }
    const bool generated = mode == kApfGenerated;
    // The handmade flag belongs to the park airport: a generated file is never handmade.
    const bool handmade = !generated && g_apfHandmade;
    bool ok = lf_addParameter(parameters, "airport_name", apf.airport_name) &&
              lf_addParameter(parameters, "publisher", apf.publisher);
    if (ok && handmade) {
        ok = lf_addParameter(parameters, "handmade", "true");
    }
    if (ok && (generated || handmade)) {
        ok = lf_addParameter(parameters, "altitude", fmt::format("{}", apf.altitude));
    }
    if (ok && generated) {
        ok = lf_addParameter(parameters, "num_parkpos", fmt::format("{}", apf.stands.size()));
    }
    if (ok && handmade) {
        ok = lf_addParameter(parameters, "Qf_real", fmt::format("{}", apf.Qf_real)) &&
             lf_addParameter(parameters, "Qf_soft", fmt::format("{}", apf.Qf_soft));
    }
    if (ok && apf.publisher.empty()) {
        ok = lf_addParameter(parameters, "BGLpath", apf.BGLpath) &&
             lf_addParameter(parameters, "manufacturer", apf.manufacturer) &&
             lf_addParameter(parameters, "creator", apf.creator);
    }
    if (ok && !generated) {
        ok = lf_writeAirportSettings(parameters);
    }
    return ok;
}

bool gf_writeApf(const Apf& apf, const std::filesystem::path& path, int mode, int sim)
{
    pugi::xml_document document;
    XmlMeta meta;
    meta.version = gf_programVersionText();
    meta.sim = sim;
    if (!gf_writeXmlMeta(document, meta)) {
        return false;
    }
    pugi::xml_node root = document.child("root") ? document.child("root") : document.append_child("root");
    if (!root || !lf_writeApfHeader(root, apf, mode)) {
        return false;
    }
    pugi::xml_node parkpositions = root.append_child("parkpositions");
    if (!parkpositions) {
        return false;
    }
    for (const Stand& stand : apf.stands) {
        pugi::xml_node parkpos = parkpositions.append_child("parkpos");
        lf_addAttribute(parkpos, "id", stand.id);
        if (mode == kApfGenerated) {
            lf_writePosition(parkpos, stand);
        } else {
            lf_writeLearnedStand(parkpos, stand);
        }
    }
    if (mode == kApfLearned) {
        gf_writeKeptAside(parkpositions, apf.keptAside);
    }
    return lf_saveDocument(document, path);
}
