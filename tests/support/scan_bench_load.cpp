// Reading files on every core and busy-loop threads, for the scan benchmarks.
#include "support/scan_bench_load.h"

#include <cstdint>
#include <fstream>
#include <string>

namespace testsupport {

unsigned coreCount()
{
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : cores;
}

std::size_t readFilesOnAllCores(const std::vector<std::filesystem::path>& files)
{
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> bytes{0};
    const auto read = [&] {
        std::string content;
        for (std::size_t i = next.fetch_add(1); i < files.size(); i = next.fetch_add(1)) {
            std::ifstream file(files[i], std::ios::binary | std::ios::ate);
            content.resize(static_cast<std::size_t>(file.tellg()));
            file.seekg(0);
            file.read(content.data(), static_cast<std::streamsize>(content.size()));
            bytes.fetch_add(static_cast<std::size_t>(file.gcount()));
        }
    };
    std::vector<std::thread> threads;
    for (unsigned t = 1; t < coreCount(); ++t) {
        threads.emplace_back(read);
    }
    read();
    for (std::thread& thread : threads) {
        thread.join();
    }
    return bytes.load();
}

BusyMachine::BusyMachine()
{
    for (unsigned t = 0; t < coreCount(); ++t) {
        m_threads.emplace_back([this] {
            std::uint64_t spins = 0;
            while (!m_stop.load(std::memory_order_relaxed)) {
                ++spins;
            }
            volatile std::uint64_t sink = spins;
            (void)sink;
        });
    }
}

BusyMachine::~BusyMachine()
{
    m_stop.store(true);
    for (std::thread& thread : m_threads) {
        thread.join();
    }
}

} // namespace testsupport
