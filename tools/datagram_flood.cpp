// Datagram flood: mutated RealTraffic datagrams, traffic lines to UDP 49005 and weather JSON
// to UDP 49004 on loopback, from several senders at once at full rate, for a given time.
// The mutations start from the traffic line and weather datagrams the tests build: bytes
// changed, junk inserted, stretches cut out or repeated, datagrams cut short or grown to the
// size of the program's receive buffer and beyond. Every other traffic datagram is a valid line
// near the demo's user at Zurich with fields no real feed sends: over-long callsigns, airports
// and types, line breaks, forged log lines and other control bytes.
//
// Usage: datagram_flood [--seconds <n>] [--senders <n>]
#include "platform/win32.h"
#include "support/traffic_lines.h"

#include <fmt/format.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <iostream>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

struct FloodOptions {
    int seconds = 60;
    int senders = 1;
};

constexpr unsigned short kTrafficPort = 49005;
constexpr unsigned short kWeatherPort = 49004;

constexpr std::size_t kPoolSize = 512;
constexpr std::size_t kLargestDatagram = 16400;

class Mutator {
public:
    explicit Mutator(unsigned seed) : m_rng(seed) {}

    // The seed with one to four mutations.
    std::string mutated(std::string datagram)
    {
        for (std::size_t count = 1 + below(4); count > 0; --count)
            mutate(datagram);
        return datagram;
    }

private:
    std::size_t below(std::size_t bound) { return std::uniform_int_distribution<std::size_t>(0, bound - 1)(m_rng); }
    char anyByte() { return static_cast<char>(below(256)); }

    void mutate(std::string& datagram)
    {
        const std::size_t at = below(datagram.size() + 1);
        const std::size_t rest = datagram.size() - at;
        switch (below(6)) {
        case 0:
            if (at < datagram.size())
                datagram[at] = anyByte();
            break;
        case 1:
            datagram.insert(at, std::string(1 + below(64), anyByte()));
            break;
        case 2:
            datagram.erase(at, below(rest + 1));
            break;
        case 3:
            datagram.insert(at, datagram.substr(at, below(rest + 1)));
            break;
        case 4:
            datagram.resize(at);
            break;
        default:
            // Up to the receive buffer's size and a little beyond, repeating the datagram.
            grow(datagram, 8000 + below(kLargestDatagram - 8000 + 1));
            break;
        }
    }

    static void grow(std::string& datagram, std::size_t size)
    {
        const std::string unit = datagram.empty() ? std::string(",") : datagram;
        while (datagram.size() < size)
            datagram += unit;
        datagram.resize(size);
    }

    std::mt19937 m_rng;
};

// Mutated datagrams made before the flood, so that the senders do nothing but send.
struct DatagramPool {
    std::vector<std::string> traffic;
    std::vector<std::string> weather;
};

// Thousands of characters with line breaks, forged log lines and other control bytes.
std::string lf_longField()
{
    return std::string(2500, 'E') + "\nExiting: USER CLOSED SIM\r\n==> forged\x1b[2J\x07\x7f\t" + std::string(2500, 'E');
}

// A valid line of an aircraft over Zurich, in range of the demo's user, its fields spoilt in
// one of four ways by its number: a callsign of nine or ten characters, long airports, a long
// type, a callsign with a line break.
std::string lf_zurichLine(std::size_t number)
{
    testsupport::TrafficLine line;
    line.set(1, std::to_string(5000000 + number % 64))
        .set(2, fmt::format("{:.4f}", 47.40 + 0.002 * static_cast<double>(number % 50)))
        .set(3, fmt::format("{:.4f}", 8.50 + 0.002 * static_cast<double>(number % 40)))
        .set(4, "6000")
        .set(9, "SWR1234")
        .set(10, "A320")
        .set(11, "HB-JLT")
        .set(12, "LSZH")
        .set(13, "EGLL");
    switch (number % 4) {
    case 0:
        line.set(9, number % 8 == 0 ? "SWR123456" : "SWR1234567");
        break;
    case 1:
        line.set(12, lf_longField()).set(13, lf_longField());
        break;
    case 2:
        line.set(10, lf_longField());
        break;
    default:
        line.set(9, "SW\nR1234");
        break;
    }
    return line;
}

DatagramPool lf_makePool(unsigned seed)
{
    const std::vector<std::string> trafficSeeds{
        testsupport::TrafficLine(),
        testsupport::TrafficLine().set(4, "0").set(17, "mlat"),
        testsupport::TrafficLine().set(14, "1e300"),
        lf_zurichLine(0),
        lf_zurichLine(1),
        lf_zurichLine(3),
    };
    const std::vector<std::string> weatherSeeds{
        testsupport::weatherDatagram("1013"),
        testsupport::weatherDatagram("\"1009\""),
        testsupport::weatherDatagram("2992"),
    };
    Mutator mutator(seed);
    DatagramPool pool;
    for (std::size_t i = 0; i < kPoolSize; ++i) {
        // Every other traffic datagram a valid line in range, as sent; the rest mutated.
        pool.traffic.push_back(i % 2 == 0 ? lf_zurichLine(i / 2)
                                          : mutator.mutated(trafficSeeds[i / 2 % trafficSeeds.size()]));
        pool.weather.push_back(mutator.mutated(weatherSeeds[i % weatherSeeds.size()]));
    }
    return pool;
}

sockaddr_in lf_loopback(unsigned short port)
{
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return target;
}

// Sends the pool round and round until the deadline; returns the datagrams sent.
std::uint64_t lf_send(const DatagramPool& pool, std::chrono::steady_clock::time_point end)
{
    const SOCKET socket = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (socket == INVALID_SOCKET) {
        std::cerr << fmt::format("datagram_flood: socket failed: {}\n", WSAGetLastError());
        return 0;
    }
    const sockaddr_in traffic = lf_loopback(kTrafficPort);
    const sockaddr_in weather = lf_loopback(kWeatherPort);
    const auto sendOne = [socket](const std::string& text, const sockaddr_in& target) {
        return sendto(socket, text.data(), static_cast<int>(text.size()), 0,
                      reinterpret_cast<const sockaddr*>(&target), sizeof target) != SOCKET_ERROR;
    };
    std::uint64_t sent = 0;
    for (std::size_t i = 0; std::chrono::steady_clock::now() < end; i = (i + 1) % kPoolSize) {
        sent += sendOne(pool.traffic[i], traffic) ? 1 : 0;
        sent += sendOne(pool.weather[i], weather) ? 1 : 0;
    }
    closesocket(socket);
    return sent;
}

FloodOptions lf_parseOptions(int argc, char** argv)
{
    FloodOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (i + 1 >= argc)
            throw std::runtime_error(fmt::format("unknown argument '{}'", argument));
        const std::string value = argv[++i];
        if (argument == "--seconds")
            options.seconds = std::stoi(value);
        else if (argument == "--senders")
            options.senders = std::max(1, std::stoi(value));
        else
            throw std::runtime_error(fmt::format("unknown argument '{}'", argument));
    }
    return options;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        const FloodOptions options = lf_parseOptions(argc, argv);
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
            throw std::runtime_error("WSAStartup failed");
        std::vector<DatagramPool> pools;
        for (int sender = 0; sender < options.senders; ++sender)
            pools.push_back(lf_makePool(static_cast<unsigned>(sender + 1)));
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(options.seconds);
        std::atomic<std::uint64_t> sent{0};
        std::vector<std::thread> senders;
        for (const DatagramPool& pool : pools)
            senders.emplace_back([&pool, end, &sent] { sent += lf_send(pool, end); });
        for (std::thread& sender : senders)
            sender.join();
        WSACleanup();
        std::cout << fmt::format("sent {} datagrams from {} senders in {} s\n", sent.load(), options.senders,
                                 options.seconds);
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "datagram_flood: " << e.what() << "\n"
                  << "usage: datagram_flood [--seconds <n>] [--senders <n>]\n";
        return 2;
    }
}
