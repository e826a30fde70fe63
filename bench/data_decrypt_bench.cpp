// Data-file decryption against a bare libsodium pull loop over the same file, and the peak
// heap use of one decryption across file sizes (it must not grow with the size).
#include "refdata/data_crypt.h"
#include "support/temp_folder.h"

#include <benchmark/benchmark.h>
#include <sodium.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <new>
#include <sstream>
#include <vector>

namespace {

std::atomic<long long> g_heapNow{0};
std::atomic<long long> g_heapPeak{0};

void lf_countAlloc(std::size_t size)
{
    const long long now = g_heapNow.fetch_add(static_cast<long long>(size)) + static_cast<long long>(size);
    long long peak = g_heapPeak.load();
    while (now > peak && !g_heapPeak.compare_exchange_weak(peak, now)) {
    }
}

} // namespace

// Heap accounting: each block carries its size in front.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size)
{
    auto* block = static_cast<std::size_t*>(std::malloc(size + 16));
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    *block = size;
    lf_countAlloc(size);
    return reinterpret_cast<char*>(block) + 16;
}

void operator delete(void* p) noexcept
{
    if (p != nullptr) {
        auto* block = reinterpret_cast<std::size_t*>(static_cast<char*>(p) - 16);
        g_heapNow.fetch_sub(static_cast<long long>(*block));
        std::free(block);
    }
}

void operator delete(void* p, std::size_t) noexcept
{
    operator delete(p);
}

namespace {

// An encrypted file of the given size, made once per size.
const testsupport::TempFolder& lf_folder()
{
    static testsupport::TempFolder folder;
    return folder;
}

std::filesystem::path lf_encryptedFile(std::size_t bytes)
{
    const auto path = lf_folder() / ("data-" + std::to_string(bytes) + ".enc");
    if (!std::filesystem::exists(path)) {
        std::string plain(bytes, 'x');
        for (std::size_t i = 0; i < bytes; i += 61) {
            plain[i] = '\n';
        }
        std::istringstream in(plain);
        std::ofstream out(path, std::ios::binary);
        gf_streamEncrypt(g_dataFileKey, in, out);
    }
    return path;
}

void BM_streamDecrypt(benchmark::State& state)
{
    const auto input = lf_encryptedFile(static_cast<std::size_t>(state.range(0)));
    const auto output = lf_folder() / "out.xml";
    long long peak = 0;
    for (auto _ : state) {
        const long long before = g_heapNow.load();
        g_heapPeak = before;
        if (!gf_streamDecrypt(input, output)) {
            state.SkipWithError("decryption failed");
        }
        peak = std::max(peak, g_heapPeak.load() - before);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
    state.counters["peak_heap_bytes"] = static_cast<double>(peak);
}
BENCHMARK(BM_streamDecrypt)->Arg(1 << 20)->Arg(10 << 20)->Arg(50 << 20)->Unit(benchmark::kMillisecond);

// Floor: the same file through a bare pull loop with plain C stdio and no checks.
void BM_barePullLoopFloor(benchmark::State& state)
{
    const auto input = lf_encryptedFile(static_cast<std::size_t>(state.range(0)));
    const auto output = lf_folder() / "bare.xml";
    std::vector<unsigned char> cipher(4096 + crypto_secretstream_xchacha20poly1305_ABYTES);
    std::vector<unsigned char> plain(4096);
    for (auto _ : state) {
        FILE* in = std::fopen(input.c_str(), "rb");
        FILE* out = std::fopen(output.c_str(), "wb");
        unsigned char header[crypto_secretstream_xchacha20poly1305_HEADERBYTES];
        std::fread(header, 1, sizeof header, in);
        crypto_secretstream_xchacha20poly1305_state st;
        crypto_secretstream_xchacha20poly1305_init_pull(&st, header, g_dataFileKey.data());
        for (std::size_t got; (got = std::fread(cipher.data(), 1, cipher.size(), in)) > 0;) {
            unsigned long long n = 0;
            unsigned char tag = 0;
            crypto_secretstream_xchacha20poly1305_pull(&st, plain.data(), &n, &tag, cipher.data(), got, nullptr, 0);
            std::fwrite(plain.data(), 1, n, out);
        }
        std::fclose(in);
        std::fclose(out);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_barePullLoopFloor)->Arg(50 << 20)->Unit(benchmark::kMillisecond);

} // namespace
