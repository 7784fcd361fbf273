// Seeing and reaching the main window's controls on a screen of 1024 x 768: the first window fits
// it, and every stop of the Tab chain, on every tab and every layer row colour, shows the focus.
#include "mainwindowtesting.h"
#include "tests/results/contrast.h"

#include <QCheckBox>
#include <QImage>
#include <QScreen>
#include <QScrollArea>

#include <cmath>

using namespace testing_window;

namespace {

using testing_contrast::contrast;

// Pixels of the control that the focus changed to a colour contrasting at least 3:1 with what
// they show without it: a tint of the highlight colour counts nothing.
int markedPixels(const QImage& focused, const QImage& unfocused)
{
    int n = 0;
    for (int y = 0; y < focused.height(); ++y)
        for (int x = 0; x < focused.width(); ++x)
            n += contrast(focused.pixel(x, y), unfocused.pixel(x, y)) >= 3.0 ? 1 : 0;
    return n;
}

// More than a text caret gives: the mark shows where the focus is also while the caret blinks.
constexpr int kClearMark = 16;

} // namespace

class FocusTest : public QObject {
    Q_OBJECT

    // Tabs from the focused control once round the window. Each stop is drawn as the focus
    // reaches it and again once the focus has left it; the difference must be a clear mark. A
    // stop that holds the next one (a scroll area, a panel) draws no mark of its own. Returns
    // the faults found.
    static QStringList walkTabChain(const QString& where)
    {
        QStringList faults;
        QWidget* first = QApplication::focusWidget();
        if (!first || !first->isVisible())
            return { where + QStringLiteral(": no visible focus to start from") };
        QWidget* stop = first;
        for (int stops = 0; stops < 200; ++stops) {
            const QString name = where + QStringLiteral(": ") + stop->objectName();
            const QImage focused = stop->grab().toImage();
            // A date picker takes a Tab for each of its parts.
            QWidget* next = stop;
            for (int presses = 0; presses < 3 && next == stop; ++presses) {
                QTest::keyClick(stop, Qt::Key_Tab);
                QApplication::processEvents();
                next = QApplication::focusWidget();
            }
            if (!next || next == stop)
                return faults << name + QStringLiteral(" keeps the focus");
            if (stop->isAncestorOf(next))
                faults << name + QStringLiteral(" holds other stops");
            else if (const int marked = markedPixels(focused, stop->grab().toImage()); marked < kClearMark)
                faults << name + QStringLiteral(" marks %1 pixels").arg(marked);
            stop = next;
            if (stop == first)
                return faults;
        }
        return faults << where + QStringLiteral(": the chain does not come round");
    }

    static QStringList walkTab(TfrmLPMain* w, QWidget* tab, const QString& where)
    {
        if (!w->PageControl1->isTabVisible(w->PageControl1->indexOf(tab)))
            return { where + QStringLiteral(": tab not shown") };
        w->PageControl1->setCurrentWidget(tab);
        w->PageControl1->tabBar()->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        return walkTabChain(where);
    }

private slots:
    void init() { startTest(); }

    void cleanup() { checkNoUnexpectedMessages(); }

    // With no stored state the window fills the screen, which is smaller than the window's
    // minimum size: Calculate Results and the rows' right-hand buttons are on it.
    void firstWindowFitsTheScreen()
    {
        auto window = openWindow();
        TfrmLPMain* w = window.get();
        const QRect screen = w->screen()->availableGeometry();
        QCOMPARE(screen.size(), QSize(1024, 768));
        QVERIFY(w->isMaximized());
        QVERIFY(screen.contains(w->frameGeometry()));
        const auto onScreen = [&](QWidget* control) {
            return control->isVisible()
                && screen.contains(QRect(control->mapToGlobal(QPoint(0, 0)), control->size()));
        };
        QVERIFY(onScreen(w->Button2));
        QWidget* rows = w->ScrollBox1->viewport();
        for (int n = 1; w->LayerPanel(n); ++n) {
            auto* remove = child<QWidget>(w, row("DelBtn", n));
            QVERIFY(onScreen(remove));
            QTRY_VERIFY(rows->rect().contains(QRect(remove->mapTo(rows, QPoint(0, 0)), remove->size())));
        }
    }

    void everyStopShowsTheFocus()
    {
        QApplication::setCursorFlashTime(0); // the caret stays on while the window is grabbed
        auto window = openWindow();
        TfrmLPMain* w = window.get();
        // From the start the first input shows the focus, before any key was pressed.
        QCOMPARE(QApplication::focusWidget(), w->ComboBox1);
        // Rows of each colour a new layer takes.
        click(w->SpeedButton11);
        QVERIFY(w->LayerPanel(3));
        QCOMPARE(QApplication::focusWidget(), w->ComboBox1);
        QStringList faults = walkTabChain(QStringLiteral("start"));

        faults << walkTab(w, w->TabSheet2, QStringLiteral("pile"));
        click(w->chkUseReinforcement);
        faults << walkTab(w, w->TabSheet6, QStringLiteral("concrete design"));
        choose(w->ComboBox3, piRoughSteel);
        faults << walkTab(w, w->TabSheet4, QStringLiteral("I/H design"));
        choose(w->ComboBox18, 1);
        faults << walkTab(w, w->TabSheet5, QStringLiteral("pipe design"));
        choose(w->ComboBox3, piTimber);
        faults << walkTab(w, w->TabSheet7, QStringLiteral("timber design"));
        w->SetModified(false);
        click(w->Button2);
        faults << walkTab(w, w->TabSheet3, QStringLiteral("results"));
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("\n"))));
    }
};

int main(int argc, char** argv)
{
    return runWindowTest<FocusTest>(argc, argv, R"({ "screens": [
        { "name": "small", "x": 0, "y": 0, "width": 1024, "height": 768, "logicalDpi": 96 } ] })");
}

#include "focus_qtest.moc"
