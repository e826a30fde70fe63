// Cost of one log line against a bare stream write of the same line.
#include "core/log.h"
#include "support/temp_folder.h"

#include <benchmark/benchmark.h>

static void BM_gfLog(benchmark::State& state)
{
    testsupport::TempFolder folder(true);
    gf_openLogFile();
    const std::string line(80, 'x');
    for (auto _ : state) {
        gf_log(line);
    }
    std::lock_guard lock(g_logMutex);
    g_logFile.close();
}
BENCHMARK(BM_gfLog);

static void BM_bareStreamFloor(benchmark::State& state)
{
    testsupport::TempFolder folder(true);
    std::ofstream out("bare.txt", std::ios::binary);
    const std::string line(80, 'x');
    for (auto _ : state) {
        out << line << '\n';
    }
}
BENCHMARK(BM_bareStreamFloor);
