// The Structural Design tab as an engineer uses it: the tie spacing that follows its limit, the
// rebar standard, each case's shear at its own axial load,
// timber values as typed, unbraced lengths within the pile, a section whose bars cannot fit, and
// load-case rows that are not in use.
#include "mainwindowtesting.h"

#include "model/fieldlimits.h"
#include "model/lpclasses.h"
#include "platform/qt/numberformat.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QTemporaryDir>

#include <cmath>
#include <numbers>

using namespace testing_window;

namespace {

void showTab(TfrmLPMain* w, QWidget* tab)
{
    QVERIFY(w->PageControl1->isTabVisible(w->PageControl1->indexOf(tab)));
    w->PageControl1->setCurrentWidget(tab);
    QApplication::processEvents();
}

void chooseText(QComboBox* combo, const QString& text)
{
    const int index = combo->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    choose(combo, index);
}

// Concrete shear capacity of a rectangular US section with the axial load P acting (kips, in,
// psi): 1.5 Ag (1 + P/(2 Ag)) sqrt(f'c) / 1000.
Extended rectangularShear(Extended ag, Extended fcPsi, Extended p)
{
    return 1.5L * ag * (1 + p / (2 * ag)) * std::sqrt(fcPsi) / 1000;
}

QString percent(Extended ratio)
{
    return QString::number(RoundHalfEven(100 * ratio)) + QLatin1Char('%');
}

} // namespace

class DesignTabTest : public QObject {
    Q_OBJECT

private slots:
    void init() { startTest(); }

    void cleanup() { checkNoUnexpectedMessages(); }

    void tieSpacingFollowsItsLimitThroughTheBarList()
    {
        auto w = openWindow();
        const TLPData& d = *w->LPData;
        openDemo(w.get());
        showTab(w.get(), w->TabSheet6);
        QCOMPARE(w->ComboBox13->currentIndex(), kTieTypeTie);
        // 18 in square, #7 bars, #3 ties: 16 db = 14 in.
        QCOMPARE(w->Edit55->text(), QStringLiteral("14.0"));

        // A spacing set at the limit follows every new limit.
        typeAndLeave(w.get(), w->Edit56, QStringLiteral("14.0"));
        chooseText(w->ComboBox14, QStringLiteral("#3"));
        QCOMPARE(w->Edit55->text(), QStringLiteral("6.0"));
        QCOMPARE(w->Edit56->text(), QStringLiteral("6.0"));
        QCOMPARE(d.SpacingOverride, 6.0L);
        QCOMPARE(w->Label159->text(), QStringLiteral("Spacing Good"));
        chooseText(w->ComboBox14, QStringLiteral("#7"));
        QCOMPARE(w->Edit56->text(), QStringLiteral("14.0"));

        // Saved at its limit, it follows after the project is opened again, whatever was open
        // in between.
        QTemporaryDir dir;
        const QString saved = dir.filePath(QStringLiteral("at-limit.fdx"));
        runWithFile(w->ASaveAs, saved);
        openDemo(w.get(), true);
        openProject(w.get(), saved);
        showTab(w.get(), w->TabSheet6);
        QCOMPARE(w->Edit56->text(), QStringLiteral("14.0"));
        chooseText(w->ComboBox14, QStringLiteral("#6"));
        // 16 db = 12 in.
        QCOMPARE(w->Edit55->text(), QStringLiteral("12.0"));
        QCOMPARE(w->Edit56->text(), QStringLiteral("12.0"));

        // A spacing the user typed stays, and the window says when it is too wide.
        typeAndLeave(w.get(), w->Edit56, QStringLiteral("10"));
        chooseText(w->ComboBox14, QStringLiteral("#3"));
        QCOMPARE(d.SpacingOverride, 10.0L);
        QCOMPARE(
            w->Label159->text(), QStringLiteral("Must be less than 16db, 48dl and pier diameter (18in)"));
    }

    void rebarStandardCanBeChosen()
    {
        auto w = openWindow();
        const TLPData& d = *w->LPData;
        QTemporaryDir dir;
        const QString saved = dir.filePath(QStringLiteral("canadian.fdx"));
        for (const bool si : { false, true }) {
            openDemo(w.get(), si);
            showTab(w.get(), w->TabSheet6);
            const TRebarStandard own = si ? rsEuropean : rsUS;
            QCOMPARE(d.RebarStandard, own);
            for (const TRebarStandard chosen : { rsUS, rsEuropean, rsCanadian }) {
                if (chosen == own)
                    continue;
                choose(w->ComboBox12, chosen);
                QCOMPARE(d.RebarStandard, chosen);
                QCOMPARE(w->ComboBox12->currentIndex(), int(chosen));
                // The bar lists and sizes are those of the chosen standard.
                for (QComboBox* bars : { w->ComboBox14, w->ComboBox15 }) {
                    QVERIFY(bars->count() > 0);
                    for (int i = 0; i < bars->count(); ++i)
                        QCOMPARE(bars->itemText(i).startsWith(QLatin1Char('#')), chosen == rsUS);
                }
                QCOMPARE(w->ComboBox14->currentText(), QString::fromStdString(d.BarName(d.BarSize)));
                QCOMPARE(w->ComboBox15->currentText(), QString::fromStdString(d.BarName(d.TieBarSize)));
            }
            runWithFile(w->ASaveAs, saved);
        }
        // Opened, the list shows the file's standard.
        openDemo(w.get());
        openProject(w.get(), saved);
        showTab(w.get(), w->TabSheet6);
        QCOMPARE(d.RebarStandard, rsCanadian);
        QCOMPARE(w->ComboBox12->currentIndex(), int(rsCanadian));
    }

    void eachCaseShearsAtItsOwnAxialLoad()
    {
        auto w = openWindow();
        const TLPData& d = *w->LPData;
        openDemo(w.get());
        showTab(w.get(), w->TabSheet6);
        typeAndLeave(w.get(), w->Edit60, QStringLiteral("4"));
        const char* pu[] = { "400", "100", "20", "250" };
        const char* vu[] = { "30", "20", "25", "35" };
        for (int n = 0; n < 4; ++n) {
            typeAndLeave(w.get(), w->EditPu[n], QLatin1String(pu[n]));
            typeAndLeave(w.get(), w->EditVu[n], QLatin1String(vu[n]));
        }
        // The 18 in square pile of 5000 psi.
        const Extended ag = 18 * 18;
        QCOMPARE(d.Fc, 5000.0L);
        for (int n = 0; n < 4; ++n) {
            const Extended capacity = rectangularShear(ag, d.Fc, QString::fromLatin1(pu[n]).toDouble());
            QCOMPARE(w->LabVutil[n]->text(), percent(QString::fromLatin1(vu[n]).toDouble() / capacity));
            QCOMPARE(w->LabVUtilb[n]->text(), w->LabVutil[n]->text());
        }
        QCOMPARE(w->LabVutil[1]->text(), QStringLiteral("50%"));
        QCOMPARE(w->LabVutil[2]->text(), QStringLiteral("71%"));
        QCOMPARE(w->LabVutil[3]->text(), QStringLiteral("73%"));
        // The capacity kept is case 1's.
        QVERIFY(std::fabs(d.ShearCapacity - rectangularShear(ag, d.Fc, 400)) < 1e-9L);
    }

    void timberValuesAreTakenAsTyped()
    {
        auto w = openWindow();
        const TLPData& d = *w->LPData;
        const TTimberInput& in = d.TimberInput;
        const TTimberResult& t = d.TimberResult;
        for (const bool si : { false, true }) {
            openDemo(w.get(), si);
            choose(w->ComboBox3, piTimber);
            showTab(w.get(), w->TabSheet7);
            typeAndLeave(w.get(), w->Edit61, QStringLiteral("1.15"));
            QCOMPARE(w->Edit61->text(), QStringLiteral("1.15"));
            QCOMPARE(in.CD, 1.15L);
            if (si) {
                typeAndLeave(w.get(), w->Edit63, QStringLiteral("0.76"));
                typeAndLeave(w.get(), w->Edit62, QStringLiteral("11.5"));
                QCOMPARE(w->Edit63->text(), QStringLiteral("0.76"));
                QCOMPARE(w->Edit62->text(), QStringLiteral("11.50"));
                QCOMPARE(in.Fv, 0.76L);
                QCOMPARE(in.Fb, 11.5L);
            } else {
                // Pounds per square inch are whole.
                typeAndLeave(w.get(), w->Edit62, QStringLiteral("1200.4"));
                QCOMPARE(w->Edit62->text(), QStringLiteral("1200"));
                QCOMPARE(in.Fb, 1200.0L);
            }
            // The check uses them: F'v = Fv CD Cct, F'b = Fb CD CF Cct.
            QVERIFY(std::fabs(t.FvPrime - in.Fv * 1.15L * t.Cct) < 1e-12L);
            QVERIFY(std::fabs(t.FbPrime - in.Fb * 1.15L * t.CF * t.Cct) < 1e-9L);
            QCOMPARE(w->Edit25->text(), w->Edit72->text());
        }
    }

    void unbracedLengthsStayWithinThePile()
    {
        auto w = openWindow();
        const TSteelInput& s = w->LPData->SteelInput;
        choose(w->ComboBox1, kUnitsSI);
        choose(w->ComboBox3, piRoughSteel);
        if (!w->LPData->StructuralDesign)
            click(w->chkUseReinforcement);
        typeAndLeave(w.get(), w->Edit1, QStringLiteral("12.355"));
        QCOMPARE(w->LPData->PileLength, 12.355L);
        const Extended length = w->LPData->PileLength;
        const Extended shortest = 0.2L * length;

        choose(w->ComboBox18, 0);
        showTab(w.get(), w->TabSheet4);
        for (QLineEdit* e : { w->Edit37, w->Edit39 }) {
            typeAndLeave(w.get(), e, QStringLiteral("20"));
            QCOMPARE(e->text(), fixed(12.35L, 2).replace(QLatin1Char('.'), QLocale().decimalPoint()));
        }
        QVERIFY(s.Lx <= length && s.Lb <= length);
        QCOMPARE(s.Lx, 12.35L);
        typeAndLeave(w.get(), w->Edit37, QStringLiteral("0.1"));
        QVERIFY(s.Lx >= shortest);
        QCOMPARE(s.Lx, 2.48L);

        choose(w->ComboBox18, 1);
        showTab(w.get(), w->TabSheet5);
        typeAndLeave(w.get(), w->Edit48, QStringLiteral("20"));
        QVERIFY(s.Lx <= length);
        typeAndLeave(w.get(), w->Edit48, QStringLiteral("0.1"));
        QVERIFY(s.Lx >= shortest);
    }

    void aSectionWhoseBarsCannotFitHasNoNumbers()
    {
        auto w = openWindow();
        const TLPData& d = *w->LPData;
        const auto expectNoAnswer = [&](const QString& why) {
            QVERIFY2(w->Label159->text().startsWith(QStringLiteral("Bars do not fit: ")),
                qPrintable(why + QStringLiteral(": ") + w->Label159->text()));
            for (int n = 0; n < d.LoadCaseCount; ++n) {
                for (QLineEdit* e : { w->EditMall[n], w->EditMallb[n] })
                    QCOMPARE(e->text(), QStringLiteral("N.A."));
                for (QLabel* l : { w->LabPutil[n], w->LabMutil[n], w->LabVutil[n], w->LabPUtilb[n],
                         w->LabMUtilb[n], w->LabVUtilb[n] })
                    QCOMPARE(l->text(), QStringLiteral("N.A."));
            }
        };

        openDemo(w.get());
        showTab(w.get(), w->TabSheet6);
        QCOMPARE(d.Cover, 3.0L);
        // 18 in square, #3 ties, #7 bars: the rows need a cover below 9 - 0.375 - 0.4375 in.
        for (const char* typed : { "9", "8.2" }) {
            MessageScript answers;
            typeAndLeave(w.get(), w->Edit58, QLatin1String(typed));
            QCOMPARE(answers.asked,
                QStringList { QStringLiteral("Bars do not fit: clear cover at most %1 in")
                                  .arg(QString::fromStdString(FormatFixed(8.1L, 1, LocaleNumberFormat()))) });
            QCOMPARE(d.Cover, 3.0L);
            QCOMPARE(w->Edit58->text(), QString::fromStdString(FormatFixed(3, 1, LocaleNumberFormat())));
        }
        typeAndLeave(w.get(), w->Edit58, QStringLiteral("8.1"));
        QCOMPARE(d.Cover, 8.1L);
        QVERIFY(std::isfinite(d.LoadCases[0].Mall));
        QCOMPARE(w->Label159->text(), QStringLiteral("Spacing Good"));

        // A narrower pile leaves the same cover no room.
        typeAndLeave(w.get(), w->Edit58, QStringLiteral("3"));
        typeAndLeave(w.get(), w->Edit2, QStringLiteral("0.5"));
        showTab(w.get(), w->TabSheet6);
        expectNoAnswer(QStringLiteral("6 in wide"));
        typeAndLeave(w.get(), w->Edit2, QStringLiteral("1.5"));
        QVERIFY(std::isfinite(d.LoadCases[0].Mall));

        // The SI demo's 75 mm cover, kept as a number when the units change, is 75 in.
        openDemo(w.get(), true);
        choose(w->ComboBox1, kUnitsUS);
        QCOMPARE(d.Cover, 75.0L);
        showTab(w.get(), w->TabSheet6);
        expectNoAnswer(QStringLiteral("75 in cover"));
    }

    // Bars on a circle (a round pile) must stand side by side on it: their number times their
    // diameter no more than the circle's circumference.
    void barsMustStandSideBySideOnTheirCircle()
    {
        QTemporaryDir dir;
        auto w = openWindow();
        const TLPData& d = *w->LPData;
        openDemo(w.get());
        choose(w->ComboBox5, psCircle);
        showTab(w.get(), w->TabSheet6);
        QVERIFY(w->Edit59->isVisible());
        TRebar bar, tie;
        d.GetRebar(d.BarSize, bar);
        d.GetRebar(d.TieBarSize, tie);
        QCOMPARE(bar.Diameter, 0.875);
        // 18 in round, 3 in cover, #3 ties: the bars' circle has a radius of 5.1875 in and holds
        // 37 bars of 0.875 in.
        const Extended radius = 9 - d.Cover - tie.Diameter - bar.Diameter / 2;
        const int most = int(std::floor(2 * std::numbers::pi_v<Extended> * radius / bar.Diameter));
        QCOMPARE(most, 37);
        const std::int32_t before = d.BarCount;
        for (const char* typed : { "200", "38" }) {
            MessageScript answers;
            typeAndLeave(w.get(), w->Edit59, QLatin1String(typed));
            QCOMPARE(
                answers.asked, QStringList { QStringLiteral("Bars do not fit: at most 37 side by side") });
            QCOMPARE(d.BarCount, before);
            QCOMPARE(w->Edit59->text(), QString::number(before));
        }
        typeAndLeave(w.get(), w->Edit59, QStringLiteral("37"));
        QCOMPARE(d.BarCount, 37);
        QVERIFY(std::isfinite(d.LoadCases[0].Mall));

        // With 37 bars a cover of 3.1 in leaves a circle too small: 3.0 is the most.
        {
            MessageScript answers;
            typeAndLeave(w.get(), w->Edit58, QStringLiteral("3.1"));
            QCOMPARE(answers.asked,
                QStringList { QStringLiteral("Bars do not fit: clear cover at most %1 in")
                                  .arg(QString::fromStdString(FormatFixed(3, 1, LocaleNumberFormat()))) });
            QCOMPARE(d.Cover, 3.0L);
        }

        // A file with 200 bars opens with no numbers and says why.
        const QString crowded = dir.filePath(QStringLiteral("crowded.fdx"));
        saveChanged(w.get(), crowded, [](TLPData& file) { file.BarCount = 200; });
        openProject(w.get(), crowded);
        showTab(w.get(), w->TabSheet6);
        QCOMPARE(d.BarCount, 200);
        QCOMPARE(w->Label159->text(), QStringLiteral("Bars do not fit: at most 37 side by side"));
        for (int n = 0; n < d.LoadCaseCount; ++n)
            QCOMPARE(w->EditMall[n]->text(), QStringLiteral("N.A."));
        // A count that fits brings the numbers back.
        typeAndLeave(w.get(), w->Edit59, QStringLiteral("8"));
        QVERIFY(std::isfinite(d.LoadCases[0].Mall));

        // SI: a 0.45 m round pile with a cover that leaves the four bars' circle a few
        // millimetres across is refused too.
        openDemo(w.get(), true);
        choose(w->ComboBox5, psCircle);
        typeAndLeave(w.get(), w->Edit2, QStringLiteral("0.45"));
        showTab(w.get(), w->TabSheet6);
        typeAndLeave(w.get(), w->Edit59, QStringLiteral("4"));
        QCOMPARE(d.BarCount, 4);
        d.GetRebar(d.BarSize, bar);
        d.GetRebar(d.TieBarSize, tie);
        const Extended limit = 225 - tie.Diameter - bar.Diameter / 2;
        const Extended coverBefore = d.Cover;
        // The largest whole-tenth cover whose circle still holds the four bars side by side.
        const Extended largest
            = std::floor(10 * (limit - 4 * bar.Diameter / (2 * std::numbers::pi_v<Extended>))) / 10;
        QVERIFY(largest < 204 && largest > 150);
        {
            MessageScript answers;
            typeAndLeave(w.get(), w->Edit58, QStringLiteral("204"));
            QCOMPARE(answers.asked,
                QStringList {
                    QStringLiteral("Bars do not fit: clear cover at most %1 mm")
                        .arg(QString::fromStdString(FormatFixed(largest, 1, LocaleNumberFormat()))) });
            QCOMPARE(d.Cover, coverBefore);
        }
    }

    // Inputs the calculation divides by: a 0 typed is refused with the reason; one a file brings
    // gives no number.
    void zeroDivisorsAreRefusedWhereTyped()
    {
        QTemporaryDir dir;
        auto w = openWindow();
        TLPData& d = *w->LPData;
        openDemo(w.get(), true);
        const auto refused = [&](QLineEdit* edit, const Extended& held, const QString& reason) {
            const Extended before = held;
            QVERIFY(before != 0);
            MessageScript answers;
            typeAndLeave(w.get(), edit, QStringLiteral("0"));
            QCOMPARE(answers.asked, QStringList { reason + QStringLiteral(" must be greater than 0") });
            QCOMPARE(held, before);
            QVERIFY(edit->text() != QStringLiteral("0"));
        };
        // SI factors of safety have no range of their own.
        refused(w->Edit14, d.FSSide, QStringLiteral("The factor of safety on side friction"));
        refused(w->Edit17, d.FSEnd, QStringLiteral("The factor of safety on end bearing"));
        typeAndLeave(w.get(), w->Edit14, QStringLiteral("0.5"));
        QCOMPARE(d.FSSide, 0.5L);
        showTab(w.get(), w->TabSheet6);
        refused(w->Edit54, d.Es, QStringLiteral("The bars' modulus of elasticity Es"));
        choose(w->ComboBox3, piRoughSteel);
        showTab(w.get(), w->TabSheet4);
        refused(w->Edit40, d.SteelInput.Cb, QStringLiteral("The bending coefficient Cb"));
        choose(w->ComboBox3, piTimber);
        showTab(w.get(), w->TabSheet7);
        refused(w->Edit61, d.TimberInput.CD, QStringLiteral("The load duration factor"));
        refused(w->Edit62, d.TimberInput.Fb, QStringLiteral("The bending value Fb"));
        refused(w->Edit63, d.TimberInput.Fv, QStringLiteral("The shear value Fv"));
        refused(w->Edit64, d.TimberInput.Fc, QStringLiteral("The compression value Fc"));
        QVERIFY(std::isfinite(d.TimberResult.CombinedRatio));

        // Files that bring those zeros open as stored, with N.A. where a result divides by them.
        const QString timber = dir.filePath(QStringLiteral("timber.fdx"));
        saveChanged(w.get(), timber, [](TLPData& file) {
            file.TimberInput.CD = 0;
            file.FSSide = 0;
            file.FSEnd = 0;
            file.DownwardLoad = 45000;
        });
        openProject(w.get(), timber);
        QCOMPARE(d.TimberInput.CD, 0.0L);
        QCOMPARE(d.FSSide, 0.0L);
        QCOMPARE(w->Edit74->text(), QStringLiteral("N.A."));
        QVERIFY(isRed(w->Edit74));
        QVERIFY(w->Label80->text().startsWith(QStringLiteral("Downward Capacity is N.A.")));
        QVERIFY(isRed(w->Label80));

        openDemo(w.get(), true);
        const QString concrete = dir.filePath(QStringLiteral("concrete.fdx"));
        saveChanged(w.get(), concrete, [](TLPData& file) { file.Es = 0; });
        openProject(w.get(), concrete);
        showTab(w.get(), w->TabSheet6);
        QCOMPARE(d.Es, 0.0L);
        for (int n = 0; n < d.LoadCaseCount; ++n)
            QCOMPARE(w->EditMall[n]->text(), QStringLiteral("N.A."));
        for (const TInteractionPoint& p : d.InteractionPoints)
            QVERIFY(!std::isinf(p.PhiMn) && !std::isinf(p.PhiPn));
    }

    void loadCasesNotInUseLookDisabledInEveryCell()
    {
        auto w = openWindow();
        openDemo(w.get());
        showTab(w.get(), w->TabSheet6);
        QCOMPARE(w->LPData->LoadCaseCount, 2);
        const auto disabledText = [](const QWidget* control) {
            return control->palette().color(QPalette::Disabled, QPalette::Text);
        };
        const auto disabledCaption = [](const QWidget* control) {
            return control->palette().color(QPalette::Disabled, QPalette::WindowText);
        };
        // The case number's label is never coloured: the look of a disabled caption.
        const QColor caption = disabledCaption(w->findChild<QLabel*>(QStringLiteral("lblCase3")));
        for (int n = 2; n < 4; ++n) {
            QVERIFY(!w->EditPu[n]->isEnabled());
            QCOMPARE(disabledText(w->EditPu[n]), disabledText(w->EditMu[n]));
            QCOMPARE(disabledText(w->EditVu[n]), disabledText(w->EditMu[n]));
            for (const QLabel* l : { w->LabPutil[n], w->LabMutil[n], w->LabVutil[n] })
                QCOMPARE(disabledCaption(l), caption);
        }
        // The background as drawn, left of the right-aligned numbers.
        const auto background = [](QWidget* cell) {
            const QImage shot = cell->grab().toImage();
            return shot.pixelColor(4, shot.height() / 2);
        };
        const QColor skyBlue(166, 202, 240);
        // M all of an enabled row is sky blue (computed, not typed) beside the white inputs.
        for (int n = 0; n < 2; ++n) {
            QVERIFY(w->EditMall[n]->isEnabled());
            QCOMPARE(background(w->EditMall[n]), skyBlue);
            QCOMPARE(background(w->EditPu[n]), QColor(Qt::white));
        }
        // In a row not in use every cell, M all too, has the background of a disabled input.
        const QColor disabledCell = background(w->EditMu[2]);
        QVERIFY(disabledCell != skyBlue && disabledCell != QColor(Qt::white));
        for (int n = 2; n < 4; ++n) {
            QVERIFY(!w->EditMall[n]->isEnabled());
            for (QWidget* cell : { static_cast<QWidget*>(w->EditPu[n]), static_cast<QWidget*>(w->EditMu[n]),
                     static_cast<QWidget*>(w->EditVu[n]), static_cast<QWidget*>(w->EditMall[n]) })
                QCOMPARE(background(cell), disabledCell);
        }
        // An enabled row still marks a Pu beyond the section in red.
        typeAndLeave(w.get(), w->EditPu[1], QStringLiteral("5000"));
        QVERIFY(w->EditMall[1]->text().isEmpty());
        QVERIFY(isRed(w->EditPu[1]));
        QCOMPARE(w->EditPu[1]->palette().color(QPalette::Active, QPalette::Text), QColor(255, 0, 0));
    }
};

int main(int argc, char** argv)
{
    return runWindowTest<DesignTabTest>(argc, argv);
}

#include "designtab_qtest.moc"
