// A text file of unknown encoding: its charset detected and its lines read as UTF-8, and the
// UTF-16 reader on its own in both byte orders.
#include "core/charset.h"
#include "support/fuzz_input.h"

#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::initProgram();
    return 0;
}

namespace {

// The UTF-16 reader throws for an odd number of bytes; its caller reports that as a failed read.
void lf_readUtf16(std::string_view input, Charset byteOrder)
{
    std::istringstream stream{std::string(input)};
    std::vector<std::string> lines;
    try {
        gf_readUtf16Lines(stream, lines, byteOrder);
    } catch (const std::runtime_error&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto input = fuzzsupport::bytes(data, size);
    const auto path = fuzzsupport::writeInput("text.txt", input);
    std::vector<std::string> lines;
    const Charset charset = gf_detectCharset(path);
    gf_readTextFileLines(charset, path, lines);
    gf_charsetName(charset);
    lf_readUtf16(input, Charset::Unicode);
    lf_readUtf16(input, Charset::Unicode_big_endian);
    return 0;
}
