// Damaged and hostile TIFF files: each raises its error with a message, prints nothing, and
// leaves the picture as it was.
#include "imaging/tiffgraphic.h"
#include "platform/core/stream.h"
#include "testimages.h"

#include <gtest/gtest.h>
#include <tiffio.h>

using namespace testimages;

namespace {

class TiffBad : public ::testing::Test {
protected:
    void SetUp() override
    {
        initialize();
        platform::TFileStream stream(tiffPath("gray8_lzw.tif"), platform::fmOpenRead);
        m_picture.LoadFromStream(stream);
    }

    // Loads bytes into the picture that holds the gray fixture; returns the message.
    template <typename E> std::string failLoading(const std::vector<uint8_t>& bytes)
    {
        platform::TMemoryStream stream;
        stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        stream.SetPosition(0);
        ::testing::internal::CaptureStderr();
        std::string message;
        try {
            m_picture.LoadFromStream(stream);
            ADD_FAILURE() << "loaded";
        } catch (const E& e) {
            message = e.what();
        } catch (const std::exception& e) {
            ADD_FAILURE() << "unexpected exception: " << e.what();
        }
        // The library's complaints reach the exception, never the console.
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
        // The picture is the one loaded before.
        EXPECT_EQ(m_picture.Width(), 37);
        EXPECT_EQ(m_picture.ImageFormat(), ifGray256);
        EXPECT_EQ(maxDifference(m_picture, readPnm(tiffPath("gray.pgm"))), 0);
        return message;
    }

    static std::vector<uint8_t> patchTag(const std::string& file, uint16_t tag, uint16_t value)
    {
        auto bytes = readFile(tiffPath(file));
        const uint32_t ifd = bytes[4] | bytes[5] << 8 | bytes[6] << 16 | uint32_t(bytes[7]) << 24;
        const int count = bytes[ifd] | bytes[ifd + 1] << 8;
        for (int i = 0; i < count; ++i) {
            const std::size_t e = ifd + 2 + 12 * i;
            if ((bytes[e] | bytes[e + 1] << 8) == tag) {
                bytes[e + 8] = static_cast<uint8_t>(value);
                bytes[e + 9] = static_cast<uint8_t>(value >> 8);
            }
        }
        return bytes;
    }

    TTiffGraphic m_picture;
};

TEST_F(TiffBad, FilesTheLibraryCannotOpen)
{
    for (const char* file : { "truncated_ifd.tif", "bad_ifd_offset.tif" }) {
        SCOPED_TRACE(file);
        const std::string message = failLoading<ETiffError>(readFile(tiffPath(file)));
        EXPECT_EQ(message.rfind("ETiffError TIFFOpen (", 0), 0u) << message;
    }
    std::string garbage = "II*\0";
    garbage.resize(4);
    garbage += std::string(300, '\x55');
    EXPECT_EQ(failLoading<ETiffError>(std::vector<uint8_t>(garbage.begin(), garbage.end()))
                  .rfind("ETiffError TIFFOpen", 0),
        0u);
    const std::string notTiff = failLoading<ETiffError>({ 'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0 });
    EXPECT_NE(notTiff.find("Not a TIFF"), std::string::npos) << notTiff;
    EXPECT_EQ(failLoading<ETiffError>({}).rfind("ETiffError TIFFOpen", 0), 0u);
}

TEST_F(TiffBad, HeadersThatCannotBeRead)
{
    const struct {
        std::vector<uint8_t> bytes;
        std::string message; // the whole message, or its start where it ends with a space
    } cases[] = { { readFile(tiffPath("zero_width.tif")), "ETiffError " },
        { patchTag("gray8_none.tif", TIFFTAG_IMAGELENGTH, 0), "ETiffError " },
        { readFile(tiffPath("no_bitspersample.tif")), "ETiffError Bits per sample not specified" },
        { patchTag("gray8_none.tif", TIFFTAG_COMPRESSION, COMPRESSION_OJPEG),
            "ETiffError Unsupported compression tag, 6" },
        { patchTag("gray8_none.tif", TIFFTAG_COMPRESSION, COMPRESSION_THUNDERSCAN),
            "ETiffError Unsupported compression tag, 32809" } };
    for (const auto& c : cases) {
        const std::string message = failLoading<ETiffError>(c.bytes);
        if (c.message.back() == ' ')
            EXPECT_EQ(message.rfind(c.message, 0), 0u) << message;
        else
            EXPECT_EQ(message, c.message);
    }
}

TEST_F(TiffBad, DamagedImageData)
{
    for (const char* file : { "corrupt_lzw_strip.tif", "corrupt_g4_strip.tif", "truncated_strip.tif" }) {
        SCOPED_TRACE(file);
        const std::string message = failLoading<ETiffError>(readFile(tiffPath(file)));
        EXPECT_EQ(message.rfind("ETiffError ", 0), 0u) << message;
        EXPECT_NE(message.find(" ("), std::string::npos)
            << "the library's own words are missing: " << message;
    }
    // JPEG goes through the library's RGBA reader: its failure is an error, not a blank picture.
    const std::string jpeg = failLoading<ETiffError>(readFile(tiffPath("corrupt_jpeg_strip.tif")));
    EXPECT_EQ(jpeg.rfind("ETiffError TIFFReadRGBAImage", 0), 0u) << jpeg;
}

TEST_F(TiffBad, AbsurdDimensionsAreRefusedBeforeAnythingIsAllocated)
{
    failLoading<platform::EOutOfResources>(readFile(tiffPath("huge_dimensions.tif")));
}

TEST_F(TiffBad, TruncationAtEveryLength)
{
    // Every prefix of a few files: each either loads or raises, and never takes the process down.
    for (const char* file : { "palette4_lzw.tif", "bw_g3_2d.tif", "rgb_jpeg.tif", "multipage.tif" }) {
        const auto whole = readFile(tiffPath(file));
        int failures = 0;
        for (std::size_t length = 0; length < whole.size(); length += 1 + whole.size() / 97) {
            platform::TMemoryStream stream;
            stream.WriteBuffer(whole.data(), static_cast<int64_t>(length));
            stream.SetPosition(0);
            TTiffGraphic picture;
            try {
                picture.LoadFromStream(stream);
            } catch (const platform::Exception&) {
                ++failures;
            }
        }
        EXPECT_GT(failures, 0) << file;
    }
}

TEST_F(TiffBad, WritingRefusesWhatCannotBeWritten)
{
    TTiffGraphic empty;
    platform::TMemoryStream stream;
    EXPECT_THROW(empty.SaveToStream(stream), ETiffError);

    // Appending to something that is not a TIFF.
    platform::TMemoryStream other;
    other.WriteBuffer("not a tiff at all", 17);
    ::testing::internal::CaptureStderr();
    EXPECT_THROW(m_picture.AppendToStream(other), ETiffError);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

} // namespace
