// The Traffic Reader's datagrams, its reference values and the seen callsigns.
#include "traffic/traffic_reader.h"

#include "core/log.h"
#include "core/run_state.h"
#include "traffic/reader_lights.h"
#include "ui/panel_repaint.h"

#include <fmt/format.h>

#include <utility>

TrafficReader g_trafficReader;

TrafficReader::TrafficReader()
{
    m_fields.reserve(64);
}

void TrafficReader::onDatagram()
{
    handleLine(std::string_view(m_data, m_length));
}

void TrafficReader::handleLine(std::string_view line)
{
    if (line.find(" VEH") != std::string_view::npos)
        return;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    m_line = line;
    m_fields.clear();
    for (std::size_t start = 0;;) {
        const auto comma = line.find(',', start);
        m_fields.push_back(line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    processLineSub();
}

void TrafficReader::onStopped()
{
    g_trafficLight = kLightStopped;
    gf_repaintPanelHeader();
    gf_log("Traffic Reader has stopped");
}

void TrafficReader::setReferencePosition(const LatLon& position)
{
    const std::lock_guard lock(m_referenceMutex);
    m_referencePosition = position;
}

LatLon TrafficReader::referencePosition() const
{
    const std::lock_guard lock(m_referenceMutex);
    return m_referencePosition;
}

void TrafficReader::setReferenceElevation(double feet)
{
    m_referenceElevation = feet;
    m_referenceElevationValid = true;
}

void TrafficReader::clearReferenceElevation()
{
    m_referenceElevationValid = false;
}

double TrafficReader::referenceElevationOr(double fallback) const
{
    return m_referenceElevationValid ? m_referenceElevation.load() : fallback;
}

void TrafficReader::noteCallsign(std::string_view callsign)
{
    const std::lock_guard lock(m_seenMutex);
    if (m_seenCallsigns.size() < kSeenCallsignsBound)
        m_seenCallsigns.emplace(callsign);
}

void TrafficReader::clearSeenCallsigns()
{
    const std::lock_guard lock(m_seenMutex);
    m_seenCallsigns.clear();
}

void TrafficReader::resetForRestart()
{
    UdpReader::resetForRestart();
    clearSeenCallsigns();
    setReferencePosition({});
    m_referenceElevation = 0.0;
    m_referenceElevationValid = false;
    renewalFlag = false;
}

std::string TrafficReader::stateText() const
{
    const LatLon reference = referencePosition();
    std::size_t seen = 0;
    {
        const std::lock_guard lock(m_seenMutex);
        seen = m_seenCallsigns.size();
    }
    return fmt::format("{}; reference {} {} elevation {} {}; renewal {}; {} callsigns seen", UdpReader::stateText(),
                       reference.lat, reference.lon, m_referenceElevation.load(), m_referenceElevationValid.load(),
                       renewalFlag.load(), seen);
}

std::unordered_set<std::string> TrafficReader::takeSeenCallsigns()
{
    const std::lock_guard lock(m_seenMutex);
    return std::exchange(m_seenCallsigns, {});
}

void gf_trafficReaderThread(unsigned short port, bool localOnly)
{
    g_trafficReader.runThread("Traffic Reader", port, localOnly, g_trafficLight, &g_qnhLight);
}

namespace {

const RunStateRegistration lf_runState{
    {"g_trafficReader", RunStateArea::Traffic, [] { g_trafficReader.resetForRestart(); },
     [] { return g_trafficReader.stateText(); }},
};

} // namespace
