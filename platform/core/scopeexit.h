#pragma once
// Runs an action when a scope is left, whether by its end, a return or an exception: the undo of
// a step that must not outlive a failure (a clipboard left open, a half-written file, a flag).
#include <utility>

namespace platform {

template <typename Action> class ScopeExit {
public:
    explicit ScopeExit(Action action)
        : m_action(std::move(action))
    {
    }
    ~ScopeExit()
    {
        if (m_armed)
            m_action();
    }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

    // The step succeeded: the action is not needed.
    void Release() { m_armed = false; }

private:
    Action m_action;
    bool m_armed = true;
};

} // namespace platform
