#include "platform/core/graphic.h"

#include "platform/core/exceptions.h"
#include "platform/core/scopeexit.h"
#include "platform/core/stream.h"

#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace platform {

void TGraphic::LoadFromStream(TStream& /*stream*/)
{
    throw EInvalidGraphic(Format("%s cannot be read from a stream", ClassName().c_str()));
}

void TGraphic::SaveToStream(TStream& /*stream*/)
{
    throw EInvalidGraphic(Format("%s cannot be written to a stream", ClassName().c_str()));
}

void TGraphic::LoadFromFile(const std::string& fileName)
{
    TFileStream stream(fileName, fmOpenRead);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& fileName)
{
    const std::string temporary = fileName + ".part~" + std::to_string(::getpid());
    // A failed save leaves the previous file as it was and no half-written one beside it.
    ScopeExit removeTemporary([&temporary] {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
    });
    try {
        {
            TFileStream stream(temporary, fmCreate);
            SaveToStream(stream);
        }
        std::filesystem::rename(temporary, fileName);
    } catch (const std::filesystem::filesystem_error& e) {
        throw EFCreateError(
            Format("Cannot create file \"%s\". %s", fileName.c_str(), e.code().message().c_str()));
    }
    removeTemporary.Release();
}

void TGraphic::LoadFromClipboardFormat(uint16_t format, const TBitmap* /*data*/, HPALETTE /*palette*/)
{
    throw EInvalidGraphic(Format("Unknown clipboard format, %d", format));
}

void TGraphic::SaveToClipboardFormat(
    uint16_t& /*format*/, std::shared_ptr<TBitmap>& /*data*/, HPALETTE& /*palette*/)
{
    throw EInvalidGraphic(Format("%s cannot be put on the clipboard", ClassName().c_str()));
}

void TGraphic::SetTransparent(bool value)
{
    if (value != m_transparent) {
        m_transparent = value;
        Changed(this);
    }
}

void TGraphic::Changed(TObject* /*sender*/)
{
    m_modified = true;
    if (OnChange)
        OnChange(this);
}

} // namespace platform
