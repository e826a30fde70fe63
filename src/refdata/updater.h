// The check for new versions of the program and of the data files.
#pragma once

// False only when a new program version was prepared and the run must end.
bool gf_checkForUpdates();
