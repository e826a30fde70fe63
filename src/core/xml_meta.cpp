// The XML meta header: what the program writes, and when a reader trusts a file.
#include "core/xml_meta.h"

#include "core/log.h"
#include "core/program_version.h"
#include "core/time_text.h"

#include <fmt/format.h>
#include <set>
#include <string_view>
#include <utility>

namespace {

constexpr const char* kCopyright = "Copyright (c) Skyweaver. All rights reserved.";

bool lf_appendInfo(pugi::xml_node meta, const char* name, std::string_view value)
{
    pugi::xml_node info = meta.append_child("info");
    if (!info) {
        return false;
    }
    const std::string text(value);
    return info.append_attribute("name").set_value(name) && info.append_attribute("value").set_value(text.c_str());
}

// The header's text entries and the fields they fill.
constexpr std::pair<std::string_view, std::string XmlMeta::*> kTextEntries[] = {
    {"author", &XmlMeta::author}, {"date", &XmlMeta::date}, {"version", &XmlMeta::version},
    {"P3D", &XmlMeta::p3d},       {"MSFS", &XmlMeta::msfs},
};

// Fills the field an entry names; other names fill nothing.
void lf_takeEntry(XmlMeta& meta, std::string_view name, pugi::xml_node info)
{
    if (name == "sim") {
        meta.sim = info.attribute("value").as_int();
        return;
    }
    for (const auto& [entry, field] : kTextEntries) {
        if (name == entry) {
            meta.*field = info.attribute("value").as_string();
        }
    }
}

} // namespace

bool gf_writeXmlMeta(pugi::xml_node document, const XmlMeta& meta)
{
    pugi::xml_node root = document.child("root");
    if (!root) {
        root = document.append_child("root");
    }
    if (!root) {
        return false;
    }
    pugi::xml_node metaNode = root.append_child("meta");
    if (!metaNode) {
        return false;
    }
    return lf_appendInfo(metaNode, "author", kProductName) && lf_appendInfo(metaNode, "version", meta.version) &&
           lf_appendInfo(metaNode, "date", gf_dateText()) && lf_appendInfo(metaNode, "copyright", kCopyright) &&
           lf_appendInfo(metaNode, "sim", fmt::format("{}", meta.sim));
}

std::optional<XmlMeta> gf_readXmlMeta(pugi::xml_node node, bool simOptional)
{
    const pugi::xml_node root = node.child("root") ? node.child("root") : node;
    const pugi::xml_node metaNode = root.child("meta");
    if (!metaNode) {
        return std::nullopt;
    }
    XmlMeta meta;
    // Only the first entry of each name counts.
    std::set<std::string_view> seen;
    for (const pugi::xml_node info : metaNode.children("info")) {
        const std::string_view name = info.attribute("name").as_string();
        if (!seen.insert(name).second) {
            continue;
        }
        if (name == "copyright" && std::string_view(info.attribute("value").as_string()).empty()) {
            gf_logMarked("no copyright info in the file?");
            return std::nullopt;
        }
        lf_takeEntry(meta, name, info);
    }
    if (!seen.contains("copyright")) {
        return std::nullopt;
    }
    if (simOptional || seen.contains("sim") || seen.contains("P3D") || seen.contains("MSFS")) {
        return meta;
    }
    return std::nullopt;
}
