#pragma once
// The program's entry sequence in steps, shared by the program and the start-up benchmark.
#include <QString>

class TfrmSplash;

// The application's title.
QString ApplicationTitle();

// Registers what other units provide before any window exists: the picture formats and the
// default theme.
void InitialiseUnits();
// Their counterpart after the last window has gone.
void FinaliseUnits();

// Creates the splash window, shows it and paints it at once; it closes and frees itself.
TfrmSplash* ShowSplash();

// Keeps the splash window, while it is open, above the main window that has just been shown
// (a desktop without a window manager does not keep it on top by itself).
void KeepSplashOnTop();
