// Similar installed models: which installed types stand in for a type without liveries,
// within one airline and across airlines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Builds both tables from the aircraft database's similar-type groups and the installed
// liveries; logs "{} similar model definitions". Entries are only added.
void gf_buildSimilarModels();
// Empties both tables; they go with the livery tables they were built from, so a rebuild of
// those starts them from empty too.
void gf_clearSimilarModels();
// The installed similar models of the type (shuffled while RANDOM is on); else one random
// installed model of its category for Light, Buzjets and Rotorcraft; else an empty list.
// The reference stays valid until the next query.
const std::vector<std::string>& gf_similarModels(std::string_view type);
// The similar models of the type that the airline has liveries of; else an empty list.
const std::vector<std::string>& gf_similarAirlineModels(std::string_view airline, std::string_view type);
