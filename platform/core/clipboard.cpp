#include "platform/core/clipboard.h"

#include "platform/core/bitmap.h"
#include "platform/core/exceptions.h"
#include "platform/core/scopeexit.h"

#include <atomic>

namespace platform {

namespace {
std::atomic<TClipboard*> g_clipboard { nullptr };
}

TClipboard* Clipboard()
{
    return g_clipboard.load();
}

void SetClipboard(TClipboard* clipboard)
{
    g_clipboard.store(clipboard);
}

void TClipboard::Assign(const TPersistent* source)
{
    const auto* graphic = dynamic_cast<const TGraphic*>(source);
    if (graphic == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    uint16_t format = 0;
    std::shared_ptr<TBitmap> data;
    HPALETTE palette;
    const_cast<TGraphic*>(graphic)->SaveToClipboardFormat(format, data, palette);
    if (format != CF_BITMAP || !data)
        throw EInvalidGraphic(Format("Unknown clipboard format, %d", format));
    Open();
    const ScopeExit close([this] { Close(); });
    SetBitmap(*data, palette);
}

} // namespace platform
