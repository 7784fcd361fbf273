#include "platform/core/messageloop.h"

#include <mutex>
#include <utility>

namespace platform {

namespace {
std::mutex g_mutex;
std::function<void()> g_processMessages;
std::function<void(std::function<void()>)> g_poster;
} // namespace

void ProcessMessages()
{
    std::function<void()> handler;
    {
        std::lock_guard lock(g_mutex);
        handler = g_processMessages;
    }
    if (handler)
        handler();
}

void PostToMainThread(std::function<void()> work)
{
    std::function<void(std::function<void()>)> poster;
    {
        std::lock_guard lock(g_mutex);
        poster = g_poster;
    }
    if (poster)
        poster(std::move(work));
}

void SetProcessMessagesHandler(std::function<void()> handler)
{
    std::lock_guard lock(g_mutex);
    g_processMessages = std::move(handler);
}

void SetMainThreadPoster(std::function<void(std::function<void()>)> poster)
{
    std::lock_guard lock(g_mutex);
    g_poster = std::move(poster);
}

} // namespace platform
