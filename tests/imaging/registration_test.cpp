#include "imaging/dibgraphic.h"
#include "imaging/jpeggraphic.h"
#include "imaging/registration.h"
#include "platform/core/picture.h"
#include "platform/core/stream.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace testsupport;

namespace {

// The platform's own JPEG class, registered before the library's.
class TPlatformJpeg : public TDibGraphic {
public:
    std::string ClassName() const override { return "TPlatformJpeg"; }
    const platform::TGraphicClass& GraphicClass() const override { return Class(); }
    static const platform::TGraphicClass& Class()
    {
        static const platform::TGraphicClass cls { "TPlatformJpeg",
            [] { return std::unique_ptr<platform::TGraphic>(new TPlatformJpeg()); } };
        return cls;
    }
};

} // namespace

TEST(Registration, LibraryClassesWinTheirExtensionsAndClassNames)
{
    FinalizeImaging();
    platform::TPicture::RegisterFileFormat("jpg", "platform JPEG", &TPlatformJpeg::Class());
    EXPECT_EQ(platform::TPicture::ClassForExtension("JPG"), &TPlatformJpeg::Class());
    InitializeImaging();
    EXPECT_EQ(platform::TPicture::ClassForExtension("jpg"), &TJpegGraphic::Class());
    EXPECT_EQ(platform::TPicture::ClassForExtension("Jpeg"), &TJpegGraphic::Class());
    EXPECT_EQ(platform::TPicture::DescriptionForExtension("JPG"), "JPEG");
    EXPECT_EQ(platform::TPicture::ClassForName("TJpegGraphic"), &TJpegGraphic::Class());
    EXPECT_EQ(platform::TPicture::ClassForClipboardFormat(platform::CF_BITMAP), &TDibGraphic::Class());
    bool jpg = false, jpegExt = false;
    for (const auto& e : ExtensionList()) {
        jpg |= e.extension == "JPG" && e.pictureClass == &TJpegGraphic::Class();
        jpegExt |= e.extension == "JPEG" && e.pictureClass == &TJpegGraphic::Class();
    }
    EXPECT_TRUE(jpg && jpegExt);
    EXPECT_NE(HalftonePalette(), nullptr);

    // Shut-down removes the library's classes; the platform's registration is what remains.
    FinalizeImaging();
    EXPECT_EQ(platform::TPicture::ClassForExtension("JPG"), &TPlatformJpeg::Class());
    EXPECT_EQ(platform::TPicture::ClassForName("TJpegGraphic"), nullptr);
    platform::TPicture::UnregisterGraphicClass(&TPlatformJpeg::Class());
    InitializeImaging();
    EXPECT_EQ(platform::TPicture::ClassForExtension("JPG"), &TJpegGraphic::Class());
}

TEST(Registration, PicturesLoadThroughThePictureHolder)
{
    InitializeImaging();
    platform::TPicture picture;
    const auto dir = std::filesystem::temp_directory_path() / "fendrix-imaging-registration";
    std::filesystem::create_directories(dir);
    const auto file = (dir / "logo.JPG").string();
    std::filesystem::copy_file(
        dataPath("jpeg/ycbcr_cjpeg.jpg"), file, std::filesystem::copy_options::overwrite_existing);
    picture.LoadFromFile(file);
    ASSERT_NE(dynamic_cast<TJpegGraphic*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 48);
    try {
        picture.LoadFromFile((dir / "logo.xyz").string());
        FAIL();
    } catch (const platform::EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Unknown picture file extension (.xyz)");
    }
    EXPECT_EQ(picture.Width(), 48);

    // A picture stored with its class name (as windows store theirs) loads through the JPEG class.
    platform::TMemoryStream stored;
    picture.SaveToStoredData(stored);
    stored.SetPosition(0);
    uint8_t length = 0;
    stored.ReadBuffer(&length, 1);
    std::string name(length, '\0');
    stored.ReadBuffer(name.data(), length);
    EXPECT_EQ(name, "TJpegGraphic");
    stored.SetPosition(0);
    platform::TPicture again;
    again.LoadFromStoredData(stored);
    ASSERT_NE(dynamic_cast<TJpegGraphic*>(again.Graphic()), nullptr);
    EXPECT_EQ(again.Height(), 32);
    EXPECT_EQ(stored.Position(), stored.Size());
    std::filesystem::remove_all(dir);
}
