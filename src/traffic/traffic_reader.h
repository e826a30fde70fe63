// The "Traffic Reader": RealTraffic's traffic lines on UDP 49005, checked and turned
// into records on the traffic queue.
#pragma once

#include "core/geo.h"
#include "traffic/udp_reader.h"

#include <atomic>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

class TrafficReader : public UdpReader {
public:
    TrafficReader();

    // One traffic line as a datagram brings it: ground vehicles are ignored, the rest
    // is split into fields and parsed.
    void handleLine(std::string_view line);
    // Checks the fields of the current line and queues the record, or drops the line.
    void processLineSub();

    // The user aircraft's position; traffic beyond the range from it is dropped.
    void setReferencePosition(const LatLon& position);
    LatLon referencePosition() const;
    // The park airport's elevation in feet, for the on-ground tests; cleared when it is left.
    void setReferenceElevation(double feet);
    void clearReferenceElevation();

    // While set, the callsigns of the lines are collected for a static-parking renewal,
    // up to far more than any real feed holds.
    static constexpr std::size_t kSeenCallsignsBound = 20000;
    std::atomic<bool> renewalFlag{false};
    void clearSeenCallsigns();
    std::unordered_set<std::string> takeSeenCallsigns();

    void resetForRestart() override;
    std::string stateText() const override;

private:
    void onDatagram() override;
    void onStopped() override;
    struct ParsedLine;
    bool parsePosition(ParsedLine& line);
    bool parseIdentity(ParsedLine& line);
    void parseTrueHeading(ParsedLine& line);
    bool parseHexidAndAltitude(ParsedLine& line);
    bool parseCallsignAndGround(ParsedLine& line);
    void parseMotion(ParsedLine& line);
    void queueRecord(ParsedLine& line);
    void appendRecord(ParsedLine& line);
    double referenceElevationOr(double fallback) const;
    void noteCallsign(std::string_view callsign);

    std::string_view m_line;
    std::vector<std::string_view> m_fields;
    mutable std::mutex m_referenceMutex;
    LatLon m_referencePosition;
    std::atomic<double> m_referenceElevation{0.0};
    std::atomic<bool> m_referenceElevationValid{false};
    mutable std::mutex m_seenMutex;
    std::unordered_set<std::string> m_seenCallsigns;
};

extern TrafficReader g_trafficReader;

// Thread procedure of the "Traffic Reader"; localOnly when RealTraffic runs on this PC.
void gf_trafficReaderThread(unsigned short port, bool localOnly);
