#pragma once
// The picture holder and its class registry. Picture classes register themselves for file
// extensions (later registrations of an extension win) and for clipboard formats; a picture
// file is loaded by the class of its extension, and a picture stored with its class name (a
// window's stored picture) by the registered class of that name.
#include "platform/core/graphic.h"

#include <memory>
#include <string>
#include <vector>

namespace platform {

class TStream;

class TPicture : public TPersistent {
public:
    TPicture() = default;
    ~TPicture() override = default;
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    std::string ClassName() const override { return "TPicture"; }

    static void RegisterFileFormat(
        const std::string& extension, const std::string& description, const TGraphicClass* graphicClass);
    static void RegisterClipboardFormat(uint16_t format, const TGraphicClass* graphicClass);
    static void UnregisterGraphicClass(const TGraphicClass* graphicClass);
    // Extension without the point, any case; nothing when no class is registered for it.
    static const TGraphicClass* ClassForExtension(const std::string& extension);
    static const TGraphicClass* ClassForName(const std::string& className);
    static const TGraphicClass* ClassForClipboardFormat(uint16_t format);
    static std::string DescriptionForExtension(const std::string& extension);

    TGraphic* Graphic() const { return m_graphic.get(); }
    // Holds a copy of graphic (a new object of its class assigned from it), or nothing.
    void SetGraphic(const TGraphic* graphic);
    int Width() const { return m_graphic ? m_graphic->Width() : 0; }
    int Height() const { return m_graphic ? m_graphic->Height() : 0; }

    void Assign(const TPersistent* source) override;
    void AssignTo(TPersistent* dest) const override;

    // Raises EInvalidGraphic "Unknown picture file extension (.%s)" for an unregistered extension.
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);

    // The stored form of a picture: its class name as a length byte and characters, then the
    // picture's own stream form.
    void LoadFromStoredData(TStream& stream);
    void SaveToStoredData(TStream& stream) const;

    TNotifyEvent OnChange;

private:
    void Replace(std::unique_ptr<TGraphic> graphic);
    void GraphicChanged(TObject* sender);

    std::unique_ptr<TGraphic> m_graphic;
};

} // namespace platform
