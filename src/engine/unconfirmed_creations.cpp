// The give-up of live creations that the simulator never confirms.
#include "engine/unconfirmed_creations.h"

#include "core/log.h"
#include "engine/ac_containers.h"
#include "engine/aircraft_names.h"
#include "engine/engine_tick.h"
#include "simlink/sim_queues.h"

#include <fmt/format.h>

#include <algorithm>

void gf_noteCreationSent(std::uint32_t hexid, std::uint64_t framesAtHandOver)
{
    const auto ac = std::find_if(g_liveAcs.begin(), g_liveAcs.end(),
                                 [hexid](const LiveAc& live) { return live.hexid == hexid; });
    if (ac == g_liveAcs.end())
        return;
    ac->createSentTick = g_engineTick.load();
    ac->creationClock.start(framesAtHandOver);
}

void gf_giveUpUnconfirmedCreation(LiveAc& ac)
{
    if (ac.objectId != 0 || !ac.creationClock.running() || ac.remove ||
        ac.creationClock.look() < kCreationGiveUpTicks)
        return;
    gf_log(fmt::format("{} not identified in the simulator {} s after its creation, given up", gf_acDescr(ac),
                       kCreationGiveUpTicks / 100));
    gf_queueGivenUpCreate(ac.hexid);
    ac.remove = 1;
}
