// The per-layer pile material dialog: values in from the layer, the f'c/E pair, the interface
// defaults, "Same as Global", OK and Cancel.
#include "model/lpclasses.h"
#include "platform/core/stream.h"
#include "ui/dialogs/piermaterial.h"

#include "dialogtesting.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <cmath>

using namespace dialogtesting;

namespace {

// A layer with pile properties of its own, unlike the project's.
void giveOwnPile(TLayer& layer)
{
    layer.UsePileDefaults = false;
    layer.OwnInterface = piRoughConcrete;
    layer.OwnPileType = ptJettedPile;
    layer.OwnWidth = 2;
    layer.OwnArea = 576;
    layer.OwnFc = 4000;
    layer.OwnEFromFc = true;
    layer.OwnE = 1234; // stale: derived from f'c when shown
    layer.OwnI = 27648;
    layer.OwnPerimeter = 8;
    layer.OwnTipArea = 4;
}

struct OwnValues {
    bool useDefaults;
    TPileInterface pileInterface;
    TPileType pileType;
    Extended width, area, fc, e, i, perimeter, tipArea;
    bool eFromFc;
    bool operator==(const OwnValues&) const = default;
};

OwnValues ownValues(const TLayer& l)
{
    return { l.UsePileDefaults, l.OwnInterface, l.OwnPileType, l.OwnWidth, l.OwnArea, l.OwnFc, l.OwnE, l.OwnI,
        l.OwnPerimeter, l.OwnTipArea, l.OwnEFromFc };
}

QString fixed(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

} // namespace

class PierMaterialTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void init()
    {
        m_data = std::make_unique<TLPData>();
        m_data->Reset(true);
        m_data->SetUnits(kUnitsUS);
        m_data->Width = 1.5;
        m_data->Area = 324;
        m_data->Fc = 3000;
        m_data->E = 3122.02; // 57000 sqrt(3000) psi
        m_data->EFromFc = true;
        m_data->I = 8748;
        m_data->Perimeter = 6;
        m_data->TipArea = 2.25;
        m_data->Interface = piRoughConcrete;
        giveOwnPile(*m_data->Layers[0]);
    }

    void cleanup()
    {
        TLPData reset; // the field-limit table is process-wide: back to English
        reset.SetUnits(kUnitsUS);
    }

    void showsTheLayersOwnValuesWithEFromFc()
    {
        TfrmPierMaterial dialog(*m_data->Layers[0], *m_data);
        QVERIFY(!dialog.CheckBox1->isChecked());
        QCOMPARE(dialog.ComboBox1->currentText(), QStringLiteral("Rough Concrete"));
        QCOMPARE(dialog.Edit1->text(), QStringLiteral("2.00"));
        QCOMPARE(dialog.Edit3->text(), QStringLiteral("576.00"));
        QCOMPARE(dialog.Edit6->text(), QStringLiteral("4000"));
        // 57000 sqrt(4000) psi = 3605.0 ksi: the stale E of the layer is not what is shown.
        QCOMPARE(dialog.Edit4->text(), QStringLiteral("3605"));
        QCOMPARE(dialog.Edit5->text(), QStringLiteral("27648.0"));
        QCOMPARE(dialog.Edit2->text(), QStringLiteral("8.000"));
        QCOMPARE(dialog.Edit7->text(), QStringLiteral("4.000"));
        QVERIFY(dialog.RadioButton1->isChecked());
        // E derived: f'c is the input, E is locked.
        QVERIFY(dialog.Edit6->isEnabled());
        QVERIFY(!dialog.Edit4->isEnabled());
        QCOMPARE(dialog.Label2->text(), QStringLiteral("Width"));

        // The same values stored on OK (E now the derived one).
        dialog.SaveToLayer();
        const TLayer& layer = *m_data->Layers[0];
        QCOMPARE(double(layer.OwnE), 3605.0);
        QCOMPARE(double(layer.OwnFc), 4000.0);
        QVERIFY(layer.OwnEFromFc);
        QVERIFY(!layer.UsePileDefaults);
    }

    void sameAsGlobalGreysEverythingAndStoresTheValuesShown()
    {
        TLayer& layer = *m_data->Layers[0];
        layer.UsePileDefaults = true;
        whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TfrmPierMaterial*>(modal);
            QVERIFY(dialog);
            QVERIFY(dialog->CheckBox1->isChecked());
            for (QWidget* control : dialog->Panel1->findChildren<QWidget*>())
                QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
            QVERIFY(dialog->CheckBox1->isEnabled());
            QCOMPARE(dialog->Edit1->text(), QStringLiteral("1.50")); // the project's width
            dialog->Button1->click();
        });
        QVERIFY(EditLayerMaterial(layer, *m_data));
        QVERIFY(layer.UsePileDefaults);
        QCOMPARE(double(layer.OwnWidth), 1.5);
        QCOMPARE(double(layer.OwnArea), 324.0);
        QCOMPARE(double(layer.OwnFc), 3000.0);
        QCOMPARE(double(layer.OwnE), 3122.0); // the project's E as shown, not derived again
        QCOMPARE(double(layer.OwnI), 8748.0);

        // Unticking it makes the inputs editable again, the entered one of the pair only.
        TfrmPierMaterial dialog(layer, *m_data);
        QVERIFY(showActive(&dialog));
        QTest::mouseClick(dialog.CheckBox1, Qt::LeftButton);
        QVERIFY(!dialog.CheckBox1->isChecked());
        QVERIFY(dialog.Edit1->isEnabled());
        QVERIFY(dialog.ComboBox1->isEnabled());
        QVERIFY(dialog.Edit6->isEnabled());
        QVERIFY(!dialog.Edit4->isEnabled());
    }

    // Each interface brings its own E in the project's unit system; concrete brings f'c and the E
    // derived from it, and an E entered for concrete derives f'c.
    void interfaceDefaults()
    {
        const struct {
            std::uint8_t units;
            QStringList unitTexts; // f'c, E, width
            QString shownE; // derived from the layer's f'c
            TPileInterface steel;
            QString steelE, timberE;
            TPileInterface concrete;
            QString concreteFc, concreteE;
            QStringList enteredEAndFc; // typed, shown, f'c derived
        } cases[] = {
            // 57000 sqrt(f'c psi) / 1000 ksi; (E x 1000 / 57000)^2 psi.
            { kUnitsUS, { "psi", "ksi", "ft" }, "3605", piRoughSteel, "29000", "1500", piRoughConcrete,
                "2500", "2850", { "4000", "4000", "4925" } },
            // 4700 sqrt(f'c MPa) MPa; (E / 4700)^2 MPa.
            { kUnitsSI, { "MPa", "MPa", "m" }, fixed(4700 * std::sqrt(30.0), 1), piSmoothSteel, "205000.0",
                "11000.0", piSmoothConcrete, "17.0", fixed(4700 * std::sqrt(17.0), 1),
                { "25000", "25000.0", "28.3" } },
        };
        for (const auto& c : cases) {
            init();
            TLayer& layer = *m_data->Layers[0];
            if (c.units == kUnitsSI) {
                m_data->SetUnits(kUnitsSI);
                layer.OwnWidth = 0.6;
                layer.OwnFc = 30;
                layer.OwnArea = 0.36;
            }
            TfrmPierMaterial dialog(layer, *m_data);
            QVERIFY(showActive(&dialog));
            const char* unitLabels[] = { "lblFcUnit", "lblEUnit", "lblWidthUnit" };
            for (int i = 0; i < 3; ++i)
                QCOMPARE(dialog.findChild<QLabel*>(QLatin1String(unitLabels[i]))->text(), c.unitTexts[i]);
            QCOMPARE(dialog.Edit4->text(), c.shownE);

            pickItem(dialog.ComboBox1, c.steel);
            dialog.Edit1->setFocus(Qt::TabFocusReason);
            QVERIFY(!dialog.Edit6->isVisible());
            QVERIFY(!dialog.RadioButton1->isVisible() && !dialog.RadioButton2->isVisible());
            QVERIFY(dialog.RadioButton2->isChecked());
            QVERIFY(dialog.Edit4->isEnabled());
            QCOMPARE(dialog.Edit4->text(), c.steelE);
            pickItem(dialog.ComboBox1, piTimber);
            dialog.Edit1->setFocus(Qt::TabFocusReason);
            QCOMPARE(dialog.Edit4->text(), c.timberE);
            pickItem(dialog.ComboBox1, c.concrete);
            dialog.Edit1->setFocus(Qt::TabFocusReason);
            QVERIFY(dialog.Edit6->isVisible());
            QVERIFY(dialog.RadioButton1->isChecked());
            QCOMPARE(dialog.Edit6->text(), c.concreteFc);
            QCOMPARE(dialog.Edit4->text(), c.concreteE);

            QTest::mouseClick(dialog.RadioButton2, Qt::LeftButton);
            typeAndLeave(dialog.Edit4, c.enteredEAndFc[0], dialog.Edit5);
            QCOMPARE(dialog.Edit4->text(), c.enteredEAndFc[1]);
            QCOMPARE(dialog.Edit6->text(), c.enteredEAndFc[2]);
            dialog.SaveToLayer();
            QCOMPARE(layer.OwnInterface, c.concrete);
            QCOMPARE(double(layer.OwnE), c.enteredEAndFc[0].toDouble());
            QCOMPARE(double(layer.OwnFc), c.enteredEAndFc[2].toDouble());
            QVERIFY(!layer.OwnEFromFc);
        }
    }

    void fcAndEFollowEachOther()
    {
        TfrmPierMaterial dialog(*m_data->Layers[0], *m_data);
        QVERIFY(showActive(&dialog));
        typeAndLeave(dialog.Edit6, QStringLiteral("3000"), dialog.Edit5);
        QCOMPARE(dialog.Edit4->text(), QStringLiteral("3122"));

        // Leaving the interface list unchanged keeps what was typed.
        enterAndLeave(dialog.ComboBox1, dialog.Edit5);
        QCOMPARE(dialog.Edit6->text(), QStringLiteral("3000"));
        QCOMPARE(dialog.Edit4->text(), QStringLiteral("3122"));

        // E entered: f'c follows it.
        QTest::mouseClick(dialog.RadioButton2, Qt::LeftButton);
        QVERIFY(dialog.RadioButton2->isChecked());
        QCOMPARE(QApplication::focusWidget(), dialog.Edit4);
        QVERIFY(dialog.Edit4->isEnabled());
        QVERIFY(!dialog.Edit6->isEnabled());

        // Out of range input is clamped silently to the field's limits (f'c 2500..12000 psi).
        QTest::mouseClick(dialog.RadioButton1, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), dialog.Edit6);
        typeAndLeave(dialog.Edit6, QStringLiteral("100"), dialog.Edit5);
        QCOMPARE(dialog.Edit6->text(), QStringLiteral("2500"));
        QCOMPARE(dialog.Edit4->text(), QStringLiteral("2850"));

        dialog.SaveToLayer();
        const TLayer& layer = *m_data->Layers[0];
        QCOMPARE(double(layer.OwnFc), 2500.0);
        QCOMPARE(double(layer.OwnE), 2850.0);
        QVERIFY(layer.OwnEFromFc);
    }

    void okWritesBackAndCancelLeavesTheLayer()
    {
        TLayer& layer = *m_data->Layers[0];
        const OwnValues before = ownValues(layer);
        whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TfrmPierMaterial*>(modal);
            QVERIFY(dialog);
            typeAndLeave(dialog->Edit1, QStringLiteral("3"), dialog->Edit3);
            pickItem(dialog->ComboBox1, piSmoothSteel);
            dialog->Button2->click();
        });
        QVERIFY(!EditLayerMaterial(layer, *m_data));
        QVERIFY(ownValues(layer) == before);

        whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TfrmPierMaterial*>(modal);
            QVERIFY(dialog);
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QVERIFY(!EditLayerMaterial(layer, *m_data));
        QVERIFY(ownValues(layer) == before);

        // The typed width is committed by OK itself, without leaving the field first.
        whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TfrmPierMaterial*>(modal);
            QVERIFY(dialog);
            dialog->Edit1->setFocus(Qt::TabFocusReason);
            dialog->Edit1->selectAll();
            QTest::keyClicks(dialog->Edit1, QStringLiteral("3.257"));
            dialog->Button1->click();
        });
        QVERIFY(EditLayerMaterial(layer, *m_data));
        QCOMPARE(double(layer.OwnWidth), 3.26);
        QCOMPARE(double(layer.OwnE), 3605.0);
    }

    void pileTypeIsStoredAsAModelPileType()
    {
        TLayer& layer = *m_data->Layers[0];
        TfrmPierMaterial dialog(layer, *m_data);
        QVERIFY(showActive(&dialog));
        QCOMPARE(dialog.ComboBox2->count(), 3);
        pickItem(dialog.ComboBox2, 2);
        QCOMPARE(dialog.ComboBox2->currentText(), QStringLiteral("Pile - large displ."));
        QCOMPARE(dialog.Label2->text(), QStringLiteral("Diameter"));
        dialog.SaveToLayer();
        QCOMPARE(layer.OwnPileType, ptLargeDisplacement);

        // The project that holds it is read back whole.
        platform::TMemoryStream stream;
        m_data->SaveToStream(stream);
        stream.SetPosition(0);
        TLPData loaded;
        loaded.LoadFromStream(stream);
        QCOMPARE(loaded.Layers[0]->OwnPileType, ptLargeDisplacement);
        QVERIFY(!loaded.Layers[0]->UsePileDefaults);
    }

    void enterMovesToTheNextInput()
    {
        TfrmPierMaterial dialog(*m_data->Layers[0], *m_data);
        QVERIFY(showActive(&dialog));
        dialog.Edit1->setFocus(Qt::TabFocusReason);
        dialog.Edit1->selectAll();
        QTest::keyClicks(dialog.Edit1, QStringLiteral("2.5"));
        QTest::keyClick(dialog.Edit1, Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QVERIFY(QApplication::focusWidget() != dialog.Edit1);
        QCOMPARE(dialog.Edit1->text(), QStringLiteral("2.50"));
    }

private:
    std::unique_ptr<TLPData> m_data;
};

QTEST_MAIN(PierMaterialTest)
#include "piermaterial_qtest.moc"
