// Log lines of aircraft for which no livery matched, printed by the no-match list.
#pragma once

#include <string>
#include <vector>

inline std::vector<std::string> g_noMatchLines;
