// The whole program in this process: the GUI thread's application with its message loop on a
// thread of its own, driven through the headless desktop as a user drives the window.
#pragma once

#include "platform/standin/desktop.h"

#include <chrono>
#include <functional>
#include <future>
#include <optional>

namespace testsupport {

class ApplicationRun {
public:
    // Starts the application; the caller has prepared the working folder and the app data.
    ApplicationRun();
    // Closes the window of a program that still runs and waits for its end.
    ~ApplicationRun();
    ApplicationRun(const ApplicationRun&) = delete;
    ApplicationRun& operator=(const ApplicationRun&) = delete;

    standin::Desktop& desktop() { return m_desktop; }
    // The exit code once the application has ended within the time; none while it runs.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);

private:
    standin::Desktop m_desktop;
    std::future<int> m_exit;
    std::optional<int> m_exitCode;
};

// Polls the condition every 20 ms until it holds or the time is up; returns its last value.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

} // namespace testsupport
