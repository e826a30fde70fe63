// The program's one command-line option: production mode.
#pragma once

#include <optional>
#include <string>
#include <vector>

// "--production" or "/production" switch production mode on, "--no-production" or
// "/no-production" off, case-insensitively; the last one wins. The first argument is the
// program and is skipped; other arguments are ignored. None when no argument names it.
std::optional<bool> gf_productionOption(const std::vector<std::wstring>& arguments);
