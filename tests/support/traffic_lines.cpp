#include "support/traffic_lines.h"

namespace testsupport {

TrafficLine::TrafficLine()
    : m_fields{"rtraffic", "4738157", "52.3", "4.76",  "12000", "640",    "1024",   "90",  "280",      "KLM1234",
               "B738",     "PH-BXA",  "EHAM", "EGLL",  "1765100000.5", "0", "0",    "adsb_icao", "12200", "275",
               "300",      "0.8",     "88",   "2.5",   "0",     "91",     "1",      "0",   "A3",       "x"}
{
}

TrafficLine& TrafficLine::set(std::size_t index, std::string_view value)
{
    m_fields.at(index) = value;
    return *this;
}

std::string TrafficLine::text() const
{
    std::string line;
    for (std::size_t i = 0; i < kFields; ++i) {
        if (i > 0)
            line += ',';
        line += m_fields[i];
    }
    return line;
}

std::string weatherDatagram(std::string_view qnhJson)
{
    return "{\"ICAO\":\"EHAM\",\"QNH\":" + std::string(qnhJson) + ",\"METAR\":\"EHAM 071155Z 24012KT\"}";
}

} // namespace testsupport
