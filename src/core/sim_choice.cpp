#include "core/sim_choice.h"

std::atomic<bool> g_msfs2020{true};

void gf_applySimChoice(std::string_view choice)
{
    g_msfs2020.store(choice == "MSFS 2020");
}

int gf_simNumber()
{
    return g_msfs2020.load() ? 1 : 2;
}
