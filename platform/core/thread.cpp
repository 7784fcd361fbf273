#include "platform/core/thread.h"

#include <condition_variable>
#include <mutex>

namespace platform {

namespace {
std::mutex g_mutex;
std::condition_variable g_allGone;
int g_detached = 0;
} // namespace

TThread::TThread(bool createSuspended)
{
    if (!createSuspended)
        Resume();
}

TThread::~TThread()
{
    if (m_thread.joinable()) {
        if (m_thread.get_id() == std::this_thread::get_id())
            m_thread.detach();
        else
            m_thread.join();
    }
}

void TThread::Resume()
{
    if (m_started)
        return;
    m_started = true;
    if (m_freeOnTerminate) {
        {
            std::lock_guard lock(g_mutex);
            ++g_detached;
        }
        std::thread([this] { Run(); }).detach();
    } else {
        m_thread = std::thread([this] { Run(); });
    }
}

void TThread::WaitFor()
{
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

void TThread::Run()
{
    try {
        Execute();
    } catch (...) {
        // An exception cannot cross the thread's edge; the thread just ends.
    }
    if (m_freeOnTerminate) {
        delete this;
        std::lock_guard lock(g_mutex);
        if (--g_detached == 0)
            g_allGone.notify_all();
    }
}

void TThread::WaitForFreeOnTerminateThreads()
{
    std::unique_lock lock(g_mutex);
    g_allGone.wait(lock, [] { return g_detached == 0; });
}

} // namespace platform
