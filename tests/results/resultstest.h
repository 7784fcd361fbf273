#pragma once
// Shared helpers of the result-view tests: the demo projects, analysed as the main window leaves
// them, and pixel probes.
#include "bench/analysis/project13.h"
#include "model/lpclasses.h"

#include <QColor>
#include <QImage>

#include <memory>
#include <string>
#include <vector>

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

// The projects whose pictures are kept in the picture baselines: the two demo projects and the
// 13-layer project in both unit systems, each with a structural design.
struct BaselineProject {
    const char* name;
    std::unique_ptr<TLPData> data;
};

inline std::vector<BaselineProject> BaselineProjects()
{
    std::vector<BaselineProject> projects;
    projects.push_back({ "demo-us", LoadDemo(kUnitsUS) });
    projects.push_back({ "demo-si", LoadDemo(kUnitsSI) });
    for (const auto& [name, units] :
        { std::pair { "layers13-us", kUnitsUS }, std::pair { "layers13-si", kUnitsSI } }) {
        auto data = std::make_unique<TLPData>();
        benchproject::buildThirteenLayers(*data, units);
        data->StructuralDesign = true;
        data->LoadRebarTable();
        data->Calculate();
        projects.push_back({ name, std::move(data) });
    }
    return projects;
}

// The project with another pile shape (a rectangle half as deep again as wide) and interface;
// a steel pile takes the first section of its family.
inline void ReshapePile(TLPData& data, TPileShape shape, TPileInterface face)
{
    data.Shape = shape;
    data.Width2 = shape == psRectangle ? data.Width * 1.5L : data.Width;
    data.Interface = face;
    data.CalcAreaAndPerimeter();
    if (data.UsesIShape() || data.UsesPipeSection())
        data.SelectSection(0);
    data.Calculate();
}

// The demo project of a unit system with a steel pile of the shape, analysed.
inline std::unique_ptr<TLPData> SteelDemo(TPileShape shape, std::uint8_t units = kUnitsUS)
{
    auto data = LoadDemo(units);
    ReshapePile(*data, shape, piRoughSteel);
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
