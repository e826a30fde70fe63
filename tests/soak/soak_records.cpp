#include "soak/soak_records.h"

#include "engine/ac_containers.h"

namespace soak {

bool gf_inTheSimulator(const StaticAc& ac)
{
    return ac.simState == SimState::active && ac.remove == 0 && ac.withdrawn == 0 && ac.objectId != 0;
}

const LiveAc* gf_record(std::uint32_t hexid)
{
    const LiveAc* found = nullptr;
    for (const LiveAc& ac : g_liveAcs) {
        if (ac.hexid != hexid || ac.remove != 0 || ac.withdrawn != 0)
            continue;
        if (gf_inTheSimulator(ac))
            return &ac;
        if (found == nullptr)
            found = &ac;
    }
    return found;
}

const LiveAc* gf_recordInTheSimulator(std::uint32_t hexid)
{
    const LiveAc* ac = gf_record(hexid);
    return ac != nullptr && gf_inTheSimulator(*ac) ? ac : nullptr;
}

} // namespace soak
