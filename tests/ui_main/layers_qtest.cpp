// The soil layer rows driven by object name: adding, deleting and moving rows within 2..13
// layers, the row values going into their layers and back, the subgrade-reaction range, the
// cohesion defaults in both unit systems and the negative-skin-friction rule.
#include "mainwindowtesting.h"

#include "bench/analysis/project13.h"
#include "tests/results/picturebaseline.h"

#include "model/fieldlimits.h"
#include "model/lpclasses.h"
#include "ui/dialogs/colorselect.h"

#include <QCheckBox>
#include <QClipboard>
#include <QFrame>
#include <QLabel>
#include <QScrollArea>
#include <QToolButton>

#include <cmath>
#include <functional>
#include <utility>
#include <vector>

using namespace testing_window;

namespace {

int rowCount(TfrmLPMain* w)
{
    int n = 0;
    while (w->LayerPanel(n + 1))
        ++n;
    return n;
}

QToolButton* rowButton(TfrmLPMain* w, const char* base, int n)
{
    return child<QToolButton>(w, row(base, n));
}

struct CohesionCase {
    bool si;
    const char* caption;
    Extended zeroShows;
    const char* overLimit;
    Extended limit, switchedTo;
};

} // namespace

Q_DECLARE_METATYPE(CohesionCase)

class LayerRowsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { startTest(); }

    void cleanup()
    {
        QLocale::setDefault(QLocale::c());
        checkNoUnexpectedMessages();
    }

    void rowsStayBetweenTwoAndThirteen()
    {
        auto w = openWindow();
        TLayerList& layers = w->LPData->Layers;
        QCOMPARE(layers.Count(), 2);
        QCOMPARE(rowCount(w.get()), 2);
        QVERIFY(w->lblMoreData->isHidden());
        while (layers.Count() < 5)
            click(w->SpeedButton11);
        QCOMPARE(rowCount(w.get()), 5);
        QVERIFY(w->lblMoreData->isHidden()); // five rows fit
        click(w->SpeedButton11);
        QCOMPARE(rowCount(w.get()), 6);
        QVERIFY(!w->lblMoreData->isHidden()); // a sixth is scrolled to
        while (w->SpeedButton11->isEnabled())
            click(w->SpeedButton11);
        QCOMPARE(layers.Count(), 13);
        QCOMPARE(rowCount(w.get()), 13);
        w->SpeedButton11Click(); // also called directly: never a fourteenth
        QCOMPARE(layers.Count(), 13);
        // Row n shows layer n with its number.
        QCOMPARE(child<QLabel>(w.get(), row("Number", 13))->text(), QStringLiteral("13"));
        QCOMPARE(platform::controlTag(w->LayerPanel(13)), 13);

        // Deleting asks; No keeps the layer, Yes removes it and enables adding again.
        {
            MessageScript answers({ QMessageBox::No, QMessageBox::Yes });
            click(rowButton(w.get(), "DelBtn", 4));
            QCOMPARE(layers.Count(), 13);
            click(rowButton(w.get(), "DelBtn", 4));
            QCOMPARE(
                answers.asked, QStringList(2, QStringLiteral("Are you sure you want to remove a layer?")));
        }
        QCOMPARE(layers.Count(), 12);
        QCOMPARE(rowCount(w.get()), 12);
        QVERIFY(w->SpeedButton11->isEnabled());

        // Down to two: deleting one more leaves two, a fresh layer taking its place.
        MessageScript yes({ QMessageBox::Yes });
        while (layers.Count() > 2)
            click(rowButton(w.get(), "DelBtn", layers.Count()));
        QCOMPARE(rowCount(w.get()), 2);
        QVERIFY(w->lblMoreData->isHidden());
        TLayer* second = layers[1];
        click(rowButton(w.get(), "DelBtn", 1));
        QCOMPARE(layers.Count(), 2);
        QCOMPARE(layers[0], second);
        QCOMPARE(rowCount(w.get()), 2);
        QVERIFY(w->Modified);
    }

    void movingRowsMovesTheLayers()
    {
        auto w = openWindow();
        TLayerList& layers = w->LPData->Layers;
        click(w->SpeedButton11);
        TLayer* a = layers[0];
        TLayer* b = layers[1];
        TLayer* c = layers[2];
        QVERIFY(!rowButton(w.get(), "UpBtn", 1)->isEnabled());
        QVERIFY(rowButton(w.get(), "DnBtn", 1)->isEnabled());
        QVERIFY(!rowButton(w.get(), "DnBtn", 3)->isEnabled());
        click(rowButton(w.get(), "DnBtn", 1));
        QCOMPARE(layers[0], b);
        QCOMPARE(layers[1], a);
        click(rowButton(w.get(), "UpBtn", 3));
        QCOMPARE(layers[1], c);
        QCOMPARE(layers[2], a);
        // Each row shows its own layer after the move.
        for (int n = 1; n <= 3; ++n) {
            QCOMPARE(child<QLabel>(w.get(), row("Number", n))->text(), QString::number(n));
            QCOMPARE(child<QLineEdit>(w.get(), row("Gamma", n))->text(),
                QString::fromStdString(FormatFixed(layers[n - 1]->Gamma, 1)));
        }
        QVERIFY(w->Modified);
    }

    // The window's small buttons take no focus, and outside the layer block nothing above them
    // takes it on a click either: the value being typed is still in its edit when they act. It is
    // committed first, as moving to any other control commits it, and the button's refill of the
    // rows does not write over it.
    void typedValueIsCommittedBeforeAButtonActs()
    {
        auto w = openWindow();
        TLayerList& layers = w->LPData->Layers;
        const auto typeOnly = [](QLineEdit* target, const QString& text) {
            target->setFocus(Qt::TabFocusReason);
            QApplication::processEvents();
            target->selectAll();
            QTest::keyClick(target, Qt::Key_Backspace);
            QTest::keyClicks(target, text);
        };
        TLayer* first = layers[0];
        typeOnly(edit(w.get(), row("Gamma", 1)), QStringLiteral("111"));
        click(rowButton(w.get(), "DnBtn", 1));
        QCOMPARE(layers[1], first);
        QCOMPARE(first->Gamma, 111.0L);
        QCOMPARE(edit(w.get(), row("Gamma", 2))->text(), QStringLiteral("111.0"));

        typeOnly(edit(w.get(), row("Gamma", 1)), QStringLiteral("112"));
        click(w->SpeedButton11);
        QCOMPARE(layers.Count(), 3);
        QCOMPARE(layers[0]->Gamma, 112.0L);

        QCOMPARE(edit(w.get(), row("Gamma", 1))->text(), QStringLiteral("112.0"));
    }

    // The colour dialog is modal, but the layer list can change while it is open: the choice goes
    // to the layer then in the row, and nowhere once the row is gone.
    void colourChosenWhileTheLayersChange()
    {
        auto w = openWindow();
        TLayerList& layers = w->LPData->Layers;
        click(w->SpeedButton11);
        QCOMPARE(layers.Count(), 3);
        std::vector<std::pair<std::int32_t, int>> kept;
        TBrushStyle chosen = bsSolid;
        // Opens the dialog of row 3; while it is open, changes the layers and chooses a hatch that
        // no layer has yet.
        const auto chooseWhile = [&](const std::function<void()>& change) {
            QTimer::singleShot(0, [&] {
                auto* dialog = qobject_cast<TfrmColorSelect*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                change();
                kept.clear();
                for (int i = 0; i < layers.Count(); ++i)
                    kept.emplace_back(layers[i]->Colour, layers[i]->Hatch);
                int index = 1;
                for (int i = 0; i < layers.Count(); ++i)
                    if (IndexToBrushStyle(index) == TBrushStyle(layers[i]->Hatch))
                        ++index, i = -1;
                chosen = IndexToBrushStyle(index);
                dialog->cmbBrushStyle->setCurrentIndex(index);
                emit dialog->cmbBrushStyle->activated(index);
                dialog->Button2->click();
            });
            click(rowButton(w.get(), "ColBtn", 3));
        };

        chooseWhile([&] {
            layers.AddLayer(); // first, so that it cannot take the place of the deleted one
            layers.Delete(2);
        });
        QCOMPARE(layers.Count(), 3);
        QCOMPARE(TBrushStyle(layers[2]->Hatch), chosen);

        chooseWhile([&] { layers.Delete(2); });
        QCOMPARE(layers.Count(), 2);
        for (int i = 0; i < 2; ++i)
            QCOMPARE(std::make_pair(layers[i]->Colour, int(layers[i]->Hatch)), kept[std::size_t(i)]);
        QCOMPARE(rowCount(w.get()), 2);
    }

    void rowValuesGoIntoTheirLayers()
    {
        auto w = openWindow();
        typeAndLeave(w.get(), w->Edit1, QStringLiteral("40"));
        TLayerList& layers = w->LPData->Layers;
        typeAndLeave(w.get(), edit(w.get(), row("Length", 1)), QStringLiteral("12.5"));
        QCOMPARE(layers[0]->Thickness, 12.5L);
        // The last layer reaches the tip; its thickness is not entered.
        QLineEdit* lastLength = edit(w.get(), row("Length", 2));
        QVERIFY(!lastLength->isEnabled());
        QCOMPARE(layers[1]->Thickness, 27.5L);
        QCOMPARE(lastLength->text(), QStringLiteral("27.5"));
        QCOMPARE(child<QLabel>(w.get(), row("Range", 1))->text(), QStringLiteral("0-12.5"));
        QCOMPARE(child<QLabel>(w.get(), row("Range", 2))->text(), QStringLiteral("12.5-40"));

        typeAndLeave(w.get(), edit(w.get(), row("Gamma", 2)), QStringLiteral("120"));
        QCOMPARE(layers[1]->Gamma, 120.0L);
        typeAndLeave(w.get(), edit(w.get(), row("Gamma", 2)), QStringLiteral("200"));
        QCOMPARE(layers[1]->Gamma, 140.0L); // English limit
        QCOMPARE(edit(w.get(), row("Gamma", 2))->text(), QStringLiteral("140.0"));

        // Kp from the friction angle: 28 degrees plus N / 4 on any layer but cohesive soil.
        QVERIFY(layers[0]->MatType != lpmtCohesiveSoil);
        typeAndLeave(w.get(), edit(w.get(), row("SPTFieldN", 1)), QStringLiteral("10"));
        const Extended s = std::sin(30.5L * 3.14159265358979323846L / 180);
        QVERIFY(std::fabs(layers[0]->Kp - (1 + s) / (1 - s)) < 1e-12L);
        QCOMPARE(edit(w.get(), row("Kp", 1))->text(), QStringLiteral("3.06"));

        // A top reaction typed on any row but the first is the bottom of the row above.
        // A layer without a soil-defaults row accepts only 0 (with a warning).
        QLineEdit* bottom1 = edit(w.get(), row("SGReactBottom", 1));
        MessageScript answers;
        typeAndLeave(w.get(), edit(w.get(), row("SGReactTop", 2)), QStringLiteral("1"));
        QCOMPARE(answers.asked, QStringList({ QStringLiteral("The value must be between 0 and 0") }));
        QCOMPARE(layers[1]->SGReactTop, layers[0]->SGReactBottom);
        QCOMPARE(edit(w.get(), row("SGReactTop", 2))->text(), bottom1->text());

        // The last layer keeps the thickness it is derived to, also beyond the limit of an
        // entered one (150 ft), through every later commit; and never less than 0.
        typeAndLeave(w.get(), w->Edit1, QStringLiteral("450"));
        QCOMPARE(layers[1]->Thickness, 437.5L);
        QCOMPARE(lastLength->text(), QStringLiteral("437.5"));
        typeAndLeave(w.get(), edit(w.get(), row("Gamma", 1)), QStringLiteral("110"));
        QCOMPARE(layers[1]->Thickness, 437.5L);
        QCOMPARE(layers[1]->Bottom(), 450.0L);
        QCOMPARE(child<QLabel>(w.get(), row("Range", 2))->text(), QStringLiteral("12.5-450"));
        typeAndLeave(w.get(), w->Edit1, QStringLiteral("10"));
        QCOMPARE(layers[1]->Thickness, 0.0L);
        QCOMPARE(lastLength->text(), QStringLiteral("0.0"));
    }

    // A German desktop: the rows show and take decimal commas, the depth range as the edits do.
    // A "." typed is the decimal comma, in a row and in the window's fields; a pasted text is read
    // as it stands: its "." groups thousands, or the text is refused ("1.5" is not read as 15).
    void germanDesktop()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        auto w = openWindow();
        TLayerList& layers = w->LPData->Layers;
        typeAndLeave(w.get(), w->Edit1, QStringLiteral("40"));
        QLineEdit* length = edit(w.get(), row("Length", 1));
        typeAndLeave(w.get(), length, QStringLiteral("12,5"));
        QCOMPARE(layers[0]->Thickness, 12.5L);
        QCOMPARE(length->text(), QStringLiteral("12,5"));
        QCOMPARE(child<QLabel>(w.get(), row("Range", 1))->text(), QStringLiteral("0-12,5"));
        QCOMPARE(child<QLabel>(w.get(), row("Range", 2))->text(), QStringLiteral("12,5-40"));
        typeAndLeave(w.get(), length, QStringLiteral("2.5"));
        QCOMPARE(length->text(), QStringLiteral("2,5"));
        QCOMPARE(layers[0]->Thickness, 2.5L);
        typeAndLeave(w.get(), w->Edit4, QStringLiteral("2.5.1"));
        QCOMPARE(w->Edit4->text(), QStringLiteral("2,51"));
        QCOMPARE(w->LPData->LateralLoad, 2.51L);

        const auto pasteAndLeave = [&](QLineEdit* target, const QString& text) {
            target->setFocus(Qt::TabFocusReason);
            target->selectAll();
            QApplication::clipboard()->setText(text);
            QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);
            w->Edit9->setFocus(Qt::TabFocusReason);
            QApplication::processEvents();
        };
        pasteAndLeave(w->Edit4, QStringLiteral("1.250,5"));
        QCOMPARE(w->LPData->LateralLoad, 1250.5L);
        pasteAndLeave(length, QStringLiteral("1.5"));
        QCOMPARE(layers[0]->Thickness, 2.5L);
        QCOMPARE(length->text(), QStringLiteral("2,5"));
    }

    // A granular layer without cohesion shows a default and its cohesion is held to a limit;
    // switching a row to granular soil sets another default.
    void granularCohesion_data()
    {
        QTest::addColumn<CohesionCase>("c");
        QTest::newRow("English ksf") << CohesionCase { false, "Cohesion, ksf", 0.1L, "2.9", 2, 0.1L };
        QTest::newRow("SI kPa") << CohesionCase { true, "Cohesion, KPa", 5, "140", 100, 5 };
    }

    void granularCohesion()
    {
        QFETCH(CohesionCase, c);
        auto w = openWindow();
        openDemo(w.get(), c.si);
        TLayerList& layers = w->LPData->Layers;
        QCOMPARE(w->Label58->text(), QLatin1String(c.caption));
        int granular = -1;
        int other = -1;
        for (int i = 0; i < layers.Count(); ++i) {
            if (layers[i]->MatType == lpmtGranularSoil && granular < 0)
                granular = i;
            else if (layers[i]->MatType != lpmtGranularSoil && layers[i]->MatType != lpmtLimeStoneBedrock
                && other < 0)
                other = i;
        }
        QVERIFY(granular >= 0 && other >= 0);
        QLineEdit* cohesion = edit(w.get(), row("Cohesion", granular + 1));
        typeAndLeave(w.get(), cohesion, QStringLiteral("0"));
        QVERIFY(std::fabs(layers[granular]->Cohesion - c.zeroShows) < 1e-9L); // read back from its text
        QCOMPARE(cohesion->text(), fixed(c.zeroShows, 2));
        typeAndLeave(w.get(), cohesion, QLatin1String(c.overLimit));
        QCOMPARE(layers[granular]->Cohesion, c.limit);
        QCOMPARE(cohesion->text(), fixed(c.limit, 2));
        QComboBox* material = child<QComboBox>(w.get(), row("MatType", other + 1));
        choose(material, material->findData(int(lpmtGranularSoil)));
        typeAndLeave(w.get(), w->Edit4, QStringLiteral("22"));
        QCOMPARE(layers[other]->Cohesion, c.switchedTo);
    }

    void looseSandTicksNegativeSkinFriction()
    {
        auto w = openWindow();
        openDemo(w.get());
        TLayerList& layers = w->LPData->Layers;
        QCOMPARE(layers.Count(), 4);
        TLayer* first = layers[0];
        QCOMPARE(first->MatType, lpmtGranularSoil);
        QCOMPARE(layers[1]->MatType, lpmtCohesiveSoil);
        // The demo's sand, without cohesion, shows the default as it opens.
        QCOMPARE(first->Cohesion, Extended(0.1L));
        QCOMPARE(edit(w.get(), row("Cohesion", 1))->text(), QStringLiteral("0.10"));

        // SPT N that makes the sand loose ticks its NSF box; dense unticks it.
        QCheckBox* nsf = child<QCheckBox>(w.get(), row("NSF", 1));
        typeAndLeave(w.get(), edit(w.get(), row("SPTFieldN", 1)), QStringLiteral("20"));
        QCOMPARE(first->Consistency, lpconMediumDense);
        QVERIFY(!nsf->isChecked());
        typeAndLeave(w.get(), edit(w.get(), row("SPTFieldN", 1)), QStringLiteral("6"));
        QCOMPARE(first->Consistency, lpconLoose);
        QVERIFY(nsf->isChecked());
        QVERIFY(first->NSF);
        QCOMPARE(edit(w.get(), row("ConsistencyText", 1))->text(), QStringLiteral("Loose"));
        // Within the loose set the user's choice stands.
        click(nsf);
        QVERIFY(!first->NSF);
        typeAndLeave(w.get(), edit(w.get(), row("SPTFieldN", 1)), QStringLiteral("2"));
        QCOMPARE(first->Consistency, lpconVeryLoose);
        QVERIFY(!nsf->isChecked());
        typeAndLeave(w.get(), edit(w.get(), row("SPTFieldN", 1)), QStringLiteral("40"));
        QCOMPARE(first->Consistency, lpconDense);
        QVERIFY(!nsf->isChecked());

        // A cohesive layer's cohesion lies within 0.2 c0 .. c0 of its consistency.
        const Extended c0 = layers[1]->DefaultCohesion() / 1000;
        QVERIFY(c0 > 0);
        typeAndLeave(w.get(), edit(w.get(), row("Cohesion", 2)), QStringLiteral("0"));
        QVERIFY(std::fabs(layers[1]->Cohesion - 0.2L * c0) < 0.006L);
        typeAndLeave(w.get(), edit(w.get(), row("Cohesion", 2)), QStringLiteral("2.9"));
        QVERIFY(std::fabs(layers[1]->Cohesion - c0) < 0.006L);
    }

    // The pictures the window shows after opening a project, after each pile shape is chosen
    // and after a layer row and an input are committed, for the demo projects and a 13-layer
    // project in both unit systems.
    void picturesMatchBaseline()
    {
        QTemporaryDir folder;
        QStringList files { QStringLiteral(FENDRIX_DEMO_EXAMPLE_DIR "/ENGLISH UNITS DEMO EXAMPLE.fdx"),
            QStringLiteral(FENDRIX_DEMO_EXAMPLE_DIR "/SI UNITS DEMO EXAMPLE.fdx") };
        for (std::uint8_t units : { kUnitsUS, kUnitsSI }) {
            TLPData data;
            benchproject::buildThirteenLayers(data, units);
            data.StructuralDesign = true;
            files << folder.filePath(QStringLiteral("layers13-%1.fdx").arg(units));
            data.SaveToFile(files.last().toStdString());
        }
        const char* names[] = { "demo-us", "demo-si", "layers13-us", "layers13-si" };
        PictureBaseline baseline(QStringLiteral("window.txt"));
        auto w = openWindow();
        const auto record = [&](const QString& stage) {
            for (QLabel* image : { w->Image1, w->Image2, w->Image3, w->Image4, w->Image9 })
                if (!image->pixmap().isNull())
                    baseline.Add(stage + QLatin1Char('/') + image->objectName(), image->pixmap().toImage());
        };
        for (int p = 0; p < files.size(); ++p) {
            {
                FileScript answer({ files[p] });
                MessageScript no({ QMessageBox::No });
                w->AOpen->trigger();
                QApplication::processEvents();
            }
            const QString project = QLatin1String(names[p]);
            record(project + QStringLiteral("/open"));
            for (int shape : { psCircle, psRectangle, psOctagon, psSquare }) {
                choose(w->ComboBox5, shape);
                record(project + QStringLiteral("/shape") + QString::number(shape));
            }
            typeAndLeave(w.get(), edit(w.get(), row("SPTFieldN", 2)), QStringLiteral("33"));
            typeAndLeave(w.get(), w->Edit4, QStringLiteral("17"));
            record(project + QStringLiteral("/edit"));
        }
        const QStringList differ = baseline.Differences();
        QVERIFY2(differ.isEmpty(), qPrintable(differ.join(QLatin1Char(' '))));
    }
};

int main(int argc, char** argv)
{
    return runWindowTest<LayerRowsTest>(argc, argv);
}

#include "layers_qtest.moc"
