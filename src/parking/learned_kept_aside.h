// Learned entries the park airport's stands cannot take: stands its reference file lacks,
// manual stands whose id the reference has, and uses that repeat another learned use. They are written back to the learned file as they
// were read, so that a learned file shared by several references loses nothing.
#pragma once

#include <pugixml.hpp>

#include <string>
#include <vector>

// Each entry is the text of one "parkpos" element (main loop thread only).
extern std::vector<std::string> g_learnedKeptAside;

// A learned stand without a stand of its id; its uses go with it unless they are ignored.
void gf_keepLearnedStand(const pugi::xml_node& parkpos, bool withOptions);
// A learned use that repeats another learned use of the stand of the id.
void gf_keepLearnedUse(const std::string& standId, const pugi::xml_node& opt);
// Writes the kept entries into "parkpositions": uses join the stand of their id unless its
// written uses already hold the same use; a stand not yet there, or a manual one, is added.
void gf_writeKeptAside(pugi::xml_node parkpositions, const std::vector<std::string>& kept);
