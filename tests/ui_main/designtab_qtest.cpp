// The Structural Design tab as an engineer uses it: the tie spacing that follows its limit, the
// rebar standard, load case 1 as a project stores it, each case's shear at its own axial load,
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

using namespace testing_window;

namespace {

const QString kEnglishDemo = QStringLiteral(FENDRIX_DEMO_EXAMPLE_DIR "/ENGLISH UNITS DEMO EXAMPLE.fdx");

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

    void loadCaseOneOpensAsStored()
    {
        QTemporaryDir dir;
        const QString typed = dir.filePath(QStringLiteral("typed.fdx"));
        TLoadCase stored {};
        {
            auto w = openWindow();
            const TLPData& d = *w->LPData;
            openDemo(w.get());
            showTab(w.get(), w->TabSheet6);
            // 0 typed into case 1 makes it follow the analysis.
            for (QLineEdit* e : { w->EditPu[0], w->EditMu[0], w->EditVu[0] })
                typeAndLeave(w.get(), e, QStringLiteral("0"));
            const TLoadCase followed = d.LoadCases[0];
            QCOMPARE(followed.Pu, 1.2L * d.DownwardLoad);
            QVERIFY(followed.Mu > 0 && followed.Vu > 0);

            // A project whose case 1 was typed, by chance, as the demo's followed values, under
            // other loads.
            TLPData file;
            file.LoadFromFile(QFile::encodeName(kEnglishDemo).toStdString());
            file.DownwardLoad = 2 * d.DownwardLoad;
            file.LateralLoad = 2 * d.LateralLoad;
            file.LoadCases[0] = { followed.Pu, followed.Mu, followed.Vu, 0 };
            file.SaveToFile(QFile::encodeName(typed).toStdString());
            stored = file.LoadCases[0];

            // An Open that fails leaves case 1 following.
            const QString bad = dir.filePath(QStringLiteral("bad.fdx"));
            {
                QFile f(bad);
                QVERIFY(f.open(QIODevice::WriteOnly));
                f.write("not a project");
            }
            {
                MessageScript answers({ QMessageBox::No, QMessageBox::Ok });
                runWithFile(w->AOpen, bad);
                // The save question, answered No, then the reason the file is refused.
                QCOMPARE(answers.asked.size(), 2);
                QCOMPARE(answers.asked.last(), QStringLiteral("Wrong file format"));
            }
            // The rows rebuilt for the project shown meanwhile give the focus back once idle.
            QApplication::processEvents();
            typeAndLeave(w.get(), w->Edit13, QStringLiteral("200"));
            QCOMPARE(d.LoadCases[0].Pu, 240.0L);
            typeAndLeave(w.get(), w->Edit13, QStringLiteral("150"));
            QCOMPARE(d.LoadCases[0].Pu, followed.Pu);

            openProject(w.get(), typed);
            QCOMPARE(d.LoadCases[0].Pu, stored.Pu);
            QCOMPARE(d.LoadCases[0].Mu, stored.Mu);
            QCOMPARE(d.LoadCases[0].Vu, stored.Vu);
        }
        // The same in a freshly started program.
        auto w = openWindow();
        openProject(w.get(), typed);
        QCOMPARE(w->LPData->LoadCases[0].Pu, stored.Pu);
        QCOMPARE(w->LPData->LoadCases[0].Mu, stored.Mu);
        QCOMPARE(w->LPData->LoadCases[0].Vu, stored.Vu);
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
