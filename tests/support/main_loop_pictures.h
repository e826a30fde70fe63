// The program's run state and the window's picture at the moment each run of this process
// reaches its main loop, for comparing a restarted run with the first one.
#pragma once

#include "platform/standin/desktop.h"

#include <string>
#include <vector>

namespace testsupport {

struct MainLoopPicture {
    std::string state; // the run-state snapshot without the entries the link keeps moving
    standin::Surface window;
};

// Starts taking a picture at every start of the main loop, with none taken before; call it
// once the main window and
// its controls exist (ProgramWindow::onWindowCreated). Before a restarted run reaches its main
// loop, "cs->oid:" must be disabled again, as it is at the first start.
void watchMainLoopStarts();
// The pictures taken so far, in order.
const std::vector<MainLoopPicture>& mainLoopPictures();
// The lines of two snapshots that differ, for a failure message.
std::string stateDifferences(const std::string& first, const std::string& second);

} // namespace testsupport
