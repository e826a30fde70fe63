// The program's fixed text forms of UTC times.
#pragma once

#include <ctime>
#include <string>

// "Sun Dec 06 12:47:08 2026", always UTC; "Invalid time" when t cannot be converted.
std::string gf_timeText(std::time_t t);
// The time of day of t, "12:47:08"; "??:??:??" when t cannot be converted.
std::string gf_timeOfDayText(std::time_t t);
// Now as "12:47:08".
std::string gf_nowTime();
// Today as "Dec 06, 2026"; "??? ??, ????" when the clock cannot be converted.
std::string gf_dateText();
// The time of day of the traffic time while the "prof" edition reports one, else of now.
std::string gf_feedTime();
