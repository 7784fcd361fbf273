// The user's own steel sections, as the steel tabs of the main window open their editors: a record
// that cannot describe a section is refused at OK with its reason, and one that a project file
// brings in shows no ratio at all.
#include "../ui_dialogs/dialogtesting.h"
#include "mainwindowtesting.h"

#include "model/lpclasses.h"
#include "platform/qt/controls.h"
#include "ui/dialogs/userdefined.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <QToolButton>
#include <cmath>
#include <functional>

using namespace testing_window;

namespace {

// A steel pile designed with the user's section of the I/H tab, or of the pipe tab when `pipe`.
std::unique_ptr<TfrmLPMain> openUserSection(bool pipe)
{
    auto w = openWindow();
    enterPile(w.get());
    choose(w->ComboBox3, piRoughSteel);
    if (pipe)
        choose(w->ComboBox18, 1);
    click(w->chkUseReinforcement);
    QComboBox* sections = pipe ? w->ComboBox11 : w->ComboBox8;
    choose(sections, sections->count() - 1);
    w->SetModified(false);
    return w;
}

// Clicks OK with the field left as typed: the editor must warn once with `reason`, stay open with
// the text as it was and put the focus on `culprit`.
void expectRefused(TSectionDialog* dialog, QLineEdit* culprit, const QString& reason)
{
    const QString typed = culprit->text();
    MessageScript answer;
    dialog->Button1->click();
    QCOMPARE(answer.asked, QStringList { reason });
    QVERIFY(dialog->isVisible());
    QCOMPARE(QApplication::focusWidget(), culprit);
    QCOMPARE(culprit->text(), typed);
}

} // namespace

class SectionsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { startTest(); }

    void cleanup() { checkNoUnexpectedMessages(); }

    // Each family item lists the tables its name says, on both steel tabs, and a file keeps the
    // family by its number.
    void familyListsNameTheirTables()
    {
        auto w = openUserSection(false);
        const TLPData& d = *w->LPData;
        struct Tab {
            bool pipe;
            QComboBox *family, *sizes;
        };
        for (const Tab& tab :
            { Tab { false, w->ComboBox6, w->ComboBox8 }, Tab { true, w->ComboBox9, w->ComboBox11 } }) {
            choose(w->ComboBox18, tab.pipe ? 1 : 0);
            QCOMPARE(tab.family->count(), 4);
            const struct {
                const char* item;
                const char* first; // the first section the item lists
            } families[] = {
                { "North American", tab.pipe ? "HSS20X.500" : "W44X335" },
                { "Australian", tab.pipe ? "HSS20X.500" : "W44X335" },
                { "European", tab.pipe ? "CHShfb121x2" : "IPE 100A" },
                { "British", tab.pipe ? "HSS20X.500" : "1016x305x487" },
            };
            for (int family = 0; family < 4; ++family) {
                QCOMPARE(tab.family->itemText(family), QLatin1String(families[family].item));
                choose(tab.family, family);
                QCOMPARE(int(d.ShapeFamily), family);
                QCOMPARE(tab.sizes->itemText(0), QLatin1String(families[family].first));
            }
        }
    }

    void iShapeEditorRefusesWhatNoSectionHas()
    {
        auto w = openUserSection(false);
        const TIShape before = w->LPData->IShape;

        // A negative area, then Cancel: the project keeps its record.
        dialogtesting::whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TfrmUserDefinedI*>(modal);
            QVERIFY(dialog);
            dialogtesting::typeAndLeave(dialog->Edit1, QStringLiteral("-5"), dialog->Edit2);
            expectRefused(dialog, dialog->Edit1, QStringLiteral("The area A must be greater than 0"));
            dialog->Button2->click();
        });
        click(w->SpeedButton12);
        QCOMPARE(w->LPData->IShape.A, before.A);
        QVERIFY(!w->Modified);

        // A web as thick as the flange is wide; mended, the record is taken.
        dialogtesting::whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TfrmUserDefinedI*>(modal);
            QVERIFY(dialog);
            dialogtesting::typeAndLeave(dialog->Edit1, QStringLiteral("25"), dialog->Edit2);
            dialogtesting::typeAndLeave(dialog->Edit3, dialog->Edit4->text(), dialog->Edit4);
            expectRefused(dialog, dialog->Edit3,
                QStringLiteral("The web thickness tw must be less than the flange width bf"));
            dialogtesting::typeAndLeave(dialog->Edit3, QStringLiteral("0.5"), dialog->Edit4);
            dialog->Button1->click();
            QVERIFY(!dialog->isVisible());
        });
        click(w->SpeedButton12);
        QCOMPARE(w->LPData->IShape.A, 25.0L);
        QCOMPARE(w->LPData->IShape.tw, 0.5L);
        QCOMPARE(w->LPData->IShape.bf, before.bf);
        QVERIFY(w->Modified);
    }

    void pipeEditorRefusesAWallPastTheCentre()
    {
        auto w = openUserSection(true);
        const TPipeShape before = w->LPData->PipeShape;
        dialogtesting::whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TfrmUserDefinedO*>(modal);
            QVERIFY(dialog);
            dialogtesting::typeAndLeave(dialog->Edit2, QStringLiteral("12"), dialog->Edit4);
            dialogtesting::typeAndLeave(dialog->Edit4, QStringLiteral("7"), dialog->Edit5);
            QCOMPARE(dialog->Edit3->text(), QStringLiteral("-2.00"));
            expectRefused(dialog, dialog->Edit4,
                QStringLiteral("The wall thickness t must be less than half the outside diameter OD"));
            dialog->Button2->click();
        });
        click(w->SpeedButton13);
        QCOMPARE(w->LPData->PipeShape.OD, before.OD);
        QCOMPARE(w->LPData->PipeShape.tdes, before.tdes);
        QVERIFY(!w->Modified);
    }

    // Another program stored a section no steel has: the result boxes show no number and fail.
    void impossibleSectionFromAFileShowsNoRatio()
    {
        for (const bool pipe : { false, true }) {
            QTemporaryDir dir;
            auto w = openUserSection(pipe);
            const QString file = dir.filePath(QStringLiteral("section.fdx"));
            runWithFile(w->ASaveAs, file);
            {
                TLPData other;
                other.LoadFromFile(QFile::encodeName(file).toStdString());
                QCOMPARE(other.SectionIndex, -1);
                if (pipe) {
                    other.PipeShape.OD = 12;
                    other.PipeShape.tdes = 7;
                } else {
                    other.IShape.A = -5;
                }
                other.SteelInput.P = 100;
                other.SteelInput.Mx = 50;
                other.SteelInput.My = 10;
                other.SaveToFile(QFile::encodeName(file).toStdString());
            }
            {
                // Open says what is wrong with the section (tested in full below).
                MessageScript answers;
                runWithFile(w->AOpen, file);
                QCOMPARE(answers.asked.size(), 1);
            }
            QCOMPARE(w->LPData->SteelInput.P, 100.0L);
            std::vector<std::pair<QLineEdit*, QToolButton*>> boxes { { w->Edit43, w->Image5 },
                { w->Edit47, w->Image6 }, { w->Edit50, w->Image8 } };
            if (!pipe)
                boxes.push_back({ w->Edit49, w->Image7 });
            for (const auto& [ratio, glyph] : boxes) {
                QCOMPARE(ratio->text(), QStringLiteral("N.A."));
                QCOMPARE(platform::controlTag(glyph), 1); // the failing glyph
            }
        }
    }

    // A file brings a section that cannot exist: Open says what is wrong, the pile has no size and
    // nothing built on the section is a number, the file stays as it was, and the section mended
    // in its editor brings the numbers back.
    void impossibleSectionFromAFileFeedsNoNumber()
    {
        struct Case {
            bool pipe, filled;
            std::function<void(TLPData&)> damage;
            QString reason;
        };
        const Case cases[] = {
            { false, false, [](TLPData& f) { f.IShape.bf = -15.9L; },
                QStringLiteral("the flange width bf must be greater than 0") },
            { false, false, [](TLPData& f) { f.IShape.d = -44; },
                QStringLiteral("the depth d must be greater than 0") },
            { false, false, [](TLPData& f) { f.IShape.A = -98.5L; },
                QStringLiteral("the area A must be greater than 0") },
            { true, false, [](TLPData& f) { f.PipeShape.OD = -20; },
                QStringLiteral("the outside diameter OD must be greater than 0") },
            { true, true, [](TLPData& f) { f.PipeShape.tdes = 0.6L * f.PipeShape.OD; },
                QStringLiteral("the wall thickness t must be less than half the outside diameter OD") },
        };
        for (const Case& c : cases) {
            QTemporaryDir dir;
            auto w = openUserSection(c.pipe);
            if (c.filled)
                click(w->CheckBox3);
            const QString file = dir.filePath(QStringLiteral("section.fdx"));
            saveChanged(w.get(), file, c.damage);
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray stored = f.readAll();
            f.close();

            {
                MessageScript answers({ QMessageBox::No, QMessageBox::Ok });
                runWithFile(w->AOpen, file);
                QApplication::processEvents();
                QCOMPARE(answers.asked.size(), 1);
                QVERIFY2(answers.asked.first().contains(c.reason), qPrintable(answers.asked.first()));
            }
            const TLPData& d = *w->LPData;
            QVERIFY(!w->Modified);
            QCOMPARE(d.StructuralDesign, true);
            for (const QLineEdit* e : { w->Edit2, w->Edit6, w->Edit12 })
                QCOMPARE(e->text(), QStringLiteral("N.A."));
            for (const QLabel* l : { w->Label43, w->Label44, w->Label66, w->Label55, w->Label80, w->Label201,
                     w->Label205, w->Label206 }) {
                QVERIFY2(l->text().contains(QStringLiteral("N.A.")), qPrintable(l->text()));
                QVERIFY2(
                    !l->text().contains(QRegularExpression(QStringLiteral("-\\d"))), qPrintable(l->text()));
            }
            // The views and the report read the nodes: none holds a number built on the section.
            for (const TNodeResult& n : d.Nodes) {
                for (Extended v : { n.Deflection, n.Moment, n.Shear, n.Capacity, n.Settlement, n.QSideAllow,
                         n.QEndAllow, n.EffTotalAllow, n.PileLoad })
                    QVERIFY(std::isnan(v));
            }
            QVERIFY(std::isnan(d.DownwardCapacity) && std::isnan(d.UpliftCapacity));
            // The checks that cannot be made do not pass.
            for (const QLabel* l : { w->Label43, w->Label80, w->Label205 })
                QVERIFY2(isRed(l), qPrintable(l->text()));
            QVERIFY(!(d.Perimeter < 0) && !(d.TipArea < 0) && !(d.Width < 0));
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), stored);
            f.close();
        }

        // Mended in its editor, the section sizes the pile again.
        QTemporaryDir dir;
        auto w = openUserSection(false);
        const TIShape good = w->LPData->IShape;
        const QString file = dir.filePath(QStringLiteral("section.fdx"));
        saveChanged(w.get(), file, [&](TLPData& other) { other.IShape.bf = -good.bf; });
        {
            MessageScript answers({ QMessageBox::No, QMessageBox::Ok });
            runWithFile(w->AOpen, file);
        }
        QCOMPARE(w->Edit2->text(), QStringLiteral("N.A."));
        dialogtesting::whenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<TfrmUserDefinedI*>(modal);
            QVERIFY(dialog);
            dialogtesting::typeAndLeave(dialog->Edit4, fixed(good.bf, 2), dialog->Edit5);
            dialog->Button1->click();
        });
        click(w->SpeedButton12);
        const TLPData& d = *w->LPData;
        QCOMPARE(d.IShape.bf, RoundHalfEven(good.bf * 100) / 100.0L);
        QCOMPARE(d.Width, d.IShape.bf / 12);
        QVERIFY(d.DownwardCapacity > 0 && std::isfinite(d.Node(1).Deflection));
        QVERIFY(!w->Label80->text().contains(QStringLiteral("N.A.")));
    }
};

int main(int argc, char** argv)
{
    return runWindowTest<SectionsTest>(argc, argv);
}

#include "sections_qtest.moc"
