// The user's own steel sections, as the steel tabs of the main window open their editors: a record
// that cannot describe a section is refused at OK with its reason, and one that a project file
// brings in shows no ratio at all.
#include "../ui_dialogs/dialogtesting.h"
#include "mainwindowtesting.h"

#include "model/lpclasses.h"
#include "platform/qt/controls.h"
#include "ui/dialogs/userdefined.h"

#include <QCheckBox>
#include <QTemporaryDir>
#include <QToolButton>

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
            runWithFile(w->AOpen, file);
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
};

int main(int argc, char** argv)
{
    return runWindowTest<SectionsTest>(argc, argv);
}

#include "sections_qtest.moc"
