// Texts for Winsock error codes.
#pragma once

#include <string>

// "{code} " followed by the code's text, or "Unknown errror code".
std::string gf_wsaErrorText(int code);
