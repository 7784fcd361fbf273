#include "theming/themeunits.h"

#include "platform/core/exceptions.h"
#include "theming/skin.h"
#include "theming/skindefaulttheme.h"
#include "theming/skinthemes.h"
#include "theming/skinutils.h"

#include <QGuiApplication>

namespace {

int g_startups = 0;

} // namespace

// The toolbar units of the library that hook windows, animate drop-downs on layered windows or
// serve accessibility objects have nothing to start here: no such hooks, animations or objects
// exist on this window system, so their shut-down has nothing to end either.
void InitializeThemes()
{
    if (g_startups++ > 0)
        return;
    if (!qGuiApp) {
        g_startups = 0;
        throw platform::Exception("The theme library starts after the application object");
    }
    CreateToolbarFont();
    InitializeSkinUtils();
    InitializeSkinThemes();
    InitializeSkinDefaultTheme();
    InitializeSkin();
}

void FinalizeThemes()
{
    if (g_startups == 0 || --g_startups > 0)
        return;
    FinalizeSkin();
    FinalizeSkinDefaultTheme();
    FinalizeSkinThemes();
    FinalizeSkinUtils();
    FreeToolbarFont();
}

bool ThemesInitialized()
{
    return g_startups > 0;
}
