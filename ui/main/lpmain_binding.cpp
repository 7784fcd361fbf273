// The two passes between the controls of the main window and the project model: FormToData reads
// every input into the model, calculates and refreshes; DataToForm writes the model, its results
// and the layer rows into the window. Neither changes the Modified flag.
#include "ui/main/lpmain.h"

#include "imaging/jpeggraphic.h"
#include "model/fieldlimits.h"
#include "model/lpclasses.h"
#include "ui/dialogs/editvalue.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>

#include <cmath>
#include <exception>
#include <limits>

namespace {

// Project dates are days since 30 December 1899.
const QDate kDateBase(1899, 12, 30);

QDate toDate(double days)
{
    return kDateBase.addDays(static_cast<qint64>(std::floor(days)));
}

double toDays(const QDate& date)
{
    return static_cast<double>(kDateBase.daysTo(date));
}

std::string text(const QLineEdit* edit)
{
    return edit->text().toStdString();
}

bool isConcreteIndex(int index)
{
    return index == piRoughConcrete || index == piSmoothConcrete;
}

bool isSteelIndex(int index)
{
    return index == piRoughSteel || index == piSmoothSteel;
}

// A ratio shown as a whole percentage: halves to even, "N.A." when it cannot be computed.
QString percentText(Extended ratio)
{
    if (!std::isfinite(ratio))
        return QStringLiteral("N.A.");
    return QString::number(RoundHalfEven(100 * ratio)) + QLatin1Char('%');
}

bool percentFails(Extended ratio)
{
    return std::isfinite(ratio) && RoundHalfEven(100 * ratio) >= 101;
}

QColor textColour(bool failed)
{
    return failed ? platform::colorFromBgr(platform::clRed) : platform::windowTextColor();
}

QString fixed(Extended value, int decimals)
{
    return QString::fromStdString(FormatFixed(value, decimals, LocaleNumberFormat()));
}

int tagDecimals(int tag)
{
    return FieldLimitOf(tag).Decimals;
}

} // namespace

bool TfrmLPMain::tabShown(QWidget* Tab) const
{
    return PageControl1->isTabVisible(PageControl1->indexOf(Tab));
}

void TfrmLPMain::FormToData()
{
    const PassScope pass(*this);
    m_newProjectUntouched = false;
    const bool wasModified = Modified;

    // The refresh may still change what the inputs hold: a row's default, a value clamped to
    // limits that changed, a section tab it brought up. The inputs are read again, and only when
    // that changed the project is it calculated once more, so that what the window shows and
    // keeps is always the calculation of the project as it stands (and as it would be saved).
    constexpr int kMostSettlingPasses = 3;
    readForm();
    for (int settling = 0;; ++settling) {
        calculate();
        DataToForm();
        if (settling == kMostSettlingPasses)
            break;
        readForm();
        if (LPData->SavedInputs() == m_calculatedInputs)
            break;
    }

    Modified = wasModified;
    if (Modified)
        PageControl1->setTabVisible(PageControl1->indexOf(TabSheet3), false);
}

void TfrmLPMain::calculate()
{
    // What cannot be calculated shows as it stands; the refresh runs in any case. Load case 1,
    // while it follows the analysis, takes its values before the section is checked with it.
    TLPData& d = *LPData;
    try {
        d.AnalysePile();
    } catch (const std::exception&) {
    }
    followLoadCase1();
    try {
        d.CheckSection();
    } catch (const std::exception&) {
    }
    m_calculatedInputs = d.SavedInputs();
}

void TfrmLPMain::commitIfInputsChanged()
{
    // A refresh outside a commit (a tab chosen, rows refilled) may have changed an input: a row's
    // list refilled after its class was chosen brings in another default. That is committed, so
    // that the window never keeps results of inputs other than its own.
    if (m_passDepth == 1 && LPData->SavedInputs() != m_calculatedInputs)
        FormToData();
}

void TfrmLPMain::readForm()
{
    TLPData& d = *LPData;

    // Project block.
    d.Organization = text(Edit10);
    if (!m_logoPicture || m_logoPicture->Empty()) {
        if (d.Logo)
            d.SetImage(nullptr);
    } else if (m_logoPicture != d.Logo) {
        // The model keeps the picture (and the bytes it came from) it already holds.
        d.SetImage(m_logoPicture.get());
        m_logoPicture = d.Logo;
    }
    d.ProjectName = text(Edit31);
    d.JobNumber = text(Edit9);
    d.DesignBy = text(Edit11);
    d.ProjectDate = toDays(DateTimePicker1->date());

    // Units: a change takes effect here, with the other system's limits and f'c.
    d.SetUnits(static_cast<std::uint8_t>(std::max(ComboBox1->currentIndex(), 0)));
    if (d.Units != m_lastUnits) {
        d.resetFcForUnits();
        SetEditValue(Edit3, false, d.Fc);
        m_lastUnits = d.Units; // the pass below already runs under the new system
        FillSectionCombos();
        DataToForm();
    }
    Panel15->setVisible(isConcreteIndex(ComboBox3->currentIndex()));
    m_lastUnits = static_cast<std::uint8_t>(std::max(ComboBox1->currentIndex(), 0));

    d.HeadCondition = static_cast<std::uint8_t>(std::max(ComboBox2->currentIndex(), 0));
    d.Interface = static_cast<TPileInterface>(std::max(ComboBox3->currentIndex(), 0));
    d.PileLength = GetShownEditValue(Edit1);

    const bool steel = isSteelIndex(ComboBox3->currentIndex());
    ComboBox18->setVisible(steel);
    ComboBox5->setVisible(ComboBox18->isHidden());
    // The pile takes the dimensions of its steel section (mm to m, in to ft).
    const auto takeSectionSize = [&] {
        const Extended f = d.UnitValue(1000, 12);
        // A section that cannot exist gives the pile no size: it shows none, and nothing is
        // computed from one.
        if (ComboBox18->currentIndex() == 0 ? bool(SectionFault(d.IShape))
                                            : bool(SectionFault(d.PipeShape))) {
            d.Width = d.Width2 = std::numeric_limits<Extended>::quiet_NaN();
            return;
        }
        if (ComboBox18->currentIndex() == 0) {
            if (d.IShape.bf != 0)
                d.Width = d.IShape.bf / f;
            if (d.IShape.d != 0)
                d.Width2 = d.IShape.d / f;
        } else if (d.PipeShape.OD != 0) {
            d.Width = d.PipeShape.OD / f;
        }
    };
    if (steel) {
        if (ComboBox18->currentIndex() < 0)
            ComboBox18->setCurrentIndex(0);
        ComboBox5->setCurrentIndex(ComboBox18->currentIndex() == 1 ? psCircle : psRectangle);
        if (d.StructuralDesign)
            takeSectionSize();
    }
    const bool fromSection = steel && d.StructuralDesign;
    for (QLineEdit* e : { Edit2, Edit21 }) {
        e->setReadOnly(fromSection);
        platform::setControlColor(
            e, fromSection ? platform::colorFromBgr(platform::clSkyBlue) : platform::windowColor());
    }
    if (!fromSection) {
        d.Width = GetShownEditValue(Edit2);
        d.Width2 = Edit21->isHidden() ? d.Width : GetShownEditValue(Edit21);
    }

    d.EFromFc = RadioButton1->isChecked();
    d.Fc = GetShownEditValue(Edit3);
    if (!Edit6->isReadOnly())
        d.Area = GetShownEditValue(Edit6);
    d.E = GetShownEditValue(Edit8);

    d.StaticAnalysis = CheckBox1->isChecked();
    d.CyclicAnalysis = CheckBox2->isChecked();
    if (static_cast<std::uint8_t>(d.CyclicAnalysis) != m_lastCyclic) {
        d.scaleSubgradeReactionsFor(d.CyclicAnalysis);
        RebuildLayerPanels();
        m_lastCyclic = d.CyclicAnalysis;
    }
    d.TimberInput.Treatment = ComboBox17->currentIndex();

    d.LateralLoad = GetShownEditValue(Edit4);
    if (!Edit5->isEnabled())
        SetEditValue(Edit5, false, 0);
    d.MomentLoad = GetShownEditValue(Edit5);
    d.AllowableDeflection = GetShownEditValue(Edit22);
    d.UpliftLoad = GetShownEditValue(Edit78);
    d.PassiveWedge = GetShownEditValue(Edit7);
    d.DownwardLoad = GetShownEditValue(Edit13);
    d.FSSide = GetShownEditValue(Edit14);
    d.FSEnd = GetShownEditValue(Edit17);
    d.OCR = GetShownEditValue(Edit18);
    d.SuSigmaV = GetShownEditValue(Edit19);
    d.Groundwater = GetShownEditValue(Edit20);

    d.PileType = static_cast<TPileType>(std::max(ComboBox4->currentIndex(), 0));
    d.Shape = static_cast<TPileShape>(std::max(ComboBox5->currentIndex(), 0));
    const auto areaAndPerimeter = [&] {
        d.CalcAreaAndPerimeter();
        if (!Edit15->isReadOnly())
            d.Perimeter = GetShownEditValue(Edit15);
        if (Edit16->isReadOnly())
            d.TipArea = ComboBox1->currentIndex() == 0 ? d.Area / 144 : d.Area;
        else
            d.TipArea = GetShownEditValue(Edit16);
    };
    areaAndPerimeter();
    const int shape = ComboBox5->currentIndex();
    Label6->setText(
        shape == psSquare || shape == psRectangle ? QStringLiteral("Width") : QStringLiteral("Diameter"));

    const auto readSection = [&](QComboBox* family, QComboBox* member, QComboBox* sections) {
        const int chosen = family->currentIndex() < 0 ? d.ShapeFamily : family->currentIndex();
        if (chosen != d.ShapeFamily)
            sections->clear();
        d.SetShapeFamily(static_cast<TShapeFamily>(chosen));
        if (sections->count() == 0)
            FillSectionCombos();
        d.MemberType = std::max(member->currentIndex(), 0);
        const int index = sections->currentIndex();
        d.SelectSection(index == sections->count() - 1 ? -1 : index);
    };
    const Extended length = d.PileLength;
    if (tabShown(TabSheet4)) {
        readSection(ComboBox6, ComboBox7, ComboBox8);
        TSteelInput& s = d.SteelInput;
        s.P = GetShownEditValue(Edit34);
        s.Mx = GetShownEditValue(Edit23);
        s.My = GetShownEditValue(Edit32);
        s.Fy = GetShownEditValue(Edit33);
        s.Kx = GetShownEditValue(Edit35);
        s.Ky = GetShownEditValue(Edit36);
        s.Lx = GetShownEditValue(Edit37, static_cast<double>(0.2L * length), static_cast<double>(length));
        s.Ly = s.Lx;
        s.Lb = GetShownEditValue(Edit39, 0, static_cast<double>(length));
        s.Cb = GetShownEditValue(Edit40);
        s.Cmx = GetShownEditValue(Edit41);
    }
    if (tabShown(TabSheet5)) {
        readSection(ComboBox9, ComboBox10, ComboBox11);
        TSteelInput& s = d.SteelInput;
        s.ConcreteFilled = CheckBox3->isChecked();
        s.P = GetShownEditValue(Edit45);
        s.Mx = GetShownEditValue(Edit42);
        s.Fy = GetShownEditValue(Edit44);
        s.Kx = GetShownEditValue(Edit46);
        s.Lx = GetShownEditValue(Edit48, static_cast<double>(0.2L * length), static_cast<double>(length));
        s.Fc = GetShownEditValue(Edit51);
        s.Cmx = GetShownEditValue(Edit52);
    }
    // A section chosen in this pass sizes the pile for this calculation, not one commit later.
    if (fromSection) {
        takeSectionSize();
        areaAndPerimeter();
    }
    if (tabShown(TabSheet6))
        readConcreteInputs();
    if (tabShown(TabSheet7)) {
        d.TimberInput.CD = GetShownEditValue(Edit61);
        d.TimberInput.Fb = GetShownEditValue(Edit62);
        d.TimberInput.Fv = GetShownEditValue(Edit63);
        d.TimberInput.Fc = GetShownEditValue(Edit64);
    }

    for (int i = 0; i < d.Layers.Count(); ++i)
        PanelToLayer(d.Layers[i]);
}

namespace {

// A value that could not be computed (NaN) is still the one written.
bool sameLoadValue(Extended a, Extended b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

} // namespace

std::array<TfrmLPMain::Case1Value, 3> TfrmLPMain::case1Values()
{
    TLoadCase& first = LPData->LoadCases[0];
    const TLoadCase factored = LPData->factoredLoadCase();
    // Each value as its input shows it, which is what the next pass reads back.
    const auto shown = [](Extended value, const QLineEdit* edit) {
        return ShownFieldValue(platform::controlTag(edit), value, !edit->isReadOnly());
    };
    return { { { first.Pu, m_case1[0], shown(factored.Pu, EditPu[0]) },
        { first.Mu, m_case1[1], shown(factored.Mu, EditMu[0]) },
        { first.Vu, m_case1[2], shown(factored.Vu, EditVu[0]) } } };
}

bool TfrmLPMain::followLoadCase1()
{
    // Load case 1 follows the analysis until the user types over it: a value that no longer
    // holds what was last written into it was typed, and stays as typed, 0 included.
    bool changed = false;
    for (Case1Value c : case1Values()) {
        if (!c.state.follows)
            continue;
        if (!sameLoadValue(c.value, c.state.copy)) {
            c.state.follows = false;
            continue;
        }
        changed = changed || !sameLoadValue(c.factored, c.value);
        c.value = c.factored;
        c.state.copy = c.factored;
    }
    return changed;
}

void TfrmLPMain::holdLoadCase1()
{
    for (FollowedValue& state : m_case1)
        state.follows = false;
}

void TfrmLPMain::adoptLoadCase1()
{
    // A project's case 1 follows its analysis where it holds 0 (it was never computed: the
    // built-in defaults, an older program's file) or the factored value of its own analysis, as
    // a project saved while its case 1 followed holds it. Anything else was typed.
    bool behind = false;
    for (Case1Value c : case1Values()) {
        c.state.follows = c.value == 0 || sameLoadValue(c.value, c.factored);
        c.state.copy = c.value;
        behind = behind || (c.state.follows && !sameLoadValue(c.value, c.factored));
    }
    // A 0 that follows takes the factored value, and the section is checked with it.
    if (behind)
        FormToData();
}

void TfrmLPMain::showAndCommit()
{
    const PassScope pass(*this);
    DataToForm();
    FormToData();
}

void TfrmLPMain::readConcreteInputs()
{
    TLPData& d = *LPData;
    d.Fy = GetShownEditValue(Edit53);
    d.Es = GetShownEditValue(Edit54);
    d.TieType = std::max(ComboBox13->currentIndex(), 0);
    if (!Edit59->isHidden()) {
        d.BarCount = static_cast<std::int32_t>(RoundHalfEven(GetShownEditValue(Edit59, d.FewestBars(), 0)));
    } else {
        d.BarCount = 4 + 2 * std::max(ComboBox16->currentIndex(), 0);
    }
    d.Cover = GetShownEditValue(Edit58);
    d.SpacingOverride = GetShownEditValue(Edit56);
    d.BarSize = GetSelectedBarSize(ComboBox14);
    d.TieBarSize = GetSelectedBarSize(ComboBox15);
    d.LoadCaseCount = static_cast<std::int32_t>(RoundHalfEven(GetShownEditValue(Edit60)));
    for (int n = 0; n < kLoadCaseCount; ++n) {
        d.LoadCases[n].Pu = GetShownEditValue(EditPu[n]);
        d.LoadCases[n].Mu = GetShownEditValue(EditMu[n]);
        d.LoadCases[n].Vu = GetShownEditValue(EditVu[n]);
    }
}

void TfrmLPMain::DataToForm()
{
    const PassScope pass(*this);
    m_newProjectUntouched = false;
    const bool wasModified = Modified;
    TLPData& d = *LPData;

    SetUnitCaptions();
    d.LoadRebarTable();
    FillRebarCombos();

    // Structural-design tabs and the matching panel of the Results tab.
    const bool design = d.StructuralDesign;
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet4), design && d.UsesIShape());
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet5), design && d.UsesPipeSection());
    PageControl1->setTabIcon(
        PageControl1->indexOf(TabSheet6), ImageList2.value(d.IsRectangularShape() ? 5 : 6));
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet6), design && d.IsConcreteNow());
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet7), design && d.IsTimber());
    pnlResSteel->setVisible(tabShown(TabSheet4) || tabShown(TabSheet5));
    pnlResConcrete->setVisible(tabShown(TabSheet6));
    pnlResTimber->setVisible(tabShown(TabSheet7));
    SpeedButton11->setEnabled(d.Layers.Count() < kMaxLayers);

    // A case 1 that now follows other results is checked with them.
    if (followLoadCase1()) {
        try {
            d.CheckSection();
        } catch (const std::exception&) {
        }
    }

    // Project block.
    Edit10->setText(QString::fromStdString(d.Organization));
    m_logoPicture = d.Logo;
    showLogoPicture();
    SizeLogo();
    Edit31->setText(QString::fromStdString(d.ProjectName));
    Edit9->setText(QString::fromStdString(d.JobNumber));
    Edit11->setText(QString::fromStdString(d.DesignBy));
    platform::setPickerDate(DateTimePicker1, toDate(d.ProjectDate));

    ComboBox1->setCurrentIndex(d.Units);
    ComboBox2->setCurrentIndex(d.HeadCondition);
    ComboBox3->setCurrentIndex(d.Interface);
    m_lastInterface = d.Interface;

    SetEditValue(Edit1, false, d.PileLength);
    SetEditValue(Edit2, false, d.Width);
    SetEditValue(Edit21, false, d.Width2);
    SetEditValue(Edit4, false, d.LateralLoad);
    SetEditValue(Edit5, false, d.MomentLoad);
    SetEditValue(Edit22, false, d.AllowableDeflection);
    SetEditValue(Edit78, false, d.UpliftLoad);
    SetEditValue(Edit7, false, d.PassiveWedge);
    SetEditValue(Edit6, false, d.Area);
    SetEditValue(Edit12, false, d.I);
    SetEditValue(Edit3, false, d.Fc);
    SetEditValue(Edit8, false, d.E);

    (d.EFromFc ? RadioButton1 : RadioButton2)->setChecked(true);
    UpdateStrengthModulus(RadioButton1->isChecked() ? Edit3 : Edit8);
    RadioButton1Click(nullptr);

    // The two form a pair of radio buttons: one of them is always checked.
    (d.CyclicAnalysis ? CheckBox2 : CheckBox1)->setChecked(true);
    ComboBox17->setCurrentIndex(d.TimberInput.Treatment);

    SetEditValue(Edit13, false, d.DownwardLoad);
    SetEditValue(Edit14, false, d.FSSide);
    SetEditValue(Edit17, false, d.FSEnd);
    SetEditValue(Edit18, false, d.OCR);
    SetEditValue(Edit19, false, d.SuSigmaV);
    SetEditValue(Edit20, false, d.Groundwater);

    ComboBox4->setCurrentIndex(d.PileType);
    ComboBox5->setCurrentIndex(d.Shape);
    ComboBox18->setCurrentIndex(d.IsRoundShape() ? 1 : 0);
    SetEditValue(Edit15, false, d.Perimeter);
    SetEditValue(Edit16, false, d.TipArea);

    Edit5->setEnabled(ComboBox2->currentIndex() == kFreeHead);
    const bool rectangle = ComboBox5->currentIndex() == psRectangle;
    for (QWidget* w : std::initializer_list<QWidget*> { Edit21, Label83, Label86 })
        w->setVisible(rectangle);
    const bool roundTimber = d.IsTimber() && d.IsRoundShape();
    ComboBox17->setVisible(roundTimber);
    Label196->setVisible(roundTimber);

    chkUseReinforcement->setChecked(design);
    for (QWidget* tab : { TabSheet4, TabSheet5, TabSheet6, TabSheet7 })
        SetChildrenEnabled(tab, chkUseReinforcement->isChecked());

    // Steel section tabs.
    const auto writeSection
        = [&](QComboBox* family, QComboBox* member, QComboBox* sections, QToolButton* user) {
              if (family->currentIndex() != d.ShapeFamily) {
                  sections->clear();
                  FillSectionCombos();
              }
              family->setCurrentIndex(d.ShapeFamily);
              // An index past the table is the stored (user-defined) section.
              const int last = sections->count() - 1;
              const bool userDefined = d.SectionIndex < 0 || d.SectionIndex >= last;
              sections->setCurrentIndex(userDefined ? last : d.SectionIndex);
              user->setVisible(userDefined);
              sections->resize(member->width() - (userDefined ? user->width() : 0), sections->height());
              member->setCurrentIndex(d.MemberType);
          };
    const TSteelInput& s = d.SteelInput;
    if (tabShown(TabSheet4)) {
        writeSection(ComboBox6, ComboBox7, ComboBox8, SpeedButton12);
        SetEditValue(Edit34, false, s.P);
        SetEditValue(Edit23, false, s.Mx);
        SetEditValue(Edit32, false, s.My);
        SetEditValue(Edit33, false, s.Fy);
        SetEditValue(Edit35, false, s.Kx);
        SetEditValue(Edit36, false, s.Ky);
        SetEditValue(Edit37, false, s.Lx);
        SetEditValue(Edit38, false, s.Ly);
        SetEditValue(Edit39, false, s.Lb);
        SetEditValue(Edit40, false, s.Cb);
        SetEditValue(Edit41, false, s.Cmx);
    }
    if (tabShown(TabSheet5)) {
        writeSection(ComboBox9, ComboBox10, ComboBox11, SpeedButton13);
        CheckBox3->setChecked(s.ConcreteFilled);
        SetEditValue(Edit45, false, s.P);
        SetEditValue(Edit42, false, s.Mx);
        SetEditValue(Edit44, false, s.Fy);
        SetEditValue(Edit46, false, s.Kx);
        SetEditValue(Edit48, false, s.Lx);
        SetEditValue(Edit51, false, s.Fc);
        SetEditValue(Edit52, false, s.Cmx);
    }
    if (tabShown(TabSheet6))
        writeConcreteRows();
    if (tabShown(TabSheet7))
        writeTimberBoxes();
    writeSteelResults();

    try {
        writeResultLines();
    } catch (const std::exception&) {
        for (QLabel* l : { Label43, Label44, Label66, Label55, Label80, Label201, Label205, Label206 })
            l->clear();
    }

    requestProfiles();
    RebuildLayerPanels();

    Modified = wasModified;
    commitIfInputsChanged();
}

void TfrmLPMain::writeConcreteRows()
{
    TLPData& d = *LPData;
    // The list shows the standard the bars are of (after Open, the file's).
    ComboBox12->setCurrentIndex(d.RebarStandard);
    SetEditValue(Edit53, false, d.Fy);
    SetEditValue(Edit54, false, d.Es);
    ComboBox13->setCurrentIndex(d.TieType);

    const bool round = d.IsRoundShape();
    Edit59->setVisible(round);
    ComboBox16->setVisible(!round);
    if (d.BarCount == 0)
        d.BarCount = 4;
    SetEditValue(Edit59, true, d.BarCount);
    if (!ComboBox16->isHidden())
        ComboBox16->setCurrentIndex((d.BarCount - 4) / 2);

    SetEditValue(Edit58, false, d.Cover);
    SetEditValue(Edit55, false, d.SpacingLimit);
    SetEditValue(Edit56, false, d.SpacingOverride);
    SetEditValue(Edit57, false, d.SteelPercent);

    Label158->clear();
    QString spacing = QStringLiteral("Spacing Good");
    const Extended inUse = d.SpacingOverride;
    const bool tooWide = RoundHalfEven(10 * inUse) > RoundHalfEven(10 * d.SpacingLimit);
    if (!d.BarsFit(d.Cover, d.BarCount)) {
        // The check has no answer for a section whose bars cannot lie inside it: say why.
        spacing = barsDoNotFitText(d.Cover, d.BarCount, BarFitInput::Either);
    } else if (d.Units == kUnitsSI) {
        if (d.TieType == kTieTypeSpiral) {
            if (inUse < 25 || inUse > 75)
                spacing = QStringLiteral("Must be between 25 and 75 mm");
        } else if (tooWide) {
            spacing = QStringLiteral("Must be less than 16db, 48dl and Pier Diameter (")
                + fixed(d.Width * 1000, 0) + QStringLiteral("mm)");
        }
    } else {
        if (d.TieType == kTieTypeSpiral) {
            if (inUse < 1 || inUse > 3)
                spacing = QStringLiteral("Must be between 1 and 3 in");
        } else if (tooWide) {
            spacing = QStringLiteral("Must be less than 16db, 48dl and pier diameter (")
                + fixed(d.Width * 12, 0) + QStringLiteral("in)");
        }
    }
    Label159->setText(spacing);

    SelectBarSize(ComboBox14, d.BarSize);
    SelectBarSize(ComboBox15, d.TieBarSize);

    SetEditValue(Edit60, false, d.LoadCaseCount);
    QFrame* rows[] = { Panel3, Panel7, Panel8, Panel9 };
    for (int n = 0; n < kLoadCaseCount; ++n)
        SetChildrenEnabled(rows[n], n + 1 <= d.LoadCaseCount && d.StructuralDesign);
    for (int n = 0; n < kLoadCaseCount; ++n) {
        SetEditValue(EditPu[n], false, d.LoadCases[n].Pu);
        SetEditValue(EditMu[n], false, d.LoadCases[n].Mu);
        SetEditValue(EditVu[n], false, d.LoadCases[n].Vu);
    }

    for (int n = 0; n < kLoadCaseCount; ++n) {
        EditMall[n]->clear();
        LabMutil[n]->setText(QStringLiteral("-"));
        platform::setFontColor(LabMutil[n], textColour(false));
        if (!EditMall[n]->isEnabled())
            continue;
        const TLoadCase& lc = d.LoadCases[n];
        if (!(std::isinf(lc.Mall) && lc.Mall > 0)) {
            SetEditValue(EditMall[n], false, lc.Mall);
            if (lc.Mall != 0) {
                // The section is symmetric: the moment counts by its magnitude, so a negative
                // moment is not shown as a negative, passing utilisation.
                const Extended ratio = std::fabs(lc.Mu) / std::fabs(lc.Mall);
                LabMutil[n]->setText(percentText(ratio));
                platform::setFontColor(LabMutil[n], textColour(percentFails(ratio)));
            }
        }
        CheckPuCapacity(EditMall[n], EditPu[n]);
    }

    // A utilisation of each enabled case: its load over its capacity ("-" while the section has
    // no capacity of that kind).
    const auto utilisation = [&](QLabel* const* labels, auto load, auto capacity) {
        for (int n = 0; n < kLoadCaseCount; ++n) {
            labels[n]->setText(QStringLiteral("-"));
            platform::setFontColor(labels[n], textColour(false));
            if (!labels[n]->isEnabled() || capacity(n) == 0)
                continue;
            const Extended ratio = load(d.LoadCases[n]) / capacity(n);
            labels[n]->setText(percentText(ratio));
            platform::setFontColor(labels[n], textColour(percentFails(ratio)));
        }
    };
    utilisation(
        LabPutil, [](const TLoadCase& c) { return c.Pu; }, [&](int) { return d.P0; });
    // A shear counts by its magnitude, as the moment does, against the capacity at its own case's
    // axial load.
    utilisation(
        LabVutil, [](const TLoadCase& c) { return std::fabs(c.Vu); },
        [&](int n) { return d.CaseShearCapacity[static_cast<std::size_t>(n)]; });

    // The copies on the Results tab.
    for (int n = 0; n < kLoadCaseCount; ++n) {
        EditPub[n]->setText(EditPu[n]->text());
        EditMub[n]->setText(EditMu[n]->text());
        EditVub[n]->setText(EditVu[n]->text());
        EditMallb[n]->setText(EditMall[n]->text());
        const auto copy = [](QLabel* from, QLabel* to) {
            to->setText(from->text());
            platform::setFontColor(to, from->palette().color(QPalette::WindowText));
        };
        copy(LabPutil[n], LabPUtilb[n]);
        copy(LabMutil[n], LabMUtilb[n]);
        copy(LabVutil[n], LabVUtilb[n]);
    }
    Label37->setText(Label149->text());
    Label38->setText(Label150->text());
    Label42->setText(Label163->text());
    Label40->setText(Label160->text());
    Panel11->setVisible(EditPu[1]->isEnabled());
    Panel12->setVisible(EditPu[2]->isEnabled());
    Panel13->setVisible(EditPu[3]->isEnabled());
}

QString TfrmLPMain::barsDoNotFitText(Extended cover, std::int32_t count, BarFitInput typed) const
{
    const TLPData& d = *LPData;
    // As many bars as their circle holds side by side with this cover, when the count is what
    // the user changed, or when it is the input to change (enough bars would stand there).
    const bool circle = d.BarsOnCircle() && d.ClearCoverLimit() > cover;
    const std::int32_t most = circle ? d.MostBarsOnCircle(cover) : 0;
    if (circle && (typed == BarFitInput::Count || (typed == BarFitInput::Either && most >= d.FewestBars())))
        return QStringLiteral("Bars do not fit: at most %1 side by side").arg(most);
    // Else the largest cover the edit can show with which these bars fit.
    const int decimals = tagDecimals(platform::controlTag(Edit58));
    const Extended step = std::pow(Extended(10), -Extended(decimals));
    // Rounding down to the shown decimals may still land on a limit the cover must stay below.
    Extended largest = std::floor(d.CoverLimitForBars(count) / step) * step;
    while (largest >= 0 && !d.BarsFit(largest, count))
        largest -= step;
    if (!(largest >= 0))
        return QStringLiteral("Bars do not fit: the section is too small for them");
    return QStringLiteral("Bars do not fit: clear cover at most %1 %2")
        .arg(fixed(largest, decimals), d.Units == kUnitsSI ? QStringLiteral("mm") : QStringLiteral("in"));
}

void TfrmLPMain::writeTimberBoxes()
{
    const TLPData& d = *LPData;
    const TTimberInput& in = d.TimberInput;
    const TTimberResult& t = d.TimberResult;
    SetEditValue(Edit61, false, in.CD);
    SetEditValue(Edit62, false, in.Fb);
    SetEditValue(Edit63, false, in.Fv);
    SetEditValue(Edit64, false, in.Fc);
    SetEditValue(Edit65, false, t.d);
    SetEditValue(Edit66, false, t.b);
    SetEditValue(Edit67, false, t.S);
    SetEditValue(Edit68, false, t.CF);
    SetEditValue(Edit69, false, t.Cwet);
    SetEditValue(Edit70, false, t.Cct);
    SetEditValue(Edit71, false, t.FbPrime);
    SetEditValue(Edit75, false, t.fb);
    SetEditValue(Edit72, false, t.FvPrime);
    SetEditValue(Edit76, false, t.fv);
    SetEditValue(Edit73, false, t.FcPrime);
    SetEditValue(Edit77, false, t.fc);
    SetEditValue(Edit74, false, t.CombinedRatio);
    // An undefined ratio cannot be shown as passing.
    const bool failed = !(t.CombinedRatio <= 0.999L);
    platform::setFontColor(Edit74, textColour(failed));

    const std::pair<QLineEdit*, QLineEdit*> copies[] = { { Edit71, Edit24 }, { Edit72, Edit25 },
        { Edit73, Edit26 }, { Edit74, Edit27 }, { Edit75, Edit28 }, { Edit76, Edit29 }, { Edit77, Edit30 } };
    for (const auto& [from, to] : copies)
        to->setText(from->text());
    platform::setFontColor(Edit27, textColour(failed));
    Label49->setText(Label187->text());
    Label209->setText(Label191->text());
    Label211->setText(Label193->text());
}

void TfrmLPMain::writeSteelResults()
{
    const TLPData& d = *LPData;
    SetEditValue(Edit43, false, d.SteelResult.PRatio);
    SetEditValue(Edit47, false, d.SteelResult.MxRatio);
    SetEditValue(Edit49, false, d.SteelResult.MyRatio);
    SetEditValue(Edit50, false, d.CombinedRatio);
    const bool weakAxis = d.IsSteel() && d.UsesIShape();
    for (QWidget* w : std::initializer_list<QWidget*> { Edit49, Label125, Image7 })
        w->setVisible(weakAxis);
    // A ratio passes strictly below 0.999; an undefined one fails.
    const auto glyph
        = [&](Extended ratio, QToolButton* image) { SetToggleGlyph(ratio < 0.999L, image, ImageList3); };
    glyph(d.SteelResult.PRatio, Image5);
    glyph(d.SteelResult.MxRatio, Image6);
    glyph(d.SteelResult.MyRatio, Image7);
    glyph(d.CombinedRatio, Image8);
}

void TfrmLPMain::writeResultLines()
{
    const TLPData& d = *LPData;
    const bool si = d.Units == kUnitsSI;
    const QString depthUnit = si ? QStringLiteral("m") : QStringLiteral("ft");
    const QString movementUnit = si ? QStringLiteral("mm") : QStringLiteral("in");
    const QString momentUnit = si ? QStringLiteral("KN.m") : QStringLiteral("k-ft");
    const QString forceUnit = si ? QStringLiteral("KN") : QStringLiteral("kips");
    const int depthDecimals = tagDecimals(21);
    const int loadDecimals = tagDecimals(17);

    const auto line = [&](QLabel* label, const QString& text, bool red) {
        label->setText(text);
        platform::setFontColor(label, textColour(red));
    };
    const auto atDepth
        = [&](const char* format, Extended value, int valueTag, const QString& unit, int node) {
              return QString::fromLatin1(format).arg(fixed(value, tagDecimals(valueTag)), unit,
                  fixed(d.Node(node).Depth, depthDecimals), depthUnit);
          };

    Extended deflection = 0;
    const int deflectionNode = std::max(d.MaxDeflectionNode(deflection), 1);
    QString text
        = atDepth("Maximum Deflection is %1 %2 at %3 %4", deflection, 24, movementUnit, deflectionNode);
    // A deflection counts by its magnitude: a pile pushed back the other way is as far off. One
    // that cannot be computed passes no check.
    const bool tooFar = !(std::fabs(deflection) <= d.AllowableDeflection);
    if (tooFar)
        text += QStringLiteral(" (> %1 %2)").arg(fixed(d.AllowableDeflection, loadDecimals), movementUnit);
    line(Label43, text, tooFar);

    Extended moment = 0;
    const int momentNode = std::max(d.MaxMomentNode(moment), 1);
    line(Label44, atDepth("Maximum Moment is %1 %2 at %3 %4", moment, 23, momentUnit, momentNode), false);
    Extended shear = 0;
    const int shearNode = std::max(d.MaxShearNode(shear), 1);
    line(Label66, atDepth("Maximum Shear is %1 %2 at %3 %4", shear, 22, forceUnit, shearNode), false);
    const TNodeResult& tip = d.Node(kNodeCount);
    line(Label55,
        QStringLiteral("Pile Tip Movement is %1 %2 at the bottom (%3 %4)")
            .arg(fixed(tip.Deflection, tagDecimals(24)), movementUnit, fixed(tip.Depth, depthDecimals),
                depthUnit),
        false);

    const Extended capacity = tip.Capacity;
    text = QStringLiteral("Downward Capacity is %1 %2").arg(fixed(capacity, loadDecimals), forceUnit);
    // A capacity that cannot be computed carries nothing.
    const bool tooWeak = !(capacity >= d.DownwardLoad);
    if (tooWeak)
        text += QStringLiteral(" (< %1 %2)").arg(fixed(d.DownwardLoad, loadDecimals), forceUnit);
    line(Label80, text, tooWeak);

    line(Label201, QStringLiteral("Negative Skin Friction is %1 %2").arg(fixed(d.TotalNSF, 2), forceUnit),
        false);

    text = QStringLiteral("Uplift Capacity is %1 %2").arg(fixed(d.UpliftCapacity, loadDecimals), forceUnit);
    const bool upliftTooWeak = !(d.UpliftCapacity >= d.UpliftLoad);
    if (upliftTooWeak)
        text += QStringLiteral(" (< %1 %2)").arg(fixed(d.UpliftLoad, loadDecimals), forceUnit);
    line(Label205, text, upliftTooWeak);

    line(Label206, QStringLiteral("Pile Movement is %1 %2").arg(fixed(tip.Settlement, 2), movementUnit),
        false);
}
