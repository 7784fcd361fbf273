#pragma once
// The clipboard role as pictures use it: a bitmap and its palette. The window-system layer
// installs the real clipboard; without one, Clipboard() is null.
#include "platform/core/graphics.h"
#include "platform/core/object.h"

#include <memory>

namespace platform {

class TBitmap;

class TClipboard : public TPersistent {
public:
    std::string ClassName() const override { return "TClipboard"; }

    virtual void Open() { ++m_openCount; }
    virtual void Close()
    {
        if (m_openCount > 0)
            --m_openCount;
    }
    bool IsOpen() const { return m_openCount > 0; }

    virtual bool HasFormat(uint16_t format) const = 0;
    // A copy of the CF_BITMAP data; null when there is none.
    virtual std::shared_ptr<TBitmap> GetBitmap() const = 0;
    // The CF_PALETTE data; null when there is none.
    virtual HPALETTE GetPalette() const = 0;
    virtual void SetBitmap(const TBitmap& bitmap, const HPALETTE& palette) = 0;

    // A graphic assigned to the clipboard puts itself on it in its clipboard format.
    void Assign(const TPersistent* source) override;

private:
    int m_openCount = 0;
};

TClipboard* Clipboard();
void SetClipboard(TClipboard* clipboard);

} // namespace platform
