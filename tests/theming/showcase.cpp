// Shows the themed controls in each of their states, for looking at them on a display:
//   theming_showcase [milliseconds before closing]
#include "platform/qt/themecolors.h"
#include "theming/qxskinfixedstuff.h"
#include "theming/skin.h"
#include "theming/themeunits.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QWidget>

namespace {

// Each glyph state the theme paints, one per column, check boxes above radio buttons.
class GlyphStrip : public QWidget {
public:
    GlyphStrip() { setFixedSize(kStates * 24 + 8, 48); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter dc(this);
        dc.fillRect(rect(), palette().window());
        for (int kind = 1; kind <= 2; ++kind)
            for (int i = 0; i < kStates; ++i)
                CurrentTheme()->PaintFrameControl(dc,
                    TRect { 4 + i * 24, 4 + (kind - 1) * 22, 17 + i * 24, 17 + (kind - 1) * 22 },
                    kStateList[i], kind);
    }

private:
    static constexpr int kStates = 9;
    static constexpr int kStateList[kStates]
        = { 0, FCS_CHECKED, FCS_MIXED, FCS_DISABLED, FCS_DISABLED | FCS_CHECKED, FCS_HOT,
              FCS_HOT | FCS_CHECKED, FCS_HOT | FCS_PUSHED, FCS_HOT | FCS_PUSHED | FCS_CHECKED };
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    InitializeThemes();
    int result = 0;
    {
        QWidget window;
        window.setWindowTitle("Themed controls");
        auto* grid = new QGridLayout(&window);

        auto* unchecked = new TqxSkinCheckBox;
        unchecked->SetCaption("&Unchecked");
        auto* checked = new TqxSkinCheckBox;
        checked->SetCaption("&Checked");
        checked->SetChecked(true);
        auto* grayed = new TqxSkinCheckBox;
        grayed->AllowGrayed = true;
        grayed->SetCaption("&Grayed");
        grayed->SetState(cbGrayed);
        auto* disabled = new TqxSkinCheckBox;
        disabled->SetCaption("&Disabled, checked");
        disabled->SetChecked(true);
        disabled->setEnabled(false);
        auto* right = new TqxSkinCheckBox;
        right->SetCaption("Glyph on the right");
        right->SetAlignment(taRightJustify);
        grid->addWidget(unchecked, 0, 0);
        grid->addWidget(checked, 1, 0);
        grid->addWidget(grayed, 2, 0);
        grid->addWidget(disabled, 3, 0);
        grid->addWidget(right, 4, 0);

        auto* radios = new QWidget;
        auto* radioGrid = new QGridLayout(radios);
        auto* r1 = new TqxSkinRadioButton(radios);
        r1->SetCaption("&First");
        auto* r2 = new TqxSkinRadioButton(radios);
        r2->SetCaption("&Second");
        r2->SetChecked(true);
        auto* r3 = new TqxSkinRadioButton(radios);
        r3->SetCaption("Third, disabled");
        r3->setEnabled(false);
        radioGrid->addWidget(r1, 0, 0);
        radioGrid->addWidget(r2, 1, 0);
        radioGrid->addWidget(r3, 2, 0);
        grid->addWidget(radios, 0, 1, 3, 1);

        auto* panel = new TSkinPanelObject;
        panel->SetColor(platform::clHighlight);
        panel->setMinimumSize(120, 24);
        grid->addWidget(new QLabel("Panel in the highlight colour:"), 3, 1);
        grid->addWidget(panel, 4, 1);
        grid->addWidget(
            new QLabel("Theme glyphs: normal, checked, mixed, disabled, disabled checked, hot, hot checked,"
                       " pushed, pushed checked"),
            5, 0, 1, 2);
        grid->addWidget(new GlyphStrip, 6, 0, 1, 2);
        window.move(10, 10);
        window.show();
        window.activateWindow();
        unchecked->setFocus();
        if (argc > 1)
            QTimer::singleShot(QString(argv[1]).toInt(), &app, &QApplication::quit);
        result = app.exec();
    }
    FinalizeThemes();
    return result;
}
