// user32 stand-in: one message queue per thread, with posted messages, messages
// sent from other threads, the quit flag and paint requests, in Windows' order.
#include "platform/standin/window_table.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>

namespace standin {

namespace {

struct ThreadQueue;

struct SentMessage {
    std::function<LRESULT()> work;
    std::shared_ptr<ThreadQueue> sender;
    LRESULT result = 0;
    bool done = false;
};

struct ThreadQueue {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<MSG> posted;
    std::deque<std::shared_ptr<SentMessage>> sent;
    bool quit = false;
    int quitCode = 0;
    bool paintHint = false;
};

struct QueueTable {
    std::mutex mutex;
    std::map<std::thread::id, std::shared_ptr<ThreadQueue>> queues;
};

QueueTable& lf_queueTable()
{
    static QueueTable table;
    return table;
}

std::shared_ptr<ThreadQueue> lf_queueOf(std::thread::id thread)
{
    QueueTable& table = lf_queueTable();
    std::lock_guard lock(table.mutex);
    auto& queue = table.queues[thread];
    if (!queue) {
        queue = std::make_shared<ThreadQueue>();
    }
    return queue;
}

std::shared_ptr<ThreadQueue> lf_ownQueue() { return lf_queueOf(std::this_thread::get_id()); }

DWORD lf_messageTime()
{
    using namespace std::chrono;
    return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void lf_deliver(const std::shared_ptr<SentMessage>& message)
{
    const LRESULT result = message->work();
    {
        std::lock_guard lock(message->sender->mutex);
        message->result = result;
        message->done = true;
    }
    message->sender->wake.notify_all();
}

// Handles every message sent to this thread from elsewhere.
void lf_handleSentMessages(ThreadQueue& queue)
{
    for (;;) {
        std::shared_ptr<SentMessage> next;
        {
            std::lock_guard lock(queue.mutex);
            if (queue.sent.empty()) {
                return;
            }
            next = queue.sent.front();
            queue.sent.pop_front();
        }
        lf_deliver(next);
    }
}

bool lf_post(std::thread::id thread, const MSG& message)
{
    auto queue = lf_queueOf(thread);
    {
        std::lock_guard lock(queue->mutex);
        queue->posted.push_back(message);
    }
    queue->wake.notify_all();
    return true;
}

// One look at the queue in Windows' order: sent, posted, quit, paint.
bool lf_takeMessage(ThreadQueue& queue, MSG& message, bool remove)
{
    lf_handleSentMessages(queue);
    {
        std::lock_guard lock(queue.mutex);
        if (!queue.posted.empty()) {
            message = queue.posted.front();
            if (remove) {
                queue.posted.pop_front();
            }
            return true;
        }
        if (queue.quit) {
            message = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0, lf_messageTime(), {}};
            if (remove) {
                queue.quit = false;
            }
            return true;
        }
        queue.paintHint = false;
    }
    if (HWND window = windowNeedingPaint(std::this_thread::get_id())) {
        message = MSG{window, WM_PAINT, 0, 0, lf_messageTime(), {}};
        return true;
    }
    return false;
}

} // namespace

void forgetMessageQueues()
{
    QueueTable& table = lf_queueTable();
    std::lock_guard lock(table.mutex);
    table.queues.clear();
}

LRESULT runOnOwnerThread(std::thread::id owner, const std::function<LRESULT()>& work)
{
    if (owner == std::this_thread::get_id()) {
        return work();
    }
    auto target = lf_queueOf(owner);
    auto self = lf_ownQueue();
    auto message = std::make_shared<SentMessage>();
    message->work = work;
    message->sender = self;
    {
        std::lock_guard lock(target->mutex);
        target->sent.push_back(message);
    }
    target->wake.notify_all();
    // While waiting, this thread still answers messages sent to it, as Windows does.
    std::unique_lock lock(self->mutex);
    while (!message->done) {
        if (!self->sent.empty()) {
            auto incoming = self->sent.front();
            self->sent.pop_front();
            lock.unlock();
            lf_deliver(incoming);
            lock.lock();
            continue;
        }
        self->wake.wait(lock);
    }
    return message->result;
}

void wakeThread(std::thread::id owner)
{
    auto queue = lf_queueOf(owner);
    {
        std::lock_guard lock(queue->mutex);
        queue->paintHint = true;
    }
    queue->wake.notify_all();
}

} // namespace standin

using namespace standin;

BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const MSG posted{window, message, wParam, lParam, lf_messageTime(), {}};
    if (window == nullptr) {
        return lf_post(std::this_thread::get_id(), posted);
    }
    const std::thread::id owner = ownerOf(window);
    if (owner == std::thread::id{}) {
        return FALSE;
    }
    return lf_post(owner, posted);
}

LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const std::thread::id owner = ownerOf(window);
    if (owner == std::thread::id{}) {
        return 0;
    }
    return runOnOwnerThread(owner, [=] { return callWindowProc(window, message, wParam, lParam); });
}

BOOL GetMessageW(LPMSG message, HWND, UINT, UINT)
{
    auto queue = lf_ownQueue();
    for (;;) {
        if (lf_takeMessage(*queue, *message, true)) {
            return message->message == WM_QUIT ? FALSE : TRUE;
        }
        std::unique_lock lock(queue->mutex);
        queue->wake.wait(lock, [&] {
            return queue->paintHint || queue->quit || !queue->posted.empty() || !queue->sent.empty();
        });
    }
}

BOOL PeekMessageW(LPMSG message, HWND, UINT, UINT, UINT removeFlags)
{
    return lf_takeMessage(*lf_ownQueue(), *message, (removeFlags & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL TranslateMessage(const MSG* message)
{
    if (message == nullptr || message->message != WM_KEYDOWN) {
        return FALSE;
    }
    switch (message->wParam) {
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_TAB:
    case VK_BACK: {
        // The character comes next, before anything else already queued.
        auto queue = lf_ownQueue();
        std::lock_guard lock(queue->mutex);
        queue->posted.push_front(MSG{message->hwnd, WM_CHAR, message->wParam, message->lParam, message->time, {}});
        return TRUE;
    }
    default:
        return FALSE;
    }
}

LRESULT DispatchMessageW(const MSG* message)
{
    if (message == nullptr || message->hwnd == nullptr) {
        return 0;
    }
    if (ownerOf(message->hwnd) != std::this_thread::get_id()) {
        return 0;
    }
    return callWindowProc(message->hwnd, message->message, message->wParam, message->lParam);
}

void PostQuitMessage(int exitCode)
{
    auto queue = lf_ownQueue();
    {
        std::lock_guard lock(queue->mutex);
        queue->quit = true;
        queue->quitCode = exitCode;
    }
    queue->wake.notify_all();
}
