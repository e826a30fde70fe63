// The program's one key for its encrypted data files ("dbase.enc", "airports.enc",
// "AIG-regcodes.enc"). The data-file encryptor in tools/ uses the same key.
#pragma once

#include <array>
#include <cstddef>

inline constexpr std::size_t kDataKeyBytes = 32;
using DataKey = std::array<unsigned char, kDataKeyBytes>;

extern const DataKey g_dataFileKey;
