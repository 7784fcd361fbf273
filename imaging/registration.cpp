#include "imaging/registration.h"

#include "imaging/dibgraphic.h"
#include "imaging/icongraphic.h"
#include "imaging/jpeggraphic.h"
#include "imaging/tiffgraphic.h"

#include <mutex>

namespace {
std::mutex g_mutex;
bool g_initialized = false;
} // namespace

void InitializeImaging()
{
    std::lock_guard lock(g_mutex);
    if (g_initialized)
        return;
    g_initialized = true;
    InitializeDibGraphicUnit();
    // The TIFF unit registers here, between the bitmap unit and the JPEG unit.
    InitializeTiffGraphicUnit();
    InitializeJpegUnit();
    InitializeIconGraphicUnit();
}

void FinalizeImaging()
{
    std::lock_guard lock(g_mutex);
    if (!g_initialized)
        return;
    g_initialized = false;
    FinalizeDibGraphicUnit();
}
