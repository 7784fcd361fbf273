#include "imaging/jpeggraphic.h"

#include "platform/core/stream.h"

#include <cmath>
#include <memory>
#include <vector>

namespace {

struct DecompressorDeleter {
    void operator()(TJpegDecompressor* d) const { DestroyJpegDecompressor(d); }
};
struct CompressorDeleter {
    void operator()(TJpegCompressor* c) const { DestroyJpegCompressor(c); }
};

uint16_t densityToDpi(int unit, int density)
{
    if (unit == 1)
        return static_cast<uint16_t>(density);
    if (unit == 2) {
        const double dpi = std::nearbyint(density * 2.54);
        return (dpi < 0 || dpi > 65535) ? 0 : static_cast<uint16_t>(dpi);
    }
    return 0;
}

constexpr int kRowsPerCall = 16;

uint8_t throughInkAndBlack(int ink, int black)
{
    return static_cast<uint8_t>((ink * black + 127) / 255);
}

} // namespace

const platform::TGraphicClass& TJpegGraphic::Class()
{
    static const platform::TGraphicClass cls { "TJpegGraphic",
        [] { return std::unique_ptr<platform::TGraphic>(new TJpegGraphic()); } };
    return cls;
}

const platform::TGraphicClass& TJpegGraphic::GraphicClass() const
{
    return Class();
}

bool TJpegGraphic::CanLoad(platform::TStream& stream)
{
    uint8_t head[20] = {};
    const int64_t got = stream.Read(head, sizeof head);
    // Step back only over what was actually read: a short stream must keep its position.
    if (got > 0)
        stream.Seek(-got, platform::TSeekOrigin::soCurrent);
    if (got < 11)
        return false;
    return head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF && head[3] == 0xE0 && head[6] == 'J'
        && head[7] == 'F' && head[8] == 'I' && head[9] == 'F' && head[10] == 0;
}

void TJpegGraphic::SingleLoadFromStream(platform::TStream& stream, int /*index*/)
{
    ResetProgress();
    ReportPercent(0, 0, 100);
    std::unique_ptr<TJpegDecompressor, DecompressorDeleter> decoder(CreateJpegDecompressor());
    SetJpegSource(decoder.get(), stream);
    ReadJpegHeader(decoder.get());
    TJpegDecompressInfo info = GetJpegDecompressInfo(decoder.get());

    const int stored = info.storedColorSpace;
    switch (stored) {
    case jcsGrayscale:
        SetJpegOutColorSpace(decoder.get(), jcsGrayscale);
        break;
    case jcsRgb:
    case jcsYCbCr:
        // Decoded straight into the blue-green-red order of the picture's pixels.
        SetJpegOutColorSpace(decoder.get(), jcsBgr);
        break;
    case jcsCmyk:
    case jcsYcck:
        SetJpegOutColorSpace(decoder.get(), jcsCmyk);
        break;
    default:
        throw EJpegError("Unsupported color space");
    }
    // Refuse an absurd size before the library allocates for it.
    CheckImageSize(info.imageWidth, info.imageHeight);
    StartJpegDecompress(decoder.get());
    info = GetJpegDecompressInfo(decoder.get());

    const uint16_t xDpi = densityToDpi(info.densityUnit, info.xDensity);
    const uint16_t yDpi = densityToDpi(info.densityUnit, info.yDensity);
    const int width = info.outputWidth, height = info.outputHeight;

    // Decode aside, so that a failure leaves this picture as it was.
    TDibGraphic image;
    if (stored <= jcsYCbCr) {
        if (info.outputComponents != 1 && info.outputComponents != 3)
            throw EJpegError("Invalid number of samples, " + std::to_string(info.outputComponents));
        image.NewImage(
            width, height, info.outputComponents == 1 ? ifGray256 : ifTrueColor, nullptr, xDpi, yDpi);
        uint8_t* rows[kRowsPerCall];
        int row = 0;
        while (row < height) {
            ReportPercent(row, 0, height - 1);
            const int want = std::min(kRowsPerCall, height - row);
            for (int i = 0; i < want; ++i)
                rows[i] = image.ScanLine(row + i);
            const int got = ReadJpegScanlines(decoder.get(), rows, want);
            if (got <= 0)
                throw EJpegError("Premature end of JPEG file");
            row += got;
        }
    } else {
        if (info.outputComponents != 4)
            throw EJpegError("Invalid number of samples, " + std::to_string(info.outputComponents));
        image.NewImage(width, height, ifTrueColor, nullptr, xDpi, yDpi);
        std::vector<uint8_t> buffer(static_cast<std::size_t>(width) * 4);
        uint8_t* rows[1] = { buffer.data() };
        for (int row = 0; row < height; ++row) {
            ReportPercent(row, 0, height - 1);
            if (ReadJpegScanlines(decoder.get(), rows, 1) != 1)
                throw EJpegError("Premature end of JPEG file");
            uint8_t* out = image.ScanLine(row);
            const uint8_t* p = buffer.data();
            for (int x = 0; x < width; ++x, p += 4, out += 3) {
                // Stored inverted (as written by the common image editors), so each value is
                // the share of light its ink lets through. A channel keeps what both its own ink
                // and the black let through: separations put black under every colour, and
                // subtracting the black instead would drive mixed colours to zero.
                const int k = p[3];
                out[0] = throughInkAndBlack(p[2], k);
                out[1] = throughInkAndBlack(p[1], k);
                out[2] = throughInkAndBlack(p[0], k);
            }
        }
    }
    FinishJpegDecompress(decoder.get());
    decoder.reset();
    TakeImageFrom(image);
    ReportPercent(100, 0, 100);
    Changed(this);
}

void TJpegGraphic::SaveToStream(platform::TStream& stream)
{
    ResetProgress();
    ReportPercent(0, 0, 100);
    if (Empty() || (ImageFormat() != ifGray256 && ImageFormat() != ifTrueColor))
        throw EJpegError("JPEG image must be gray scale or true color");
    const bool gray = ImageFormat() == ifGray256;
    std::unique_ptr<TJpegCompressor, CompressorDeleter> encoder(CreateJpegCompressor());
    SetJpegDestination(encoder.get(), stream);
    TJpegCompressParams params;
    params.width = Width();
    params.height = Height();
    params.components = gray ? 1 : 3;
    // True-colour rows are handed over as they lie (blue, green, red): the library takes that order.
    params.inColorSpace = gray ? jcsGrayscale : jcsBgr;
    params.quality = Quality();
    params.progressive = ProgressiveEncoding();
    params.optimizeCoding = OptimizeCoding();
    params.xDotsPerInch = XDotsPerInch();
    params.yDotsPerInch = YDotsPerInch();
    SetJpegCompressParams(encoder.get(), params);
    StartJpegCompress(encoder.get(), true);
    const uint8_t* rows[kRowsPerCall];
    int row = 0;
    while (row < Height()) {
        ReportPercent(row, 0, Height() - 1);
        const int count = std::min(kRowsPerCall, Height() - row);
        for (int i = 0; i < count; ++i)
            rows[i] = ScanLine(row + i);
        WriteJpegScanlines(encoder.get(), rows, count);
        row += count;
    }
    FinishJpegCompress(encoder.get());
    encoder.reset();
    ReportPercent(100, 0, 100);
}

void InitializeJpegUnit()
{
    RegisterDibGraphic("JPG", "JPEG", &TJpegGraphic::Class());
    RegisterDibGraphic("JPEG", "JPEG", &TJpegGraphic::Class());
}
