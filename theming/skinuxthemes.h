#pragma once
// The visual-style part library, loaded at run time when the system has one. Nothing here has
// such a library (see platform/qt/themeservices.h), so loading reports failure every time and the
// theme library keeps its classic colours and painting.

// Loads the library on the first call, or again after a failure or an unload; whether it is loaded.
bool LoadUxTheme();
void UnloadUxTheme();
// Loaded, and the application and the system both use visual styles.
bool VisualStylesActive();
