// The main window, driven offscreen by object name: start-up, keys, wheel, window settings, the
// save question on closing, the caption rule and the first form pass.
#include "mainwindowtesting.h"

#include "model/globals.h"
#include "model/lpclasses.h"
#include "platform/qt/alignment.h"
#include "platform/qt/application.h"
#include "platform/qt/messages.h"
#include "platform/qt/settings.h"
#include "platform/qt/shell.h"
#include "results/diagramdraw.h"
#include "ui/main/filedialog.h"
#include "ui/main/lpmain.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateEdit>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRect>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>
#include <limits>
#include <memory>

namespace {

const QString kWinPos = QStringLiteral("Software\\Braxholm\\Fendrix\\WinPos");
const QString kProgram = QStringLiteral("Software\\Braxholm\\Fendrix\\");

void storeAutoUpdates(bool on)
{
    platform::SettingsKey key;
    key.openKey(kProgram, true);
    key.writeBool(QStringLiteral("AutoUpdates"), on);
}

// The stored window state and bounds: WinState, Left, Top, Width, Height; -1 where missing.
QList<int> storedWindow()
{
    QList<int> out;
    platform::SettingsKey key;
    const bool open = key.openKey(kWinPos, false);
    for (const char* name : { "WinState", "Left", "Top", "Width", "Height" })
        out << (open && key.valueExists(QLatin1String(name)) ? key.readInteger(QLatin1String(name)) : -1);
    return out;
}

} // namespace

using testing_window::child;
using testing_window::choose;
using testing_window::clearSettings;
using testing_window::fixed;
using testing_window::MessageScript;
using testing_window::typeAndLeave;

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    // A window whose start-up update check is off, so that no test reaches the network.
    std::unique_ptr<TfrmLPMain> openWindow(bool show = true)
    {
        storeAutoUpdates(false);
        auto window = std::make_unique<TfrmLPMain>();
        if (show) {
            window->show();
            window->activateWindow();
            if (!QTest::qWaitForWindowExposed(window.get()))
                qWarning("window not exposed");
        }
        return window;
    }

private slots:
    void init()
    {
        clearSettings();
        platform::setMessageAnswerer({});
    }

    void cleanup()
    {
        platform::setMessageAnswerer({});
        platform::setShellOpenHandler({});
    }

    void startupShowsTheDesignedWindow()
    {
        const QString dataFolder = QString::fromStdString(GetMyDocumentsPath()) + QStringLiteral("Fendrix");
        QDir(dataFolder).removeRecursively();
        QDir(QString::fromStdString(GetMyDocumentsPath())).removeRecursively(); // parents too
        QVERIFY(!QFileInfo::exists(dataFolder));

        auto window = std::make_unique<TfrmLPMain>();
        // No stored settings: designed bounds, automatic updates on.
        QCOMPARE(window->pos(), QPoint(TfrmLPMain::kDesignedLeft, TfrmLPMain::kDesignedTop));
        QCOMPARE(window->size(), QSize(TfrmLPMain::kDesignedWidth, TfrmLPMain::kDesignedHeight));
        QVERIFY(window->ReadAutoUpdates());
        window->show();
        QVERIFY(window->AAutoUpdate->isChecked());
        QVERIFY(window->Timer1->isActive());
        window->Timer1->stop(); // the check itself is the update dialog's business

        QVERIFY(QFileInfo(dataFolder).isDir());
        QCOMPARE(window->DataFolder(), dataFolder + QLatin1Char('/'));

        // Results and the design tabs wait for a calculation and a design.
        QTabWidget* tabs = window->PageControl1;
        QCOMPARE(tabs->currentWidget(), window->TabSheet1);
        for (QWidget* hidden :
            { window->TabSheet3, window->TabSheet4, window->TabSheet5, window->TabSheet6, window->TabSheet7 })
            QVERIFY2(!tabs->isTabVisible(tabs->indexOf(hidden)), qPrintable(hidden->objectName()));

        // The first showing leaves the pile in the soil drawn for the picture's laid-out size:
        // the same as drawing the project afresh into a picture of that size.
        QApplication::processEvents();
        QLabel fresh;
        fresh.resize(window->Image1->size());
        TDiagramDraw::DrawToImage(&fresh, *window->LPData, dkSoilProfile);
        QVERIFY(!fresh.pixmap().isNull());
        QCOMPARE(window->Image1->pixmap().toImage(), fresh.pixmap().toImage());
    }

    void newShowsTheModelDefaults()
    {
        auto window = openWindow();
        // Built-in defaults (no demo project beside the test program): lateral load 20, passive
        // wedge 2.5, f'c 2500; a pile length of 0 shows as the smallest length accepted.
        QCOMPARE(window->LPData->LateralLoad, 20.0L);
        QCOMPARE(child<QLineEdit>(window.get(), "Edit4")->text(), QStringLiteral("20.00"));
        QCOMPARE(child<QLineEdit>(window.get(), "Edit7")->text(), QStringLiteral("2.5"));
        QCOMPARE(child<QLineEdit>(window.get(), "Edit3")->text(), QStringLiteral("2500"));
        QCOMPARE(child<QLineEdit>(window.get(), "Edit1")->text(), QStringLiteral("5.00"));
        QCOMPARE(window->ComboBox1->currentIndex(), int(kUnitsUS));
        QCOMPARE(child<QDateEdit>(window.get(), "DateTimePicker1")->date(), QDate::currentDate());
        QVERIFY(child<QLineEdit>(window.get(), "Edit4")->alignment() & Qt::AlignRight);
        QVERIFY(!window->Modified);
        QVERIFY(!child<QPushButton>(window.get(), "Button3")->isEnabled()); // no logo
        QCOMPARE(window->FileName, QString());
    }

    void enterMovesToTheNextControl()
    {
        auto window = openWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QLineEdit* edit = child<QLineEdit>(window.get(), "Edit13");
        edit->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), edit);
        QSignalSpy returned(edit, &QLineEdit::returnPressed);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(returned.count(), 0); // swallowed
        // The next input in tab order: the pile length below it.
        QCOMPARE(QApplication::focusWidget(), child<QLineEdit>(window.get(), "Edit1"));

        // Lists and the date picker move on too.
        QComboBox* units = child<QComboBox>(window.get(), "ComboBox1");
        units->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), units);
        QTest::keyClick(units, Qt::Key_Enter);
        QVERIFY(QApplication::focusWidget() != units);
        QCOMPARE(units->currentIndex(), 0);

        // Enter on a button still presses it (its picture dialog is answered with Cancel).
        TFileDialog::SetAnswerer([](const TFileDialog&) { return QString(); });
        QPushButton* logo = child<QPushButton>(window.get(), "Button1");
        logo->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), logo);
        QSignalSpy clicked(logo, &QPushButton::clicked);
        QTest::keyClick(logo, Qt::Key_Return);
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(QApplication::focusWidget(), logo);
        TFileDialog::SetAnswerer({});
    }

    void wheelOverTheLayerBlockScrollsTheRows()
    {
        auto window = openWindow();
        window->resize(window->minimumSize());
        // Rows below the visible ones, as a project with many layers has them.
        window->DummyForScrollBox->move(0, 12 * 30 + 1);
        window->ScrollBox1Contents->realign();
        QTRY_VERIFY(window->ScrollBox1->verticalScrollBar()->maximum() > 0);
        QScrollBar* bar = window->ScrollBox1->verticalScrollBar();
        bar->setValue(0);
        QComboBox* material = child<QComboBox>(window.get(), "MatType1");
        material->addItems({ QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c") });
        material->setCurrentIndex(0);
        // The focus elsewhere does not matter.
        child<QLineEdit>(window.get(), "Edit1")->setFocus();

        const auto turn = [&](QWidget* target, int delta) {
            const QPoint local = target->rect().center();
            QWheelEvent wheel(local, target->mapToGlobal(local), QPoint(), QPoint(0, delta), Qt::NoButton,
                Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(target, &wheel);
        };
        turn(material, -120); // wheel back: down by one increment
        QCOMPARE(bar->value(), bar->singleStep());
        QCOMPARE(material->currentIndex(), 0); // the list did not take the turn
        turn(material, 120);
        QCOMPARE(bar->value(), 0);
        turn(material, 120); // not above the top
        QCOMPARE(bar->value(), 0);
        for (int i = 0; i < 100; ++i)
            turn(window->ScrollBox1->viewport(), -120);
        QCOMPARE(bar->value(), bar->maximum()); // not beyond the end

        // Over the tabs the rows stay.
        bar->setValue(0);
        turn(child<QLineEdit>(window.get(), "Edit4"), -120);
        QCOMPARE(bar->value(), 0);
        // A wheel passing over a list or the date picker the user is not in changes nothing.
        QComboBox* units = child<QComboBox>(window.get(), "ComboBox1");
        QDateEdit* date = child<QDateEdit>(window.get(), "DateTimePicker1");
        const QDate today = date->date();
        turn(units, -120);
        turn(date, 120);
        QCOMPARE(units->currentIndex(), 0);
        QCOMPARE(window->LPData->Units, kUnitsUS);
        QCOMPARE(date->date(), today);

        // A fine wheel adds up to a notch.
        turn(window->ScrollBox1->viewport(), -60);
        QCOMPARE(bar->value(), 0);
        turn(window->ScrollBox1->viewport(), -60);
        QCOMPARE(bar->value(), bar->singleStep());
    }

    void windowStateRoundTrip()
    {
        {
            auto window = openWindow();
            window->move(120, 90);
            window->resize(1200, 800);
            QTRY_COMPARE(window->size(), QSize(1200, 800));
        }
        QCOMPARE(storedWindow(), QList<int>({ 0, 120, 90, 1200, 800 }));
        {
            auto window = openWindow(false);
            QCOMPARE(window->pos(), QPoint(120, 90));
            QCOMPARE(window->size(), QSize(1200, 800));
            window->show();
            window->setWindowState(Qt::WindowMaximized);
        }
        QCOMPARE(storedWindow(), QList<int>({ 2, 120, 90, 1200, 800 })); // the normal bounds
        {
            auto window = openWindow(false);
            QVERIFY(window->windowState() & Qt::WindowMaximized);
            QCOMPARE(window->normalGeometry().size(), QSize(1200, 800));
            window->setWindowState(Qt::WindowMinimized);
        }
        QCOMPARE(storedWindow(), QList<int>({ 1, 120, 90, 1200, 800 }));
        {
            // A program that starts minimised seems not to start at all.
            auto window = openWindow(false);
            QCOMPARE(window->windowState(), Qt::WindowNoState);
            QCOMPARE(window->size(), QSize(1200, 800));
        }
    }

    // Bounds fitted to the screen they overlap most, with the desktop's frame (here 1 pixel on
    // the sides, 20 above, 5 below) inside its available area; a screen too small for the minimum
    // size of 1030 x 700 gets the window maximised.
    void placementFitsTheScreen_data()
    {
        QTest::addColumn<QList<qint64>>("wanted"); // Left, Top, Width, Height, maximised
        QTest::addColumn<QList<QRect>>("areas"); // the primary screen's first
        QTest::addColumn<QRect>("expected");
        QTest::addColumn<bool>("maximised");
        QTest::addColumn<QSize>("minimum");
        const QList<qint64> designed { TfrmLPMain::kDesignedLeft, TfrmLPMain::kDesignedTop,
            TfrmLPMain::kDesignedWidth, TfrmLPMain::kDesignedHeight, 0 };
        const QList<QRect> two { QRect(0, 0, 1600, 1000), QRect(1600, 0, 1280, 1024) };
        const QSize full(1030, 700);
        QTest::newRow("designed, on a large screen")
            << designed << two << QRect(40, 20, 1060, 760) << false << full;
        // Also 2560 x 1440 at scale 2.
        QTest::newRow("designed, on 1280 x 720") << designed << QList<QRect> { QRect(0, 0, 1280, 720) }
                                                 << QRect(40, 0, 1060, 695) << true << QSize(1030, 695);
        QTest::newRow("designed, on 1024 x 768") << designed << QList<QRect> { QRect(0, 0, 1024, 768) }
                                                 << QRect(0, 0, 1022, 743) << true << QSize(1022, 700);
        QTest::newRow("designed, below a panel on 1366 x 768")
            << designed << QList<QRect> { QRect(0, 32, 1366, 736) } << QRect(40, 32, 1060, 711) << false
            << full;
        QTest::newRow("below the minimum size")
            << QList<qint64> { 40, 20, 500, 300, 0 } << two << QRect(40, 20, 1030, 700) << false << full;
        QTest::newRow("off every screen") << QList<qint64> { -100000, 1000000000, 1200, 800, 0 } << two
                                          << QRect(0, 175, 1200, 800) << false << full;
        QTest::newRow("sixteen million pixels wide") << QList<qint64> { 100, 50, 1000000000, 1000000000, 0 }
                                                     << two << QRect(0, 0, 1598, 975) << false << full;
        QTest::newRow("past the right edge of the second screen") << QList<qint64> { 1700, 100, 1200, 800,
            0 } << two << QRect(1678, 100, 1200, 800) << false << full;
        QTest::newRow("mostly on the second screen") << QList<qint64> { 1500, 100, 1200, 800, 0 } << two
                                                     << QRect(1600, 100, 1200, 800) << false << full;
        QTest::newRow("extreme integers")
            << QList<qint64> { std::numeric_limits<int>::max(), std::numeric_limits<int>::min(), -5, -5, 0 }
            << two << QRect(568, 0, 1030, 700) << false << full;
        QTest::newRow("maximised keeps fitted normal bounds") << QList<qint64> { -5000, -5000, 99999, 99999,
            1 } << two << QRect(0, 0, 1598, 975) << true << full;
    }

    void placementFitsTheScreen()
    {
        QFETCH(QList<qint64>, wanted);
        QFETCH(QList<QRect>, areas);
        QFETCH(QRect, expected);
        QFETCH(bool, maximised);
        QFETCH(QSize, minimum);
        const TWindowPlacement p
            = FitWindowPlacement({ wanted[0], wanted[1], wanted[2], wanted[3], wanted[4] != 0, {} },
                QSize(1030, 700), QMargins(1, 20, 1, 5), areas);
        QCOMPARE(QRect(int(p.Left), int(p.Top), int(p.Width), int(p.Height)), expected);
        QCOMPARE(p.Maximised, maximised);
        QCOMPARE(p.Minimum, minimum);
    }

    // The stored state as the window reads it: missing values keep the designed ones, a stored
    // maximised window opens maximised over fitted normal bounds, and a minimised or unknown
    // state opens a normal window. The screens (see main): 0,0 1600x1000 and 1600,0 1280x1024.
    void storedStateOpensTheWindowOnAScreen_data()
    {
        QTest::addColumn<QList<int>>("stored"); // Left, Top, Width, Height, WinState; -1 is missing
        QTest::addColumn<bool>("maximised");
        QTest::newRow("sizes only") << QList<int> { -1, -1, 1100, 720, -1 } << false;
        QTest::newRow("minimised, on the second screen") << QList<int> { 1700, 100, 1200, 800, 1 } << false;
        QTest::newRow("unknown state, off every screen")
            << QList<int> { -100000, 1000000000, 1200, 800, 7 } << false;
        QTest::newRow("maximised, larger than every screen")
            << QList<int> { -5000, -5000, 99999, 99999, 2 } << true;
    }

    void storedStateOpensTheWindowOnAScreen()
    {
        QFETCH(QList<int>, stored);
        QFETCH(bool, maximised);
        if (QGuiApplication::screens().size() != 2)
            QSKIP("needs the two offscreen screens that main sets up");
        {
            platform::SettingsKey key;
            QVERIFY(key.openKey(kWinPos, true));
            const char* names[] = { "Left", "Top", "Width", "Height", "WinState" };
            for (int i = 0; i < 5; ++i)
                if (stored[i] != -1)
                    key.writeInteger(QLatin1String(names[i]), stored[i]);
        }
        auto window = openWindow(false);
        QCOMPARE(window->windowState(), maximised ? Qt::WindowMaximized : Qt::WindowNoState);
        const QRect normal = maximised ? window->normalGeometry() : QRect(window->pos(), window->size());
        if (stored[0] == -1)
            QCOMPARE(
                normal, QRect(TfrmLPMain::kDesignedLeft, TfrmLPMain::kDesignedTop, stored[2], stored[3]));
        const auto inside = [&](const QScreen* s) { return s->availableGeometry().contains(normal); };
        QVERIFY(std::any_of(QGuiApplication::screens().cbegin(), QGuiApplication::screens().cend(), inside));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(window->windowState(), maximised ? Qt::WindowMaximized : Qt::WindowNoState);
        QVERIFY(window->screen()->availableGeometry().contains(window->frameGeometry()));
    }

    void automaticUpdatesSetting()
    {
        auto window = openWindow();
        QVERIFY(!window->AAutoUpdate->isChecked());
        QVERIFY(window->Timer1->isActive());
        // With checking off the timer fires once and opens nothing.
        QTRY_VERIFY_WITH_TIMEOUT(!window->Timer1->isActive(), 3000);
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY2(!(w->isVisible() && w->isModal()), qPrintable(w->objectName()));
        window->AAutoUpdate->trigger();
        QVERIFY(window->AAutoUpdate->isChecked());
        QVERIFY(window->ReadAutoUpdates());
        window->AAutoUpdate->trigger();
        QVERIFY(!window->ReadAutoUpdates());
    }

    void closeAsksBeforeDiscardingChanges()
    {
        auto window = openWindow();
        QStringList asked;
        QMessageBox::StandardButton answer = QMessageBox::Cancel;
        platform::setMessageAnswerer(
            [&](const QString& text, platform::MessageKind kind, QMessageBox::StandardButtons buttons) {
                asked << text;
                [&] {
                    QCOMPARE(kind, platform::MessageKind::Confirmation);
                    QCOMPARE(buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
                }();
                return answer;
            });

        QVERIFY(window->close()); // unmodified: no question
        QVERIFY(asked.isEmpty());
        window->show();

        // Cancel keeps the window open.
        window->SetModified(true);
        QVERIFY(!window->close());
        QCOMPARE(asked, QStringList({ QStringLiteral("File is not saved. Do you want to save it now?") }));
        QVERIFY(window->isVisible());
    }

    void showingAgainKeepsTheProject()
    {
        auto window = openWindow();
        QLineEdit* lateral = child<QLineEdit>(window.get(), "Edit4");
        lateral->setFocus();
        lateral->selectAll();
        QTest::keyClicks(lateral, QStringLiteral("33"));
        child<QWidget>(window.get(), "Button2")->setFocus();
        QVERIFY(window->Modified);
        const MessageScript script({ QMessageBox::Cancel });
        window->hide();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY(script.asked.isEmpty());
        QCOMPARE(window->LPData->LateralLoad, 33.0L);
        QCOMPARE(lateral->text(), QStringLiteral("33.00"));
        QVERIFY(window->Modified);
    }

    // Creation starts a new project and the first showing starts it again; the second start may
    // only be left out while the first project stands untouched.
    void firstShowingStartsAgainAProjectChangedSinceCreation()
    {
        TLPData fresh;
        {
            auto window = openWindow(false);
            window->LPData->LateralLoad = fresh.LateralLoad + 18;
            window->DataToForm();
            QVERIFY(!window->Modified);
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window.get()));
            QCOMPARE(window->LPData->LateralLoad, fresh.LateralLoad);
            QCOMPARE(window->Edit4->text(), fixed(fresh.LateralLoad, 2));
        }
        {
            auto window = openWindow(false);
            window->SetModified(true);
            const MessageScript script({ QMessageBox::No });
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window.get()));
            QCOMPARE(script.asked.size(), 1);
            QVERIFY(!window->Modified);
        }
    }

    void captionsAndPicturesFitTheirPlaces()
    {
        auto window = openWindow();
        TfrmLPMain* w = window.get();
        QTest::mouseClick(w->chkUseReinforcement, Qt::LeftButton); // a concrete pile: the load cases
        QVERIFY(w->LPData->StructuralDesign);
        // The load-case heads read on two lines, within their width, in both unit systems.
        for (int units : { 1, 0 }) {
            choose(w->ComboBox1, units);
            for (QLabel* head : { w->Label149, w->Label150, w->Label163, w->Label160, w->Label37, w->Label38,
                     w->Label42, w->Label40 }) {
                const QSize needed = head->sizeHint();
                QVERIFY2(needed.width() <= head->width(), qPrintable(head->objectName() + head->text()));
                QVERIFY2(
                    needed.height() >= 2 * head->fontMetrics().height() && needed.height() <= head->height(),
                    qPrintable(head->objectName()));
            }
        }
        // Every small button shows its picture: the section editors' too.
        for (QToolButton* button : w->findChildren<QToolButton*>()) {
            if (qobject_cast<QTabBar*>(button->parentWidget()))
                continue; // the tab bar's own scroll arrows
            if (button->text().isEmpty() || button == w->SpeedButton8)
                QVERIFY2(!button->icon().availableSizes().isEmpty(), qPrintable(button->objectName()));
        }
        QVERIFY(!w->SpeedButton12->icon().availableSizes().isEmpty());
        QVERIFY(!w->SpeedButton13->icon().availableSizes().isEmpty());

        // The timber tab in SI with a wide pile: headings whole, the section modulus (mm^3) whole,
        // and the load duration factor's hint over no heading.
        choose(w->ComboBox1, 1);
        choose(w->ComboBox3, piTimber);
        choose(w->ComboBox5, psCircle);
        typeAndLeave(w, w->Edit2, QStringLiteral("1.2"));
        QVERIFY(w->PageControl1->isTabVisible(w->PageControl1->indexOf(w->TabSheet7)));
        w->PageControl1->setCurrentWidget(w->TabSheet7);
        QApplication::processEvents();
        QVERIFY(w->Edit67->text().size() >= 10);
        QVERIFY2(w->Edit67->fontMetrics().horizontalAdvance(w->Edit67->text()) + 10 <= w->Edit67->width(),
            qPrintable(w->Edit67->text()));
        QList<QLabel*> headings;
        for (QLabel* l : w->TabSheet7->findChildren<QLabel*>()) {
            QVERIFY2(l->sizeHint().width() <= l->width(), qPrintable(l->objectName()));
            if (l->font().bold())
                headings << l;
        }
        QVERIFY(headings.contains(w->Label154));
        w->Edit61->setFocus();
        QApplication::processEvents();
        QWidget* hint = child<QWidget>(w, "HintWindow");
        QVERIFY(hint->isVisible());
        QVERIFY(hint->width() <= 370);
        for (QLabel* heading : headings) {
            const QRect text(heading->mapToGlobal(QPoint(0, 0)), heading->sizeHint());
            QVERIFY2(!hint->geometry().intersects(text), qPrintable(heading->objectName()));
        }
        // Leaving the field takes its hint away, also when nothing was typed there, and so does a
        // window the focus goes to (a command's dialog), which the hint would stand over.
        w->Edit9->setFocus(Qt::TabFocusReason);
        QVERIFY(!hint->isVisible());
        w->Edit61->setFocus(Qt::TabFocusReason);
        QVERIFY(hint->isVisible());
        QWidget dialog;
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QVERIFY(!hint->isVisible());
    }

    void resizeKeepsTheLayout()
    {
        auto window = openWindow();
        window->resize(1400, 990);
        QTRY_COMPARE(window->size(), QSize(1400, 990));
        QPushButton* calculate = window->Button2;
        QCOMPARE(calculate->x(), (window->Panel6->width() - calculate->width()) / 2);
        const int below = window->centralWidget()->height() - window->Panel2->height();
        QCOMPARE(window->Panel1->height(), std::max(below / 2, 325));
        QVERIFY(window->Panel1->height() > 325);
        // The logo block stays at the right edge.
        QCOMPARE(window->LogoBox->geometry().right(), window->Panel2->width() - 5);

        window->resize(window->minimumSize());
        QTRY_COMPARE(window->size(), window->minimumSize());
        QCOMPARE(window->Panel1->height(), 325);
        QCOMPARE(calculate->x(), (window->Panel6->width() - calculate->width()) / 2);
    }

    // The edit's own Paste, however it is reached (its standard menu, its slot), is held to the
    // rule of typed text; a negative value a file brings still shows, and is edited, as stored.
    void everyPasteIsHeldToTyping()
    {
        auto window = openWindow();
        TfrmLPMain* w = window.get();
        const TLPData& d = *w->LPData;
        if (!w->chkUseReinforcement->isChecked())
            testing_window::click(w->chkUseReinforcement);
        w->PageControl1->setCurrentWidget(w->TabSheet6);
        QClipboard* clipboard = QGuiApplication::clipboard();
        const auto menuPaste = [](QLineEdit* edit) {
            std::unique_ptr<QMenu> menu(edit->createStandardContextMenu());
            for (QAction* action : menu->actions()) {
                if (action->text().startsWith(QLineEdit::tr("&Paste")))
                    action->trigger();
            }
        };
        for (QLineEdit* edit : { w->Edit20, w->EditVu[0] }) {
            QVERIFY(edit->isEnabled());
            const QString before = edit->text();
            edit->setFocus();
            edit->selectAll();
            clipboard->setText(QStringLiteral("-4"));
            menuPaste(edit);
            QCOMPARE(edit->text(), before);
            edit->selectAll();
            edit->paste();
            QCOMPARE(edit->text(), before);
            edit->end(false);
            edit->insert(QStringLiteral("-"));
            QCOMPARE(edit->text(), before);
            // What typing takes, pasting takes.
            edit->selectAll();
            clipboard->setText(QStringLiteral("4"));
            menuPaste(edit);
            QCOMPARE(edit->text(), QStringLiteral("4"));
            QTest::keyClick(edit, Qt::Key_Tab);
        }
        QCOMPARE(d.Groundwater, 4.0L);
        QCOMPARE(d.LoadCases[0].Vu, 4.0L);

        // A file's negative groundwater depth opens as stored, and typing goes on from it.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("negative.fdx"));
        testing_window::saveChanged(w, path, [](TLPData& file) { file.Groundwater = -4; });
        testing_window::openProject(w, path);
        QCOMPARE(d.Groundwater, -4.0L);
        QCOMPARE(w->Edit20->text(), testing_window::fixed(-4, 2));
        w->Edit20->setFocus();
        w->Edit20->end(false);
        QTest::keyClick(w->Edit20, Qt::Key_5);
        QCOMPARE(w->Edit20->text(), testing_window::fixed(-4, 2) + QLatin1Char('5'));
        clipboard->setText(QStringLiteral("-1"));
        w->Edit20->paste();
        QCOMPARE(w->Edit20->text(), testing_window::fixed(-4, 2) + QLatin1Char('5'));
    }

    void inputHandlersMarkTheProjectModified()
    {
        auto window = openWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QLineEdit* lateral = child<QLineEdit>(window.get(), "Edit4");
        lateral->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), lateral);
        lateral->selectAll();
        QTest::keyClicks(lateral, QStringLiteral("1a2-"));
        QCOMPARE(lateral->text(), QStringLiteral("12")); // letters and minus signs are refused
        QTest::keyClicks(lateral, QStringLiteral(".5.2"));
        QCOMPARE(lateral->text(), QStringLiteral("12.52")); // one decimal separator
        QVERIFY(window->Modified);

        // Tab leaves the edit and commits it; Shift+Tab comes back.
        QTest::keyClick(lateral, Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != lateral);
        QCOMPARE(window->LPData->LateralLoad, 12.52L);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), lateral);
        // The editing keys of any edit.
        QClipboard* clipboard = QGuiApplication::clipboard();
        lateral->deselect();
        QTest::keyClick(lateral, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(lateral->selectedText(), QStringLiteral("12.52"));
        QTest::keyClick(lateral, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard->text(), QStringLiteral("12.52"));
        QTest::keyClick(lateral, Qt::Key_Delete);
        QCOMPARE(lateral->text(), QString());
        QTest::keyClick(lateral, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(lateral->text(), QStringLiteral("12.52"));
        QTest::keyClick(lateral, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(lateral, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(lateral->text(), QString());
        QCOMPARE(clipboard->text(), QStringLiteral("12.52"));
        // A paste is checked like typing: all of it, or nothing.
        clipboard->setText(QStringLiteral("abc"));
        QTest::keyClick(lateral, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(lateral->text(), QString());
        clipboard->setText(QStringLiteral(" 3.5 "));
        window->SetModified(false);
        QTest::keyClick(lateral, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(lateral->text(), QStringLiteral("3.5"));
        QVERIFY(window->Modified);
        clipboard->setText(QStringLiteral("1.2"));
        QTest::keyClick(lateral, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(lateral->text(), QStringLiteral("3.5")); // a second separator
        // The edit's own menu pastes the same way.
        clipboard->setText(QStringLiteral("7"));
        const auto pasteFromMenu = [&] {
            QContextMenuEvent menuEvent(
                QContextMenuEvent::Mouse, QPoint(5, 5), lateral->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(lateral, &menuEvent);
            QMenu* menu = nullptr;
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (auto* m = qobject_cast<QMenu*>(top); m && m->isVisible())
                    menu = m;
            }
            QVERIFY(menu);
            for (QAction* action : menu->actions()) {
                if (action->objectName() == QLatin1String("edit-paste"))
                    action->trigger();
            }
            menu->close();
        };
        pasteFromMenu();
        QCOMPARE(lateral->text(), QStringLiteral("3.57"));
        clipboard->setText(QStringLiteral("-1"));
        pasteFromMenu();
        QCOMPARE(lateral->text(), QStringLiteral("3.57"));
        // The layer rows' edits leave with Tab too.
        QLineEdit* gamma = child<QLineEdit>(window.get(), "Gamma1");
        gamma->setFocus();
        gamma->selectAll();
        QTest::keyClicks(gamma, QStringLiteral("118"));
        QTest::keyClick(gamma, Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != gamma);
        QCOMPARE(window->LPData->Layers[0]->Gamma, 118.0L);

        window->SetModified(false);
        // Fixed head sets the moment load to 0 and disables it.
        QComboBox* head = child<QComboBox>(window.get(), "ComboBox2");
        child<QLineEdit>(window.get(), "Edit5")->setText(QStringLiteral("15.00"));
        head->setFocus();
        QTest::keyClick(head, Qt::Key_Down);
        QCOMPARE(head->currentIndex(), 1);
        QCOMPARE(child<QLineEdit>(window.get(), "Edit5")->text(), QStringLiteral("0.00"));
        QVERIFY(!child<QLineEdit>(window.get(), "Edit5")->isEnabled());
        QVERIFY(window->Modified);
    }
};

int main(int argc, char** argv)
{
    // Two screens side by side, the second taller, for the stored window bounds to miss or
    // straddle.
    return testing_window::runWindowTest<MainWindowTest>(argc, argv, R"({ "screens": [
        { "name": "left", "x": 0, "y": 0, "width": 1600, "height": 1000, "logicalDpi": 96 },
        { "name": "right", "x": 1600, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 96 } ] })");
}

#include "lpmain_qtest.moc"
