// The base of the two RealTraffic UDP readers: socket, receive buffer, stop flag,
// datagram counter for the panel lights, and the receive loop.
#pragma once

#include "platform/win32.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class UdpReader {
public:
    static constexpr int kBufferSize = 16384;

    UdpReader() = default;
    virtual ~UdpReader();
    UdpReader(const UdpReader&) = delete;
    UdpReader& operator=(const UdpReader&) = delete;

    // The thread procedure shared by both readers: set up, receive until stopped, and
    // report a fault as a reader error. bindLights are set live once the port is bound.
    void runThread(std::string_view name, unsigned short port, bool localOnly, std::atomic<std::int32_t>& light,
                   std::atomic<std::int32_t>* otherLight);

    void startup();
    void createSocket();
    void bindPort(unsigned short port, bool localOnly);
    void receiveLoop(bool keepDuplicates);

    // Set by the shut-down to end the receive loop within a second.
    void requestStop() { m_stop = true; }
    bool stopRequested() const { return m_stop; }
    // Back to a fresh run: stop flag clear, counters 0, live marker set.
    void resetForRun();
    // Back to the state of a fresh process, once the reader thread has ended: also
    // forgets the last datagram. Each reader adds its own state.
    virtual void resetForRestart();
    // The reader's state in one line, for the run-state snapshot.
    virtual std::string stateText() const;
    // The light check of the status panel: stale without new datagrams, live again after one.
    void checkLight(std::atomic<std::int32_t>& light);
    std::uint32_t counter() const { return m_counter; }

protected:
    virtual void onDatagram() = 0;
    virtual void onStopped() = 0;

    // The current datagram, 0-terminated inside the receive buffer.
    const char* m_data = nullptr;
    std::size_t m_length = 0;

private:
    void handleReceived(int count, bool keepDuplicates);
    bool isDuplicate(std::size_t count);
    void close();

    std::atomic<bool> m_stop{false};
    std::atomic<std::uint32_t> m_counter{0};
    std::atomic<std::uint32_t> m_previousCounter{0};
    std::atomic<bool> m_liveMarker{true};
    std::array<char, kBufferSize + 1> m_buffer{};
    std::string m_lastDatagram;
    WSADATA m_wsaData{};
    SOCKET m_socket = INVALID_SOCKET;
};
