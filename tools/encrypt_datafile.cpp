// Data-file encryptor: makes "dbase.enc", "airports.enc" or "AIG-regcodes.enc" from its XML
// with the program's key, in the format the program decrypts.
//   encrypt_datafile <input.xml> <output.enc>
#include "core/path_text.h"
#include "refdata/data_crypt.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: encrypt_datafile <input.xml> <output.enc>\n");
        return 2;
    }
    const auto input = gf_utf8ToPath(argv[1]);
    const auto output = gf_utf8ToPath(argv[2]);
    // Written beside the target and renamed, so a failed run never leaves a damaged data file.
    auto partial = output;
    partial += ".partial";
    try {
        std::ifstream in(input, std::ios::binary);
        if (!in.is_open()) {
            std::fprintf(stderr, "cannot open %s\n", argv[1]);
            return 1;
        }
        {
            std::ofstream out(partial, std::ios::binary | std::ios::trunc);
            if (!out.is_open()) {
                std::fprintf(stderr, "cannot write %s\n", path_to_utf8(partial).c_str());
                return 1;
            }
            gf_streamEncrypt(g_dataFileKey, in, out);
            out.close();
            if (!out) {
                throw std::runtime_error("Could not write " + path_to_utf8(partial));
            }
        }
        std::filesystem::rename(partial, output);
    } catch (const std::exception& e) {
        std::error_code ec;
        std::filesystem::remove(partial, ec);
        std::fprintf(stderr, "encrypt_datafile: %s\n", e.what());
        return 1;
    }
    return 0;
}
