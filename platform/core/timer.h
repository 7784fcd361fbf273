#pragma once
// A timer role: an interval, an enabled flag and an OnTimer event. The window-system layer
// supplies the backend that makes it tick on the main thread; without one a timer keeps its
// state and never fires.
#include "platform/core/object.h"

#include <functional>
#include <memory>

namespace platform {

class TTimer : public TObject {
public:
    class Backend {
    public:
        virtual ~Backend() = default;
        // Called whenever Enabled, Interval or OnTimer changes.
        virtual void Update(bool active, int intervalMs) = 0;
    };
    using BackendFactory = std::function<std::unique_ptr<Backend>(TTimer& timer)>;

    TTimer();
    ~TTimer() override;
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    std::string ClassName() const override { return "TTimer"; }

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);
    int Interval() const { return m_interval; }
    void SetInterval(int intervalMs);
    TNotifyEvent OnTimer;

    // Called by the backend at each tick.
    void Tick();

    static void SetBackendFactory(BackendFactory factory);

private:
    void UpdateBackend();

    bool m_enabled = true;
    int m_interval = 1000;
    std::unique_ptr<Backend> m_backend;
};

} // namespace platform
