#pragma once
// Icon pictures: an icon stream is read into a true-colour picture, with BackgroundColor where
// the icon is transparent, and a picture is written as a one-image icon of the system icon size.
// TDibGraphic hands pictures to the platform's icon through this class.
#include "imaging/dibgraphic.h"

class TIconGraphic : public TDibGraphic {
public:
    TIconGraphic() = default;

    std::string ClassName() const override { return "TIconGraphic"; }
    const platform::TGraphicClass& GraphicClass() const override;
    static const platform::TGraphicClass& Class();

    // True when the stream begins with an icon directory (type 0 or 1, at least one image) whose
    // first image is 16, 32 or 64 pixels wide and high. The position is left where it was.
    static bool CanLoad(platform::TStream& stream);
    void SingleLoadFromStream(platform::TStream& stream, int index) override;
    // Writes one opaque image of the system icon size: the picture at its own size from the
    // top-left corner, cut off when larger, black around it when smaller.
    void SaveToStream(platform::TStream& stream) override;

    uint32_t BackgroundColor() const { return m_backgroundColor; }
    void SetBackgroundColor(uint32_t value) { m_backgroundColor = value; }

private:
    uint32_t m_backgroundColor = 0xFFFFFF;
};

// Start-up of the icon unit: lets TDibGraphic::AssignTo hand pictures to a platform TIcon.
void InitializeIconGraphicUnit();
