#pragma once
// Connects the non-visual picture roles to Qt: the screen's capabilities, the main thread's
// message loop, timers and the clipboard. Called once at start-up, after the application object
// exists and before the picture library starts.
namespace platform {

void InstallQtPicturePlatform();

} // namespace platform
