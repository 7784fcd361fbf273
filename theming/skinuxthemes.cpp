#include "theming/skinuxthemes.h"

#include "platform/qt/themeservices.h"

namespace {

bool g_loaded = false;

} // namespace

bool LoadUxTheme()
{
    if (!g_loaded)
        g_loaded = platform::visualStyleLibraryPresent();
    return g_loaded;
}

void UnloadUxTheme()
{
    g_loaded = false;
}

bool VisualStylesActive()
{
    // With a library present the application and system answers would be asked here; the
    // platform has none, so a loaded library is the whole condition.
    return g_loaded && platform::windowSystemInfo().themesEnabled;
}
