// Traffic feeder: plays a scenario of RealTraffic datagrams to the program on
// loopback, traffic lines to UDP 49005 and weather JSON to UDP 49004.
//
// Scenario file, one datagram per line:
//   <seconds from start> traffic <RealTraffic traffic line>
//   <seconds from start> weather <weather JSON>
// Blank lines and lines starting with '#' are skipped. "{now}" in a datagram
// is replaced by the send time in epoch seconds, so recorded lines can carry
// fresh timestamps.
//
// Usage: traffic_feeder <scenario> [--speed <factor>] [--traffic-port <n>]
//        [--weather-port <n>] [--repeat <n>]
//   --speed 1 plays at real pace (default), 10 ten times faster, 0 without pauses.
#include "platform/win32.h"

#include <fmt/format.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

struct ScenarioDatagram {
    double seconds = 0.0;
    bool weather = false;
    std::string text;
};

struct FeederOptions {
    std::string scenario;
    double speed = 1.0;
    unsigned short trafficPort = 49005;
    unsigned short weatherPort = 49004;
    int repeat = 1;
};

ScenarioDatagram lf_parseScenarioLine(const std::string& line, int lineNumber)
{
    const auto firstBlank = line.find(' ');
    const auto secondBlank = firstBlank == std::string::npos ? firstBlank : line.find(' ', firstBlank + 1);
    if (secondBlank == std::string::npos)
        throw std::runtime_error(fmt::format("line {}: expected '<seconds> traffic|weather <datagram>'", lineNumber));
    ScenarioDatagram datagram;
    try {
        datagram.seconds = std::stod(line.substr(0, firstBlank));
    } catch (const std::exception&) {
        throw std::runtime_error(fmt::format("line {}: bad send time '{}'", lineNumber, line.substr(0, firstBlank)));
    }
    const std::string kind = line.substr(firstBlank + 1, secondBlank - firstBlank - 1);
    if (kind != "traffic" && kind != "weather")
        throw std::runtime_error(fmt::format("line {}: unknown stream '{}'", lineNumber, kind));
    datagram.weather = kind == "weather";
    datagram.text = line.substr(secondBlank + 1);
    return datagram;
}

std::vector<ScenarioDatagram> lf_readScenario(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error(fmt::format("cannot open scenario '{}'", path));
    std::vector<ScenarioDatagram> datagrams;
    std::string line;
    for (int lineNumber = 1; std::getline(file, line); ++lineNumber) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line.front() == '#')
            continue;
        datagrams.push_back(lf_parseScenarioLine(line, lineNumber));
    }
    return datagrams;
}

std::string lf_withSendTime(std::string text)
{
    const std::string placeholder = "{now}";
    const auto now = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    for (auto at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder, at))
        text.replace(at, placeholder.size(), fmt::format("{:.3f}", now));
    return text;
}

class TrafficFeeder {
public:
    explicit TrafficFeeder(const FeederOptions& options) : m_options(options)
    {
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
            throw std::runtime_error("WSAStartup failed");
        m_socket = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        if (m_socket == INVALID_SOCKET)
            throw std::runtime_error(fmt::format("socket failed: {}", WSAGetLastError()));
    }
    ~TrafficFeeder()
    {
        closesocket(m_socket);
        WSACleanup();
    }
    TrafficFeeder(const TrafficFeeder&) = delete;
    TrafficFeeder& operator=(const TrafficFeeder&) = delete;

    void play(const std::vector<ScenarioDatagram>& datagrams)
    {
        const auto start = std::chrono::steady_clock::now();
        for (const auto& datagram : datagrams) {
            if (m_options.speed > 0.0)
                std::this_thread::sleep_until(start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                                          std::chrono::duration<double>(datagram.seconds / m_options.speed)));
            send(datagram);
        }
    }

private:
    void send(const ScenarioDatagram& datagram)
    {
        sockaddr_in target{};
        target.sin_family = AF_INET;
        target.sin_port = htons(datagram.weather ? m_options.weatherPort : m_options.trafficPort);
        target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const std::string text = lf_withSendTime(datagram.text);
        if (sendto(m_socket, text.data(), static_cast<int>(text.size()), 0, reinterpret_cast<const sockaddr*>(&target),
                   sizeof target) == SOCKET_ERROR)
            std::cerr << fmt::format("send to port {} failed: {}\n", ntohs(target.sin_port), WSAGetLastError());
    }

    FeederOptions m_options;
    SOCKET m_socket = INVALID_SOCKET;
};

unsigned short lf_port(const std::string& text)
{
    const int port = std::stoi(text);
    if (port <= 0 || port > 65535)
        throw std::runtime_error(fmt::format("bad port {}", text));
    return static_cast<unsigned short>(port);
}

FeederOptions lf_parseOptions(int argc, char** argv)
{
    FeederOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--speed" && hasValue)
            options.speed = std::stod(argv[++i]);
        else if (argument == "--traffic-port" && hasValue)
            options.trafficPort = lf_port(argv[++i]);
        else if (argument == "--weather-port" && hasValue)
            options.weatherPort = lf_port(argv[++i]);
        else if (argument == "--repeat" && hasValue)
            options.repeat = std::stoi(argv[++i]);
        else if (options.scenario.empty() && !argument.starts_with("--"))
            options.scenario = argument;
        else
            throw std::runtime_error(fmt::format("unknown argument '{}'", argument));
    }
    if (options.scenario.empty())
        throw std::runtime_error("no scenario file given");
    return options;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        const FeederOptions options = lf_parseOptions(argc, argv);
        const auto datagrams = lf_readScenario(options.scenario);
        TrafficFeeder feeder(options);
        for (int round = 0; round < options.repeat; ++round)
            feeder.play(datagrams);
        std::cout << fmt::format("sent {} datagram{}\n", datagrams.size() * static_cast<std::size_t>(options.repeat),
                                 datagrams.size() * static_cast<std::size_t>(options.repeat) == 1 ? "" : "s");
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "traffic_feeder: " << e.what() << "\n"
                  << "usage: traffic_feeder <scenario> [--speed <factor>] [--traffic-port <n>] "
                     "[--weather-port <n>] [--repeat <n>]\n";
        return 2;
    }
}
