#include "support/process_memory.h"

#include <malloc.h>

#include <fstream>
#include <sstream>
#include <string>

namespace testsupport {

std::size_t peakRssKb()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) != 0)
            continue;
        std::istringstream fields(line.substr(6));
        std::size_t kb = 0;
        fields >> kb;
        return kb;
    }
    return 0;
}

std::size_t heapInUseBytes()
{
    return mallinfo2().uordblks;
}

} // namespace testsupport
