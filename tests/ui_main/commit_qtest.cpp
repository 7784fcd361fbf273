// What a commit leaves in the main window belongs to the inputs it shows: the results it shows
// and keeps are those of a fresh calculation of the project as it would be saved, load case 1
// follows the analysis in the same pass as the check that reads it (in a new project, and in a
// project opened whose case 1 follows its own analysis), texts come back from a file
// as their fields showed them, and a new SI project's sand has the cohesion that choosing sand
// gives.
#include "mainwindowtesting.h"

#include "model/fieldlimits.h"
#include "model/lpclasses.h"
#include "model/projectfile.h"
#include "platform/core/stream.h"
#include "platform/qt/numberformat.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QRadioButton>
#include <QTemporaryDir>

#include <cmath>
#include <random>

using namespace testing_window;

namespace {

bool same(Extended a, Extended b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

// The indices of the fields that differ between two records made only of Extended values (their
// padding bytes are no part of the values).
template <class Record> QString differingFields(const Record& a, const Record& b)
{
    static_assert(sizeof(Record) % sizeof(Extended) == 0);
    const auto* x = reinterpret_cast<const Extended*>(&a);
    const auto* y = reinterpret_cast<const Extended*>(&b);
    QStringList differ;
    for (std::size_t i = 0; i < sizeof(Record) / sizeof(Extended); ++i) {
        if (!same(x[i], y[i]))
            differ << QStringLiteral("#%1 %2/%3").arg(i).arg(double(x[i])).arg(double(y[i]));
    }
    return differ.join(QLatin1Char(' '));
}

// The project as Save writes it, read back and calculated on its own.
std::unique_ptr<TLPData> freshCalculation(TLPData& project)
{
    platform::TMemoryStream saved;
    project.SaveToStream(saved);
    saved.SetPosition(0);
    auto fresh = std::make_unique<TLPData>();
    fresh->LoadFromStream(saved);
    fresh->LoadRebarTable();
    fresh->Calculate();
    return fresh;
}

// Load case 1 holds the factored values of the project's analysis: 1.2 x the downward load and
// 1.6 x the largest moment and shear along the pile, as whole numbers.
bool followsAnalysis(const TLPData& d)
{
    Extended moment = 0, shear = 0;
    for (const TNodeResult& node : d.Nodes) {
        moment = std::max(moment, std::fabs(node.Moment));
        shear = std::max(shear, std::fabs(node.Shear));
    }
    const TLoadCase& first = d.LoadCases[0];
    const bool ok = first.Pu == RoundHalfEven(1.2L * d.DownwardLoad)
        && first.Mu == RoundHalfEven(1.6L * moment) && first.Vu == RoundHalfEven(1.6L * shear) && first.Mu > 0
        && first.Vu > 0;
    if (!ok)
        qWarning("case 1 %g %g %g; downward load %g, moment %g, shear %g", double(first.Pu), double(first.Mu),
            double(first.Vu), double(d.DownwardLoad), double(moment), double(shear));
    return ok;
}

QString localFixed(Extended value, int decimals)
{
    return QString::fromStdString(FormatFixed(value, decimals, LocaleNumberFormat()));
}

// Fails (and returns false) unless every result the window keeps and the ones it shows of them
// are those of a fresh calculation of the project as it would be saved, and load case 1, while
// it follows, holds the factored values of that calculation as its edits show them.
bool expectCalculatedAsSaved(TfrmLPMain* w, const QString& step, bool caseOneFollows)
{
    TLPData& d = *w->LPData;
    const auto fresh = freshCalculation(d);
    const auto check = [&](bool ok, const QString& what) {
        if (!ok)
            QTest::qFail(qPrintable(step + QStringLiteral(": ") + what), __FILE__, __LINE__);
        return ok;
    };
    for (int k = 1; k <= kNodeCount; ++k) {
        const QString differ = differingFields(d.Node(k), fresh->Node(k));
        if (!check(differ.isEmpty(), QStringLiteral("node %1 differs in %2").arg(k).arg(differ)))
            return false;
    }
    const std::pair<const char*, std::pair<Extended, Extended>> totals[] = {
        { "TotalNSF", { d.TotalNSF, fresh->TotalNSF } },
        { "DownwardCapacity", { d.DownwardCapacity, fresh->DownwardCapacity } },
        { "UpliftCapacity", { d.UpliftCapacity, fresh->UpliftCapacity } },
        { "P0", { d.P0, fresh->P0 } },
        { "ShearCapacity", { d.ShearCapacity, fresh->ShearCapacity } },
        { "CombinedRatio", { d.CombinedRatio, fresh->CombinedRatio } },
        { "PRatio", { d.SteelResult.PRatio, fresh->SteelResult.PRatio } },
        { "MxRatio", { d.SteelResult.MxRatio, fresh->SteelResult.MxRatio } },
        { "MyRatio", { d.SteelResult.MyRatio, fresh->SteelResult.MyRatio } },
    };
    for (const auto& [name, values] : totals) {
        if (!check(same(values.first, values.second),
                QStringLiteral("%1 is %2, calculated %3")
                    .arg(QLatin1String(name))
                    .arg(double(values.first))
                    .arg(double(values.second))))
            return false;
    }
    if (!check(
            differingFields(d.TimberResult, fresh->TimberResult).isEmpty(), QStringLiteral("timber check")))
        return false;
    // The spacing limit is the concrete check's memory of its last limit, kept while no concrete
    // check runs: it is that check's result only where it runs.
    if (d.StructuralDesign && d.IsConcreteNow()
        && !check(same(d.SpacingLimit, fresh->SpacingLimit),
            QStringLiteral("SpacingLimit is %1, calculated %2")
                .arg(double(d.SpacingLimit))
                .arg(double(fresh->SpacingLimit))))
        return false;
    for (int n = 0; n < kLoadCaseCount; ++n) {
        const Extended mall = fresh->LoadCases[n].Mall;
        if (!check(same(d.LoadCases[n].Mall, mall), QStringLiteral("M all of case %1").arg(n + 1)))
            return false;
        if (!w->PageControl1->isTabVisible(w->PageControl1->indexOf(w->TabSheet6))
            || !w->EditMall[n]->isEnabled())
            continue;
        const QString shown = std::isinf(mall) && mall > 0
            ? QString()
            : QString::fromStdString(
                FormatFieldValue(platform::controlTag(w->EditMall[n]), mall, true, LocaleNumberFormat()));
        if (!check(w->EditMall[n]->text() == shown,
                QStringLiteral("M all %1 shows %2, calculated %3")
                    .arg(n + 1)
                    .arg(w->EditMall[n]->text(), shown)))
            return false;
    }
    if (caseOneFollows) {
        const TLoadCase factored = fresh->factoredLoadCase();
        const TLoadCase& first = d.LoadCases[0];
        const std::pair<Extended, std::pair<Extended, QLineEdit*>> values[]
            = { { first.Pu, { factored.Pu, w->EditPu[0] } }, { first.Mu, { factored.Mu, w->EditMu[0] } },
                  { first.Vu, { factored.Vu, w->EditVu[0] } } };
        for (const auto& [held, expected] : values) {
            const Extended shown
                = ShownFieldValue(platform::controlTag(expected.second), expected.first, true);
            if (!check(same(held, shown),
                    QStringLiteral("case 1 holds %1, follows %2").arg(double(held)).arg(double(shown))))
                return false;
        }
    }
    // The result line of the moment reads the same calculation.
    Extended moment = 0;
    const int node = fresh->MaxMomentNode(moment);
    const QString line
        = QStringLiteral("Maximum Moment is %1 ").arg(localFixed(moment, FieldLimitOf(23).Decimals));
    return check(node < 1 || w->Label44->text().startsWith(line),
        QStringLiteral("\"%1\" is not \"%2...\"").arg(w->Label44->text(), line));
}

// The page of the main window's tabs that holds a control, or null (the layer rows, the project
// block).
QWidget* pageOf(TfrmLPMain* w, QWidget* control)
{
    for (QWidget* p = control; p; p = p->parentWidget()) {
        if (w->PageControl1->indexOf(p) >= 0)
            return p;
    }
    return nullptr;
}

// Edits of the window as a user walks through them: a number typed with more decimals than its
// field shows, a list item chosen, a check box or radio button clicked, on every input tab and
// in the layer rows. Load case 1 is never typed in, so that it keeps following the analysis.
class EditWalk {
public:
    EditWalk(TfrmLPMain* window, std::uint32_t seed)
        : m_w(window)
        , m_random(seed)
    {
    }

    // One edit; its description.
    QString step()
    {
        const QList<QWidget*> inputs = reachableInputs();
        if (inputs.isEmpty())
            return QStringLiteral("nothing to edit");
        QWidget* input = inputs.at(pick(static_cast<int>(inputs.size())));
        if (QWidget* page = pageOf(m_w, input))
            m_w->PageControl1->setCurrentWidget(page);
        QApplication::processEvents();
        if (auto* edit = qobject_cast<QLineEdit*>(input)) {
            const QString text = numberFor(edit);
            typeAndLeave(m_w, edit, text);
            return edit->objectName() + QStringLiteral(" := ") + text;
        }
        if (auto* combo = qobject_cast<QComboBox*>(input)) {
            int index = pick(combo->count() - 1);
            if (index >= combo->currentIndex())
                ++index;
            choose(combo, index);
            return combo->objectName() + QStringLiteral(" -> ") + combo->itemText(index);
        }
        auto* button = static_cast<QAbstractButton*>(input);
        click(button);
        return button->objectName() + QStringLiteral(" clicked");
    }

private:
    int pick(int count) { return std::uniform_int_distribution<int>(0, std::max(count - 1, 0))(m_random); }

    bool reachable(QWidget* input) const
    {
        if (!input->isEnabled() || input->objectName().isEmpty())
            return false;
        QWidget* page = pageOf(m_w, input);
        if (page && !m_w->PageControl1->isTabVisible(m_w->PageControl1->indexOf(page)))
            return false;
        if (page == m_w->TabSheet3)
            return false;
        return input->isVisibleTo(page ? page : m_w);
    }

    QList<QWidget*> reachableInputs() const
    {
        QList<QWidget*> inputs;
        const QWidget* caseOne[] = { m_w->EditPu[0], m_w->EditMu[0], m_w->EditVu[0] };
        for (QLineEdit* e : m_w->findChildren<QLineEdit*>()) {
            if (platform::controlTag(e) > 0 && !e->isReadOnly() && reachable(e)
                && std::find(std::begin(caseOne), std::end(caseOne), e) == std::end(caseOne))
                inputs << e;
        }
        for (QComboBox* c : m_w->findChildren<QComboBox*>()) {
            if (c->count() > 1 && reachable(c))
                inputs << c;
        }
        // The design stays on: its checks are what case 1 feeds.
        for (QAbstractButton* b : m_w->findChildren<QAbstractButton*>()) {
            if ((qobject_cast<QCheckBox*>(b) || qobject_cast<QRadioButton*>(b))
                && b != m_w->chkUseReinforcement && reachable(b)
                && !(qobject_cast<QRadioButton*>(b) && b->isChecked()))
                inputs << b;
        }
        return inputs;
    }

    // A value within the field's limits, typed with one or two decimals more than it shows.
    QString numberFor(const QLineEdit* edit)
    {
        const TFieldLimit row = FieldLimitOf(platform::controlTag(edit));
        Extended low = 0;
        Extended high = 100;
        if (row.HasRange()) {
            low = std::max<Extended>(row.MinValue, 0);
            high = row.MaxValue;
        }
        // Small values are the usual ones: a quarter of the range at most, now and then beyond.
        const Extended span = pick(8) == 0 ? (high - low) * 1.2L : (high - low) / 4;
        const Extended value = low + span * std::uniform_real_distribution<double>(0, 1)(m_random);
        const int decimals = std::max(row.Decimals, 0) + 1 + pick(2);
        return QString::number(double(value), 'f', decimals);
    }

    TfrmLPMain* m_w;
    std::mt19937 m_random;
};

// Types text into the focused edit character by character, as a keyboard would send it (also
// characters outside Latin-1, which QTest's own typing cannot send).
void typeText(QLineEdit* edit, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &release);
    }
}

void paste(QLineEdit* edit, const QString& text)
{
    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
    QApplication::clipboard()->setText(text);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
}

} // namespace

class CommitTest : public QObject {
    Q_OBJECT

private slots:
    void init() { startTest(); }

    void cleanup() { checkNoUnexpectedMessages(); }

    void randomEditsLeaveNothingBehind_data()
    {
        QTest::addColumn<bool>("si");
        QTest::addColumn<std::uint32_t>("seed");
        QTest::newRow("English demo") << false << 20261207u;
        QTest::newRow("SI demo") << true << 4711u;
    }

    void randomEditsLeaveNothingBehind()
    {
        QFETCH(bool, si);
        QFETCH(std::uint32_t, seed);
        auto w = openWindow();
        openDemo(w.get(), si);
        if (!w->chkUseReinforcement->isChecked())
            click(w->chkUseReinforcement);
        choose(w->ComboBox3, piRoughConcrete);
        // The demo's case 1 follows the analysis from here on.
        w->PageControl1->setCurrentWidget(w->TabSheet6);
        QCOMPARE(w->LPData->LoadCases[0].Pu, Extended(RoundHalfEven(1.2L * w->LPData->DownwardLoad)));
        QVERIFY(expectCalculatedAsSaved(w.get(), QStringLiteral("start"), true));

        // Warnings on the way (a subgrade reaction out of its range) are answered and walked on.
        MessageScript answers({ QMessageBox::Ok });
        EditWalk walk(w.get(), seed);
        for (int n = 1; n <= 150; ++n) {
            const QString step = QStringLiteral("step %1, %2").arg(n).arg(walk.step());
            QVERIFY(expectCalculatedAsSaved(w.get(), step, true));
        }
    }

    // A new project's case 1, and a project's whose case 1 holds 0 or the factored values of its
    // own analysis, follows that analysis; a case 1 typed (0 included) stays as typed.
    void loadCaseOneFollowsItsOwnAnalysis()
    {
        QTemporaryDir dir;
        const QString followed = dir.filePath(QStringLiteral("followed.fdx"));
        const QString typed = dir.filePath(QStringLiteral("typed.fdx"));
        const QString zeros = dir.filePath(QStringLiteral("zeros.fdx"));
        const QString bad = dir.filePath(QStringLiteral("bad.fdx"));
        {
            QFile f(bad);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("not a project");
        }
        TLoadCase stored {};
        {
            auto w = openWindow();
            const TLPData& d = *w->LPData;
            // A new project, in each unit system: case 1 is 1.2 x the downward load and 1.6 x
            // the largest moment and shear, whole, and follows a new downward load.
            for (const bool si : { false, true }) {
                if (si) {
                    choose(w->ComboBox1, kUnitsSI);
                    MessageScript no({ QMessageBox::No });
                    w->ANew->trigger();
                    QCOMPARE(d.Units, kUnitsSI);
                }
                QVERIFY(followsAnalysis(d));
                typeAndLeave(w.get(), w->Edit13, QStringLiteral("300"));
                QCOMPARE(d.LoadCases[0].Pu, 360.0L);
                QVERIFY(followsAnalysis(d));
            }
            {
                MessageScript no({ QMessageBox::No });
                choose(w->ComboBox1, kUnitsUS);
                w->ANew->trigger();
            }
            QCOMPARE(d.Units, kUnitsUS);

            // Saved while it follows, under a load of its own.
            typeAndLeave(w.get(), w->Edit13, QStringLiteral("300"));
            QCOMPARE(d.LoadCases[0].Pu, 360.0L);
            runWithFile(w->ASaveAs, followed);

            // A project whose case 1 was typed, by chance, as the followed values of another
            // project's analysis: it is typed in its own.
            TLPData file;
            file.LoadFromFile(QFile::encodeName(followed).toStdString());
            file.DownwardLoad = 2 * d.DownwardLoad;
            file.LateralLoad = 2 * d.LateralLoad;
            file.SaveToFile(QFile::encodeName(typed).toStdString());
            stored = file.LoadCases[0];
            // One stored as 0 / 0 / 0, as the built-in defaults and older files hold it.
            file.LoadCases[0] = {};
            file.SaveToFile(QFile::encodeName(zeros).toStdString());

            // Typed values stay, 0 included, whatever the analysis does next.
            w->PageControl1->setCurrentWidget(w->TabSheet6);
            typeAndLeave(w.get(), w->EditPu[0], QStringLiteral("0"));
            typeAndLeave(w.get(), w->EditMu[0], QStringLiteral("0"));
            typeAndLeave(w.get(), w->EditVu[0], QStringLiteral("75"));
            typeAndLeave(w.get(), w->Edit13, QStringLiteral("250"));
            typeAndLeave(w.get(), w->Edit4, QStringLiteral("25"));
            QCOMPARE(d.LoadCases[0].Pu, 0.0L);
            QCOMPARE(d.LoadCases[0].Mu, 0.0L);
            QCOMPARE(d.LoadCases[0].Vu, 75.0L);
            QCOMPARE(w->EditPu[0]->text(), QStringLiteral("0"));

            // The saved project opens following, after that typed one and after the SI demo.
            for (const bool si : { false, true }) {
                if (si)
                    openDemo(w.get(), true);
                openProject(w.get(), followed);
                QCOMPARE(d.LoadCases[0].Pu, 360.0L);
                QVERIFY(!w->Modified);
                typeAndLeave(w.get(), w->Edit13, QStringLiteral("200"));
                QCOMPARE(d.LoadCases[0].Pu, 240.0L);
                QVERIFY(followsAnalysis(d));
            }

            // A failed Open leaves case 1 following.
            {
                MessageScript answers({ QMessageBox::No, QMessageBox::Ok });
                runWithFile(w->AOpen, bad);
                QCOMPARE(answers.asked.last(), QStringLiteral("Wrong file format"));
            }
            // The rows rebuilt for the project shown meanwhile give the focus back once idle.
            QApplication::processEvents();
            typeAndLeave(w.get(), w->Edit13, QStringLiteral("150"));
            QCOMPARE(d.LoadCases[0].Pu, 180.0L);

            // The typed project opens as stored, and stays so under a new load.
            openProject(w.get(), typed);
            QCOMPARE(d.LoadCases[0].Pu, stored.Pu);
            QCOMPARE(d.LoadCases[0].Mu, stored.Mu);
            QCOMPARE(d.LoadCases[0].Vu, stored.Vu);
            typeAndLeave(w.get(), w->Edit13, QStringLiteral("100"));
            QCOMPARE(d.LoadCases[0].Pu, stored.Pu);

            // Zeros open following, and the file is not marked changed.
            openProject(w.get(), zeros);
            QCOMPARE(d.LoadCases[0].Pu, 1.2L * d.DownwardLoad);
            QVERIFY(d.LoadCases[0].Mu > 0 && d.LoadCases[0].Vu > 0);
            QVERIFY(followsAnalysis(d));
            QVERIFY(!w->Modified);
        }
        // The same in a freshly started program.
        for (const QString& path : { followed, typed }) {
            auto w = openWindow();
            const TLPData& d = *w->LPData;
            openProject(w.get(), path);
            typeAndLeave(w.get(), w->Edit13, QStringLiteral("50"));
            if (path == followed) {
                QCOMPARE(d.LoadCases[0].Pu, 60.0L);
                QVERIFY(followsAnalysis(d));
            } else {
                QCOMPARE(d.LoadCases[0].Pu, stored.Pu);
                QCOMPARE(d.LoadCases[0].Mu, stored.Mu);
            }
        }
    }

    // Load case 1 follows a new downward load, and its concrete check reads the new case in the
    // same pass: Calculate Results has nothing left to change.
    void caseOneAndItsCheckFollowTheDownwardLoadTogether()
    {
        auto w = openWindow();
        openDemo(w.get());
        QVERIFY(w->chkUseReinforcement->isChecked());
        w->PageControl1->setCurrentWidget(w->TabSheet6);
        const QString mallBefore = w->EditMall[0]->text();

        w->PageControl1->setCurrentWidget(w->TabSheet1);
        typeAndLeave(w.get(), w->Edit13, QStringLiteral("250"));
        w->PageControl1->setCurrentWidget(w->TabSheet6);
        QCOMPARE(
            w->EditPu[0]->text(), localFixed(300, FieldLimitOf(platform::controlTag(w->EditPu[0])).Decimals));
        QVERIFY(w->EditMall[0]->text() != mallBefore);
        QVERIFY(expectCalculatedAsSaved(w.get(), QStringLiteral("downward load 250"), true));

        const QStringList shown { w->EditMall[0]->text(), w->LabMutil[0]->text(), w->LabVutil[0]->text(),
            w->LabPutil[0]->text() };
        {
            MessageScript dontSave({ QMessageBox::No });
            click(w->Button2);
        }
        QCOMPARE((QStringList { w->EditMall[0]->text(), w->LabMutil[0]->text(), w->LabVutil[0]->text(),
                     w->LabPutil[0]->text() }),
            shown);
    }

    // A number typed with more decimals than its field shows is calculated, kept and saved as
    // the field shows it, in a layer row as on a tab.
    void numbersAreTakenAsShown()
    {
        auto w = openWindow();
        openDemo(w.get());
        QLineEdit* thickness = edit(w.get(), row("Length", 1));
        typeAndLeave(w.get(), thickness, QStringLiteral("3.64"));
        QCOMPARE(thickness->text(), localFixed(3.6L, 1));
        QCOMPARE(w->LPData->Layers[0]->Thickness, ShownFieldValue(9, 3.64L, true));
        QVERIFY(expectCalculatedAsSaved(w.get(), QStringLiteral("thickness"), false));
        QLineEdit* spt = edit(w.get(), row("SPTFieldN", 2));
        typeAndLeave(w.get(), spt, QStringLiteral("17.07"));
        QCOMPARE(w->LPData->Layers[1]->SPTFieldN, 17.0L);
        QVERIFY(expectCalculatedAsSaved(w.get(), QStringLiteral("SPT N"), false));
        typeAndLeave(w.get(), w->Edit4, QStringLiteral("12.345"));
        QCOMPARE(w->Edit4->text(), localFixed(w->LPData->LateralLoad, FieldLimitOf(4).Decimals));
        QVERIFY(expectCalculatedAsSaved(w.get(), QStringLiteral("lateral load"), false));
    }

    // Texts a project file cannot keep are refused as they are entered, typed or pasted, with the
    // reason beside the field; what the fields then show is what Save and Open give back.
    void textsComeBackAsTheirFieldsShowThem()
    {
        auto w = openWindow();
        const QLabel* hint = w->findChild<QLabel*>(QStringLiteral("HintWindow"));
        QVERIFY(hint);

        w->Edit10->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        typeText(w->Edit10, QStringLiteral("Łódź Ingeniería ≤"));
        QCOMPARE(w->Edit10->text(), QStringLiteral("ód Ingeniería "));
        QVERIFY(hint->isVisible());
        QVERIFY(hint->text().contains(QStringLiteral("1252")));

        // One character the file cannot keep refuses the whole paste; the others are pasted.
        paste(w->Edit31, QStringLiteral("Łódź harbour"));
        QCOMPARE(w->Edit31->text(), QString());
        paste(w->Edit31, QStringLiteral("Ærøskøbing pier – €2 m"));
        QCOMPARE(w->Edit31->text(), QStringLiteral("Ærøskøbing pier – €2 m"));

        // Past the length: typing stops at it, a longer paste is refused.
        const QString longText = QString(300, QLatin1Char('x'));
        w->Edit9->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        typeText(w->Edit9, longText);
        QCOMPARE(w->Edit9->text().size(), qsizetype(kMaxProjectText));
        QVERIFY(hint->text().contains(QString::number(kMaxProjectText)));
        paste(w->Edit11, longText);
        QCOMPARE(w->Edit11->text(), QString());
        paste(w->Edit11, longText.left(kMaxProjectText - 1) + QStringLiteral("é"));
        QCOMPARE(w->Edit11->text().size(), qsizetype(kMaxProjectText));

        w->Button2->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        const QStringList shown { w->Edit10->text(), w->Edit31->text(), w->Edit9->text(), w->Edit11->text() };
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("texts.fdx"));
        runWithFile(w->ASaveAs, path);
        {
            MessageScript dontSave({ QMessageBox::No });
            runWithFile(w->ANew, QString());
        }
        QCOMPARE(w->Edit10->text(), QString());
        runWithFile(w->AOpen, path);
        QCOMPARE((QStringList { w->Edit10->text(), w->Edit31->text(), w->Edit9->text(), w->Edit11->text() }),
            shown);
        QCOMPARE(QString::fromStdString(w->LPData->Organization), shown.at(0));
    }

    // Sand without cohesion takes the 5 kPa that choosing sand gives, in a new SI project and in
    // the opened SI demo; a stored cohesion stays, and lime stone keeps its own default.
    void newSiSandHasTheCohesionOfSand()
    {
        auto w = openWindow();
        openDemo(w.get(), true);
        const auto expectSand = [&](const QString& stage) {
            const TLayerList& layers = w->LPData->Layers;
            int sand = 0;
            for (int i = 0; i < layers.Count(); ++i) {
                if (layers[i]->MatType != lpmtGranularSoil)
                    continue;
                ++sand;
                QVERIFY2(layers[i]->Cohesion == 5, qPrintable(stage));
                QCOMPARE(
                    edit(w.get(), row("Cohesion", i + 1))->text(), localFixed(5, FieldLimitOf(25).Decimals));
            }
            QVERIFY2(sand > 0, qPrintable(stage));
            QVERIFY(expectCalculatedAsSaved(w.get(), stage, false));
        };
        expectSand(QStringLiteral("SI demo"));
        {
            MessageScript dontSave({ QMessageBox::No });
            w->ANew->trigger();
            QApplication::processEvents();
        }
        QCOMPARE(w->LPData->Units, kUnitsSI);
        expectSand(QStringLiteral("new SI project"));

        // Lime stone without cohesion keeps its own default; a typed cohesion is kept.
        QComboBox* material = child<QComboBox>(w.get(), row("MatType", 2));
        choose(material, material->findData(int(lpmtLimeStoneBedrock)));
        QLineEdit* cohesion = edit(w.get(), row("Cohesion", 2));
        typeAndLeave(w.get(), cohesion, QStringLiteral("0"));
        QCOMPARE(w->LPData->Layers[1]->Cohesion, 25.0L);
        typeAndLeave(w.get(), cohesion, QStringLiteral("40"));
        QCOMPARE(w->LPData->Layers[1]->Cohesion, 40.0L);
    }
};

int main(int argc, char** argv)
{
    return runWindowTest<CommitTest>(argc, argv);
}

#include "commit_qtest.moc"
