// The rows of soil layers: one row panel per layer, cloned from the template row LayPanel1,
// rebuilt when the number of layers changes, and the two transfers between a row and its layer.
#include "ui/main/lpmain.h"

#include "model/fieldlimits.h"
#include "model/lpclasses.h"
#include "platform/qt/alignment.h"
#include "platform/qt/messages.h"
#include "ui/dialogs/editvalue.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace {

constexpr int kShownRows = 5;
// Tops far below every row: the stacking then orders the rows by these tops, that is by number.
constexpr int kStackBase = 100000;

template <class T> T* rowControl(const QWidget* panel, const QString& base, int n)
{
    return panel ? panel->findChild<T*>(base + QString::number(n), Qt::FindDirectChildrenOnly) : nullptr;
}

// The object of a soil list's selected item (its ordinal), 0 when nothing is selected.
int selectedOrdinal(const QComboBox* combo)
{
    return combo && combo->currentIndex() >= 0 ? combo->currentData().toInt() : 0;
}

// The new control of the template's class; the five classes of a row are the only ones.
QWidget* CreateControl(QWidget* source, QWidget* parent)
{
    if (qobject_cast<QComboBox*>(source))
        return new QComboBox(parent);
    if (qobject_cast<QLineEdit*>(source))
        return new QLineEdit(parent);
    if (qobject_cast<QCheckBox*>(source))
        return new QCheckBox(parent);
    if (qobject_cast<QLabel*>(source))
        return new QLabel(parent);
    if (qobject_cast<QToolButton*>(source))
        return new QToolButton(parent);
    throw std::runtime_error("Missing class in IF statement (function CreateControl())");
}

// The last layer reaches down to the pile tip: its thickness is what the others leave of the
// pile, never below 0. It is derived, not entered, so neither the edit's limits nor its text apply.
Extended tipLayerThickness(const TLPData& data)
{
    Extended others = 0;
    for (int i = 0; i + 1 < data.Layers.Count(); ++i)
        others += data.Layers[i]->Thickness;
    return std::max<Extended>(data.PileLength - others, 0);
}

bool looseOrSoft(int consistency)
{
    return consistency == lpconVeryLoose || consistency == lpconLoose || consistency == lpconVerySoft
        || consistency == lpconSoft;
}

} // namespace

QFrame* TfrmLPMain::LayerPanel(int n) const
{
    if (n == 1)
        return LayPanel1;
    return ScrollBox1Contents->findChild<QFrame*>(
        QStringLiteral("LayPanel") + QString::number(n), Qt::FindDirectChildrenOnly);
}

TLayer* TfrmLPMain::layerOfSender(QObject* sender) const
{
    const auto* control = qobject_cast<QWidget*>(sender);
    const QWidget* panel = control ? control->parentWidget() : nullptr;
    const int index = panel ? platform::controlTag(panel) - 1 : -1;
    if (index < 0 || index >= LPData->Layers.Count())
        return nullptr;
    return LPData->Layers[index];
}

void TfrmLPMain::bindLayerRowHandlers()
{
    QWidget* p = LayPanel1;
    const platform::KeyPressEvent keyFilter = [this](QObject* s, QChar& k) { Edit1KeyPress(s, k); };
    const platform::NotifyEvent change = [this](QObject* s) { ComboBox1Change(s); };
    const platform::NotifyEvent commit = [this](QObject* s) { ComboBox1Exit(s); };
    const platform::NotifyEvent range = [this](QObject* s) { SGReactTop1Exit(s); };
    const auto events = [&](const char* name) -> platform::ControlEvents& {
        return platform::controlEvents(p->findChild<QWidget*>(QLatin1String(name)));
    };
    events("MatType1").onChange = [this](QObject* s) { MatType1Change(s); };
    events("MatType1").onExit = [this](QObject* s) { MatType1Exit(s); };
    events("USCS1").onChange = [this](QObject* s) { USCS1Change(s); };
    events("Consistency1").onChange = [this](QObject* s) { Consistency1Change(s); };
    for (const char* name :
        { "Length1", "SPTFieldN1", "FSonKp1", "Cohesion1", "Gamma1", "SGReactTop1", "SGReactBottom1" }) {
        platform::ControlEvents& ev = events(name);
        ev.onKeyPress = keyFilter;
        ev.onChange = change;
        ev.onExit = commit;
    }
    events("SGReactTop1").onExit = range;
    events("SGReactBottom1").onExit = range;
    events("NSF1").onClick = [this](QObject* s) { NSF1Click(s); };
    for (const char* name : { "ColBtn1", "UpBtn1", "DnBtn1", "DelBtn1" })
        events(name).onClick = [this](QObject* s) { UpBtn1Click(s); };
    events("PierMatBtn1").onClick = [this](QObject* s) { PierMatBtn1Click(s); };
    platform::controlEvents(SpeedButton11).onClick = [this](QObject*) { SpeedButton11Click(); };
}

void TfrmLPMain::AddLayer(TLayer* Layer)
{
    const int n = LPData->Layers.IndexOf(Layer) + 1;
    if (n < 1)
        return;
    QFrame* panel = LayerPanel(n);
    if (!panel) {
        panel = new QFrame(ScrollBox1Contents);
        panel->hide();
        panel->setObjectName(QStringLiteral("LayPanel") + QString::number(n));
        panel->setGeometry(LayPanel1->x(), kStackBase + n, LayPanel1->width(), LayPanel1->height());
        panel->setFrameShape(QFrame::NoFrame);
        panel->setAutoFillBackground(true);
        ScrollBox1Contents->setTopAligned(panel);

        // The row's controls follow the previous row's in the tab order.
        QWidget* previous = nullptr;
        if (QFrame* above = LayerPanel(n - 1)) {
            for (QWidget* w : above->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
                if (w->focusPolicy() & Qt::TabFocus)
                    previous = w;
            }
        }
        static const QRegularExpression trailingDigits(QStringLiteral("\\d+$"));
        for (QWidget* source : LayPanel1->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            QWidget* control = CreateControl(source, panel);
            CopyPublishedProperties(source, control);
            control->setFont(source->font());
            QString base = source->objectName();
            base.remove(trailingDigits);
            control->setObjectName(base + QString::number(n));
            if (auto* edit = qobject_cast<QLineEdit*>(control); edit && platform::controlTag(edit) > 0) {
                SetEditValue(edit, false, 0);
                SetEditRightAligned(edit);
            }
            if (auto* button = qobject_cast<QToolButton*>(control)) {
                auto* from = static_cast<QToolButton*>(source);
                button->setIcon(from->icon());
                button->setIconSize(from->iconSize());
                platform::setAnchors(button, platform::akTop | platform::akRight);
            }
            if (previous && (control->focusPolicy() & Qt::TabFocus)) {
                QWidget::setTabOrder(previous, control);
                previous = control;
            }
        }
    }
    platform::setControlTag(panel, n);
    FillLayerPanel(Layer, false);
    panel->show();
}

void TfrmLPMain::RebuildLayerPanels()
{
    const PassScope pass(*this);
    const TLayerList& layers = LPData->Layers;
    const int count = layers.Count();
    int rows = 0;
    while (LayerPanel(rows + 1))
        ++rows;
    if (rows != count) {
        const QPointer<QWidget> focused = QApplication::focusWidget();
        ScrollBox1Contents->disableAlign();
        ScrollBox1->hide();
        for (int k = std::max(count + 1, 2); QFrame* surplus = LayerPanel(k); ++k) {
            // A row may be the one whose button is being clicked: it goes once the click is over.
            surplus->hide();
            surplus->setObjectName(QString());
            surplus->setParent(nullptr);
            surplus->deleteLater();
        }
        for (int i = 0; i < count; ++i)
            AddLayer(layers[i]);
        for (int k = 1; QFrame* panel = LayerPanel(k); ++k)
            panel->move(panel->x(), kStackBase + k);
        const int shown = std::min(count, kShownRows);
        ScrollBox1->setMaximumHeight(LayPanel1->height() * std::max(shown, 1));
        DummyForScrollBox->move(0, LayPanel1->height() * std::max(shown, 1) + 1);
        ScrollBox1->show();
        ScrollBox1Contents->enableAlign();
        if (focused && focused->isEnabled() && focused->focusPolicy() != Qt::NoFocus) {
            QTimer::singleShot(0, this, [focused] {
                if (focused && focused->isVisible())
                    focused->setFocus();
            });
        }
    } else {
        for (int i = 0; i < count; ++i)
            FillLayerPanel(layers[i], false);
    }
    showLessOrMoreData();
    commitIfInputsChanged();
}

void TfrmLPMain::FillLayerPanel(TLayer* Layer, bool KeepMaterialList)
{
    TLayerList& layers = LPData->Layers;
    const int index = layers.IndexOf(Layer);
    const int n = index + 1;
    QFrame* panel = LayerPanel(n);
    if (index < 0 || !panel)
        return;
    if (auto* number = rowControl<QLabel>(panel, QStringLiteral("Number"), n))
        number->setText(QString::number(n));
    platform::setControlColor(panel, platform::colorFromBgr(static_cast<quint32>(Layer->Colour)));

    if (!KeepMaterialList) {
        if (auto* material = rowControl<QComboBox>(panel, QStringLiteral("MatType"), n))
            FillMaterialTypeCombo(material, *Layer);
    }
    if (auto* length = rowControl<QLineEdit>(panel, QStringLiteral("Length"), n)) {
        const bool last = n == layers.Count();
        if (last)
            Layer->Thickness = tipLayerThickness(*LPData);
        length->setEnabled(!last);
        SetEditValue(length, last, Layer->Thickness);
    }
    if (auto* range = rowControl<QLabel>(panel, QStringLiteral("Range"), n)) {
        range->setText(QString::fromStdString(FormatGeneral(Layer->Top(), LocaleNumberFormat()))
            + QLatin1Char('-')
            + QString::fromStdString(FormatGeneral(Layer->Bottom(), LocaleNumberFormat())));
    }
    const auto show = [&](const char* base, Extended value) {
        if (auto* edit = rowControl<QLineEdit>(panel, QLatin1String(base), n))
            SetEditValue(edit, false, value);
    };
    show("SPTFieldN", Layer->SPTFieldN);
    show("SGReactTop", Layer->SGReactTop);
    show("SGReactBottom", Layer->SGReactBottom);
    show("Kp", Layer->Kp);
    if (auto* consistency = rowControl<QLineEdit>(panel, QStringLiteral("ConsistencyText"), n))
        consistency->setText(
            QString::fromStdString(EnumToDisplayText(TLayerEnum::Consistency, Layer->Consistency)));
    show("FSonKp", Layer->FSonKp);
    if (auto* cohesion = rowControl<QLineEdit>(panel, QStringLiteral("Cohesion"), n)) {
        // Sand takes the cohesion that choosing it gives (5 kPa, 0.1 ksf), however its row is
        // first filled: a new or opened project's markers may never let that choice run.
        const bool granular = Layer->MatType == lpmtGranularSoil;
        if ((granular || Layer->MatType == lpmtLimeStoneBedrock) && Layer->Cohesion == 0)
            Layer->Cohesion = m_lastUnits == kUnitsUS ? 0.1L : (granular ? 5.0L : 25.0L);
        SetEditValue(cohesion, false, Layer->Cohesion);
    }
    show("Gamma", Layer->Gamma);
    if (auto* nsf = rowControl<QCheckBox>(panel, QStringLiteral("NSF"), n))
        nsf->setChecked(Layer->NSF);
    if (auto* up = rowControl<QToolButton>(panel, QStringLiteral("UpBtn"), n))
        up->setEnabled(n > 1);
    if (auto* down = rowControl<QToolButton>(panel, QStringLiteral("DnBtn"), n))
        down->setEnabled(n < layers.Count());
}

void TfrmLPMain::PanelToLayer(TLayer* Layer)
{
    TLayerList& layers = LPData->Layers;
    const int index = layers.IndexOf(Layer);
    const int n = index + 1;
    QFrame* panel = LayerPanel(n);
    if (index < 0 || !panel)
        return;
    const bool us = m_lastUnits == kUnitsUS;
    auto* cohesionEdit = rowControl<QLineEdit>(panel, QStringLiteral("Cohesion"), n);
    const auto edit = [&](const char* base) { return rowControl<QLineEdit>(panel, QLatin1String(base), n); };

    Layer->MatType = static_cast<TMaterialType>(
        selectedOrdinal(rowControl<QComboBox>(panel, QStringLiteral("MatType"), n)));
    if (Layer->MatType != Layer->LastCohesionMatType && Layer->MatType == lpmtGranularSoil) {
        Layer->Cohesion = LPData->UnitValue(5.0L, 0.1L);
        if (cohesionEdit)
            SetEditValue(cohesionEdit, true, Layer->Cohesion);
    }
    Layer->LastCohesionMatType = Layer->MatType;

    Layer->USCS
        = static_cast<TUSCS>(selectedOrdinal(rowControl<QComboBox>(panel, QStringLiteral("USCS"), n)));
    Layer->Consistency = static_cast<TConsistency>(
        selectedOrdinal(rowControl<QComboBox>(panel, QStringLiteral("Consistency"), n)));
    if (n == layers.Count())
        Layer->Thickness = tipLayerThickness(*LPData);
    else if (QLineEdit* e = edit("Length"))
        Layer->Thickness = GetShownEditValue(e);

    if (QLineEdit* e = edit("SPTFieldN")) {
        Layer->SPTFieldN = GetShownEditValue(e);
        Layer->SetConsistencyFromN();
        if (Layer->Consistency != Layer->LastCohesionConsistency && Layer->MatType != lpmtGranularSoil) {
            Layer->Cohesion = Layer->DefaultCohesion() / LPData->UnitValue(1, 1000);
            if (cohesionEdit)
                SetEditValue(cohesionEdit, true, Layer->Cohesion);
        }
    }
    Layer->LastCohesionConsistency = Layer->Consistency;

    // Only the first layer's top is entered; every other top is the bottom of the layer above.
    if (index == 0) {
        if (QLineEdit* e = edit("SGReactTop"))
            Layer->SGReactTop = GetShownEditValue(e);
    }
    if (QLineEdit* e = edit("SGReactBottom")) {
        Layer->SGReactBottom = GetShownEditValue(e);
        if (n < layers.Count())
            layers[n]->SGReactTop = Layer->SGReactBottom;
    }

    if (cohesionEdit) {
        const TFieldLimit row = FieldLimitOf(25);
        double low = static_cast<double>(row.MinValue);
        double high = static_cast<double>(row.MaxValue);
        if (Layer->MatType == lpmtGranularSoil || Layer->MatType == lpmtLimeStoneBedrock) {
            high = us ? 2.0 : 100.0;
        } else if (Layer->IsCohesive()) {
            const Extended c0 = Layer->DefaultCohesion() / LPData->UnitValue(1, 1000);
            low = static_cast<double>(0.2L * c0);
            high = static_cast<double>(c0);
        }
        Layer->Cohesion = GetShownEditValue(cohesionEdit, low, high);
    }

    const Extended phi = (Layer->MatType == lpmtCohesiveSoil ? 24 : 28) + Layer->SPTFieldN / 4;
    const Extended s = std::sin(phi * std::numbers::pi_v<Extended> / 180);
    Layer->Kp = (1 + s) / (1 - s);

    if (QLineEdit* e = edit("FSonKp"))
        Layer->FSonKp = GetShownEditValue(e);
    if (QLineEdit* e = edit("Gamma"))
        Layer->Gamma = GetShownEditValue(e);

    auto* nsf = rowControl<QCheckBox>(panel, QStringLiteral("NSF"), n);
    if (nsf) {
        const bool soft = looseOrSoft(Layer->Consistency);
        const bool wasSoft = looseOrSoft(Layer->LastNSFConsistency);
        if (soft && !wasSoft)
            nsf->setChecked(true);
        else if (!soft && wasSoft)
            nsf->setChecked(false);
        Layer->NSF = nsf->isChecked();
    }
    Layer->LastNSFConsistency = Layer->Consistency;
}

void TfrmLPMain::MatType1Change(QObject* Sender)
{
    TLayer* layer = layerOfSender(Sender);
    if (!layer)
        return;
    SetModified(true);
    layer->MatType = static_cast<TMaterialType>(selectedOrdinal(qobject_cast<QComboBox*>(Sender)));
    const int n = LPData->Layers.IndexOf(layer) + 1;
    QFrame* panel = LayerPanel(n);
    if (auto* uscs = rowControl<QComboBox>(panel, QStringLiteral("USCS"), n))
        FillUSCSCombo(uscs, *layer);
    if (auto* consistency = rowControl<QComboBox>(panel, QStringLiteral("Consistency"), n))
        FillConsistencyCombo(consistency, *layer);
    // The user's choice is committed at once, as any list's is; a row being filled is not.
    if (!passRunning())
        FormToData();
}

void TfrmLPMain::MatType1Exit(QObject* /*Sender*/)
{
    // The material takes effect with the next commit of any input.
}

void TfrmLPMain::USCS1Change(QObject* Sender)
{
    TLayer* layer = layerOfSender(Sender);
    if (!layer)
        return;
    SetModified(true);
    layer->USCS = static_cast<TUSCS>(selectedOrdinal(qobject_cast<QComboBox*>(Sender)));
}

void TfrmLPMain::Consistency1Change(QObject* Sender)
{
    TLayer* layer = layerOfSender(Sender);
    if (!layer)
        return;
    TLayerList& layers = LPData->Layers;
    const int index = layers.IndexOf(layer);
    SetModified(true);
    layer->LastNSFConsistency = layer->Consistency;
    layer->Consistency = static_cast<TConsistency>(selectedOrdinal(qobject_cast<QComboBox*>(Sender)));
    if (index == 0 && layer->SGReactTop == 0)
        layer->SGReactTop = layer->DefaultSubgradeReaction();
    if (layer->SGReactBottom == 0)
        layer->SGReactBottom = layer->DefaultSubgradeReaction();
    FillLayerPanel(layer, true);
    PanelToLayer(layer);
    requestProfiles();
    if (index + 1 < layers.Count()) {
        layers[index + 1]->SGReactTop = layer->SGReactBottom;
        FillLayerPanel(layers[index + 1], true);
    }
}

void TfrmLPMain::NSF1Click(QObject* /*Sender*/)
{
    if (passRunning())
        return;
    FormToData();
}

void TfrmLPMain::SGReactTop1Exit(QObject* Sender)
{
    if (passRunning())
        return;
    TLayer* layer = layerOfSender(Sender);
    auto* edit = qobject_cast<QLineEdit*>(Sender);
    if (!layer || !edit)
        return;
    Extended low = 0, high = 0;
    layer->subgradeReactionRange(low, high);
    const Extended value = GetShownEditValue(edit);
    if (value < low || value > high) {
        platform::messageDlg(QStringLiteral("The value must be between %1 and %2")
                                 .arg(QString::number(static_cast<double>(low), 'f', 0),
                                     QString::number(static_cast<double>(high), 'f', 0)),
            platform::MessageKind::Warning, QMessageBox::Ok, this);
        SetEditValue(edit, false, value < low ? low : high);
    }
    FormToData();
}

void TfrmLPMain::UpBtn1Click(QObject* Sender)
{
    TLayer* layer = layerOfSender(Sender);
    if (!layer)
        return;
    TLayerList& layers = LPData->Layers;
    const int n = layers.IndexOf(layer) + 1;
    bool changed = false;
    switch (platform::controlTag(Sender)) {
    case 1:
        changed = n > 1;
        if (changed)
            layers.Move(n - 1, n - 2);
        break;
    case 2:
        changed = n < layers.Count();
        if (changed)
            layers.Move(n - 1, n);
        break;
    case 3:
        changed = platform::messageDlg(QStringLiteral("Are you sure you want to remove a layer?"),
                      platform::MessageKind::Confirmation, QMessageBox::Yes | QMessageBox::No, this)
            == QMessageBox::Yes;
        if (changed) {
            layers.Delete(n - 1);
            while (layers.Count() < kMinLayers)
                layers.AddLayer();
            SpeedButton11->setEnabled(layers.Count() < kMaxLayers);
        }
        break;
    case 4:
        changed = chooseLayerColour(n - 1);
        break;
    default:
        break;
    }
    if (changed)
        commitLayerChange();
    else
        RebuildLayerPanels();
}

void TfrmLPMain::SpeedButton11Click()
{
    TLayerList& layers = LPData->Layers;
    if (layers.Count() >= kMaxLayers)
        return;
    layers.AddLayer();
    SpeedButton11->setEnabled(layers.Count() < kMaxLayers);
    commitLayerChange();
}

void TfrmLPMain::commitLayerChange()
{
    // The layers differ from those last calculated: the rows show them in their new order, and,
    // like any input change, the project is marked and the rows are read back and calculated.
    // One pass, so the pictures are drawn once.
    const PassScope pass(*this);
    RebuildLayerPanels();
    SetModified(true);
    FormToData();
}

void TfrmLPMain::showLessOrMoreData()
{
    // The height of the rows (the scroll range follows it once the layout has run).
    const int content = ScrollBox1Contents->minimumHeight();
    const int visible = ScrollBox1->isVisible() ? ScrollBox1->height() : ScrollBox1->maximumHeight();
    lblMoreData->setVisible(content - 10 > visible);
}
