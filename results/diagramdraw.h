#pragma once
// The project's engineering sketches drawn into a bitmap: the pile standing in its soil layers
// with the head loads, and the cross-sections of the pile (steel I/H, steel pipe, round or
// rectangular reinforced concrete). Every size on a sketch derives from the bitmap's size, so
// the same drawing serves the small pictures of the main window, the enlarged view and the
// printed report.
#include "model/lpclasses.h"
#include "platform/qt/placedtext.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QLine>
#include <QPolygon>
#include <QRect>
#include <QString>

#include <cstdint>
#include <initializer_list>
#include <vector>

class QLabel;
class QPainter;

enum TDiagramKind : std::uint8_t {
    dkSoilProfile = 0,
    dkWSection = 1,
    dkPipeSection = 2,
    dkConcreteSection = 3, // resolved to dkRoundRCSection or dkRectRCSection before drawing
    dkRoundRCSection = 4,
    dkRectRCSection = 5
};

// The drawing state of a bitmap: pen, brush and font, with the few operations the sketches use.
// Hatched brushes draw only their lines and leave the pixels between them as they were.
class TDrawCanvas {
public:
    explicit TDrawCanvas(QImage& image);

    QColor PenColor = Qt::black;
    int PenWidth = 1;
    bool PenVisible = true;
    QColor BrushColor = Qt::white;
    TBrushStyle BrushStyle = bsSolid; // bsClear: no fill
    QColor FontColor = Qt::black;
    QFont Font;

    // Height of a line of text (the character cell) in pixels.
    void SetFontHeight(int height);
    int FontHeight() const { return m_fontHeight; }

    void Line(int x0, int y0, int x1, int y1);
    void Rectangle(int left, int top, int right, int bottom);
    void FillRect(int left, int top, int right, int bottom);
    void Ellipse(int left, int top, int right, int bottom);
    void Polygon(const QPolygon& points);
    // Counter-clockwise arc of the ellipse in the rectangle, from the ray through (x3, y3) to
    // the ray through (x4, y4).
    void Arc(int left, int top, int right, int bottom, int x3, int y3, int x4, int y4);
    // Fills the 4-connected areas around the seeds up to pixels of the border colour with the
    // brush. Pixels inside any of the keep-out rectangles, or outside the bounds (a null
    // rectangle: the whole picture), are neither filled nor crossed.
    void FloodFill(std::initializer_list<QPoint> seeds, QColor border, const std::vector<QRect>& keepOut = {},
        const QRect& bounds = {});
    // Writes text with its cell's top-left at (x, y), transparently, in the font colour.
    void TextOut(int x, int y, const QString& text);
    int TextWidth(const QString& text) const;
    int TextHeight(const QString& text) const;
    // Coordinates are the drawing's pixels; on a bitmap with a device pixel ratio above 1 each
    // covers several of the device's.
    QColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, QColor colour);
    qreal Ratio() const;
    // The drawing area in the drawing's pixels.
    QRect Bounds() const;

    QImage& Image() { return m_image; }
    // Every straight line drawn, in drawing order.
    std::vector<platform::TDrawnLine> Lines;

private:
    int penWidth() const;
    QRect deviceRect(const QRect& r) const;
    bool hatchAt(int x, int y, qreal ratio) const;
    void setupPen(QPainter& p) const;
    void setupBrush(QPainter& p) const;
    void fillPixel(int x, int y);
    QImage& m_image;
    int m_fontHeight = 13;
    // Working memory of FloodFill, kept between fills.
    std::vector<std::uint8_t> m_taken;
    std::vector<QRect> m_runs;
    std::vector<QPoint> m_seeds;
    std::vector<QRect> m_keepOut;
};

class TDiagramDraw {
public:
    // Bitmap starts white at Size, in pixels of the drawing; a Ratio above 1 makes it as many
    // times finer in the device's pixels.
    explicit TDiagramDraw(const TLPData& Data, QSize Size = QSize(600, 600), qreal Ratio = 1);

    const TLPData* Data = nullptr; // not owned
    int Width = 600;
    int Height = 600;
    QImage Bitmap;
    double Scale = 0;
    int UsedWidth = 600;

    // Every text the drawing wrote, with the rectangle it covers (the lines are the canvas's).
    using TPlacedText = platform::TPlacedText;
    std::vector<TPlacedText> PlacedTexts;
    // Where a control stands over the picture (the window's zoom button): no text goes under it.
    QRect Covered;

    // Draws into a picture control sized to the control; an unknown kind leaves it as it is.
    static void DrawToImage(
        QLabel* Image, const TLPData& Data, TDiagramKind Kind, const QRect& Covered = QRect());
    // Draws into the bitmap at its size; an unknown kind leaves it as it is.
    static void DrawToBitmap(QImage& Bitmap, const TLPData& Data, TDiagramKind Kind);
    // The drawing kind for the model: dkConcreteSection resolved by the pile's shape.
    static TDiagramKind ResolveKind(const TLPData& Data, TDiagramKind Kind);
    // Draws one kind into Bitmap at its current size; false for an unknown kind.
    bool Draw(TDiagramKind Kind);

    // Sizes derived from the bitmap.
    int LineWidth() const;
    int Margin() const { return 2 * LineWidth(); }
    int FontSize() const { return 5 * Margin(); }
    int ArrowSize() const { return 8 * LineWidth(); }
    int LineSpacing();
    int PercentOfWidth(double p) const;
    int EleventhsOfWidth(int n) const;

    static QColor ContrastTextColour(QColor colour);
    static bool IsHatchColour(QColor colour);
    static QString FormatValue(int Digits, const QString& Unit, Extended Value);
    static QString FormatByTag(int Tag, Extended Value);

    // No background: the value that names none.
    static constexpr std::uint32_t kNoBackground = 0x1FFFFFFF;
    void DrawLabel(int left, int top, int right, int bottom, const QString& text,
        std::uint32_t background = kNoBackground, bool frame = false, int alignment = 0);
    // A section sketch's callout: a label centred in a frame of the given height (its text as
    // large as the frame allows), the frame's outer corner (pen included) at `at`. CalloutSize
    // is the outer size it takes; DrawCallout returns where it went.
    QSize CalloutSize(const QString& text, int height);
    QRect DrawCallout(QPoint at, int height, const QString& text);
    // Where a leader from a frame toward the target starts: on the line from the frame's centre,
    // just clear of the frame with the current pen.
    QPoint LeaderStart(const QRect& frame, QPoint target) const;
    // Where DrawLabel writes the text (without a frame); leaves the canvas font at its size.
    QRect LabelBox(int left, int top, int right, int bottom, const QString& text, int alignment);
    // Writes text at (x, y) with each character after "^" raised.
    void TextOutSup(int x, int y, const QString& text);
    void DrawArrowHead(int x, int y, int size, double angle);
    void DrawArrow(int x0, int y0, int x1, int y1, int size, bool headAtStart, bool headAtEnd);
    // `along` moves a text centred between the arrows that many pixels toward the end.
    void DrawDimension(
        int x0, int y0, int x1, int y1, const QString& text, bool outside, int position, int along = 0);
    // Whether a dimension's text fits between its arrows, and where DrawDimension writes it.
    bool DimensionFitsInside(int x0, int y0, int x1, int y1, const QString& text, bool outside);
    QRect DimensionTextBox(
        int x0, int y0, int x1, int y1, const QString& text, bool outside, int position, int along = 0);
    // How far beyond the end of a dimension its text starts when the arrows point from outside:
    // past the arrow, clear of its pen.
    int DimensionTextOffset() const { return 2 * ArrowSize() + LineWidth() / 2 + 2; }
    void DrawOctagon(int left, int top, int right, int bottom);

    void DrawSoilProfile();
    void DrawWSection();
    void DrawPipeSection();
    void DrawRoundRCSection();
    void DrawRectRCSection();

    TDrawCanvas& Canvas() { return m_canvas; }
    // The pile segments of the soil profile as drawn.
    const std::vector<QRect>& PileRects() const { return m_pileRects; }

private:
    // The right edge of a label's frame: widened to hold the text.
    int framedRight(int left, int right, int textWidth) const;
    // Width on screen of a text written by TextOutSup.
    int supTextWidth(const QString& text) const;
    // Colour behind a text at (x, y): hatch colours are looked past to a neighbour.
    QColor backgroundAt(int x, int y) const;
    void beginDrawing();
    // The finished picture, cut to UsedWidth.
    QImage usedPicture();

    // A dimension of a steel section: its line, text, arrows and the end its text goes beyond
    // when the arrows point from outside.
    struct TSketchDimension {
        QLine at;
        QString text;
        bool outside = false;
        int position = 1;
    };
    void placeDimensionTexts(std::vector<TSketchDimension>& dims, const std::vector<QLine>& extensions,
        const std::vector<QRect>& keepOff);

    // The soil profile's steps, in drawing order.
    struct TSoilProfile;
    struct TProfileBand;
    TSoilProfile soilProfile();
    void drawProfileBox(const TSoilProfile& p);
    void placePileDescription(TSoilProfile& p);
    TProfileBand profileBand(const TSoilProfile& p, int i) const;
    void drawLayerBand(const TSoilProfile& p, const TProfileBand& band);
    // A depth beside the box: its line's y and the column's left.
    struct TDepthMark {
        int y = 0;
        Extended depth = 0;
        int left = 0;
    };
    void drawLayerMarks(
        const TSoilProfile& p, const TProfileBand& band, bool& previousThin, std::vector<TDepthMark>& depths);
    QRect depthLabelBox(const TSoilProfile& p, const TDepthMark& mark);
    // The ground's depth first, then the layers' from the top.
    void drawDepthLabels(const TSoilProfile& p, std::vector<TDepthMark> marks);
    void drawPileSegment(const TSoilProfile& p, const TProfileBand& band);
    void drawPileDescription(const TSoilProfile& p);
    // Writes the layer's texts, and the pile's size when due; the y of the size's arrows, or -1
    // where it found no room.
    int drawLayerTexts(const TSoilProfile& p, const TProfileBand& band, bool sizeDue);
    // The row of the layer's texts where the pile's size stands; -1 where it finds none.
    int pileSizeRow(const TSoilProfile& p, const TProfileBand& band, const std::vector<QString>& nameRows,
        const QString& sizeText, int rowHeight) const;
    // The pile's length along its axis; `across` are the y of the lines that cross the pile.
    void drawPileLength(
        const TSoilProfile& p, const std::vector<TProfileBand>& bands, std::vector<int> across);
    void drawHeadLoads(const TSoilProfile& p);

    TDrawCanvas m_canvas;
    // Pile segments drawn so far: the layer fills must not run into them.
    std::vector<QRect> m_pileRects;
};
