// The "QNH Reader": RealTraffic's weather datagrams on UDP 49004 give the current QNH.
#pragma once

#include "traffic/udp_reader.h"

#include <atomic>
#include <cstdint>
#include <string_view>

class QnhReader : public UdpReader {
public:
    // One weather datagram: its "QNH" is published when it is new.
    void handleWeather(std::string_view datagram);
    // Back to a fresh run: the last QNH 1013 besides the reset of the base.
    void resetQnh() { m_lastQnh = 1013; }
    void resetForRestart() override;
    std::string stateText() const override;

private:
    void onDatagram() override;
    void onStopped() override;
    void publish(std::int32_t qnh);

    std::atomic<std::int32_t> m_lastQnh{1013};
};

extern QnhReader g_qnhReader;

// Thread procedure of the "QNH Reader".
void gf_qnhReaderThread(unsigned short port);
