// The windows the main window opens from its labels, pictures and small buttons: result tables
// and graphs, enlarged drawings, the help lists and charts, the factor-of-safety calculator, the
// user-defined section editors, the per-layer dialogs and the bored-pile page.
#include "ui/main/lpmain.h"

#include "model/lpclasses.h"
#include "platform/qt/application.h"
#include "results/diagramdraw.h"
#include "results/graphs.h"
#include "results/imgzoom.h"
#include "results/tables.h"
#include "ui/dialogs/colorselect.h"
#include "ui/dialogs/desktop.h"
#include "ui/dialogs/factorofsafety.h"
#include "ui/dialogs/helptables.h"
#include "ui/dialogs/piermaterial.h"
#include "ui/dialogs/userdefined.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include <cmath>
#include <exception>

TfrmLPMain::PassScope::~PassScope()
{
    if (--m_window.m_passDepth == 0 && m_window.m_profilesAsked) {
        try {
            m_window.requestProfiles();
        } catch (const std::exception&) {
            // A picture that cannot be drawn keeps what it showed.
        }
    }
}

void TfrmLPMain::requestProfiles()
{
    // Refilling the layer rows asks once per row: the pictures are drawn once, when the pass
    // ends. Before the window is first shown nobody sees them, and its blocks do not have their
    // laid-out sizes yet: the first showing draws them.
    if (passRunning() || !m_shownOnce)
        m_profilesAsked = true;
    else
        drawProfiles();
}

void TfrmLPMain::requestProfilesAfterLayout()
{
    // Showing and resizing the window resize its blocks one after another, each a new size for
    // the pictures: they are drawn once, when the layout has done, at the sizes it ends with
    // (unless a pass has drawn them meanwhile).
    m_profilesAsked = true;
    if (m_profilesQueued)
        return;
    m_profilesQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_profilesQueued = false;
        if (m_profilesAsked)
            platform::runGuarded([this] { requestProfiles(); });
    });
}

void TfrmLPMain::drawProfiles()
{
    m_profilesAsked = false;
    const TLPData& d = *LPData;
    // Each picture's zoom button stands over its top-right corner: the drawing keeps it clear.
    const auto draw = [&](QLabel* image, const QToolButton* zoom, TDiagramKind kind) {
        TDiagramDraw::DrawToImage(
            image, d, kind, QRect(zoom->geometry().topLeft() - image->geometry().topLeft(), zoom->size()));
    };
    draw(Image1, SpeedButton1, dkSoilProfile);
    if (Image2->size() == Image1->size())
        Image2->setPixmap(Image1->pixmap());
    else
        draw(Image2, SpeedButton3, dkSoilProfile);
    // A section that cannot be drawn leaves its picture as it was.
    try {
        if (tabShown(TabSheet4))
            draw(Image3, SpeedButton9, dkWSection);
        if (tabShown(TabSheet5))
            draw(Image4, SpeedButton10, dkPipeSection);
        if (tabShown(TabSheet6))
            draw(Image9, SpeedButton14, dkConcreteSection);
    } catch (const std::exception&) {
    }
}

void TfrmLPMain::Image1Click(QObject* Sender)
{
    TDiagramKind kind = dkSoilProfile;
    if (Sender == Image3)
        kind = dkWSection;
    else if (Sender == Image4)
        kind = dkPipeSection;
    else if (Sender == Image9)
        kind = dkConcreteSection;
    else if (Sender != Image1 && Sender != Image2)
        return;
    // The enlarged drawing fills the desktop's work area less 20 pixels across and 100 down.
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen->availableGeometry();
    // Drawn at the screen's own pixels, laid out at its logical ones.
    const qreal ratio = devicePixelRatioF();
    QImage bitmap(std::max(int(std::lround((area.width() - 20) * ratio)), 1),
        std::max(int(std::lround((area.height() - 100) * ratio)), 1), QImage::Format_RGB32);
    bitmap.setDevicePixelRatio(ratio);
    bitmap.fill(Qt::white);
    TDiagramDraw::DrawToBitmap(bitmap, *LPData, kind);
    ShowBitmapZoom(bitmap, this);
}

void TfrmLPMain::SpeedButton1Click(QObject* Sender)
{
    QObject* picture = nullptr;
    if (Sender == SpeedButton1)
        picture = Image1;
    else if (Sender == SpeedButton3)
        picture = Image2;
    else if (Sender == SpeedButton9)
        picture = Image3;
    else if (Sender == SpeedButton10)
        picture = Image4;
    else if (Sender == SpeedButton14)
        picture = Image9;
    if (picture)
        Image1Click(picture);
}

void TfrmLPMain::SpeedButton2Click()
{
    if (!ShowFactorOfSafetyCalc(*LPData, this))
        return;
    // The new factors are inputs like typed ones: shown, then committed and calculated.
    SetModified(true);
    showAndCommit();
}

void TfrmLPMain::SpeedButton4Click(QObject* Sender)
{
    const int tag = platform::controlTag(Sender);
    if (tag > 100) {
        QLabel* picture = tag == kHelpOcrChartTag ? imgOCR
            : tag == kHelpSuSigmaVChartTag        ? imgSuSigmaV
                                                  : nullptr;
        if (!picture)
            return;
        // The charts are drawn once, at the size they are read at.
        if (picture->pixmap().isNull())
            picture->setPixmap(QPixmap::fromImage(HelpPicture(tag)));
        ShowImageZoom(picture);
        return;
    }
    ShowHelpTable(tag, this);
}

void TfrmLPMain::SpeedButton12Click()
{
    bool accepted = false;
    if (tabShown(TabSheet4))
        accepted = ShowUserDefinedI(*LPData, this);
    else if (tabShown(TabSheet5))
        accepted = ShowUserDefinedO(*LPData, this);
    if (accepted) {
        SetModified(true);
        FormToData();
    }
}

void TfrmLPMain::Label56Click(QObject* Sender)
{
    TTableKind kind = TTableKind::Lateral;
    if (Sender == Label84)
        kind = TTableKind::Vertical;
    else if (Sender == Label114)
        kind = TTableKind::EffVertical;
    else if (Sender == Label156)
        kind = TTableKind::Section;
    else if (Sender == Label203 || Sender == Label204)
        kind = TTableKind::SteelCheck;
    ShowTableWindow(this, *LPData, kind, ComboBox1->currentIndex());
}

void TfrmLPMain::Label59Click(QObject* Sender)
{
    TGraphKind kind = gkAllLateral;
    if (Sender == Label124)
        kind = gkAllVertical;
    else if (Sender == Label200)
        kind = gkAllEffective;
    else if (Sender == Label155)
        kind = gkInteraction;
    ShowGraphWindow(this, *LPData, kind);
}

void TfrmLPMain::Label26Click()
{
    PopupMenu1->popup(Label26->mapToGlobal(QPoint(0, Label26->height())));
}

void TfrmLPMain::Deflection1Click(QAction* Item)
{
    ShowGraphWindow(this, *LPData, static_cast<TGraphKind>(Item->data().toInt()));
}

void TfrmLPMain::Label222Click()
{
    OpenThroughDesktop(BoredPilePageAddress(), this);
}

bool TfrmLPMain::chooseLayerColour(int Index)
{
    if (!LPData || Index < 0 || Index >= LPData->Layers.Count())
        return false;
    std::int32_t colour = LPData->Layers[Index]->Colour;
    auto hatch = static_cast<TBrushStyle>(LPData->Layers[Index]->Hatch);
    if (!ShowColorSelect(colour, hatch, this))
        return false;
    // Events keep running while the dialog is open, and the layer list may have changed
    // meanwhile: the choice goes to the layer now in that row, and nowhere when the row is gone.
    if (!LPData || Index >= LPData->Layers.Count())
        return false;
    TLayer* layer = LPData->Layers[Index];
    layer->Colour = colour;
    layer->Hatch = hatch;
    return true;
}

void TfrmLPMain::PierMatBtn1Click(QObject* Sender)
{
    TLayer* layer = layerOfSender(Sender);
    // The layer's own pile values feed the analysis: an accepted dialog is an input change.
    if (layer && EditLayerMaterial(*layer, *LPData, this)) {
        SetModified(true);
        FormToData();
    }
}

void TfrmLPMain::bindDesignHandlers()
{
    const platform::KeyPressEvent keyFilter = [this](QObject* s, QChar& k) { Edit1KeyPress(s, k); };
    const platform::NotifyEvent change = [this](QObject* s) { ComboBox1Change(s); };
    const platform::NotifyEvent commit = [this](QObject* s) { ComboBox1Exit(s); };
    const platform::NotifyEvent enter = [this](QObject* s) { EditEnter(s); };

    QLineEdit* inputs[] = { Edit34, Edit23, Edit32, Edit33, Edit35, Edit36, Edit37, Edit39, Edit40, Edit41,
        Edit45, Edit42, Edit44, Edit46, Edit48, Edit51, Edit52, Edit53, Edit54, Edit59, Edit58, Edit56,
        Edit60, EditPu[0], EditPu[1], EditPu[2], EditPu[3], EditMu[0], EditMu[1], EditMu[2], EditMu[3],
        EditVu[0], EditVu[1], EditVu[2], EditVu[3], Edit61, Edit62, Edit63, Edit64 };
    for (QLineEdit* e : inputs) {
        platform::ControlEvents& ev = platform::controlEvents(e);
        ev.onKeyPress = keyFilter;
        ev.onChange = change;
        ev.onExit = commit;
        if (!e->toolTip().isEmpty())
            ev.onEnter = enter;
    }
    platform::controlEvents(Edit58).onExit = [this](QObject* s) { Edit58Exit(s); };
    platform::controlEvents(Edit59).onExit = [this](QObject* s) { Edit59Exit(s); };
    for (QLineEdit* e : { Edit54, Edit40, Edit61, Edit62, Edit63, Edit64 })
        platform::controlEvents(e).onExit = [this](QObject* s) { DivisorExit(s); };
    for (QComboBox* c : { ComboBox6, ComboBox7, ComboBox8, ComboBox9, ComboBox10, ComboBox11, ComboBox12,
             ComboBox13, ComboBox14, ComboBox15, ComboBox16 }) {
        platform::controlEvents(c).onChange = change;
        platform::controlEvents(c).onExit = commit;
    }
    platform::controlEvents(CheckBox3).onClick = change;
    platform::controlEvents(CheckBox3).onExit = commit;

    // Launchers.
    for (QWidget* w : std::initializer_list<QWidget*> { Image1, Image2, Image3, Image4, Image9 })
        platform::controlEvents(w).onClick = [this](QObject* s) { Image1Click(s); };
    for (QToolButton* b : { SpeedButton1, SpeedButton3, SpeedButton9, SpeedButton10, SpeedButton14 })
        platform::controlEvents(b).onClick = [this](QObject* s) { SpeedButton1Click(s); };
    platform::controlEvents(SpeedButton2).onClick = [this](QObject*) { SpeedButton2Click(); };
    for (QToolButton* b : { SpeedButton4, SpeedButton5, SpeedButton6, SpeedButton7 })
        platform::controlEvents(b).onClick = [this](QObject* s) { SpeedButton4Click(s); };
    for (QToolButton* b : { SpeedButton12, SpeedButton13 })
        platform::controlEvents(b).onClick = [this](QObject*) { SpeedButton12Click(); };
    for (QLabel* l : { Label56, Label84, Label114, Label156, Label203, Label204 })
        platform::controlEvents(l).onClick = [this](QObject* s) { Label56Click(s); };
    for (QLabel* l : { Label59, Label124, Label200, Label155 })
        platform::controlEvents(l).onClick = [this](QObject* s) { Label59Click(s); };
    platform::controlEvents(Label26).onClick = [this](QObject*) { Label26Click(); };
    platform::controlEvents(Label222).onClick = [this](QObject*) { Label222Click(); };
}
