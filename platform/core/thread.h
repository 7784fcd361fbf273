#pragma once
// A worker thread role: created suspended, started with Resume, runs Execute once. A thread
// with FreeOnTerminate deletes itself when Execute returns; WaitForFreeOnTerminateThreads lets
// shut-down wait until every such thread has gone, so none outlives the data it uses.
#include "platform/core/object.h"

#include <thread>

namespace platform {

class TThread : public TObject {
public:
    explicit TThread(bool createSuspended);
    ~TThread() override;
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    std::string ClassName() const override { return "TThread"; }

    bool FreeOnTerminate() const { return m_freeOnTerminate; }
    void SetFreeOnTerminate(bool value) { m_freeOnTerminate = value; }
    // Starts a suspended thread; does nothing when it already runs.
    void Resume();
    // Waits until Execute has returned (not for a FreeOnTerminate thread, which may be gone).
    void WaitFor();

    static void WaitForFreeOnTerminateThreads();

protected:
    virtual void Execute() = 0;

private:
    void Run();

    bool m_freeOnTerminate = false;
    bool m_started = false;
    std::thread m_thread;
};

} // namespace platform
