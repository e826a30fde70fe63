// Puts every stand-in back to its state at process start, so that tests sharing one
// process start alike: no windows, window classes or queued messages, no message boxes
// shown, the default screen, the process's own command line, no forced failures or
// overrides, no ShellExecuteW record, and a simulated simulator as configured by default.
#pragma once

namespace standin {

void resetStandIns();

} // namespace standin
