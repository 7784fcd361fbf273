#include "ui/dialogs/piermaterial.h"

#include "model/lpclasses.h"
#include "platform/qt/controls.h"
#include "ui/dialogs/editvalue.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <cmath>

namespace {

// The modulus of normal-weight concrete from its strength: 57000 sqrt(f'c) psi, 4700 sqrt(f'c) MPa.
Extended modulusFromStrength(const TLPData& data, Extended fc)
{
    return data.Units == kUnitsSI ? 4700 * std::sqrt(fc) : 57000 * std::sqrt(fc) / 1000;
}

Extended strengthFromModulus(const TLPData& data, Extended e)
{
    const Extended root = data.Units == kUnitsSI ? e / 4700 : e * 1000 / 57000;
    return root * root;
}

bool isConcreteInterface(int index)
{
    return index == piRoughConcrete || index == piSmoothConcrete;
}

} // namespace

TfrmPierMaterial::TfrmPierMaterial(TLayer& layer, TLPData& data, QWidget* owner)
    : TFormDialog(owner)
    , m_layer(layer)
    , m_data(data)
{
    setObjectName(QStringLiteral("frmPierMaterial"));
    setWindowTitle(QStringLiteral("Pier/Pile Material"));
    setFixedSize(313, 334);

    CheckBox1 = new QCheckBox(QStringLiteral("Same as Global"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(12, 8, 200, 20);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    Panel1->setFrameShadow(QFrame::Raised);
    Panel1->setGeometry(8, 32, 297, 258);

    constexpr int captionLeft = 8;
    constexpr int inputLeft = 162;
    constexpr int editWidth = 80;
    constexpr int unitLeft = inputLeft + editWidth + 6;

    addLabel(Panel1, QStringLiteral("Label1"), QStringLiteral("Pile & Soil Interface"), captionLeft, 11);
    ComboBox1 = new QComboBox(Panel1);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems({ QStringLiteral("Rough Concrete"), QStringLiteral("Smooth Concrete"),
        QStringLiteral("Rough Steel"), QStringLiteral("Smooth Steel"), QStringLiteral("Timber") });
    ComboBox1->setGeometry(inputLeft, 8, 127, 21);

    addLabel(Panel1, QStringLiteral("Label3"), QStringLiteral("Pile/Pier Type"), captionLeft, 37);
    ComboBox2 = new QComboBox(Panel1);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    // The items are the model's pile types in their order, so that the index stored is a pile type
    // that the analysis and the project file know.
    ComboBox2->addItems({ QStringLiteral("Jetted Pile"), QStringLiteral("Pile - small displ."),
        QStringLiteral("Pile - large displ.") });
    ComboBox2->setGeometry(inputLeft, 34, 127, 21);

    Label2 = addLabel(Panel1, QStringLiteral("Label2"), QStringLiteral("Width"), captionLeft, 65, 120);
    Edit1 = addEdit(Panel1, QStringLiteral("Edit1"), 2, inputLeft, 62, editWidth);
    m_widthUnit = addLabel(Panel1, QStringLiteral("lblWidthUnit"), QString(), unitLeft, 65, 40);

    addLabel(Panel1, QStringLiteral("Label4"), QStringLiteral("Cross Section Area"), captionLeft, 91);
    Edit3 = addEdit(Panel1, QStringLiteral("Edit3"), 30, inputLeft, 88, editWidth);
    m_areaUnit = addLabel(Panel1, QStringLiteral("lblAreaUnit"), QString(), unitLeft, 89, 40);

    addLabel(Panel1, QStringLiteral("Label5"), QStringLiteral("Pile Perimeter"), captionLeft, 117);
    Edit2 = addEdit(Panel1, QStringLiteral("Edit2"), 43, inputLeft, 114, editWidth);
    m_perimeterUnit = addLabel(Panel1, QStringLiteral("lblPerimeterUnit"), QString(), unitLeft, 117, 40);

    addLabel(Panel1, QStringLiteral("Label6"), QStringLiteral("Tip Area"), captionLeft, 143);
    Edit7 = addEdit(Panel1, QStringLiteral("Edit7"), 44, inputLeft, 140, editWidth);
    m_tipAreaUnit = addLabel(Panel1, QStringLiteral("lblTipAreaUnit"), QString(), unitLeft, 141, 40);

    auto* separator = new QFrame(Panel1);
    separator->setObjectName(QStringLiteral("Bevel1"));
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    separator->setGeometry(captionLeft, 168, 281, 4);

    RadioButton1 = new QRadioButton(Panel1);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton1->setToolTip(QStringLiteral("E from f'c"));
    RadioButton1->setGeometry(captionLeft, 181, 18, 18);
    m_fcCaption = addLabel(Panel1, QStringLiteral("lblFcCaption"), QStringLiteral("Concrete Strength (f'c)"),
        captionLeft + 20, 183);
    Edit6 = addEdit(Panel1, QStringLiteral("Edit6"), 3, inputLeft, 180, editWidth);
    m_fcUnit = addLabel(Panel1, QStringLiteral("lblFcUnit"), QString(), unitLeft, 183, 40);

    RadioButton2 = new QRadioButton(Panel1);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    RadioButton2->setToolTip(QStringLiteral("E entered"));
    RadioButton2->setGeometry(captionLeft, 207, 18, 18);
    m_eCaption = addLabel(Panel1, QStringLiteral("lblECaption"), QStringLiteral("Modulus of Elasticity (E)"),
        captionLeft + 20, 209);
    Edit4 = addEdit(Panel1, QStringLiteral("Edit4"), 31, inputLeft, 206, editWidth);
    m_eUnit = addLabel(Panel1, QStringLiteral("lblEUnit"), QString(), unitLeft, 209, 40);

    addLabel(Panel1, QStringLiteral("Label7"), QStringLiteral("Moment of Inertia (I)"), captionLeft, 235);
    Edit5 = addEdit(Panel1, QStringLiteral("Edit5"), 33, inputLeft, 232, editWidth);
    m_inertiaUnit = addLabel(Panel1, QStringLiteral("lblInertiaUnit"), QString(), unitLeft, 233, 40);

    addOkCancel(Button1, Button2, 148, 230, 300);

    // Handlers.
    platform::controlEvents(CheckBox1).onClick = [this](QObject*) {
        LoadValues();
        UpdateControls();
    };
    const auto update = [this](QObject*) { UpdateControls(); };
    platform::controlEvents(ComboBox1).onChange = update;
    platform::controlEvents(ComboBox2).onChange = update;
    platform::controlEvents(Edit2).onChange = update;
    platform::controlEvents(Edit7).onChange = update;
    platform::controlEvents(ComboBox1).onExit = [this](QObject*) { ComboBox1Exit(); };
    for (QLineEdit* edit : { Edit1, Edit3, Edit2, Edit7, Edit5 })
        platform::controlEvents(edit).onExit = [this, edit](QObject*) { Edit1Exit(edit); };
    for (QLineEdit* edit : { Edit6, Edit4 })
        platform::controlEvents(edit).onExit = [this, edit](QObject*) { Edit6Exit(edit); };
    platform::controlEvents(RadioButton1).onClick = [this](QObject*) {
        UpdateControls();
        Edit6->setFocus(Qt::OtherFocusReason);
    };
    platform::controlEvents(RadioButton2).onClick = [this](QObject*) {
        UpdateControls();
        Edit4->setFocus(Qt::OtherFocusReason);
    };

    enableEnterKeyPreview();
    LoadFromLayer();
}

void TfrmPierMaterial::setUnitLabels()
{
    const bool si = m_data.Units == kUnitsSI;
    const QString length = si ? QStringLiteral("m") : QStringLiteral("ft");
    m_widthUnit->setText(length);
    m_areaUnit->setText(si ? QStringLiteral("m<sup>2</sup>") : QStringLiteral("in<sup>2</sup>"));
    m_fcUnit->setText(si ? QStringLiteral("MPa") : QStringLiteral("psi"));
    m_eUnit->setText(si ? QStringLiteral("MPa") : QStringLiteral("ksi"));
    m_inertiaUnit->setText(si ? QStringLiteral("m<sup>4</sup>") : QStringLiteral("in<sup>4</sup>"));
    m_perimeterUnit->setText(length);
    m_tipAreaUnit->setText(si ? QStringLiteral("m<sup>2</sup>") : QStringLiteral("ft<sup>2</sup>"));
    for (QLabel* unit : { m_areaUnit, m_inertiaUnit, m_tipAreaUnit })
        unit->setTextFormat(Qt::RichText);
}

void TfrmPierMaterial::setRadioChecked(QRadioButton* radio)
{
    // Written from code: the click handlers run only for the user's clicks.
    radio->setChecked(true);
}

void TfrmPierMaterial::LoadFromLayer()
{
    CheckBox1->setChecked(m_layer.UsePileDefaults);
    setUnitLabels();
    LoadValues();
    UpdateControls();
}

void TfrmPierMaterial::LoadValues()
{
    const int pileInterface = int(m_layer.PileInterface());
    ComboBox1->setCurrentIndex(pileInterface);
    m_lastInterface = pileInterface;
    SetEditValue(Edit1, false, m_layer.PileWidth());
    SetEditValue(Edit3, false, m_layer.PileArea());
    SetEditValue(Edit6, false, m_layer.PileFc());
    SetEditValue(Edit4, false, m_layer.PileE());
    setRadioChecked(m_layer.PileEFromFc() ? RadioButton1 : RadioButton2);
    // The inputs take their enabled state before the pair is reconciled: the value that is
    // entered (f'c or E) is the one the other is derived from, and a disabled f'c never
    // overwrites an E that was entered.
    UpdateControls();
    if (RadioButton1->isChecked())
        Edit6Exit(Edit6);
    else
        Edit6Exit(Edit4);
    SetEditValue(Edit5, false, m_layer.PileI());
    SetEditValue(Edit2, false, m_layer.PilePerimeter());
    SetEditValue(Edit7, false, m_layer.PileTipArea());
    ComboBox2->setCurrentIndex(int(m_layer.PileType()));
}

void TfrmPierMaterial::UpdateControls()
{
    const bool own = !CheckBox1->isChecked();
    for (QWidget* control : Panel1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        control->setEnabled(own);

    const bool concrete = isConcreteInterface(ComboBox1->currentIndex());
    for (QWidget* control :
        std::initializer_list<QWidget*> { Edit6, m_fcCaption, m_fcUnit, RadioButton1, RadioButton2 })
        control->setVisible(concrete);
    if (!concrete)
        setRadioChecked(RadioButton2);

    if (own) {
        const bool eFromFc = RadioButton1->isChecked();
        for (QWidget* control : std::initializer_list<QWidget*> { Edit4, m_eCaption, m_eUnit })
            control->setEnabled(!eFromFc);
        for (QWidget* control : std::initializer_list<QWidget*> { Edit6, m_fcCaption, m_fcUnit })
            control->setEnabled(eFromFc);
    }
    Label2->setText(ComboBox2->currentIndex() == 0 ? QStringLiteral("Width") : QStringLiteral("Diameter"));
}

void TfrmPierMaterial::ComboBox1Exit()
{
    const int index = ComboBox1->currentIndex();
    if (index == m_lastInterface)
        return;
    switch (index) {
    case piRoughConcrete:
    case piSmoothConcrete:
        SetEditValue(Edit6, false, m_data.UnitValue(17, 2500));
        // Coming from steel or timber, E was entered directly only because f'c did not apply:
        // a concrete pile starts again from its strength.
        if (!isConcreteInterface(m_lastInterface)) {
            setRadioChecked(RadioButton1);
            UpdateControls();
        }
        Edit6Exit(Edit6->isEnabled() ? Edit6 : Edit4);
        break;
    case piRoughSteel:
    case piSmoothSteel:
        SetEditValue(Edit4, false, m_data.UnitValue(205000, 29000));
        break;
    case piTimber:
        SetEditValue(Edit4, false, m_data.UnitValue(11000, 1500));
        break;
    default:
        break;
    }
    m_lastInterface = index;
}

void TfrmPierMaterial::Edit6Exit(QLineEdit* sender)
{
    if (sender == Edit6) {
        if (Edit6->isEnabled())
            SetEditValue(Edit4, false, modulusFromStrength(m_data, GetEditValue(Edit6)));
    } else if (sender == Edit4) {
        SetEditValue(Edit6, false, strengthFromModulus(m_data, GetEditValue(Edit4)));
        Edit6Exit(Edit6);
    }
    Edit1Exit(sender);
}

void TfrmPierMaterial::Edit1Exit(QLineEdit* sender)
{
    SetEditValue(sender, false, GetEditValue(sender));
}

void TfrmPierMaterial::SaveToLayer()
{
    m_layer.UsePileDefaults = CheckBox1->isChecked();
    m_layer.OwnInterface = static_cast<TPileInterface>(ComboBox1->currentIndex());
    m_layer.OwnWidth = GetEditValue(Edit1);
    m_layer.OwnArea = GetEditValue(Edit3);
    m_layer.OwnFc = GetEditValue(Edit6);
    m_layer.OwnE = GetEditValue(Edit4);
    m_layer.OwnI = GetEditValue(Edit5);
    m_layer.OwnPerimeter = GetEditValue(Edit2);
    m_layer.OwnTipArea = GetEditValue(Edit7);
    m_layer.OwnEFromFc = RadioButton1->isChecked();
    m_layer.OwnPileType = static_cast<TPileType>(ComboBox2->currentIndex());
}

bool EditLayerMaterial(TLayer& Layer, TLPData& Data, QWidget* owner)
{
    TfrmPierMaterial dialog(Layer, Data, owner);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    dialog.SaveToLayer();
    return true;
}
