// RealTraffic traffic lines and weather datagrams for tests and benchmarks.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace testsupport {

// A traffic line in RealTraffic's broadcast field order; starts as an airborne
// KLM B738 at 12000 ft over Amsterdam (52.3, 4.76), reported by ADS-B.
class TrafficLine {
public:
    static constexpr std::size_t kFields = 30;

    TrafficLine();
    TrafficLine& set(std::size_t index, std::string_view value);
    std::string text() const;
    operator std::string() const { return text(); }

private:
    std::array<std::string, kFields> m_fields;
};

// A weather datagram carrying the given JSON value as "QNH".
std::string weatherDatagram(std::string_view qnhJson);

} // namespace testsupport
