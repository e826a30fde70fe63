// The XML meta header: what the program writes, and when a reader trusts a file.
#include "core/xml_meta.h"

#include "core/log.h"
#include "core/program_version.h"
#include "core/time_text.h"

#include <fmt/format.h>
#include <string_view>

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

// Which of the header's entries have been met; only the first of each name counts.
struct SeenEntries {
    bool copyright = false;
    bool author = false;
    bool date = false;
    bool version = false;
    bool sim = false;
    bool p3d = false;
    bool msfs = false;
};

void lf_takeText(bool& seen, std::string& field, pugi::xml_node info)
{
    if (!seen) {
        seen = true;
        field = info.attribute("value").as_string();
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
    SeenEntries seen;
    for (const pugi::xml_node info : metaNode.children("info")) {
        const std::string_view name = info.attribute("name").as_string();
        if (name == "copyright" && !seen.copyright) {
            seen.copyright = true;
            if (std::string_view(info.attribute("value").as_string()).empty()) {
                gf_logMarked("no copyright info in the file?");
                return std::nullopt;
            }
        } else if (name == "author") {
            lf_takeText(seen.author, meta.author, info);
        } else if (name == "date") {
            lf_takeText(seen.date, meta.date, info);
        } else if (name == "version") {
            lf_takeText(seen.version, meta.version, info);
        } else if (name == "P3D") {
            lf_takeText(seen.p3d, meta.p3d, info);
        } else if (name == "MSFS") {
            lf_takeText(seen.msfs, meta.msfs, info);
        } else if (name == "sim" && !seen.sim) {
            seen.sim = true;
            meta.sim = info.attribute("value").as_int();
        }
    }
    if (!seen.copyright) {
        return std::nullopt;
    }
    if (simOptional || seen.sim || seen.p3d || seen.msfs) {
        return meta;
    }
    return std::nullopt;
}
