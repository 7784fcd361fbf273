#pragma once
// The pictures of these windows are compiled into this static library; a program registers them
// before their first use (the linker keeps only what is referenced).
#include <QtGlobal>

inline void initDialogResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(dialogs);
        return true;
    }();
    (void)done;
}
