// The project commands driven through the real window: Save As, Save and Open round trips
// through the file dialogs' code paths (answered by the test), "Wrong file format" on open, the
// save question on New, Open and Calculate Results, Print's question, the logo buttons, a project
// whose logo cannot be read, and the demo project's results.
#include "mainwindowtesting.h"

#include "imaging/jpeggraphic.h"
#include "model/lpclasses.h"
#include "platform/core/stream.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <functional>

using namespace testing_window;

namespace {

const QString kQuestion = QStringLiteral("File is not saved. Do you want to save it now?");

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A picture's 8-byte length in a project file, little-endian.
QByteArray storedLength(qint64 n)
{
    QByteArray bytes(8, '\0');
    for (int i = 0; i < 8; ++i)
        bytes[i] = char(quint64(n) >> (8 * i));
    return bytes;
}

// What the picture reader says of the bytes; empty when they decode.
QString pictureError(const QByteArray& bytes)
{
    platform::TMemoryStream stream;
    stream.WriteBuffer(bytes.constData(), bytes.size());
    stream.SetPosition(0);
    try {
        TJpegGraphic picture;
        picture.LoadFromStream(stream);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

} // namespace

class CommandsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { startTest(); }

    void cleanup() { checkNoUnexpectedMessages(); }

    void saveAsThenOpenGivesTheProjectBack()
    {
        QTemporaryDir dir;
        auto w = openWindow();
        typeAndLeave(w.get(), w->Edit1, QStringLiteral("35"));
        typeAndLeave(w.get(), w->Edit4, QStringLiteral("17.25"));
        w->Edit31->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(w->Edit31, QStringLiteral("Pier 4 - S"));
        QKeyEvent umlaut(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("üd"));
        QApplication::sendEvent(w->Edit31, &umlaut);
        typeAndLeave(w.get(), w->Edit13, QStringLiteral("80"));
        choose(w->ComboBox2, 1);
        QVERIFY(w->Modified);

        // Save with no file name goes through Save As; the dialog adds the extension.
        {
            FileScript answer({ dir.filePath(QStringLiteral("pier4")) });
            w->ASave->trigger();
            QCOMPARE(answer.titles, QStringList({ QStringLiteral("Save") }));
        }
        const QString file = dir.filePath(QStringLiteral("pier4.fdx"));
        QVERIFY(QFile::exists(file));
        QCOMPARE(w->FileName, file);
        QCOMPARE(w->windowTitle(), QStringLiteral("Braxholm Fendrix Professional - pier4.fdx"));
        QVERIFY(!w->Modified);

        // New forgets it; Open brings every value back.
        w->ANew->trigger();
        QCOMPARE(w->FileName, QString());
        QCOMPARE(w->windowTitle(), QStringLiteral("Braxholm Fendrix Professional"));
        QVERIFY(w->LPData->PileLength != 35);
        {
            FileScript answer({ file });
            w->AOpen->trigger();
            QCOMPARE(answer.titles, QStringList({ QStringLiteral("Open") }));
        }
        QCOMPARE(w->LPData->PileLength, 35.0L);
        QCOMPARE(w->Edit1->text(), QStringLiteral("35.00"));
        QCOMPARE(w->LPData->LateralLoad, 17.25L);
        QCOMPARE(w->Edit31->text(), QStringLiteral("Pier 4 - Süd"));
        QCOMPARE(w->LPData->DownwardLoad, 80.0L);
        QCOMPARE(w->ComboBox2->currentIndex(), 1);
        QVERIFY(!w->Edit5->isEnabled());
        QCOMPARE(w->FileName, file);
        QCOMPARE(w->windowTitle(), QStringLiteral("Braxholm Fendrix Professional - pier4.fdx"));
        QVERIFY(!w->Modified);
        QVERIFY(!resultsShown(w.get()));
        QCOMPARE(w->PageControl1->currentIndex(), 0);

        // Save writes to the same file without asking for a name.
        typeAndLeave(w.get(), w->Edit4, QStringLiteral("18"));
        {
            FileScript none({});
            w->ASave->trigger();
            QVERIFY(none.titles.isEmpty());
        }
        QVERIFY(!w->Modified);
        TLPData check;
        check.LoadFromFile(QFile::encodeName(file).toStdString());
        QCOMPARE(check.LateralLoad, 18.0L);
        QCOMPARE(check.ProjectName, std::string("Pier 4 - Süd"));
    }

    // Every command starts from the value being typed, in a text or a numeric field, wherever it
    // is started from, also when a dialog or message of its own has taken the keyboard by the
    // time it reads the project (as a real one has, the main window inactive).
    void aValueBeingTypedIsCommittedByEveryCommand()
    {
        const auto fromMenu = [](QMenu* menu, QAction* action) {
            menu->popup(QPoint(60, 60));
            QVERIFY(QTest::qWaitForWindowExposed(menu));
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
        };
        const struct {
            const char* what;
            std::function<void(TfrmLPMain*)> run;
            QMessageBox::StandardButton answer; // to the save question; Yes saves into the file
        } ways[] = {
            { "Save As from the menu", [&](TfrmLPMain* w) { fromMenu(w->File1, w->ASaveAs); },
                QMessageBox::Yes },
            { "Save from the tool bar",
                [](TfrmLPMain* w) {
                    QTest::mouseClick(w->ToolBar1->widgetForAction(w->ASave), Qt::LeftButton);
                },
                QMessageBox::Yes },
            { "Save by its key",
                [](TfrmLPMain* w) { QTest::keyClick(w->focusWidget(), Qt::Key_S, Qt::ControlModifier); },
                QMessageBox::Yes },
            { "New", [](TfrmLPMain* w) { w->ANew->trigger(); }, QMessageBox::Yes },
            { "Open", [](TfrmLPMain* w) { w->AOpen->trigger(); }, QMessageBox::Yes },
            { "Exit from the menu", [&](TfrmLPMain* w) { fromMenu(w->File1, w->AExit); }, QMessageBox::Yes },
            { "closing the window", [](TfrmLPMain* w) { w->close(); }, QMessageBox::Yes },
            // What the update asks before it ends the program, while its own dialog is active.
            { "the update's end", [](TfrmLPMain* w) { w->AskSaveChanges(); }, QMessageBox::Yes },
            { "Print by its key",
                [](TfrmLPMain* w) { QTest::keyClick(w->focusWidget(), Qt::Key_P, Qt::ControlModifier); },
                QMessageBox::Cancel },
            { "Calculate Results", [](TfrmLPMain* w) { click(w->Button2); }, QMessageBox::No },
            { "the enlarged drawing", [](TfrmLPMain* w) { QTest::mouseClick(w->Image1, Qt::LeftButton); },
                QMessageBox::No },
        };
        const struct {
            const char* field;
            QString typed;
            std::function<bool(const TLPData&)> holds;
        } inputs[] = {
            { "Edit10", QStringLiteral("OrgX"), [](const TLPData& d) { return d.Organization == "OrgX"; } },
            { "Edit4", QStringLiteral("33"), [](const TLPData& d) { return d.LateralLoad == 33; } },
        };
        QLineEdit keyboardTaker; // stands for the dialog or message box of the command
        const auto takeKeyboard = [&] {
            keyboardTaker.show();
            keyboardTaker.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&keyboardTaker));
        };
        for (const auto& way : ways)
            for (const auto& input : inputs) {
                const QByteArray where = QByteArray(way.what) + " with " + input.field;
                QTemporaryDir dir;
                const QString file = dir.filePath(QStringLiteral("typed.fdx"));
                auto w = openWindow();
                QLineEdit* field = edit(w.get(), QLatin1String(input.field));
                field->setFocus(Qt::TabFocusReason);
                QTest::keyClicks(field, input.typed);
                QVERIFY2(!input.holds(*w->LPData), where);
                QStringList asked;
                platform::setMessageAnswerer([&](const QString& text, platform::MessageKind, auto) {
                    takeKeyboard();
                    asked << text;
                    return way.answer;
                });
                QStringList files { file };
                TFileDialog::SetAnswerer([&](const TFileDialog&) {
                    takeKeyboard();
                    return files.isEmpty() ? QString() : files.takeFirst();
                });
                QTimer closer; // the enlarged drawing's window
                QObject::connect(&closer, &QTimer::timeout, [&] {
                    if (QWidget* modal = QApplication::activeModalWidget())
                        modal->close();
                });
                closer.start(20);
                way.run(w.get());
                QApplication::processEvents();
                answerUnexpectedMessages();
                keyboardTaker.hide();
                if (way.answer == QMessageBox::Yes) {
                    QVERIFY2(QFile::exists(file), where);
                    TLPData saved;
                    saved.LoadFromFile(QFile::encodeName(file).toStdString());
                    QVERIFY2(input.holds(saved), where);
                } else {
                    QVERIFY2(input.holds(*w->LPData), where);
                }
                QVERIFY2(asked.size() <= 1, where);
            }
    }

    void wrongFileFormatLeavesTheWindowAsItWas()
    {
        QTemporaryDir dir;
        const QString good = dir.filePath(QStringLiteral("good.fdx"));
        const QString bad = dir.filePath(QStringLiteral("bad.fdx"));
        QVERIFY(writeFile(bad, "Some other program's file, not a project at all."));
        auto w = openWindow();
        typeAndLeave(w.get(), w->Edit1, QStringLiteral("42"));
        typeAndLeave(w.get(), w->Edit4, QStringLiteral("31"));
        runWithFile(w->ASaveAs, good);
        typeAndLeave(w.get(), w->Edit13, QStringLiteral("55"));
        QVERIFY(w->Modified);
        const int layers = w->LPData->Layers.Count();

        QStringList errors;
        {
            // The save question is answered No; the reader's error is shown.
            MessageScript answers({ QMessageBox::No, QMessageBox::Ok });
            FileScript answer({ bad });
            w->AOpen->trigger();
            errors = answers.asked;
        }
        QCOMPARE(errors, QStringList({ kQuestion, QStringLiteral("Wrong file format") }));
        QCOMPARE(w->LPData->PileLength, 42.0L);
        QCOMPARE(w->LPData->LateralLoad, 31.0L);
        QCOMPARE(w->LPData->DownwardLoad, 55.0L);
        QCOMPARE(w->LPData->Layers.Count(), layers);
        QCOMPARE(w->Edit1->text(), QStringLiteral("42.00"));
        QCOMPARE(w->Edit13->text(), QStringLiteral("55.00"));
        QCOMPARE(w->FileName, good);
        QCOMPARE(w->windowTitle(), QStringLiteral("Braxholm Fendrix Professional - good.fdx"));

        // A file that does not exist at all is refused the same way.
        {
            MessageScript answers({ QMessageBox::Ok });
            FileScript answer({ dir.filePath(QStringLiteral("missing.fdx")) });
            w->AOpen->trigger();
            QCOMPARE(answers.asked.size(), 1);
        }
        QCOMPARE(w->LPData->PileLength, 42.0L);
    }

    void dialogsOpenOverTheWindowAndShowEveryProject()
    {
        QTemporaryDir dir;
        const QString bad = dir.filePath(QStringLiteral("bad.fdx"));
        QVERIFY(writeFile(bad, "not a project"));
        auto w = openWindow();
        // Project files named in capitals are shown too, and any file when asked for all.
        QCOMPARE(w->OD().QtFilter(), QStringLiteral("Braxholm Fendrix files (*.fdx *.FDX);;All Files (*)"));
        QCOMPARE(w->SD().QtFilter(), w->OD().QtFilter());
        QCOMPARE(w->OPD().QtFilter(), QStringLiteral("JPEG files (*.jpg *.jpeg *.JPG *.JPEG)"));

        // A message shown for real opens centred over the main window, also when no window is
        // active (as right after a file dialog has closed).
        QRect box;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                box = modal->geometry();
                modal->close();
            }
        });
        watch.start(10);
        platform::setMessageAnswerer({});
        QApplication::setActiveWindow(nullptr);
        runWithFile(w->AOpen, bad);
        answerUnexpectedMessages();
        QVERIFY(!box.isNull());
        const QPoint offset = box.center() - w->geometry().center();
        QVERIFY2(offset.manhattanLength() <= 4,
            qPrintable(QStringLiteral("%1 %2").arg(offset.x()).arg(offset.y())));
    }

    void openKeepsEveryStoredCohesion()
    {
        QTemporaryDir dir;
        auto w = openWindow();
        openDemo(w.get());
        TLayerList& layers = w->LPData->Layers;
        QCOMPARE(layers[0]->MatType, lpmtGranularSoil);
        QCOMPARE(layers[1]->MatType, lpmtCohesiveSoil);
        // A granular cohesion other than the 0.1 default, and a cohesive one below c0.
        typeAndLeave(w.get(), edit(w.get(), QStringLiteral("Cohesion1")), QStringLiteral("0.5"));
        const Extended c0 = layers[1]->DefaultCohesion() / 1000;
        const Extended reduced = std::round(60 * c0) / 100; // 0.6 c0 as the edit shows it
        QVERIFY(reduced > 0.2L * c0 && reduced < c0);
        typeAndLeave(w.get(), edit(w.get(), QStringLiteral("Cohesion2")), QString::number(double(reduced)));
        QCOMPARE(layers[0]->Cohesion, 0.5L);
        QCOMPARE(layers[1]->Cohesion, reduced);
        const QString saved = dir.filePath(QStringLiteral("stored.fdx"));
        runWithFile(w->ASaveAs, saved);
        runWithFile(w->AOpen, saved);
        QCOMPARE(w->LPData->Layers[0]->Cohesion, 0.5L);
        QCOMPARE(w->LPData->Layers[1]->Cohesion, reduced);
        QCOMPARE(edit(w.get(), QStringLiteral("Cohesion1"))->text(), QStringLiteral("0.50"));
        // Saved again as opened, the file is the same file.
        const QString again = dir.filePath(QStringLiteral("again.fdx"));
        runWithFile(w->ASaveAs, again);
        QFile a(saved), b(again);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QCOMPARE(b.readAll(), a.readAll());

        // A later change of consistency still brings in that consistency's default (one within
        // the field's limits).
        TLayer* clay = w->LPData->Layers[1];
        const TConsistency before = clay->Consistency;
        QLineEdit* spt = edit(w.get(), QStringLiteral("SPTFieldN2"));
        for (const char* n : { "2", "6", "12", "20" }) {
            typeAndLeave(w.get(), spt, QLatin1String(n));
            if (clay->Consistency != before && clay->DefaultCohesion() <= 3000)
                break;
        }
        QVERIFY(clay->Consistency != before);
        QVERIFY(std::fabs(clay->Cohesion - clay->DefaultCohesion() / 1000) < 1e-9L);
    }

    void declinedSaveKeepsTheWorkMarked()
    {
        auto w = openWindow();
        typeAndLeave(w.get(), w->Edit1, QStringLiteral("64"));
        {
            // No to the question, then the file dialog is cancelled: nothing was replaced.
            MessageScript no({ QMessageBox::No });
            FileScript cancel({ QString() });
            w->AOpen->trigger();
            QCOMPARE(no.asked, QStringList({ kQuestion }));
        }
        QVERIFY(w->Modified); // so the next New, Open or close asks again
        QCOMPARE(w->LPData->PileLength, 64.0L);
    }

    void failedSaveAsKeepsNameCaptionAndMark()
    {
        QTemporaryDir dir;
        auto w = openWindow();
        const QString good = dir.filePath(QStringLiteral("good.fdx"));
        runWithFile(w->ASaveAs, good);
        typeAndLeave(w.get(), w->Edit4, QStringLiteral("44"));
        const QString unwritable = dir.filePath(QStringLiteral("no such folder/elsewhere.fdx"));
        {
            MessageScript ok({ QMessageBox::Ok });
            FileScript answer({ unwritable });
            w->ASaveAs->trigger();
            QCOMPARE(ok.asked.size(), 1);
            QVERIFY2(ok.asked.first().contains(unwritable), qPrintable(ok.asked.first()));
            QVERIFY2(ok.asked.first().contains(QString::fromLocal8Bit(std::strerror(ENOENT))),
                qPrintable(ok.asked.first()));
        }
        QCOMPARE(w->FileName, good);
        QCOMPARE(w->windowTitle(), QStringLiteral("Braxholm Fendrix Professional - good.fdx"));
        QVERIFY(w->Modified);
        // The next Save writes the file the project came from.
        {
            FileScript none({});
            QTest::keySequence(w.get(), QKeySequence::Save);
            QVERIFY(none.titles.isEmpty());
        }
        QVERIFY(!w->Modified);
        TLPData check;
        check.LoadFromFile(QFile::encodeName(good).toStdString());
        QCOMPARE(check.LateralLoad, 44.0L);
    }

    void openTakesTheValuesTheWindowShows()
    {
        QTemporaryDir dir;
        auto w = openWindow();
        makeSand(w.get());
        typeAndLeave(w.get(), w->Edit1, QStringLiteral("40"));
        choose(w->ComboBox3, piRoughSteel);
        choose(w->ComboBox18, 1); // pipe
        click(w->chkUseReinforcement);
        QVERIFY(w->PageControl1->isTabVisible(w->PageControl1->indexOf(w->TabSheet5)));
        const QString file = dir.filePath(QStringLiteral("limits.fdx"));
        runWithFile(w->ASaveAs, file);
        // Another program wrote values beyond the fields' limits into the file.
        {
            TLPData other;
            other.LoadFromFile(QFile::encodeName(file).toStdString());
            other.SteelInput.Fy = 35;
            other.PileLength = 500;
            other.SaveToFile(QFile::encodeName(file).toStdString());
        }
        // Opened from the control Open leaves the focus in, so that no field is left meanwhile.
        w->PageControl1->setCurrentIndex(0);
        w->ComboBox1->setFocus();
        QApplication::processEvents();
        runWithFile(w->AOpen, file);
        QCOMPARE(w->Edit44->text(), QStringLiteral("36.00"));
        QCOMPARE(w->LPData->SteelInput.Fy, 36.0L);
        QCOMPARE(w->Edit1->text(), QStringLiteral("450.00"));
        QCOMPARE(w->LPData->PileLength, 450.0L);
        QCOMPARE(w->LPData->Node(kNodeCount).Depth, 450.0L); // calculated with it
        QVERIFY(!w->Modified);
    }

    // New, closing and Calculate Results ask before the work is lost: Cancel keeps it, Yes saves
    // first (a cancelled Save As stops New and closing, while Calculate goes on), No goes on.
    void saveQuestionGuardsEveryWayOn()
    {
        const struct {
            QString what;
            std::function<void(TfrmLPMain*)> run;
            std::function<bool(TfrmLPMain*)> wentOn;
            bool evenWithoutASave;
        } ways[] = {
            { QStringLiteral("New"), [](TfrmLPMain* w) { w->ANew->trigger(); },
                [](TfrmLPMain* w) { return w->LPData->PileLength != 60; }, false },
            { QStringLiteral("close"), [](TfrmLPMain* w) { w->close(); },
                [](TfrmLPMain* w) { return !w->isVisible(); }, false },
            { QStringLiteral("Calculate"), [](TfrmLPMain* w) { click(w->Button2); },
                [](TfrmLPMain* w) { return resultsShown(w); }, true },
        };
        for (const auto& way : ways)
            for (QMessageBox::StandardButton answer :
                { QMessageBox::Cancel, QMessageBox::Yes, QMessageBox::No }) {
                const QByteArray where
                    = (way.what + QStringLiteral(" answered %1").arg(int(answer))).toLocal8Bit();
                auto w = openWindow();
                typeAndLeave(w.get(), w->Edit1, QStringLiteral("60"));
                {
                    MessageScript question({ answer });
                    FileScript cancelled({ QString() });
                    way.run(w.get());
                    QVERIFY2(question.asked == QStringList({ kQuestion }), where);
                    QVERIFY2(cancelled.titles.size() == (answer == QMessageBox::Yes ? 1 : 0), where);
                }
                const bool wentOn
                    = answer == QMessageBox::No || (answer == QMessageBox::Yes && way.evenWithoutASave);
                QVERIFY2(way.wentOn(w.get()) == wentOn, where);
                if (!wentOn)
                    QVERIFY2(w->LPData->PileLength == 60 && w->isVisible(), where);
                // Only New replaces the work; after the others it is still unsaved.
                QVERIFY2(w->Modified == !(wentOn && way.what == QLatin1String("New")), where);
            }

        // Yes with a name given: saved first, then replaced.
        QTemporaryDir dir;
        auto w = openWindow();
        typeAndLeave(w.get(), w->Edit1, QStringLiteral("60"));
        {
            MessageScript yes({ QMessageBox::Yes });
            FileScript save({ dir.filePath(QStringLiteral("kept.fdx")) });
            w->ANew->trigger();
            QCOMPARE(save.titles, QStringList({ QStringLiteral("Save") }));
        }
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("kept.fdx"))));
        QVERIFY(w->LPData->PileLength != 60);
        QVERIFY(!w->Modified);
        QCOMPARE(w->FileName, QString());
    }

    void calculatedResultsGoStaleAndPrintAsks()
    {
        auto w = openWindow();
        typeAndLeave(w.get(), w->Edit1, QStringLiteral("30"));
        {
            MessageScript no({ QMessageBox::No });
            click(w->Button2);
        }
        QCOMPARE(w->PageControl1->currentWidget(), w->TabSheet3);
        QVERIFY(!w->Label44->text().isEmpty());
        w->PageControl1->setCurrentIndex(0);
        typeAndLeave(w.get(), w->Edit1, QStringLiteral("31"));
        QVERIFY(!resultsShown(w.get()));

        // Print asks the same; Cancel prints nothing and opens no window.
        {
            MessageScript cancel({ QMessageBox::Cancel });
            w->APrint->trigger();
            QCOMPARE(cancel.asked, QStringList({ kQuestion }));
        }
        QVERIFY(!resultsShown(w.get()));
        for (QWidget* top : QApplication::topLevelWidgets())
            QVERIFY2(!(top->isVisible() && top->isModal()), qPrintable(top->objectName()));
    }

    void theDemoProjectCalculates()
    {
        auto w = openWindow();
        openDemo(w.get());
        QCOMPARE(w->LPData->Layers.Count(), 4);
        QCOMPARE(w->LPData->PileLength, 40.0L);
        QCOMPARE(w->Edit13->text(), QStringLiteral("150.00"));
        QVERIFY(w->LPData->StructuralDesign);
        QVERIFY(w->PageControl1->isTabVisible(w->PageControl1->indexOf(w->TabSheet6)));
        QCOMPARE(w->ComboBox14->currentText(), QStringLiteral("#7"));
        QCOMPARE(w->ComboBox16->currentText(), QStringLiteral("8"));
        click(w->Button2);
        QVERIFY(resultsShown(w.get()));
        QVERIFY(!w->pnlResConcrete->isHidden());
        QVERIFY(!w->Panel11->isHidden()); // two load cases
        QVERIFY(w->Panel12->isHidden());
        QCOMPARE(w->EditPub[1]->text(), w->EditPu[1]->text());
        QCOMPARE(w->Label40->text(), QStringLiteral("M all\nk-ft"));
        for (QLabel* line : { w->Label43, w->Label44, w->Label66, w->Label55, w->Label80, w->Label201,
                 w->Label205, w->Label206 })
            QVERIFY2(!line->text().isEmpty() && !line->text().contains(QStringLiteral("N.A.")),
                qPrintable(line->objectName()));
        QVERIFY(w->Label55->text().endsWith(QStringLiteral("(40.00 ft)")));
        QVERIFY(!w->Image1->pixmap().isNull());

        // The SI demo switches every caption.
        openDemo(w.get(), true);
        QCOMPARE(w->LPData->Units, kUnitsSI);
        QCOMPARE(w->ComboBox1->currentIndex(), 1);
        QCOMPARE(w->Label5->text(), QStringLiteral("m"));
        QCOMPARE(w->ComboBox12->currentIndex(), int(rsEuropean));
        QCOMPARE(w->LPData->Fc, 35.0L); // not reset by the first pass
        typeAndLeave(w.get(), w->Edit4, QStringLiteral("70"));
        QCOMPARE(w->LPData->Fc, 35.0L);
        QCOMPARE(w->LPData->LateralLoad, 70.0L);
    }

    // A logo the picture reader refuses costs the project its logo, not its inputs: it opens with
    // one message that says why, unmodified, and Save writes it without the logo.
    void aProjectWhoseLogoCannotBeReadOpensWithoutIt()
    {
        QTemporaryDir dir;
        const QByteArray jpeg = readFile(QStringLiteral(FENDRIX_TEST_DATA "/projectfile/logo.jpg"));
        QByteArray huge = jpeg;
        // The start of frame: marker, length, precision, then height and width.
        const qsizetype frame = huge.indexOf(QByteArray("\xFF\xC0", 2));
        QVERIFY(frame > 0);
        huge.replace(frame + 5, 4, QByteArray("\xFF\xDC\xFF\xDC", 4)); // 65500 x 65500
        const struct {
            const char* what;
            QByteArray logo;
        } logos[] = {
            { "png", readFile(QStringLiteral(FENDRIX_TEST_DATA "/projectfile/logo.png")) },
            { "text", QByteArray("These bytes are no picture of any kind.") },
            { "one byte", QByteArray(1, '\xFF') },
            { "huge frame", huge },
        };

        auto w = openWindow();
        {
            FileScript answer({ QStringLiteral(FENDRIX_TEST_DATA "/projectfile/logo.jpg") });
            click(w->Button1);
        }
        typeAndLeave(w.get(), w->Edit1, QStringLiteral("37"));
        typeAndLeave(w.get(), w->Edit4, QStringLiteral("12.5"));
        typeAndLeave(w.get(), w->Edit31, QStringLiteral("Quay wall"));
        const QString good = dir.filePath(QStringLiteral("good.fdx"));
        runWithFile(w->ASaveAs, good);
        const int layers = w->LPData->Layers.Count();
        const QByteArray saved = readFile(good);
        const qsizetype logoAt = saved.indexOf(storedLength(jpeg.size()) + jpeg);
        QVERIFY(logoAt > 0);

        for (const auto& bad : logos) {
            const QByteArray where(bad.what);
            const QString reason = pictureError(bad.logo);
            QVERIFY2(!reason.isEmpty(), where);
            QByteArray damaged = saved;
            damaged.replace(logoAt, 8 + jpeg.size(), storedLength(bad.logo.size()) + bad.logo);
            const QString file = dir.filePath(QLatin1String(bad.what) + QStringLiteral(".fdx"));
            QVERIFY(writeFile(file, damaged));
            w->ANew->trigger();
            QVERIFY2(w->LPData->PileLength != 37, where);

            const auto expectOpened = [&](const QString& path) {
                QVERIFY2(w->LPData->PileLength == 37, where);
                QCOMPARE(w->Edit1->text(), QStringLiteral("37.00"));
                QVERIFY2(w->LPData->LateralLoad == 12.5L, where);
                QCOMPARE(w->Edit31->text(), QStringLiteral("Quay wall"));
                QVERIFY2(w->LPData->Layers.Count() == layers, where);
                QVERIFY2(!w->LPData->Logo, where);
                QVERIFY2(w->Logo->pixmap().isNull(), where);
                QVERIFY2(!w->Button3->isEnabled(), where);
                QVERIFY2(!w->Modified, where);
                QCOMPARE(w->FileName, path);
                QCOMPARE(w->windowTitle(),
                    QStringLiteral("Braxholm Fendrix Professional - ") + QFileInfo(path).fileName());
            };
            {
                MessageScript ok({ QMessageBox::Ok });
                runWithFile(w->AOpen, file);
                QVERIFY2(ok.asked.size() == 1, qPrintable(ok.asked.join(QLatin1Char('|'))));
                QVERIFY2(ok.asked.first().contains(QStringLiteral("logo")), qPrintable(ok.asked.first()));
                QVERIFY2(ok.asked.first().contains(reason), qPrintable(ok.asked.first()));
            }
            expectOpened(file);

            // Saved, the project has no logo and opens without a word.
            {
                FileScript none({});
                w->ASave->trigger();
                QVERIFY(none.titles.isEmpty());
            }
            w->ANew->trigger();
            runWithFile(w->AOpen, file);
            expectOpened(file);
            QCOMPARE(readFile(file).size(), saved.size() - jpeg.size());
        }
    }

    void logoButtons()
    {
        auto w = openWindow();
        QVERIFY(!w->Button3->isEnabled());
        {
            FileScript answer({ QStringLiteral(FENDRIX_TEST_DATA "/projectfile/logo.jpg") });
            click(w->Button1);
            QCOMPARE(answer.titles, QStringList({ QStringLiteral("Open") }));
        }
        QVERIFY(w->LPData->Logo);
        QVERIFY(w->Button3->isEnabled());
        QVERIFY(w->Modified);
        QVERIFY(!w->Logo->pixmap().isNull());
        const int width = w->LPData->Logo->Width();
        const int height = w->LPData->Logo->Height();
        const int expected = std::min<int>(RoundHalfEven(Extended(73) * width / height), 173);
        QCOMPARE(w->Logo->width(), expected);
        QCOMPARE(w->Logo->x(), w->LogoBox->width() - expected - 4 - (173 - expected) / 2);
        // A pass keeps the picture the model holds.
        const auto picture = w->LPData->Logo;
        typeAndLeave(w.get(), w->Edit4, QStringLiteral("21"));
        QCOMPARE(w->LPData->Logo, picture);
        click(w->Button3);
        QVERIFY(!w->LPData->Logo);
        QVERIFY(!w->Button3->isEnabled());
        QVERIFY(w->Logo->pixmap().isNull());
    }
};

int main(int argc, char** argv)
{
    return runWindowTest<CommandsTest>(argc, argv);
}

#include "commands_qtest.moc"
