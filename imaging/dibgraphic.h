#pragma once
// The device-independent bitmap picture: one image in one of six pixel formats, drawn
// stretched or with a transparent colour, assigned to and from bitmaps and the clipboard, with
// optional frames and the multi-image stream protocol that the format classes fill in.
// Colours are 0x00RRGGBB throughout; they become window-system colours (0x00BBGGRR) only when
// handed to a canvas.
#include "imaging/pxmisc.h"
#include "platform/core/bitmap.h"
#include "platform/core/canvas.h"
#include "platform/core/exceptions.h"
#include "platform/core/graphic.h"
#include "platform/core/picturelimits.h"
#include "platform/core/timer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

FENDRIX_DECLARE_EXCEPTION(EPictorelError, platform::Exception)

enum TImageFormat : uint8_t {
    ifBlackWhite = 0,
    ifGray16 = 1,
    ifGray256 = 2,
    ifColor16 = 3,
    ifColor256 = 4,
    ifTrueColor = 5,
};

// Which pixel gives the transparent colour: top-left, top-right, bottom-left, bottom-right,
// or TransparentColor itself.
enum TTransparentPixel : uint8_t {
    tpTopLeft = 0,
    tpTopRight = 1,
    tpBottomLeft = 2,
    tpBottomRight = 3,
    tpTransparentColor = 4,
};

int ImageFormatBitCount(TImageFormat format);
std::string ImageFormatName(TImageFormat format);
TImageFormat BitCountToImageFormat(int bitCount);
uint32_t MakeRgb(uint8_t red, uint8_t green, uint8_t blue);
platform::TColorRef RgbToColorRef(uint32_t color);
// Swaps the first and third byte of every whole 3-byte group.
void SwapRedBlue(uint8_t* buffer, int64_t byteCount);
// Refuses a picture size that cannot be held: width and height must be at least 1 and their
// product at most platform::kMaxPicturePixels (the out-of-resources error otherwise).
void CheckImageSize(int64_t width, int64_t height);

// The default palette of a paletted format (raises for true colour and invalid formats).
const platform::TLogPalette& DefaultPalette(TImageFormat format);
bool ScreenIsPaletted();
platform::HPALETTE HalftonePalette();

class TRgbToPaletteConverter;
struct TQuantizeHandOver;
class TDibGraphic;

using TGetImageEvent = std::function<TDibGraphic*(int index, bool& freeIt)>;

class TDibGraphic : public platform::TGraphic {
public:
    TDibGraphic();
    ~TDibGraphic() override;
    TDibGraphic(const TDibGraphic&) = delete;
    TDibGraphic& operator=(const TDibGraphic&) = delete;

    std::string ClassName() const override { return "TDibGraphic"; }
    const platform::TGraphicClass& GraphicClass() const override;
    static const platform::TGraphicClass& Class();

    // ---- the picture role ----
    void AssignTo(platform::TPersistent* dest) const override;
    void Assign(const platform::TPersistent* source) override;
    void Draw(platform::TCanvas& canvas, const platform::TRect& rect) override;
    bool GetEmpty() const override { return !m_bits; }
    int GetWidth() const override { return m_bitmapInfo.bmiHeader.biWidth; }
    int GetHeight() const override { return m_bitmapInfo.bmiHeader.biHeight; }
    // Always raise: the size changes only through NewImage.
    void SetWidth(int value) override;
    void SetHeight(int value) override;
    void LoadFromStream(platform::TStream& stream) override;
    void SaveToStream(platform::TStream& stream) override;
    void LoadFromClipboardFormat(
        uint16_t format, const platform::TBitmap* data, platform::HPALETTE palette) override;
    void SaveToClipboardFormat(
        uint16_t& format, std::shared_ptr<platform::TBitmap>& data, platform::HPALETTE& palette) override;

    // ---- the multi-image stream protocol ----
    static bool CanLoad(platform::TStream& stream);
    virtual int GetImageCount(platform::TStream& stream);
    virtual void SingleLoadFromStream(platform::TStream& stream, int index);
    virtual void AppendToStream(platform::TStream& stream);
    virtual void SaveImagesToStream(platform::TStream& stream, int count, const TGetImageEvent& getImage);
    // The only way to give the picture a size. palette may be null (the format's default);
    // resolutions of 0 mean the screen's.
    virtual void NewImage(int width, int height, TImageFormat format, const platform::TLogPalette* palette,
        uint16_t xDotsPerInch, uint16_t yDotsPerInch);

    // ---- pixels ----
    TImageFormat ImageFormat() const { return m_imageFormat; }
    int BytesPerRow() const { return m_bytesPerRow; }
    // Row y counted from the top.
    uint8_t* ScanLine(int y);
    const uint8_t* ScanLine(int y) const;
    uint32_t GetPixelColor(int x, int y) const;
    void SetPixelColor(int x, int y, uint32_t color);
    int GetPixelIndex(int x, int y) const;
    void SetPixelIndex(int x, int y, int index);
    void Fill(uint32_t color);
    platform::TDibCanvas& Canvas();
    const platform::TBitmapInfo& BitmapInfo() const { return m_bitmapInfo; }
    const uint8_t* Bits() const { return m_bits.get(); }
    const platform::TLogPalette& LogPalette() const { return m_logPalette; }

    uint16_t XDotsPerInch() const;
    uint16_t YDotsPerInch() const;
    void SetXDotsPerInch(uint16_t value);
    void SetYDotsPerInch(uint16_t value);

    platform::HPALETTE GetPaletteHandle();
    void SetPaletteHandle(const platform::HPALETTE& palette);

    // ---- frames ----
    int ImageIndex() const { return m_imageIndex; }
    void SetImageIndex(int value) { m_imageIndex = value; }
    bool LoadAllImages() const { return m_loadAllImages; }
    void SetLoadAllImages(bool value) { m_loadAllImages = value; }
    int FrameCount() const { return static_cast<int>(m_frames.size()); }
    TDibGraphic& Frames(int n) const; // 1-based
    void SetFrame(int n);
    int CurrentFrame() const { return m_currentFrame; }
    int FrameDelay() const { return m_frameDelay; }
    void SetFrameDelay(int ms) { m_frameDelay = ms; }
    bool Animate() const { return m_animate; }
    void SetAnimate(bool value);
    bool TimerEnabled() const;
    // The frame timer's handler: shows the next frame, the first after the last.
    void NextFrame();
    void ClearFrames();

    // ---- drawing ----
    platform::TNotifyEvent OnAfterDraw;
    TPercentDoneEvent OnPercentDone;
    TTransparentPixel TransparentPixel() const { return m_transparentPixel; }
    void SetTransparentPixel(TTransparentPixel value) { m_transparentPixel = value; }
    uint32_t TransparentColor() const { return m_transparentColor; }
    void SetTransparentColor(uint32_t value) { m_transparentColor = value; }
    // The transparent colour as a window-system colour, read from the chosen pixel.
    platform::TColorRef GetTransparentColorRef() const;

    // Copies image, palette, resolutions and frame delay from source (nothing when the source
    // has no size), and its frames.
    void CopyImage(const TDibGraphic& source);
    void CopyFrames(const TDibGraphic& source);
    void LoadFromBitmapHandle(const platform::TBitmap& bitmap, bool deviceDependent = false);

protected:
    void FreeImage();
    // Moves the image of source (a picture decoded aside) into this one, so that a failed
    // decode never leaves a half-made picture behind.
    void TakeImageFrom(TDibGraphic& source);
    int ReportPercent(int64_t current, int64_t min, int64_t max);
    void ResetProgress() { m_lastPercent = 255; }

private:
    friend class TQuantizeThread;
    void StartQuantizeThread();
    void InstallQuantizedPalette();
    void AttachCanvas();
    void CheckPixel(int x, int y) const;

    using PixelGetter = uint32_t (*)(const uint8_t* row, int x);
    using PixelSetter = void (*)(uint8_t* row, int x, uint32_t value);

    // Pixels come from the C heap, or for large pictures from a mapping of their own
    // (mappedLength bytes), which the deleter gives back accordingly.
    struct PixelDeleter {
        std::size_t mappedLength; // 0: from the C heap
        void operator()(uint8_t* p) const;
    };

    static std::unique_ptr<uint8_t, PixelDeleter> allocatePixels(std::size_t size);

    std::unique_ptr<uint8_t, PixelDeleter> m_bits;
    platform::HPALETTE m_palette;
    TImageFormat m_imageFormat = ifBlackWhite;
    platform::TBitmapInfo m_bitmapInfo {};
    platform::TLogPalette m_logPalette {};
    int m_bytesPerRow = 0;
    std::unique_ptr<platform::TDibCanvas> m_canvas;
    int m_imageIndex = 1;
    bool m_loadAllImages = false;
    std::vector<std::unique_ptr<TDibGraphic>> m_frames;
    int m_frameDelay = 200;
    bool m_animate = false;
    std::unique_ptr<platform::TTimer> m_timer;
    int m_currentFrame = -1;
    PixelGetter m_getter = nullptr;
    PixelSetter m_setter = nullptr;
    std::unique_ptr<TRgbToPaletteConverter> m_converter;
    TTransparentPixel m_transparentPixel = tpBottomLeft;
    uint32_t m_transparentColor = 0xFFFFFF;
    std::shared_ptr<TQuantizeHandOver> m_quantizer;
    uint64_t m_imageGeneration = 0;
    int m_lastPercent = 255;
};

// Hooks through which later units add destinations to TDibGraphic::AssignTo (an icon unit
// registers its icon destination). A hook returns true when it handled dest.
using TDibAssignToHook = std::function<bool(const TDibGraphic& source, platform::TPersistent* dest)>;
void RegisterDibAssignToHook(TDibAssignToHook hook);

// Registers the class for an extension with the picture registry and the extension list.
void RegisterDibGraphic(const std::string& extension, const std::string& description,
    const platform::TGraphicClass* pictureClass);
struct TExtensionEntry {
    std::string extension; // upper case
    const platform::TGraphicClass* pictureClass;
};
std::vector<TExtensionEntry> ExtensionList();

// Start-up and shut-down of the bitmap picture unit.
void InitializeDibGraphicUnit();
void FinalizeDibGraphicUnit();
