#pragma once
// The graph window: the results of one project as line graphs against depth, and the
// reinforced-concrete interaction diagram. Each graph is rendered by a chart that is never shown,
// turned a quarter turn so that depth runs downward and values to the right, and shown in one of
// six picture boxes. The printed report uses the same window hidden: PrepareForPrint, ShowGraphs,
// then it reads GraphPicture(n).
#include "model/lpclasses.h"
#include "platform/qt/chart.h"
#include "results/imgzoom.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class QStatusBar;
struct TAxisTitle;
struct TDepthGraph;

enum TGraphKind : std::uint8_t {
    gkAllLateral = 0,
    gkAllVertical = 1,
    gkAllEffective = 2,
    gkShear = 3,
    gkMoment = 4,
    gkDeflection = 5,
    gkSoilPressure = 6,
    gkCapacity = 7,
    gkEffCapacity = 8,
    gkInteraction = 9,
    gkCapacityVsMovement = 10,
    gkEffLoadVsSettlement = 11,
    gkPileLoad = 12,
    gkEffPileLoad = 13,
    gkEffectiveStress = 14
};

bool IsLateralGraphKind(TGraphKind kind);
bool IsVerticalGraphKind(TGraphKind kind);

struct TGraphHitPoint {
    int PixelX = 0;
    int PixelY = 0;
    double X = 0;
    double Y = 0;
};
using TGraphHitList = std::vector<TGraphHitPoint>;

// The read-out lists, one per graph line.
enum class THitList {
    Shear,
    Moment,
    Deflection,
    Induced,
    Allowable,
    SideFriction,
    EndBearing,
    Capacity,
    EffSide,
    EffEnd,
    EffCapacity,
    Movement,
    EffMovement,
    PileLoad,
    EffStress,
    Interaction,
    Count
};

class TfrmGraphs : public QDialog {
    Q_OBJECT
public:
    explicit TfrmGraphs(QWidget* owner = nullptr);
    ~TfrmGraphs() override;

    platform::TChart* Chart1 = nullptr;
    platform::TChartSeries* Series1 = nullptr;
    platform::TChartSeries* Series2 = nullptr;
    platform::TChartSeries* Series3 = nullptr;
    platform::TChartSeries* Series4 = nullptr;
    platform::TChartSeries* Series5 = nullptr;
    TPictureBox* Image1 = nullptr;
    TPictureBox* Image2 = nullptr;
    TPictureBox* Image3 = nullptr;
    TPictureBox* Image4 = nullptr;
    TPictureBox* Image5 = nullptr;
    TPictureBox* Image6 = nullptr;
    QStatusBar* StatusBar1 = nullptr;

    const TLPData* Data = nullptr; // not owned
    TGraphKind Kind = gkAllLateral;
    bool MinMarkOn = false;
    bool MaxMarkOn = false;
    double MinY = 0;
    double MaxY = 0;

    // Fills and renders the graphs of Kind. Reads the model; writes nothing back.
    void ShowGraphs(const TLPData& Data, TGraphKind Kind);
    // Enlarges pictures, fonts and markers for printing; call before ShowGraphs.
    void PrepareForPrint();
    // The picture of Image1 .. Image6 (n = 1 .. 6); a null image for a picture not drawn.
    QImage GraphPicture(int n) const;
    TPictureBox* ImageN(int n) const;
    // What the chart wrote into picture n and the lines it drew beside the plot (axis lines,
    // ticks, value marks), in the picture's coordinates.
    const std::vector<platform::TPlacedText>& PlacedTexts(int n) const;
    const std::vector<platform::TDrawnLine>& DrawnLines(int n) const;

    void SetNiceIncrements();
    void RenderChartToImage(TPictureBox* Image);
    void StoreHitPoints(TGraphHitList& List, const platform::TChartSeries& Series, bool Reset);
    static bool FindHitPoint(const TGraphHitList& List, int X, int Y, double& ValueY, double& ValueX);
    TGraphHitList& HitList(THitList which) { return m_hits[static_cast<std::size_t>(which)]; }

    // Chart events.
    void Chart1BeforeDrawAxes();
    void Chart1AfterDraw();
    void Chart1GetAxisLabel(platform::TChartAxis& Sender, QString& LabelText);
    void DrawAxisValueMark(platform::TChartAxis& Axis, double Value);
    // Window events.
    void FormShow();
    void Image1MouseMove(TPictureBox* Sender, int X, int Y);

    // Text of a value mark: "%.2f", shortened to "%.0f" beyond 6 characters or "%.1f" beyond 5.
    static QString ValueMarkText(double Value);
    // The increment for a value range: 0 (automatic) up to 12.5 after normalising, else
    // 5, 10, 15 or 20 x 10^e.
    static double NiceIncrement(double Range);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setAxisTitles(const TAxisTitle& y, const TAxisTitle& x);
    void showDepthGraph(const TDepthGraph& graph);
    void showInteractionGraph();
    void drawGraph(TPictureBox* image);
    void fitToPictures();

    std::unique_ptr<platform::TChart> m_chart;
    std::array<TNodeResult, kNodeCount> m_nodes {};
    std::array<TInteractionPoint, kInteractionPointCount> m_points {};
    std::array<TGraphHitList, static_cast<std::size_t>(THitList::Count)> m_hits;
    std::array<std::vector<platform::TPlacedText>, 6> m_placedTexts;
    std::array<std::vector<platform::TDrawnLine>, 6> m_drawnLines;
    // Each picture's size: as designed on screen, doubled for print.
    int m_imageWidth = 244;
    int m_imageHeight = 410;
    bool m_printing = false;
};

// Opens the graph window over owner for one kind, modally, and frees it.
void ShowGraphWindow(QWidget* owner, const TLPData& Data, TGraphKind Kind);
