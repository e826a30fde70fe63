#include "support/application_run.h"

#include "app/run_application.h"

#include <thread>

namespace testsupport {

using namespace std::chrono_literals;

ApplicationRun::ApplicationRun()
    : m_exit(std::async(std::launch::async, [] { return gf_runApplication(standin::programInstance()); }))
{
}

ApplicationRun::~ApplicationRun()
{
    if (!waitForExit(0ms)) {
        m_desktop.close();
        waitForExit(30s);
    }
}

std::optional<int> ApplicationRun::waitForExit(std::chrono::milliseconds timeout)
{
    if (!m_exitCode && m_exit.valid() && m_exit.wait_for(timeout) == std::future_status::ready) {
        m_exitCode = m_exit.get();
    }
    return m_exitCode;
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return condition();
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

} // namespace testsupport
