// The program's fixed text form of a UTC time.
#pragma once

#include <ctime>
#include <string>

// "Sun Dec 06 12:47:08 2026", always UTC; "Invalid time" when t cannot be converted.
std::string gf_timeText(std::time_t t);
