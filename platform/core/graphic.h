#pragma once
// The picture role: something with a size that draws itself onto a canvas and reads and
// writes itself on streams. Picture classes are described by a TGraphicClass so that the
// picture registry can create them by file extension or by class name.
#include "platform/core/canvas.h"
#include "platform/core/graphics.h"
#include "platform/core/object.h"

#include <functional>
#include <memory>
#include <string>

namespace platform {

class TBitmap;
class TGraphic;
class TStream;

struct TGraphicClass {
    std::string name;
    std::function<std::unique_ptr<TGraphic>()> create;
};

// Clipboard format numbers of the window system.
constexpr uint16_t CF_BITMAP = 2;
constexpr uint16_t CF_PALETTE = 9;

class TGraphic : public TPersistent {
public:
    std::string ClassName() const override { return "TGraphic"; }
    // The class description of this object's class (what TPicture creates again).
    virtual const TGraphicClass& GraphicClass() const = 0;

    virtual void Draw(TCanvas& canvas, const TRect& rect) = 0;
    virtual bool GetEmpty() const = 0;
    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
    virtual void SetWidth(int value) = 0;
    virtual void SetHeight(int value) = 0;
    bool Empty() const { return GetEmpty(); }
    int Width() const { return GetWidth(); }
    int Height() const { return GetHeight(); }

    // Stream forms; a class without one raises EInvalidGraphic.
    virtual void LoadFromStream(TStream& stream);
    virtual void SaveToStream(TStream& stream);
    void LoadFromFile(const std::string& fileName);
    // Writes beside the file first and replaces it only once the new one is complete.
    void SaveToFile(const std::string& fileName);

    // Clipboard forms: CF_BITMAP data is a bitmap, CF_PALETTE data a palette.
    virtual void LoadFromClipboardFormat(uint16_t format, const TBitmap* data, HPALETTE palette);
    virtual void SaveToClipboardFormat(uint16_t& format, std::shared_ptr<TBitmap>& data, HPALETTE& palette);

    virtual bool GetTransparent() const { return m_transparent; }
    virtual void SetTransparent(bool value);
    bool Transparent() const { return GetTransparent(); }

    bool Modified() const { return m_modified; }
    void SetModified(bool value) { m_modified = value; }
    TNotifyEvent OnChange;
    // Marks the picture modified and fires OnChange with this picture as sender.
    virtual void Changed(TObject* sender);

private:
    bool m_transparent = false;
    bool m_modified = false;
};

} // namespace platform
