// "parameter" elements with "name" and "value" attributes inside a "parameters"
// element: finding, adding and setting them in a loaded document.
#pragma once

#include <cstdint>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>

// The "parameters" element under "root", or directly under the document when it has no "root".
pugi::xml_node gf_parametersNode(const pugi::xml_node& document);

// The first "parameter" whose name equals the key exactly; its value read as bool, int or
// text (false, 0 or empty when the attribute is missing); nothing when no element matches.
std::optional<bool> gf_findBoolParameter(const pugi::xml_node& document, std::string_view name);
std::optional<std::int32_t> gf_findIntParameter(const pugi::xml_node& document, std::string_view name);
std::optional<std::string> gf_findStringParameter(const pugi::xml_node& document, std::string_view name);

// Appends one "parameter" element with "name" and "value"; false when pugixml cannot.
bool gf_appendParameterNode(pugi::xml_node parameters, std::string_view name, std::string_view text);
bool gf_addBoolParameter(pugi::xml_node parameters, std::string_view name, bool value);
bool gf_addIntParameter(pugi::xml_node parameters, std::string_view name, std::int32_t value);

// Sets the attribute, appending it when missing.
void gf_setOrAppendAttribute(pugi::xml_node node, std::string_view attributeName, std::string_view text);
bool gf_appendXmlAttribute(pugi::xml_node node, std::string_view name, std::string_view text);

// How values are written: "true"/"false", decimal, or the text itself.
std::string gf_parameterText(bool value);
std::string gf_parameterText(std::int32_t value);
std::string gf_parameterText(const std::string& value);
