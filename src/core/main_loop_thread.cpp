#include "core/main_loop_thread.h"

#include <fmt/format.h>

#include <atomic>
#include <stdexcept>
#include <thread>

namespace {

// The main loop's thread; no thread while none holds it.
std::atomic<std::thread::id> lv_mainLoopThread;

} // namespace

MainLoopClaim::MainLoopClaim()
{
    lv_mainLoopThread.store(std::this_thread::get_id());
}

MainLoopClaim::~MainLoopClaim()
{
    std::thread::id self = std::this_thread::get_id();
    lv_mainLoopThread.compare_exchange_strong(self, std::thread::id{});
}

void gf_forgetMainLoopThread()
{
    lv_mainLoopThread.store(std::thread::id{});
}

void gf_requireMainLoopThread(std::string_view state)
{
    const std::thread::id self = std::this_thread::get_id();
    std::thread::id holder{};
    if (lv_mainLoopThread.compare_exchange_strong(holder, self) || holder == self) {
        return;
    }
    throw std::runtime_error(fmt::format("{} used off the main loop thread", state));
}
