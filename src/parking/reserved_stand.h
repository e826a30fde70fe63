// The user's reserved stand of the park airport, kept up to date from the user
// aircraft's position.
#pragma once

// Called with each new user-aircraft record and on a new flight.
void gf_updateReservedStand();
