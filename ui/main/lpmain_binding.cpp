// The two passes between the controls of the main window and the project model, as far as the
// controls of the project block and the two input tabs reach. The structural-design tabs, the
// Results tab, the drawings and the layer rows join these passes with their own controls.
#include "ui/main/lpmain.h"

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

namespace {

// Project dates are days since 30 December 1899.
const QDate kDateBase(1899, 12, 30);

QDate toDate(double days)
{
    return kDateBase.addDays(static_cast<qint64>(std::floor(days)));
}

// Writes a button's state with its click handler detached.
void setCheckedQuietly(QAbstractButton* button, bool checked)
{
    platform::ControlEvents* events = platform::findControlEvents(button);
    platform::NotifyEvent saved = events ? std::exchange(events->onClick, {}) : platform::NotifyEvent {};
    button->setChecked(checked);
    if (events)
        events->onClick = std::move(saved);
}

void setIndexQuietly(QComboBox* combo, int index)
{
    platform::ControlEvents* events = platform::findControlEvents(combo);
    platform::NotifyEvent saved = events ? std::exchange(events->onChange, {}) : platform::NotifyEvent {};
    combo->setCurrentIndex(index);
    if (events)
        events->onChange = std::move(saved);
}

constexpr int kMaxLayers = 13;

} // namespace

void TfrmLPMain::DataToForm()
{
    const bool wasModified = Modified;
    TLPData& d = *LPData;

    // Unit words of the labels of this window.
    const auto unit = [&](QLabel* l, const char* us, const char* si) {
        l->setText(QString::fromUtf8(d.Units == kUnitsSI ? si : us));
    };
    unit(Label5, "ft", "m");
    unit(Label3, "ft", "m");
    unit(Label86, "ft", "m");
    unit(Label7, "psi", "MPa");
    unit(Label15, "in", "m");
    unit(Label64, "ksi", "MPa");
    unit(Label65, "in", "m");
    unit(Label81, "ft", "m");
    unit(Label11, "kips", "KN");
    unit(Label13, "kip-ft", "KN.m");
    unit(Label88, "in", "mm");
    unit(Label31, "Layer Thickness, ft", "Layer Thickness, m");
    unit(Label27, "Lat. S.G, kcf", "Lat. S.G, KN/m^3");
    unit(Label58, "Cohesion, ksf", "Cohesion, KPa");
    unit(Label62, "Gamma, pcf", "Gamma, KN/m^3");
    unit(Label70, "kips", "KN");
    unit(Label74, "ft", "m");
    unit(Label76, "ft", "m");
    unit(Label208, "kips", "KN");

    // Structural-design tabs.
    const bool design = d.StructuralDesign;
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet4), design && d.UsesIShape());
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet5), design && d.UsesPipeSection());
    PageControl1->setTabIcon(
        PageControl1->indexOf(TabSheet6), ImageList2.value(d.IsRectangularShape() ? 5 : 6));
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet6), design && d.IsConcreteNow());
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet7), design && d.IsTimber());
    SpeedButton11->setEnabled(d.Layers.Count() < kMaxLayers);

    // Project block.
    Edit10->setText(QString::fromStdString(d.Organization));
    Edit31->setText(QString::fromStdString(d.ProjectName));
    Edit9->setText(QString::fromStdString(d.JobNumber));
    Edit11->setText(QString::fromStdString(d.DesignBy));
    platform::setPickerDate(DateTimePicker1, toDate(d.ProjectDate));

    setIndexQuietly(ComboBox1, d.Units);
    setIndexQuietly(ComboBox2, d.HeadCondition);
    setIndexQuietly(ComboBox3, d.Interface);
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

    setCheckedQuietly(d.EFromFc ? RadioButton1 : RadioButton2, true);
    UpdateStrengthModulus(RadioButton1->isChecked() ? Edit3 : Edit8);
    RadioButton1Click(nullptr);

    // The two form a pair of radio buttons: one of them is always checked.
    setCheckedQuietly(d.CyclicAnalysis ? CheckBox2 : CheckBox1, true);
    setIndexQuietly(ComboBox17, d.TimberInput.Treatment);

    SetEditValue(Edit13, false, d.DownwardLoad);
    SetEditValue(Edit14, false, d.FSSide);
    SetEditValue(Edit17, false, d.FSEnd);
    SetEditValue(Edit18, false, d.OCR);
    SetEditValue(Edit19, false, d.SuSigmaV);
    SetEditValue(Edit20, false, d.Groundwater);

    setIndexQuietly(ComboBox4, d.PileType);
    setIndexQuietly(ComboBox5, d.Shape);
    setIndexQuietly(ComboBox18, d.IsRoundShape() ? 1 : 0);
    SetEditValue(Edit15, false, d.Perimeter);
    SetEditValue(Edit16, false, d.TipArea);

    Edit5->setEnabled(ComboBox2->currentIndex() == 0);
    const bool rectangle = ComboBox5->currentIndex() == psRectangle;
    for (QWidget* w : std::initializer_list<QWidget*> { Edit21, Label83, Label86 })
        w->setVisible(rectangle);
    const bool roundTimber = d.IsTimber() && d.IsRoundShape();
    ComboBox17->setVisible(roundTimber);
    Label196->setVisible(roundTimber);

    setCheckedQuietly(chkUseReinforcement, design);
    for (QWidget* tab : { TabSheet4, TabSheet5, TabSheet6, TabSheet7 })
        SetChildrenEnabled(tab, chkUseReinforcement->isChecked());

    Modified = wasModified;
}

void TfrmLPMain::FormToData()
{
    // The form-to-model pass of the inputs is the next step of the binding; until it lands an
    // edit changes the controls and the Modified flag only.
}
