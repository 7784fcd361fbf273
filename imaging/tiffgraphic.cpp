#include "imaging/tiffgraphic.h"

#include "imaging/transforms.h"
#include "platform/core/sharedlibrary.h"
#include "platform/core/stream.h"

#include <tiffio.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

namespace {

constexpr uint32_t kTagDocumentName = 269;
constexpr uint32_t kTagImageDescription = 270;
constexpr uint32_t kTagMake = 271;
constexpr uint32_t kTagModel = 272;
constexpr uint32_t kTagPageName = 285;
constexpr uint32_t kTagSoftware = 305;
constexpr uint32_t kTagDateTime = 306;
constexpr uint32_t kTagArtist = 315;
constexpr uint32_t kTagHostComputer = 316;

constexpr uint32_t kStandardTextTags[9] = { kTagDocumentName, kTagImageDescription, kTagMake, kTagModel,
    kTagPageName, kTagSoftware, kTagDateTime, kTagArtist, kTagHostComputer };

// The library may not take more than this in one allocation for one file: a hostile header
// cannot make it reserve memory beyond what the largest accepted picture needs.
constexpr tmsize_t kMaxLibraryAllocation = tmsize_t(1) << 30;

// ---- the library ----

void tagExtender(TIFF* tif);
TIFFExtendProc g_previousExtender = nullptr;

// libtiff is opened when the first TIFF is read or written, not linked: linked, it and the
// libraries of its coders would be loaded at every start-up.
struct TiffLibrary {
    TiffLibrary()
    {
        // The private text tags are known to every file the library opens from now on.
        if (library.error().empty())
            g_previousExtender = TIFFSetTagExtender(tagExtender);
    }

    // Its error() is empty when every function below was found.
    platform::SharedLibrary library { FENDRIX_LIBTIFF_SONAME };
    FENDRIX_LIBRARY_FUNCTION(library, TIFFClientOpenExt);
    FENDRIX_LIBRARY_FUNCTION(library, TIFFClose);
    FENDRIX_LIBRARY_FUNCTION(library, TIFFComputeStrip);
    FENDRIX_LIBRARY_FUNCTION(library, TIFFFindField);
    FENDRIX_LIBRARY_FUNCTION(library, TIFFGetField);
    FENDRIX_LIBRARY_FUNCTION(library, TIFFGetFieldDefaulted);
    FENDRIX_LIBRARY_FUNCTION(library, TIFFIsTiled);
    FENDRIX_LIBRARY_FUNCTION(library, TIFFMergeFieldInfo);
    FENDRIX_LIBRARY_FUNCTION(library, TIFFOpenOptionsAlloc);
    FENDRIX_LIBRARY_FUNCTION(library, TIFFOpenOptionsFree);
    FENDRIX_LIBRARY_FUNCTION(library, TIFFOpenOptionsSetErrorHandlerExtR);
    FENDRIX_LIBRARY_FUNCTION(library, TIFFOpenOptionsSetMaxSingleMemAlloc);
    FENDRIX_LIBRARY_FUNCTION(library, TIFFOpenOptionsSetWarningHandlerExtR);
    FENDRIX_LIBRARY_FUNCTION(library, TIFFReadDirectory);
    FENDRIX_LIBRARY_FUNCTION(library, TIFFReadEncodedStrip);
    FENDRIX_LIBRARY_FUNCTION(library, TIFFReadRGBAImage);
    FENDRIX_LIBRARY_FUNCTION(library, TIFFReadScanline);
    FENDRIX_LIBRARY_FUNCTION(library, TIFFScanlineSize);
    FENDRIX_LIBRARY_FUNCTION(library, TIFFSetDirectory);
    FENDRIX_LIBRARY_FUNCTION(library, TIFFSetField);
    FENDRIX_LIBRARY_FUNCTION(library, TIFFWriteDirectory);
    FENDRIX_LIBRARY_FUNCTION(library, TIFFWriteEncodedStrip);
    FENDRIX_LIBRARY_FUNCTION(library, TIFFSetTagExtender);
};

const TiffLibrary& tiffLibrary()
{
    static const TiffLibrary library;
    return library;
}

// The library's functions; raises ETiffError when it cannot be loaded.
const TiffLibrary& libtiff()
{
    const TiffLibrary& functions = tiffLibrary();
    if (!functions.library.error().empty())
        RaiseTiffError(functions.library.error());
    return functions;
}

// ---- the library bound to a platform stream ----

// Everything the library's client procedures and handlers need for one open file. Positions are
// counted from base, where the TIFF begins in the stream.
struct TiffSession {
    platform::TStream* stream = nullptr;
    int64_t base = 0;
    std::string error; // the first error the library reported for this file
    bool discardWrites = false;

    void note(const std::string& text)
    {
        if (error.empty())
            error = text;
    }
};

TiffSession* sessionOf(thandle_t handle)
{
    return static_cast<TiffSession*>(handle);
}

// The procedures are called from C: nothing may be thrown through them, so stream errors become
// the library's error returns and are remembered for the message.
tmsize_t readProc(thandle_t handle, void* buffer, tmsize_t size)
{
    TiffSession* s = sessionOf(handle);
    try {
        return static_cast<tmsize_t>(s->stream->Read(buffer, size));
    } catch (const std::exception& e) {
        s->note(e.what());
    } catch (...) {
        s->note("Stream read error");
    }
    return -1;
}

tmsize_t writeProc(thandle_t handle, void* buffer, tmsize_t size)
{
    TiffSession* s = sessionOf(handle);
    if (s->discardWrites)
        return 0;
    try {
        return static_cast<tmsize_t>(s->stream->Write(buffer, size));
    } catch (const std::exception& e) {
        s->note(e.what());
    } catch (...) {
        s->note("Stream write error");
    }
    return -1;
}

toff_t seekProc(thandle_t handle, toff_t offset, int whence)
{
    TiffSession* s = sessionOf(handle);
    try {
        int64_t position = 0;
        const auto signedOffset = static_cast<int64_t>(offset);
        switch (whence) {
        case SEEK_SET:
            if (offset > static_cast<toff_t>(std::numeric_limits<int64_t>::max() - s->base))
                return static_cast<toff_t>(-1);
            position = s->stream->Seek(s->base + signedOffset, platform::TSeekOrigin::soBeginning);
            break;
        case SEEK_CUR:
            position = s->stream->Seek(signedOffset, platform::TSeekOrigin::soCurrent);
            break;
        case SEEK_END:
            position = s->stream->Seek(signedOffset, platform::TSeekOrigin::soEnd);
            break;
        default:
            return static_cast<toff_t>(-1);
        }
        if (position < s->base)
            return static_cast<toff_t>(-1);
        return static_cast<toff_t>(position - s->base);
    } catch (const std::exception& e) {
        s->note(e.what());
    } catch (...) {
        s->note("Stream seek error");
    }
    return static_cast<toff_t>(-1);
}

int closeProc(thandle_t /*handle*/)
{
    return 0;
}

toff_t sizeProc(thandle_t handle)
{
    TiffSession* s = sessionOf(handle);
    try {
        return static_cast<toff_t>(std::max<int64_t>(s->stream->Size() - s->base, 0));
    } catch (...) {
        return 0;
    }
}

int mapProc(thandle_t /*handle*/, void** /*base*/, toff_t* /*size*/)
{
    return 0;
}

void unmapProc(thandle_t /*handle*/, void* /*base*/, toff_t /*size*/) { }

// The per-file handlers: the library's text is kept for the exception, and nothing reaches the
// process-wide handlers (which would print to the console).
int errorHandler(TIFF* /*tif*/, void* userData, const char* module, const char* format, va_list args)
{
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    auto* session = static_cast<TiffSession*>(userData);
    session->note(
        module != nullptr && *module != '\0' ? std::string(module) + ": " + text : std::string(text));
    return 1;
}

int warningHandler(
    TIFF* /*tif*/, void* /*userData*/, const char* /*module*/, const char* /*format*/, va_list /*args*/)
{
    return 1;
}

// One open TIFF on a stream. The file is closed when the object goes; after a failure nothing
// more is written to the stream.
class TiffFile {
public:
    TiffFile(platform::TStream& stream, int64_t base, const char* mode)
    {
        libtiff(); // raises, before the stream is touched, when the library cannot be loaded
        m_session.stream = &stream;
        m_session.base = base;
        m_writing = mode[0] != 'r';
        TIFFOpenOptions* options = libtiff().TIFFOpenOptionsAlloc();
        if (options == nullptr)
            platform::RaiseOutOfResources(ENOMEM);
        libtiff().TIFFOpenOptionsSetErrorHandlerExtR(options, errorHandler, &m_session);
        libtiff().TIFFOpenOptionsSetWarningHandlerExtR(options, warningHandler, &m_session);
        libtiff().TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxLibraryAllocation);
        m_tif = libtiff().TIFFClientOpenExt("stream", mode, &m_session, readProc, writeProc, seekProc,
            closeProc, sizeProc, mapProc, unmapProc, options);
        libtiff().TIFFOpenOptionsFree(options);
        if (m_tif == nullptr)
            Fail("TIFFOpen");
    }

    ~TiffFile()
    {
        if (m_tif == nullptr)
            return;
        if (m_writing)
            m_session.discardWrites = true;
        // An open file means the library is loaded: nothing here can raise.
        tiffLibrary().TIFFClose(m_tif);
    }

    TiffFile(const TiffFile&) = delete;
    TiffFile& operator=(const TiffFile&) = delete;

    TIFF* tif() const { return m_tif; }

    // Forgets what the library said so far: complaints about a directory that it then read
    // anyway (an odd tag, a missing optional field) are not failures of the image data.
    void ClearError() { m_session.error.clear(); }
    bool HasError() const { return !m_session.error.empty(); }

    // Raises ETiffError with the text and what the library said about this file.
    [[noreturn]] void Fail(const std::string& text) const
    {
        if (m_session.error.empty())
            RaiseTiffError(text);
        RaiseTiffError(text + " (" + m_session.error + ")");
    }

    // Writes the directory of the page and closes the file; failures raise.
    void FinishWriting()
    {
        if (!libtiff().TIFFWriteDirectory(m_tif))
            Fail("TIFFWriteDirectory");
        TIFF* tif = m_tif;
        m_tif = nullptr;
        libtiff().TIFFClose(tif);
        if (!m_session.error.empty())
            RaiseTiffError("TIFFClose (" + m_session.error + ")");
    }

    void SetInt(uint32_t tag, uint32_t value) const
    {
        if (!libtiff().TIFFSetField(m_tif, tag, value))
            Fail("TIFFSetIntField: Tag = " + std::to_string(tag));
    }

    void SetFloat(uint32_t tag, double value) const
    {
        if (!libtiff().TIFFSetField(m_tif, tag, value))
            Fail("TIFFSetFloatField: Tag = " + std::to_string(tag));
    }

    void SetText(uint32_t tag, const std::string& value) const
    {
        if (!libtiff().TIFFSetField(m_tif, tag, value.c_str()))
            Fail("TIFFSetField: Tag = " + std::to_string(tag));
    }

    std::string GetText(uint32_t tag) const
    {
        char* text = nullptr;
        if (libtiff().TIFFGetField(m_tif, tag, &text) == 1 && text != nullptr)
            return text;
        return {};
    }

private:
    TiffSession m_session;
    TIFF* m_tif = nullptr;
    bool m_writing = false;
};

// ---- the private text tags ----

const char* const kUserTagNames[kTiffUserTagCount] = { "UserTag1", "UserTag2", "UserTag3", "UserTag4",
    "UserTag5", "UserTag6", "UserTag7", "UserTag8", "UserTag9", "UserTag10", "UserTag11", "UserTag12",
    "UserTag13", "UserTag14", "UserTag15", "UserTag16", "UserTag17", "UserTag18", "UserTag19", "UserTag20" };

// Runs whenever the library sets up a directory. The library keeps the twenty texts of each
// directory itself, as custom fields, so the extension needs no storage of its own; every other
// tag stays with the library's own handlers.
void tagExtender(TIFF* tif)
{
    const auto numbers = TiffUserTagNumbers();
    TIFFFieldInfo info[kTiffUserTagCount];
    uint32_t count = 0;
    for (int i = 0; i < kTiffUserTagCount; ++i) {
        if (numbers[static_cast<std::size_t>(i)] == 0
            || tiffLibrary().TIFFFindField(tif, numbers[static_cast<std::size_t>(i)], TIFF_ANY) != nullptr)
            continue;
        info[count++] = TIFFFieldInfo { numbers[static_cast<std::size_t>(i)], TIFF_VARIABLE, TIFF_VARIABLE,
            TIFF_ASCII, FIELD_CUSTOM, 1, 0, const_cast<char*>(kUserTagNames[i]) };
    }
    if (count > 0)
        tiffLibrary().TIFFMergeFieldInfo(tif, info, count);
    if (g_previousExtender != nullptr)
        g_previousExtender(tif);
}

// ---- compressions ----

uint16_t compressionTag(TTiffCompression compression)
{
    switch (compression) {
    case tcNone:
        return COMPRESSION_NONE;
    case tcPackbits:
        return COMPRESSION_PACKBITS;
    case tcCcittGroup3_1D:
    case tcCcittGroup3_2D:
        return COMPRESSION_CCITTFAX3;
    case tcCcittGroup4:
        return COMPRESSION_CCITTFAX4;
    case tcZLib:
        return COMPRESSION_DEFLATE;
    case tcJpeg:
        return COMPRESSION_JPEG;
    case tcLzw:
        return COMPRESSION_LZW;
    }
    throw EPictorelError("Internal error: Invalid compression");
}

bool isCcitt(TTiffCompression compression)
{
    return compression == tcCcittGroup3_1D || compression == tcCcittGroup3_2D || compression == tcCcittGroup4;
}

bool isCcittTag(uint16_t tag)
{
    return tag == COMPRESSION_CCITTRLE || tag == COMPRESSION_CCITTFAX3 || tag == COMPRESSION_CCITTFAX4
        || tag == COMPRESSION_CCITTRLEW;
}

uint16_t dpiFromResolution(float resolution, uint16_t unit)
{
    double dpi = resolution;
    if (unit != RESUNIT_NONE && unit != RESUNIT_INCH)
        dpi *= 2.54;
    if (!std::isfinite(dpi) || dpi < 0 || dpi > 65535)
        return 0;
    return static_cast<uint16_t>(RoundHalfEven(dpi));
}

uint16_t fieldOr(TIFF* tif, uint32_t tag, uint16_t fallback)
{
    uint16_t value = 0;
    return libtiff().TIFFGetField(tif, tag, &value) == 1 ? value : fallback;
}

// The palette of a file's ColorMap: 8-bit values when every entry is below 256 (as some writers
// store them), otherwise 16-bit values scaled to 8 bits.
platform::TLogPalette readColorMap(const TiffFile& file, uint16_t bitsPerSample)
{
    uint16_t* red = nullptr;
    uint16_t* green = nullptr;
    uint16_t* blue = nullptr;
    if (libtiff().TIFFGetField(file.tif(), TIFFTAG_COLORMAP, &red, &green, &blue) != 1 || red == nullptr
        || green == nullptr || blue == nullptr)
        file.Fail("ColorMap missing");
    const uint32_t entries = 1u << bitsPerSample;
    bool eightBit = true;
    for (uint32_t i = 0; i < entries && eightBit; ++i)
        eightBit = red[i] < 256 && green[i] < 256 && blue[i] < 256;
    auto scale = [&](uint16_t v) { return static_cast<uint8_t>(eightBit ? v : uint32_t(v) * 255 / 65535); };
    platform::TLogPalette palette {};
    palette.palVersion = 0x300;
    palette.palNumEntries = static_cast<uint16_t>(std::min<uint32_t>(entries, 256));
    // Pixels of more than 8 bits are shown by their high byte, so entry i stands for the
    // samples whose high byte is i.
    const uint32_t step = entries > 256 ? entries / 256 : 1;
    for (uint32_t i = 0; i < palette.palNumEntries; ++i) {
        palette.palPalEntry[i].peRed = scale(red[i * step]);
        palette.palPalEntry[i].peGreen = scale(green[i * step]);
        palette.palPalEntry[i].peBlue = scale(blue[i * step]);
        palette.palPalEntry[i].peFlags = 0;
    }
    return palette;
}

template <typename T> std::unique_ptr<T[]> allocate(int64_t count)
{
    if (count <= 0 || static_cast<uint64_t>(count) > std::numeric_limits<std::size_t>::max() / sizeof(T))
        platform::RaiseOutOfResources(ENOMEM);
    std::unique_ptr<T[]> memory(new (std::nothrow) T[static_cast<std::size_t>(count)]);
    if (!memory)
        platform::RaiseOutOfResources(ENOMEM);
    return memory;
}

} // namespace

// ---- free routines ----

std::string TiffCompressionName(TTiffCompression compression)
{
    switch (compression) {
    case tcNone:
        return "None";
    case tcPackbits:
        return "Packbits";
    case tcCcittGroup3_1D:
        return "CCITT Group 3, 1D";
    case tcCcittGroup3_2D:
        return "CCITT Group 3, 2D";
    case tcCcittGroup4:
        return "CCITT Group 4";
    case tcZLib:
        return "ZLib";
    case tcJpeg:
        return "JPEG";
    case tcLzw:
        return "LZW";
    }
    throw EPictorelError("Internal error: Invalid compression");
}

void CheckTiffCompression(TTiffCompression compression, TImageFormat format)
{
    bool accepted = false;
    switch (compression) {
    case tcNone:
    case tcPackbits:
    case tcZLib:
    case tcLzw:
        accepted = true;
        break;
    case tcCcittGroup3_1D:
    case tcCcittGroup3_2D:
    case tcCcittGroup4:
        accepted = format == ifBlackWhite;
        break;
    case tcJpeg:
        accepted = format == ifGray256 || format == ifTrueColor;
        break;
    }
    if (!accepted)
        throw EPictorelError(platform::Format("%s compression not supported with %s images",
            TiffCompressionName(compression).c_str(), ImageFormatName(format).c_str()));
}

void RaiseTiffError(const std::string& text)
{
    throw ETiffError("ETiffError " + text);
}

void InitializeTiffGraphicUnit()
{
    std::array<uint32_t, 20> numbers {};
    for (uint32_t i = 0; i < numbers.size(); ++i)
        numbers[i] = 40000 + i;
    SetTiffUserTagNumbers(numbers);
    RegisterDibGraphic("TIF", "TIFF file", &TTiffGraphic::Class());
    RegisterDibGraphic("TIFF", "TIFF file", &TTiffGraphic::Class());
}

// ---- TTiffGraphic ----

TTiffGraphic::TTiffGraphic()
{
    for (auto& tag : m_userTags)
        tag = std::make_unique<TCustomTiffTag>();
    m_userTags[0]->ReadOnLoad = true;
    m_userTags[0]->WriteOnSave = true;
}

TTiffGraphic::~TTiffGraphic() = default;

const platform::TGraphicClass& TTiffGraphic::Class()
{
    static const platform::TGraphicClass cls { "TTiffGraphic",
        [] { return std::unique_ptr<platform::TGraphic>(new TTiffGraphic()); } };
    return cls;
}

const platform::TGraphicClass& TTiffGraphic::GraphicClass() const
{
    return Class();
}

TCustomTiffTag& TTiffGraphic::UserTags(int n)
{
    if (n < 1 || n > kTiffUserTagCount)
        throw EPictorelError(platform::Format("User tag %d does not exist", n));
    return *m_userTags[static_cast<std::size_t>(n - 1)];
}

const TCustomTiffTag& TTiffGraphic::UserTags(int n) const
{
    return const_cast<TTiffGraphic*>(this)->UserTags(n);
}

std::string* TTiffGraphic::StandardText(int index)
{
    std::string* texts[9] = { &DocumentName, &ImageDescription, &Make, &Model, &PageName, &Software,
        &DateTime, &Artist, &HostComputer };
    return texts[index];
}

void TTiffGraphic::SetCompression(TTiffCompression value)
{
    CheckTiffCompression(value, ImageFormat());
    m_compression = value;
}

void TTiffGraphic::NewImage(int width, int height, TImageFormat format, const platform::TLogPalette* palette,
    uint16_t xDotsPerInch, uint16_t yDotsPerInch)
{
    TDibGraphic::NewImage(width, height, format, palette, xDotsPerInch, yDotsPerInch);
    m_compression = format == ifBlackWhite ? tcCcittGroup4 : tcPackbits;
}

void TTiffGraphic::Assign(const platform::TPersistent* source)
{
    TDibGraphic::Assign(source);
    if (const auto* tiff = dynamic_cast<const TTiffGraphic*>(source))
        m_rowsPerStrip = tiff->m_rowsPerStrip;
}

bool TTiffGraphic::CanLoad(platform::TStream& stream)
{
    uint8_t head[4] = {};
    const int64_t got = stream.Read(head, sizeof head);
    if (got > 0)
        stream.Seek(-got, platform::TSeekOrigin::soCurrent);
    if (got != 4)
        return false;
    return (head[0] == 0x49 && head[1] == 0x49 && head[2] == 0x2A && head[3] == 0x00)
        || (head[0] == 0x4D && head[1] == 0x4D && head[2] == 0x00 && head[3] == 0x2A);
}

int TTiffGraphic::GetImageCount(platform::TStream& stream)
{
    // Opening reads the first directory; every further directory that reads counts.
    TiffFile file(stream, stream.Position(), "rc");
    int count = 1;
    while (libtiff().TIFFReadDirectory(file.tif()) == 1)
        ++count;
    return count;
}

void TTiffGraphic::SingleLoadFromStream(platform::TStream& stream, int index)
{
    ResetProgress();
    ReportPercent(0, 0, 100);
    // The TIFF begins where the stream stands: its offsets count from there.
    ReadTiffImage(stream, index);
    ReportPercent(100, 0, 100);
    Changed(this);
}

void TTiffGraphic::SaveToStream(platform::TStream& stream)
{
    if (stream.Position() == 0) {
        WriteTiffImage(stream, false, m_rowsPerStrip);
        return;
    }
    // Offsets in the file count from its first byte: build it aside, then copy it in whole.
    platform::TMemoryStream memory;
    WriteTiffImage(memory, false, m_rowsPerStrip);
    stream.WriteBuffer(memory.Memory(), memory.Size());
}

void TTiffGraphic::AppendToStream(platform::TStream& stream)
{
    if (stream.Size() == 0) {
        SaveToStream(stream);
        return;
    }
    stream.SetPosition(0);
    WriteTiffImage(stream, true, m_rowsPerStrip);
}

namespace {

// How the rows of a directory reach the picture.
enum class TiffRowPath : std::uint8_t {
    sixteenBit, // 16-bit samples, each pixel taken from its high byte
    ccitt, // fax-coded bilevel rows, copied as decoded
    rgba, // through the library's colour conversion of the whole image
    strips, // rows copied from the decoded strips as they are
};

// What a directory's tags say about its picture, checked before any pixel memory is taken.
struct TiffLayout {
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t bitsPerSample = 0;
    uint16_t samplesPerPixel = 1;
    uint16_t orientation = ORIENTATION_TOPLEFT;
    uint16_t xDpi = 0;
    uint16_t yDpi = 0;
    TTiffCompression compression = tcNone;
    TImageFormat format = ifTrueColor;
    bool colorMap = false;
    bool negative = false; // zero means white: the raw rows need inverting
    bool widenPalette = false; // 1- and 2-bit palette rows widened to 4-bit pixels
    tmsize_t scanlineSize = 0;
    TiffRowPath path = TiffRowPath::strips;
};

TTiffCompression compressionFromTag(TIFF* tif, uint16_t tag)
{
    switch (tag) {
    case COMPRESSION_NONE:
        return tcNone;
    case COMPRESSION_PACKBITS:
        return tcPackbits;
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTRLEW:
        return tcCcittGroup3_1D;
    case COMPRESSION_CCITTFAX3: {
        uint32_t options = 0;
        libtiff().TIFFGetField(tif, TIFFTAG_GROUP3OPTIONS, &options);
        return (options & GROUP3OPT_2DENCODING) ? tcCcittGroup3_2D : tcCcittGroup3_1D;
    }
    case COMPRESSION_CCITTFAX4:
        return tcCcittGroup4;
    case COMPRESSION_DEFLATE:
    case COMPRESSION_ADOBE_DEFLATE: // the number Deflate is written under today
        return tcZLib;
    case COMPRESSION_JPEG:
        return tcJpeg;
    case COMPRESSION_LZW:
        return tcLzw;
    default:
        RaiseTiffError(platform::Format("Unsupported compression tag, %d", tag));
    }
}

// Reads the current directory's tags into a layout; raises for a picture that cannot be read.
TiffLayout readTiffLayout(const TiffFile& file)
{
    TIFF* tif = file.tif();
    TiffLayout layout;
    libtiff().TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &layout.width);
    libtiff().TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &layout.height);
    if (layout.width == 0 || layout.height == 0)
        RaiseTiffError(platform::Format("Invalid image size %u x %u", layout.width, layout.height));
    CheckImageSize(layout.width, layout.height);

    uint16_t photometric = fieldOr(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    const uint16_t compressionValue = fieldOr(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    const bool ccitt = isCcittTag(compressionValue);
    uint16_t bitsPerSample = 0;
    if (libtiff().TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &bitsPerSample) != 1 || bitsPerSample == 0) {
        if (!ccitt)
            RaiseTiffError("Bits per sample not specified");
        bitsPerSample = 1;
    }
    layout.bitsPerSample = bitsPerSample;
    const uint16_t samplesPerPixel = fieldOr(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    layout.samplesPerPixel = samplesPerPixel;
    const uint16_t planar = fieldOr(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    layout.orientation = fieldOr(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    const uint16_t resolutionUnit = fieldOr(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    float resolution = 0;
    if (libtiff().TIFFGetField(tif, TIFFTAG_XRESOLUTION, &resolution) == 1)
        layout.xDpi = dpiFromResolution(resolution, resolutionUnit);
    resolution = 0;
    if (libtiff().TIFFGetField(tif, TIFFTAG_YRESOLUTION, &resolution) == 1)
        layout.yDpi = dpiFromResolution(resolution, resolutionUnit);
    layout.compression = compressionFromTag(tif, compressionValue);

    // Samples per pixel as the row length gives them, and the bits of one pixel.
    layout.scanlineSize = libtiff().TIFFScanlineSize(tif);
    if (layout.scanlineSize <= 0)
        file.Fail("TIFFScanlineSize");
    const int64_t samples
        = std::max<int64_t>(1, RoundHalfEven(static_cast<double>(layout.scanlineSize) / layout.width));
    const int64_t bitsPerPixel = int64_t(bitsPerSample) * samples;
    const bool tiled = libtiff().TIFFIsTiled(tif) != 0;

    if (ccitt && photometric == PHOTOMETRIC_MINISBLACK)
        photometric = PHOTOMETRIC_MINISWHITE;

    const bool gray = photometric <= PHOTOMETRIC_MINISBLACK;
    if (gray && (bitsPerSample == 1 || bitsPerSample == 4 || bitsPerSample == 8 || bitsPerSample == 16)) {
        layout.format = bitsPerSample == 1 ? ifBlackWhite : bitsPerSample == 4 ? ifGray16 : ifGray256;
        layout.negative = photometric == PHOTOMETRIC_MINISWHITE;
    } else if (photometric == PHOTOMETRIC_PALETTE) {
        layout.format = bitsPerSample <= 4 ? ifColor16 : ifColor256;
        layout.colorMap = true;
    }

    layout.widenPalette
        = layout.colorMap && (bitsPerSample == 1 || bitsPerSample == 2) && samplesPerPixel == 1;
    bool rgba = compressionValue == COMPRESSION_JPEG || tiled || photometric == PHOTOMETRIC_SEPARATED
        || photometric == PHOTOMETRIC_YCBCR || bitsPerSample > 8 || planar == PLANARCONFIG_SEPARATE
        || (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 24);
    const bool directLayout = !tiled && compressionValue != COMPRESSION_JPEG && planar == PLANARCONFIG_CONTIG;
    if (layout.widenPalette && directLayout)
        rgba = false;
    if (!rgba) {
        // Rows are copied as they are only when they hold what the picture's rows hold; other
        // layouts (masks, CIELab, extra samples) go through the library's colour conversion.
        const bool rawFits = layout.widenPalette
            || (layout.format == ifTrueColor
                    ? photometric == PHOTOMETRIC_RGB && samplesPerPixel == 3 && bitsPerSample == 8
                    : samplesPerPixel == 1 && bitsPerPixel == ImageFormatBitCount(layout.format));
        rgba = !rawFits;
    }
    const bool sixteenBit = directLayout && bitsPerSample == 16 && samplesPerPixel <= 4
        && (gray || (photometric == PHOTOMETRIC_PALETTE && samplesPerPixel == 1));

    if (sixteenBit)
        layout.path = TiffRowPath::sixteenBit;
    else if (ccitt && !tiled)
        layout.path = TiffRowPath::ccitt;
    else if (rgba)
        layout.path = TiffRowPath::rgba;

    CheckTiffCompression(layout.compression, layout.format);
    return layout;
}

} // namespace

// Decodes the rows of one directory into a picture of its layout, reporting progress through the
// picture being loaded.
struct TTiffGraphic::Reader {
    TTiffGraphic& owner;
    const TiffFile& file;
    const TiffLayout& layout;
    TDibGraphic& picture;

    // Returns the name of the library routine that read the rows, for the error message.
    const char* readRows()
    {
        switch (layout.path) {
        case TiffRowPath::sixteenBit:
            readSixteenBit();
            return "TIFFReadScanline";
        case TiffRowPath::ccitt:
            readCcitt();
            return "TIFFReadScanline";
        case TiffRowPath::rgba:
            readRgba();
            return "TIFFReadRGBAImage";
        case TiffRowPath::strips:
            readStrips();
            return "TIFFReadEncodedStrip";
        }
        return "TIFFReadEncodedStrip";
    }

    void readSixteenBit()
    {
        const int w = static_cast<int>(layout.width), h = static_cast<int>(layout.height);
        auto buffer = allocate<uint16_t>((layout.scanlineSize + 1) / 2);
        for (int y = 0; y < h; ++y) {
            if (libtiff().TIFFReadScanline(file.tif(), buffer.get(), static_cast<uint32_t>(y), 0) < 0)
                file.Fail("TIFFReadScanline");
            uint8_t* row = picture.ScanLine(y);
            for (int x = 0; x < w; ++x)
                row[x]
                    = static_cast<uint8_t>(buffer[static_cast<std::size_t>(x) * layout.samplesPerPixel] >> 8);
            owner.ReportPercent(y, 0, h);
        }
    }

    void readCcitt()
    {
        const int h = static_cast<int>(layout.height);
        auto buffer = allocate<uint8_t>(layout.scanlineSize);
        const auto count
            = static_cast<std::size_t>(std::min<int64_t>(layout.scanlineSize, picture.BytesPerRow()));
        for (int y = 0; y < h; ++y) {
            if (libtiff().TIFFReadScanline(file.tif(), buffer.get(), static_cast<uint32_t>(y), 0) < 0)
                file.Fail("TIFFReadScanline");
            std::memcpy(picture.ScanLine(y), buffer.get(), count);
            owner.ReportPercent(y, 0, h);
        }
    }

    void readRgba()
    {
        const uint32_t width = layout.width, height = layout.height;
        const int w = static_cast<int>(width), h = static_cast<int>(height);
        owner.ReportPercent(5, 0, 100);
        auto raster = allocate<uint32_t>(int64_t(width) * height);
        owner.ReportPercent(10, 0, 100);
        if (libtiff().TIFFReadRGBAImage(file.tif(), width, height, raster.get(), 1) != 1)
            file.Fail("TIFFReadRGBAImage");
        owner.ReportPercent(80, 0, 100);
        for (int y = 0; y < h; ++y) {
            // The raster's first row is the picture's last.
            const uint32_t* source = raster.get() + static_cast<std::size_t>(h - 1 - y) * width;
            if (layout.format == ifTrueColor) {
                uint8_t* row = picture.ScanLine(y);
                for (int x = 0; x < w; ++x) {
                    row[3 * x] = static_cast<uint8_t>(TIFFGetB(source[x]));
                    row[3 * x + 1] = static_cast<uint8_t>(TIFFGetG(source[x]));
                    row[3 * x + 2] = static_cast<uint8_t>(TIFFGetR(source[x]));
                }
            } else {
                for (int x = 0; x < w; ++x)
                    picture.SetPixelColor(x, y,
                        MakeRgb(static_cast<uint8_t>(TIFFGetR(source[x])),
                            static_cast<uint8_t>(TIFFGetG(source[x])),
                            static_cast<uint8_t>(TIFFGetB(source[x]))));
            }
        }
        owner.ReportPercent(90, 0, 100);
    }

    void readStrips()
    {
        TIFF* tif = file.tif();
        const uint32_t height = layout.height;
        const int w = static_cast<int>(layout.width);
        const tmsize_t scanlineSize = layout.scanlineSize;
        uint32_t rowsPerStrip = 0;
        if (libtiff().TIFFGetField(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip) != 1 || rowsPerStrip == 0
            || rowsPerStrip > height)
            rowsPerStrip = height;
        auto buffer = allocate<uint8_t>(int64_t(rowsPerStrip) * scanlineSize);
        const auto copyCount
            = static_cast<std::size_t>(std::min<int64_t>(scanlineSize, picture.BytesPerRow()));
        for (uint32_t first = 0; first < height; first += rowsPerStrip) {
            const uint32_t rows = std::min(rowsPerStrip, height - first);
            if (libtiff().TIFFReadEncodedStrip(tif, libtiff().TIFFComputeStrip(tif, first, 0), buffer.get(),
                    tmsize_t(rows) * scanlineSize)
                < tmsize_t(rows) * scanlineSize)
                file.Fail("TIFFReadEncodedStrip");
            for (uint32_t r = 0; r < rows; ++r) {
                const uint8_t* source = buffer.get() + static_cast<std::size_t>(r) * scanlineSize;
                uint8_t* row = picture.ScanLine(static_cast<int>(first + r));
                if (layout.format == ifTrueColor) {
                    for (int x = 0; x < w; ++x, source += 3) {
                        row[3 * x] = source[2];
                        row[3 * x + 1] = source[1];
                        row[3 * x + 2] = source[0];
                    }
                } else if (layout.widenPalette) {
                    for (int x = 0; x < w; ++x) {
                        const unsigned value = layout.bitsPerSample == 1
                            ? (source[x >> 3] >> (7 - (x & 7))) & 1u
                            : (source[x >> 2] >> (6 - 2 * (x & 3))) & 3u;
                        uint8_t& b = row[x >> 1];
                        b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | value)
                                    : static_cast<uint8_t>((b & 0x0F) | value << 4);
                    }
                } else {
                    std::memcpy(row, source, copyCount);
                }
            }
            owner.ReportPercent(first + rows, 0, height);
        }
    }
};

void TTiffGraphic::ReadTiffImage(platform::TStream& stream, int index)
{
    // Strips are read as the file has them ('c'): the RowsPerStrip read back is the file's own.
    TiffFile file(stream, stream.Position(), "rc");
    TIFF* tif = file.tif();
    if (index < 1 || libtiff().TIFFSetDirectory(tif, static_cast<tdir_t>(index - 1)) != 1)
        file.Fail("TIFFSetDirectory");
    const TiffLayout layout = readTiffLayout(file);

    platform::TLogPalette palette {};
    if (layout.colorMap)
        palette = readColorMap(file, layout.bitsPerSample);
    TDibGraphic picture;
    picture.NewImage(static_cast<int>(layout.width), static_cast<int>(layout.height), layout.format,
        layout.colorMap ? &palette : nullptr, layout.xDpi, layout.yDpi);

    // Some coders report damaged data and go on decoding: any error from here on is a failure.
    file.ClearError();
    const char* reader = Reader { *this, file, layout, picture }.readRows();
    if (file.HasError())
        file.Fail(reader);

    // The colour conversion of the library already shows white as white and turns the picture
    // upright; rows copied as they are still need both.
    if (layout.negative && layout.path != TiffRowPath::rgba)
        TNegativeTransform().Apply(picture);
    if (layout.orientation == ORIENTATION_BOTRIGHT && layout.path != TiffRowPath::rgba) {
        TRotateTransform rotate;
        rotate.SetAngle(180);
        rotate.Apply(picture);
    }

    // Everything read: only now does the picture change.
    const auto numbers = TiffUserTagNumbers();
    std::array<std::string, kTiffUserTagCount> userValues;
    for (int i = 0; i < kTiffUserTagCount; ++i)
        if (m_userTags[static_cast<std::size_t>(i)]->ReadOnLoad && numbers[static_cast<std::size_t>(i)] != 0)
            userValues[static_cast<std::size_t>(i)] = file.GetText(numbers[static_cast<std::size_t>(i)]);
    std::array<std::string, 9> texts;
    for (int i = 0; i < 9; ++i)
        texts[static_cast<std::size_t>(i)] = file.GetText(kStandardTextTags[i]);
    uint32_t fileRowsPerStrip = 0;
    int32_t rowsPerStrip = 2147483647;
    if (libtiff().TIFFGetField(tif, TIFFTAG_ROWSPERSTRIP, &fileRowsPerStrip) == 1)
        rowsPerStrip = fileRowsPerStrip == 0xFFFFFFFFu
            ? static_cast<int32_t>(layout.height)
            : static_cast<int32_t>(std::min<uint32_t>(fileRowsPerStrip, 2147483647u));

    TakeImageFrom(picture);
    for (int i = 0; i < kTiffUserTagCount; ++i)
        if (m_userTags[static_cast<std::size_t>(i)]->ReadOnLoad)
            m_userTags[static_cast<std::size_t>(i)]->Value = userValues[static_cast<std::size_t>(i)];
    for (int i = 0; i < 9; ++i)
        *StandardText(i) = texts[static_cast<std::size_t>(i)];
    m_compression = layout.compression;
    m_rowsPerStrip = rowsPerStrip;
}

void TTiffGraphic::WriteTiffImage(platform::TStream& stream, bool append, int32_t rowsPerStrip)
{
    ResetProgress();
    ReportPercent(0, 0, 100);
    if (Empty())
        RaiseTiffError("The image is empty");
    const TImageFormat format = ImageFormat();
    // A compression set before the picture got its present format may no longer fit it.
    CheckTiffCompression(m_compression, format);

    TiffFile file(stream, 0, append ? "a" : "w");
    TIFF* tif = file.tif();

    file.SetInt(TIFFTAG_COMPRESSION, compressionTag(m_compression));
    if (m_compression == tcCcittGroup3_1D)
        file.SetInt(TIFFTAG_GROUP3OPTIONS, GROUP3OPT_FILLBITS);
    else if (m_compression == tcCcittGroup3_2D)
        file.SetInt(TIFFTAG_GROUP3OPTIONS, GROUP3OPT_FILLBITS | GROUP3OPT_2DENCODING);
    if (m_compression == tcJpeg) {
        rowsPerStrip = 8;
        file.SetInt(TIFFTAG_JPEGQUALITY, m_jpegQuality);
    }
    if (rowsPerStrip > 0)
        file.SetInt(TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(rowsPerStrip));

    file.SetInt(TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    const auto numbers = TiffUserTagNumbers();
    for (int i = 0; i < kTiffUserTagCount; ++i)
        if (m_userTags[static_cast<std::size_t>(i)]->WriteOnSave && numbers[static_cast<std::size_t>(i)] != 0)
            file.SetText(
                numbers[static_cast<std::size_t>(i)], m_userTags[static_cast<std::size_t>(i)]->Value);
    for (int i = 0; i < 9; ++i)
        if (!StandardText(i)->empty())
            file.SetText(kStandardTextTags[i], *StandardText(i));
    if (Software.empty())
        file.SetText(kTagSoftware, "Pictorel Image Library");
    if (DateTime.empty()) {
        const double now = NowAsDateTime();
        file.SetText(kTagDateTime, FormatDateWith("yyyy:mm:dd", now) + " " + FormatTimeWith("hh:nn:ss", now));
    }

    file.SetInt(TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    file.SetFloat(TIFFTAG_XRESOLUTION, XDotsPerInch());
    file.SetFloat(TIFFTAG_YRESOLUTION, YDotsPerInch());
    file.SetInt(TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(Width()));
    file.SetInt(TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(Height()));

    const bool ccitt = isCcitt(m_compression);
    switch (format) {
    case ifBlackWhite:
        file.SetInt(TIFFTAG_BITSPERSAMPLE, 1);
        file.SetInt(TIFFTAG_SAMPLESPERPIXEL, 1);
        file.SetInt(TIFFTAG_PHOTOMETRIC, ccitt ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_MINISBLACK);
        break;
    case ifGray16:
    case ifGray256:
        file.SetInt(TIFFTAG_BITSPERSAMPLE, format == ifGray16 ? 4 : 8);
        file.SetInt(TIFFTAG_SAMPLESPERPIXEL, 1);
        file.SetInt(TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        break;
    case ifColor16:
    case ifColor256: {
        const int bits = format == ifColor16 ? 4 : 8;
        file.SetInt(TIFFTAG_BITSPERSAMPLE, static_cast<uint32_t>(bits));
        file.SetInt(TIFFTAG_SAMPLESPERPIXEL, 1);
        file.SetInt(TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
        // The library reads 2^bits entries of each array; entries the palette lacks stay 0.
        // Components are scaled to the full 16-bit range (255 -> 65535), so that reading the
        // file back (v * 255 div 65535) gives every component exactly.
        std::vector<uint16_t> red(256, 0), green(256, 0), blue(256, 0);
        const platform::HPALETTE handle = GetPaletteHandle();
        const int entries = handle ? std::min<int>(handle->palNumEntries, 256) : 0;
        for (int i = 0; i < entries; ++i) {
            red[static_cast<std::size_t>(i)] = static_cast<uint16_t>(handle->palPalEntry[i].peRed * 257);
            green[static_cast<std::size_t>(i)] = static_cast<uint16_t>(handle->palPalEntry[i].peGreen * 257);
            blue[static_cast<std::size_t>(i)] = static_cast<uint16_t>(handle->palPalEntry[i].peBlue * 257);
        }
        if (!libtiff().TIFFSetField(tif, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data()))
            file.Fail("TIFFSetColormap");
        break;
    }
    case ifTrueColor:
        file.SetInt(TIFFTAG_BITSPERSAMPLE, 8);
        file.SetInt(TIFFTAG_SAMPLESPERPIXEL, 3);
        file.SetInt(TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        break;
    }

    file.SetInt(TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    file.SetInt(TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    file.SetInt(TIFFTAG_FILLORDER, m_reverseFillOrder ? FILLORDER_LSB2MSB : FILLORDER_MSB2LSB);

    // Rows go to the library a whole strip at a time: only then can its coders work on the
    // strip in one piece (Deflate through its fastest coder), where row by row they fall back
    // to streaming. The library may change what it codes, so it gets a copy of the rows.
    const tmsize_t scanlineSize = libtiff().TIFFScanlineSize(tif);
    if (scanlineSize <= 0 || scanlineSize > BytesPerRow())
        file.Fail("TIFFScanlineSize");
    const int height = Height();
    uint32_t stripRows = 0;
    libtiff().TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &stripRows);
    stripRows = std::clamp<uint32_t>(stripRows, 1, static_cast<uint32_t>(height));
    const auto rowBytes = static_cast<std::size_t>(scanlineSize);
    const auto strip = allocate<uint8_t>(int64_t(scanlineSize) * stripRows);
    for (int y = 0; y < height;) {
        ReportPercent(y, 0, height);
        const int rows = std::min(static_cast<int>(stripRows), height - y);
        for (int r = 0; r < rows; ++r)
            std::memcpy(strip.get() + rowBytes * static_cast<std::size_t>(r), ScanLine(y + r), rowBytes);
        const std::size_t bytes = rowBytes * static_cast<std::size_t>(rows);
        if (format == ifBlackWhite && ccitt) {
            for (std::size_t i = 0; i < bytes; ++i)
                strip[i] = static_cast<uint8_t>(~strip[i]);
        } else if (format == ifTrueColor) {
            SwapRedBlue(strip.get(), static_cast<int64_t>(bytes));
        }
        if (libtiff().TIFFWriteEncodedStrip(tif, libtiff().TIFFComputeStrip(tif, static_cast<uint32_t>(y), 0),
                strip.get(), static_cast<tmsize_t>(bytes))
            < 0)
            file.Fail("TIFFWriteScanLine");
        y += rows;
    }
    file.FinishWriting();
    ReportPercent(100, 0, 100);
}
