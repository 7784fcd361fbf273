#pragma once
// Shared helpers of the result-view tests: the demo projects, analysed as the main window leaves
// them, and pixel probes.
#include "bench/analysis/project13.h"
#include "model/lpclasses.h"
#include "platform/qt/placedtext.h"

#include <QColor>
#include <QImage>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <functional>
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
// a steel pile takes the first section of its family. The section tables and field limits are
// the project's own, as when it is opened (another project loaded since may have changed them).
inline void ReshapePile(TLPData& data, TPileShape shape, TPileInterface face)
{
    data.SetUnits(data.Units);
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

// The distance from a line to a rectangle (0 where they meet).
inline double DistanceToBox(const QLine& line, const QRect& box)
{
    const double x0 = line.x1(), y0 = line.y1(), dx = line.dx(), dy = line.dy();
    double t0 = 0, t1 = 1;
    const auto clip = [&](double p, double q) {
        if (p == 0)
            return q >= 0;
        const double t = q / p;
        if (p < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        return t0 <= t1;
    };
    if (clip(-dx, x0 - box.left()) && clip(dx, box.right() - x0) && clip(-dy, y0 - box.top())
        && clip(dy, box.bottom() - y0))
        return 0;
    const auto pointToBox = [&](double x, double y) {
        return std::hypot(std::max({ box.left() - x, 0.0, x - box.right() }),
            std::max({ box.top() - y, 0.0, y - box.bottom() }));
    };
    const auto pointToLine = [&](double x, double y) {
        const double length = dx * dx + dy * dy;
        const double t = length > 0 ? std::clamp(((x - x0) * dx + (y - y0) * dy) / length, 0.0, 1.0) : 0.0;
        return std::hypot(x - (x0 + t * dx), y - (y0 + t * dy));
    };
    return std::min({ pointToBox(line.x1(), line.y1()), pointToBox(line.x2(), line.y2()),
        pointToLine(box.left(), box.top()), pointToLine(box.right(), box.top()),
        pointToLine(box.left(), box.bottom()), pointToLine(box.right(), box.bottom()) });
}

// What is wrong with where a picture's texts went: a text that reaches the picture's outermost
// pixels (the report paints them over), lies under the covered rectangle (a control drawn over
// the picture), meets another text, or is struck by a line (a line's stroke keeps clear of every
// text, unless `sitsOn` says the text is meant to stand on that line).
inline QStringList LayoutFaults(const std::vector<platform::TPlacedText>& texts,
    const std::vector<platform::TDrawnLine>& lines, const QRect& picture, const QRect& covered = QRect(),
    const std::function<bool(const platform::TPlacedText&, const platform::TDrawnLine&)>& sitsOn = {})
{
    QStringList faults;
    const QRect inside = picture.adjusted(2, 2, -2, -2);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const platform::TPlacedText& text = texts[i];
        if (!inside.contains(text.Box))
            faults << text.Text + QStringLiteral(" reaches the edge");
        if (covered.isValid() && covered.intersects(text.Box))
            faults << text.Text + QStringLiteral(" lies under a control");
        for (std::size_t j = i + 1; j < texts.size(); ++j)
            if (text.Box.intersects(texts[j].Box))
                faults << text.Text + QStringLiteral(" meets ") + texts[j].Text;
        for (const platform::TDrawnLine& line : lines)
            if (DistanceToBox(line.Line, text.Box) <= line.Width / 2.0 && !(sitsOn && sitsOn(text, line)))
                faults << text.Text
                        + QStringLiteral(" struck by the line %1,%2-%3,%4")
                              .arg(line.Line.x1())
                              .arg(line.Line.y1())
                              .arg(line.Line.x2())
                              .arg(line.Line.y2());
    }
    return faults;
}
