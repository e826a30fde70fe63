// Loading and saving the program's XML files with pugixml, by the path's own
// native form so that non-ASCII user folders work on Windows too.
#pragma once

#include <filesystem>
#include <pugixml.hpp>
#include <string>

pugi::xml_parse_result gf_loadXmlFile(pugi::xml_document& document, const std::filesystem::path& path,
                                      unsigned int options = pugi::parse_default);
// Why a load failed, for the log: pugixml's text, except for a file that exists but cannot be
// opened, which pugixml reports as not found: then the system's reason ("Permission denied").
std::string gf_xmlLoadFailure(const pugi::xml_parse_result& result, const std::filesystem::path& path);
// Saves with a version "1.0" / encoding "UTF-8" declaration and a two-blank
// indent. The file is written under a temporary name and renamed, so a failed
// save never leaves a damaged file in place of a good one.
bool gf_saveXmlFile(pugi::xml_document& document, const std::filesystem::path& path);
