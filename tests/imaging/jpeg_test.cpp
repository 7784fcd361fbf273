#include "imaging/jpeggraphic.h"
#include "platform/core/bitmap.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

using namespace testsupport;

namespace {

// Writes a JPEG with the library directly (independently of the picture classes).
std::vector<uint8_t> writeWithLibrary(int width, int height, int components, J_COLOR_SPACE inSpace,
    const std::vector<uint8_t>& samples, int densityUnit, int xDensity, int yDensity,
    bool adobeMarker = false)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = components;
    cinfo.in_color_space = inSpace;
    jpeg_set_defaults(&cinfo);
    cinfo.density_unit = static_cast<UINT8>(densityUnit);
    cinfo.X_density = static_cast<UINT16>(xDensity);
    cinfo.Y_density = static_cast<UINT16>(yDensity);
    cinfo.write_Adobe_marker = adobeMarker ? TRUE : FALSE;
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    for (int y = 0; y < height; ++y) {
        JSAMPROW row
            = const_cast<JSAMPROW>(samples.data() + static_cast<std::size_t>(y) * width * components);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<uint8_t> bytes(out, out + size);
    std::free(out);
    return bytes;
}

struct Decoded {
    int width = 0, height = 0, components = 0;
    bool progressive = false;
    int densityUnit = 0, xDensity = 0;
    J_COLOR_SPACE stored = JCS_UNKNOWN;
    std::vector<uint8_t> samples;
    long warnings = 0;
    Pnm pixels() const { return Pnm { width, height, components, samples }; }
};

struct LibraryErrors {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

// Only the library's own frames lie between the setjmp and its jump back; d is reached through
// a pointer the jump leaves alone.
bool decodeGuarded(jpeg_decompress_struct* cinfo, const std::vector<uint8_t>* bytes, Decoded* d)
{
    if (setjmp(reinterpret_cast<LibraryErrors*>(cinfo->err)->jump))
        return false;
    jpeg_mem_src(cinfo, bytes->data(), static_cast<unsigned long>(bytes->size()));
    jpeg_read_header(cinfo, TRUE);
    d->progressive = cinfo->progressive_mode;
    d->densityUnit = cinfo->density_unit;
    d->xDensity = cinfo->X_density;
    d->stored = cinfo->jpeg_color_space;
    jpeg_start_decompress(cinfo);
    d->width = static_cast<int>(cinfo->output_width);
    d->height = static_cast<int>(cinfo->output_height);
    d->components = cinfo->output_components;
    d->samples.resize(static_cast<std::size_t>(d->width) * d->height * d->components);
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row
            = d->samples.data() + static_cast<std::size_t>(cinfo->output_scanline) * d->width * d->components;
        jpeg_read_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

// The library's own decoding, damaged or missing data handled its way (the warnings counted,
// not shown): nothing where it gives up with an error.
std::optional<Decoded> readWithLibrary(const std::vector<uint8_t>& bytes)
{
    jpeg_decompress_struct cinfo;
    LibraryErrors err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = [](j_common_ptr c) { longjmp(reinterpret_cast<LibraryErrors*>(c->err)->jump, 1); };
    err.pub.output_message = [](j_common_ptr) {};
    jpeg_create_decompress(&cinfo);
    Decoded d;
    const bool decoded = decodeGuarded(&cinfo, &bytes, &d);
    d.warnings = err.pub.num_warnings;
    jpeg_destroy_decompress(&cinfo);
    if (!decoded)
        return std::nullopt;
    return d;
}

// Offset of the first (or last) start-of-scan marker.
std::size_t startOfScan(const std::vector<uint8_t>& bytes, bool last = false)
{
    std::size_t found = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xDA) {
            found = i;
            if (!last)
                break;
        }
    return found;
}

// Offset of the first scan's entropy-coded data, after the marker and its header.
std::size_t firstScanData(const std::vector<uint8_t>& bytes)
{
    const std::size_t sos = startOfScan(bytes);
    return sos + 2 + (std::size_t(bytes[sos + 2]) << 8 | bytes[sos + 3]);
}

std::vector<uint8_t> saveToBytes(TJpegGraphic& picture)
{
    platform::TMemoryStream stream;
    picture.SaveToStream(stream);
    return stream.Bytes();
}

void loadBytes(TJpegGraphic& picture, const std::vector<uint8_t>& bytes)
{
    platform::TMemoryStream stream;
    fillStream(stream, bytes);
    picture.LoadFromStream(stream);
}

// A stream that fails after a number of bytes, as a broken disk or network would.
class TFailingStream : public platform::TMemoryStream {
public:
    int64_t failAt = 0;
    int64_t Read(void* buffer, int64_t count) override
    {
        if (Position() + count > failAt)
            throw platform::EReadError("Stream read error");
        return TMemoryStream::Read(buffer, count);
    }
};

} // namespace

TEST(JpegLoad, BaselineAndProgressiveFilesWrittenByCjpegMatchDjpeg)
{
    for (const char* name : { "ycbcr", "progressive" }) {
        SCOPED_TRACE(name);
        TJpegGraphic p;
        p.LoadFromFile(dataPath(std::string("jpeg/") + name + "_cjpeg.jpg"));
        EXPECT_EQ(p.ImageFormat(), ifTrueColor);
        EXPECT_EQ(maxDifference(p, readPnm(dataPath(std::string("jpeg/") + name + "_djpeg.ppm"))), 0);
        // cjpeg writes density unit 0 (aspect ratio only): the screen's resolution.
        EXPECT_EQ(p.YDotsPerInch(), platform::ScreenCaps().dpiY);
    }
}

TEST(JpegLoad, GrayFileBecomesGray256WithTheDefaultPalette)
{
    TJpegGraphic p;
    p.LoadFromFile(dataPath("jpeg/gray_cjpeg.jpg"));
    ASSERT_EQ(p.ImageFormat(), ifGray256);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(p.LogPalette().palPalEntry[i].peGreen, i);
    EXPECT_EQ(maxDifference(p, readPnm(dataPath("jpeg/gray_djpeg.pgm"))), 0); // through the palette
}

TEST(JpegLoad, Density)
{
    const std::vector<uint8_t> gray(4 * 4, 128);
    TJpegGraphic p;
    loadBytes(p, writeWithLibrary(4, 4, 1, JCS_GRAYSCALE, gray, 1, 300, 150));
    EXPECT_EQ(p.XDotsPerInch(), 300);
    EXPECT_EQ(p.YDotsPerInch(), 150);
    loadBytes(p, writeWithLibrary(4, 4, 1, JCS_GRAYSCALE, gray, 2, 118, 40)); // dots per centimetre
    EXPECT_EQ(p.XDotsPerInch(), 300); // 299.72
    EXPECT_EQ(p.YDotsPerInch(), 102); // 101.6
}

TEST(JpegLoad, CmykStoredInvertedBecomesTrueColour)
{
    // Four pixels, stored as the common editors store CMYK (inverted): no ink, full cyan,
    // full black, and half magenta with a quarter black.
    const std::vector<uint8_t> cmyk
        = { 255, 255, 255, 255, 0, 255, 255, 255, 255, 255, 255, 0, 255, 127, 255, 191 };
    std::vector<uint8_t> big;
    // Blocks of 8 x 8 per value keep the colours exact through the compression.
    const int w = 32, h = 8;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            big.insert(big.end(), cmyk.begin() + (x / 8) * 4, cmyk.begin() + (x / 8) * 4 + 4);
    TJpegGraphic p;
    loadBytes(p, writeWithLibrary(w, h, 4, JCS_CMYK, big, 1, 72, 72, true));
    ASSERT_EQ(p.ImageFormat(), ifTrueColor);
    auto near = [](uint32_t a, uint32_t b) {
        for (int shift : { 0, 8, 16 })
            if (std::abs(int((a >> shift) & 255) - int((b >> shift) & 255)) > 2)
                return false;
        return true;
    };
    EXPECT_EQ(p.GetPixelColor(3, 3), 0xFFFFFFu); // all stored values 255: white
    EXPECT_TRUE(near(p.GetPixelColor(11, 3), MakeRgb(0, 255, 255))) << std::hex << p.GetPixelColor(11, 3);
    EXPECT_TRUE(near(p.GetPixelColor(19, 3), 0)) << std::hex << p.GetPixelColor(19, 3);
    // c = 0, m = 128, y = 0, k = 64: each channel keeps what neither its ink nor the black
    // absorbs, 255 x (1 - ink) x (1 - black): red and blue 191, green 127 x 191 / 255.
    EXPECT_TRUE(near(p.GetPixelColor(27, 3), MakeRgb(191, 95, 191))) << std::hex << p.GetPixelColor(27, 3);
}

TEST(JpegLoad, YcckFileWrittenByImageMagickMatchesItsDecoding)
{
    // ImageMagick separates colours with black in every coloured area, so a conversion that
    // merely subtracts the black shows up at once.
    TJpegGraphic p;
    p.LoadFromFile(dataPath("jpeg/ycck_magick.jpg"));
    EXPECT_EQ(p.ImageFormat(), ifTrueColor);
    EXPECT_LE(maxDifference(p, readPnm(dataPath("jpeg/ycck_magick.ppm"))), 2);
}

TEST(JpegSave, WidthOneWritesThreeBytesPerRow)
{
    TJpegGraphic p;
    p.NewImage(1, 20, ifTrueColor, nullptr, 0, 0);
    for (int y = 0; y < 20; ++y)
        p.SetPixelColor(0, y, y < 10 ? 0xFF0000 : 0x0000FF);
    const Decoded d = readWithLibrary(saveToBytes(p)).value();
    EXPECT_EQ(d.width, 1);
    EXPECT_EQ(d.height, 20);
    EXPECT_EQ(d.components, 3);
    ASSERT_EQ(d.samples.size(), 60u);
    EXPECT_GT(d.samples[0], 200); // red stays red: the channels are not swapped
    EXPECT_LT(d.samples[2], 60);
    EXPECT_GT(d.samples[59], 200);
}

TEST(JpegSave, SettingsReachTheFile)
{
    TJpegGraphic p;
    testsupport::makeBlockPicture(p, ifTrueColor, 64, 48);
    p.SetXDotsPerInch(240);
    const auto baseline = saveToBytes(p);
    Decoded d = readWithLibrary(baseline).value();
    EXPECT_FALSE(d.progressive);
    EXPECT_EQ(d.densityUnit, 1);
    EXPECT_EQ(d.xDensity, 240);
    EXPECT_EQ(d.stored, JCS_YCbCr);

    p.SetProgressiveEncoding(true);
    EXPECT_TRUE(readWithLibrary(saveToBytes(p)).value().progressive);
    p.SetProgressiveEncoding(false);
    p.SetOptimizeCoding(true);
    EXPECT_LT(saveToBytes(p).size(), baseline.size());
    p.SetOptimizeCoding(false);
    p.SetQuality(30);
    EXPECT_LT(saveToBytes(p).size(), baseline.size());

    TJpegGraphic gray;
    gray.NewImage(16, 16, ifGray256, nullptr, 0, 0);
    EXPECT_EQ(readWithLibrary(saveToBytes(gray)).value().stored, JCS_GRAYSCALE);
}

TEST(JpegSave, OnlyGrayAndTrueColour)
{
    for (TImageFormat f : { ifBlackWhite, ifGray16, ifColor16, ifColor256 }) {
        TJpegGraphic p;
        p.NewImage(8, 8, f, nullptr, 0, 0);
        platform::TMemoryStream stream;
        EXPECT_THROW(p.SaveToStream(stream), EJpegError) << int(f);
        EXPECT_EQ(stream.Size(), 0);
    }
    TJpegGraphic empty;
    platform::TMemoryStream stream;
    EXPECT_THROW(empty.SaveToStream(stream), EJpegError);
}

TEST(JpegRoundTrip, EveryFormatThroughJpegWithinTheBound)
{
    // Each format is shown as true colour (or kept gray), saved at quality 100 and read back.
    // Bound: inside the 16 x 16 blocks of one colour (two pixels from any block edge, where
    // chroma subsampling blends neighbours) every channel is within 3 of the original; over the
    // whole picture, edges included, the mean channel error is within 5.
    for (TImageFormat f : { ifBlackWhite, ifGray16, ifGray256, ifColor16, ifColor256, ifTrueColor }) {
        TDibGraphic original;
        testsupport::makeBlockPicture(original, f, 96, 64);
        TJpegGraphic jpeg;
        if (f == ifGray256) {
            jpeg.Assign(&original);
        } else {
            jpeg.NewImage(96, 64, ifTrueColor, nullptr, 0, 0);
            original.Draw(jpeg.Canvas(), platform::Rect(0, 0, 96, 64));
        }
        jpeg.SetQuality(100);
        const auto bytes = saveToBytes(jpeg);
        TJpegGraphic back;
        loadBytes(back, bytes);
        ASSERT_EQ(back.Width(), 96);
        ASSERT_EQ(back.ImageFormat(), f == ifGray256 ? ifGray256 : ifTrueColor);
        double total = 0;
        int maxInterior = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 96; ++x) {
                const uint32_t a = original.GetPixelColor(x, y), b = back.GetPixelColor(x, y);
                const bool interior = x % 16 >= 2 && x % 16 <= 13 && y % 16 >= 2 && y % 16 <= 13;
                for (int shift : { 0, 8, 16 }) {
                    const int e = std::abs(int((a >> shift) & 255) - int((b >> shift) & 255));
                    total += e;
                    if (interior)
                        maxInterior = std::max(maxInterior, e);
                }
            }
        EXPECT_LE(maxInterior, 3) << ImageFormatName(f);
        EXPECT_LE(total / (96 * 64 * 3), 5.0) << ImageFormatName(f);
    }
}

TEST(JpegLoad, CanLoadRecognisesOnlyJfif)
{
    platform::TMemoryStream stream;
    fillStream(stream, readFile(dataPath("jpeg/ycbcr_cjpeg.jpg")));
    stream.SetPosition(0);
    EXPECT_TRUE(TJpegGraphic::CanLoad(stream));
    EXPECT_EQ(stream.Position(), 0);
    // An Exif file (APP1 first) is not recognised by this test.
    auto exif = readFile(dataPath("jpeg/ycbcr_cjpeg.jpg"));
    exif[3] = 0xE1;
    fillStream(stream, exif);
    EXPECT_FALSE(TJpegGraphic::CanLoad(stream));
    // A stream shorter than the 20 bytes looked at keeps its position.
    fillStream(stream, { 0xFF, 0xD8, 0xFF });
    stream.SetPosition(1);
    EXPECT_FALSE(TJpegGraphic::CanLoad(stream));
    EXPECT_EQ(stream.Position(), 1);
}

TEST(JpegLoad, StopsRightAfterThePicture)
{
    const auto one = readFile(dataPath("jpeg/gray_cjpeg.jpg"));
    const auto two = readFile(dataPath("jpeg/ycbcr_cjpeg.jpg"));
    std::vector<uint8_t> both = one;
    both.insert(both.end(), two.begin(), two.end());
    platform::TMemoryStream stream;
    fillStream(stream, both);
    TJpegGraphic a, b;
    a.LoadFromStream(stream);
    EXPECT_EQ(stream.Position(), static_cast<int64_t>(one.size()));
    b.LoadFromStream(stream);
    EXPECT_EQ(a.ImageFormat(), ifGray256);
    EXPECT_EQ(b.ImageFormat(), ifTrueColor);
}

TEST(JpegLoad, ProgressIsReported)
{
    TJpegGraphic p;
    std::vector<int> percents;
    p.OnPercentDone = [&](platform::TObject* sender, int percent) {
        EXPECT_EQ(sender, &p);
        percents.push_back(percent);
    };
    p.LoadFromFile(dataPath("jpeg/ycbcr_cjpeg.jpg"));
    ASSERT_GE(percents.size(), 3u);
    EXPECT_EQ(percents.front(), 0);
    EXPECT_EQ(percents.back(), 100);
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
}

TEST(JpegBadInput, CutAnywhereLoadsAsTheLibraryShowsItOrRaisesAndKeepsThePicture)
{
    // Cut in its headers, a picture cannot be decoded; cut in its scan data, the library fills in
    // what is missing and shows the picture at its size.
    const auto good = readFile(dataPath("jpeg/ycbcr_cjpeg.jpg"));
    const std::size_t headers = startOfScan(good), scanData = firstScanData(good);
    // Large enough for pixel memory of its own mapping, which the decoder hands on whole.
    constexpr int kWidth = 1200, kHeight = 1200;
    TJpegGraphic p;
    testsupport::makeBlockPicture(p, ifTrueColor, kWidth, kHeight);
    const uint32_t before = p.GetPixelColor(kWidth - 1, kHeight - 1);
    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        SCOPED_TRACE(cut);
        std::vector<uint8_t> bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
        platform::TMemoryStream stream;
        fillStream(stream, bytes);
        if (const std::optional<Decoded> library = readWithLibrary(bytes)) {
            EXPECT_GT(cut, headers);
            TJpegGraphic shown;
            ASSERT_NO_THROW(shown.LoadFromStream(stream));
            ASSERT_EQ(maxDifference(shown, library->pixels()), 0);
            continue;
        }
        EXPECT_LT(cut, scanData);
        try {
            p.LoadFromStream(stream);
            ADD_FAILURE() << "loaded";
        } catch (const EJpegError& e) {
            EXPECT_GT(std::string(e.what()).size(), 5u);
        }
        ASSERT_EQ(p.Width(), kWidth);
        ASSERT_EQ(p.GetPixelColor(kWidth - 1, kHeight - 1), before);
    }
    // A large picture goes through the decoder whole; the picture still loads a good stream
    // afterwards.
    p.SetQuality(100);
    TJpegGraphic large;
    loadBytes(large, saveToBytes(p));
    ASSERT_EQ(large.Height(), kHeight);
    const uint32_t want = p.GetPixelColor(kWidth - 8, kHeight - 8),
                   got = large.GetPixelColor(kWidth - 8, kHeight - 8);
    for (int shift : { 0, 8, 16 })
        EXPECT_NEAR(int((got >> shift) & 255), int((want >> shift) & 255), 3);
    loadBytes(p, good);
    EXPECT_EQ(p.Width(), 48);
}

TEST(JpegBadInput, CorruptDataAndForeignFiles)
{
    auto messageOf = [](const std::vector<uint8_t>& bytes) -> std::string {
        TJpegGraphic p;
        try {
            loadBytes(p, bytes);
        } catch (const EJpegError& e) {
            return e.what();
        }
        return "<loaded>";
    };
    EXPECT_EQ(
        messageOf({ 0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A }), "Not a JPEG file: starts with 0x89 0x50");
    EXPECT_EQ(messageOf({}), "Empty input file");

    // The entropy-coded data ends early at a marker: the rest is filled in, as the library's
    // own tools show it.
    auto cut = readFile(dataPath("jpeg/ycbcr_cjpeg.jpg"));
    const std::size_t sos = startOfScan(cut);
    ASSERT_GT(sos, 0u);
    std::vector<uint8_t> early(cut.begin(), cut.begin() + static_cast<std::ptrdiff_t>(sos + 40));
    early.push_back(0xFF);
    early.push_back(0xD9);
    TJpegGraphic shown;
    loadBytes(shown, early);
    EXPECT_EQ(maxDifference(shown, readWithLibrary(early).value().pixels()), 0);

    // A frame header that claims an absurd size is refused before anything is allocated.
    auto huge = readFile(dataPath("jpeg/ycbcr_cjpeg.jpg"));
    for (std::size_t i = 0; i + 8 < huge.size(); ++i)
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
            huge[i + 5] = 0x40; // height 16385
            huge[i + 6] = 0x01;
            huge[i + 7] = 0x40; // width 16384: one pixel row beyond 2^28 pixels
            huge[i + 8] = 0x00;
            break;
        }
    TJpegGraphic p;
    platform::TMemoryStream stream;
    fillStream(stream, huge);
    EXPECT_THROW(p.LoadFromStream(stream), platform::EOutOfResources);
    EXPECT_TRUE(p.Empty());
}

TEST(JpegBadInput, DamagedScanDataLoadsAsTheLibraryShowsIt)
{
    // Two bytes of the scan data overwritten with a long run of one bits, which no Huffman code
    // is: the decoder warns, goes on and shows the rest as well as it can.
    const struct {
        const char* name;
        std::size_t into; // how far into the first scan's data
    } files[] = { { "ycbcr", 160 }, { "progressive", 20 } };
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        auto bytes = readFile(dataPath(std::string("jpeg/") + file.name + "_cjpeg.jpg"));
        const std::size_t at = firstScanData(bytes) + file.into;
        bytes[at] = 0xFF;
        bytes[at + 1] = 0x00;
        const std::optional<Decoded> library = readWithLibrary(bytes);
        ASSERT_TRUE(library);
        ASSERT_GT(library->warnings, 0);
        TJpegGraphic p;
        loadBytes(p, bytes);
        EXPECT_EQ(p.Width(), 48);
        EXPECT_EQ(p.Height(), 32);
        EXPECT_EQ(maxDifference(p, library->pixels()), 0);
    }
}

TEST(JpegBadInput, ScansBeyondTheBoundAreRefused)
{
    // Every scan is decoded over the whole picture: a file repeating its last scan could keep
    // the decoder busy without end. Up to the bound the repeats are only a damaged progression.
    const auto good = readFile(dataPath("jpeg/progressive_cjpeg.jpg"));
    int scans = 0;
    for (std::size_t i = 0; i + 1 < good.size(); ++i)
        scans += good[i] == 0xFF && good[i + 1] == 0xDA;
    const std::size_t last = startOfScan(good, true), end = good.size() - 2;
    ASSERT_EQ(good[end], 0xFF);
    ASSERT_EQ(good[end + 1], 0xD9);
    auto repeated = [&](int count) {
        std::vector<uint8_t> bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(end));
        for (int i = scans; i < count; ++i)
            bytes.insert(bytes.end(), good.begin() + static_cast<std::ptrdiff_t>(last),
                good.begin() + static_cast<std::ptrdiff_t>(end));
        bytes.insert(bytes.end(), { 0xFF, 0xD9 });
        return bytes;
    };
    const auto most = repeated(kMaxJpegScans);
    const Pnm shown = readWithLibrary(most).value().pixels();
    TJpegGraphic p;
    loadBytes(p, most);
    EXPECT_EQ(maxDifference(p, shown), 0);
    try {
        loadBytes(p, repeated(kMaxJpegScans + 1));
        ADD_FAILURE() << "loaded";
    } catch (const EJpegError& e) {
        EXPECT_NE(std::string(e.what()).find("scans"), std::string::npos) << e.what();
    }
    EXPECT_EQ(maxDifference(p, shown), 0);
}

TEST(JpegBadInput, StreamFailuresBecomeJpegErrors)
{
    const auto good = readFile(dataPath("jpeg/ycbcr_cjpeg.jpg"));
    TFailingStream stream;
    fillStream(stream, good);
    stream.failAt = 500;
    TJpegGraphic p;
    try {
        p.LoadFromStream(stream);
        FAIL() << "loaded";
    } catch (const EJpegError& e) {
        EXPECT_STREQ(e.what(), "Stream read error");
    }
    EXPECT_TRUE(p.Empty());
}
