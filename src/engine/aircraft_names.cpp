// Enumeration names, aircraft descriptions and identity tests.
#include "engine/aircraft_names.h"

#include <fmt/format.h>

#include <array>
#include <stdexcept>
#include <unordered_map>

namespace {

// The same text with every compiler: the name tables are looked up like a map's at().
template <typename Enum>
const std::string& lf_nameOf(const std::unordered_map<std::uint32_t, std::string>& table, Enum value)
{
    const auto it = table.find(static_cast<std::uint32_t>(value));
    if (it == table.end()) {
        throw std::out_of_range("invalid unordered_map<K, T> key");
    }
    return it->second;
}

} // namespace

const std::string& gf_simStateName(SimState state)
{
    static const std::unordered_map<std::uint32_t, std::string> names = {
        {0, "buffer"}, {1, "adding2sim"}, {2, "active"}, {3, "liveryrespawn"}, {4, "removingfromsim"}};
    return lf_nameOf(names, state);
}

const std::string& gf_flightPhaseName(FlightPhase phase)
{
    static const std::unordered_map<std::uint32_t, std::string> names = {
        {0, "pushing_back"}, {1, "pushed_back"}, {2, "taxi"},   {3, "take_off"},
        {4, "flying"},       {5, "parking"},     {6, "parked"}, {7, "birth"}};
    return lf_nameOf(names, phase);
}

const std::string& gf_categoryName(Category category)
{
    static const std::unordered_map<std::uint32_t, std::string> names = {
        {0, "Light"}, {1, "Buzjets"}, {2, "Large"}, {3, "Heavy"}, {4, "HighPerf"}, {5, "Rotorcraft"}};
    return lf_nameOf(names, category);
}

std::string gf_aimoString(const AcIdent& ac)
{
    return fmt::format("{:3} {:4}", ac.airline, ac.type);
}

bool gf_sameAimo(const AcIdent& a, const AcIdent& b)
{
    return a.airline == b.airline && a.type == b.type;
}

std::string gf_acDescr(const AcIdent& ac)
{
    return fmt::format("{} {}", ac.callsign, gf_aimoString(ac));
}

std::string gf_acDescrLong(const AcIdent& ac)
{
    return fmt::format("{} {} {}", ac.callsign, gf_aimoString(ac), ac.registration);
}

std::string gf_acDescrWide(const AcIdent& ac)
{
    return fmt::format("{} {:8} {}", gf_aimoString(ac), ac.callsign, gf_routeString(ac));
}

std::string gf_routeString(const AcIdent& ac)
{
    if (ac.origin.empty() && ac.destination.empty()) {
        return std::string(8, ' ');
    }
    return fmt::format("{:3}->{:3}", ac.origin, ac.destination);
}

bool gf_hasCallsign(const AcIdent& ac)
{
    return !ac.callsign.empty() && ac.callsign != kNoCallsign && ac.callsign.size() <= 8;
}

bool gf_isNonAircraftType(std::string_view type)
{
    static constexpr std::array<std::string_view, 8> kinds = {"BALL", "EMER", "GLID", "GRND",
                                                              "PARA", "SERV", "SHIP", "VENT"};
    for (const auto kind : kinds) {
        if (type == kind) {
            return true;
        }
    }
    return false;
}

std::string gf_makeAcKey(const AcIdent& ac)
{
    return gf_aimoString(ac) + ac.registration;
}
