#pragma once
// The program's entry sequence in steps, shared by the program and the start-up benchmark.
#include <QString>

#include <functional>

class TfrmLPMain;
class TfrmSplash;

// The application's title.
QString ApplicationTitle();

// Registers what other units provide before any window exists: the picture formats.
void InitialiseUnits();
// Their counterpart after the last window has gone.
void FinaliseUnits();

// Creates the splash window, shows it and paints it at once; it closes and frees itself.
TfrmSplash* ShowSplash();

// Keeps the splash window, while it is open, above the main window that has just been shown
// (a desktop without a window manager does not keep it on top by itself).
void KeepSplashOnTop();

// The whole entry sequence: units, the application object, the theme library, the splash, the
// main window and the message loop; the program's exit code. beforeShow, when given, sees the
// main window just before it is first shown (the start-up benchmark hooks its first paint).
int RunProgram(int& argc, char** argv, const std::function<void(TfrmLPMain&)>& beforeShow = {});
