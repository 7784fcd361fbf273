#pragma once
// A small line and point chart that renders into an image with QPainter. It carries only what the
// result graphs use: line and point series on any of the four axes, axes with a title, a fixed or
// automatic label increment, inversion and rotated labels, a legend along the bottom, and three
// events (before the axes are drawn, for each axis label, after the chart is drawn).
//
// Angles are in degrees counter-clockwise, as the window system measures text escapement: a label
// at 270 degrees reads from top to bottom. Font "height" is the character height in pixels (the
// font's pixel size).
#include "platform/qt/placedtext.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QPainter;

namespace platform {

class TChart;
class TChartSeries;

struct TChartPen {
    QColor Color = Qt::black;
    int Width = 1;
    Qt::PenStyle Style = Qt::SolidLine;
};

enum class TAxisPlacement { Left, Top, Right, Bottom };

class TChartAxis {
public:
    TChartAxis(TChart& chart, TAxisPlacement placement);
    TChartAxis(const TChartAxis&) = delete;
    TChartAxis& operator=(const TChartAxis&) = delete;

    bool Horizontal() const
    {
        return m_placement == TAxisPlacement::Top || m_placement == TAxisPlacement::Bottom;
    }
    TAxisPlacement Placement() const { return m_placement; }

    bool Visible = true;
    bool Inverted = false;
    double Increment = 0; // 0: chosen from the axis length
    int LabelsSize = 0; // room for the labels across the axis; 0: as wide as the widest label
    int LabelsAngle = 0;
    QFont LabelsFont;
    struct {
        QString Caption;
        QFont Font;
        int Angle = 0;
    } Title;
    TChartPen AxisPen;
    bool GridVisible = true;

    // Valid once the chart has been laid out for drawing (inside the events and after rendering).
    double Minimum() const { return m_min; }
    double Maximum() const { return m_max; }
    // Pixel position of a value along the axis.
    int CalcPosValue(double value) const;
    // Pixel position of the axis line across the axis (y of a horizontal axis, x of a vertical one).
    int PosAxis() const { return m_posAxis; }
    // Edge of the label area next to the axis line (past the ticks).
    int PosLabels() const { return m_posLabels; }
    // Writes a text with its unrotated top-left corner at (x, y), turned by angle degrees,
    // in the labels font. Only while the chart draws.
    void DrawAxisLabel(int x, int y, int angle, const QString& text);
    // Marks a value: a line in the axis pen across the label area at the value, from the axis
    // line to `length` past the labels' edge, and the text at the line's end beside it, clear of
    // its stroke. Only while the chart draws.
    void DrawValueMark(double value, int length, const QString& text);
    // The span along the axis such a mark takes, its line and its text: labels keep off it.
    std::pair<int, int> ValueMarkSpan(double value, int length, const QString& text) const;
    // Whether any active series uses this axis.
    bool HasSeries() const;

private:
    friend class TChart;
    // Where a value mark's text is written from.
    QPoint valueMarkAnchor(double value, int length, const QString& text) const;
    TChart& m_chart;
    TAxisPlacement m_placement;
    double m_min = 0;
    double m_max = 0;
    double m_step = 0;
    int m_startPos = 0;
    int m_endPos = 0;
    int m_posAxis = 0;
    int m_posLabels = 0;
};

enum class TPointerStyle { Rectangle, Circle, Triangle, DownTriangle, Cross, DiagCross, Diamond };

class TChartSeries {
public:
    enum class TKind { Line, Points };
    TChartSeries(TChart& chart, TKind kind);

    TKind Kind() const { return m_kind; }
    QString Title;
    bool Active = true;
    bool ShowInLegend = true;
    QColor SeriesColor = Qt::red;
    struct {
        TPointerStyle Style = TPointerStyle::Rectangle;
        int HorizSize = 4; // half sizes: the marker spans 2 * size + 1 pixels
        int VertSize = 4;
        bool Visible = true;
        QColor BrushColor; // invalid: the series colour
    } Pointer;
    TChartAxis* HorizAxis = nullptr;
    TChartAxis* VertAxis = nullptr;

    void Clear();
    int AddXY(double x, double y);
    int Count() const { return static_cast<int>(m_x.size()); }
    double XValue(int i) const { return m_x.at(static_cast<std::size_t>(i)); }
    double YValue(int i) const { return m_y.at(static_cast<std::size_t>(i)); }
    // Extremes of the defined values; 0 when the series holds none.
    double MinXValue() const;
    double MaxXValue() const;
    double MinYValue() const;
    double MaxYValue() const;
    // Pixel position of point i on the horizontal and on the vertical axis.
    int CalcXPos(int i) const;
    int CalcYPos(int i) const;

private:
    TKind m_kind;
    std::vector<double> m_x;
    std::vector<double> m_y;
};

class TChart {
public:
    TChart();
    TChart(const TChart&) = delete;
    TChart& operator=(const TChart&) = delete;

    TChartAxis LeftAxis;
    TChartAxis TopAxis;
    TChartAxis RightAxis;
    TChartAxis BottomAxis;

    struct {
        bool Visible = true;
        QFont Font;
        bool Transparent = true;
        bool Frame = false;
        int ColorWidth = 25; // width of each series' colour box
    } Legend;

    QColor Color; // panel fill; invalid leaves the render background
    bool BevelOuter = true; // a raised border along the panel's edge
    bool BackWallTransparent = true;
    QColor BackWallColor = Qt::white;

    // The series in creation order; the chart owns them.
    TChartSeries* AddSeries(TChartSeries::TKind kind);
    const std::vector<std::unique_ptr<TChartSeries>>& Series() const { return m_series; }

    std::function<void(TChart&)> OnBeforeDrawAxes;
    std::function<void(TChart&)> OnAfterDraw;
    // Called for each axis label before it is written; the handler may change or empty the text.
    std::function<void(TChartAxis& axis, QString& labelText)> OnGetAxisLabel;

    // Renders the whole chart into a new image of the given size over the background colour; a
    // ratio above 1 renders it that many times finer in the image's pixels, laid out the same.
    QImage RenderToImage(int width, int height, const QColor& background, qreal ratio = 1);
    // The painter of the render in progress (null outside RenderToImage).
    QPainter* Canvas() const { return m_canvas; }
    // Plot area of the last render.
    QRect ChartRect() const { return m_chartRect; }
    // What the last render wrote (axis labels and titles, legend, value marks), with the
    // rectangle each text covers, and the lines it drew outside the plot (axis lines, ticks,
    // value marks).
    std::vector<TPlacedText> PlacedTexts;
    std::vector<TDrawnLine> DrawnLines;

    // Text of an axis label value: up to three decimals, no trailing zeros, no group separators,
    // the locale's decimal separator.
    static QString FormatLabel(double value);

private:
    friend class TChartAxis;
    void computeRanges();
    void layout(int width, int height);
    void drawAxis(TChartAxis& axis);
    void drawSeries(const TChartSeries& series);
    void drawLegend(int width, int height);
    int legendHeight() const;
    // Draws a line with the canvas's pen and records it.
    void drawLine(int x0, int y0, int x1, int y1);

    std::vector<std::unique_ptr<TChartSeries>> m_series;
    QPainter* m_canvas = nullptr;
    QRect m_chartRect;
};

} // namespace platform
