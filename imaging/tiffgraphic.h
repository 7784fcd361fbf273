#pragma once
// TIFF pictures: single and multi-page files, eight compressions, bilevel, gray, palette and RGB
// images, nine standard and twenty private text tags. The TIFF library does the coding; it is
// bound to platform streams, and each open file gets its own error handler so that the
// library's complaints reach the caller as ETiffError.
#include "imaging/dibgraphic.h"

#include <array>
#include <memory>
#include <string>

FENDRIX_DECLARE_EXCEPTION(ETiffError, platform::Exception)

enum TTiffCompression : uint8_t {
    tcNone = 0,
    tcPackbits = 1,
    tcCcittGroup3_1D = 2,
    tcCcittGroup3_2D = 3,
    tcCcittGroup4 = 4,
    tcZLib = 5,
    tcJpeg = 6,
    tcLzw = 7,
};

std::string TiffCompressionName(TTiffCompression compression);
// Raises EPictorelError "%s compression not supported with %s images" when the picture format
// does not accept the compression.
void CheckTiffCompression(TTiffCompression compression, TImageFormat format);
// Raises ETiffError with the class name, a space and the text.
[[noreturn]] void RaiseTiffError(const std::string& text);

// One private text tag of a picture: its text, and whether it is read and written.
class TCustomTiffTag : public platform::TObject {
public:
    std::string ClassName() const override { return "TCustomTiffTag"; }
    bool ReadOnLoad = false;
    bool WriteOnSave = false;
    std::string Value;
};

constexpr int kTiffUserTagCount = 20;

class TTiffGraphic : public TDibGraphic {
public:
    TTiffGraphic();
    ~TTiffGraphic() override;

    std::string ClassName() const override { return "TTiffGraphic"; }
    const platform::TGraphicClass& GraphicClass() const override;
    static const platform::TGraphicClass& Class();

    void Assign(const platform::TPersistent* source) override;
    void SaveToStream(platform::TStream& stream) override;
    // True for the little-endian ("II*\0") and big-endian ("MM\0*") TIFF signatures. The
    // position is left where it was.
    static bool CanLoad(platform::TStream& stream);
    int GetImageCount(platform::TStream& stream) override;
    void SingleLoadFromStream(platform::TStream& stream, int index) override;
    // Adds the picture as a further page; on an empty stream writes a complete first page.
    void AppendToStream(platform::TStream& stream) override;
    void NewImage(int width, int height, TImageFormat format, const platform::TLogPalette* palette,
        uint16_t xDotsPerInch, uint16_t yDotsPerInch) override;

    TTiffCompression Compression() const { return m_compression; }
    // Refused (EPictorelError, the setting unchanged) when the picture format does not accept it.
    void SetCompression(TTiffCompression value);
    int32_t RowsPerStrip() const { return m_rowsPerStrip; }
    void SetRowsPerStrip(int32_t value) { m_rowsPerStrip = value; }
    // UserTags(1) .. UserTags(20): the tags "UserTag1" .. "UserTag20".
    TCustomTiffTag& UserTags(int n);
    const TCustomTiffTag& UserTags(int n) const;
    uint8_t JpegQuality() const { return m_jpegQuality; }
    void SetJpegQuality(uint8_t value) { m_jpegQuality = value; }
    bool ReverseFillOrder() const { return m_reverseFillOrder; }
    void SetReverseFillOrder(bool value) { m_reverseFillOrder = value; }

    std::string DocumentName; // tag 269
    std::string ImageDescription; // tag 270
    std::string Make; // tag 271
    std::string Model; // tag 272
    std::string PageName; // tag 285
    std::string Software; // tag 305
    std::string DateTime; // tag 306
    std::string Artist; // tag 315
    std::string HostComputer; // tag 316

private:
    struct Reader;
    void ReadTiffImage(platform::TStream& stream, int index);
    void WriteTiffImage(platform::TStream& stream, bool append, int32_t rowsPerStrip);
    std::string* StandardText(int index);

    TTiffCompression m_compression = tcNone;
    int32_t m_rowsPerStrip = 2147483647;
    std::array<std::unique_ptr<TCustomTiffTag>, kTiffUserTagCount> m_userTags;
    uint8_t m_jpegQuality = 70;
    bool m_reverseFillOrder = false;
};

// Start-up of the TIFF unit: the private tag numbers (40000 .. 40019) and the "TIF" and "TIFF"
// registrations. The TIFF library itself is loaded by the first file read or written, and gets
// the tag extension (chained to any extension installed before it) then.
void InitializeTiffGraphicUnit();
