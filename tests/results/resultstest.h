#pragma once
// Shared helpers of the result-view tests: the demo projects, analysed as the main window leaves
// them, and pixel probes.
#include "model/lpclasses.h"

#include <QColor>
#include <QImage>

#include <memory>
#include <string>

// The demo example project of a unit system, with the last layer reaching the pile tip (as the
// layer rows set it) and analysed.
inline std::unique_ptr<TLPData> LoadDemo(std::uint8_t units)
{
    auto data = std::make_unique<TLPData>();
    const std::string name
        = units == kUnitsSI ? "SI UNITS DEMO EXAMPLE.fdx" : "ENGLISH UNITS DEMO EXAMPLE.fdx";
    data->LoadFromFile(std::string(FENDRIX_DEMO_DIR) + "/" + name);
    const int count = data->Layers.Count();
    Extended others = 0;
    for (int i = 0; i + 1 < count; ++i)
        others += data->Layers[i]->Thickness;
    data->Layers[count - 1]->Thickness = data->PileLength - others;
    data->LoadRebarTable(); // as a form pass does before the analysis
    data->Calculate();
    return data;
}

inline QColor Pixel(const QImage& image, int x, int y)
{
    return QColor(image.pixel(x, y));
}

inline bool SameColour(const QColor& a, const QColor& b)
{
    return a.rgb() == b.rgb();
}

// Whether any pixel within `radius` of (x, y) has the colour.
inline bool ColourNear(const QImage& image, int x, int y, const QColor& colour, int radius)
{
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) {
            const int px = x + dx, py = y + dy;
            if (image.rect().contains(px, py) && SameColour(Pixel(image, px, py), colour))
                return true;
        }
    return false;
}
