// The keyboard-cue component: which forms it watches, when it repaints and what.
#include "platform/qt/themeservices.h"
#include "theming/keycuefixunit.h"
#include "theming/qxskinfixedstuff.h"
#include "theming/themeunits.h"

#include <QCheckBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

using namespace platform;

namespace {

// Counts paint events and remembers the last message's result it produced.
class Form : public QWidget {
public:
    int messagesSeen = 0;

protected:
    bool event(QEvent* event) override
    {
        if (TMessage* m = messageOf(event)) {
            ++messagesSeen;
            m->Result = 42; // the form's own answer must come back unchanged
            return true;
        }
        return QWidget::event(event);
    }
};

void noteUiState(QWidget* form)
{
    sendMessage(form, WM_UPDATEUISTATE, (UISF_HIDEACCEL << 16) | UIS_CLEAR);
}

} // namespace

class TestKeyCueFix : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        saved = windowSystemInfo();
        InitializeThemes();
    }
    void cleanupTestCase() { FinalizeThemes(); }
    void init()
    {
        setWindowSystemInfo(saved);
        repaints.clear();
        TFormObj::RepaintProc() = [this](QWidget* w) { repaints.append(w); };
    }
    void cleanup()
    {
        TFormObj::RepaintProc() = RepaintControl;
        setWindowSystemInfo(saved);
    }

    void inertOnOlderSystemsOrWithoutStyles()
    {
        WindowSystemInfo old = saved;
        old.majorVersion = 5;
        old.minorVersion = 1;
        setWindowSystemInfo(old);
        QVERIFY(!IsWindows6WithThemes());
        Form form;
        form.show();
        {
            TKeyCueFix fix(nullptr);
            QVERIFY(!fix.Active());
            bool done = true;
            fix.ApplicationIdle(nullptr, done);
            QVERIFY(fix.FormObjects().empty());
        }
        WindowSystemInfo plain = saved;
        plain.themesEnabled = false;
        setWindowSystemInfo(plain);
        QVERIFY(!TKeyCueFix(nullptr).Active());
        WindowSystemInfo unknown = saved;
        unknown.versionKnown = false;
        setWindowSystemInfo(unknown);
        QVERIFY(!TKeyCueFix(nullptr).Active());
        setWindowSystemInfo(saved);
        QVERIFY(IsWindows6WithThemes());
        TKeyCueFix active(nullptr);
        QVERIFY(active.Active());
        QVERIFY(active.RepaintAll);
    }

    void repaintsOnlyNotedFormsOncePerIdle()
    {
        Form a, b;
        a.show();
        b.show();
        TKeyCueFix fix(nullptr);
        bool done = true;
        fix.ApplicationIdle(nullptr, done);
        QVERIFY(fix.FormObjects().size() >= 2);
        QVERIFY(repaints.isEmpty()); // nothing noted yet
        noteUiState(&a);
        noteUiState(&a);
        noteUiState(&a);
        fix.ApplicationIdle(nullptr, done);
        QCOMPARE(repaints.count(&a), 1); // a burst costs one repaint
        QCOMPARE(repaints.count(&b), 0);
        repaints.clear();
        fix.ApplicationIdle(nullptr, done);
        QVERIFY(repaints.isEmpty());
        QVERIFY(done);
    }

    void theHookLeavesMessagesAlone()
    {
        Form form;
        form.show();
        TKeyCueFix fix(nullptr);
        bool done = true;
        fix.ApplicationIdle(nullptr, done);
        TMessage m { WM_UPDATEUISTATE, 0, 0, 0 };
        dispatchMessage(&form, m);
        QCOMPARE(m.Result, intptr_t(42));
        QCOMPARE(form.messagesSeen, 1);
        TMessage other { 1234, 0, 0, 0 };
        dispatchMessage(&form, other);
        QCOMPARE(form.messagesSeen, 2);
        fix.ApplicationIdle(nullptr, done);
        QCOMPARE(repaints.count(&form), 1); // only the cue change counted
    }

    void repaintAllVisitsTheFormFirstThenDepthFirst()
    {
        Form form;
        auto* box = new QWidget(&form);
        auto* inner = new QLineEdit(box);
        auto* button = new QPushButton("OK", &form);
        form.show();
        TKeyCueFix fix(nullptr);
        bool done = true;
        fix.ApplicationIdle(nullptr, done);
        noteUiState(&form);
        fix.ApplicationIdle(nullptr, done);
        const QList<QWidget*> order = repaints;
        QVERIFY(order.size() >= 4);
        QCOMPARE(order.at(0), &form);
        QVERIFY(order.indexOf(box) < order.indexOf(inner));
        QVERIFY(order.indexOf(inner) < order.indexOf(button));
    }

    void buttonsOnlySkipHiddenPagesAndButtonChildren()
    {
        Form form;
        auto* layout = new QVBoxLayout(&form);
        auto* tabs = new QTabWidget;
        layout->addWidget(tabs);
        auto* page0 = new QWidget;
        auto* page1 = new QWidget;
        auto* onPage0 = new QPushButton("Zero", page0);
        auto* onPage1 = new QCheckBox("One", page1);
        tabs->addTab(page0, "A");
        tabs->addTab(page1, "B");
        auto* outer = new QPushButton("Outer");
        auto* child = new QPushButton("child", outer);
        layout->addWidget(outer);
        auto* edit = new QLineEdit;
        layout->addWidget(edit);
        form.show();

        TKeyCueFix fix(nullptr);
        fix.RepaintAll = false;
        bool done = true;
        fix.ApplicationIdle(nullptr, done);
        noteUiState(&form);
        fix.ApplicationIdle(nullptr, done);
        QVERIFY(repaints.contains(onPage0));
        QVERIFY(!repaints.contains(onPage1));
        QVERIFY(repaints.contains(outer));
        QVERIFY(!repaints.contains(child)); // a button's children are not visited
        QVERIFY(!repaints.contains(edit));
        QVERIFY(!repaints.contains(&form));

        repaints.clear();
        tabs->setCurrentIndex(1);
        noteUiState(&form);
        fix.ApplicationIdle(nullptr, done);
        QVERIFY(repaints.contains(onPage1));
        QVERIFY(!repaints.contains(onPage0));
    }

    void repaintAllIsCopiedWhenTheFormIsFirstSeen()
    {
        Form early;
        early.show();
        TKeyCueFix fix(nullptr);
        bool done = true;
        fix.ApplicationIdle(nullptr, done);
        fix.RepaintAll = false;
        Form late;
        new QPushButton("b", &late);
        late.show();
        fix.ApplicationIdle(nullptr, done);
        noteUiState(&early);
        noteUiState(&late);
        fix.ApplicationIdle(nullptr, done);
        QVERIFY(repaints.contains(&early)); // still repaints everything
        QVERIFY(!repaints.contains(&late)); // buttons only
    }

    void goneFormsLoseTheirRecordsInOrder()
    {
        TKeyCueFix fix(nullptr);
        bool done = true;
        auto position = [&](QWidget* form) {
            const auto records = fix.FormObjects();
            for (size_t i = 0; i < records.size(); ++i)
                if (records[i]->Form.data() == form)
                    return static_cast<int>(i);
            return -1;
        };
        // A form is on the screen's list from its creation, shown or not.
        auto* a = new Form;
        fix.ApplicationIdle(nullptr, done);
        auto* b = new Form;
        fix.ApplicationIdle(nullptr, done);
        auto* c = new Form;
        fix.ApplicationIdle(nullptr, done);
        QVERIFY(position(a) < position(b));
        QVERIFY(position(b) < position(c));
        const size_t before = fix.FormObjects().size();
        delete b;
        fix.ApplicationIdle(nullptr, done);
        QCOMPARE(fix.FormObjects().size(), before - 1);
        QVERIFY(position(a) >= 0);
        QVERIFY(position(a) < position(c));
        // A record of a destroyed form can never match a new one.
        delete a;
        auto* d = new Form;
        fix.ApplicationIdle(nullptr, done);
        QCOMPARE(position(d), static_cast<int>(fix.FormObjects().size()) - 1);
        for (const TFormObj* record : fix.FormObjects())
            QVERIFY(!record->Form.isNull());
        delete c;
        delete d;
    }

    void destroyingTheComponentUnhooksLivingForms()
    {
        Form form;
        form.show();
        {
            TKeyCueFix fix(nullptr);
            bool done = true;
            fix.ApplicationIdle(nullptr, done);
        }
        noteUiState(&form); // must not reach a freed record
        QCOMPARE(form.messagesSeen, 1);
    }

    void themedControlsTakeTheFormsFont()
    {
        Form form;
        auto* box = new TqxSkinCheckBox(&form);
        auto* radio = new TqxSkinRadioButton(&form);
        auto* plain = new TSkinCheckBox(&form);
        box->SetFontColor(0x0000FF);
        radio->SetFontColor(0x0000FF);
        plain->SetFontColor(0x0000FF);
        form.show();
        TKeyCueFix fix(nullptr);
        bool done = true;
        fix.ApplicationIdle(nullptr, done);
        QVERIFY(box->ParentFont());
        QVERIFY(radio->ParentFont());
        QVERIFY(!plain->ParentFont());
    }

    void altKeyRepaintsThroughTheEventLoop()
    {
        TFormObj::RepaintProc() = RepaintControl;
        Form form;
        auto* button = new QPushButton("&Go", &form);
        form.resize(120, 60);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        int paints = 0;
        struct Counter : QObject {
            int* n;
            bool eventFilter(QObject*, QEvent* e) override
            {
                if (e->type() == QEvent::Paint)
                    ++*n;
                return false;
            }
        } counter;
        counter.n = &paints;
        button->installEventFilter(&counter);
        TKeyCueFix fix(&form);
        auto runLoop = [] {
            QEventLoop loop;
            QTimer::singleShot(60, &loop, &QEventLoop::quit);
            loop.exec(); // waits, so the idle scan runs
        };
        runLoop();
        QVERIFY(!fix.FormObjects().empty());
        paints = 0;
        runLoop();
        QCOMPARE(paints, 0); // no cue change, no repaint
        QVERIFY(!keyboardCuesShown(&form));
        QTest::keyPress(&form, Qt::Key_Alt);
        QVERIFY(keyboardCuesShown(&form));
        runLoop();
        QVERIFY(paints > 0);
        QTest::keyRelease(&form, Qt::Key_Alt);
    }

private:
    WindowSystemInfo saved;
    QList<QWidget*> repaints;
};

QTEST_MAIN(TestKeyCueFix)
#include "keycuefix_qtest.moc"
