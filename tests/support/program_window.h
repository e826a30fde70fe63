// The program started in this process as its entry starts it, on the headless desktop: the
// main window on the calling thread (the GUI thread), the start-up thread from
// WM_APP_START_UP, the simulated simulator on a stepped clock that a helper thread runs fast,
// and a working folder with reference data, scanned liveries and an add-on park file for
// Frankfurt, where the user aircraft stands.
#pragma once

#include "platform/standin/desktop.h"
#include "platform/standin/simworld.h"
#include "support/log_capture.h"
#include "support/temp_folder.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace testsupport {

struct ProgramSetup {
    // Entries of "parameters.xml" besides the version, the scans (off) and the install path.
    std::vector<std::pair<std::string, std::string>> parameters;
    // The user aircraft: on the ground at Frankfurt by default.
    double userLat = 50.0400;
    double userLon = 8.5600;
    bool userOnGround = true;
    double userAltitudeFt = 371.0;
};

class ProgramWindow {
public:
    explicit ProgramWindow(const ProgramSetup& setup = {});
    // Closes the window as the user does and pumps until the program has closed down.
    ~ProgramWindow();
    ProgramWindow(const ProgramWindow&) = delete;
    ProgramWindow& operator=(const ProgramWindow&) = delete;

    // Called by start() on the GUI thread once the main window and its controls exist,
    // before the first start-up thread runs.
    void onWindowCreated(std::function<void()> call) { m_windowCreated = std::move(call); }
    // Creates the window and posts WM_APP_START_UP; true once the main loop runs.
    bool start();
    // Pumps the GUI thread's messages until the condition holds; false after the time.
    bool pumpUntil(const std::function<bool()>& condition,
                   std::chrono::milliseconds timeout = std::chrono::seconds(30));
    // Pumps until static aircraft stand in the simulator, no renewal runs and the window has
    // taken the idle state (the main loop enables the controls through the GUI thread).
    bool parkedAndIdle();
    // Pumps while the main loop runs the given number of flight seconds.
    void runFlightSeconds(int seconds);
    // Sends the far-away traffic line again until the program closes: a restarted run waits
    // for its first traffic as the first run did.
    void keepFeedingTraffic();
    // The value "parameters.xml" holds for the name; "<none>" without it.
    static std::string stored(const std::string& name);

    TempFolder root;
    TempFolder work;
    LogCapture log;
    standin::Desktop desktop;

private:
    void stepSimulator(const std::stop_token& stop);
    void sendTraffic(const std::stop_token& stop, bool untilFirstTraffic);

    std::function<void()> m_windowCreated;
    std::jthread m_stepper;
    std::jthread m_traffic;
    bool m_started = false;
};

// The simulated simulator of the year (2020 or 2024) as the program's window runs it: the
// stepped clock, the setup's user aircraft and the fixture liveries' titles installed.
standin::SimWorldConfig programWorld(const ProgramSetup& setup, int year = 2020);

// The stands of the add-on park file and the titles installed in the simulator.
inline constexpr int kProgramWindowStands = 6;

} // namespace testsupport
