// The project file: the golden layout, the version conditions, the header checks, round trips,
// damaged and hostile files, and saving safely.
#include "golden.h"

#include "imaging/jpeggraphic.h"
#include "model/fieldlimits.h"
#include "model/lpclasses.h"
#include "model/projectfile.h"
#include "model/tables.h"
#include "platform/core/exceptions.h"
#include "platform/core/stream.h"
#include "platform/core/versionblock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <locale>
#include <random>
#include <stdexcept>
#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool machineHas80BitExtended()
{
    return LDBL_MANT_DIG == 64 && LDBL_MAX_EXP == 16384;
}

std::vector<std::uint8_t> readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

void writeFile(const fs::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

platform::TMemoryStream streamOf(const std::vector<std::uint8_t>& bytes)
{
    platform::TMemoryStream s;
    if (!bytes.empty())
        s.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    s.SetPosition(0);
    return s;
}

TProjectLoadResult load(TLPData& m, const std::vector<std::uint8_t>& bytes)
{
    platform::TMemoryStream s = streamOf(bytes);
    return m.LoadFromStream(s);
}

std::vector<std::uint8_t> save(TLPData& m)
{
    platform::TMemoryStream s;
    m.SaveToStream(s);
    return s.Bytes();
}

// The message of what loading raises, or "" when it loads.
std::string loadError(TLPData& m, const std::vector<std::uint8_t>& bytes)
{
    try {
        load(m, bytes);
    } catch (const platform::Exception& e) {
        return e.what();
    }
    return "";
}

fs::path dataDir()
{
    return fs::path(FENDRIX_TEST_DATA) / "projectfile";
}

// Writes `v` little-endian into `size` bytes at `at`, as the file stores integers.
void putLE(std::vector<std::uint8_t>& b, std::size_t at, std::uint64_t v, int size)
{
    for (int i = 0; i < size; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Limits the size of files this process writes (as ulimit -f does).
void limitFileSize(rlim_t bytes)
{
    rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}

std::ptrdiff_t entryCount(const fs::path& dir)
{
    return std::distance(fs::directory_iterator(dir), fs::directory_iterator());
}

// A scratch folder removed at the end of the test.
struct ScratchDir {
    fs::path path;
    ScratchDir()
    {
        path = fs::temp_directory_path() / ("fendrix-projectfile-" + std::to_string(::getpid()));
        fs::create_directories(path);
    }
    ~ScratchDir() { fs::remove_all(path); }
};

// The offsets of the padding bytes of a version-1.00 golden file without a logo, for comparing
// "padding aside".
std::vector<bool> paddingMask(const golden::Options& o)
{
    golden::Options zero = o, ones = o;
    zero.padding = 0x00;
    ones.padding = 0xFF;
    const auto a = golden::assemble(zero), b = golden::assemble(ones);
    std::vector<bool> mask(a.size());
    for (std::size_t i = 0; i < a.size(); ++i)
        mask[i] = a[i] != b[i];
    return mask;
}

void expectProjectBlock(const TLPData& m, int V)
{
    using golden::projectValue;
    using golden::recordValue;
    EXPECT_EQ(m.Organization, "Test Org \xC3\xA9");
    EXPECT_EQ(m.ProjectName, "Pier 7 \xE2\x82\xAC");
    EXPECT_EQ(m.JobNumber, "J-2024-017");
    EXPECT_EQ(m.DesignBy, "A. Engineer");
    EXPECT_EQ(m.ProjectDate, 45123.0);
    EXPECT_EQ(m.HeadCondition, 1);
    EXPECT_EQ(m.MaterialName, "Concrete C30");
    EXPECT_FALSE(m.EFromFc);
    EXPECT_EQ(m.Shape, psRectangle);
    // The extended fields with the number of their place in the layout.
    using F = std::pair<Extended TLPData::*, int>;
    for (const auto& [field, k] : { F { &TLPData::PileLength, 9 }, F { &TLPData::Width, 10 },
             F { &TLPData::Fc, 12 }, F { &TLPData::LateralLoad, 13 }, F { &TLPData::MomentLoad, 14 },
             F { &TLPData::PassiveWedge, 15 }, F { &TLPData::Area, 18 }, F { &TLPData::E, 19 },
             F { &TLPData::I, 20 }, F { &TLPData::DownwardLoad, 21 }, F { &TLPData::Reserved1, 22 },
             F { &TLPData::Reserved2, 23 }, F { &TLPData::Reserved3, 24 } })
        EXPECT_EQ(m.*field, projectValue(k)) << "field " << k;
    if (V >= 91) {
        for (const auto& [field, k] : { F { &TLPData::Width2, 11 }, F { &TLPData::Perimeter, 28 },
                 F { &TLPData::TipArea, 29 }, F { &TLPData::FSSide, 30 }, F { &TLPData::FSEnd, 31 },
                 F { &TLPData::OCR, 32 }, F { &TLPData::SuSigmaV, 33 }, F { &TLPData::Groundwater, 34 } })
            EXPECT_EQ(m.*field, projectValue(k)) << "field " << k;
        EXPECT_EQ(m.Interface, piSmoothConcrete);
        EXPECT_EQ(m.PileType, ptLargeDisplacement);
        EXPECT_EQ(m.DesignLife, 50);
        EXPECT_EQ(m.ConstructionControl, 2);
    }
    if (V >= 92) {
        EXPECT_EQ(m.AllowableDeflection, projectValue(37));
    }
    if (V >= 100) {
        EXPECT_EQ(m.UpliftLoad, projectValue(38));
    }
    if (V >= 93) {
        EXPECT_FALSE(m.StaticAnalysis);
        EXPECT_TRUE(m.CyclicAnalysis);
        EXPECT_EQ(m.ShapeFamily, 2);
        EXPECT_EQ(m.MemberType, 0);
        EXPECT_EQ(m.SteelInput.P, recordValue(100, 0));
        EXPECT_EQ(m.SteelInput.Cmx, recordValue(100, 10));
        EXPECT_EQ(m.SteelInput.Fc, recordValue(100, 11));
        EXPECT_TRUE(m.SteelInput.ConcreteFilled);
    }
    if (V >= 94) {
        EXPECT_EQ(m.IShape.Name, "W14X89");
        EXPECT_EQ(m.IShape.W, recordValue(200, 0));
        EXPECT_EQ(m.IShape.rx, recordValue(200, 9));
        EXPECT_EQ(m.IShape.ho, recordValue(200, 17));
        EXPECT_EQ(m.PipeShape.Name, "HSS10.000X0.500");
        EXPECT_EQ(m.PipeShape.W, recordValue(300, 0));
        EXPECT_EQ(m.PipeShape.J, recordValue(300, 10));
    }
    if (V >= 95) {
        EXPECT_TRUE(m.StructuralDesign);
        EXPECT_EQ(m.RebarStandard, rsCanadian);
        EXPECT_EQ(m.BarSize, 25);
        EXPECT_EQ(m.BarCount, 12);
        EXPECT_EQ(m.TieType, kTieTypeSpiral);
        EXPECT_EQ(m.TieBarSize, 10);
        for (const auto& [field, k] : { F { &TLPData::Fy, 53 }, F { &TLPData::Es, 54 },
                 F { &TLPData::Cover, 55 }, F { &TLPData::SpacingOverride, 56 } })
            EXPECT_EQ(m.*field, projectValue(k)) << "field " << k;
        EXPECT_EQ(m.LoadCaseCount, 3);
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(m.LoadCases[c].Pu, projectValue(58 + 2 * c)) << c;
            EXPECT_EQ(m.LoadCases[c].Mu, projectValue(59 + 2 * c)) << c;
            EXPECT_EQ(m.LoadCases[c].Vu, projectValue(66 + c)) << c;
        }
    }
    if (V >= 96) {
        EXPECT_EQ(m.TimberInput.CD, recordValue(400, 0));
        EXPECT_EQ(m.TimberInput.Fc, recordValue(400, 3));
        EXPECT_EQ(m.TimberInput.Treatment, 3);
    }
}

void expectLayers(const TLPData& m, int V, int count = 3)
{
    using golden::layerValue;
    ASSERT_EQ(m.Layers.Count(), count);
    for (int j = 0; j < count; ++j) {
        SCOPED_TRACE("layer " + std::to_string(j));
        const TLayer& l = *m.Layers[j];
        EXPECT_EQ(l.List, &m.Layers);
        EXPECT_EQ(l.Model, &m);
        EXPECT_EQ(l.MatType, golden::layerMatType(j));
        EXPECT_EQ(l.USCS, golden::layerUSCS(j));
        EXPECT_EQ(l.Consistency, golden::layerConsistency(j));
        using F = std::pair<Extended TLayer::*, int>;
        for (const auto& [field, k] : { F { &TLayer::Thickness, 4 }, F { &TLayer::SGReactTop, 5 },
                 F { &TLayer::SGReactBottom, 6 }, F { &TLayer::Cohesion, 7 }, F { &TLayer::Kp, 8 },
                 F { &TLayer::FSonKp, 9 }, F { &TLayer::Gamma, 10 }, F { &TLayer::OwnWidth, 14 },
                 F { &TLayer::OwnFc, 16 }, F { &TLayer::OwnArea, 17 }, F { &TLayer::OwnE, 18 },
                 F { &TLayer::OwnI, 20 }, F { &TLayer::Reserved1, 21 }, F { &TLayer::Reserved2, 22 } })
            EXPECT_EQ(l.*field, layerValue(j, k)) << "field " << k;
        // The stored flag is kept: a layer with a pile of its own stays so.
        EXPECT_EQ(l.UsePileDefaults, golden::layerUsesPileDefaults(j));
        EXPECT_FALSE(l.OwnEFromFc);
        EXPECT_EQ(l.OwnMaterialName, "Steel \xC2\xB0" + std::to_string(j));
        EXPECT_EQ(l.OwnShape, golden::layerShape(j));
        if (V >= 91) {
            EXPECT_EQ(l.OwnWidth2, layerValue(j, 15));
            EXPECT_EQ(l.SPTFieldN, layerValue(j, 24));
            EXPECT_EQ(l.OwnInterface, piTimber);
            EXPECT_EQ(l.OwnPileType, ptSmallDisplacement);
            EXPECT_EQ(l.OwnPerimeter, layerValue(j, 27));
            EXPECT_EQ(l.OwnTipArea, layerValue(j, 28));
        } else {
            EXPECT_EQ(l.OwnWidth2, 0);
            EXPECT_EQ(l.SPTFieldN, 10); // a new layer's value
            EXPECT_EQ(l.OwnInterface, piRoughConcrete);
        }
        if (V >= 92) {
            EXPECT_EQ(l.Colour, golden::layerColour(j));
            EXPECT_EQ(l.Hatch, golden::layerHatch(j));
        }
        EXPECT_EQ(l.NSF, V >= 98 && golden::layerNSF(j));
    }
}

class ProjectFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!machineHas80BitExtended())
            GTEST_SKIP() << "the golden files are assembled with the machine's 80-bit layout";
    }
    TLPData m;
};

} // namespace

// ---- the golden file ------------------------------------------------------------------------

TEST_F(ProjectFile, GoldenFileLoadsToTheExpectedValues)
{
    load(m, golden::assemble({}));
    expectProjectBlock(m, 100);
    expectLayers(m, 100);
    EXPECT_EQ(m.Units, kUnitsUS);
    EXPECT_EQ(m.SectionIndex, 7);
    EXPECT_EQ(m.Logo, nullptr);
}

TEST_F(ProjectFile, WriterReproducesTheGoldenFileByteForByte)
{
    const auto reference = golden::assemble({});
    load(m, reference);
    EXPECT_EQ(save(m), reference);

    // Whatever the padding held, the file reads the same and is written back the same,
    // padding aside.
    const golden::Options noisy { .padding = 0xA5 };
    const auto withNoise = golden::assemble(noisy);
    TLPData other;
    load(other, withNoise);
    expectProjectBlock(other, 100);
    const auto written = save(other);
    ASSERT_EQ(written.size(), withNoise.size());
    const auto mask = paddingMask(noisy);
    for (std::size_t i = 0; i < written.size(); ++i)
        if (!mask[i]) {
            ASSERT_EQ(written[i], withNoise[i]) << "offset " << i;
        }
}

TEST_F(ProjectFile, FilesDoNotDependOnTheLocale)
{
    // A German desktop writes numbers with a decimal comma; a project file never does.
    try {
        std::locale::global(std::locale("de_DE.UTF-8"));
    } catch (const std::runtime_error&) {
        GTEST_SKIP() << "the locale de_DE.UTF-8 is not installed (scripts/setup-deps generates it)";
    }
    const auto reference = golden::assemble({});
    load(m, reference);
    const auto written = save(m);
    std::locale::global(std::locale::classic());
    EXPECT_EQ(written, reference);
    expectProjectBlock(m, 100);
}

TEST_F(ProjectFile, GoldenFileMatchesTheCommittedFixture)
{
    // The fixtures seed the fuzz corpus; they must stay what the layout gives. Setting
    // FENDRIX_WRITE_GOLDEN writes them again.
    for (const char* version : { "1.00", "0.95", "0.90" }) {
        const golden::Options o { .version = version };
        const fs::path fixture = dataDir() / ("golden-" + o.version + ".fdx");
        if (std::getenv("FENDRIX_WRITE_GOLDEN"))
            writeFile(fixture, golden::assemble(o));
        EXPECT_EQ(readFile(fixture), golden::assemble(o)) << version;
    }
}

// ---- versions -------------------------------------------------------------------------------

TEST_F(ProjectFile, Version090LacksEveryLaterField)
{
    // Values the model holds before the load; the old file must leave them alone.
    m.Width2 = 1.25L;
    m.Interface = piRoughSteel;
    m.DesignLife = 33;
    m.AllowableDeflection = 0.75L;
    m.UpliftLoad = 44;
    m.SectionIndex = 0;
    m.TimberInput.CD = 0.9L;
    m.LoadCaseCount = 1;
    load(m, golden::assemble({ .version = "0.90" }));
    expectProjectBlock(m, 90);
    expectLayers(m, 90);
    EXPECT_EQ(m.Width2, 1.25L);
    EXPECT_EQ(m.Interface, piRoughSteel);
    EXPECT_EQ(m.DesignLife, 33);
    EXPECT_EQ(m.AllowableDeflection, 0.75L);
    EXPECT_EQ(m.UpliftLoad, 44);
    EXPECT_EQ(m.TimberInput.CD, 0.9L);
    EXPECT_EQ(m.LoadCaseCount, 1);
    // Layers of an old file are coloured and hatched by position.
    EXPECT_EQ(m.Layers[0]->Colour, 64 | 128 << 8 | 128 << 16);
    EXPECT_EQ(m.Layers[2]->Hatch, bsClear);
}

TEST_F(ProjectFile, Version095CountedSectionsFromOne)
{
    m.UpliftLoad = 44;
    m.TimberInput.Treatment = 1;
    load(m, golden::assemble({ .version = "0.95", .sectionIndex = 5 }));
    expectProjectBlock(m, 95);
    expectLayers(m, 95);
    EXPECT_EQ(m.SectionIndex, 4);
    EXPECT_EQ(m.UpliftLoad, 44);
    EXPECT_EQ(m.TimberInput.Treatment, 1);

    // The correction covers 0.94 to 0.96 only.
    for (const auto& [version, expected] :
        { std::pair { "0.94", 4 }, { "0.96", 4 }, { "0.97", 5 }, { "0.93", 5 } }) {
        TLPData other;
        load(other, golden::assemble({ .version = version, .sectionIndex = 5 }));
        EXPECT_EQ(other.SectionIndex, expected) << version;
    }
}

TEST_F(ProjectFile, Version095SelectsTheRowAboveTheStoredNumber)
{
    // A steel H-pile: the section is taken from the current table by its (corrected) index.
    golden::Options o { .version = "0.95", .interface = piRoughSteel, .sectionIndex = 5 };
    load(m, golden::assemble(o));
    ASSERT_TRUE(m.UsesIShape());
    EXPECT_EQ(m.SectionIndex, 4);
    EXPECT_EQ(m.IShape.Name, m.GetIShapes()[4].Name);
    EXPECT_EQ(m.IShape.W, m.GetIShapes()[4].W);

    // An index past the end keeps the stored record (a user-defined section).
    o.version = "1.00";
    o.sectionIndex = 100000;
    load(m, golden::assemble(o));
    EXPECT_EQ(m.IShape.Name, "W14X89");
}

TEST_F(ProjectFile, NewerVersionsAreRefusedBeforeAnythingChanges)
{
    m.ProjectName = "Mine";
    for (const char* version : { "1.01", "1.006", "2", "9.99" })
        EXPECT_EQ(loadError(m, golden::assemble({ .version = version })), kWrongFileFormat) << version;
    EXPECT_EQ(m.ProjectName, "Mine");
    EXPECT_EQ(m.Layers.Count(), 2);
    // 1.004 rounds to 1.00.
    EXPECT_EQ(loadError(m, golden::assemble({ .version = "1.004" })), "");
}

TEST(StrToFloatDot, ReadsPointDecimalsOnly)
{
    EXPECT_EQ(StrToFloatDot("1.00"), 1.0L);
    EXPECT_EQ(StrToFloatDot(" 0.95 "), 0.95L);
    EXPECT_EQ(StrToFloatDot("+2"), 2.0L);
    EXPECT_EQ(StrToFloatDot("1,00"), 0);
    EXPECT_EQ(StrToFloatDot("abc"), 0);
    EXPECT_EQ(StrToFloatDot(""), 0);
    EXPECT_EQ(StrToFloatDot("inf"), 0);
    EXPECT_EQ(StrToFloatDot("nan"), 0);
}

// ---- the header -----------------------------------------------------------------------------

TEST_F(ProjectFile, MagicMustMatchInItsLengthAndCharacters)
{
    const auto good = golden::assemble({});
    m.ProjectName = "Mine";

    auto wrongChar = good;
    wrongChar[1 + 9] = 'f'; // "Braxholm fendrix"
    EXPECT_EQ(loadError(m, wrongChar), kWrongFileFormat);
    auto wrongLength = good;
    wrongLength[0] = 15;
    EXPECT_EQ(loadError(m, wrongLength), kWrongFileFormat);
    auto notAProject = std::vector<std::uint8_t>(200, 'x');
    EXPECT_EQ(loadError(m, notAProject), kWrongFileFormat);
    EXPECT_EQ(loadError(m, {}), kWrongFileFormat);
    EXPECT_EQ(m.ProjectName, "Mine");

    // The rest of the magic's field is not looked at.
    auto otherPadding = good;
    for (int i = 17; i < 51; ++i)
        otherPadding[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(loadError(m, otherPadding), "");
    expectProjectBlock(m, 100);
}

// ---- pictures -------------------------------------------------------------------------------

TEST_F(ProjectFile, ANegativePictureLengthReadsAsNoPicture)
{
    m.LoadImageFromFile((dataDir() / "logo.jpg").string());
    ASSERT_NE(m.Logo, nullptr);
    auto bytes = golden::assemble({ .logoLength = 0 });
    // Length field at 64 + 2 + 10 ("Test Org é"); make it -5.
    putLE(bytes, 64 + 2 + 10, static_cast<std::uint64_t>(std::int64_t { -5 }), 8);
    load(m, bytes);
    EXPECT_EQ(m.Logo, nullptr);
    expectProjectBlock(m, 100);
}

TEST_F(ProjectFile, ALogoIsStoredAsItsJpegBytesAndComesBack)
{
    const auto jpeg = readFile(dataDir() / "logo.jpg");
    const auto reference = golden::assemble({ .logo = jpeg });
    load(m, reference);
    ASSERT_NE(m.Logo, nullptr);
    EXPECT_EQ(m.Logo->Width(), 48);
    EXPECT_EQ(m.Logo->Height(), 24);
    expectProjectBlock(m, 100);
    // Saved again unchanged: the JPEG is not re-encoded.
    EXPECT_EQ(save(m), reference);

    // A logo picked from a file is stored as that file's bytes.
    TLPData other;
    other.LoadImageFromFile((dataDir() / "logo.jpg").string());
    const auto written = save(other);
    const std::size_t at = 64 + 2 + other.Organization.size();
    std::int64_t length = 0;
    for (int i = 7; i >= 0; --i)
        length = (length << 8) | written[at + static_cast<std::size_t>(i)];
    ASSERT_EQ(length, static_cast<std::int64_t>(jpeg.size()));
    EXPECT_TRUE(std::equal(jpeg.begin(), jpeg.end(), written.begin() + static_cast<std::ptrdiff_t>(at + 8)));
}

TEST_F(ProjectFile, ALogoGivenAsAPictureIsEncodedAsJpeg)
{
    TJpegGraphic source;
    source.NewImage(20, 10, ifTrueColor, nullptr, 0, 0);
    source.Fill(0x3060C0);
    m.SetImage(&source);
    ASSERT_NE(m.Logo, nullptr);
    EXPECT_NE(m.Logo.get(), &source);
    const auto bytes = save(m);
    TLPData other;
    load(other, bytes);
    ASSERT_NE(other.Logo, nullptr);
    EXPECT_EQ(other.Logo->Width(), 20);
    EXPECT_EQ(other.Logo->Height(), 10);
    const std::uint32_t c = other.Logo->GetPixelColor(5, 5);
    EXPECT_NEAR(static_cast<int>(c >> 16 & 0xFF), 0x30, 6);
    EXPECT_NEAR(static_cast<int>(c >> 8 & 0xFF), 0x60, 6);
    EXPECT_NEAR(static_cast<int>(c & 0xFF), 0xC0, 6);

    m.SetImage(nullptr);
    EXPECT_EQ(m.Logo, nullptr);
}

TEST_F(ProjectFile, AFailedLogoLoadKeepsTheCurrentLogo)
{
    m.LoadImageFromFile((dataDir() / "logo.jpg").string());
    const auto before = m.Logo;
    ScratchDir dir;
    writeFile(dir.path / "broken.jpg", { 0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10, 'J', 'F', 'I', 'F', 0 });
    EXPECT_THROW(m.LoadImageFromFile((dir.path / "broken.jpg").string()), platform::Exception);
    EXPECT_THROW(m.LoadImageFromFile((dir.path / "missing.jpg").string()), platform::Exception);
    EXPECT_EQ(m.Logo, before);
}

namespace {

// Logos the picture reader refuses, each with what that reader says of it.
struct UnreadableLogo {
    const char* what;
    std::vector<std::uint8_t> bytes;
    std::string reason;
};

std::vector<UnreadableLogo> unreadableLogos()
{
    auto huge = readFile(dataDir() / "logo.jpg");
    // The start of frame: marker, length, precision, then height and width.
    const std::uint8_t frame[] = { 0xFF, 0xC0 };
    const auto at = std::search(huge.begin(), huge.end(), std::begin(frame), std::end(frame));
    if (at != huge.end()) {
        const std::uint8_t size[] = { 0xFF, 0xDC, 0xFF, 0xDC }; // 65500 x 65500
        std::copy(std::begin(size), std::end(size), at + 5);
    }
    std::vector<std::uint8_t> noise(64);
    std::mt19937 random(17);
    for (auto& b : noise)
        b = static_cast<std::uint8_t>(random());
    std::vector<UnreadableLogo> logos = {
        { "png", readFile(dataDir() / "logo.png"), "" },
        { "noise", noise, "" },
        { "one byte", { 0xFF }, "" },
        { "a JFIF head alone", { 0xFF, 0xD8, 0xFF, 0xE0, 1, 2, 3, 4, 5, 6, 7, 8 }, "" },
        { "huge frame", huge, "" },
    };
    for (auto& logo : logos) {
        platform::TMemoryStream s = streamOf(logo.bytes);
        try {
            TJpegGraphic picture;
            picture.LoadFromStream(s);
        } catch (const std::exception& e) {
            logo.reason = e.what();
        }
    }
    return logos;
}

} // namespace

TEST_F(ProjectFile, AnUnreadableLogoIsLeftOutAndEverythingElseLoads)
{
    for (const auto& logo : unreadableLogos()) {
        SCOPED_TRACE(logo.what);
        ASSERT_NE(logo.reason, "");
        TLPData read;
        read.LoadImageFromFile((dataDir() / "logo.jpg").string());
        TProjectLoadResult result;
        ASSERT_NO_THROW(result = load(read, golden::assemble({ .logo = logo.bytes })));
        EXPECT_EQ(result.LogoError, logo.reason);
        EXPECT_EQ(read.Logo, nullptr); // not the logo it held before either
        expectProjectBlock(read, 100);
        expectLayers(read, 100);
        // Saved, it is the same project without a logo, which reads without a word.
        const auto saved = save(read);
        EXPECT_EQ(saved, golden::assemble({}));
        TLPData again;
        EXPECT_EQ(load(again, saved).LogoError, "");
    }
    EXPECT_EQ(load(m, golden::assemble({ .logo = readFile(dataDir() / "logo.jpg") })).LogoError, "");
    EXPECT_EQ(load(m, golden::assemble({})).LogoError, "");
}

TEST_F(ProjectFile, AnUnreadableLogoLeavesEveryOtherFaultRefusingTheFile)
{
    const auto noise = unreadableLogos()[1].bytes;
    const auto full = golden::assemble({ .logo = noise });
    m.ProjectName = "Mine";
    const auto before = save(m);
    // Cut anywhere, inside the logo's bytes too.
    for (std::size_t n = 0; n < full.size(); ++n) {
        const std::vector<std::uint8_t> cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
        const std::string error = loadError(m, cut);
        ASSERT_TRUE(error == "Stream read error" || error == kWrongFileFormat) << n << ": " << error;
    }
    // A logo length running one byte past the end of the file.
    const std::size_t lengthAt = 64 + 2 + 10;
    auto past = full;
    putLE(past, lengthAt, full.size() - (lengthAt + 8) + 1, 8);
    EXPECT_EQ(loadError(m, past), "Stream read error");
    // An ordinal the program does not know, after the logo.
    auto units = full;
    const std::size_t unitsAt = lengthAt + 8 + noise.size() + 10 + 12 + 13 + 8;
    ASSERT_EQ(units[unitsAt], 0);
    units[unitsAt] = 2;
    EXPECT_EQ(loadError(m, units), kWrongFileFormat);
    // A wrong header.
    auto header = full;
    header[1] = 'b';
    EXPECT_EQ(loadError(m, header), kWrongFileFormat);
    EXPECT_EQ(save(m), before);
}

// ---- round trips ----------------------------------------------------------------------------

TEST_F(ProjectFile, WriteThenReadGivesTheSameInputs)
{
    for (std::uint8_t units : { kUnitsUS, kUnitsSI }) {
        TLPData a;
        a.SetUnits(units);
        a.Organization = "Ingenieurb\xC3\xBCro \xE2\x80\x9CNord\xE2\x80\x9D";
        a.ProjectName = "Quay wall \xE2\x80\x93 pile 12";
        a.JobNumber = "24/117";
        a.DesignBy = "\xC3\x89. Dupont";
        a.ProjectDate = 45500;
        a.HeadCondition = kFixedHead;
        a.PileLength = 0.1L;
        a.Width = 1.0L / 3;
        a.Width2 = 2.0L / 3;
        a.Fc = 4000;
        a.Shape = psOctagon;
        a.Interface = piSmoothSteel;
        a.PileType = ptSmallDisplacement;
        a.UpliftLoad = 12.5L;
        a.AllowableDeflection = 0.25L;
        a.ShapeFamily = 3;
        a.SectionIndex = -1;
        a.PipeShape.Name = "My pipe";
        a.PipeShape.OD = 16;
        a.SteelInput.Lb = 7.5L;
        a.LoadCaseCount = 4;
        a.LoadCases[3] = { 1, 2, 3, 0 };
        a.TimberInput = { 1.15L, 1800, 95, 1100, 4 };
        a.Layers.AddLayer();
        TLayer& own = *a.Layers[2];
        own.UsePileDefaults = false;
        own.OwnMaterialName = "Timber";
        own.OwnShape = psCircle;
        own.OwnInterface = piTimber;
        own.OwnWidth = 1.1L;
        own.OwnTipArea = 0.95L;
        own.NSF = true;
        own.Colour = 0x00ABCDEF;
        own.Hatch = bsCross;

        const auto first = save(a);
        TLPData b;
        load(b, first);
        // Every field's place is held to the golden layout above; here the values themselves.
        EXPECT_EQ(save(b), first) << "units " << int(units);
        EXPECT_EQ(b.Units, units);
        EXPECT_EQ(b.Organization, a.Organization);
        EXPECT_EQ(b.DesignBy, a.DesignBy);
        EXPECT_EQ(b.Width, a.Width);
        EXPECT_EQ(b.PileLength, a.PileLength);
        EXPECT_EQ(b.SectionIndex, -1);
        EXPECT_EQ(b.PipeShape.Name, "My pipe");
        ASSERT_EQ(b.Layers.Count(), 3);
        EXPECT_EQ(b.Layers[2]->PileInterface(), piTimber);
        EXPECT_EQ(b.CustomLayerCount(), 1);
    }
}

TEST_F(ProjectFile, UnitsSwitchTheTablesAndLimits)
{
    load(m, golden::assemble({ .units = kUnitsSI }));
    EXPECT_EQ(m.Units, kUnitsSI);
    EXPECT_EQ(FieldLimits()[0].MaxValue, FieldLimitsSI()[0].MaxValue); // pile length, Tag 1
    // Tables of the loaded family (2, IPE/HE) in SI units.
    std::vector<TIShape> expected;
    LoadIShapes(2, true, expected);
    ASSERT_EQ(m.GetIShapes().size(), expected.size());
    EXPECT_EQ(m.GetIShapes()[0].Name, expected[0].Name);
    EXPECT_EQ(m.GetIShapes()[0].A, expected[0].A);
    load(m, golden::assemble({}));
    EXPECT_EQ(FieldLimits()[0].MaxValue, FieldLimitsUS()[0].MaxValue);
}

TEST_F(ProjectFile, UnitsTakeEffectBeforeTheFieldsThatFollowThem)
{
    // The unit system is switched as soon as it is read, while the pile, family and section are
    // still the previous project's: a steel H-pile on row 2 of the first family takes that row of
    // the SI table. The file (0.93, no stored section records, a concrete pile of family 2) then
    // selects nothing more, so that row stays.
    m.Shape = psSquare;
    m.Interface = piRoughSteel;
    m.SetShapeFamily(0);
    m.SelectSection(2);
    ASSERT_TRUE(m.UsesIShape());
    load(m, golden::assemble({ .version = "0.93", .units = kUnitsSI, .interface = piSmoothConcrete }));
    std::vector<TIShape> si;
    LoadIShapes(0, true, si);
    ASSERT_GT(si.size(), 2u);
    EXPECT_EQ(m.IShape.Name, si[2].Name);
    EXPECT_EQ(m.IShape.A, si[2].A);
    EXPECT_EQ(m.Units, kUnitsSI);
    EXPECT_EQ(m.ShapeFamily, 2);
}

TEST_F(ProjectFile, LongAndForeignTextsAreCutAndReplaced)
{
    std::string longName;
    for (int i = 0; i < 300; ++i)
        longName += static_cast<char>('a' + i % 26);
    m.ProjectName = longName;
    m.DesignBy = "\xE5\xB1\xB1\xE7\x94\xB0 Taro"; // no Windows-1252 form for the first two
    m.IShape.Name = std::string(70, 'W');
    const auto bytes = save(m);
    TLPData b;
    load(b, bytes);
    EXPECT_EQ(b.ProjectName, longName.substr(0, 255));
    EXPECT_EQ(b.DesignBy, "?? Taro");
    EXPECT_EQ(b.IShape.Name, std::string(55, 'W'));

    // A stored text longer than 255 characters, or with a zero byte, is cut on reading.
    auto file = golden::assemble({});
    // Replace JobNumber ("J-2024-017") by 400 characters with a zero at 300.
    const std::string job = "J-2024-017";
    const auto pos = std::search(file.begin(), file.end(), job.begin(), job.end()) - file.begin() - 2;
    // A length of 400, then the characters.
    std::vector<std::uint8_t> field(2 + 400, 'x');
    field[0] = 400 & 0xFF;
    field[1] = 400 >> 8;
    field[2 + 300] = 0;
    file.erase(file.begin() + pos, file.begin() + pos + 2 + static_cast<std::ptrdiff_t>(job.size()));
    file.insert(file.begin() + pos, field.begin(), field.end());
    load(b, file);
    EXPECT_EQ(b.JobNumber, std::string(255, 'x'));
    expectLayers(b, 100);

    auto zero = golden::assemble({});
    const auto at = std::search(zero.begin(), zero.end(), job.begin(), job.end());
    at[4] = 0;
    load(b, zero);
    EXPECT_EQ(b.JobNumber, "J-20");
}

// ---- damaged and hostile files --------------------------------------------------------------

TEST_F(ProjectFile, EveryTruncationRaisesAClearErrorAndChangesNothing)
{
    const auto full = golden::assemble({ .logo = readFile(dataDir() / "logo.jpg") });
    m.ProjectName = "Mine";
    const auto before = save(m);
    for (std::size_t n = 0; n < full.size(); ++n) {
        const std::vector<std::uint8_t> cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
        const std::string error = loadError(m, cut);
        ASSERT_TRUE(error == "Stream read error" || error == kWrongFileFormat) << n << ": " << error;
    }
    EXPECT_EQ(save(m), before);
}

TEST_F(ProjectFile, HostileCountsAndLengthsAreRefusedWithoutAllocating)
{
    const auto good = golden::assemble({});
    m.ProjectName = "Mine";
    const auto before = save(m);
    const std::size_t countAt = golden::assemble({ .layerCount = 0 }).size() - 4;

    auto huge = good;
    putLE(huge, countAt, 0x7FFFFFFF, 4);
    EXPECT_EQ(loadError(m, huge), "Stream read error");
    auto negative = good;
    putLE(negative, countAt, 0xFFFFFFFF, 4);
    EXPECT_EQ(loadError(m, negative), kWrongFileFormat);

    // A picture length far beyond the file.
    auto picture = good;
    putLE(picture, 64 + 2 + 10, std::uint64_t { 0x40 } << 56, 8);
    EXPECT_EQ(loadError(m, picture), "Stream read error");

    // A text length beyond the file.
    auto text = good;
    text[64] = 0xFF;
    text[65] = 0xFF;
    std::vector<std::uint8_t> shortText(text.begin(), text.begin() + 200);
    EXPECT_EQ(loadError(m, shortText), "Stream read error");

    // Ordinals the program does not know.
    auto units = good;
    // Header, Organization, picture length, ProjectName, JobNumber, DesignBy, ProjectDate.
    const std::size_t unitsAt = 64 + 12 + 8 + 10 + 12 + 13 + 8;
    ASSERT_EQ(units[unitsAt], 0);
    units[unitsAt] = 2;
    EXPECT_EQ(loadError(m, units), kWrongFileFormat);
    auto shape = good;
    // Shape: after the header fields and the 4 Ext + Str + Byte + 7 Ext following Width2.
    const std::size_t shapeAt = unitsAt + 2 + 3 * 10 + 4 * 10 + 14 + 1 + 7 * 10;
    ASSERT_EQ(shape[shapeAt], 2);
    shape[shapeAt] = 9;
    EXPECT_EQ(loadError(m, shape), kWrongFileFormat);

    EXPECT_EQ(save(m), before);
}

TEST_F(ProjectFile, ADuplicatedModulusIsReadAndDiscarded)
{
    auto bytes = golden::assemble({});
    // The layer's second OwnE follows its first; change the copy of the first layer's.
    golden::Assembler a;
    a.ext(golden::layerValue(0, 18));
    const auto first = std::search(bytes.begin(), bytes.end(), a.bytes.begin(), a.bytes.end());
    ASSERT_NE(first, bytes.end());
    const auto copy = first + 10;
    ASSERT_TRUE(std::equal(a.bytes.begin(), a.bytes.end(), copy));
    copy[5] ^= 0x55;
    load(m, bytes);
    EXPECT_EQ(m.Layers[0]->OwnE, golden::layerValue(0, 18));
}

// ---- files ----------------------------------------------------------------------------------

TEST_F(ProjectFile, SaveAndLoadThroughFiles)
{
    ScratchDir dir;
    const fs::path file = dir.path / "Pier \xC3\xA9.fdx";
    load(m, golden::assemble({}));
    m.SaveToFile(file.string());
    EXPECT_EQ(readFile(file), golden::assemble({}));
    TLPData b;
    b.LoadFromFile(file.string());
    expectProjectBlock(b, 100);
    // Nothing is left beside it.
    EXPECT_EQ(entryCount(dir.path), 1);
    EXPECT_THROW(b.LoadFromFile((dir.path / "missing.fdx").string()), platform::EFOpenError);
    for (const std::vector<std::uint8_t>& other : { std::vector<std::uint8_t> {},
             std::vector<std::uint8_t>(5, 'x'), std::vector<std::uint8_t>(5000, 'x') }) {
        writeFile(dir.path / "other.txt", other);
        try {
            b.LoadFromFile((dir.path / "other.txt").string());
            ADD_FAILURE() << "a file of " << other.size() << " bytes loaded";
        } catch (const platform::Exception& e) {
            EXPECT_STREQ(e.what(), kWrongFileFormat);
        }
    }
    fs::remove(dir.path / "other.txt");
    EXPECT_THROW(b.SaveToFile((dir.path / "no" / "such" / "folder.fdx").string()), platform::EFCreateError);
}

TEST_F(ProjectFile, AFailedSaveLeavesTheOldFile)
{
    ScratchDir dir;
    const fs::path file = dir.path / "project.fdx";
    load(m, golden::assemble({}));
    m.SaveToFile(file.string());
    const auto old = readFile(file);

    // A picture that cannot be written as JPEG (16 colours) fails the save part way.
    auto picture = std::make_shared<TJpegGraphic>();
    picture->NewImage(8, 8, ifColor16, nullptr, 0, 0);
    m.Logo = picture;
    m.ProjectName = "Changed";
    EXPECT_THROW(m.SaveToFile(file.string()), platform::Exception);
    EXPECT_EQ(readFile(file), old);

    // A file-size limit (ulimit -f) stops the write after 1000 bytes. The signal it raises is at
    // its default, which would end the process: the save must fail with a message instead.
    // Run in a child, whose exit code says what happened there.
    m.Logo.reset();
    const auto saveUnderLimit = [&] {
        std::signal(SIGXFSZ, SIG_DFL);
        limitFileSize(1000);
        try {
            m.SaveToFile(file.string());
        } catch (const platform::EWriteError& e) {
            const std::string message = e.what();
            std::_Exit(message.find("project.fdx") != std::string::npos
                        && message.find(std::strerror(EFBIG)) != std::string::npos
                    ? 0
                    : 2);
        }
        std::_Exit(3);
    };
    EXPECT_EXIT(saveUnderLimit(), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(readFile(file), old);
    EXPECT_EQ(entryCount(dir.path), 1);

    // Killed in the middle of writing (here by the limit's signal, handled by ending the
    // process), twice: one temporary is left, and the next save replaces it.
    const auto killedWhileSaving = [&] {
        std::signal(SIGXFSZ, [](int) { std::_Exit(4); });
        limitFileSize(1000);
        m.SaveToFile(file.string());
        std::_Exit(0);
    };
    EXPECT_EXIT(killedWhileSaving(), ::testing::ExitedWithCode(4), "");
    EXPECT_EXIT(killedWhileSaving(), ::testing::ExitedWithCode(4), "");
    EXPECT_EQ(readFile(file), old);
    EXPECT_EQ(entryCount(dir.path), 2);

    // With room again the save goes through, and nothing is left beside it.
    m.SaveToFile(file.string());
    EXPECT_EQ(entryCount(dir.path), 1);
    TLPData b;
    b.LoadFromFile(file.string());
    EXPECT_EQ(b.ProjectName, "Changed");
}

TEST_F(ProjectFile, SavingWritesThroughSymbolicLinks)
{
    ScratchDir dir;
    load(m, golden::assemble({}));
    const std::vector<std::uint8_t> expected = save(m);
    fs::create_directories(dir.path / "real");
    // A link to an existing file, a dangling one (relative, through a second link) and one
    // whose target's folder does not exist.
    writeFile(dir.path / "real" / "existing.fdx", { 'o', 'l', 'd' });
    fs::create_symlink(dir.path / "real" / "existing.fdx", dir.path / "to-existing.fdx");
    fs::create_symlink("real/new.fdx", dir.path / "hop.fdx");
    fs::create_symlink(dir.path / "hop.fdx", dir.path / "dangling.fdx");
    fs::create_symlink(dir.path / "nowhere" / "x.fdx", dir.path / "lost.fdx");

    m.SaveToFile((dir.path / "to-existing.fdx").string());
    EXPECT_TRUE(fs::is_symlink(dir.path / "to-existing.fdx"));
    EXPECT_EQ(readFile(dir.path / "real" / "existing.fdx"), expected);
    m.SaveToFile((dir.path / "dangling.fdx").string());
    EXPECT_TRUE(fs::is_symlink(dir.path / "dangling.fdx"));
    EXPECT_TRUE(fs::is_symlink(dir.path / "hop.fdx"));
    EXPECT_EQ(readFile(dir.path / "real" / "new.fdx"), expected);
    try {
        m.SaveToFile((dir.path / "lost.fdx").string());
        ADD_FAILURE() << "saved through a link into a missing folder";
    } catch (const platform::EFCreateError& e) {
        EXPECT_NE(std::string(e.what()).find("nowhere"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(fs::is_symlink(dir.path / "lost.fdx"));
    EXPECT_EQ(entryCount(dir.path / "real"), 2);
}

TEST_F(ProjectFile, SavingKeepsTheFilesPermissions)
{
    ScratchDir dir;
    const fs::path file = dir.path / "shared.fdx";
    m.SaveToFile(file.string());
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    m.SaveToFile(file.string());
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// ---- layer streams on their own -------------------------------------------------------------

TEST_F(ProjectFile, LayerRecordsAloneRoundTripAndFailWithoutChanges)
{
    TLayerList& list = m.Layers;
    list.AddLayer()->SPTFieldN = 33;
    platform::TMemoryStream s;
    list.SaveToStream(s);
    EXPECT_EQ(s.Size(), 4 + 3 * MinimumLayerRecordSize(100) + 3 * 8); // three "Concrete" names

    TLPData other;
    s.SetPosition(0);
    other.Layers.LoadFromStream(s, 100);
    ASSERT_EQ(other.Layers.Count(), 3);
    EXPECT_EQ(other.Layers[2]->SPTFieldN, 33);
    EXPECT_EQ(other.Layers[2]->List, &other.Layers);

    // Cut short: the list stays as it was.
    platform::TMemoryStream cut;
    cut.WriteBuffer(s.Memory(), s.Size() - 1);
    cut.SetPosition(0);
    other.Layers[0]->Thickness = 99;
    EXPECT_THROW(other.Layers.LoadFromStream(cut, 100), platform::EReadError);
    ASSERT_EQ(other.Layers.Count(), 3);
    EXPECT_EQ(other.Layers[0]->Thickness, 99);
}

// ---- the demo example projects --------------------------------------------------------------

TEST(DemoExamples, BothLoadAsRealisticProjectsWithoutProjectInformation)
{
    const fs::path dir(FENDRIX_DEMO_EXAMPLE_DIR);
    for (const auto& [name, units] : { std::pair { "ENGLISH UNITS DEMO EXAMPLE.fdx", kUnitsUS },
             { "SI UNITS DEMO EXAMPLE.fdx", kUnitsSI } }) {
        SCOPED_TRACE(name);
        TLPData m;
        m.LoadFromFile((dir / name).string());
        EXPECT_EQ(m.Units, units);
        EXPECT_EQ(m.Organization, "");
        EXPECT_EQ(m.ProjectName, "");
        EXPECT_EQ(m.JobNumber, "");
        EXPECT_EQ(m.DesignBy, "");
        EXPECT_EQ(m.Logo, nullptr);
        EXPECT_GE(m.Layers.Count(), 3);
        EXPECT_LE(m.Layers.Count(), 4);
        EXPECT_GT(m.PileLength, 0);
        EXPECT_GT(m.Width, 0);
        EXPECT_GT(m.LateralLoad, 0);
        EXPECT_GT(m.DownwardLoad, 0);
        Extended depth = 0;
        for (int i = 0; i < m.Layers.Count(); ++i) {
            EXPECT_GT(m.Layers[i]->Thickness, 0);
            EXPECT_GT(m.Layers[i]->SGReactTop, 0);
            EXPECT_NE(m.Layers[i]->MatType, lpmtNone);
            depth += m.Layers[i]->Thickness;
        }
        // The profile is kept as the main window keeps it: the last layer ends at the tip, and
        // each layer's subgrade reaction starts where the one above ends.
        EXPECT_EQ(depth, m.PileLength);
        for (int i = 1; i < m.Layers.Count(); ++i)
            EXPECT_EQ(m.Layers[i]->SGReactTop, m.Layers[i - 1]->SGReactBottom);
        // Every input lies inside its field limits.
        const struct {
            int tag;
            Extended value;
        } inputs[]
            = { { 1, m.PileLength }, { 2, m.Width }, { 3, m.Fc }, { 4, m.LateralLoad }, { 5, m.MomentLoad },
                  { 30, m.Area }, { 31, m.E }, { 34, m.PassiveWedge }, { 38, m.DownwardLoad }, { 46, m.OCR },
                  { 47, m.SuSigmaV }, { 48, m.FSSide }, { 49, m.FSEnd }, { 50, m.AllowableDeflection },
                  { 61, m.Fy }, { 65, Extended(m.LoadCaseCount) }, { 76, m.UpliftLoad } };
        for (const auto& input : inputs)
            EXPECT_EQ(ClampFieldValue(input.tag, input.value), input.value) << "Tag " << input.tag;
        // Analysed, the pile gives finite results.
        m.Calculate();
        Extended deflection = 0;
        EXPECT_GT(m.MaxDeflectionNode(deflection), 0);
        EXPECT_TRUE(std::isfinite(deflection));
        EXPECT_NE(deflection, 0);
    }
}

TEST(DemoExamples, LoadingTakesTheProjectsBarTable)
{
    // The SI demo uses European bars in millimetres, the English one US bars in inches; each load
    // must leave the bar table of the project just read.
    const fs::path dir(FENDRIX_DEMO_EXAMPLE_DIR);
    TLPData m;
    m.LoadFromFile((dir / "SI UNITS DEMO EXAMPLE.fdx").string());
    ASSERT_EQ(m.RebarStandard, rsEuropean);
    TRebar bar {};
    m.GetRebar(20, bar);
    EXPECT_EQ(double(bar.Diameter), 20.0);
    EXPECT_EQ(double(bar.Area), 314.0);

    m.LoadFromFile((dir / "ENGLISH UNITS DEMO EXAMPLE.fdx").string());
    ASSERT_EQ(m.RebarStandard, rsUS);
    bar = {};
    m.GetRebar(7, bar); // #7: 7/8 in, 0.60 in^2
    EXPECT_EQ(double(bar.Diameter), 0.875);
    EXPECT_NEAR(double(bar.Area), 0.60, 1e-9);
}

TEST(DemoExamples, ResetStartsFromTheDemoBesideTheProgram)
{
    const fs::path source(FENDRIX_DEMO_EXAMPLE_DIR);
    const fs::path here = fs::path(platform::runningExecutablePath()).parent_path();
    const char* names[] = { "ENGLISH UNITS DEMO EXAMPLE.fdx", "SI UNITS DEMO EXAMPLE.fdx" };
    struct Cleanup {
        fs::path dir;
        const char* const* names;
        ~Cleanup()
        {
            for (int i = 0; i < 2; ++i)
                fs::remove(dir / names[i]);
        }
    } cleanup { here, names };
    for (const char* name : names)
        fs::copy_file(source / name, here / name, fs::copy_options::overwrite_existing);

    TLPData m; // a new model starts from the English demo
    EXPECT_EQ(m.Units, kUnitsUS);
    EXPECT_EQ(m.Layers.Count(), 4);
    EXPECT_EQ(m.PileLength, 40);
    EXPECT_EQ(m.ProjectDate, DateToday());
    m.ProjectName = "Old";
    m.SetUnits(kUnitsSI);
    m.Reset(false);
    EXPECT_EQ(m.Units, kUnitsSI);
    EXPECT_EQ(m.PileLength, 12);
    EXPECT_EQ(m.ProjectName, "");
    EXPECT_EQ(m.ProjectDate, DateToday());

    // A demo whose logo does not decode is still the demo: a new project drops its logo anyway.
    auto demo = readFile(source / names[0]);
    const std::size_t logoAt = kProjectFileHeaderSize + 2 + (demo[64] | demo[65] << 8);
    ASSERT_TRUE(std::all_of(demo.begin() + static_cast<std::ptrdiff_t>(logoAt),
        demo.begin() + static_cast<std::ptrdiff_t>(logoAt + 8), [](std::uint8_t b) { return b == 0; }));
    const auto png = readFile(dataDir() / "logo.png");
    putLE(demo, logoAt, png.size(), 8);
    demo.insert(demo.begin() + static_cast<std::ptrdiff_t>(logoAt + 8), png.begin(), png.end());
    writeFile(here / names[0], demo);
    m.SetUnits(kUnitsUS);
    m.Reset(false);
    EXPECT_EQ(m.PileLength, 40);
    EXPECT_EQ(m.Layers.Count(), 4);
    EXPECT_EQ(m.Logo, nullptr);
}
