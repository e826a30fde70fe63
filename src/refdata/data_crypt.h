// Encrypted data files: libsodium secretstream (XChaCha20-Poly1305), a 24-byte header
// followed by chunks of up to 4096 plain bytes, the last one tagged FINAL.
#pragma once

#include "refdata/data_key.h"

#include <filesystem>
#include <iosfwd>

inline constexpr std::size_t kDataChunkPlainBytes = 4096;

// Decrypts a data file with the program's key into the output path. On failure logs the
// cause, removes the output and returns false: no partial plain file stays behind.
bool gf_streamDecrypt(const std::filesystem::path& input, const std::filesystem::path& output);

// Removes the file when it exists; a failed removal is logged, never thrown.
void gf_removeFileWithWarning(const std::filesystem::path& path);

// Writes the encrypted form of everything the input stream holds (the data-file encryptor
// and the test fixtures make data files with it). Throws std::runtime_error on failure.
void gf_streamEncrypt(const DataKey& key, std::istream& input, std::ostream& output);

// Makes libsodium ready for use; safe to call from any thread, any number of times.
void gf_initSodium();
