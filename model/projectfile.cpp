// The project file: header, project block and layer records, read and written by one
// description of the format (transferProject, transferLayer) so the two cannot drift apart.
//
// Reading is all or nothing: the project block is read into a copy of the model's stored fields
// and the layers into a list of their own, and only once the whole file has been read do they
// replace the model's. Every length and count read from a file is checked against the bytes
// left before anything is allocated or looped over. Only a stored logo that is all there but does
// not decode is left out instead of refusing the file (ReadStreamJPEG).
#include "model/projectfile.h"

#include "imaging/jpeggraphic.h"
#include "model/ansitext.h"
#include "model/extended80.h"
#include "model/fieldlimits.h"
#include "model/lpclasses.h"
#include "platform/core/exceptions.h"
#include "platform/core/stream.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using platform::TStream;

namespace {

[[noreturn]] void raiseWrongFormat()
{
    throw platform::Exception(kWrongFileFormat);
}

[[noreturn]] void raiseReadError()
{
    throw platform::EReadError("Stream read error");
}

int64_t bytesLeft(TStream& stream)
{
    const int64_t left = stream.Size() - stream.Position();
    return left > 0 ? left : 0;
}

// ---- little-endian fields inside a fixed record ---------------------------------------------

void putExt(std::uint8_t* record, int offset, Extended value)
{
    const TExtended80 bytes = EncodeExtended80(value);
    std::memcpy(record + offset, bytes.data(), bytes.size());
}

Extended getExt(const std::uint8_t* record, int offset)
{
    return DecodeExtended80(record + offset);
}

void putInt32(std::uint8_t* record, int offset, std::int32_t value)
{
    const auto u = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        record[offset + i] = static_cast<std::uint8_t>(u >> (8 * i));
}

std::int32_t getInt32(const std::uint8_t* record, int offset)
{
    std::uint32_t u = 0;
    for (int i = 3; i >= 0; --i)
        u = (u << 8) | record[offset + i];
    return static_cast<std::int32_t>(u);
}

// A section name: a length byte and up to 55 characters in a 56-byte field.
constexpr int kNameFieldSize = 1 + static_cast<int>(kSectionNameMax);

void putName(std::uint8_t* record, const std::string& name)
{
    const std::string ansi = Utf8ToAnsi(name, kSectionNameMax);
    record[0] = static_cast<std::uint8_t>(ansi.size());
    std::memcpy(record + 1, ansi.data(), ansi.size());
}

std::string getName(const std::uint8_t* record)
{
    const std::size_t length = std::min<std::size_t>(record[0], kSectionNameMax);
    std::string_view chars(reinterpret_cast<const char*>(record + 1), length);
    chars = chars.substr(0, chars.find('\0'));
    return AnsiToUtf8(chars);
}

constexpr Extended TIShape::*kIShapeValues[18] = { &TIShape::W, &TIShape::A, &TIShape::d, &TIShape::bf,
    &TIShape::tw, &TIShape::tf, &TIShape::Ix, &TIShape::Zx, &TIShape::Sx, &TIShape::rx, &TIShape::Iy,
    &TIShape::Zy, &TIShape::Sy, &TIShape::ry, &TIShape::J, &TIShape::Cw, &TIShape::rts, &TIShape::ho };
constexpr Extended TPipeShape::*kPipeShapeValues[11]
    = { &TPipeShape::W, &TPipeShape::A, &TPipeShape::OD, &TPipeShape::tnom, &TPipeShape::tdes,
          &TPipeShape::Dt, &TPipeShape::I, &TPipeShape::Z, &TPipeShape::S, &TPipeShape::r, &TPipeShape::J };
constexpr Extended TSteelInput::*kSteelValues[12] = { &TSteelInput::P, &TSteelInput::Mx, &TSteelInput::My,
    &TSteelInput::Fy, &TSteelInput::Kx, &TSteelInput::Ky, &TSteelInput::Lx, &TSteelInput::Ly,
    &TSteelInput::Lb, &TSteelInput::Cb, &TSteelInput::Cmx, &TSteelInput::Fc };
constexpr Extended TTimberInput::*kTimberValues[4]
    = { &TTimberInput::CD, &TTimberInput::Fb, &TTimberInput::Fv, &TTimberInput::Fc };

// ---- the two directions of the format -------------------------------------------------------

class Reader {
public:
    explicit Reader(TStream& stream)
        : m_stream(stream)
    {
    }

    TStream& Stream() { return m_stream; }

    void byte(std::uint8_t& v) { m_stream.ReadBuffer(&v, 1); }
    void boolean(bool& v)
    {
        std::uint8_t b = 0;
        byte(b);
        v = b != 0;
    }
    // An enumeration held in a byte or an integer; an ordinal the program does not know means a
    // damaged file.
    // count < 0: any value is kept.
    template <class T> void enum8(T& v, int count)
    {
        std::uint8_t b = 0;
        byte(b);
        if (b >= count)
            raiseWrongFormat();
        v = static_cast<T>(b);
    }
    template <class T> void enum32(T& v, int count)
    {
        std::int32_t i = 0;
        int32(i);
        if (count >= 0 && (i < 0 || i >= count))
            raiseWrongFormat();
        v = static_cast<T>(i);
    }
    void int32(std::int32_t& v)
    {
        std::uint8_t b[4];
        m_stream.ReadBuffer(b, 4);
        v = getInt32(b, 0);
    }
    void dbl(double& v)
    {
        std::uint8_t b[8];
        m_stream.ReadBuffer(b, 8);
        std::uint64_t u = 0;
        for (int i = 7; i >= 0; --i)
            u = (u << 8) | b[i];
        v = std::bit_cast<double>(u);
    }
    void ext(Extended& v)
    {
        std::uint8_t b[10];
        m_stream.ReadBuffer(b, 10);
        v = DecodeExtended80(b);
    }
    // The second copy of a value the format writes twice.
    void extCopy(const Extended&)
    {
        Extended discarded = 0;
        ext(discarded);
    }
    void str(std::string& v) { v = ReadStreamString(m_stream); }
    void pic(TStoredLogo& v) { v = ReadStreamJPEG(m_stream); }

    void steel(TSteelInput& v)
    {
        std::uint8_t r[kSteelInputRecordSize];
        m_stream.ReadBuffer(r, sizeof r);
        for (int i = 0; i < 12; ++i)
            v.*kSteelValues[i] = getExt(r, 10 * i);
        v.ConcreteFilled = r[120] != 0;
    }
    void ishape(TIShape& v)
    {
        std::uint8_t r[kIShapeRecordSize];
        m_stream.ReadBuffer(r, sizeof r);
        v.Name = getName(r);
        for (int i = 0; i < 18; ++i)
            v.*kIShapeValues[i] = getExt(r, kNameFieldSize + 10 * i);
    }
    void pipe(TPipeShape& v)
    {
        std::uint8_t r[kPipeShapeRecordSize];
        m_stream.ReadBuffer(r, sizeof r);
        v.Name = getName(r);
        for (int i = 0; i < 11; ++i)
            v.*kPipeShapeValues[i] = getExt(r, kNameFieldSize + 10 * i);
    }
    void timber(TTimberInput& v)
    {
        std::uint8_t r[kTimberInputRecordSize];
        m_stream.ReadBuffer(r, sizeof r);
        for (int i = 0; i < 4; ++i)
            v.*kTimberValues[i] = getExt(r, 10 * i);
        v.Treatment = getInt32(r, 40);
    }

private:
    TStream& m_stream;
};

class Writer {
public:
    explicit Writer(TStream& stream)
        : m_stream(stream)
    {
    }

    TStream& Stream() { return m_stream; }

    void byte(std::uint8_t v) { m_stream.WriteBuffer(&v, 1); }
    void boolean(bool v) { byte(v ? 1 : 0); }
    template <class T> void enum8(T v, int) { byte(static_cast<std::uint8_t>(v)); }
    template <class T> void enum32(T v, int) { int32(static_cast<std::int32_t>(v)); }
    void int32(std::int32_t v)
    {
        std::uint8_t b[4];
        putInt32(b, 0, v);
        m_stream.WriteBuffer(b, 4);
    }
    void dbl(double v)
    {
        const auto u = std::bit_cast<std::uint64_t>(v);
        std::uint8_t b[8];
        for (int i = 0; i < 8; ++i)
            b[i] = static_cast<std::uint8_t>(u >> (8 * i));
        m_stream.WriteBuffer(b, 8);
    }
    void ext(Extended v)
    {
        const TExtended80 b = EncodeExtended80(v);
        m_stream.WriteBuffer(b.data(), 10);
    }
    void extCopy(Extended v) { ext(v); }
    void str(const std::string& v) { WriteStreamString(m_stream, v); }
    void pic(const TStoredLogo& v) { WriteStreamJPEG(m_stream, v.Picture.get(), v.Bytes.get()); }

    // Padding bytes are written as zeros.
    void steel(const TSteelInput& v)
    {
        std::uint8_t r[kSteelInputRecordSize] = {};
        for (int i = 0; i < 12; ++i)
            putExt(r, 10 * i, v.*kSteelValues[i]);
        r[120] = v.ConcreteFilled ? 1 : 0;
        m_stream.WriteBuffer(r, sizeof r);
    }
    void ishape(const TIShape& v)
    {
        std::uint8_t r[kIShapeRecordSize] = {};
        putName(r, v.Name);
        for (int i = 0; i < 18; ++i)
            putExt(r, kNameFieldSize + 10 * i, v.*kIShapeValues[i]);
        m_stream.WriteBuffer(r, sizeof r);
    }
    void pipe(const TPipeShape& v)
    {
        std::uint8_t r[kPipeShapeRecordSize] = {};
        putName(r, v.Name);
        for (int i = 0; i < 11; ++i)
            putExt(r, kNameFieldSize + 10 * i, v.*kPipeShapeValues[i]);
        m_stream.WriteBuffer(r, sizeof r);
    }
    void timber(const TTimberInput& v)
    {
        std::uint8_t r[kTimberInputRecordSize] = {};
        for (int i = 0; i < 4; ++i)
            putExt(r, 10 * i, v.*kTimberValues[i]);
        putInt32(r, 40, v.Treatment);
        m_stream.WriteBuffer(r, sizeof r);
    }

private:
    TStream& m_stream;
};

// ---- the project block ----------------------------------------------------------------------

// The fields of the model that the project block stores, apart from the logo and `Units`, which
// are handled on their own.
// clang-format off
#define FENDRIX_PROJECT_FIELDS(X)                                                                     \
    X(Organization) X(ProjectName) X(JobNumber) X(DesignBy) X(ProjectDate) X(HeadCondition)          \
    X(PileLength) X(Width) X(Width2) X(Fc) X(LateralLoad) X(MomentLoad) X(PassiveWedge)              \
    X(MaterialName) X(EFromFc) X(Area) X(E) X(I) X(DownwardLoad) X(Reserved1) X(Reserved2)            \
    X(Reserved3) X(Shape) X(Interface) X(PileType) X(Perimeter) X(TipArea) X(FSSide) X(FSEnd)         \
    X(OCR) X(SuSigmaV) X(Groundwater) X(DesignLife) X(ConstructionControl) X(AllowableDeflection)    \
    X(UpliftLoad) X(StaticAnalysis) X(CyclicAnalysis) X(ShapeFamily) X(MemberType) X(SectionIndex)   \
    X(SteelInput) X(StructuralDesign) X(RebarStandard) X(BarSize) X(BarCount) X(TieType)             \
    X(TieBarSize) X(Fy) X(Es) X(Cover) X(SpacingOverride) X(LoadCaseCount) X(LoadCases)              \
    X(TimberInput)
// clang-format on

struct ProjectRecord {
#define FENDRIX_DECLARE_FIELD(name) decltype(TLPData::name) name;
    FENDRIX_PROJECT_FIELDS(FENDRIX_DECLARE_FIELD)
#undef FENDRIX_DECLARE_FIELD
    std::uint8_t Units = 0;
    TStoredLogo Logo;
    TIShape IShape;
    TPipeShape PipeShape;

    // A field absent from an older file keeps the value the model held.
    static ProjectRecord of(const TLPData& m)
    {
#define FENDRIX_CAPTURE_FIELD(name) m.name,
        ProjectRecord r { FENDRIX_PROJECT_FIELDS(FENDRIX_CAPTURE_FIELD) m.Units, {}, m.IShape, m.PipeShape };
#undef FENDRIX_CAPTURE_FIELD
        return r;
    }
};

constexpr int kShapeCount = 4;
constexpr int kInterfaceCount = 5;
constexpr int kPileTypeCount = 3;
constexpr int kUnitSystemCount = 2;
constexpr int kHatchCount = 8;

template <class IO, class R> void transferProject(IO& io, R& r, int V)
{
    io.str(r.Organization);
    io.pic(r.Logo);
    io.str(r.ProjectName);
    io.str(r.JobNumber);
    io.str(r.DesignBy);
    io.dbl(r.ProjectDate);
    io.enum8(r.Units, kUnitSystemCount);
    io.byte(r.HeadCondition);
    io.ext(r.PileLength);
    io.ext(r.Width);
    if (V >= 91)
        io.ext(r.Width2);
    io.ext(r.Fc);
    io.ext(r.LateralLoad);
    io.ext(r.MomentLoad);
    io.ext(r.PassiveWedge);
    io.str(r.MaterialName);
    io.boolean(r.EFromFc);
    io.ext(r.Area);
    io.ext(r.E);
    io.ext(r.I);
    io.ext(r.DownwardLoad);
    io.ext(r.Reserved1);
    io.ext(r.Reserved2);
    io.ext(r.Reserved3);
    io.enum32(r.Shape, kShapeCount);
    if (V >= 91) {
        io.enum32(r.Interface, kInterfaceCount);
        io.enum32(r.PileType, kPileTypeCount);
        io.ext(r.Perimeter);
        io.ext(r.TipArea);
        io.ext(r.FSSide);
        io.ext(r.FSEnd);
        io.ext(r.OCR);
        io.ext(r.SuSigmaV);
        io.ext(r.Groundwater);
        io.int32(r.DesignLife);
        io.int32(r.ConstructionControl);
    }
    if (V >= 92)
        io.ext(r.AllowableDeflection);
    if (V >= 100)
        io.ext(r.UpliftLoad);
    if (V >= 93) {
        io.boolean(r.StaticAnalysis);
        io.boolean(r.CyclicAnalysis);
        io.byte(r.ShapeFamily);
        io.int32(r.MemberType);
        io.int32(r.SectionIndex);
        io.steel(r.SteelInput);
    }
    if (V >= 94) {
        io.ishape(r.IShape);
        io.pipe(r.PipeShape);
    }
    if (V >= 95) {
        io.boolean(r.StructuralDesign);
        io.enum32(r.RebarStandard, -1); // any value above 1 is Canadian
        io.int32(r.BarSize);
        io.int32(r.BarCount);
        io.int32(r.TieType);
        io.int32(r.TieBarSize);
        io.ext(r.Fy);
        io.ext(r.Es);
        io.ext(r.Cover);
        io.ext(r.SpacingOverride);
        io.enum32(r.LoadCaseCount, kLoadCaseCount + 1);
        for (auto& c : r.LoadCases) {
            io.ext(c.Pu);
            io.ext(c.Mu);
        }
        for (auto& c : r.LoadCases)
            io.ext(c.Vu);
    }
    if (V >= 96)
        io.timber(r.TimberInput);
}

// ---- the layer record -----------------------------------------------------------------------

template <class IO, class L> void transferLayer(IO& io, L& l, int V)
{
    io.enum8(l.MatType, kMaterialTypeCount);
    io.enum8(l.USCS, kUSCSCount);
    io.enum8(l.Consistency, kConsistencyCount);
    io.ext(l.Thickness);
    io.ext(l.SGReactTop);
    io.ext(l.SGReactBottom);
    io.ext(l.Cohesion);
    io.ext(l.Kp);
    io.ext(l.FSonKp);
    io.ext(l.Gamma);
    io.boolean(l.UsePileDefaults);
    io.boolean(l.OwnEFromFc);
    io.str(l.OwnMaterialName);
    io.ext(l.OwnWidth);
    if (V >= 91)
        io.ext(l.OwnWidth2);
    io.ext(l.OwnFc);
    io.ext(l.OwnArea);
    io.ext(l.OwnE);
    io.extCopy(l.OwnE);
    io.ext(l.OwnI);
    io.ext(l.Reserved1);
    io.ext(l.Reserved2);
    io.enum32(l.OwnShape, kShapeCount);
    if (V >= 91) {
        io.ext(l.SPTFieldN);
        io.enum32(l.OwnInterface, kInterfaceCount);
        io.enum32(l.OwnPileType, kPileTypeCount);
        io.ext(l.OwnPerimeter);
        io.ext(l.OwnTipArea);
    }
    if (V >= 92) {
        io.int32(l.Colour);
        io.enum8(l.Hatch, kHatchCount);
    }
    if (V >= 98)
        io.boolean(l.NSF);
}

// ---- the header -----------------------------------------------------------------------------

void writeHeader(TStream& stream)
{
    std::uint8_t header[kProjectFileHeaderSize] = {};
    header[0] = static_cast<std::uint8_t>(kProjectFileMagic.size());
    std::memcpy(header + 1, kProjectFileMagic.data(), kProjectFileMagic.size());
    std::uint8_t* version = header + kProjectFileMagicFieldSize;
    version[0] = static_cast<std::uint8_t>(kProjectFileVersionText.size());
    std::memcpy(version + 1, kProjectFileVersionText.data(), kProjectFileVersionText.size());
    stream.WriteBuffer(header, sizeof header);
}

// Reads the header and returns the file's version x 100; raises "Wrong file format" for
// anything that is not a project file of a version this program knows.
int readHeader(TStream& stream)
{
    if (bytesLeft(stream) < kProjectFileHeaderSize)
        raiseWrongFormat();
    std::uint8_t header[kProjectFileHeaderSize];
    stream.ReadBuffer(header, sizeof header);
    // Only the length byte and the characters count; what follows them in the field does not.
    if (header[0] != kProjectFileMagic.size()
        || std::memcmp(header + 1, kProjectFileMagic.data(), kProjectFileMagic.size()) != 0)
        raiseWrongFormat();
    const std::uint8_t* field = header + kProjectFileMagicFieldSize;
    const std::size_t length = std::min<std::size_t>(field[0], kProjectFileVersionFieldSize - 1);
    const std::string_view text(reinterpret_cast<const char*>(field + 1), length);
    const std::int64_t version = RoundHalfEven(StrToFloatDot(text) * 100);
    if (version > kProjectFileVersion)
        raiseWrongFormat();
    // Every version below the first one with optional fields reads alike.
    return static_cast<int>(std::max<std::int64_t>(version, 0));
}

// ---- files ----------------------------------------------------------------------------------

std::string systemMessage(int error)
{
    return std::strerror(error);
}

// A write beyond the process's file-size limit raises SIGXFSZ, whose default action ends the
// program with its unsaved work. Ignored, the write fails with EFBIG instead and the save reports
// it. A handler someone installed on purpose is left alone.
void ignoreFileSizeSignal()
{
    struct sigaction current { };
    if (::sigaction(SIGXFSZ, nullptr, &current) != 0 || (current.sa_flags & SA_SIGINFO)
        || current.sa_handler != SIG_DFL)
        return;
    struct sigaction ignore { };
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    (void)::sigaction(SIGXFSZ, &ignore, nullptr);
}

// Writes the bytes to a new file beside fileName and renames it over fileName only once it is
// complete and on disk: a failure at any point leaves the previous file as it was. A symbolic
// link is written through, to the file it names (which need not exist yet), and stays a link.
void replaceFile(const std::string& fileName, const std::vector<std::uint8_t>& bytes)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path target(fileName);
    // The same bound on a chain of links as the system's.
    for (int hops = 0; fs::is_symlink(target, ec); ++hops) {
        const fs::path next = fs::read_symlink(target, ec);
        if (ec || hops == 40)
            throw platform::EFCreateError(platform::Format("Cannot create file \"%s\". %s", fileName.c_str(),
                systemMessage(ec ? ec.value() : ELOOP).c_str()));
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    // Where a link was followed, the messages name the file it leads to as well.
    std::string shown = "\"" + fileName + "\"";
    if (target != fs::path(fileName))
        shown += " (a link to \"" + target.string() + "\")";
    struct stat old { };
    const bool hadFile = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);

    // One name per target: what a save killed mid-write leaves is replaced by the next one.
    const std::string temporary = target.string() + ".part~";
    ::unlink(temporary.c_str());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        throw platform::EFCreateError(
            platform::Format("Cannot create file %s. %s", shown.c_str(), systemMessage(errno).c_str()));

    ignoreFileSizeSignal();
    int error = 0;
    std::size_t done = 0;
    while (done < bytes.size() && error == 0) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            error = n < 0 ? errno : ENOSPC;
        else
            done += static_cast<std::size_t>(n);
    }
    if (error == 0 && hadFile)
        (void)::fchmod(fd, old.st_mode & 07777);
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        throw platform::EWriteError(
            platform::Format("Cannot write file %s. %s", shown.c_str(), systemMessage(error).c_str()));
    }
    // Make the rename itself durable; the new file is complete whether or not this succeeds.
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
}

} // namespace

// ---- stream helpers -------------------------------------------------------------------------

int MinimumLayerRecordSize(int V)
{
    int size = 3 + 7 * 10 + 1 + 1 + 2 + 10 + 3 * 10 + 10 + 10 + 2 * 10 + 4;
    if (V >= 91)
        size += 10 + 10 + 4 + 4 + 2 * 10;
    if (V >= 92)
        size += 4 + 1;
    if (V >= 98)
        size += 1;
    return size;
}

Extended StrToFloatDot(std::string_view text)
{
    return ParseFieldText(std::string(text), TNumberFormat { ".", "" });
}

std::string ReadStreamString(TStream& stream)
{
    std::uint8_t prefix[2];
    stream.ReadBuffer(prefix, 2);
    const int length = prefix[0] | (prefix[1] << 8);
    if (length > bytesLeft(stream))
        raiseReadError();
    std::string buffer(static_cast<std::size_t>(length), '\0');
    stream.ReadBuffer(buffer.data(), length);
    std::string_view bytes(buffer);
    bytes = bytes.substr(0, std::min(bytes.find('\0'), kMaxProjectText));
    return AnsiToUtf8(bytes);
}

void WriteStreamString(TStream& stream, std::string_view text)
{
    const std::string ansi = Utf8ToAnsi(text, kMaxProjectText);
    const std::uint8_t prefix[2]
        = { static_cast<std::uint8_t>(ansi.size()), static_cast<std::uint8_t>(ansi.size() >> 8) };
    stream.WriteBuffer(prefix, 2);
    stream.WriteBuffer(ansi.data(), static_cast<int64_t>(ansi.size()));
}

// ---- TLayer and TLayerList ------------------------------------------------------------------

void TLayer::LoadFromStream(TStream& Stream, int FileVersion)
{
    TLayer read = *this;
    Reader io(Stream);
    transferLayer(io, read, FileVersion);
    // The rows have seen what was stored: only a later change of material or consistency brings
    // in the defaults, so a stored cohesion and NSF choice come back as they were saved.
    read.LastNSFConsistency = read.Consistency;
    read.LastCohesionConsistency = read.Consistency;
    read.LastCohesionMatType = read.MatType;
    *this = std::move(read);
}

void TLayer::SaveToStream(TStream& Stream) const
{
    Writer io(Stream);
    transferLayer(io, *this, kProjectFileVersion);
}

void TLayerList::LoadFromStream(TStream& Stream, int FileVersion)
{
    Reader io(Stream);
    std::int32_t count = 0;
    io.int32(count);
    if (count < 0)
        raiseWrongFormat();
    // A count the rest of the file cannot hold is a file cut short; say so before looping.
    if (count > bytesLeft(Stream) / MinimumLayerRecordSize(FileVersion))
        raiseReadError();
    TLayerList read(Model);
    for (std::int32_t i = 0; i < count; ++i)
        read.AddLayer()->LoadFromStream(Stream, FileVersion);
    m_items.swap(read.m_items);
    for (auto& layer : m_items)
        layer->List = this;
}

void TLayerList::SaveToStream(TStream& Stream) const
{
    Writer io(Stream);
    io.int32(Count());
    for (const auto& layer : m_items)
        layer->SaveToStream(Stream);
}

// ---- TLPData --------------------------------------------------------------------------------

TProjectLoadResult TLPData::LoadFromStream(TStream& Stream)
{
    const int V = readHeader(Stream);
    ProjectRecord r = ProjectRecord::of(*this);
    Reader io(Stream);
    transferProject(io, r, V);
    // Files of 0.94 to 0.96 counted the sections from 1.
    if (V >= 94 && V < 97 && r.SectionIndex != INT32_MIN)
        --r.SectionIndex;
    // The last step that can fail; it replaces the layers only when every record was read.
    Layers.LoadFromStream(Stream, V);

    // Nothing below raises: the model takes the file's values in the order a field-by-field
    // reading would give them, the unit system's tables being switched right after `Units`.
    Logo = r.Logo.Picture;
    m_logoSource = r.Logo.Picture;
    m_logoBytes = r.Logo.Bytes;
    const TShapeFamily familyBefore = ShapeFamily;
    SetUnits(r.Units);
#define FENDRIX_COMMIT_FIELD(name) name = std::move(r.name);
    FENDRIX_PROJECT_FIELDS(FENDRIX_COMMIT_FIELD)
#undef FENDRIX_COMMIT_FIELD
    if (V >= 94) {
        IShape = std::move(r.IShape);
        PipeShape = std::move(r.PipeShape);
    }
    // A stored section inside the table is taken from the table; past its end (or -1) the stored
    // record is a user-defined section and stays.
    // (SetUnits has just loaded them when the family is the same.)
    if (ShapeFamily != familyBefore)
        SetCurrentSectionTables(ShapeFamily, Units == kUnitsSI);
    SelectSection(SectionIndex);
    // The bar table follows the project's standard and units too: a project read and calculated
    // without a window must not size its bars from the previous project's table.
    LoadRebarTable();
    return { std::move(r.Logo.Error) };
}

void TLPData::SaveToStream(TStream& Stream)
{
    ProjectRecord r = ProjectRecord::of(*this);
    r.Logo.Picture = Logo;
    const auto source = m_logoSource.lock();
    if (Logo && source.get() == Logo.get() && !Logo->Modified())
        r.Logo.Bytes = m_logoBytes;

    // Built in memory and handed over in one piece.
    platform::TMemoryStream buffer;
    writeHeader(buffer);
    Writer io(buffer);
    transferProject(io, r, kProjectFileVersion);
    Layers.SaveToStream(buffer);
    buffer.SaveToStream(Stream);
}

std::vector<std::uint8_t> TLPData::SavedInputs() const
{
    ProjectRecord r = ProjectRecord::of(*this);
    platform::TMemoryStream buffer;
    Writer io(buffer);
    transferProject(io, r, kProjectFileVersion);
    Layers.SaveToStream(buffer);
    return buffer.Bytes();
}

TProjectLoadResult TLPData::LoadFromFile(const std::string& FileName)
{
    platform::TFileStream file(FileName, platform::fmOpenRead);
    // Any other file is refused by its first bytes, before the whole of it is read.
    platform::TMemoryStream head;
    head.CopyFrom(file, std::min<int64_t>(file.Size(), kProjectFileHeaderSize));
    head.SetPosition(0);
    readHeader(head);
    platform::TMemoryStream contents;
    contents.LoadFromStream(file);
    return LoadFromStream(contents);
}

void TLPData::SaveToFile(const std::string& FileName)
{
    platform::TMemoryStream contents;
    SaveToStream(contents);
    replaceFile(FileName, contents.Bytes());
}
