#pragma once
// The two services of the window system's message loop that code without a window needs:
// letting pending messages through, and running a piece of work on the main thread. The
// window-system layer installs the real ones; headless, the first does nothing and the second
// drops the work (callers must not depend on it running).
#include <functional>

namespace platform {

void ProcessMessages();
void PostToMainThread(std::function<void()> work);

void SetProcessMessagesHandler(std::function<void()> handler);
void SetMainThreadPoster(std::function<void(std::function<void()>)> poster);

} // namespace platform
