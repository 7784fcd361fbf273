// Soil layers: consistency from SPT N, colours and hatches, depths, defaults and the effective
// pile properties.
#include "model/lpclasses.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>

namespace {

struct LayerTest : ::testing::Test {
    TLPData m;
    TLayer* layer() { return m.Layers[0]; }
};

TConsistency consistencyFor(TLayer* l, TMaterialType mat, Extended n)
{
    l->MatType = mat;
    l->SPTFieldN = n;
    l->SetConsistencyFromN();
    return l->Consistency;
}

constexpr std::int32_t rgb(int r, int g, int b)
{
    return r | (g << 8) | (b << 16);
}

} // namespace

TEST_F(LayerTest, CreateDefaults)
{
    // A new layer follows the project's pile and has no soil yet.
    const TLayer* l = m.Layers.AddLayer();
    EXPECT_TRUE(l->UsePileDefaults);
    EXPECT_EQ(l->MatType, lpmtNone);
    EXPECT_EQ(l->Thickness, 0);
}

TEST_F(LayerTest, ConsistencyFromSptNRoundsHalvesToEven)
{
    TLayer* l = layer();
    // 3.5 and 4.5 round to 4, 50.5 to 50, 1.5 to 2.
    using C = std::pair<Extended, TConsistency>;
    for (const auto& [n, expected] :
        { C { 3.5L, lpconLoose }, C { 4.5L, lpconLoose }, C { 3.49L, lpconVeryLoose }, C { 9, lpconLoose },
            C { 10, lpconMediumDense }, C { 30, lpconMediumDense }, C { 50, lpconDense },
            C { 50.5L, lpconDense }, C { 51, lpconVeryDense } })
        EXPECT_EQ(consistencyFor(l, lpmtGranularSoil, n), expected) << double(n);
    for (const auto& [n, expected] :
        { C { 1.5L, lpconSoft }, C { 1, lpconVerySoft }, C { 4, lpconSoft }, C { 8, lpconFirm },
            C { 15, lpconStiff }, C { 30, lpconVeryStiff }, C { 50, lpconHard }, C { 51, lpconVeryHard } })
        EXPECT_EQ(consistencyFor(l, lpmtCohesiveSoil, n), expected) << double(n);

    // Bedrock keeps whatever consistency it had.
    l->Consistency = lpconDense;
    EXPECT_EQ(consistencyFor(l, lpmtSandstoneBedrock, 2), lpconDense);
    EXPECT_EQ(consistencyFor(l, lpmtNone, 80), lpconDense);
}

TEST_F(LayerTest, ColourAndHatchByPosition)
{
    m.Layers.Clear();
    for (int i = 0; i < 19; ++i)
        m.Layers.AddLayer();
    // Three colours in turn; the hatch changes every third layer; the nineteenth starts over.
    const std::int32_t colours[] = { rgb(64, 128, 128), rgb(192, 192, 192), rgb(124, 83, 83) };
    for (int i : { 0, 1, 2, 3, 17, 18 })
        EXPECT_EQ(m.Layers[i]->Colour, colours[i % 3]) << i;
    using H = std::pair<int, TBrushStyle>;
    for (const auto& [i, hatch] :
        { H { 0, bsClear }, H { 2, bsClear }, H { 3, bsFDiagonal }, H { 6, bsBDiagonal },
            H { 9, bsDiagCross }, H { 12, bsVertical }, H { 15, bsHorizontal }, H { 18, bsClear } })
        EXPECT_EQ(m.Layers[i]->Hatch, hatch) << i;
}

TEST_F(LayerTest, TopsAndBottomsAreSumsOfThicknesses)
{
    m.Layers.AddLayer();
    m.Layers[0]->Thickness = 2.5L;
    m.Layers[1]->Thickness = 4;
    m.Layers[2]->Thickness = 0.25L;
    EXPECT_EQ(m.Layers[0]->Top(), 0);
    EXPECT_EQ(m.Layers[0]->Previous(), nullptr);
    EXPECT_EQ(m.Layers[1]->Previous(), m.Layers[0]);
    EXPECT_EQ(m.Layers[1]->Top(), 2.5L);
    EXPECT_EQ(m.Layers[2]->Top(), 6.5L);
    EXPECT_EQ(m.Layers[2]->Bottom(), 6.75L);

    // Moving a layer changes the depths below it.
    m.Layers.Move(2, 0);
    EXPECT_EQ(m.Layers[0]->Thickness, 0.25L);
    EXPECT_EQ(m.Layers[2]->Top(), 2.75L);
    EXPECT_EQ(m.Layers[2]->Bottom(), 6.75L);
    m.Layers.Delete(0);
    EXPECT_EQ(m.Layers.Count(), 2);
    EXPECT_EQ(m.Layers[1]->Bottom(), 6.5L);

    // A layer outside any list stands at the surface.
    TLayer loose(&m);
    loose.Thickness = 3;
    EXPECT_EQ(loose.Top(), 0);
    EXPECT_EQ(loose.Bottom(), 3);
}

TEST_F(LayerTest, ListIndexOutsideTheListRaises)
{
    EXPECT_THROW(m.Layers.GetLayer(2), std::out_of_range);
    EXPECT_THROW(m.Layers.GetLayer(-1), std::out_of_range);
    EXPECT_THROW(m.Layers.Delete(5), std::out_of_range);
    EXPECT_THROW(m.Layers.Move(0, 2), std::out_of_range);
    EXPECT_EQ(m.Layers.Count(), 2);
}

TEST_F(LayerTest, FrictionAngleFromSptN)
{
    TLayer* l = layer();
    l->MatType = lpmtGranularSoil;
    l->SPTFieldN = 10;
    EXPECT_EQ(l->EstimatedFrictionAngle(), 30.5L);
    l->MatType = lpmtSiltstoneBedrock;
    l->SPTFieldN = 3;
    EXPECT_TRUE(l->IsCohesive());
    EXPECT_EQ(l->EstimatedFrictionAngle(), 24.75L);
}

TEST_F(LayerTest, DefaultCohesionByConsistencyInBothUnitSystems)
{
    TLayer* l = layer();
    l->MatType = lpmtCohesiveSoil;
    l->Consistency = lpconVerySoft;
    EXPECT_EQ(l->DefaultCohesion(), 200);
    EXPECT_EQ(l->CohesionDefaults().Alpha, 1);
    l->Consistency = lpconHard;
    EXPECT_EQ(l->DefaultCohesion(), 3500);
    l->MatType = lpmtSiltstoneBedrock;
    EXPECT_EQ(l->DefaultCohesion(), 5000);
    l->MatType = lpmtGranularSoil;
    EXPECT_EQ(l->DefaultCohesion(), 6000);
    m.SetUnits(kUnitsSI);
    EXPECT_EQ(l->DefaultCohesion(), 290);
    l->MatType = lpmtCohesiveSoil;
    l->Consistency = lpconVeryHard;
    EXPECT_EQ(l->DefaultCohesion(), 215);
    EXPECT_EQ(double(l->CohesionDefaults().Alpha), 0.45);
}

TEST_F(LayerTest, CohesiveLayerWithoutACohesiveConsistencyAssumesNoStrength)
{
    TLayer* l = layer();
    l->MatType = lpmtCohesiveSoil;
    for (TConsistency c : { lpconNone, lpconVeryLoose, lpconVeryDense }) {
        l->Consistency = c;
        EXPECT_EQ(l->DefaultCohesion(), 0);
        EXPECT_EQ(l->CohesionDefaults().Alpha, 0);
    }
}

TEST_F(LayerTest, SoilDefaultsFindTheFirstMatchingRow)
{
    TLayer* l = layer();
    l->MatType = lpmtCohesiveSoil;
    l->USCS = lpusCH;
    l->Consistency = lpconVerySoft;
    EXPECT_EQ(l->DefaultSubgradeReaction(), 35);
    m.SetUnits(kUnitsSI);
    EXPECT_EQ(l->DefaultSubgradeReaction(), 6600);

    // A granular layer classed ML has no row.
    l->MatType = lpmtGranularSoil;
    l->USCS = lpusML;
    l->Consistency = lpconDense;
    Extended reaction = -1;
    EXPECT_FALSE(l->LookupSoilDefaults(reaction));
    EXPECT_EQ(reaction, -1);
    EXPECT_EQ(l->DefaultSubgradeReaction(), 0);

    l->MatType = lpmtHardRockBedrock;
    l->USCS = lpusBedrock4;
    l->Consistency = lpconDense;
    EXPECT_TRUE(l->LookupSoilDefaults(reaction));
    EXPECT_EQ(reaction, 94260);
}

TEST_F(LayerTest, AllowedClassesAndConsistenciesFollowTheMaterial)
{
    TLayer* l = layer();
    l->MatType = lpmtGranularSoil;
    EXPECT_EQ(l->AllowedUSCS().to_ulong(), 0b111111ul); // none, GwGpGc, SW, SP, SC, SM
    EXPECT_EQ(l->AllowedConsistencies().to_ulong(), 0b111111ul);
    l->MatType = lpmtCohesiveSoil;
    EXPECT_EQ(l->AllowedUSCS().to_ulong(), 0b1111000001ul); // none, ML, CL, CH, MH
    EXPECT_EQ(l->AllowedConsistencies().to_ulong(), 0b1111111000001ul);
    l->MatType = lpmtSoftRockBedrock;
    EXPECT_EQ(l->AllowedUSCS().to_ulong(), (1ul << lpusBedrock3) | 1ul);
    EXPECT_EQ(l->AllowedConsistencies().to_ulong(), (1ul << lpconDense) | 1ul);
    l->MatType = lpmtNone;
    EXPECT_EQ(l->AllowedUSCS().to_ulong(), 1ul);
}

TEST_F(LayerTest, EffectivePilePropertiesFollowTheProjectOrTheLayer)
{
    TLayer* l = layer();
    m.Width = 1.25L;
    m.E = 3600;
    m.MaterialName = "Steel";
    m.Interface = piRoughSteel;
    EXPECT_EQ(l->PileWidth(), 1.25L);
    EXPECT_EQ(l->PileE(), 3600);
    EXPECT_EQ(l->PileMaterialName(), "Steel");
    EXPECT_EQ(l->PileInterface(), piRoughSteel);
    m.Width = 2;
    EXPECT_EQ(l->PileWidth(), 2);

    l->UsePileDefaults = false;
    EXPECT_EQ(l->PileWidth(), 0);
    EXPECT_EQ(l->PileFc(), 2500);
    EXPECT_EQ(l->PileMaterialName(), "Concrete");
    EXPECT_TRUE(l->PileEFromFc());
    EXPECT_EQ(l->PileInterface(), piRoughConcrete);
    l->OwnTipArea = 0.5L;
    EXPECT_EQ(l->PileTipArea(), 0.5L);
}

TEST_F(LayerTest, SamePileAsPrevious)
{
    TLayer* first = m.Layers[0];
    TLayer* second = m.Layers[1];
    EXPECT_FALSE(first->SamePileAsPrevious());
    EXPECT_TRUE(second->SamePileAsPrevious());
    m.Width = 3; // both follow the project's pile
    EXPECT_TRUE(second->SamePileAsPrevious());

    // Own values equal to the project's are the same pile ...
    first->UsePileDefaults = false;
    first->OwnMaterialName = m.MaterialName;
    first->OwnEFromFc = m.EFromFc;
    first->OwnWidth = m.Width;
    first->OwnWidth2 = m.Width2;
    first->OwnFc = m.Fc;
    first->OwnArea = m.Area;
    first->OwnE = m.E;
    first->OwnI = m.I;
    first->OwnInterface = m.Interface;
    first->OwnPileType = m.PileType;
    first->OwnPerimeter = m.Perimeter;
    first->OwnTipArea = m.TipArea;
    EXPECT_TRUE(second->SamePileAsPrevious());
    // ... until the tip area alone differs.
    first->OwnTipArea = m.TipArea + 0.1L;
    EXPECT_FALSE(second->SamePileAsPrevious());
    first->OwnTipArea = m.TipArea;
    first->OwnMaterialName = "Timber";
    EXPECT_FALSE(second->SamePileAsPrevious());
}
