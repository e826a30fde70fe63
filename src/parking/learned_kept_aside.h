// Learned entries the park airport's stands cannot take: stands its reference file lacks,
// manual stands whose id the reference has, and uses that repeat another learned use. They are
// written back to the learned file as they were read, so that a learned file shared by several
// references keeps them. A learned use that repeats a use of the reference itself is not kept:
// the stand holds that use already, and reference uses are not written. So a use learned under
// one simulator that the other simulator's reference also holds leaves the shared file when the
// airport is saved under that other simulator.
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
