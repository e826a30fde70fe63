// Loading and saving the program's XML files with pugixml, by the path's own
// native form so that non-ASCII user folders work on Windows too.
#pragma once

#include <filesystem>
#include <pugixml.hpp>

pugi::xml_parse_result gf_loadXmlFile(pugi::xml_document& document, const std::filesystem::path& path,
                                      unsigned int options = pugi::parse_default);
// Saves with a version "1.0" / encoding "UTF-8" declaration and a two-blank
// indent. The file is written under a temporary name and renamed, so a failed
// save never leaves a damaged file in place of a good one.
bool gf_saveXmlFile(pugi::xml_document& document, const std::filesystem::path& path);
