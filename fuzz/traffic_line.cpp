// One traffic datagram through the Traffic Reader: split, checked, converted and queued.
// Nothing may escape the parser; the queue is emptied after every input.
#include "app/tick_state.h"
#include "support/fuzz_input.h"
#include "traffic/traffic_mutex.h"
#include "traffic/traffic_reader.h"
#include "traffic/traffic_record.h"

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::initProgram();
    gf_setLoopRunning(true);
    g_trafficReader.setReferencePosition({52.3, 4.76});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    g_trafficReader.handleLine(fuzzsupport::bytes(data, size));
    const std::lock_guard lock(g_trafficMutex);
    g_trafficQueue.clear();
    return 0;
}
