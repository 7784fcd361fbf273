// The user's own steel sections of the main window's steel tabs: one that a project file brings in
// and no section can have shows no ratio at all.
#include "mainwindowtesting.h"

#include "model/lpclasses.h"
#include "platform/qt/controls.h"

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

} // namespace

class SectionsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { startTest(); }

    void cleanup() { checkNoUnexpectedMessages(); }

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
