// The values the main window ties to the unit system, driven by object name in both systems: the
// material defaults and the f'c / E pair, the tip area, the steel section as the pile's size,
// the tie-spacing messages and the subgrade-reaction range with its cyclic 0.6.
#include "mainwindowtesting.h"

#include "model/fieldlimits.h"
#include "model/lpclasses.h"

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>

#include <cmath>

using namespace testing_window;

namespace {

struct ModulusCase {
    bool si;
    const char* typedE;
    const char* fcShown;
    Extended eFromRootFc; // E = this x sqrt(f'c)
    int eDecimals;
    Extended steelE, timberE, concreteFc;
};

} // namespace

Q_DECLARE_METATYPE(ModulusCase)

class UnitsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { startTest(); }

    void cleanup() { checkNoUnexpectedMessages(); }

    // Entering E sets f'c from it (rounded as its edit shows it) and E again from that f'c; an
    // interface sets its material's modulus, and concrete resets f'c even after an entered E.
    void modulusAndStrengthFollowEachOther_data()
    {
        QTest::addColumn<ModulusCase>("c");
        // (3605 x 1000 / 57000)^2 = 4000; (25000 / 4700)^2 = 28.29.
        QTest::newRow("English") << ModulusCase { false, "3605", "4000", 57, 0, 29000, 1500, 2500 };
        QTest::newRow("SI") << ModulusCase { true, "25000", "28.3", 4700, 1, 200000, 10000, 18 };
    }

    void modulusAndStrengthFollowEachOther()
    {
        QFETCH(ModulusCase, c);
        auto w = openWindow();
        if (c.si)
            choose(w->ComboBox1, 1);
        QCOMPARE(w->LPData->Units, c.si ? kUnitsSI : kUnitsUS);
        click(w->RadioButton2);
        QVERIFY(w->Edit8->isEnabled());
        QVERIFY(!w->Edit3->isEnabled());
        typeAndLeave(w.get(), w->Edit8, QLatin1String(c.typedE));
        QCOMPARE(w->Edit3->text(), QLatin1String(c.fcShown));
        const Extended fc = QString::fromLatin1(c.fcShown).toDouble();
        QVERIFY(std::fabs(w->LPData->Fc - fc) < 1e-9L);
        QCOMPARE(w->Edit8->text(), fixed(c.eFromRootFc * std::sqrt(fc), c.eDecimals));
        QVERIFY(!w->LPData->EFromFc);

        choose(w->ComboBox3, piRoughSteel);
        QVERIFY(w->Edit3->isHidden());
        QCOMPARE(w->LPData->E, c.steelE);
        choose(w->ComboBox3, piTimber);
        QCOMPARE(w->LPData->E, c.timberE);
        choose(w->ComboBox3, piSmoothConcrete);
        QVERIFY(!w->Edit3->isHidden());
        QCOMPARE(w->LPData->Fc, c.concreteFc);
        QCOMPARE(w->Edit8->text(), fixed(c.eFromRootFc * std::sqrt(c.concreteFc), c.eDecimals));
    }

    void tipAreaInSquareFeetOrSquareMetres()
    {
        auto w = openWindow();
        enterPile(w.get());
        // 1.5 ft square: 324 in^2 of section, a tip of 2.25 ft^2.
        QCOMPARE(w->LPData->Area, 324.0L);
        QCOMPARE(w->LPData->TipArea, 2.25L);
        QCOMPARE(w->Edit16->text(), QStringLiteral("2.250"));
        QCOMPARE(w->Label76->text(), QStringLiteral("ft"));
        QCOMPARE(w->Label15->text(), QStringLiteral("in"));

        // In SI the width stands as 1.5 m: section and tip both 2.25 m^2.
        choose(w->ComboBox1, 1);
        QCOMPARE(w->LPData->Width, 1.5L);
        QCOMPARE(w->LPData->Area, 2.25L);
        QCOMPARE(w->LPData->TipArea, 2.25L);
        QCOMPARE(w->Label76->text(), QStringLiteral("m"));
        QCOMPARE(w->Label15->text(), QStringLiteral("m"));
    }

    void steelSectionSizesThePileInBothSystems()
    {
        auto w = openWindow();
        enterPile(w.get());
        choose(w->ComboBox1, 1);
        choose(w->ComboBox3, piRoughSteel);
        click(w->chkUseReinforcement);
        // I/H: flange width and depth from mm to m.
        const TLPData& d = *w->LPData;
        QVERIFY(d.IShape.bf > 0 && d.IShape.d > 0);
        QCOMPARE(d.Width, d.IShape.bf / 1000);
        QCOMPARE(d.Width2, d.IShape.d / 1000);
        // Another section sizes the pile at once: Calculate uses the chosen section's size.
        QVERIFY(w->ComboBox8->count() > 6);
        const Extended firstWidth = d.Width;
        choose(w->ComboBox8, 5);
        QCOMPARE(d.SectionIndex, 5);
        QVERIFY(d.IShape.bf / 1000 != firstWidth);
        QCOMPARE(d.Width, d.IShape.bf / 1000);
        QCOMPARE(d.Width2, d.IShape.d / 1000);
        QCOMPARE(w->Edit2->text(), fixed(d.IShape.bf / 1000, 3));
        // Pipe: outside diameter from mm to m, a round pile.
        choose(w->ComboBox18, 1);
        QCOMPARE(d.Shape, psCircle);
        QVERIFY(d.PipeShape.OD > 0);
        QCOMPARE(d.Width, d.PipeShape.OD / 1000);
        // Back in English the pipe table's inches become feet.
        choose(w->ComboBox1, 0);
        QCOMPARE(d.Units, kUnitsUS);
        QVERIFY(d.PipeShape.OD > 0);
        QCOMPARE(d.Width, d.PipeShape.OD / 12);
    }

    void tieSpacingMessagesInBothSystems()
    {
        auto w = openWindow();
        enterPile(w.get());
        choose(w->ComboBox5, psCircle);
        click(w->chkUseReinforcement);
        QVERIFY(w->PageControl1->isTabVisible(w->PageControl1->indexOf(w->TabSheet6)));
        w->PageControl1->setCurrentWidget(w->TabSheet6);

        // Ties: a spacing over the limit names the pier diameter, 1.5 ft = 18 in.
        choose(w->ComboBox13, 0);
        typeAndLeave(w.get(), w->Edit56, QStringLiteral("90"));
        QVERIFY(w->LPData->SpacingOverride > w->LPData->SpacingLimit);
        QCOMPARE(
            w->Label159->text(), QStringLiteral("Must be less than 16db, 48dl and pier diameter (18in)"));
        // Spirals: 1 to 3 in.
        choose(w->ComboBox13, 1);
        typeAndLeave(w.get(), w->Edit56, QStringLiteral("4"));
        QCOMPARE(w->Label159->text(), QStringLiteral("Must be between 1 and 3 in"));
        typeAndLeave(w.get(), w->Edit56, QStringLiteral("2"));
        QCOMPARE(w->Label159->text(), QStringLiteral("Spacing Good"));

        // SI: spirals 25 to 75 mm; ties name the diameter in mm (1.5 m = 1500 mm).
        choose(w->ComboBox1, 1);
        w->PageControl1->setCurrentWidget(w->TabSheet6);
        typeAndLeave(w.get(), w->Edit56, QStringLiteral("80"));
        QCOMPARE(w->Label159->text(), QStringLiteral("Must be between 25 and 75 mm"));
        typeAndLeave(w.get(), w->Edit56, QStringLiteral("24"));
        QCOMPARE(w->Label159->text(), QStringLiteral("Must be between 25 and 75 mm"));
        typeAndLeave(w.get(), w->Edit56, QStringLiteral("50"));
        QCOMPARE(w->Label159->text(), QStringLiteral("Spacing Good"));
        choose(w->ComboBox13, 0);
        typeAndLeave(w.get(), w->Edit56, QStringLiteral("2000"));
        QVERIFY(w->LPData->SpacingOverride > w->LPData->SpacingLimit);
        QCOMPARE(
            w->Label159->text(), QStringLiteral("Must be less than 16db, 48dl and Pier Diameter (1500mm)"));
        QCOMPARE(w->Label137->text(), QStringLiteral("mm"));
    }

    void cyclicScalesTheReactionsAndTheirRange()
    {
        auto w = openWindow();
        openDemo(w.get());
        QVERIFY(!w->LPData->CyclicAnalysis);
        TLayer* first = w->LPData->Layers[0];
        Extended low = 0, high = 0;
        first->subgradeReactionRange(low, high);
        QVERIFY(low > 0);
        QLineEdit* bottom = edit(w.get(), row("SGReactBottom", 1));
        const auto rangeWarning = [](Extended from, Extended to) {
            return QStringList({ QStringLiteral("The value must be between %1 and %2")
                                     .arg(static_cast<double>(from), 0, 'f', 0)
                                     .arg(static_cast<double>(to), 0, 'f', 0) });
        };
        // Outside the static range: warned and held to the nearer end.
        for (const auto& [typed, held] : { std::pair { high + 50, high }, std::pair { Extended(1), low } }) {
            MessageScript answers;
            typeAndLeave(w.get(), bottom, QString::number(static_cast<double>(typed)));
            QCOMPARE(answers.asked, rangeWarning(low, high));
            QCOMPARE(first->SGReactBottom, held);
        }
        // A static value within it (no message) that 0.6 maps onto a whole number.
        const Extended value = std::floor((low + high) / 20) * 10;
        typeAndLeave(w.get(), bottom, QString::number(static_cast<double>(value)));
        QCOMPARE(first->SGReactBottom, value);
        QCOMPARE(w->LPData->Layers[1]->SGReactTop, value);
        const Extended top = first->SGReactTop;

        click(w->CheckBox2);
        QVERIFY(w->LPData->CyclicAnalysis);
        // The row shows one decimal and the pass reads the row back.
        QVERIFY(std::fabs(first->SGReactBottom - 0.6L * value) < 1e-12L);
        QVERIFY(std::fabs(first->SGReactTop - 0.6L * top) <= 0.05L);
        QCOMPARE(w->LPData->Layers[1]->SGReactTop, first->SGReactBottom);
        QCOMPARE(bottom->text(), fixed(0.6L * value, 1));

        // The warning names the cyclic range.
        Extended cyclicLow = 0, cyclicHigh = 0;
        first->subgradeReactionRange(cyclicLow, cyclicHigh);
        QVERIFY(cyclicHigh < high);
        {
            MessageScript answers;
            typeAndLeave(w.get(), bottom, QString::number(static_cast<double>(high)));
            QCOMPARE(answers.asked, rangeWarning(cyclicLow, cyclicHigh));
        }
        QCOMPARE(first->SGReactBottom, cyclicHigh);

        // Back to static: 5/3 of the cyclic value.
        click(w->CheckBox1);
        QVERIFY(!w->LPData->CyclicAnalysis);
        QVERIFY(std::fabs(first->SGReactBottom - cyclicHigh / 0.6L) <= 0.05L);
    }
};

int main(int argc, char** argv)
{
    return runWindowTest<UnitsTest>(argc, argv);
}

#include "units_qtest.moc"
