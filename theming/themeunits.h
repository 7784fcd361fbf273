#pragma once
// Start-up and shut-down of the theme library. InitializeThemes registers the "Default" theme
// and makes it current; call it once the application object exists and before the first window
// (the splash) is shown. FinalizeThemes undoes it in the reverse order; call it after the last
// themed window has gone and before the application object is destroyed. Calls nest: only the
// first start-up and the matching last shut-down do the work.
void InitializeThemes();
void FinalizeThemes();
bool ThemesInitialized();
