#include "ui/dialogs/factorofsafety.h"

#include "model/lpclasses.h"
#include "platform/qt/controls.h"
#include "ui/dialogs/editvalue.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>

#include <cmath>

TfrmFactorOfSafetyCalc::TfrmFactorOfSafetyCalc(TLPData& data, QWidget* owner)
    : TFormDialog(owner)
    , m_data(data)
{
    setObjectName(QStringLiteral("frmFactorOfSafetyCalc"));
    setWindowTitle(QStringLiteral("Factor of Safety Calculation"));
    setFixedSize(313, 139);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setLineWidth(2);
    panel->setGeometry(8, 8, 297, 88);

    constexpr int inputLeft = 160;
    addLabel(panel, QStringLiteral("Label1"), QStringLiteral("Design Life (years)"), 10, 12);
    SpinEdit1 = new QSpinBox(panel);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setRange(10, 200);
    SpinEdit1->setGeometry(inputLeft, 9, 80, 21);

    addLabel(panel, QStringLiteral("Label2"), QStringLiteral("Construction Control"), 10, 37);
    ComboBox1 = new QComboBox(panel);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems({ QStringLiteral("Good Control"), QStringLiteral("Normal Control"),
        QStringLiteral("Poor Control"), QStringLiteral("Very Poor Control") });
    ComboBox1->setGeometry(inputLeft, 34, 127, 21);

    addLabel(panel, QStringLiteral("Label3"), QStringLiteral("Suggested F.S."), 10, 62);
    Edit1 = addEdit(panel, QStringLiteral("Edit1"), 48, inputLeft, 59, 80);
    Edit1->setReadOnly(true);
    platform::setControlColor(Edit1, platform::colorFromBgr(platform::clSkyBlue));

    addOkCancel(Button1, Button2, 148, 230, 106);

    connect(SpinEdit1, &QSpinBox::valueChanged, this, [this] { SpinEdit1Change(); });
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { SpinEdit1Change(); });
    FillControls();
}

void TfrmFactorOfSafetyCalc::FillControls()
{
    const QSignalBlocker spinBlocker(SpinEdit1);
    const QSignalBlocker comboBlocker(ComboBox1);
    SpinEdit1->setValue(m_data.DesignLife);
    ComboBox1->setCurrentIndex(
        m_data.ConstructionControl >= 0 && m_data.ConstructionControl < ComboBox1->count()
            ? m_data.ConstructionControl
            : -1);
    SetEditValue(Edit1, false, m_data.SuggestedFactorOfSafety());
}

void TfrmFactorOfSafetyCalc::SpinEdit1Change()
{
    m_data.DesignLife = SpinEdit1->value();
    m_data.ConstructionControl = ComboBox1->currentIndex();
    FillControls();
}

void TfrmFactorOfSafetyCalc::ApplyFactorOfSafety()
{
    const Extended suggested = m_data.SuggestedFactorOfSafety();
    // A construction control the table does not know (from a damaged file) suggests nothing:
    // the factors stay as they are rather than become undefined.
    if (std::isnan(suggested))
        return;
    m_data.FSSide = suggested;
    m_data.FSEnd = suggested;
}

bool ShowFactorOfSafetyCalc(TLPData& Data, QWidget* owner)
{
    TfrmFactorOfSafetyCalc dialog(Data, owner);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    dialog.ApplyFactorOfSafety();
    return true;
}
