#pragma once
// The project file (*.fdx): a 64-byte header (magic and version texts), then the project's input
// fields and the layer records in a fixed order, fields added in later versions being present
// only from their version on. The reading and writing operations themselves are members of
// TLPData, TLayerList and TLayer; this header gives the format's constants and the stream
// helpers they share.
#include "model/lptypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class TStream;
}
class TJpegGraphic;

constexpr int kProjectFileHeaderSize = 64;
constexpr int kProjectFileMagicFieldSize = 51;
constexpr int kProjectFileVersionFieldSize = 13;
inline constexpr std::string_view kProjectFileMagic = "Braxholm Fendrix";
inline constexpr std::string_view kProjectFileVersionText = "1.00";
// The version this program writes and the newest it reads, x 100.
constexpr int kProjectFileVersion = 100;
// Longest text a project keeps, in characters.
constexpr std::size_t kMaxProjectText = 255;
inline constexpr char kWrongFileFormat[] = "Wrong file format";

// Sizes of the fixed records (padding included).
constexpr int kSteelInputRecordSize = 128;
constexpr int kIShapeRecordSize = 240;
constexpr int kPipeShapeRecordSize = 168;
constexpr int kTimberInputRecordSize = 48;

// Smallest layer record of a file version (all its texts empty).
int MinimumLayerRecordSize(int fileVersion);

// A number written with "." whatever the locale; 0 when the text is not a number (blanks around
// it and a leading "+" are allowed).
Extended StrToFloatDot(std::string_view text);

// Str: a 2-byte length, then Windows-1252 bytes. Reading keeps the bytes up to the first zero
// byte, at most kMaxProjectText of them; writing cuts the text to that many characters.
std::string ReadStreamString(platform::TStream& stream);
void WriteStreamString(platform::TStream& stream, std::string_view text);

// The logo as a project file holds it: the picture and the JPEG bytes it was read from. A stored
// picture that does not decode leaves both empty and says why in Error.
struct TStoredLogo {
    std::shared_ptr<TJpegGraphic> Picture;
    std::shared_ptr<const std::vector<std::uint8_t>> Bytes;
    std::string Error;
};

// Pic: an 8-byte signed length, then a JPEG file; a length of 0 or less means no picture. A
// length beyond the end of the stream raises the stream's read error before anything is
// allocated. Bytes that are all there but do not decode are no fault of the file: they come back
// as no picture, with the picture's error.
TStoredLogo ReadStreamJPEG(platform::TStream& stream);
// Writes originalBytes when given, else the picture encoded as JPEG; eight zero bytes when there
// is no picture.
void WriteStreamJPEG(
    platform::TStream& stream, TJpegGraphic* picture, const std::vector<std::uint8_t>* originalBytes);
