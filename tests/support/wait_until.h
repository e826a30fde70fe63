// Waiting for work that another thread finishes: the fetch worker's downloads, a run's end.
#pragma once

#include <chrono>
#include <optional>
#include <thread>

namespace testsupport {

// Asks until the answer is there or the time is up; the last answer.
template <class Ask>
auto askUntilAnswered(Ask ask, std::chrono::milliseconds limit = std::chrono::seconds(10)) -> decltype(ask())
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    auto answer = ask();
    while (!answer && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        answer = ask();
    }
    return answer;
}

} // namespace testsupport
