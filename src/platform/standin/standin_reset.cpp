// The reset of every stand-in to its state at process start.
#include "platform/standin/standin_reset.h"

#include "platform/standin/advapi32_control.h"
#include "platform/standin/kernel32_control.h"
#include "platform/standin/shell32_control.h"
#include "platform/standin/simworld.h"
#include "platform/standin/window_table.h"
#include "platform/standin/winsock_control.h"

namespace standin {

void resetStandIns()
{
    forgetWindowsAndClasses();
    forgetMessageQueues();
    forgetMessageBoxes();
    resetMonitors();
    forgetCommandLine();
    denyWritesUnder({});
    setKnownFoldersFail(false);
    clearShellExecuteCalls();
    setElevated(std::nullopt);
    setTokenQueryFails(false);
    failNextDatagramReceive(0);
    const SimWorldConfig freshWorld;
    SimWorld::instance().configure(freshWorld);
}

} // namespace standin
