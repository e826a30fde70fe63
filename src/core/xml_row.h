// Reading the rows of large XML tables quickly: names compared in place, and the attributes
// of one row taken in one walk over the row instead of a search per attribute name.
#pragma once

#include <pugixml.hpp>

#include <array>
#include <cstddef>
#include <string_view>

// An element's or attribute's name equals the expected one; compared in place, without
// measuring the name first (names in the program's files are a few letters long).
inline bool gf_sameXmlName(const char* name, std::string_view expected)
{
    for (const char c : expected) {
        if (*name++ != c) {
            return false;
        }
    }
    return *name == '\0';
}

// The row's attributes of the given names, in the order of the names; an absent one is a
// null attribute (its text is empty), and of a repeated name the first counts, as with
// pugi::xml_node::attribute.
template <std::size_t N>
std::array<pugi::xml_attribute, N> gf_rowAttributes(const pugi::xml_node& row,
                                                    const std::array<std::string_view, N>& names)
{
    std::array<pugi::xml_attribute, N> found;
    for (pugi::xml_attribute attribute = row.first_attribute(); attribute; attribute = attribute.next_attribute()) {
        const char* name = attribute.name();
        for (std::size_t i = 0; i < N; ++i) {
            if (gf_sameXmlName(name, names[i])) {
                if (!found[i]) {
                    found[i] = attribute;
                }
                break;
            }
        }
    }
    return found;
}
