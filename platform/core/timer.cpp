#include "platform/core/timer.h"

#include <mutex>
#include <utility>

namespace platform {

namespace {
std::mutex g_factoryMutex;
TTimer::BackendFactory g_factory;
} // namespace

TTimer::TTimer()
{
    BackendFactory factory;
    {
        std::lock_guard lock(g_factoryMutex);
        factory = g_factory;
    }
    if (factory)
        m_backend = factory(*this);
    UpdateBackend();
}

TTimer::~TTimer()
{
    m_enabled = false;
    m_backend.reset();
}

void TTimer::SetEnabled(bool enabled)
{
    m_enabled = enabled;
    UpdateBackend();
}

void TTimer::SetInterval(int intervalMs)
{
    m_interval = intervalMs < 0 ? 0 : intervalMs;
    UpdateBackend();
}

void TTimer::Tick()
{
    if (m_enabled && OnTimer)
        OnTimer(this);
}

void TTimer::UpdateBackend()
{
    if (m_backend)
        m_backend->Update(m_enabled && m_interval > 0, m_interval);
}

void TTimer::SetBackendFactory(BackendFactory factory)
{
    std::lock_guard lock(g_factoryMutex);
    g_factory = std::move(factory);
}

} // namespace platform
