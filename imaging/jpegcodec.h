#pragma once
// Thin entry points over the JPEG library, the only place that calls it. The library reports
// errors by jumping out of the failing call; each entry point catches that jump inside a small
// frame that holds no C++ object and raises EJpegError with the library's message. A data
// source and a data destination bind the library to a platform stream.
#include "platform/core/exceptions.h"

#include <cstdint>

namespace platform {
class TStream;
}

FENDRIX_DECLARE_EXCEPTION(EJpegError, platform::Exception)

// Colour spaces as the library numbers them.
enum TJpegColorSpace : int {
    jcsUnknown = 0,
    jcsGrayscale = 1,
    jcsRgb = 2,
    jcsYCbCr = 3,
    jcsCmyk = 4,
    jcsYcck = 5,
    jcsBgr = 100, // blue, green, red bytes: the order of a true-colour picture's pixels
};

// A picture of more scans is refused: each scan is decoded over the whole picture, and nothing
// but the file's size limits how many there are, so a small file repeating one scan would keep
// the decoder busy for hours. Encoders write a few dozen at most.
inline constexpr int kMaxJpegScans = 1000;

struct TJpegDecompressInfo {
    int imageWidth = 0;
    int imageHeight = 0;
    int outputWidth = 0;
    int outputHeight = 0;
    int outputComponents = 0;
    int densityUnit = 0;
    int xDensity = 0;
    int yDensity = 0;
    int storedColorSpace = 0;
};

struct TJpegDecompressor;
struct TJpegCompressor;

TJpegDecompressor* CreateJpegDecompressor();
void DestroyJpegDecompressor(TJpegDecompressor* decompressor);
// The stream is read from its position; once decoding finishes, the position is just after
// the picture's last byte.
void SetJpegSource(TJpegDecompressor* decompressor, platform::TStream& stream);
void ReadJpegHeader(TJpegDecompressor* decompressor);
TJpegDecompressInfo GetJpegDecompressInfo(TJpegDecompressor* decompressor);
void SetJpegOutColorSpace(TJpegDecompressor* decompressor, TJpegColorSpace colorSpace);
void StartJpegDecompress(TJpegDecompressor* decompressor);
// Reads up to count rows; returns how many were read.
int ReadJpegScanlines(TJpegDecompressor* decompressor, uint8_t* const* rows, int count);
void FinishJpegDecompress(TJpegDecompressor* decompressor);

struct TJpegCompressParams {
    int width = 0;
    int height = 0;
    int components = 0;
    TJpegColorSpace inColorSpace = jcsRgb;
    int quality = 75;
    bool progressive = false;
    bool optimizeCoding = false;
    int xDotsPerInch = 0;
    int yDotsPerInch = 0;
};

TJpegCompressor* CreateJpegCompressor();
void DestroyJpegCompressor(TJpegCompressor* compressor);
void SetJpegDestination(TJpegCompressor* compressor, platform::TStream& stream);
void SetJpegCompressParams(TJpegCompressor* compressor, const TJpegCompressParams& params);
void StartJpegCompress(TJpegCompressor* compressor, bool writeAllTables);
void WriteJpegScanlines(TJpegCompressor* compressor, const uint8_t* const* rows, int count);
void FinishJpegCompress(TJpegCompressor* compressor);
