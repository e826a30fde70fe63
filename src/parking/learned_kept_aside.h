// Learned entries the park airport's stands cannot take: stands its reference file lacks and
// uses that repeat one a stand already has. They are written back to the learned file as they
// were read, so that a learned file shared by several references loses nothing.
#pragma once

#include <pugixml.hpp>

#include <string>
#include <vector>

// Each entry is the text of one "parkpos" element (main loop thread only).
extern std::vector<std::string> g_learnedKeptAside;

// A learned stand without a stand of its id; its uses go with it unless they are ignored.
void gf_keepLearnedStand(const pugi::xml_node& parkpos, bool withOptions);
// A learned use that the stand of the id already has.
void gf_keepLearnedUse(const std::string& standId, const pugi::xml_node& opt);
// Writes the kept entries into "parkpositions": uses join the stand of their id, a stand
// not yet there is added.
void gf_writeKeptAside(pugi::xml_node parkpositions, const std::vector<std::string>& kept);
