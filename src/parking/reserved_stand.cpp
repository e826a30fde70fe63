// The user's reserved stand of the park airport.
#include "parking/reserved_stand.h"

void gf_updateReservedStand()
{
    // The park airports list does not exist yet: nothing to update.
}
