// Learned stands and uses kept aside while the park airport is loaded, and written back.
#include "parking/learned_kept_aside.h"

#include "core/run_state.h"
#include "parking/apf.h"
#include "parking/stand.h"

#include <sstream>

std::vector<std::string> g_learnedKeptAside;

namespace {

std::string lf_elementText(const pugi::xml_node& element)
{
    std::ostringstream text;
    element.print(text, "", pugi::format_raw);
    return text.str();
}

pugi::xml_node lf_parkposOf(pugi::xml_node parkpositions, const char* id)
{
    return parkpositions.find_child_by_attribute("parkpos", "id", id);
}

// True when one of the written stand's uses is the same use as opt.
bool lf_holdsSameUse(const pugi::xml_node& written, const pugi::xml_node& opt)
{
    ParkOpt kept;
    if (!gf_readLearnedOpt(opt, kept)) {
        return false;
    }
    for (const pugi::xml_node other : written.children("opt")) {
        ParkOpt held;
        if (gf_readLearnedOpt(other, held) && gf_sameUse(held, kept)) {
            return true;
        }
    }
    return false;
}

} // namespace

void gf_keepLearnedStand(const pugi::xml_node& parkpos, bool withOptions)
{
    if (withOptions) {
        g_learnedKeptAside.push_back(lf_elementText(parkpos));
        return;
    }
    pugi::xml_document copy;
    pugi::xml_node stand = copy.append_copy(parkpos);
    while (pugi::xml_node opt = stand.child("opt")) {
        stand.remove_child(opt);
    }
    g_learnedKeptAside.push_back(lf_elementText(stand));
}

void gf_keepLearnedUse(const std::string& standId, const pugi::xml_node& opt)
{
    pugi::xml_document copy;
    pugi::xml_node stand = copy.append_child("parkpos");
    stand.append_attribute("id").set_value(standId.c_str());
    stand.append_copy(opt);
    g_learnedKeptAside.push_back(lf_elementText(stand));
}

void gf_writeKeptAside(pugi::xml_node parkpositions, const std::vector<std::string>& kept)
{
    for (const std::string& text : kept) {
        pugi::xml_document entry;
        if (!entry.load_string(text.c_str())) {
            continue;
        }
        const pugi::xml_node parkpos = entry.first_child();
        pugi::xml_node written = lf_parkposOf(parkpositions, parkpos.attribute("id").value());
        // A manual stand goes back whole, beside a reference stand of its id if there is one.
        if (!written || parkpos.attribute("manual").as_bool(false)) {
            parkpositions.append_copy(parkpos);
            continue;
        }
        for (const pugi::xml_node opt : parkpos.children("opt")) {
            if (!lf_holdsSameUse(written, opt)) {
                written.append_copy(opt);
            }
        }
    }
}

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::Engine, g_learnedKeptAside),
};

} // namespace
