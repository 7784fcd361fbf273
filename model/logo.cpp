// The project's logo: a JPEG picture owned by the model, stored in project files with the JPEG
// bytes it was read from so that saving does not re-encode it.
#include "imaging/jpeggraphic.h"
#include "model/lpclasses.h"
#include "model/projectfile.h"
#include "platform/core/exceptions.h"
#include "platform/core/stream.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// A read-only stream over bytes held elsewhere: the picture decoder sees exactly the picture's
// bytes and nothing of what follows them in the file.
class ByteSpanStream : public platform::TStream {
public:
    ByteSpanStream(const std::uint8_t* data, int64_t size)
        : m_data(data)
        , m_size(size)
    {
    }
    int64_t Read(void* buffer, int64_t count) override
    {
        if (count <= 0 || m_position >= m_size)
            return 0;
        const int64_t n = std::min(count, m_size - m_position);
        std::memcpy(buffer, m_data + m_position, static_cast<std::size_t>(n));
        m_position += n;
        return n;
    }
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t offset, platform::TSeekOrigin origin) override
    {
        int64_t base = m_size;
        if (origin == platform::TSeekOrigin::soBeginning)
            base = 0;
        else if (origin == platform::TSeekOrigin::soCurrent)
            base = m_position;
        if ((offset > 0 && base > INT64_MAX - offset) || base + offset < 0)
            RaiseInvalidPosition();
        m_position = base + offset;
        return m_position;
    }
    void SetSize(int64_t) override { throw platform::EWriteError("Stream write error"); }
    int64_t Size() override { return m_size; }

private:
    const std::uint8_t* m_data;
    int64_t m_size;
    int64_t m_position = 0;
};

// Decodes JPEG bytes into a new picture, marked unmodified so that its bytes stay valid for it.
std::shared_ptr<TJpegGraphic> decodeJpeg(const std::vector<std::uint8_t>& bytes)
{
    ByteSpanStream stream(bytes.data(), static_cast<int64_t>(bytes.size()));
    auto picture = std::make_shared<TJpegGraphic>();
    picture->LoadFromStream(stream);
    picture->SetModified(false);
    return picture;
}

} // namespace

TStoredLogo ReadStreamJPEG(platform::TStream& stream)
{
    std::uint8_t prefix[8];
    stream.ReadBuffer(prefix, 8);
    std::uint64_t u = 0;
    for (int i = 7; i >= 0; --i)
        u = (u << 8) | prefix[i];
    const auto length = static_cast<int64_t>(u);
    if (length <= 0)
        return {};
    const int64_t left = std::max<int64_t>(stream.Size() - stream.Position(), 0);
    if (length > left)
        throw platform::EReadError("Stream read error");
    auto bytes = std::make_shared<std::vector<std::uint8_t>>(static_cast<std::size_t>(length));
    stream.ReadBuffer(bytes->data(), length);
    TStoredLogo logo;
    // The logo is optional decoration: a picture this program cannot show must not keep the user
    // from the project's inputs.
    try {
        logo.Picture = decodeJpeg(*bytes);
        logo.Bytes = std::move(bytes);
    } catch (const platform::Exception& e) {
        logo.Error = e.what();
    }
    return logo;
}

void WriteStreamJPEG(
    platform::TStream& stream, TJpegGraphic* picture, const std::vector<std::uint8_t>* originalBytes)
{
    platform::TMemoryStream encoded;
    const std::uint8_t* data = nullptr;
    int64_t length = 0;
    if (originalBytes && !originalBytes->empty()) {
        data = originalBytes->data();
        length = static_cast<int64_t>(originalBytes->size());
    } else if (picture) {
        picture->SaveToStream(encoded);
        data = encoded.Memory();
        length = encoded.Size();
    }
    std::uint8_t prefix[8];
    for (int i = 0; i < 8; ++i)
        prefix[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(length) >> (8 * i));
    stream.WriteBuffer(prefix, 8);
    if (length > 0)
        stream.WriteBuffer(data, length);
}

void TLPData::LoadImageFromFile(const std::string& FileName)
{
    platform::TMemoryStream file;
    file.LoadFromFile(FileName);
    auto bytes = std::make_shared<const std::vector<std::uint8_t>>(file.Bytes());
    auto picture = decodeJpeg(*bytes);
    Logo = picture;
    m_logoSource = picture;
    m_logoBytes = std::move(bytes);
}

void TLPData::SetImage(const platform::TGraphic* Graphic)
{
    std::shared_ptr<TJpegGraphic> picture;
    if (Graphic) {
        picture = std::make_shared<TJpegGraphic>();
        picture->Assign(Graphic);
    }
    Logo = std::move(picture);
    m_logoSource.reset();
    m_logoBytes.reset();
}
