// The RealTraffic TCP link: the user aircraft's position to RealTraffic.
#pragma once

// "Qs121" with the user aircraft's position, with re-connect and loss handling.
void gf_sendUserPosition();
