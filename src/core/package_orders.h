// The orders in which the AI traffic packages can be searched for liveries.
#pragma once

#include <string>
#include <vector>

// Every ordering of every non-empty subset of "AIG", "FSLTL", "JF" and "MTL", joined
// with ", ": larger subsets first, subsets and their orderings in lexicographic order.
std::vector<std::string> gf_packageOrders();
