// The attributes of one row element of a large XML table, taken in one walk over the row
// instead of a search per attribute name.
#pragma once

#include <pugixml.hpp>

#include <array>
#include <cstddef>
#include <string_view>

// The row's attributes of the given names, in the order of the names; an absent one is a
// null attribute (its text is empty), and of a repeated name the first counts, as with
// pugi::xml_node::attribute.
template <std::size_t N>
std::array<pugi::xml_attribute, N> gf_rowAttributes(const pugi::xml_node& row,
                                                    const std::array<std::string_view, N>& names)
{
    // The name compared in place, without measuring it first.
    const auto same = [](const char* name, std::string_view wanted) {
        std::size_t i = 0;
        while (i < wanted.size() && name[i] == wanted[i]) {
            ++i;
        }
        return i == wanted.size() && name[i] == '\0';
    };
    std::array<pugi::xml_attribute, N> found;
    for (pugi::xml_attribute attribute = row.first_attribute(); attribute; attribute = attribute.next_attribute()) {
        const char* name = attribute.name();
        for (std::size_t i = 0; i < N; ++i) {
            if (same(name, names[i])) {
                if (!found[i]) {
                    found[i] = attribute;
                }
                break;
            }
        }
    }
    return found;
}
