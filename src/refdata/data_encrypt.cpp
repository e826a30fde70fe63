// Making data files: the counterpart of the decryption, for the encryptor and test fixtures.
#include "refdata/data_crypt.h"

#include <sodium.h>

#include <istream>
#include <memory>
#include <ostream>
#include <stdexcept>

namespace {

struct EncryptBuffers {
    alignas(32) unsigned char plain[kDataChunkPlainBytes];
    alignas(32) unsigned char cipher[kDataChunkPlainBytes + crypto_secretstream_xchacha20poly1305_ABYTES];
};

std::size_t lf_readChunk(std::istream& in, unsigned char* buffer)
{
    in.read(reinterpret_cast<char*>(buffer), static_cast<std::streamsize>(kDataChunkPlainBytes));
    return static_cast<std::size_t>(in.gcount());
}

} // namespace

void gf_streamEncrypt(const DataKey& key, std::istream& input, std::ostream& output)
{
    gf_initSodium();
    crypto_secretstream_xchacha20poly1305_state state;
    unsigned char header[crypto_secretstream_xchacha20poly1305_HEADERBYTES];
    crypto_secretstream_xchacha20poly1305_init_push(&state, header, key.data());
    output.write(reinterpret_cast<const char*>(header), sizeof header);

    // One chunk ahead is read, so the last chunk (even an empty one) is known and tagged FINAL.
    const auto buffers = std::make_unique<EncryptBuffers>();
    std::size_t got = lf_readChunk(input, buffers->plain);
    for (;;) {
        const bool last = got < kDataChunkPlainBytes || input.peek() == std::char_traits<char>::eof();
        const unsigned char tag =
            last ? crypto_secretstream_xchacha20poly1305_TAG_FINAL : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE;
        unsigned long long cipherBytes = 0;
        crypto_secretstream_xchacha20poly1305_push(&state, buffers->cipher, &cipherBytes, buffers->plain, got,
                                                   nullptr, 0, tag);
        output.write(reinterpret_cast<const char*>(buffers->cipher), static_cast<std::streamsize>(cipherBytes));
        if (!output) {
            throw std::runtime_error("Could not write the encrypted output");
        }
        if (last) {
            return;
        }
        got = lf_readChunk(input, buffers->plain);
    }
}
