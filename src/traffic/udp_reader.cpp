// The receive loop and set-up of the UDP readers.
#include "traffic/udp_reader.h"

#include "app/closing_down.h"
#include "core/fault_log.h"
#include "core/log.h"
#include "core/run_state.h"
#include "core/stop_flags.h"
#include "core/wsa_error_text.h"
#include "traffic/reader_lights.h"
#include "ui/panel_repaint.h"

#include <fmt/format.h>

#include <cstring>
#include <stdexcept>

namespace {

// WSACleanup runs once per process, by whichever reader leaves first.
std::atomic<bool> lv_wsaCleanedUp{false};

bool lf_isQuietError(int error)
{
    return error == WSAEINTR || error == WSAEWOULDBLOCK || error == WSAETIMEDOUT;
}

FaultLog lv_overrunFaults("buffer overrun");
const RunStateRegistration lf_faultLogState{
    gf_faultLogEntry("lv_overrunFaults", lv_overrunFaults),
};

void lf_logOverrun(std::string_view size)
{
    if (const auto line = lv_overrunFaults.admit(fmt::format("buffer overrun: {} bytes", size)))
        gf_logUnlessQuitting(*line);
}

} // namespace

UdpReader::~UdpReader() = default;

void UdpReader::runThread(std::string_view name, unsigned short port, bool localOnly,
                          std::atomic<std::int32_t>& light, std::atomic<std::int32_t>* otherLight)
{
    try {
        startup();
        createSocket();
        bindPort(port, localOnly);
        light = kLightLive;
        if (otherLight)
            *otherLight = kLightLive;
        gf_repaintPanelHeader();
        gf_logIndented(fmt::format("{} connected", name));
        // From another PC RealTraffic sends each datagram twice; on this PC once.
        receiveLoop(localOnly);
    } catch (const std::exception& e) {
        gf_reportReaderStopped(name, e.what());
    } catch (...) {
        gf_reportReaderStopped(name, "Unknown exception");
    }
    if (m_socket != INVALID_SOCKET) {
        closesocket(m_socket);
        m_socket = INVALID_SOCKET;
    }
    if (!lv_wsaCleanedUp.exchange(true))
        WSACleanup();
    light = kLightStopped;
    gf_repaintPanelHeader();
    gf_log(fmt::format("{} disconnected", name));
}

void UdpReader::startup()
{
    const int result = WSAStartup(MAKEWORD(2, 2), &m_wsaData);
    if (result != 0)
        throw std::runtime_error(fmt::format("WSA startup error: {}", result));
}

void UdpReader::createSocket()
{
    m_socket = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (m_socket == INVALID_SOCKET)
        throw std::runtime_error(
            fmt::format("failed to create the socket, error: {}", gf_wsaErrorText(WSAGetLastError())));
}

void UdpReader::bindPort(unsigned short port, bool localOnly)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(localOnly ? INADDR_LOOPBACK : INADDR_ANY);
    if (bind(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == SOCKET_ERROR)
        throw std::runtime_error(
            fmt::format("bind to stream socket failed, error: {}", gf_wsaErrorText(WSAGetLastError())));
}

void UdpReader::receiveLoop(bool keepDuplicates)
{
    // The time-out lets the loop see the stop flag at least once a second.
    const DWORD timeout = 1000;
    if (setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout) ==
        SOCKET_ERROR)
        throw std::runtime_error(fmt::format("receive error: {}", gf_wsaErrorText(WSAGetLastError())));
    int error = 0;
    while (!m_stop) {
        const int count = recvfrom(m_socket, m_buffer.data(), kBufferSize, 0, nullptr, nullptr);
        if (count != SOCKET_ERROR) {
            handleReceived(count, keepDuplicates);
            continue;
        }
        error = WSAGetLastError();
        // A datagram too large for the buffer is skipped like one that fills it.
        if (error == WSAEMSGSIZE)
            lf_logOverrun(fmt::format("more than {}", kBufferSize));
        else if (!lf_isQuietError(error))
            break;
    }
    if (!m_stop)
        throw std::runtime_error(fmt::format("receive error: {}", gf_wsaErrorText(error)));
    close();
}

void UdpReader::handleReceived(int count, bool keepDuplicates)
{
    if (count <= 0)
        return;
    if (count >= kBufferSize) {
        lf_logOverrun(fmt::format("{}", count));
        return;
    }
    const auto length = static_cast<std::size_t>(count);
    m_buffer[length] = '\0';
    if (!keepDuplicates && isDuplicate(length))
        return;
    m_data = m_buffer.data();
    m_length = length;
    ++m_counter;
    onDatagram();
}

bool UdpReader::isDuplicate(std::size_t count)
{
    const std::string_view datagram(m_buffer.data(), count);
    if (datagram == m_lastDatagram)
        return true;
    m_lastDatagram.assign(datagram);
    return false;
}

void UdpReader::close()
{
    if (m_socket != INVALID_SOCKET) {
        shutdown(m_socket, SD_BOTH);
        closesocket(m_socket);
        m_socket = INVALID_SOCKET;
    }
    onStopped();
}

void UdpReader::resetForRun()
{
    m_stop = false;
    m_counter = 0;
    m_previousCounter = 0;
    m_liveMarker = true;
}

void UdpReader::resetForRestart()
{
    resetForRun();
    m_data = nullptr;
    m_length = 0;
    m_lastDatagram.clear();
}

std::string UdpReader::stateText() const
{
    return fmt::format("stop {} counter {} previous {} live {} last '{}'", m_stop.load(), m_counter.load(),
                       m_previousCounter.load(), m_liveMarker.load(), m_lastDatagram);
}

void UdpReader::checkLight(std::atomic<std::int32_t>& light)
{
    const std::uint32_t counter = m_counter;
    if (counter == m_previousCounter) {
        light = kLightStale;
        m_liveMarker = false;
        gf_repaintPanelHeader();
    } else if (!m_liveMarker) {
        light = kLightLive;
        m_liveMarker = true;
        gf_repaintPanelHeader();
    }
    m_previousCounter = counter;
}
