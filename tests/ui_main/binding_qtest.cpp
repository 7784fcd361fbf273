// The commit cycle of the main window driven by object name: typing and leaving an input copies
// the form into the model, calculates and refreshes; clamping, unit switching, the result lines
// with their red marks and the reinforced-concrete load cases.
#include "../ui_dialogs/dialogtesting.h"
#include "mainwindowtesting.h"

#include "model/fieldlimits.h"
#include "model/lpclasses.h"
#include "platform/core/stream.h"
#include "ui/dialogs/factorofsafety.h"
#include "ui/dialogs/piermaterial.h"
#include "ui/dialogs/userdefined.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

#include <cmath>

using namespace testing_window;

class BindingTest : public QObject {
    Q_OBJECT

private slots:
    void init() { startTest(); }

    void cleanup() { checkNoUnexpectedMessages(); }

    void editCommitsCalculatesAndHidesResults()
    {
        auto w = openWindow();
        enterPile(w.get());
        w->SetModified(false);
        click(w->Button2);
        QVERIFY(resultsShown(w.get()));
        QCOMPARE(w->PageControl1->currentWidget(), w->TabSheet3);
        const QString momentBefore = w->Label44->text();

        // Typing marks the project modified at once; leaving the field commits it.
        w->PageControl1->setCurrentWidget(w->TabSheet1);
        w->Edit4->setFocus(Qt::TabFocusReason);
        w->Edit4->selectAll();
        QTest::keyClicks(w->Edit4, QStringLiteral("25"));
        QVERIFY(w->Modified);
        QCOMPARE(w->LPData->LateralLoad, 10.0L); // not yet read
        w->Edit9->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        QCOMPARE(w->LPData->LateralLoad, 25.0L);
        QVERIFY(w->Modified);
        QVERIFY(!resultsShown(w.get())); // results of old inputs are never shown
        // The pass calculated: the moment line follows the new load.
        QVERIFY(w->Label44->text() != momentBefore);
        Extended moment = 0;
        const int node = w->LPData->MaxMomentNode(moment);
        QCOMPARE(w->Label44->text(),
            QStringLiteral("Maximum Moment is %1 k-ft at %2 ft")
                .arg(fixed(moment, 2), fixed(w->LPData->Node(node).Depth, 2)));

        // A pass leaves the flag as it found it, also when it is clear.
        w->SetModified(false);
        w->FormToData();
        QVERIFY(!w->Modified);
        w->DataToForm();
        QVERIFY(!w->Modified);
    }

    // Passing through the fields with Tab, typing nothing, changes nothing: no warning (a layer's
    // top reaction carried from the layer above may lie outside its own range), nothing marked
    // modified, the calculated results stay. A value typed or pasted out of range still warns.
    void aTabPassWithoutTypingChangesNothing()
    {
        auto w = openWindow();
        openDemo(w.get()); // a new project beside the program: its layers 3 and 4 carry such tops
        const auto tabPass = [&](QWidget* from) {
            from->setFocus(Qt::TabFocusReason);
            QApplication::processEvents();
            // The date picker takes Tab from section to section before it lets the focus go.
            QList<QWidget*> passed { from };
            for (int keys = 0; keys < 1000; ++keys) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                if (QApplication::focusWidget() == from)
                    break;
                if (!passed.contains(QApplication::focusWidget()))
                    passed << QApplication::focusWidget();
            }
            return passed;
        };
        for (QWidget* page : { w->TabSheet1, w->TabSheet2 }) {
            w->PageControl1->setCurrentWidget(page);
            const QList<QWidget*> passed = tabPass(w->Edit9);
            for (int n = 1; w->LayerPanel(n); ++n)
                QVERIFY(passed.contains(edit(w.get(), row("SGReactTop", n))));
            QVERIFY(passed.contains(w->DateTimePicker1));
        }
        QCOMPARE(unexpectedMessages(), QStringList());
        QVERIFY(!w->Modified);

        // After Calculate, in a project changed since it was saved.
        typeAndLeave(w.get(), w->Edit4, QStringLiteral("12"));
        {
            MessageScript no({ QMessageBox::No });
            click(w->Button2);
        }
        QVERIFY(resultsShown(w.get()));
        tabPass(w->Button2);
        tabPass(w->Button2);
        QVERIFY(resultsShown(w.get()));
        QCOMPARE(unexpectedMessages(), QStringList());

        MessageScript answers;
        QLineEdit* bottom = edit(w.get(), row("SGReactBottom", 4));
        typeAndLeave(w.get(), bottom, QStringLiteral("9999"));
        QCOMPARE(answers.asked.size(), 1);
        QVERIFY(answers.asked[0].startsWith(QStringLiteral("The value must be between")));
        bottom->setFocus(Qt::TabFocusReason);
        QApplication::clipboard()->setText(QStringLiteral("9999"));
        QTest::keyClick(bottom, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(bottom, Qt::Key_Tab);
        QCOMPARE(answers.asked.size(), 2);
        QCOMPARE(answers.asked[1], answers.asked[0]);
    }

    void inputsAreClampedThroughTheRealEdits()
    {
        auto w = openWindow();
        typeAndLeave(w.get(), w->Edit1, QStringLiteral("500"));
        QCOMPARE(w->Edit1->text(), QStringLiteral("450.00"));
        QCOMPARE(w->LPData->PileLength, 450.0L);
        typeAndLeave(w.get(), w->Edit22, QStringLiteral("0.01"));
        QCOMPARE(w->Edit22->text(), QStringLiteral("0.10"));
        QCOMPARE(w->LPData->AllowableDeflection, 0.1L);
        // Letters and a minus sign never reach the edit; an empty edit reads 0 and is clamped.
        typeAndLeave(w.get(), w->Edit7, QStringLiteral("-x"));
        QCOMPARE(w->Edit7->text(), QStringLiteral("2.0"));
        QCOMPARE(w->LPData->PassiveWedge, 2.0L);

        // In SI the same edit takes the SI limits and decimals.
        choose(w->ComboBox1, 1);
        typeAndLeave(w.get(), w->Edit1, QStringLiteral("0.5"));
        QCOMPARE(w->Edit1->text(), QStringLiteral("1.500"));
        QCOMPARE(w->LPData->PileLength, 1.5L);
    }

    void switchingUnitsConvertsNothingButFcAndCaptions()
    {
        auto w = openWindow();
        typeAndLeave(w.get(), w->Edit1, QStringLiteral("30"));
        QCOMPARE(w->LPData->Fc, 2500.0L);
        // Captions of each kind: lengths, forces, moments, stresses, the layer rows' headers, a
        // two-line one.
        QLabel* const captions[] = { w->Label5, w->Label11, w->Label13, w->Label88, w->Label7, w->Label31,
            w->Label27, w->Label58, w->Label62, w->Label149, w->Label182 };
        QStringList english;
        for (QLabel* label : captions)
            english << label->text();

        choose(w->ComboBox1, 1);
        QCOMPARE(w->LPData->Units, kUnitsSI);
        QCOMPARE(w->LPData->PileLength, 30.0L); // now metres: the number stands
        QCOMPARE(w->Edit1->text(), QStringLiteral("30.000"));
        QCOMPARE(w->LPData->Fc, 18.0L);
        QCOMPARE(w->Edit3->text(), QStringLiteral("18.0"));
        // E from f'c in SI: 4700 sqrt(18) MPa.
        QCOMPARE(w->Edit8->text(), fixed(4700 * std::sqrt(18.0L), 1));
        QCOMPARE(w->Label5->text(), QStringLiteral("m"));
        for (int i = 0; i < english.size(); ++i)
            QVERIFY2(captions[i]->text() != english[i], qPrintable(captions[i]->objectName()));
        {
            MessageScript no({ QMessageBox::No });
            click(w->Button2);
        }
        QVERIFY(w->Label44->text().contains(QStringLiteral(" KN.m at ")));
        QVERIFY(w->Label43->text().contains(QStringLiteral(" mm at ")));
        QVERIFY(w->Label80->text().contains(QStringLiteral(" KN")));

        choose(w->ComboBox1, 0);
        QCOMPARE(w->LPData->Fc, 2500.0L);
        QCOMPARE(w->Label5->text(), QStringLiteral("ft"));
        for (int i = 0; i < english.size(); ++i)
            QCOMPARE(captions[i]->text(), english[i]);
        QCOMPARE(w->LPData->PileLength, 30.0L);
    }

    void headConditionAndJobNumber()
    {
        auto w = openWindow();
        typeAndLeave(w.get(), w->Edit5, QStringLiteral("15"));
        QCOMPARE(w->LPData->MomentLoad, 15.0L);
        choose(w->ComboBox2, 1);
        QCOMPARE(w->LPData->HeadCondition, kFixedHead);
        QCOMPARE(w->LPData->MomentLoad, 0.0L);
        QVERIFY(!w->Edit5->isEnabled());
        choose(w->ComboBox2, 0);
        QVERIFY(w->Edit5->isEnabled());
        QCOMPARE(w->Edit5->text(), QStringLiteral("0.00"));

        // The project fields mark the project as they are typed in and commit when left; a click
        // on another tab leaves them too, and the tab's refresh shows what was typed.
        QTabBar* tabs = w->PageControl1->tabBar();
        for (QLineEdit* field : { w->Edit9, w->Edit10 }) {
            w->SetModified(false);
            field->setFocus(Qt::TabFocusReason);
            QApplication::processEvents();
            const QString typed = QStringLiteral("J-17 ") + field->objectName();
            QTest::keyClicks(field, typed);
            QVERIFY(w->Modified);
            const int other = w->PageControl1->currentIndex() == 0 ? 1 : 0;
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(other).center());
            QApplication::processEvents();
            QCOMPARE(w->PageControl1->currentIndex(), other);
            QCOMPARE(field->text(), typed);
        }
        QCOMPARE(w->LPData->JobNumber, std::string("J-17 Edit9"));
        QCOMPARE(w->LPData->Organization, std::string("J-17 Edit10"));
    }

    void resultLinesAfterCalculate()
    {
        auto w = openWindow();
        enterPile(w.get());
        typeAndLeave(w.get(), w->Edit22, QStringLiteral("12"));
        w->SetModified(false);
        click(w->Button2);
        const TLPData& d = *w->LPData;
        const TNodeResult& tip = d.Node(kNodeCount);
        QCOMPARE(w->Label55->text(),
            QStringLiteral("Pile Tip Movement is %1 in at the bottom (30.00 ft)")
                .arg(fixed(tip.Deflection, 2)));
        QCOMPARE(w->Label201->text(),
            QStringLiteral("Negative Skin Friction is %1 kips").arg(fixed(d.TotalNSF, 2)));
        QCOMPARE(w->Label206->text(), QStringLiteral("Pile Movement is %1 in").arg(fixed(tip.Settlement, 2)));
        Extended deflection = 0;
        d.MaxDeflectionNode(deflection);
        QVERIFY(std::fabs(deflection) < 12);
        QVERIFY(!w->Label43->text().contains(QLatin1Char('>')));
        QVERIFY(!isRed(w->Label43));

        // A deflection beyond the allowable one is red, with the allowable value appended.
        w->PageControl1->setCurrentWidget(w->TabSheet1);
        typeAndLeave(w.get(), w->Edit22, QStringLiteral("0.1"));
        typeAndLeave(w.get(), w->Edit4, QStringLiteral("200"));
        d.MaxDeflectionNode(deflection);
        QVERIFY(std::fabs(deflection) > 0.1);
        QVERIFY(w->Label43->text().endsWith(QStringLiteral(" (> 0.1 in)")));
        QVERIFY(isRed(w->Label43));

        // Capacities below their loads are red, with the load appended.
        typeAndLeave(w.get(), w->Edit13, QStringLiteral("10000"));
        typeAndLeave(w.get(), w->Edit78, QStringLiteral("7000"));
        QVERIFY(tip.Capacity < 10000);
        QVERIFY(w->Label80->text().endsWith(QStringLiteral(" (< 10000.0 kips)")));
        QVERIFY(isRed(w->Label80));
        QVERIFY(w->Label205->text().endsWith(QStringLiteral(" (< 7000.0 kips)")));
        QVERIFY(isRed(w->Label205));
        typeAndLeave(w.get(), w->Edit13, QStringLiteral("0"));
        QVERIFY(!isRed(w->Label80));
        QVERIFY(!w->Label80->text().contains(QLatin1Char('(')));
    }

    void concreteLoadCasesFollowTheAnalysis()
    {
        auto w = openWindow();
        enterPile(w.get());
        click(w->chkUseReinforcement);
        QVERIFY(w->LPData->StructuralDesign);
        QVERIFY(w->PageControl1->isTabVisible(w->PageControl1->indexOf(w->TabSheet6)));
        QVERIFY(!w->PageControl1->isTabVisible(w->PageControl1->indexOf(w->TabSheet4)));
        QVERIFY(!w->pnlResConcrete->isHidden());
        QVERIFY(w->pnlResSteel->isHidden());

        // Case 1 takes 1.2 x the downward load until the user types over it.
        QCOMPARE(w->LPData->LoadCases[0].Pu, 36.0L);
        QCOMPARE(w->EditPu[0]->text(), QStringLiteral("36"));
        typeAndLeave(w.get(), w->EditPu[0], QStringLiteral("50"));
        typeAndLeave(w.get(), w->Edit13, QStringLiteral("40"));
        QCOMPARE(w->LPData->LoadCases[0].Pu, 50.0L);
        QCOMPARE(w->EditPu[0]->text(), QStringLiteral("50"));

        // Only the cases in use take input; a round pile counts its bars in an edit.
        QVERIFY(w->EditPu[0]->isEnabled());
        QVERIFY(!w->EditPu[1]->isEnabled());
        QVERIFY(w->Panel11->isHidden());
        typeAndLeave(w.get(), w->Edit60, QStringLiteral("2"));
        QVERIFY(w->EditPu[1]->isEnabled());
        QVERIFY(!w->Panel11->isHidden());
        typeAndLeave(w.get(), w->EditVu[1], QStringLiteral("7"));
        QCOMPARE(w->LPData->LoadCases[1].Vu, 7.0L);
        QCOMPARE(w->LPData->LoadCases[0].Pu, 50.0L);

        choose(w->ComboBox5, psCircle);
        QVERIFY(!w->Edit59->isHidden());
        QVERIFY(w->ComboBox16->isHidden());
        typeAndLeave(w.get(), w->Edit59, QStringLiteral("2"));
        QCOMPARE(w->LPData->BarCount, 4); // ties need 4
        choose(w->ComboBox13, kTieTypeSpiral);
        typeAndLeave(w.get(), w->Edit59, QStringLiteral("2"));
        QCOMPARE(w->LPData->BarCount, 6); // a spiral needs 6
    }

    void momentUtilisationCountsMagnitudes()
    {
        auto w = openWindow();
        enterPile(w.get());
        click(w->chkUseReinforcement);
        // A fixed head: the largest moment is negative at the head, and case 1 follows it.
        choose(w->ComboBox2, 1);
        typeAndLeave(w.get(), w->Edit4, QStringLiteral("60"));
        const TLPData& d = *w->LPData;
        Extended moment = 0;
        d.MaxMomentNode(moment);
        QVERIFY(moment < 0);
        const TLoadCase& first = d.LoadCases[0];
        // As its edit shows it: that is the number the next commit reads back.
        QCOMPARE(first.Mu, ShownFieldValue(platform::controlTag(w->EditMu[0]), 1.6L * -moment, true));
        QVERIFY(std::isfinite(first.Mall) && first.Mall != 0);
        const auto percent = RoundHalfEven(100 * std::fabs(first.Mu) / std::fabs(first.Mall));
        QCOMPARE(w->LabMutil[0]->text(), QString::number(percent) + QLatin1Char('%'));
        QCOMPARE(isRed(w->LabMutil[0]), percent >= 101);
        QCOMPARE(w->EditMall[0]->text(), fixed(first.Mall, 0));
        // The Results tab carries the same texts and colours.
        QCOMPARE(w->LabMUtilb[0]->text(), w->LabMutil[0]->text());
        QCOMPARE(isRed(w->LabMUtilb[0]), isRed(w->LabMutil[0]));
        QCOMPARE(w->EditMallb[0]->text(), w->EditMall[0]->text());

        // A load far beyond the section: the moment utilisation turns red.
        typeAndLeave(w.get(), w->Edit4, QStringLiteral("900"));
        const auto overloaded = RoundHalfEven(100 * std::fabs(first.Mu) / std::fabs(first.Mall));
        if (std::isfinite(first.Mall)) {
            QVERIFY(overloaded >= 101);
            QVERIFY(isRed(w->LabMutil[0]));
        } else {
            // Beyond the curve: no allowable moment, and the Pu of the row is marked.
            QCOMPARE(w->EditMall[0]->text(), QString());
            QCOMPARE(w->LabMutil[0]->text(), QStringLiteral("-"));
        }

        // A free head under a large moment and a small shear: the largest shear, below the
        // head, is negative. Case 1 takes its magnitude, and so does the shear utilisation.
        choose(w->ComboBox2, 0);
        typeAndLeave(w.get(), w->Edit4, QStringLiteral("1"));
        typeAndLeave(w.get(), w->Edit5, QStringLiteral("400"));
        Extended shear = 0;
        d.MaxShearNode(shear);
        QVERIFY(shear < 0);
        QCOMPARE(first.Vu, ShownFieldValue(platform::controlTag(w->EditVu[0]), 1.6L * -shear, true));
        QVERIFY(d.ShearCapacity > 0);
        const auto shearPercent = RoundHalfEven(100 * first.Vu / d.ShearCapacity);
        QCOMPARE(w->LabVutil[0]->text(), QString::number(shearPercent) + QLatin1Char('%'));
        QCOMPARE(w->LabVUtilb[0]->text(), w->LabVutil[0]->text());
    }

    void steelSectionSetsThePileDimensions()
    {
        auto w = openWindow();
        enterPile(w.get());
        // The design is on before the pile turns to steel (the editors' test turns it on after):
        // the section tab opens on the model's table section, not on an empty list.
        click(w->chkUseReinforcement);
        choose(w->ComboBox3, piRoughSteel);
        QVERIFY(!w->ComboBox18->isHidden());
        QVERIFY(w->ComboBox5->isHidden());
        QCOMPARE(w->ComboBox18->currentIndex(), 0); // I/H Shape
        QCOMPARE(w->LPData->Shape, psRectangle);
        QVERIFY(w->PageControl1->isTabVisible(w->PageControl1->indexOf(w->TabSheet4)));
        QVERIFY(!w->pnlResSteel->isHidden());
        QVERIFY(w->ComboBox8->count() > 1);
        QCOMPARE(w->ComboBox8->itemText(w->ComboBox8->count() - 1), QStringLiteral("User Defined"));
        QCOMPARE(w->ComboBox8->currentText(), QString::fromStdString(w->LPData->GetIShapes()[0].Name));
        QVERIFY(w->SpeedButton12->isHidden());
        // The pile is the section: flange width and depth from inches to feet, read-only.
        const TIShape& s = w->LPData->IShape;
        QCOMPARE(w->LPData->Width, s.bf / 12);
        QCOMPARE(w->LPData->Width2, s.d / 12);
        QVERIFY(w->Edit2->isReadOnly());
        // Lx is held between 0.2 and 1.0 times the pile length; Ly follows it.
        typeAndLeave(w.get(), w->Edit37, QStringLiteral("99"));
        QCOMPARE(w->LPData->SteelInput.Lx, 30.0L);
        QCOMPARE(w->Edit37->text(), QStringLiteral("30.00"));
        typeAndLeave(w.get(), w->Edit37, QStringLiteral("1"));
        QCOMPARE(w->LPData->SteelInput.Lx, 6.0L);
        QCOMPARE(w->LPData->SteelInput.Ly, 6.0L);
        QCOMPARE(w->Edit38->text(), QStringLiteral("6.00"));
        // "User Defined" selects no table section and offers its editor.
        choose(w->ComboBox8, w->ComboBox8->count() - 1);
        QCOMPARE(w->LPData->SectionIndex, -1);
        QVERIFY(!w->SpeedButton12->isHidden());
        choose(w->ComboBox8, 0);
        QCOMPARE(w->LPData->SectionIndex, 0);
        QVERIFY(w->SpeedButton12->isHidden());
    }

    void layerAndEditorChangesCommitLikeInputs()
    {
        auto w = openWindow();
        enterPile(w.get());
        // The results the window holds are those of its model as it stands now.
        const auto calculated = [&] {
            platform::TMemoryStream stream;
            w->LPData->SaveToStream(stream);
            stream.SetPosition(0);
            TLPData fresh;
            fresh.LoadFromStream(stream);
            fresh.Calculate();
            return fresh.Node(kNodeCount).Capacity == w->LPData->Node(kNodeCount).Capacity;
        };
        const auto calculateResults = [&] {
            w->SetModified(false);
            click(w->Button2);
            return resultsShown(w.get());
        };
        const auto committed = [&](const char* change) {
            QVERIFY2(w->Modified, change);
            QVERIFY2(!resultsShown(w.get()), change);
            QVERIFY2(calculated(), change);
        };

        QVERIFY(calculateResults());
        click(w->SpeedButton11);
        committed("add a layer");
        QVERIFY(calculateResults());
        auto* material = child<QComboBox>(w.get(), QStringLiteral("MatType2"));
        choose(material, material->findData(int(lpmtCohesiveSoil)));
        committed("material");
        QCOMPARE(w->LPData->Layers[1]->MatType, lpmtCohesiveSoil);
        QVERIFY(calculateResults());
        click(child<QToolButton>(w.get(), QStringLiteral("DnBtn1")));
        committed("move a layer");
        QCOMPARE(w->LPData->Layers[0]->MatType, lpmtCohesiveSoil);
        QVERIFY(calculateResults());
        {
            MessageScript yes({ QMessageBox::Yes });
            click(child<QToolButton>(w.get(), QStringLiteral("DelBtn3")));
        }
        committed("delete a layer");

        // OK in the layer's own pile material dialog (its row button is hidden, its handler kept).
        QVERIFY(calculateResults());
        dialogtesting::whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TfrmPierMaterial*>(modal);
            QVERIFY(dialog);
            dialog->CheckBox1->setChecked(false);
            dialog->RadioButton2->setChecked(true);
            dialogtesting::typeAndLeave(dialog->Edit4, QStringLiteral("2000"), dialog->Edit5);
            dialog->Button1->click();
        });
        child<QToolButton>(w.get(), QStringLiteral("PierMatBtn1"))->click();
        committed("layer pile material");
        QVERIFY(!w->LPData->Layers[0]->UsePileDefaults);

        // OK in the factor-of-safety calculator: 100 years and very poor control suggest 4.0.
        QVERIFY(calculateResults());
        dialogtesting::whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TfrmFactorOfSafetyCalc*>(modal);
            QVERIFY(dialog);
            dialog->SpinEdit1->setValue(100);
            dialog->ComboBox1->setCurrentIndex(3);
            dialog->Button1->click();
        });
        click(w->SpeedButton2);
        committed("factor of safety");
        QCOMPARE(w->LPData->FSSide, 4.0L);
        QCOMPARE(w->Edit14->text(), QStringLiteral("4.0"));

        // OK in the user-defined section editor.
        choose(w->ComboBox3, piRoughSteel);
        click(w->chkUseReinforcement);
        choose(w->ComboBox8, w->ComboBox8->count() - 1);
        QVERIFY(calculateResults());
        dialogtesting::whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TfrmUserDefinedI*>(modal);
            QVERIFY(dialog);
            dialogtesting::typeAndLeave(dialog->Edit1, QStringLiteral("25"), dialog->Edit2);
            dialog->Button1->click();
        });
        click(w->SpeedButton12);
        committed("user-defined section");
        QCOMPARE(w->LPData->IShape.A, 25.0L);
    }
};

int main(int argc, char** argv)
{
    return runWindowTest<BindingTest>(argc, argv);
}

#include "binding_qtest.moc"
