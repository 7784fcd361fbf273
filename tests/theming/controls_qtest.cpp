// The themed panel, check box and radio button driven by mouse, keyboard and messages, and their
// pixels on screen.
#include "platform/qt/themecolors.h"
#include "theming/qxskinfixedstuff.h"
#include "theming/skin.h"
#include "theming/themeunits.h"

#include <QMouseEvent>
#include <QPalette>
#include <QTest>
#include <QTimer>
#include <QWidget>

using namespace platform;

namespace {

// A parent that counts the mouse presses and the Return keys its children pass on.
class Parent : public QWidget {
public:
    int presses = 0;
    int returns = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            ++returns;
    }
};

uint32_t pixel(const QImage& image, int x, int y)
{
    return static_cast<uint32_t>(fromQColor(image.pixelColor(x, y)));
}

} // namespace

class TestThemedControls : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QPalette p = QApplication::palette();
        p.setColor(QPalette::Window, QColor(0xD4, 0xD0, 0xC8));
        p.setColor(QPalette::Button, QColor(0xD4, 0xD0, 0xC8));
        p.setColor(QPalette::Base, Qt::white);
        p.setColor(QPalette::Dark, QColor(0x80, 0x80, 0x80));
        QApplication::setPalette(p);
        InitializeThemes();
    }
    void cleanupTestCase() { FinalizeThemes(); }

    void init()
    {
        parent = new Parent;
        parent->resize(300, 200);
        parent->show();
        QVERIFY(QTest::qWaitForWindowExposed(parent));
    }
    void cleanup() { delete parent; }

    void checkBoxCyclesThroughGrayed()
    {
        auto* box = new TqxSkinCheckBox(parent);
        box->SetCaption("Option");
        box->AllowGrayed = true;
        box->show();
        int changes = 0;
        box->OnChange = [&](QObject*) { ++changes; };
        int clicks = 0;
        box->OnClick = [&](QObject*) { ++clicks; };
        const QPoint glyph(box->GlyphRect().Left + 6, box->GlyphRect().Top + 6);
        QTest::mouseClick(box, Qt::LeftButton, {}, glyph);
        QCOMPARE(box->State(), cbGrayed);
        QCOMPARE(changes, 1);
        QTest::mouseClick(box, Qt::LeftButton, {}, glyph);
        QCOMPARE(box->State(), cbChecked);
        QCOMPARE(changes, 2);
        QTest::mouseClick(box, Qt::LeftButton, {}, glyph);
        QCOMPARE(box->State(), cbUnchecked);
        QCOMPARE(changes, 3);
        QCOMPARE(clicks, 3);
        // Setting the state it already has fires nothing.
        box->SetState(cbUnchecked);
        QCOMPARE(changes, 3);
        box->AllowGrayed = false;
        box->Toggle();
        QCOMPARE(box->State(), cbChecked);
        QVERIFY(box->Checked());
    }

    void clickBesideTheCaptionGoesToTheParent()
    {
        auto* box = new TqxSkinCheckBox(parent);
        box->SetCaption("Ab");
        box->resize(250, box->height());
        box->show();
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(240, box->height() / 2));
        QCOMPARE(box->State(), cbUnchecked);
        QCOMPARE(parent->presses, 1);
        const TRect caption = box->CaptionBounds();
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(caption.Left + 2, box->height() / 2));
        QCOMPARE(box->State(), cbChecked);
        QCOMPARE(parent->presses, 1);
    }

    void keyboardSpaceReturnAndAccelerator()
    {
        auto* box = new TqxSkinCheckBox(parent);
        box->SetCaption("&Wide");
        box->show();
        box->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(parent));
        QTRY_VERIFY(box->hasFocus());
        QTest::keyPress(box, Qt::Key_Space);
        QVERIFY(box->Pushed());
        QCOMPARE(box->State(), cbUnchecked);
        QTest::keyRelease(box, Qt::Key_Space);
        QVERIFY(!box->Pushed());
        QCOMPARE(box->State(), cbChecked);
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(box->State(), cbUnchecked);
        // The accelerator letter clicks it from anywhere in the window.
        QTest::keyClick(parent, Qt::Key_W, Qt::AltModifier);
        QCOMPARE(box->State(), cbChecked);
        box->SetShowAccelChar(false);
        QTest::keyClick(parent, Qt::Key_W, Qt::AltModifier);
        QCOMPARE(box->State(), cbChecked);
    }

    void keypadEnterIsReturn()
    {
        auto* box = new TqxSkinCheckBox(parent);
        box->SetCaption("Box");
        auto* radio = new TqxSkinRadioButton(parent);
        radio->SetCaption("Radio");
        radio->SetTabStop(true);
        radio->move(0, 40);
        box->show();
        radio->show();
        box->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(parent));
        QTRY_VERIFY(box->hasFocus());
        QTest::keyClick(box, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(box->State(), cbChecked);
        QTest::keyClick(box, Qt::Key_Return, Qt::KeypadModifier);
        QCOMPARE(box->State(), cbUnchecked);
        // A shift key held with either leaves the box alone and passes the key on.
        QTest::keyClick(box, Qt::Key_Enter, Qt::KeypadModifier | Qt::ShiftModifier);
        QTest::keyClick(box, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(box->State(), cbUnchecked);
        QCOMPARE(parent->returns, 2);
        // The radio button leaves both keys to its window (its default button), alike.
        radio->setFocus();
        QTRY_VERIFY(radio->hasFocus());
        QTest::keyClick(radio, Qt::Key_Return);
        QTest::keyClick(radio, Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(!radio->Checked());
        QCOMPARE(parent->returns, 4);
    }

    void radioGroupsOnOneParent()
    {
        TqxSkinRadioButton* buttons[4];
        for (auto*& b : buttons) {
            b = new TqxSkinRadioButton(parent);
            b->show();
        }
        buttons[3]->SetGroupIndex(1);
        buttons[3]->SetChecked(true);
        buttons[0]->SetChecked(true);
        buttons[1]->SetChecked(true);
        QVERIFY(!buttons[0]->Checked());
        QVERIFY(buttons[1]->Checked());
        int changes = 0;
        buttons[2]->OnChange = [&](QObject*) { ++changes; };
        QTest::mouseClick(buttons[2], Qt::LeftButton, {}, QPoint(6, buttons[2]->height() / 2));
        QVERIFY(buttons[2]->Checked());
        QVERIFY(!buttons[1]->Checked());
        QVERIFY(buttons[3]->Checked()); // another group
        QCOMPARE(changes, 1);
        // Clicking a checked radio button leaves it checked.
        QTest::mouseClick(buttons[2], Qt::LeftButton, {}, QPoint(6, buttons[2]->height() / 2));
        QVERIFY(buttons[2]->Checked());
        QCOMPARE(changes, 1);
        // Only the checked one is a tab stop.
        QVERIFY(buttons[2]->TabStop());
        QVERIFY(!buttons[1]->TabStop());
        // Moving a checked button into the other group unchecks that group's member.
        buttons[2]->SetGroupIndex(1);
        QVERIFY(!buttons[3]->Checked());
        // A command notification with code 0 turns a checked button off.
        sendMessage(buttons[2], CN_COMMAND, 0);
        QVERIFY(!buttons[2]->Checked());
        sendMessage(buttons[2], CN_COMMAND, 0);
        QVERIFY(buttons[2]->Checked());
        sendMessage(buttons[2], CN_COMMAND, 1 << 16); // another notification code
        QVERIFY(buttons[2]->Checked());
    }

    void glyphStateFollowsTheControl()
    {
        auto* box = new TqxSkinCheckBox(parent);
        box->show();
        box->SetChecked(true);
        QCOMPARE(box->FrameState() & ~FCS_FOCUSED, FCS_CHECKED);
        box->setEnabled(false);
        // Disabled, and still showing that it is checked.
        QCOMPARE(box->FrameState(), FCS_DISABLED | FCS_CHECKED);
        box->SetChecked(false);
        QCOMPARE(box->FrameState(), FCS_DISABLED);
        box->setEnabled(true);
        box->AllowGrayed = true;
        box->SetState(cbGrayed);
        QCOMPARE(box->FrameState() & ~FCS_FOCUSED, FCS_MIXED);
        sendMessage(box, CN_COMMAND, 0);
        QCOMPARE(box->State(), cbChecked);
    }

    void hoverAndPush()
    {
        auto* box = new TqxSkinCheckBox(parent);
        box->SetCaption("Hover");
        box->move(10, 10);
        box->show();
        QTest::mouseMove(box, QPoint(6, box->height() / 2));
        QTRY_VERIFY(box->MouseInControl());
        QVERIFY(box->FrameState() & FCS_HOT);
        QCOMPARE(TSkinPanelObject::HoveredControl(), box);
        QTest::mousePress(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        QVERIFY(box->FrameState() & FCS_PUSHED);
        QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        QVERIFY(!(box->FrameState() & FCS_PUSHED));
        // Disabling ends the hover.
        box->setEnabled(false);
        QVERIFY(!box->MouseInControl());
        QCOMPARE(TSkinPanelObject::HoveredControl(), nullptr);
    }

    void hotOnlyWhereAClickReaches()
    {
        auto* box = new TqxSkinCheckBox(parent);
        box->SetCaption("Ab");
        box->move(10, 10);
        box->resize(250, box->height());
        box->show();
        const int middle = box->height() / 2;
        const QPoint beside(240, middle);
        const QPoint caption(box->CaptionBounds().Left + 2, middle);
        const QPoint glyph(box->GlyphRect().Left + 6, middle);
        QTest::mouseMove(box, beside);
        QVERIFY(!box->MouseInControl());
        QVERIFY(!(box->FrameState() & FCS_HOT));
        QTest::mouseMove(box, caption);
        QVERIFY(box->MouseInControl());
        QCOMPARE(TSkinPanelObject::HoveredControl(), box);
        // From the caption to the blank space: cold again.
        QTest::mouseMove(box, beside);
        QVERIFY(!box->MouseInControl());
        QCOMPARE(TSkinPanelObject::HoveredControl(), nullptr);
        QTest::mouseMove(box, glyph);
        QVERIFY(box->FrameState() & FCS_HOT);
        // Out of the control altogether.
        QTest::mouseMove(parent, QPoint(5, 150));
        QVERIFY(!box->MouseInControl());
    }

    void heightOfOneLineAtLeast()
    {
        auto* box = new TqxSkinCheckBox(parent);
        const int line = QFontMetrics(box->font()).height();
        QCOMPARE(box->height(), std::max(line + 4, 17));
        auto* text = new TSkinTextObject(parent);
        QCOMPARE(text->height(), line); // empty caption: one line of the font
        text->SetCaption("&");
        QCOMPARE(text->height(), line);
        text->Margins().SetTop(5);
        text->Margins().SetBottom(3);
        QCOMPARE(text->height(), line + 8);
        text->SetWrapping(twWrap);
        text->resize(40, text->height());
        text->SetCaption("several words that need more than one line");
        QVERIFY(text->height() > 2 * line);
        QCOMPARE(text->width(), 40);
    }

    void themeNoticeSetsTheCaptionColour()
    {
        auto* box = new TqxSkinCheckBox(parent);
        auto* radio = new TqxSkinRadioButton(parent);
        radio->setEnabled(false);
        QVERIFY(box->ParentFont());
        sendMessage(SkinNexus(), SKM_THEMECHANGE, 1);
        QVERIFY(box->ParentFont()); // only the second notice sets it
        sendMessage(SkinNexus(), SKM_THEMECHANGE, 2);
        QCOMPARE(box->FontColor(), clBtnText);
        QCOMPARE(radio->FontColor(), clGrayText);
        QVERIFY(!box->ParentFont());
        box->SetParentFont(true);
        QCOMPARE(box->FontColor(), fromQColor(parent->palette().color(QPalette::WindowText)));
        QCOMPARE(box->font(), parent->font());
    }

    void pixelsOnScreen()
    {
        auto* box = new TqxSkinCheckBox(parent);
        box->SetCaption("MMMM");
        box->SetChecked(true);
        box->move(0, 0);
        box->show();
        auto* panel = new TSkinPanelObject(parent);
        panel->SetColor(0x0000FF);
        panel->setGeometry(150, 0, 40, 20);
        panel->show();
        const QImage image = parent->grab().toImage();
        const TRect g = box->GlyphRect();
        const uint32_t face = 0x00C8D0D4;
        // The theme's glyph (its pixels are the theme's own test) in the control's state and place.
        QCOMPARE(pixel(image, g.Left + 5, g.Top + 8), ColorToRGB(clBtnText)); // the check mark
        QCOMPARE(pixel(image, g.Left, g.Top), face); // transparent: the parent shows around it
        // Some caption pixels are in the text colour.
        const TRect c = box->CaptionBounds();
        bool dark = false;
        for (int x = c.Left; x < c.Right && !dark; ++x)
            for (int y = c.Top; y < c.Bottom && !dark; ++y)
                dark = image.pixelColor(x, y).lightness() < 100;
        QVERIFY(dark);
        QCOMPARE(pixel(image, 170, 10), 0x0000FFu);
        // A panel without a colour shows its parent's.
        panel->SetColor(clNone);
        QCOMPARE(pixel(parent->grab().toImage(), 170, 10), face);
    }

    void sharedTimerLivesWithTheControls()
    {
        const int before = TSkinPanelObject::InstanceCount();
        auto* a = new TSkinPanelObject(parent);
        QVERIFY(TSkinPanelObject::HoverTimer());
        QCOMPARE(TSkinPanelObject::HoverTimer()->interval(), 125);
        QVERIFY(!TSkinPanelObject::HoverTimer()->isActive());
        delete a;
        QCOMPARE(TSkinPanelObject::InstanceCount(), before);
        if (before == 0)
            QVERIFY(!TSkinPanelObject::HoverTimer());
    }

private:
    Parent* parent = nullptr;
};

QTEST_MAIN(TestThemedControls)
#include "controls_qtest.moc"
