// The project model and its soil layers.
#include "model/lpclasses.h"

#include "model/fieldlimits.h"
#include "platform/core/versionblock.h"

#include <cmath>
#include <ctime>
#include <filesystem>
#include <numbers>
#include <stdexcept>
#include <system_error>

namespace {

constexpr std::int32_t rgb(int r, int g, int b)
{
    return r | (g << 8) | (b << 16);
}

// Layers are coloured and hatched by position: three colours, and every three layers the next
// of six hatches, so the pattern repeats every 18 layers.
constexpr std::int32_t kLayerColours[3] = { rgb(64, 128, 128), rgb(192, 192, 192), rgb(124, 83, 83) };
constexpr std::uint8_t kLayerHatches[6]
    = { bsClear, bsFDiagonal, bsBDiagonal, bsDiagCross, bsVertical, bsHorizontal };

// Days from 1 Jan 1970 of a civil date (proleptic Gregorian).
long long daysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

// 30 Dec 1899, day 0 of a date-time value, counted from 1 Jan 1970.
constexpr long long kDateEpochFromUnix = -25569;

} // namespace

double DateToday()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    const long long days = daysFromCivil(local.tm_year + 1900LL, static_cast<unsigned>(local.tm_mon + 1),
        static_cast<unsigned>(local.tm_mday));
    return static_cast<double>(days - kDateEpochFromUnix);
}

// ---- TLayer ---------------------------------------------------------------------------------

TLayer::TLayer(TLPData* model)
    : Model(model)
{
}

TLayer* TLayer::Previous() const
{
    if (!List)
        return nullptr;
    const int index = List->IndexOf(this);
    return index > 0 ? List->GetLayer(index - 1) : nullptr;
}

Extended TLayer::Top() const
{
    if (!List)
        return 0;
    const int index = List->IndexOf(this);
    // Summed from the first layer down, exactly as the bottoms above add up.
    Extended top = 0;
    for (int i = 0; i < index; ++i)
        top = top + List->GetLayer(i)->Thickness;
    return top;
}

Extended TLayer::Bottom() const
{
    return Top() + Thickness;
}

bool TLayer::IsCohesive() const
{
    return MatType == lpmtCohesiveSoil || MatType == lpmtSiltstoneBedrock;
}

void TLayer::SetConsistencyFromN()
{
    const std::int64_t n = RoundHalfEven(SPTFieldN);
    if (MatType == lpmtGranularSoil) {
        if (n < 4)
            Consistency = lpconVeryLoose;
        else if (n <= 9)
            Consistency = lpconLoose;
        else if (n <= 30)
            Consistency = lpconMediumDense;
        else if (n <= 50)
            Consistency = lpconDense;
        else
            Consistency = lpconVeryDense;
    } else if (MatType == lpmtCohesiveSoil) {
        if (n < 2)
            Consistency = lpconVerySoft;
        else if (n <= 4)
            Consistency = lpconSoft;
        else if (n <= 8)
            Consistency = lpconFirm;
        else if (n <= 15)
            Consistency = lpconStiff;
        else if (n <= 30)
            Consistency = lpconVeryStiff;
        else if (n <= 50)
            Consistency = lpconHard;
        else
            Consistency = lpconVeryHard;
    }
}

Extended TLayer::EstimatedFrictionAngle() const
{
    return (IsCohesive() ? 24 : 28) + SPTFieldN / 4;
}

const TCohesionDefault& TLayer::CohesionDefaults() const
{
    const auto table = CohesionTable();
    if (MatType == lpmtCohesiveSoil) {
        // Only the cohesive consistencies have a row; with none (or a granular one) chosen the
        // soil's strength is unknown, and no strength is assumed.
        if (Consistency >= lpconVerySoft && Consistency <= lpconVeryHard)
            return table[static_cast<std::size_t>(Consistency - lpconVerySoft)];
        return NoCohesionDefault();
    }
    if (MatType == lpmtSiltstoneBedrock)
        return table[7];
    return table[8];
}

Extended TLayer::DefaultCohesion() const
{
    const TCohesionDefault& row = CohesionDefaults();
    return Model ? Model->UnitValue(row.SuSI, row.SuUS) : row.SuUS;
}

bool TLayer::LookupSoilDefaults(Extended& subgradeReaction) const
{
    for (const TSoilDefault& row : CurrentSoilDefaults()) {
        if (row.MatType == MatType && row.USCS == USCS && row.Consistency == Consistency) {
            subgradeReaction = row.SubgradeReaction;
            return true;
        }
    }
    return false;
}

Extended TLayer::DefaultSubgradeReaction() const
{
    Extended reaction = 0;
    return LookupSoilDefaults(reaction) ? reaction : 0;
}

void TLayer::subgradeReactionRange(Extended& low, Extended& high) const
{
    const Extended k0 = DefaultSubgradeReaction();
    low = std::trunc(0.7L * k0 / 10) * 10;
    high = std::floor(1.3L * k0 / 10) * 10;
    if (Model && Model->CyclicAnalysis) {
        low = static_cast<Extended>(RoundHalfEven(kCyclicFactor * low));
        high = static_cast<Extended>(RoundHalfEven(kCyclicFactor * high));
    }
}

TOrdinalSet TLayer::AllowedUSCS() const
{
    TOrdinalSet set;
    set.set(0);
    for (const TSoilDefault& row : CurrentSoilDefaults())
        if (row.MatType == MatType)
            set.set(row.USCS);
    return set;
}

TOrdinalSet TLayer::AllowedConsistencies() const
{
    TOrdinalSet set;
    set.set(0);
    for (const TSoilDefault& row : CurrentSoilDefaults())
        if (row.MatType == MatType)
            set.set(row.Consistency);
    return set;
}

// A layer that uses the pile defaults takes the project's value, otherwise its own.
template <typename T> T TLayer::pileValue(T TLPData::*projectValue, const T& own) const
{
    return UsePileDefaults && Model ? Model->*projectValue : own;
}

Extended TLayer::PileArea() const
{
    return pileValue(&TLPData::Area, OwnArea);
}
Extended TLayer::PileFc() const
{
    return pileValue(&TLPData::Fc, OwnFc);
}
Extended TLayer::PileE() const
{
    return pileValue(&TLPData::E, OwnE);
}
Extended TLayer::PileI() const
{
    return pileValue(&TLPData::I, OwnI);
}
Extended TLayer::PileWidth() const
{
    return pileValue(&TLPData::Width, OwnWidth);
}
Extended TLayer::PileWidth2() const
{
    return pileValue(&TLPData::Width2, OwnWidth2);
}

std::string TLayer::PileMaterialName() const
{
    return pileValue(&TLPData::MaterialName, OwnMaterialName);
}

TPileInterface TLayer::PileInterface() const
{
    return pileValue(&TLPData::Interface, OwnInterface);
}
Extended TLayer::PilePerimeter() const
{
    return pileValue(&TLPData::Perimeter, OwnPerimeter);
}
TPileType TLayer::PileType() const
{
    return pileValue(&TLPData::PileType, OwnPileType);
}
Extended TLayer::PileTipArea() const
{
    return pileValue(&TLPData::TipArea, OwnTipArea);
}
bool TLayer::PileEFromFc() const
{
    return pileValue(&TLPData::EFromFc, OwnEFromFc);
}

bool TLayer::SamePileAsPrevious() const
{
    const TLayer* p = Previous();
    if (!p)
        return false;
    return PileMaterialName() == p->PileMaterialName() && PileEFromFc() == p->PileEFromFc()
        && PileWidth() == p->PileWidth() && PileWidth2() == p->PileWidth2() && PileFc() == p->PileFc()
        && PileArea() == p->PileArea() && PileE() == p->PileE() && PileI() == p->PileI()
        && PileInterface() == p->PileInterface() && PileType() == p->PileType()
        && PilePerimeter() == p->PilePerimeter() && PileTipArea() == p->PileTipArea();
}

// ---- TLayerList -----------------------------------------------------------------------------

TLayerList::TLayerList(TLPData* model)
    : Model(model)
{
}

TLayer* TLayerList::GetLayer(int index) const
{
    if (index < 0 || index >= Count())
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    return m_items[static_cast<std::size_t>(index)].get();
}

int TLayerList::IndexOf(const TLayer* layer) const
{
    for (std::size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].get() == layer)
            return static_cast<int>(i);
    return -1;
}

TLayer* TLayerList::AddLayer()
{
    auto layer = std::make_unique<TLayer>(Model);
    layer->List = this;
    m_items.push_back(std::move(layer));
    const int n = Count();
    TLayer* added = m_items.back().get();
    added->Colour = kLayerColours[(n - 1) % 3];
    added->Hatch = kLayerHatches[((n - 1) / 3) % 6];
    return added;
}

void TLayerList::Delete(int index)
{
    GetLayer(index); // range check
    m_items.erase(m_items.begin() + index);
}

void TLayerList::Move(int from, int to)
{
    if (from == to) {
        GetLayer(from);
        return;
    }
    GetLayer(from);
    GetLayer(to);
    auto layer = std::move(m_items[static_cast<std::size_t>(from)]);
    m_items.erase(m_items.begin() + from);
    m_items.insert(m_items.begin() + to, std::move(layer));
}

void TLayerList::Clear()
{
    m_items.clear();
}

// ---- TLPData --------------------------------------------------------------------------------

TLPData::TLPData()
    : Layers(this)
{
    Reset(false);
}

TLPData::~TLPData() = default;

void TLPData::Reset(bool UseBuiltInDefaults)
{
    // A new project has no spacing limit yet: a spacing it brings is its own, whatever limit the
    // project before it had.
    SpacingLimit = 0;
    if (!UseBuiltInDefaults) {
        // The unit system in force before the reset chooses the demo project.
        const char* demo = Units == 0 ? "ENGLISH UNITS DEMO EXAMPLE.fdx" : "SI UNITS DEMO EXAMPLE.fdx";
        std::error_code ec;
        const auto folder = std::filesystem::path(platform::runningExecutablePath()).parent_path();
        const auto file = folder / demo;
        if (!folder.empty() && std::filesystem::is_regular_file(file, ec)) {
            try {
                Reset(true);
                if (LoadDemoExample(file.string())) {
                    Organization.clear();
                    Logo.reset();
                    ProjectName.clear();
                    JobNumber.clear();
                    DesignBy.clear();
                    ProjectDate = DateToday();
                    return;
                }
            } catch (...) {
                // An unreadable demo project falls back to the built-in defaults.
            }
        }
    }
    ApplyBuiltInDefaults();
}

void TLPData::ApplyBuiltInDefaults()
{
    Organization.clear();
    Logo.reset();
    ProjectName.clear();
    JobNumber.clear();
    DesignBy.clear();
    ProjectDate = DateToday();
    SetUnits(kUnitsUS);
    PileLength = 0;
    Width = 0;
    Width2 = 0;
    Fc = 2500;
    LateralLoad = 20;
    MomentLoad = 0;
    PassiveWedge = 2.5L;
    MaterialName = "Concrete";
    EFromFc = true;
    Area = 0;
    E = 0;
    I = 0;
    Reserved3 = 10.0L;
    Interface = piRoughConcrete;
    PileType = ptJettedPile;
    DesignLife = 75;
    ConstructionControl = 0;
    StaticAnalysis = true;
    CyclicAnalysis = false;
    const bool familyChanged = ShapeFamily != 0;
    ShapeFamily = 0;
    MemberType = 0;
    SectionIndex = 0;
    // SetUnits above loaded the tables of the previous family; the lists must show family 0's.
    if (familyChanged)
        SetCurrentSectionTables(ShapeFamily, Units == kUnitsSI);
    StructuralDesign = false;
    RebarStandard = rsUS;
    BarSize = 0;
    BarCount = 0;
    TieType = kTieTypeTie;
    TieBarSize = 0;
    Fy = 60;
    Es = 29000;
    Cover = 3.0L;
    SpacingOverride = 3.0L;
    Layers.Clear();
    Layers.AddLayer();
    Layers.AddLayer();
}

void TLPData::SetUnits(std::uint8_t U)
{
    Units = U;
    const bool si = Units == kUnitsSI;
    SetCurrentSoilDefaults(si);
    SetCurrentFieldLimits(si);
    SetCurrentSectionTables(ShapeFamily, si);
    SelectSection(SectionIndex);
}

Extended TLPData::UnitValue(Extended SIValue, Extended USValue) const
{
    return static_cast<double>(Units == kUnitsSI ? SIValue : USValue);
}

std::string TLPData::UnitText(const std::string& SIText, const std::string& USText) const
{
    return Units == kUnitsSI ? SIText : USText;
}

void TLPData::SetShapeFamily(TShapeFamily F)
{
    if (F == ShapeFamily)
        return;
    ShapeFamily = F;
    SetCurrentSectionTables(ShapeFamily, Units == kUnitsSI);
    SelectSection(SectionIndex);
}

const std::vector<TIShape>& TLPData::GetIShapes() const
{
    return CurrentIShapes();
}
const std::vector<TPipeShape>& TLPData::GetPipeShapes() const
{
    return CurrentPipeShapes();
}

void TLPData::SelectSection(std::int32_t I)
{
    SectionIndex = I;
    if (I < 0)
        return;
    const auto index = static_cast<std::size_t>(I);
    if (UsesIShape() && index < CurrentIShapes().size())
        IShape = CurrentIShapes()[index];
    else if (UsesPipeSection() && index < CurrentPipeShapes().size())
        PipeShape = CurrentPipeShapes()[index];
}

std::string TLPData::ChosenSectionName() const
{
    const auto index = static_cast<std::size_t>(SectionIndex);
    if (UsesIShape())
        return SectionIndex >= 0 && index < CurrentIShapes().size() ? IShape.Name : kUserDefinedSection;
    if (UsesPipeSection())
        return SectionIndex >= 0 && index < CurrentPipeShapes().size() ? PipeShape.Name : kUserDefinedSection;
    return {};
}

void TLPData::LoadRebarTable()
{
    TRebarTable table = RebarTableOf(RebarStandard);
    constexpr double inch = 25.4;
    if (RebarStandard == rsUS && Units == kUnitsSI) {
        for (TRebar& bar : table) {
            bar.BarNo = bar.MetricNo;
            bar.Diameter *= inch;
            bar.Area *= inch * inch;
        }
    } else if (RebarStandard != rsUS && Units != kUnitsSI) {
        for (TRebar& bar : table) {
            bar.Diameter /= inch;
            bar.Area /= inch * inch;
        }
    }
    SetCurrentRebars(table);
}

void TLPData::GetRebar(std::int32_t BarNo, TRebar& Bar) const
{
    for (const TRebar& row : CurrentRebars()) {
        if (row.BarNo == BarNo) {
            Bar = row;
            return;
        }
    }
}

std::string TLPData::BarName(std::int32_t BarNo) const
{
    return RebarStandard == rsUS ? "#" + std::to_string(BarNo) : std::to_string(BarNo) + "M";
}

bool TLPData::IsConcrete(int I) const
{
    const int i = I == -1 ? Interface : I;
    return i == piRoughConcrete || i == piSmoothConcrete;
}

bool TLPData::IsSteel(int I) const
{
    const int i = I == -1 ? Interface : I;
    return i == piRoughSteel || i == piSmoothSteel;
}

bool TLPData::IsTimber(int I) const
{
    return (I == -1 ? Interface : I) == piTimber;
}
bool TLPData::IsConcreteNow() const
{
    return IsConcrete(-1);
}
bool TLPData::IsRoundShape() const
{
    return Shape == psCircle || Shape == psOctagon;
}
bool TLPData::IsRectangularShape() const
{
    return Shape == psSquare || Shape == psRectangle;
}
bool TLPData::UsesIShape() const
{
    return IsSteel(-1) && IsRectangularShape();
}
bool TLPData::UsesPipeSection() const
{
    return IsSteel(-1) && IsRoundShape();
}

std::string TLPData::PileSectionFault() const
{
    if (!StructuralDesign)
        return {};
    if (UsesIShape())
        return SectionFault(IShape).Reason;
    if (UsesPipeSection())
        return SectionFault(PipeShape).Reason;
    return {};
}

void TLPData::scaleSubgradeReactionsFor(bool cyclic)
{
    const Extended factor = cyclic ? kCyclicFactor : 1 / kCyclicFactor;
    for (int i = 0; i < Layers.Count(); ++i) {
        Layers[i]->SGReactTop *= factor;
        Layers[i]->SGReactBottom *= factor;
    }
}

void TLPData::resetFcForUnits()
{
    Fc = Units == kUnitsSI ? 18 : 2500;
}

TLoadCase TLPData::factoredLoadCase() const
{
    TLoadCase c;
    c.Pu = 1.2L * DownwardLoad;
    Extended moment = 0;
    MaxMomentNode(moment);
    c.Mu = 1.6L * std::fabs(moment);
    Extended shear = 0;
    MaxShearNode(shear);
    c.Vu = 1.6L * std::fabs(shear);
    return c;
}

TLayer* TLPData::LayerAtDepth(Extended Z) const
{
    const int count = Layers.Count();
    if (count == 0)
        return nullptr;
    const std::int64_t d = RoundHalfEven(Z * 1000);
    // Tops and bottoms accumulate from the first layer exactly as TLayer::Top and Bottom do; a
    // top is the bottom above, so its rounding is carried down rather than repeated.
    Extended top = 0;
    std::int64_t topMilli = 0;
    for (int i = 0; i < count; ++i) {
        TLayer* layer = Layers.GetLayer(i);
        const Extended bottom = top + layer->Thickness;
        const std::int64_t bottomMilli = RoundHalfEven(bottom * 1000);
        if (topMilli <= d && d <= bottomMilli)
            return layer;
        top = bottom;
        topMilli = bottomMilli;
    }
    return Layers.GetLayer(count - 1);
}

namespace {

template <typename Field>
int maxNode(const std::array<TNodeResult, kNodeCount>& nodes, Field field, Extended& value)
{
    int node = 0;
    value = 0;
    for (int k = 1; k <= kNodeCount; ++k) {
        const Extended v = nodes[static_cast<std::size_t>(k - 1)].*field;
        // A node whose value could not be computed makes the maximum unknown: reporting the
        // largest of the others would pass a pile on a figure that may not be its largest.
        if (std::isnan(v)) {
            value = v;
            return k;
        }
        if (std::fabs(v) > std::fabs(value)) {
            node = k;
            value = v;
        }
    }
    return node;
}

} // namespace

int TLPData::MaxDeflectionNode(Extended& Value) const
{
    return maxNode(Nodes, &TNodeResult::Deflection, Value);
}
int TLPData::MaxMomentNode(Extended& Value) const
{
    return maxNode(Nodes, &TNodeResult::Moment, Value);
}
int TLPData::MaxShearNode(Extended& Value) const
{
    return maxNode(Nodes, &TNodeResult::Shear, Value);
}

Extended TLPData::SuggestedFactorOfSafety() const
{
    return FactorOfSafetyFor(DesignLife, ConstructionControl);
}

int TLPData::CustomLayerCount() const
{
    int count = 0;
    for (int i = 0; i < Layers.Count(); ++i)
        if (!Layers.GetLayer(i)->UsePileDefaults)
            ++count;
    return count;
}

void TLPData::CalcAreaAndPerimeter()
{
    const Extended pi = std::numbers::pi_v<Extended>;
    const Extended sqrt2 = std::numbers::sqrt2_v<Extended>;
    const Extended B = Width;
    const Extended H = Width2;
    Extended area = 0, perimeter = 0;
    switch (Shape) {
    case psSquare:
        area = B * B;
        perimeter = 4 * B;
        break;
    case psCircle:
        area = pi * (B / 2) * (B / 2);
        perimeter = pi * B;
        break;
    case psRectangle:
        area = B * H;
        perimeter = 2 * B + 2 * H;
        break;
    case psOctagon: {
        const Extended s = B / (sqrt2 + 1);
        area = 2 * s * s * (sqrt2 + 1);
        perimeter = 8 * s;
        break;
    }
    default:
        return; // no such shape: nothing to compute
    }
    if (Units == kUnitsUS)
        area *= 144; // ft^2 to in^2; the perimeter stays in ft
    Area = area;
    Perimeter = perimeter;
}
