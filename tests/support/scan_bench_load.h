// What the scan benchmarks measure the scans against: reading files whole on every core, and
// a machine kept busy by one busy-loop thread per core.
#pragma once

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <thread>
#include <vector>

namespace testsupport {

// The machine's core count, at least one.
unsigned coreCount();

// Reads each file whole into memory on one thread per core, files taken by an atomic index;
// returns the bytes read.
std::size_t readFilesOnAllCores(const std::vector<std::filesystem::path>& files);

// One busy-loop thread per core for the life of the object, as a simulator that takes every
// core would run beside the program.
class BusyMachine {
public:
    BusyMachine();
    ~BusyMachine();
    BusyMachine(const BusyMachine&) = delete;
    BusyMachine& operator=(const BusyMachine&) = delete;

private:
    std::atomic<bool> m_stop{false};
    std::vector<std::thread> m_threads;
};

} // namespace testsupport
