// The meta header that heads the XML data files the program writes itself
// ("LiveriesScanned.xml", park files): root / meta / info name= value=.
#pragma once

#include <pugixml.hpp>

#include <cstdint>
#include <optional>
#include <string>

struct XmlMeta {
    std::string author;
    std::string version;
    std::string date;
    std::string p3d;  // "P3D" entry of older headers
    std::string msfs; // "MSFS" entry of older headers
    std::int32_t sim = 0;
};

// Appends "meta" with author, version (meta.version), today's date, copyright and
// sim (meta.sim) under "root", adding "root" when missing. True when all five were written.
bool gf_writeXmlMeta(pugi::xml_node document, const XmlMeta& meta);
// The header under the node's "root" (or under the node itself); nothing when it
// is missing, has no copyright, or names no simulator while one is required.
std::optional<XmlMeta> gf_readXmlMeta(pugi::xml_node node, bool simOptional);
