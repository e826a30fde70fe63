#include "core/parameters_document.h"

namespace {

pugi::xml_node lf_findParameterNode(const pugi::xml_node& document, std::string_view name)
{
    for (pugi::xml_node node : gf_parametersNode(document).children("parameter")) {
        if (name == node.attribute("name").value()) {
            return node;
        }
    }
    return {};
}

} // namespace

pugi::xml_node gf_parametersNode(const pugi::xml_node& document)
{
    const pugi::xml_node root = document.child("root");
    return (root ? root : document).child("parameters");
}

std::optional<bool> gf_findBoolParameter(const pugi::xml_node& document, std::string_view name)
{
    const pugi::xml_node node = lf_findParameterNode(document, name);
    if (!node) {
        return std::nullopt;
    }
    return node.attribute("value").as_bool();
}

std::optional<std::int32_t> gf_findIntParameter(const pugi::xml_node& document, std::string_view name)
{
    const pugi::xml_node node = lf_findParameterNode(document, name);
    if (!node) {
        return std::nullopt;
    }
    return node.attribute("value").as_int();
}

std::optional<std::string> gf_findStringParameter(const pugi::xml_node& document, std::string_view name)
{
    const pugi::xml_node node = lf_findParameterNode(document, name);
    if (!node) {
        return std::nullopt;
    }
    return std::string(node.attribute("value").as_string());
}

bool gf_appendXmlAttribute(pugi::xml_node node, std::string_view name, std::string_view text)
{
    pugi::xml_attribute attribute = node.append_attribute(std::string(name).c_str());
    return attribute && attribute.set_value(std::string(text).c_str());
}

void gf_setOrAppendAttribute(pugi::xml_node node, std::string_view attributeName, std::string_view text)
{
    const std::string key(attributeName);
    pugi::xml_attribute attribute = node.attribute(key.c_str());
    if (!attribute) {
        attribute = node.append_attribute(key.c_str());
    }
    attribute.set_value(std::string(text).c_str());
}

bool gf_appendParameterNode(pugi::xml_node parameters, std::string_view name, std::string_view text)
{
    pugi::xml_node node = parameters.append_child("parameter");
    return node && gf_appendXmlAttribute(node, "name", name) && gf_appendXmlAttribute(node, "value", text);
}

bool gf_addBoolParameter(pugi::xml_node parameters, std::string_view name, bool value)
{
    return gf_appendParameterNode(parameters, name, gf_parameterText(value));
}

bool gf_addIntParameter(pugi::xml_node parameters, std::string_view name, std::int32_t value)
{
    return gf_appendParameterNode(parameters, name, gf_parameterText(value));
}

std::string gf_parameterText(bool value)
{
    return value ? "true" : "false";
}

std::string gf_parameterText(std::int32_t value)
{
    return std::to_string(value);
}

std::string gf_parameterText(const std::string& value)
{
    return value;
}
