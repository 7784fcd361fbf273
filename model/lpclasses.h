#pragma once
// The project model: one object holds a whole project (header, pile, loads, structural design
// input, soil layers and every analysis result). All numbers are held in the current unit system;
// the model never converts stored values.
#include "model/lptypes.h"
#include "model/tables.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TLPData;
class TLayerList;
class TJpegGraphic; // the logo picture (imaging)
namespace platform {
class TStream;
class TGraphic;
} // namespace platform

// A set of enumeration ordinals (USCS classes or consistencies).
using TOrdinalSet = std::bitset<32>;

// ---- soil layers ----------------------------------------------------------------------------

class TLayer {
public:
    explicit TLayer(TLPData* model);

    TLayerList* List = nullptr; // owning list (back reference)
    TLPData* Model = nullptr; // project model (back reference)
    TMaterialType MatType = lpmtNone;
    TUSCS USCS = lpusNone;
    TConsistency Consistency = lpconNone;
    std::uint8_t LastNSFConsistency = 0; // marker of the layer rows; never stored
    Extended Thickness = 0; // ft | m
    Extended SGReactTop = 0; // kcf | KN/m^3
    Extended SGReactBottom = 0; // kcf | KN/m^3
    Extended Cohesion = 0; // ksf | KPa
    Extended Kp = 2.5;
    Extended FSonKp = 0;
    Extended Gamma = 115; // pcf | KN/m^3
    bool NSF = false;
    bool UsePileDefaults = true;
    std::string OwnMaterialName = "Concrete";
    bool OwnEFromFc = true;
    Extended OwnWidth = 0;
    Extended OwnWidth2 = 0;
    Extended OwnFc = 2500;
    Extended OwnArea = 0;
    Extended OwnE = 0;
    Extended OwnI = 0;
    Extended Reserved1 = 0; // stored in project files, used by nothing else
    Extended Reserved2 = 0;
    Extended SPTFieldN = 10;
    Extended OwnPerimeter = 0;
    Extended OwnTipArea = 0;
    TPileShape OwnShape = psSquare;
    TPileInterface OwnInterface = piRoughConcrete;
    TPileType OwnPileType = ptJettedPile;
    std::int32_t Colour = 0; // 0x00BBGGRR
    std::uint8_t Hatch = bsSolid; // TBrushStyle
    Extended PoissonRatio = 0; // written by the analysis
    Extended SoilModulus = 0; // written by the analysis
    // Markers of the layer rows, never stored: a layer read from a file starts them (and the NSF
    // marker) from its own consistency and material.
    std::uint8_t LastCohesionConsistency = 0;
    std::uint8_t LastCohesionMatType = 0;

    // The layer above, or null for the first layer (or a layer not in its list).
    TLayer* Previous() const;
    // Depth of the top: 0 for the first layer, else the bottom of the layer above.
    Extended Top() const;
    Extended Bottom() const;

    bool IsCohesive() const;
    void SetConsistencyFromN();
    Extended EstimatedFrictionAngle() const;
    // The adhesion row of this layer; an all-zero row for a cohesive-soil layer whose
    // consistency is not a cohesive one.
    const TCohesionDefault& CohesionDefaults() const;
    Extended DefaultCohesion() const;
    bool LookupSoilDefaults(Extended& subgradeReaction) const;
    Extended DefaultSubgradeReaction() const;
    // The subgrade reactions the layer accepts: 0.7 to 1.3 times its default, to whole tens, and
    // of that the cyclic share (each bound rounded) in a cyclic analysis.
    void subgradeReactionRange(Extended& low, Extended& high) const;
    TOrdinalSet AllowedUSCS() const;
    TOrdinalSet AllowedConsistencies() const;

    // Effective pile properties: the project's when UsePileDefaults, else the layer's own.
    Extended PileArea() const;
    Extended PileFc() const;
    Extended PileE() const;
    Extended PileI() const;
    Extended PileWidth() const;
    Extended PileWidth2() const;
    std::string PileMaterialName() const;
    TPileInterface PileInterface() const;
    Extended PilePerimeter() const;
    TPileType PileType() const;
    Extended PileTipArea() const;
    bool PileEFromFc() const;
    bool SamePileAsPrevious() const;

    // The layer record of a project file (projectfile.cpp); FileVersion is the file's version
    // x 100. A failed read leaves the layer as it was.
    void LoadFromStream(platform::TStream& Stream, int FileVersion);
    void SaveToStream(platform::TStream& Stream) const;

private:
    template <typename T> T pileValue(T TLPData::*projectValue, const T& own) const;
};

// Owning list of the layers of one project, top layer first.
class TLayerList {
public:
    explicit TLayerList(TLPData* model);
    TLayerList(const TLayerList&) = delete;
    TLayerList& operator=(const TLayerList&) = delete;

    TLPData* Model = nullptr;

    int Count() const { return static_cast<int>(m_items.size()); }
    // Throws std::out_of_range "List index out of bounds (n)" outside 0..Count-1.
    TLayer* GetLayer(int index) const;
    TLayer* operator[](int index) const { return GetLayer(index); }
    int IndexOf(const TLayer* layer) const; // -1 when absent
    // Appends a new layer, coloured and hatched by its position.
    TLayer* AddLayer();
    void Delete(int index);
    // Moves the layer at `from` to position `to` (both 0..Count-1).
    void Move(int from, int to);
    void Clear();

    // The layer count and records of a project file (projectfile.cpp). A failed read leaves the
    // list as it was.
    void LoadFromStream(platform::TStream& Stream, int FileVersion);
    void SaveToStream(platform::TStream& Stream) const;

private:
    std::vector<std::unique_ptr<TLayer>> m_items;
};

// ---- records of the model -------------------------------------------------------------------

struct TLoadCase {
    Extended Pu = 0; // kips | KN
    Extended Mu = 0; // kip-ft | KN.m
    Extended Vu = 0; // kips | KN
    Extended Mall = 0; // result: allowable moment at Pu, kip-ft | KN.m
};

// Results of one analysis node.
struct TNodeResult {
    // lateral response
    Extended KB = 0;
    Extended K = 0;
    Extended E = 0;
    Extended I = 0;
    Extended Lambda = 0;
    Extended Depth = 0;
    Extended SinLZ = 0;
    Extended CosLZ = 0;
    Extended ExpLZ = 0;
    Extended Shear = 0;
    Extended Moment = 0;
    Extended Deflection = 0;
    Extended SoilPressure = 0;
    Extended AllowSoilPressure = 0;
    // stresses and the first capacity set
    Extended SigmaV = 0;
    Extended GammaW = 0;
    Extended PorePressure = 0;
    Extended SigmaVEff = 0;
    Extended Phi = 0;
    Extended K0 = 0;
    Extended NSF = 0;
    Extended UltSide = 0;
    Extended UltEnd = 0;
    Extended UltTotal = 0;
    Extended AllowSide = 0;
    Extended AllowEnd = 0;
    Extended AllowTotal = 0;
    Extended EffMovement = 0;
    // the displayed capacity set
    Extended TanPhi = 0;
    Extended QSideUlt = 0;
    Extended QSideAllow = 0;
    Extended QEndUlt = 0;
    Extended QEndAllow = 0;
    Extended Capacity = 0;
    Extended Settlement = 0;
    // the effective-stress set
    Extended EffSideUlt = 0;
    Extended EffEndUlt = 0;
    Extended EffTotalUlt = 0;
    Extended EffSideAllow = 0;
    Extended EffEndAllow = 0;
    Extended EffTotalAllow = 0;
    // load versus depth
    Extended PileLoad = 0;
    Extended EffPileLoad = 0;
};

// One point of the reinforced-concrete interaction curve.
struct TInteractionPoint {
    Extended c = 0; // neutral-axis depth
    Extended Eps1 = 0;
    Extended Fs1 = 0;
    Extended Eps2 = 0;
    Extended Fs2 = 0;
    Extended Eps3 = 0;
    Extended Fs3 = 0;
    Extended Theta = 0; // half-angle of the compressed circular segment; 0 for rectangles
    Extended a = 0; // depth of the stress block
    Extended Ac = 0; // net concrete compression area
    Extended Fc = 0; // axial force of concrete and compressed bars
    Extended yc = 0;
    Extended Ft = 0; // force of the bars in tension
    Extended yt = 0;
    Extended Phi = 0;
    Extended PhiPn = 0;
    Extended PhiMn = 0;
};

// Input of the steel member check. Forces kips | KN, moments kip-ft | KN.m, stresses ksi | MPa,
// lengths ft | m.
struct TSteelInput {
    Extended P = 0; // compression positive
    Extended Mx = 0;
    Extended My = 0;
    Extended Fy = 0;
    Extended Kx = 0;
    Extended Ky = 0;
    Extended Lx = 0;
    Extended Ly = 0;
    Extended Lb = 0;
    Extended Cb = 0;
    Extended Cmx = 0;
    Extended Fc = 0; // f'c of a concrete fill
    bool ConcreteFilled = false;
};

struct TSteelResult {
    Extended Kc = 0;
    Extended Rpg = 0;
    Extended HOverTw = 0;
    Extended Aw = 0;
    Extended WebDepth = 0;
    Extended KLrX = 0;
    Extended KLrY = 0;
    Extended KLr = 0;
    Extended Fe = 0;
    Extended Fcr = 0;
    Extended Q = 0;
    Extended FlangeFactor = 0;
    Extended WebFactor = 0;
    Extended PnOmega = 0;
    Extended Lambda = 0;
    Extended LambdaP = 0;
    Extended LambdaR = 0;
    Extended PRatio = 0;
    Extended Lp = 0;
    Extended Lr = 0;
    Extended LbOverRts = 0;
    Extended Fbx = 0;
    Extended MnFLB = 0;
    Extended MnLTB = 0;
    Extended MnLTBw = 0;
    Extended MnFLBw = 0;
    Extended MpY = 0;
    Extended MnY = 0;
    Extended Ec = 0;
    Extended Ic = 0;
    Extended EIeff = 0;
    Extended Pno = 0;
    Extended Pe = 0;
    Extended MnxOmega = 0;
    Extended MxRatio = 0;
    Extended Fby = 0;
    Extended MnyOmega = 0;
    Extended MyRatio = 0;
    std::string FlangeClass; // "Compact", "Noncompact" or "Slender"
};

struct TTimberInput {
    Extended CD = 0; // load duration factor
    Extended Fb = 0; // reference bending value, psi | MPa
    Extended Fv = 0; // reference shear value
    Extended Fc = 0; // reference compression value
    std::int32_t Treatment = 0; // 0 Air, 1 Kiln, 2 Boulton, 3 Normal Steaming, 4 Marine Steaming
};

// Results of the timber check; the primed allowable stresses carry the suffix "Prime".
struct TTimberResult {
    Extended P = 0;
    Extended V = 0;
    Extended M = 0;
    Extended d = 0;
    Extended b = 0;
    Extended S = 0;
    Extended CF = 0;
    Extended Cwet = 0;
    Extended Cct = 0;
    Extended FbPrime = 0;
    Extended fb = 0;
    Extended FvPrime = 0;
    Extended fv = 0;
    Extended FcPrime = 0;
    Extended fc = 0;
    Extended CombinedRatio = 0;
};

constexpr int kNodeCount = 41;

// A cyclic analysis takes this share of the static side friction and subgrade reactions.
constexpr Extended kCyclicFactor = 0.6L;
constexpr int kLoadCaseCount = 4;
// The section list's last item: the project's own section record.
inline constexpr const char* kUserDefinedSection = "User Defined";
constexpr int kInteractionPointCount = 9;

// Today as a date-time value (days since 30 Dec 1899), whole days, local time.
double DateToday();

// ---- the project model ----------------------------------------------------------------------

// What reading a project file left out without refusing the file.
struct TProjectLoadResult {
    // Why the stored logo could not be read (the picture's error); empty when it was read or
    // there was none.
    std::string LogoError;
};

class TLPData {
public:
    TLPData();
    virtual ~TLPData();
    TLPData(const TLPData&) = delete;
    TLPData& operator=(const TLPData&) = delete;

    // Project header
    std::string Organization;
    std::shared_ptr<TJpegGraphic> Logo; // owned by the model; null when there is none
    std::string ProjectName;
    std::string JobNumber;
    std::string DesignBy;
    double ProjectDate = 0; // days since 30 Dec 1899
    std::uint8_t Units = kUnitsUS;
    std::uint8_t HeadCondition = kFreeHead;

    // Pile and loads
    Extended PileLength = 0; // ft | m
    Extended Width = 0; // ft | m
    Extended Width2 = 0; // ft | m
    Extended Fc = 0; // psi | MPa
    Extended LateralLoad = 0; // kips | KN
    Extended MomentLoad = 0; // kip-ft | KN.m
    Extended PassiveWedge = 0;
    std::string MaterialName;
    bool EFromFc = false;
    Extended Area = 0; // in^2 | m^2
    Extended E = 0; // ksi | MPa
    Extended I = 0; // in^4 | m^4
    Extended DownwardLoad = 0; // kips | KN
    Extended Reserved1 = 0; // stored in project files, edited and read by nothing
    Extended Reserved2 = 0;
    Extended Reserved3 = 0;
    Extended Perimeter = 0; // ft | m
    Extended TipArea = 0; // ft^2 | m^2
    TPileShape Shape = psSquare;
    TPileInterface Interface = piRoughConcrete;
    TPileType PileType = ptJettedPile;
    Extended FSSide = 0;
    Extended FSEnd = 0;
    Extended OCR = 0;
    Extended SuSigmaV = 0;
    Extended Groundwater = 0; // ft | m
    Extended AllowableDeflection = 0; // in | mm
    Extended UpliftLoad = 0; // kips | KN
    std::int32_t DesignLife = 0; // years
    std::int32_t ConstructionControl = 0;
    bool StaticAnalysis = false;
    bool CyclicAnalysis = false;
    TShapeFamily ShapeFamily = 0;
    std::int32_t MemberType = 0;
    std::int32_t SectionIndex = 0; // -1: user-defined section
    Extended CombinedRatio = 0;
    TLayerList Layers;

    // Reinforced-concrete design input
    bool StructuralDesign = false;
    TRebarStandard RebarStandard = rsUS;
    std::int32_t BarSize = 0;
    std::int32_t BarCount = 0;
    std::int32_t TieType = kTieTypeTie;
    std::int32_t TieBarSize = 0;
    Extended Fy = 0; // ksi | MPa
    Extended Es = 0; // ksi | MPa
    Extended Cover = 0; // in | mm
    Extended SpacingOverride = 0; // in | mm
    std::int32_t LoadCaseCount = 0;
    std::array<TLoadCase, kLoadCaseCount> LoadCases {}; // LoadCases[i - 1] is case i

    // Reinforced-concrete results
    Extended Beta1 = 0;
    Extended SteelArea = 0;
    Extended SteelPercent = 0;
    Extended BarCircle = 0;
    // The limit the check last set: a spacing equal to it follows the next one. It is kept
    // while no concrete check runs and starts at 0 with a new or opened project.
    Extended SpacingLimit = 0;
    Extended ShearCapacity = 0; // at load case 1's axial load
    // The shear capacity at each load case's own axial load (CaseShearCapacity[i - 1] is case i).
    std::array<Extended, kLoadCaseCount> CaseShearCapacity {};
    Extended TieSteelPerLength = 0;
    Extended P0 = 0;
    Extended TensionLimit = 0;
    Extended RowOffset = 0;
    Extended TopRowDepth = 0;
    Extended RowArea = 0;
    Extended PhiCompression = 0;
    Extended M0 = 0;

    // Analysis results; Nodes[k - 1] is node k (1 at the head, 41 at the tip)
    std::array<TNodeResult, kNodeCount> Nodes {};
    Extended TotalNSF = 0;
    Extended DownwardCapacity = 0;
    Extended EffDownwardCapacity = 0;
    Extended UpliftCapacity = 0;
    std::array<TInteractionPoint, kInteractionPointCount> InteractionPoints {};
    TSteelInput SteelInput;
    TSteelResult SteelResult;
    TTimberInput TimberInput;
    TTimberResult TimberResult;
    TIShape IShape;
    TPipeShape PipeShape;

    // ---- construction and reset
    // UseBuiltInDefaults false first tries the demo example project beside the executable.
    void Reset(bool UseBuiltInDefaults);

    // ---- units
    void SetUnits(std::uint8_t U);
    // The SI value when Units = 1, else the US value; passes through double precision.
    Extended UnitValue(Extended SIValue, Extended USValue) const;
    std::string UnitText(const std::string& SIText, const std::string& USText) const;

    // ---- sections
    void SetShapeFamily(TShapeFamily F);
    const std::vector<TIShape>& GetIShapes() const;
    const std::vector<TPipeShape>& GetPipeShapes() const;
    void SelectSection(std::int32_t I);
    // The name of the steel section chosen in the section list: the table's name, or the list's
    // own item for the user's section (whatever name its record keeps).
    std::string ChosenSectionName() const;

    // ---- rebar
    void LoadRebarTable();
    void GetRebar(std::int32_t BarNo, TRebar& Bar) const;
    std::string BarName(std::int32_t BarNo) const;

    // ---- predicates; -1 means the model's own Interface
    bool IsConcrete(int I = -1) const;
    bool IsSteel(int I = -1) const;
    bool IsTimber(int I = -1) const;
    bool IsConcreteNow() const;
    bool IsRoundShape() const;
    bool IsRectangularShape() const;
    bool UsesIShape() const;
    bool UsesPipeSection() const;
    // Why the steel section that sizes and stiffens the pile (a steel pile designed with a
    // section) cannot describe a section, as the section's editor says it; empty when it can or
    // when the pile takes no section.
    std::string PileSectionFault() const;

    // ---- accessors
    // The layer at depth Z (a depth on a boundary belongs to the upper layer; below the last
    // layer the last one). Null when the list is empty.
    TLayer* LayerAtDepth(Extended Z) const;
    // Node number 1..41 of the largest absolute value (the upper node on ties) and that signed
    // value; 0 and Value 0 when every node is 0.
    int MaxDeflectionNode(Extended& Value) const;
    int MaxMomentNode(Extended& Value) const;
    int MaxShearNode(Extended& Value) const;
    TNodeResult& Node(int k) { return Nodes[static_cast<std::size_t>(k - 1)]; }
    const TNodeResult& Node(int k) const { return Nodes[static_cast<std::size_t>(k - 1)]; }
    Extended SuggestedFactorOfSafety() const;
    // Switching between static and cyclic analysis scales every layer's subgrade reactions by the
    // cyclic factor or its inverse (back and forth restores them up to rounding).
    void scaleSubgradeReactionsFor(bool cyclic);
    // f'c starts over at the default of the current unit system after a switch: the number typed
    // in the other unit means nothing here.
    void resetFcForUnits();
    // Load case 1 as the analysis suggests it: 1.2 x the downward load, 1.6 x the largest moment
    // and shear by magnitude (the section is symmetric; a fixed head's largest moment is negative).
    TLoadCase factoredLoadCase() const;
    int CustomLayerCount() const;
    void CalcAreaAndPerimeter();

    // ---- logo (logo.cpp)
    // Replaces the logo by the JPEG file's picture; on a failure the exception propagates and
    // the logo stays as it was.
    void LoadImageFromFile(const std::string& FileName);
    // Replaces the logo by a JPEG picture assigned from Graphic, or removes it (null).
    void SetImage(const platform::TGraphic* Graphic);

    // ---- project files (projectfile.cpp)
    // Reading is all or nothing: "Wrong file format" and every read error leave the model
    // unchanged. The one exception is a stored logo that does not decode: the project is read
    // without it and the result says why. Saving writes beside the file and replaces it only once
    // complete.
    TProjectLoadResult LoadFromFile(const std::string& FileName);
    void SaveToFile(const std::string& FileName);
    TProjectLoadResult LoadFromStream(platform::TStream& Stream);
    void SaveToStream(platform::TStream& Stream);
    // The inputs as a project file holds them, without the logo: equal bytes, equal results.
    std::vector<std::uint8_t> SavedInputs() const;

    // ---- analysis (analysis.cpp)
    // AnalysePile then CheckSection.
    void Calculate();
    // The nodes, the lateral response and the vertical capacity and settlement.
    void AnalysePile();
    // The structural check of the section (steel, reinforced concrete or timber) when the design
    // is on. It reads the analysis and the design load cases: a case derived from the analysis is
    // set between the two.
    void CheckSection();
    // From the model's length unit to millimetres or inches.
    Extended SubUnitFactor() const;

    // ---- structural checks (steelcheck.cpp, concretecheck.cpp, timbercheck.cpp)
    // Steel member check: the I-shape variant when UsesIShape, the pipe variant when
    // UsesPipeSection.
    void CheckSteelPile();
    void CalcReinforcedConcrete();
    void CalcConcreteSteelStresses(TInteractionPoint& Point);
    Extended InterpolateAllowableMoment(Extended Pu) const;
    // The concrete shear capacity of the section with the axial load Pu acting (round sections
    // take no axial term).
    Extended ConcreteShearCapacity(Extended Pu) const;
    // The clear cover beyond which the bar rows no longer lie inside the concrete section (its
    // half depth less the tie and half a bar), in inches or millimetres; 0 or less when no cover
    // leaves room for the bars.
    Extended ClearCoverLimit() const;
    // Whether `count` bars of the chosen size fit in the section with this clear cover: the
    // cover leaves room before the centre (ClearCoverLimit), and where the bars stand on a circle
    // (a round section, or a spiral) that circle holds them side by side.
    bool BarsFit(Extended cover, std::int32_t count) const;
    // The clear cover up to which `count` bars of the chosen size fit (the ClearCoverLimit itself
    // is not reached).
    Extended CoverLimitForBars(std::int32_t count) const;
    // The most bars of the chosen size that stand side by side on their circle with this cover.
    std::int32_t MostBarsOnCircle(Extended cover) const;
    bool BarsOnCircle() const;
    // The fewest bars a section takes: six with a spiral, four with ties.
    std::int32_t FewestBars() const;
    void CheckTimberPile();

private:
    // Loads the demo example project for `Reset(false)`; false when there is none or it cannot
    // be read. Filled in by the project-file code.
    bool LoadDemoExample(const std::string& fileName);
    void ApplyBuiltInDefaults();

    // The JPEG bytes the logo was read from (a project file or the user's picture file), written
    // back unchanged while the logo is that same, unmodified picture: saving a project must not
    // re-encode, and so degrade, its logo every time.
    std::weak_ptr<const TJpegGraphic> m_logoSource;
    std::shared_ptr<const std::vector<std::uint8_t>> m_logoBytes;
};
