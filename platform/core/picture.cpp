#include "platform/core/picture.h"

#include "platform/core/exceptions.h"
#include "platform/core/stream.h"

#include <algorithm>
#include <cctype>
#include <mutex>

namespace platform {

namespace {

struct FileFormat {
    std::string extension; // upper case, no point
    std::string description;
    const TGraphicClass* graphicClass;
};

struct ClipboardFormat {
    uint16_t format;
    const TGraphicClass* graphicClass;
};

struct Registry {
    std::mutex mutex;
    std::vector<FileFormat> fileFormats;
    std::vector<ClipboardFormat> clipboardFormats;
};

Registry& registry()
{
    static Registry r;
    return r;
}

std::string upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string extensionOf(const std::string& fileName)
{
    const auto dot = fileName.find_last_of('.');
    const auto slash = fileName.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && slash > dot))
        return {};
    return fileName.substr(dot + 1);
}

} // namespace

void TPicture::RegisterFileFormat(
    const std::string& extension, const std::string& description, const TGraphicClass* graphicClass)
{
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    r.fileFormats.push_back({ upper(extension), description, graphicClass });
}

void TPicture::RegisterClipboardFormat(uint16_t format, const TGraphicClass* graphicClass)
{
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    r.clipboardFormats.push_back({ format, graphicClass });
}

void TPicture::UnregisterGraphicClass(const TGraphicClass* graphicClass)
{
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    std::erase_if(r.fileFormats, [&](const FileFormat& f) { return f.graphicClass == graphicClass; });
    std::erase_if(
        r.clipboardFormats, [&](const ClipboardFormat& f) { return f.graphicClass == graphicClass; });
}

const TGraphicClass* TPicture::ClassForExtension(const std::string& extension)
{
    const std::string key = upper(extension);
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    // The latest registration of an extension wins.
    for (auto it = r.fileFormats.rbegin(); it != r.fileFormats.rend(); ++it)
        if (it->extension == key)
            return it->graphicClass;
    return nullptr;
}

std::string TPicture::DescriptionForExtension(const std::string& extension)
{
    const std::string key = upper(extension);
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    for (auto it = r.fileFormats.rbegin(); it != r.fileFormats.rend(); ++it)
        if (it->extension == key)
            return it->description;
    return {};
}

const TGraphicClass* TPicture::ClassForName(const std::string& className)
{
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    for (auto it = r.fileFormats.rbegin(); it != r.fileFormats.rend(); ++it)
        if (it->graphicClass != nullptr && it->graphicClass->name == className)
            return it->graphicClass;
    for (auto it = r.clipboardFormats.rbegin(); it != r.clipboardFormats.rend(); ++it)
        if (it->graphicClass != nullptr && it->graphicClass->name == className)
            return it->graphicClass;
    return nullptr;
}

const TGraphicClass* TPicture::ClassForClipboardFormat(uint16_t format)
{
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    for (auto it = r.clipboardFormats.rbegin(); it != r.clipboardFormats.rend(); ++it)
        if (it->format == format)
            return it->graphicClass;
    return nullptr;
}

void TPicture::Replace(std::unique_ptr<TGraphic> graphic)
{
    m_graphic = std::move(graphic);
    if (m_graphic)
        m_graphic->OnChange = [this](TObject* sender) { GraphicChanged(sender); };
    GraphicChanged(this);
}

void TPicture::GraphicChanged(TObject* /*sender*/)
{
    if (OnChange)
        OnChange(this);
}

void TPicture::SetGraphic(const TGraphic* graphic)
{
    if (graphic == m_graphic.get())
        return;
    if (graphic == nullptr) {
        Replace(nullptr);
        return;
    }
    auto copy = graphic->GraphicClass().create();
    copy->Assign(graphic);
    Replace(std::move(copy));
}

void TPicture::Assign(const TPersistent* source)
{
    if (source == nullptr) {
        SetGraphic(nullptr);
    } else if (const auto* picture = dynamic_cast<const TPicture*>(source)) {
        SetGraphic(picture->Graphic());
    } else if (const auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        SetGraphic(graphic);
    } else {
        TPersistent::Assign(source);
    }
}

void TPicture::AssignTo(TPersistent* dest) const
{
    if (m_graphic && dest != nullptr && dynamic_cast<TGraphic*>(dest) != nullptr)
        dest->Assign(m_graphic.get());
    else
        TPersistent::AssignTo(dest);
}

void TPicture::LoadFromFile(const std::string& fileName)
{
    const std::string extension = extensionOf(fileName);
    const TGraphicClass* cls = ClassForExtension(extension);
    if (cls == nullptr)
        throw EInvalidGraphic(Format("Unknown picture file extension (.%s)", extension.c_str()));
    auto graphic = cls->create();
    graphic->LoadFromFile(fileName);
    Replace(std::move(graphic));
}

void TPicture::SaveToFile(const std::string& fileName)
{
    if (m_graphic)
        m_graphic->SaveToFile(fileName);
}

void TPicture::LoadFromStoredData(TStream& stream)
{
    uint8_t length = 0;
    stream.ReadBuffer(&length, 1);
    std::string name(length, '\0');
    if (length > 0)
        stream.ReadBuffer(name.data(), length);
    const TGraphicClass* cls = ClassForName(name);
    if (cls == nullptr)
        throw EInvalidGraphic(Format("Unknown picture class %s", name.c_str()));
    auto graphic = cls->create();
    graphic->LoadFromStream(stream);
    Replace(std::move(graphic));
}

void TPicture::SaveToStoredData(TStream& stream) const
{
    const std::string name = m_graphic ? m_graphic->ClassName() : std::string();
    if (name.size() > 255)
        throw EInvalidGraphic(Format("Picture class name too long"));
    const uint8_t length = static_cast<uint8_t>(name.size());
    stream.WriteBuffer(&length, 1);
    stream.WriteBuffer(name.data(), length);
    if (m_graphic)
        m_graphic->SaveToStream(stream);
}

} // namespace platform
