#pragma once
// JPEG pictures: reads gray, YCbCr/RGB and CMYK/YCCK JPEG streams into a picture and writes
// gray and true-colour pictures as JFIF.
#include "imaging/dibgraphic.h"
#include "imaging/jpegcodec.h"

class TJpegGraphic : public TDibGraphic {
public:
    TJpegGraphic() = default;

    std::string ClassName() const override { return "TJpegGraphic"; }
    const platform::TGraphicClass& GraphicClass() const override;
    static const platform::TGraphicClass& Class();

    // True when the stream begins with a start-of-image marker and a JFIF APP0 segment. The
    // position is left where it was.
    static bool CanLoad(platform::TStream& stream);
    void SingleLoadFromStream(platform::TStream& stream, int index) override;
    void SaveToStream(platform::TStream& stream) override;

    uint8_t Quality() const { return m_quality; }
    void SetQuality(uint8_t value) { m_quality = value; }
    bool ProgressiveEncoding() const { return m_progressiveEncoding; }
    void SetProgressiveEncoding(bool value) { m_progressiveEncoding = value; }
    bool OptimizeCoding() const { return m_optimizeCoding; }
    void SetOptimizeCoding(bool value) { m_optimizeCoding = value; }

private:
    uint8_t m_quality = 80;
    bool m_progressiveEncoding = false;
    bool m_optimizeCoding = false;
};

// Start-up of the JPEG unit: registers the class for "JPG" and "JPEG".
void InitializeJpegUnit();
