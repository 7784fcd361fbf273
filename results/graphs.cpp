#include "results/graphs.h"

#include "model/fieldlimits.h"
#include "model/lptypes.h"
#include "platform/qt/controls.h"
#include "platform/qt/numberformat.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>

#include <cmath>
#include <numbers>

namespace {

constexpr int kStatusBarHeight = 19;
constexpr int kHitTolerance = 5;

// How far a value mark's line reaches past the axis labels' edge.
int valueMarkLength(const platform::TChartAxis& axis)
{
    return std::abs(static_cast<int>(RoundHalfEven(1.3 * axis.LabelsFont.pixelSize())));
}

QString fixed(double value, int decimals)
{
    return QString::fromStdString(FormatFixed(value, decimals, LocaleNumberFormat()));
}

} // namespace

// An axis title in US and in SI units.
struct TAxisTitle {
    const char* us;
    const char* si;
};

namespace {
constexpr TAxisTitle kDepthTitle { "Depth below ground surface, ft", "Depth below ground surface, m" };
} // namespace

enum class TGraphLegend : std::uint8_t { Hidden, Shown, WhileRendering };
enum class TValueMarks : std::uint8_t { None, Max, MinAndMax };

// One line of a graph against the nodes: the node field drawn, the hit list it fills and the
// read-out of that list.
struct TDepthGraphLine {
    Extended TNodeResult::*value = nullptr;
    // Effective-stress capacities are held in pounds in US projects: shown as kips.
    bool inKips = false;
    const char* title = nullptr; // the series title, when the graph sets one
    THitList hits = THitList::Count;
    const char* readOut = nullptr; // "%1" the line's value, "%2" the X value
};

// One graph of the window: which kinds draw it, into which picture, what it shows.
struct TDepthGraph {
    TGraphKind group; // the kind that draws it among others
    TGraphKind single; // the kind that draws it alone
    int image; // Image1 .. Image6
    TAxisTitle yTitle;
    TAxisTitle xTitle = kDepthTitle;
    Extended TNodeResult::*x = &TNodeResult::Depth;
    std::array<TDepthGraphLine, 3> lines; // Series1 .. Series3; unused lines have no value
    TGraphLegend legend = TGraphLegend::Hidden;
    TValueMarks marks = TValueMarks::None;
    // A one-line graph drawn after a three-line one: the other two lines leave the chart's
    // extremes and Series3 goes back into the legend.
    bool othersInactive = false;
    // A two-line graph with a legend: the stale third line stays out of it.
    bool thirdOutOfLegend = false;

    std::size_t lineCount() const
    {
        std::size_t n = 0;
        while (n < lines.size() && lines[n].value)
            ++n;
        return n;
    }
};

namespace {

constexpr TAxisTitle kCapacityTitle { "Vertical Capacity, kips", "Vertical Capacity, KN" };

// The graphs in the order they are drawn; the lateral ones first, with the largest value marked.
const TDepthGraph kDepthGraphs[] = {
    { .group = gkAllLateral,
        .single = gkShear,
        .image = 1,
        .yTitle = { "Shear (service level), kips", "Shear (service level), KN" },
        .lines = { { { .value = &TNodeResult::Shear,
            .hits = THitList::Shear,
            .readOut = "  Shear: %1    Depth: %2" } } },
        .marks = TValueMarks::Max },
    { .group = gkAllLateral,
        .single = gkMoment,
        .image = 2,
        .yTitle = { "Moment (service level), kip-ft", "Moment (service level), KN.m" },
        .lines = { { { .value = &TNodeResult::Moment,
            .hits = THitList::Moment,
            .readOut = "  Moment: %1    Depth: %2" } } },
        .marks = TValueMarks::Max },
    { .group = gkAllLateral,
        .single = gkDeflection,
        .image = 3,
        .yTitle = { "Deflection (service level), inch", "Deflection (service level), mm" },
        .lines = { { { .value = &TNodeResult::Deflection,
            .hits = THitList::Deflection,
            .readOut = "  Deflection: %1    Depth: %2" } } },
        .marks = TValueMarks::Max },
    { .group = gkAllLateral,
        .single = gkSoilPressure,
        .image = 4,
        .yTitle = { "Lat. Soil Pressure, k/ft^2", "Lat. Soil Pressure, kPa" },
        .lines = { { { .value = &TNodeResult::SoilPressure,
                         .title = "Induced",
                         .hits = THitList::Induced,
                         .readOut = "  Lat. Soil Pressure: %1    Depth: %2" },
            { .value = &TNodeResult::AllowSoilPressure,
                .title = "Allowable",
                .hits = THitList::Allowable,
                .readOut = "  Allowed Lat. Soil Pressure: %1    Depth: %2" } } },
        .legend = TGraphLegend::WhileRendering,
        .marks = TValueMarks::Max,
        .thirdOutOfLegend = true },
    { .group = gkAllVertical,
        .single = gkCapacity,
        .image = 1,
        .yTitle = kCapacityTitle,
        .lines = { { { .value = &TNodeResult::QSideAllow,
                         .title = "Side Fric.",
                         .hits = THitList::SideFriction,
                         .readOut = "  Side Friction: %1    Depth: %2" },
            { .value = &TNodeResult::QEndAllow,
                .title = "End Bear.",
                .hits = THitList::EndBearing,
                .readOut = "  End Bearing: %1    Depth: %2" },
            { .value = &TNodeResult::Capacity,
                .title = "Total Cap.",
                .hits = THitList::Capacity,
                .readOut = "  Capacity: %1    Depth: %2" } } },
        .legend = TGraphLegend::Shown },
    { .group = gkAllEffective,
        .single = gkEffCapacity,
        .image = 2,
        .yTitle
        = { "Vertical Capacity (Effective Stress), kips", "Vertical Capacity (Effective Stress), KN" },
        .lines = { { { .value = &TNodeResult::EffSideAllow,
                         .inKips = true,
                         .title = "Eff. Side Fric.",
                         .hits = THitList::EffSide,
                         .readOut = "  Eff. Side Friction: %1    Depth: %2" },
            { .value = &TNodeResult::EffEndAllow,
                .inKips = true,
                .title = "End Bear.",
                .hits = THitList::EffEnd,
                .readOut = "  End Bearing: %1    Depth: %2" },
            { .value = &TNodeResult::EffTotalAllow,
                .inKips = true,
                .title = "Eff. Total Cap.",
                .hits = THitList::EffCapacity,
                .readOut = "  Capacity (Effective Sress): %1    Depth: %2" } } },
        .legend = TGraphLegend::Shown },
    { .group = gkAllVertical,
        .single = gkCapacityVsMovement,
        .image = 3,
        .yTitle = kCapacityTitle,
        .xTitle = { "Pile Movement, in", "Pile Movement, mm" },
        .x = &TNodeResult::Settlement,
        .lines = { { { .value = &TNodeResult::Capacity,
            .title = "Total Mov.",
            .hits = THitList::Movement,
            .readOut = "  Vert. Cap: %1    Pile Mov: %2" } } },
        .othersInactive = true },
    { .group = gkAllEffective,
        .single = gkEffLoadVsSettlement,
        .image = 4,
        .yTitle = { "Pile Load (Effective Stress), kips", "Pile Load (Effective Stress), KN" },
        .xTitle = { "Pile Settlement, in", "Pile Settlement, mm" },
        .x = &TNodeResult::EffMovement,
        .lines = { { { .value = &TNodeResult::EffTotalAllow,
            .inKips = true,
            .title = "Eff. Total Mov.",
            .hits = THitList::EffMovement,
            .readOut = "  Pile Load (Effective Stress): %1    Eff. Total Movement: %2" } } },
        .othersInactive = true },
    { .group = gkAllVertical,
        .single = gkPileLoad,
        .image = 5,
        .yTitle = { "Pile Load, kips", "Pile Load, KN" },
        .lines = { { { .value = &TNodeResult::PileLoad,
            .hits = THitList::PileLoad,
            .readOut = "  Pile Load: %1    Depth: %2" } } },
        .marks = TValueMarks::MinAndMax },
    { .group = gkAllVertical,
        .single = gkEffectiveStress,
        .image = 6,
        .yTitle = { "Effective Stress, psf", "Effective Stress, KN/m^2" },
        .lines = { { { .value = &TNodeResult::SigmaVEff,
            .hits = THitList::EffStress,
            .readOut = "  Effective Stress: %1    Depth: %2" } } } },
};

} // namespace

bool IsLateralGraphKind(TGraphKind kind)
{
    return kind == gkAllLateral || kind == gkShear || kind == gkMoment || kind == gkDeflection
        || kind == gkSoilPressure;
}

bool IsVerticalGraphKind(TGraphKind kind)
{
    return kind == gkAllVertical || kind == gkCapacity || kind == gkCapacityVsMovement || kind == gkPileLoad
        || kind == gkEffectiveStress;
}

TfrmGraphs::TfrmGraphs(QWidget* owner)
    : QDialog(owner)
    , m_chart(std::make_unique<platform::TChart>())
{
    setObjectName(QStringLiteral("frmGraphs"));
    setWindowTitle(QStringLiteral("Lateral Pile Graphs"));
    setFont(platform::formFont(8));

    using namespace platform;
    Chart1 = m_chart.get();
    Chart1->Color = btnFaceColor();
    Chart1->BackWallTransparent = true;
    Chart1->BackWallColor = Qt::white;
    Chart1->LeftAxis.Inverted = true;
    Chart1->TopAxis.Inverted = true;
    Chart1->TopAxis.LabelsAngle = 270;
    Chart1->TopAxis.Increment = 5;
    Chart1->TopAxis.Title.Caption = QString::fromLatin1(kDepthTitle.us);
    Chart1->RightAxis.Inverted = true;
    Chart1->RightAxis.LabelsAngle = 270;
    Chart1->RightAxis.Increment = 5;
    Chart1->Legend.Visible = false;
    Chart1->Legend.Transparent = true;
    Chart1->Legend.Frame = false;
    Chart1->Legend.ColorWidth = 25;

    const auto makeSeries = [this](TChartSeries::TKind kind, QColor colour, TPointerStyle style, int size) {
        TChartSeries* s = Chart1->AddSeries(kind);
        s->HorizAxis = &Chart1->TopAxis;
        s->VertAxis = &Chart1->RightAxis;
        s->SeriesColor = colour;
        s->Pointer.Style = style;
        s->Pointer.HorizSize = size;
        s->Pointer.VertSize = size;
        return s;
    };
    Series1 = makeSeries(TChartSeries::TKind::Line, QColor(0, 0, 160), TPointerStyle::Diamond, 2);
    Series2 = makeSeries(TChartSeries::TKind::Line, QColor(0, 128, 0), TPointerStyle::Triangle, 2);
    Series3 = makeSeries(TChartSeries::TKind::Line, QColor(255, 128, 64), TPointerStyle::Rectangle, 2);
    Series4 = makeSeries(TChartSeries::TKind::Points, QColor(255, 0, 0), TPointerStyle::Cross, 10);
    Series4->Pointer.BrushColor = QColor(255, 0, 0);
    Series5 = makeSeries(TChartSeries::TKind::Line, QColor(0, 255, 64), TPointerStyle::Triangle, 2);

    Chart1->OnBeforeDrawAxes = [this](TChart&) { Chart1BeforeDrawAxes(); };
    Chart1->OnAfterDraw = [this](TChart&) { Chart1AfterDraw(); };
    Chart1->OnGetAxisLabel = [this](TChartAxis& axis, QString& text) { Chart1GetAxisLabel(axis, text); };

    TPictureBox** images[] = { &Image1, &Image2, &Image3, &Image4, &Image5, &Image6 };
    int n = 1;
    for (TPictureBox** image : images) {
        *image = new TPictureBox(this);
        (*image)->setObjectName(QStringLiteral("Image%1").arg(n));
        (*image)->setGeometry((n - 1) * m_imageWidth, 0, m_imageWidth, m_imageHeight);
        (*image)->OnMouseMove = [this](TPictureBox* sender, int x, int y) { Image1MouseMove(sender, x, y); };
        ++n;
    }
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    fitToPictures();
}

TfrmGraphs::~TfrmGraphs() = default;

TPictureBox* TfrmGraphs::ImageN(int n) const
{
    switch (n) {
    case 1:
        return Image1;
    case 2:
        return Image2;
    case 3:
        return Image3;
    case 4:
        return Image4;
    case 5:
        return Image5;
    case 6:
        return Image6;
    default:
        return nullptr;
    }
}

const std::vector<platform::TPlacedText>& TfrmGraphs::PlacedTexts(int n) const
{
    return m_placedTexts.at(static_cast<std::size_t>(n - 1));
}

const std::vector<platform::TDrawnLine>& TfrmGraphs::DrawnLines(int n) const
{
    return m_drawnLines.at(static_cast<std::size_t>(n - 1));
}

QImage TfrmGraphs::GraphPicture(int n) const
{
    const TPictureBox* image = ImageN(n);
    return image ? image->Picture() : QImage();
}

void TfrmGraphs::setAxisTitles(const TAxisTitle& y, const TAxisTitle& x)
{
    const bool si = Data && Data->Units == kUnitsSI;
    Chart1->RightAxis.Title.Caption = QString::fromLatin1(si ? y.si : y.us);
    Chart1->TopAxis.Title.Caption = QString::fromLatin1(si ? x.si : x.us);
}

void TfrmGraphs::drawGraph(TPictureBox* image)
{
    RenderChartToImage(image);
    image->show();
}

void TfrmGraphs::ShowGraphs(const TLPData& data, TGraphKind kind)
{
    Data = &data;
    Kind = kind;
    m_nodes = data.Nodes;
    m_points = data.InteractionPoints;

    Chart1->Legend.Visible = false;
    Series2->Clear();
    Series4->Active = false;
    Series5->Active = false;
    MinMarkOn = false;
    MaxMarkOn = false;
    for (int n = 1; n <= 6; ++n)
        ImageN(n)->hide();

    if (IsLateralGraphKind(kind))
        setWindowTitle(QStringLiteral("Lateral Pile Graphs"));
    else if (IsVerticalGraphKind(kind))
        setWindowTitle(QStringLiteral("Vertical Pile Graphs"));
    else if (kind == gkInteraction)
        setWindowTitle(QStringLiteral("Reinforcement Graph"));

    for (const TDepthGraph& graph : kDepthGraphs)
        if (kind == graph.group || kind == graph.single)
            showDepthGraph(graph);
    MinMarkOn = false;
    MaxMarkOn = false;
    if (kind == gkInteraction)
        showInteractionGraph();

    fitToPictures();
}

void TfrmGraphs::showDepthGraph(const TDepthGraph& graph)
{
    // The divisor of the lines held in pounds in US projects (1 in SI projects).
    const Extended kips = static_cast<double>(Data->UnitValue(1, 1000));
    platform::TChartSeries* const series[] = { Series1, Series2, Series3 };
    const std::size_t lineCount = graph.lineCount();

    MaxMarkOn = graph.marks != TValueMarks::None;
    MinMarkOn = graph.marks == TValueMarks::MinAndMax;
    for (std::size_t i = 0; i < lineCount; ++i) {
        const TDepthGraphLine& line = graph.lines[i];
        const Extended divisor = line.inKips ? kips : 1;
        series[i]->Clear();
        for (const TNodeResult& node : m_nodes)
            series[i]->AddXY(
                static_cast<double>(node.*graph.x), static_cast<double>(node.*line.value / divisor));
    }
    setAxisTitles(graph.yTitle, graph.xTitle);
    if (graph.othersInactive) {
        Series2->Active = false;
        Series3->Active = false;
        Series3->ShowInLegend = true;
    }
    if (graph.thirdOutOfLegend)
        Series3->ShowInLegend = false;
    SetNiceIncrements();
    // Only the two value marks label this axis.
    if (graph.marks == TValueMarks::MinAndMax)
        Chart1->RightAxis.Increment = 2 * Series1->MaxYValue();
    for (std::size_t i = 0; i < lineCount; ++i)
        if (graph.lines[i].title)
            series[i]->Title = QString::fromLatin1(graph.lines[i].title);
    Chart1->Legend.Visible = graph.legend != TGraphLegend::Hidden;
    drawGraph(ImageN(graph.image));
    if (graph.legend == TGraphLegend::WhileRendering)
        Chart1->Legend.Visible = false;
    for (std::size_t i = 0; i < lineCount; ++i)
        StoreHitPoints(HitList(graph.lines[i].hits), *series[i], true);
}

void TfrmGraphs::showInteractionGraph()
{
    for (platform::TChartSeries* s : { Series1, Series2, Series3, Series4, Series5 })
        s->Clear();
    Series2->SeriesColor = QColor(255, 0, 0);
    Series2->Pointer.Style = platform::TPointerStyle::Diamond;
    Series5->Pointer.Style = platform::TPointerStyle::Diamond;
    Series4->Active = true;
    Series5->Active = true;
    Chart1->TopAxis.Inverted = false;
    setAxisTitles({ "Design Moment, k-ft", "Design Moment, KN.m" },
        { "Design Axial Load, kip", "Design Axial Load, KN" });
    for (const TInteractionPoint& p : m_points)
        Series1->AddXY(static_cast<double>(p.PhiPn), static_cast<double>(p.PhiMn));
    Series2->AddXY(static_cast<double>(Data->P0), 0);
    Series2->AddXY(
        static_cast<double>(Data->P0), static_cast<double>(m_points[kInteractionPointCount - 1].PhiMn));
    for (int c = 1; c <= kLoadCaseCount; ++c) {
        if (c > 1 && c > Data->LoadCaseCount)
            break;
        const TLoadCase& lc = Data->LoadCases[static_cast<std::size_t>(c - 1)];
        Series4->AddXY(static_cast<double>(lc.Pu), static_cast<double>(lc.Mu));
    }
    Series5->AddXY(0, static_cast<double>(Data->M0));
    Series5->AddXY(static_cast<double>(Data->TensionLimit), 0);
    SetNiceIncrements();
    Chart1->Legend.Visible = false;
    drawGraph(Image1);
    StoreHitPoints(HitList(THitList::Interaction), *Series1, true);
    StoreHitPoints(HitList(THitList::Interaction), *Series2, false);
    StoreHitPoints(HitList(THitList::Interaction), *Series5, false);
}

void TfrmGraphs::fitToPictures()
{
    int x = 0;
    bool any = false;
    for (int n = 1; n <= 6; ++n) {
        TPictureBox* image = ImageN(n);
        image->resize(m_imageWidth, m_imageHeight);
        if (image->isHidden())
            continue;
        image->move(x, 0);
        x += m_imageWidth;
        any = true;
    }
    const int width = any ? x : m_imageWidth;
    int height = any ? m_imageHeight : 0;
    if (!StatusBar1->isHidden()) {
        StatusBar1->setGeometry(0, height, width, kStatusBarHeight);
        height += kStatusBarHeight;
    }
    setFixedSize(width, std::max(height, 1));
}

void TfrmGraphs::PrepareForPrint()
{
    m_printing = true;
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    Chart1->Color = Qt::white;
    Chart1->BevelOuter = false;
    for (platform::TChartAxis* axis : { &Chart1->TopAxis, &Chart1->RightAxis }) {
        axis->LabelsSize *= 2;
        axis->LabelsFont.setPixelSize(axis->LabelsFont.pixelSize() * 2);
        axis->Title.Font.setPixelSize(axis->Title.Font.pixelSize() * 2);
    }
    Chart1->Legend.Font.setPixelSize(Chart1->Legend.Font.pixelSize() * 2);
    for (platform::TChartSeries* s : { Series1, Series2, Series3, Series4, Series5 }) {
        s->Pointer.HorizSize = 4;
        s->Pointer.VertSize = 4;
    }
    StatusBar1->hide();
    // The pictures fill the client height, which the status bar no longer shares.
    m_imageHeight = 2 * (m_imageHeight + kStatusBarHeight);
    m_imageWidth *= 2;
    fitToPictures();
}

double TfrmGraphs::NiceIncrement(double range)
{
    if (!(range > 0) || !std::isfinite(range))
        return 0;
    int e = 0;
    while (range < 10) {
        range *= 10;
        --e;
    }
    while (range > 100) {
        range /= 10;
        ++e;
    }
    return 5.0 * static_cast<double>(RoundHalfEven(range / 25)) * std::pow(10.0, e);
}

void TfrmGraphs::SetNiceIncrements()
{
    // A series made inactive for this graph still holds the previous graph's points; its range
    // belongs to other axes and must not set this graph's increments.
    const auto range = [](const platform::TChartSeries* s, bool x) {
        if (!s->Active)
            return 0.0;
        return x ? s->MaxXValue() - s->MinXValue() : s->MaxYValue() - s->MinYValue();
    };
    const double rx = std::max(range(Series1, true), range(Series2, true));
    if (rx != 0)
        Chart1->TopAxis.Increment = NiceIncrement(rx);
    const double ry = std::max(range(Series1, false), range(Series2, false));
    if (ry != 0)
        Chart1->RightAxis.Increment = NiceIncrement(ry);
}

void TfrmGraphs::RenderChartToImage(TPictureBox* image)
{
    // The chart is drawn across the box and turned a quarter.
    const int chartW = image->height();
    const int chartH = image->width();
    // On screen the chart is drawn at the screen's own pixels; the printed pictures keep theirs.
    const qreal ratio = m_printing ? 1 : image->devicePixelRatioF();
    const QImage rendered = Chart1->RenderToImage(chartW, chartH, platform::btnFaceColor(), ratio);
    // The turned picture's top row has no source pixel: it takes the chart's background.
    int deviceW = rendered.width(), deviceH = rendered.height();
    QImage turned = RotateBitmap(rendered, deviceW, deviceH, -90 * std::numbers::pi / 180,
        Chart1->Color.isValid() ? Chart1->Color : platform::btnFaceColor());
    turned.setDevicePixelRatio(ratio);
    image->resize(chartH, chartW);
    image->SetPicture(turned);
    // The chart's record turned as its picture was: the chart's (x, y) is the picture's
    // (y, chart width - x).
    const int chartWidth = image->height();
    const auto turn = [chartWidth](QPoint p) { return QPoint(p.y(), chartWidth - p.x()); };
    for (int n = 1; n <= 6; ++n) {
        if (ImageN(n) != image)
            continue;
        auto& texts = m_placedTexts[static_cast<std::size_t>(n - 1)];
        auto& lines = m_drawnLines[static_cast<std::size_t>(n - 1)];
        texts.clear();
        lines.clear();
        for (const platform::TPlacedText& t : Chart1->PlacedTexts)
            texts.push_back({ QRect(turn(t.Box.topRight()), turn(t.Box.bottomLeft())), t.Text });
        for (const platform::TDrawnLine& l : Chart1->DrawnLines)
            lines.push_back({ QLine(turn(l.Line.p1()), turn(l.Line.p2())), l.Width });
    }
}

void TfrmGraphs::StoreHitPoints(TGraphHitList& list, const platform::TChartSeries& series, bool reset)
{
    const std::size_t base = reset ? 0 : list.size();
    list.resize(base + static_cast<std::size_t>(series.Count()));
    for (int i = 0; i < series.Count(); ++i) {
        TGraphHitPoint& e = list[base + static_cast<std::size_t>(i)];
        e.X = series.XValue(i);
        e.Y = series.YValue(i);
        // The chart was turned a quarter turn: its vertical positions run across the picture.
        e.PixelX = series.CalcYPos(i);
        e.PixelY = Image1->height() - series.CalcXPos(i);
    }
}

bool TfrmGraphs::FindHitPoint(const TGraphHitList& list, int x, int y, double& valueY, double& valueX)
{
    for (const TGraphHitPoint& e : list) {
        if (e.PixelX - kHitTolerance <= x && x <= e.PixelX + kHitTolerance && e.PixelY - kHitTolerance <= y
            && y <= e.PixelY + kHitTolerance) {
            valueY = e.Y;
            valueX = e.X;
            return true;
        }
    }
    return false;
}

void TfrmGraphs::Image1MouseMove(TPictureBox* sender, int x, int y)
{
    const auto readOut = [&](THitList list, const char* format) {
        double valueY = 0, valueX = 0;
        if (!FindHitPoint(HitList(list), x, y, valueY, valueX))
            return false;
        StatusBar1->showMessage(QString::fromLatin1(format).arg(fixed(valueY, 2), fixed(valueX, 2)));
        return true;
    };
    if (Kind == gkInteraction) {
        if (sender == Image1 && readOut(THitList::Interaction, "  Moment: %1    Axial Load: %2"))
            return;
    } else {
        // A picture shows a lateral graph for the lateral kinds and a vertical one otherwise.
        const bool lateral = IsLateralGraphKind(Kind);
        for (const TDepthGraph& graph : kDepthGraphs) {
            if ((graph.group == gkAllLateral) != lateral || ImageN(graph.image) != sender)
                continue;
            for (std::size_t i = 0; i < graph.lineCount(); ++i)
                if (readOut(graph.lines[i].hits, graph.lines[i].readOut))
                    return;
        }
    }
    StatusBar1->clearMessage();
}

// ---- chart events ---------------------------------------------------------------------------

void TfrmGraphs::Chart1BeforeDrawAxes()
{
    MinY = 2147483647.0;
    MaxY = -2147483647.0;
    // A series without points (one left active from another graph) has no value to mark.
    for (const auto& s : Chart1->Series()) {
        if (!s->Active || s->Count() == 0)
            continue;
        if (s->MaxYValue() > MaxY)
            MaxY = s->MaxYValue();
        if (s->MinYValue() < MinY)
            MinY = s->MinYValue();
    }
}

void TfrmGraphs::Chart1GetAxisLabel(platform::TChartAxis& sender, QString& labelText)
{
    if ((!MaxMarkOn && !MinMarkOn) || &sender != &Chart1->RightAxis)
        return;
    const std::optional<Extended> parsed = TryParseFieldText(labelText.toStdString(), LocaleNumberFormat());
    const bool ok = parsed.has_value();
    const double value = ok ? static_cast<double>(*parsed) : 0.0;
    // No axis label crowds the mark of the largest value.
    if (MaxMarkOn && std::fabs(MaxY - value) < 0.1 * MaxY) {
        labelText.clear();
        return;
    }
    // Nor does one whose text would run into a mark's text along the axis (labels and marks
    // are centred on their values). Positions exist only while the chart is drawn.
    if (!ok || !Chart1->Canvas())
        return;
    const QFontMetrics metrics(sender.LabelsFont);
    const bool turned = sender.LabelsAngle % 180 != 0;
    const auto extent
        = [&](const QString& text) { return turned ? metrics.horizontalAdvance(text) : metrics.height(); };
    const int spacing = metrics.horizontalAdvance(QLatin1Char(' '));
    const auto clashes = [&](double mark) {
        const auto [lo, hi] = sender.ValueMarkSpan(mark, valueMarkLength(sender), ValueMarkText(mark));
        const int at = sender.CalcPosValue(value);
        const int half = extent(labelText) / 2 + spacing;
        return at + half >= lo && at - half <= hi;
    };
    if ((MaxMarkOn && clashes(MaxY)) || (MinMarkOn && clashes(MinY)))
        labelText.clear();
}

void TfrmGraphs::Chart1AfterDraw()
{
    if (MaxMarkOn)
        DrawAxisValueMark(Chart1->RightAxis, MaxY);
    if (MinMarkOn)
        DrawAxisValueMark(Chart1->RightAxis, MinY);
}

QString TfrmGraphs::ValueMarkText(double value)
{
    QString text = fixed(value, 2);
    if (text.size() > 6)
        text = fixed(value, 0);
    else if (text.size() > 5)
        text = fixed(value, 1);
    return text;
}

void TfrmGraphs::DrawAxisValueMark(platform::TChartAxis& axis, double value)
{
    axis.DrawValueMark(value, valueMarkLength(axis), ValueMarkText(value));
}

// ---- window events --------------------------------------------------------------------------

void TfrmGraphs::showEvent(QShowEvent* event)
{
    if (QWidget* owner = parentWidget())
        move(owner->window()->geometry().center() - QPoint(width() / 2, height() / 2));
    FormShow();
    QDialog::showEvent(event);
}

void TfrmGraphs::FormShow()
{
    // The screen the window is on, which need not be the primary one nor start at (0, 0).
    const QScreen* screen = QGuiApplication::screenAt(geometry().topLeft());
    if (!screen)
        screen = QGuiApplication::screenAt(geometry().center());
    if (!screen)
        screen = this->screen();
    if (!screen)
        return;
    const QRect s = screen->geometry();
    int left = x();
    int top = y();
    if (left + width() > s.x() + s.width())
        left = s.x() + s.width() - width();
    if (top + height() > s.y() + s.height())
        top = s.y() + s.height() - height();
    if (top < s.y())
        top = s.y();
    if (left < s.x())
        left = s.x();
    move(left, top);
}

void ShowGraphWindow(QWidget* owner, const TLPData& data, TGraphKind kind)
{
    TfrmGraphs graphs(owner);
    graphs.ShowGraphs(data, kind);
    graphs.exec();
}
