// Decryption of the data files into temporary plain XML files, and their removal.
#include "refdata/data_crypt.h"

#include "core/log.h"
#include "core/path_text.h"

#include <fmt/format.h>
#include <sodium.h>

#include <fstream>
#include <memory>
#include <stdexcept>
#include <system_error>

namespace {

constexpr std::size_t kHeaderBytes = crypto_secretstream_xchacha20poly1305_HEADERBYTES;
constexpr std::size_t kChunkCipherBytes = kDataChunkPlainBytes + crypto_secretstream_xchacha20poly1305_ABYTES;

static_assert(kHeaderBytes == 24);
static_assert(kChunkCipherBytes == 4113);

// Both buffers of one file, allocated once.
struct ChunkBuffers {
    alignas(32) unsigned char cipher[kChunkCipherBytes];
    alignas(32) unsigned char plain[kDataChunkPlainBytes];
};

std::size_t lf_readUpTo(std::ifstream& in, unsigned char* buffer, std::size_t count)
{
    in.read(reinterpret_cast<char*>(buffer), static_cast<std::streamsize>(count));
    return static_cast<std::size_t>(in.gcount());
}

void lf_secretstreamDecrypt(const DataKey& key, const std::filesystem::path& input,
                            const std::filesystem::path& output)
{
    gf_initSodium();
    std::ifstream in(input, std::ios::binary);
    if (!in.is_open()) {
        throw std::runtime_error("Could not open input file: " + path_to_utf8(input));
    }
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    if (!out.is_open()) {
        throw std::runtime_error("Could not open output file: " + path_to_utf8(output));
    }

    unsigned char header[kHeaderBytes];
    // A file too short for its header cannot be a data file: never decrypt a fragment.
    if (lf_readUpTo(in, header, kHeaderBytes) != kHeaderBytes) {
        throw std::runtime_error("Truncated data file: " + path_to_utf8(input));
    }
    crypto_secretstream_xchacha20poly1305_state state;
    if (crypto_secretstream_xchacha20poly1305_init_pull(&state, header, key.data()) != 0) {
        throw std::runtime_error("Invalid header or key");
    }

    const auto buffers = std::make_unique<ChunkBuffers>();
    bool final = false;
    std::size_t got = lf_readUpTo(in, buffers->cipher, kChunkCipherBytes);
    while (got > 0) {
        unsigned long long plainBytes = 0;
        unsigned char tag = 0;
        if (crypto_secretstream_xchacha20poly1305_pull(&state, buffers->plain, &plainBytes, &tag, buffers->cipher,
                                                       got, nullptr, 0) != 0) {
            throw std::runtime_error("Decryption failed");
        }
        out.write(reinterpret_cast<const char*>(buffers->plain), static_cast<std::streamsize>(plainBytes));
        if (!out) {
            throw std::runtime_error("Could not write output file: " + path_to_utf8(output));
        }
        if (tag == crypto_secretstream_xchacha20poly1305_TAG_FINAL) {
            final = true;
            break;
        }
        got = lf_readUpTo(in, buffers->cipher, kChunkCipherBytes);
    }
    // A stream cut off before its FINAL chunk is incomplete and must not load as if whole.
    if (!final) {
        throw std::runtime_error("Truncated data file: " + path_to_utf8(input));
    }
    out.close();
    if (!out) {
        throw std::runtime_error("Could not write output file: " + path_to_utf8(output));
    }
}

} // namespace

void gf_initSodium()
{
    static const bool ready = sodium_init() >= 0;
    if (!ready) {
        throw std::runtime_error("libsodium could not be initialised");
    }
}

bool gf_streamDecrypt(const std::filesystem::path& input, const std::filesystem::path& output)
{
    try {
        lf_secretstreamDecrypt(g_dataFileKey, input, output);
        return true;
    } catch (const std::exception& e) {
        gf_log(fmt::format("{} exception: {}", "gf_streamDecrypt", e.what()));
    }
    gf_removeFileWithWarning(output);
    return false;
}

void gf_removeFileWithWarning(const std::filesystem::path& path)
{
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        return;
    }
    if (!std::filesystem::remove(path, ec) && ec) {
        gf_log(fmt::format("Warning: could not remove {}, errorcode: {}", path_to_utf8(path), ec.message()));
    }
}
