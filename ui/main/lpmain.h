#pragma once
// The main window: the project block, the loads and pile tabs, the soil layer rows, the toolbar,
// menus and actions, and the window's life cycle. It owns the one project model.
//
// Controls keep their numbered names as members and as object names, so that every routine (and
// every test) finds them by name; numeric edits carry their field-limit row as their Tag. Event
// handlers are assigned per control (platform/qt/controls.h) and named after the control and the
// event that the window binds them to.
#include "model/lptypes.h"
#include "platform/qt/controls.h"

#include <QHash>
#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <QMargins>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QTabWidget;
class QTimer;
class QToolBar;
class QToolButton;
class TLPData;
class TLayer;
class TJpegGraphic;
class TFileDialog;

namespace platform {
class TopAlignContainer;
}

// Where the main window opens: its bounds as a normal window (left and top of its frame, width and
// height inside it), whether it opens maximised, and the smallest size it may take there.
struct TWindowPlacement {
    qint64 Left = 0, Top = 0, Width = 0, Height = 0;
    bool Maximised = false;
    QSize Minimum;
};

// Fits the wanted placement onto the screen whose available area it overlaps most (the first
// area, the primary screen's, when it overlaps none): no smaller than the minimum size, and with
// the frame the desktop adds no larger than the area and wholly inside it. A screen too small
// for the minimum size gets the window maximised and a minimum that fits it.
TWindowPlacement FitWindowPlacement(
    TWindowPlacement Wanted, const QSize& Minimum, const QMargins& Frame, const QList<QRect>& AvailableAreas);

class TfrmLPMain : public QMainWindow {
    Q_OBJECT
public:
    // The designed bounds, used when no position is stored and the screen has room for them.
    static constexpr int kDesignedLeft = 40;
    static constexpr int kDesignedTop = 20;
    static constexpr int kDesignedWidth = 1060;
    static constexpr int kDesignedHeight = 760;
    static constexpr int kMinWidth = 1030;
    static constexpr int kMinHeight = 700;
    // A project holds 2 to 13 soil layers.
    static constexpr int kMinLayers = 2;
    static constexpr int kMaxLayers = 13;

    explicit TfrmLPMain(QWidget* parent = nullptr);
    ~TfrmLPMain() override;

    // ---- window state beside the controls
    std::unique_ptr<TLPData> LPData;
    bool Modified = false;
    QString FileName;

    // ---- actions (ActionList1) and menus
    QAction* ANew = nullptr;
    QAction* AOpen = nullptr;
    QAction* ASave = nullptr;
    QAction* ASaveAs = nullptr;
    QAction* APrint = nullptr;
    QAction* AExit = nullptr;
    QAction* AAbout = nullptr;
    QAction* AWeb = nullptr;
    QAction* AEquations = nullptr;
    QAction* AAutoUpdate = nullptr;
    QAction* ACheckUpdates = nullptr;
    QAction* AHelp = nullptr;
    QMenu* File1 = nullptr;
    QMenu* Help1 = nullptr;
    QToolBar* ToolBar1 = nullptr;
    platform::ImageList ImageList1; // tool buttons
    platform::ImageList ImageList2; // tabs: 0 loading, 1 pile, 2 results, 3 I/H, 4 pipe,
                                    // 5 rectangular concrete, 6 round concrete, 7 timber
    platform::ImageList ImageList3; // pass and fail glyphs
    QTimer* Timer1 = nullptr;

    // Single-graph menu; every item's Tag is the graph kind it opens.
    QMenu* PopupMenu1 = nullptr;
    QAction* Shear1 = nullptr;
    QAction* Moment1 = nullptr;
    QAction* Deflection1 = nullptr;
    QAction* LateralSoilPressure1 = nullptr;
    QAction* VerticalCapacity1 = nullptr;
    QAction* VerticalCapacityEff1 = nullptr;
    QAction* CapacityVsMovement1 = nullptr;
    QAction* LoadVsSettlementEff1 = nullptr;
    QAction* PileLoadVsDepth1 = nullptr;
    QAction* PileLoadVsDepthEff1 = nullptr;
    QAction* EffectiveStress1 = nullptr;

    // ---- project block
    QFrame* Panel2 = nullptr;
    QLabel* Label19 = nullptr; // "Job #"
    QLineEdit* Edit9 = nullptr;
    QLabel* Label20 = nullptr; // "Date"
    QDateEdit* DateTimePicker1 = nullptr;
    QLabel* Label21 = nullptr; // "Organization"
    QLineEdit* Edit10 = nullptr;
    QLabel* Label22 = nullptr; // "Design by"
    QLineEdit* Edit11 = nullptr;
    QLabel* Label61 = nullptr; // "Project Name"
    QLineEdit* Edit31 = nullptr;
    QWidget* LogoBox = nullptr; // holds the logo, 4 pixels wider than its largest width
    QLabel* Logo = nullptr;
    QPushButton* Button1 = nullptr; // "Logo"
    QPushButton* Button3 = nullptr; // "Clear"

    // ---- loads block and its tabs
    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr; // Loading
    QWidget* TabSheet2 = nullptr; // Pile Properties
    QWidget* TabSheet4 = nullptr; // Structural Design: steel I/H
    QWidget* TabSheet5 = nullptr; // Structural Design: steel pipe
    QWidget* TabSheet6 = nullptr; // Structural Design: reinforced concrete
    QWidget* TabSheet7 = nullptr; // Structural Design: timber
    QWidget* TabSheet3 = nullptr; // Results

    // Loading tab
    QLabel* Label2 = nullptr;
    QComboBox* ComboBox1 = nullptr; // units
    QLabel* Label9 = nullptr;
    QComboBox* ComboBox2 = nullptr; // head condition
    QLabel* Label69 = nullptr;
    QLineEdit* Edit13 = nullptr; // downward load
    QLabel* Label70 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* Edit1 = nullptr; // pile length
    QLabel* Label5 = nullptr;
    QLabel* Label10 = nullptr;
    QLineEdit* Edit4 = nullptr; // lateral load
    QLabel* Label11 = nullptr;
    QLabel* Label12 = nullptr;
    QLineEdit* Edit5 = nullptr; // moment load
    QLabel* Label13 = nullptr;
    QLabel* Label87 = nullptr;
    QLineEdit* Edit22 = nullptr; // allowable lateral deflection
    QLabel* Label88 = nullptr;
    QLabel* Label207 = nullptr;
    QLineEdit* Edit78 = nullptr; // uplift load
    QLabel* Label208 = nullptr;
    QLabel* Label67 = nullptr;
    QLineEdit* Edit7 = nullptr; // passive wedge
    QLabel* Label71 = nullptr;
    QLineEdit* Edit14 = nullptr; // F.S. side friction
    QToolButton* SpeedButton2 = nullptr;
    QLabel* Label52 = nullptr;
    QLineEdit* Edit17 = nullptr; // F.S. end bearing
    QLabel* Label78 = nullptr;
    QLineEdit* Edit20 = nullptr; // groundwater
    QLabel* Label81 = nullptr;
    QLabel* Label53 = nullptr;
    QLineEdit* Edit18 = nullptr; // O.C. ratio
    QToolButton* SpeedButton4 = nullptr;
    QLabel* Label54 = nullptr;
    QLineEdit* Edit19 = nullptr; // Su/SigmaV ratio (hidden)
    QToolButton* SpeedButton5 = nullptr;
    QLabel* Image1 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton8 = nullptr; // "Next"
    QLabel* imgOCR = nullptr; // help pictures, shown only enlarged
    QLabel* imgSuSigmaV = nullptr;

    // Pile Properties tab
    QLabel* Label32 = nullptr;
    QComboBox* ComboBox3 = nullptr; // pile/soil interface
    QToolButton* SpeedButton6 = nullptr;
    QLabel* Label72 = nullptr;
    QComboBox* ComboBox4 = nullptr; // pile type
    QToolButton* SpeedButton7 = nullptr;
    QLabel* Label82 = nullptr;
    QComboBox* ComboBox5 = nullptr; // shape
    QComboBox* ComboBox18 = nullptr; // steel section kind
    QLabel* Label6 = nullptr;
    QLineEdit* Edit2 = nullptr; // width/diameter
    QLabel* Label3 = nullptr;
    QLabel* Label83 = nullptr;
    QLineEdit* Edit21 = nullptr; // rectangle length
    QLabel* Label86 = nullptr;
    QLabel* Label196 = nullptr;
    QComboBox* ComboBox17 = nullptr; // timber drying
    QRadioButton* RadioButton1 = nullptr;
    QLabel* Label8 = nullptr;
    QLineEdit* Edit3 = nullptr; // f'c
    QLabel* Label7 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QLabel* Label18 = nullptr;
    QLineEdit* Edit8 = nullptr; // E
    QLabel* Label64 = nullptr;
    QLabel* Label14 = nullptr;
    QLineEdit* Edit6 = nullptr; // area
    QLabel* Label15 = nullptr;
    QLabel* Label16 = nullptr;
    QLabel* Label63 = nullptr;
    QLineEdit* Edit12 = nullptr; // moment of inertia
    QLabel* Label65 = nullptr;
    QLabel* Label68 = nullptr;
    QLabel* Label73 = nullptr;
    QLineEdit* Edit15 = nullptr; // perimeter
    QLabel* Label74 = nullptr;
    QLabel* Label75 = nullptr;
    QLineEdit* Edit16 = nullptr; // tip area
    QLabel* Label76 = nullptr;
    QLabel* Label79 = nullptr;
    QCheckBox* chkUseReinforcement = nullptr;
    QFrame* Panel14 = nullptr;
    QRadioButton* CheckBox1 = nullptr; // static analysis
    QRadioButton* CheckBox2 = nullptr; // cyclic analysis
    QFrame* Panel15 = nullptr; // note for bored piles
    QLabel* Label221 = nullptr;
    QLabel* Label222 = nullptr; // link to the bored-pile product
    QLabel* Image2 = nullptr;
    QToolButton* SpeedButton3 = nullptr;

    // Structural Design: steel I/H section (TabSheet4)
    QLabel* Label89 = nullptr;
    QComboBox* ComboBox6 = nullptr; // section family
    QLabel* Label96 = nullptr;
    QComboBox* ComboBox7 = nullptr; // member type
    QLabel* Label101 = nullptr;
    QComboBox* ComboBox8 = nullptr; // section
    QToolButton* SpeedButton12 = nullptr; // user-defined section
    QLabel* Label97 = nullptr;
    QLineEdit* Edit34 = nullptr; // P
    QLabel* Label98 = nullptr;
    QLabel* Label90 = nullptr;
    QLineEdit* Edit23 = nullptr; // Mx
    QLabel* Label91 = nullptr;
    QLabel* Label92 = nullptr;
    QLineEdit* Edit32 = nullptr; // My
    QLabel* Label93 = nullptr;
    QLabel* Label94 = nullptr;
    QLineEdit* Edit33 = nullptr; // Fy
    QLabel* Label95 = nullptr;
    QLabel* Label99 = nullptr;
    QLineEdit* Edit35 = nullptr; // Kx
    QLabel* Label102 = nullptr;
    QLineEdit* Edit36 = nullptr; // Ky
    QLabel* Label104 = nullptr;
    QLineEdit* Edit37 = nullptr; // Lx
    QLabel* Label105 = nullptr;
    QLabel* Label106 = nullptr;
    QLineEdit* Edit38 = nullptr; // Ly (follows Lx)
    QLabel* Label107 = nullptr;
    QLabel* Label108 = nullptr;
    QLineEdit* Edit39 = nullptr; // Lb
    QLabel* Label109 = nullptr;
    QLabel* Label110 = nullptr;
    QLineEdit* Edit40 = nullptr; // Cb
    QLabel* Label112 = nullptr;
    QLineEdit* Edit41 = nullptr; // Cmx
    QLabel* Label203 = nullptr; // "View Detailed Results"
    QLabel* Image3 = nullptr;
    QToolButton* SpeedButton9 = nullptr;

    // Structural Design: steel pipe section (TabSheet5)
    QLabel* Label100 = nullptr;
    QComboBox* ComboBox9 = nullptr; // section family
    QLabel* Label117 = nullptr;
    QComboBox* ComboBox10 = nullptr; // member type
    QLabel* Label120 = nullptr;
    QComboBox* ComboBox11 = nullptr; // section
    QToolButton* SpeedButton13 = nullptr; // user-defined section
    QCheckBox* CheckBox3 = nullptr; // concrete filled
    QLabel* Label130 = nullptr;
    QLineEdit* Edit45 = nullptr; // P
    QLabel* Label118 = nullptr;
    QLabel* Label103 = nullptr;
    QLineEdit* Edit42 = nullptr; // Mr
    QLabel* Label111 = nullptr;
    QLabel* Label115 = nullptr;
    QLineEdit* Edit44 = nullptr; // Fy
    QLabel* Label116 = nullptr;
    QLabel* Label119 = nullptr;
    QLineEdit* Edit46 = nullptr; // K
    QLabel* Label122 = nullptr;
    QLineEdit* Edit48 = nullptr; // L
    QLabel* Label123 = nullptr;
    QLabel* Label129 = nullptr;
    QLineEdit* Edit52 = nullptr; // Cmx
    QLabel* Label128 = nullptr;
    QLineEdit* Edit51 = nullptr; // f'c of the fill
    QLabel* Label218 = nullptr;
    QLabel* Label204 = nullptr; // "View Detailed Results"
    QLabel* Image4 = nullptr;
    QToolButton* SpeedButton10 = nullptr;

    // Structural Design: reinforced concrete (TabSheet6)
    QLabel* Label127 = nullptr;
    QComboBox* ComboBox12 = nullptr; // rebar standard
    QLabel* Label131 = nullptr;
    QLineEdit* Edit53 = nullptr; // fy
    QLabel* Label132 = nullptr;
    QLabel* Label133 = nullptr;
    QLineEdit* Edit54 = nullptr; // Es
    QLabel* Label138 = nullptr;
    QLabel* Label142 = nullptr;
    QComboBox* ComboBox14 = nullptr; // longitudinal bars
    QLabel* Label143 = nullptr;
    QLineEdit* Edit59 = nullptr; // number of bars, round piles
    QComboBox* ComboBox16 = nullptr; // number of bars, other piles
    QLabel* Label139 = nullptr;
    QComboBox* ComboBox13 = nullptr; // tie or spiral
    QLabel* Label146 = nullptr;
    QComboBox* ComboBox15 = nullptr; // tie or spiral bars
    QLabel* Label144 = nullptr;
    QLineEdit* Edit58 = nullptr; // clear cover
    QLabel* Label145 = nullptr;
    QLabel* Label147 = nullptr; // "Tie/Spiral Spacing"
    QLabel* Label134 = nullptr;
    QLineEdit* Edit55 = nullptr; // calculated spacing
    QLabel* Label135 = nullptr;
    QLabel* Label136 = nullptr;
    QLineEdit* Edit56 = nullptr; // spacing in use
    QLabel* Label137 = nullptr;
    QLabel* Label159 = nullptr; // spacing message
    QLabel* Label158 = nullptr; // reinforcement message (kept empty)
    QLabel* Label140 = nullptr;
    QLineEdit* Edit57 = nullptr; // reinforcement percentage
    QLabel* Label141 = nullptr;
    QLabel* lblLoadCases = nullptr;
    QLineEdit* Edit60 = nullptr; // number of load cases
    QLabel* Label149 = nullptr; // load-case column heads with units
    QLabel* Label150 = nullptr;
    QLabel* Label163 = nullptr;
    QLabel* Label160 = nullptr;
    QFrame* Panel3 = nullptr; // rows of load cases 1-4
    QFrame* Panel7 = nullptr;
    QFrame* Panel8 = nullptr;
    QFrame* Panel9 = nullptr;
    QLineEdit* EditPu[4] = {};
    QLineEdit* EditMu[4] = {};
    QLineEdit* EditVu[4] = {};
    QLineEdit* EditMall[4] = {};
    QLabel* LabPutil[4] = {};
    QLabel* LabMutil[4] = {};
    QLabel* LabVutil[4] = {};
    QLabel* Label156 = nullptr; // "View Table"
    QLabel* Label155 = nullptr; // "View Graph"
    QLabel* Image9 = nullptr;
    QToolButton* SpeedButton14 = nullptr;

    // Structural Design: timber (TabSheet7)
    QLabel* Label151 = nullptr;
    QLineEdit* Edit61 = nullptr; // CD
    QLabel* Label154 = nullptr;
    QLabel* Label171 = nullptr;
    QLineEdit* Edit62 = nullptr; // Fb
    QLabel* Label172 = nullptr;
    QLabel* Label173 = nullptr;
    QLineEdit* Edit63 = nullptr; // Fv
    QLabel* Label174 = nullptr;
    QLabel* Label175 = nullptr;
    QLineEdit* Edit64 = nullptr; // Fc
    QLabel* Label176 = nullptr;
    QLabel* Label183 = nullptr;
    QLabel* Label177 = nullptr;
    QLineEdit* Edit65 = nullptr; // depth
    QLabel* Label178 = nullptr;
    QLabel* Label179 = nullptr;
    QLineEdit* Edit66 = nullptr; // breadth
    QLabel* Label180 = nullptr;
    QLabel* Label181 = nullptr;
    QLineEdit* Edit67 = nullptr; // section modulus
    QLabel* Label182 = nullptr;
    QLabel* Label190 = nullptr;
    QLabel* Label184 = nullptr;
    QLineEdit* Edit68 = nullptr; // size factor
    QLabel* Label186 = nullptr;
    QLineEdit* Edit69 = nullptr; // wet service factor
    QLabel* Label188 = nullptr;
    QLineEdit* Edit70 = nullptr; // condition treatment factor
    QLabel* Label194 = nullptr;
    QLabel* Label197 = nullptr;
    QLabel* Label198 = nullptr;
    QLabel* Label185 = nullptr;
    QLineEdit* Edit71 = nullptr; // F'b
    QLineEdit* Edit75 = nullptr; // fb
    QLabel* Label187 = nullptr;
    QLabel* Label189 = nullptr;
    QLineEdit* Edit72 = nullptr; // F'v
    QLineEdit* Edit76 = nullptr; // fv
    QLabel* Label191 = nullptr;
    QLabel* Label192 = nullptr;
    QLineEdit* Edit73 = nullptr; // F'c
    QLineEdit* Edit77 = nullptr; // fc
    QLabel* Label193 = nullptr;
    QLabel* Label195 = nullptr;
    QLineEdit* Edit74 = nullptr; // combined ratio

    // Results (TabSheet3)
    QLabel* Label43 = nullptr; // maximum deflection
    QLabel* Label44 = nullptr; // maximum moment
    QLabel* Label66 = nullptr; // maximum shear
    QLabel* Label55 = nullptr; // tip movement
    QLabel* Label80 = nullptr; // downward capacity
    QLabel* Label201 = nullptr; // negative skin friction
    QLabel* Label205 = nullptr; // uplift capacity
    QLabel* Label206 = nullptr; // pile movement
    QLabel* Label56 = nullptr; // "View Lateral Table"
    QLabel* Label84 = nullptr; // "View Vertical Table"
    QLabel* Label114 = nullptr; // "View Vertical Table (Effective Stress)", hidden
    QLabel* Label59 = nullptr; // "View Lateral Graphs"
    QLabel* Label124 = nullptr; // "View Vertical Graphs"
    QLabel* Label200 = nullptr; // "View Vertical Graphs (Effective Stress)", hidden
    QLabel* Label26 = nullptr; // "View One Graph"
    QFrame* pnlResSteel = nullptr;
    QLabel* Label113 = nullptr;
    QLineEdit* Edit43 = nullptr; // axial utilisation
    QToolButton* Image5 = nullptr;
    QLabel* Label121 = nullptr;
    QLineEdit* Edit47 = nullptr; // Mx utilisation
    QToolButton* Image6 = nullptr;
    QLabel* Label125 = nullptr;
    QLineEdit* Edit49 = nullptr; // My utilisation
    QToolButton* Image7 = nullptr;
    QLabel* Label126 = nullptr;
    QLineEdit* Edit50 = nullptr; // combined ratio
    QToolButton* Image8 = nullptr;
    QFrame* pnlResConcrete = nullptr;
    QLabel* Label37 = nullptr; // copies of the load-case column heads
    QLabel* Label38 = nullptr;
    QLabel* Label42 = nullptr;
    QLabel* Label40 = nullptr;
    QFrame* Panel10 = nullptr; // rows of load cases 1-4 on the Results tab
    QFrame* Panel11 = nullptr;
    QFrame* Panel12 = nullptr;
    QFrame* Panel13 = nullptr;
    QLineEdit* EditPub[4] = {};
    QLineEdit* EditMub[4] = {};
    QLineEdit* EditVub[4] = {};
    QLineEdit* EditMallb[4] = {};
    QLabel* LabPUtilb[4] = {};
    QLabel* LabMUtilb[4] = {};
    QLabel* LabVUtilb[4] = {};
    QFrame* pnlResTimber = nullptr;
    QLineEdit* Edit24 = nullptr; // F'b
    QLineEdit* Edit25 = nullptr; // F'v
    QLineEdit* Edit26 = nullptr; // F'c
    QLineEdit* Edit27 = nullptr; // combined ratio
    QLineEdit* Edit28 = nullptr; // fb
    QLineEdit* Edit29 = nullptr; // fv
    QLineEdit* Edit30 = nullptr; // fc
    QLabel* Label49 = nullptr;
    QLabel* Label209 = nullptr;
    QLabel* Label211 = nullptr;

    // ---- soil layer block
    QFrame* Panel4 = nullptr;
    QLabel* Label24 = nullptr;
    QFrame* Panel5 = nullptr;
    QLabel* Label28 = nullptr;
    QLabel* Label29 = nullptr;
    QLabel* Label30 = nullptr;
    QLabel* Label31 = nullptr;
    QLabel* Label34 = nullptr;
    QLabel* Label33 = nullptr;
    QLabel* Label27 = nullptr;
    QLabel* Label35 = nullptr;
    QLabel* Label39 = nullptr;
    QLabel* Label36 = nullptr;
    QLabel* Label57 = nullptr;
    QLabel* Label58 = nullptr;
    QLabel* Label62 = nullptr;
    QLabel* Label60 = nullptr;
    QToolButton* SpeedButton11 = nullptr; // add a layer
    QScrollArea* ScrollBox1 = nullptr;
    platform::TopAlignContainer* ScrollBox1Contents = nullptr; // the rows' parent
    QFrame* DummyForScrollBox = nullptr;
    QFrame* LayPanel1 = nullptr; // template row, also the row of layer 1
    QLabel* lblMoreData = nullptr;

    // ---- bottom
    QFrame* Panel6 = nullptr;
    QPushButton* Button2 = nullptr; // "Calculate Results"

    // ---- the window's life cycle
    void FormCreate();
    void FormShow();
    void FormResize();
    // Key is the typed character; set to 0 to swallow it.
    void FormKeyPress(QObject* Sender, QChar& Key);
    // Delta > 0 for the wheel turned forward; true when the window handled it.
    bool FormMouseWheel(int WheelDelta, const QPoint& GlobalPos);
    bool FormCloseQuery();
    void FormDestroy();
    void Timer1Timer();
    void PageControl1Change();
    void Deflection1Click(QAction* Item);

    void SetModified(bool Value);
    // "Braxholm Fendrix Professional", followed by " - " and the file name when there is one.
    void UpdateCaption();
    // The project folder ("Fendrix" in the user's documents), where the file dialogs start.
    QString DataFolder() const { return m_dataFolder; }

    // ---- settings
    bool ReadAutoUpdates();
    void WriteAutoUpdates(bool Value);
    void LoadWindowPosition();
    QMargins expectedFrame() const;
    void SaveWindowPosition();

    // ---- commands
    bool AskSaveChanges();
    void ActionList1Execute(QAction* Action);
    void ANewExecute();
    void showFirstInput(); // the first tab, and the focus on its first input
    void AOpenExecute();
    void ASaveExecute();
    void ASaveAsExecute();
    void APrintExecute();
    void AExitExecute();
    void AAboutExecute();
    void AWebExecute();
    void AHelpExecute();
    void AEquationsExecute();
    void AAutoUpdateExecute();
    void ACheckUpdatesExecute();
    void Button1Click();
    void Button2Click();
    void Button3Click();

    // ---- model and form
    void DataToForm();
    void FormToData();

    // ---- input handlers and helpers
    void Edit1KeyPress(QObject* Sender, QChar& Key);
    void EditEnter(QObject* Sender);
    void ComboBox1Change(QObject* Sender);
    void ComboBox1Exit(QObject* Sender);
    void ComboBox3Exit(QObject* Sender);
    void Edit3Exit(QObject* Sender);
    // The clear cover: one that leaves the bars no room inside the section is refused.
    void Edit58Exit(QObject* Sender);
    // The bar count of a round section: refused when the bars would not stand side by side.
    void Edit59Exit(QObject* Sender);
    // Inputs the calculation divides by: a 0 typed is refused with the reason.
    void DivisorExit(QObject* Sender);
    void RadioButton1Click(QObject* Sender);
    void chkUseReinforcementClick(QObject* Sender);
    void ShowFieldHint(QWidget* Control, const QString& Text);
    void UpdateStrengthModulus(QObject* Source);
    void FillIShapeCombo(QComboBox* Combo);
    void FillPipeShapeCombo(QComboBox* Combo);
    void FillSectionList(QComboBox* Combo, const QStringList& names);
    void FillSectionCombos();
    void FillRebarCombo(QComboBox* Combo);
    void FillRebarCombos();
    void CheckPuCapacity(QLineEdit* MallEdit, QLineEdit* PuEdit);
    void SetUnitCaptions();
    void SizeLogo();
    void SetChildrenEnabled(QWidget* Container, bool Enabled);
    void SetEditRightAligned(QLineEdit* Edit);

    // ---- soil layer rows
    void AddLayer(TLayer* Layer);
    void RebuildLayerPanels();
    void FillLayerPanel(TLayer* Layer, bool KeepMaterialList);
    void PanelToLayer(TLayer* Layer);
    void MatType1Change(QObject* Sender);
    void MatType1Exit(QObject* Sender);
    void USCS1Change(QObject* Sender);
    void Consistency1Change(QObject* Sender);
    void NSF1Click(QObject* Sender);
    void SGReactTop1Exit(QObject* Sender);
    void UpBtn1Click(QObject* Sender);
    void PierMatBtn1Click(QObject* Sender);
    void SpeedButton11Click();
    // The row panel of layer n (1-based), or null.
    QFrame* LayerPanel(int n) const;

    // ---- launchers of the other windows
    void Image1Click(QObject* Sender);
    void SpeedButton1Click(QObject* Sender);
    void SpeedButton2Click();
    void SpeedButton4Click(QObject* Sender);
    void SpeedButton12Click();
    void Label56Click(QObject* Sender);
    void Label59Click(QObject* Sender);
    void Label26Click();
    void Label222Click();

    // The picture the logo box shows (the model's logo after a pass), or null.
    const std::shared_ptr<TJpegGraphic>& LogoPicture() const { return m_logoPicture; }
    // The open, save and picture dialogs of the commands.
    TFileDialog& OD() { return *m_od; }
    TFileDialog& SD() { return *m_sd; }
    TFileDialog& OPD() { return *m_opd; }

    // Scrolls the layer rows so that the last ones can be seen (one increment of the wheel).
    void ScrollLayerRows(int Steps);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Counts the form passes in progress (see passRunning). The pictures asked for while a pass
    // runs are drawn once, when the outermost pass ends.
    class PassScope {
    public:
        explicit PassScope(TfrmLPMain& window)
            : m_window(window)
        {
            ++m_window.m_passDepth;
        }
        ~PassScope();
        PassScope(const PassScope&) = delete;
        PassScope& operator=(const PassScope&) = delete;

    private:
        TfrmLPMain& m_window;
    };

    void createActions();
    void createMenus();
    void createProjectBlock(QWidget* parent);
    void createLoadsBlock(QWidget* parent);
    void createLoadingTab();
    void createPileTab();
    void createLayerBlock(QWidget* parent);
    void createTemplateRow();
    void bindLayerRowHandlers();
    void createSteelTab();
    void createPipeTab();
    void createConcreteTab();
    void createTimberTab();
    void createResultsTab();
    void bindDesignHandlers();
    void createFileDialogs();
    void createBottom(QWidget* parent);
    void createSingleGraphMenu();
    void bindInputHandlers();

    QLineEdit* numericEdit(QWidget* parent, const char* name, int tag, int left, int top, int width = 80);
    QLabel* label(
        QWidget* parent, const char* name, const QString& caption, int left, int top, int width = -1);
    QComboBox* listCombo(
        QWidget* parent, const char* name, const QStringList& items, int left, int top, int width);
    // Column positions of a design tab: caption, edit (or list) and unit, each with its width.
    struct DesignColumns {
        int caption, captionWidth, control, controlWidth, unit, unitWidth;
    };
    void designRow(QWidget* p, const DesignColumns& c, int r, QLabel*& cap, const char* capName,
        const char* text, QLineEdit*& e, const char* editName, int tag, QLabel** unit, const char* unitName,
        const char* unitText);
    void sectionPicture(QWidget* p, const char* imageName, const char* zoomName, int left, QLabel*& image,
        QToolButton*& zoom);
    // The three lists that choose a steel section (shape family, member type, size) and the hidden
    // button of the user-defined section editor, in rows 0 to 2 of column a.
    struct SectionListNames {
        const char *familyCaption, *family, *memberCaption, *member, *sizeCaption, *sizes, *editor;
    };
    void sectionLists(QWidget* p, const DesignColumns& a, const SectionListNames& n, QLabel*& familyCaption,
        QComboBox*& family, QLabel*& memberCaption, QComboBox*& member, QLabel*& sizeCaption,
        QComboBox*& sizes, QToolButton*& editor);
    QToolButton* speedButton(
        QWidget* parent, const char* name, const QString& icon, int left, int top, int size = 22);
    // The window's picture of that name (with its double-size variant where there is one), read
    // once however many controls show it.
    QIcon icon(const QString& name);
    bool isInsideWindow(QObject* object) const;
    void commitTyping();
    QLabel* linkLabel(QWidget* parent, const char* name, const QString& caption, int left, int top);
    QLineEdit* resultEdit(QWidget* parent, const char* name, int tag, int left, int top, int width);
    void showLogoPicture();
    void showLessOrMoreData();
    void drawProfiles();
    // drawProfiles now, or once the running form pass has ended and the window has been shown.
    void requestProfiles();
    // requestProfiles once the layout has settled: for the pictures' new sizes.
    void requestProfilesAfterLayout();
    void writeConcreteRows();
    // Why the concrete section's bars cannot lie inside it, with the largest cover that would
    // let them.
    enum class BarFitInput { Cover, Count, Either };
    QString barsDoNotFitText(Extended cover, std::int32_t count, BarFitInput typed) const;
    void writeTimberBoxes();
    void writeSteelResults();
    void writeResultLines();
    // The inputs into the model (FormToData without the calculation and the refresh).
    void readForm();
    void readConcreteInputs();
    // The analysis, load case 1 where it follows it, and the section check.
    void calculate();
    // FormToData after a refresh that is no part of a commit when it changed the inputs since
    // they were last calculated.
    void commitIfInputsChanged();
    // Load case 1 takes the factored values of the analysis in each of Pu, Mu and Vu that still
    // follows them; true when a value changed.
    // Whether a value of load case 1 still follows the analysis, and the value last written
    // into it while it did.
    struct FollowedValue {
        Extended copy = 0;
        bool follows = true;
    };
    struct Case1Value {
        Extended& value; // in the model
        FollowedValue& state;
        Extended factored; // as its input would show it
    };
    std::array<Case1Value, 3> case1Values();
    bool followLoadCase1();
    // A project's first pass shows its case 1 as it holds it; adoptLoadCase1 then decides, from
    // that project and its analysis alone, which of its values follow.
    void holdLoadCase1();
    void adoptLoadCase1();
    TLayer* layerOfSender(QObject* sender) const;
    // DataToForm then FormToData: a model changed outside the inputs is shown, then committed and
    // calculated as typed values are. One pass, so the pictures are drawn once.
    void showAndCommit();
    // After layers were added, removed, moved or recoloured: refills the rows, marks the project
    // modified and commits.
    void commitLayerChange();
    // The colour and hatch dialog on the layer of a row (0-based); true when the user chose and
    // the row still holds a layer.
    bool chooseLayerColour(int Index);
    bool passRunning() const { return m_passDepth > 0; }
    bool tabShown(QWidget* Tab) const;

    int m_panel1Height = 325; // the designed height of the loads block, its minimum
    int m_lastInterface = 0; // interface index last seen by ComboBox3Exit
    // Load case 1's Pu, Mu and Vu. A fresh window's follow from 0.
    std::array<FollowedValue, 3> m_case1 {};
    QLabel* m_hintWindow = nullptr;
    std::uint8_t m_lastCyclic = 0; // cyclic flag last applied to the layers
    std::uint8_t m_lastUnits = 0; // unit system last applied by the form pass
    int m_passDepth = 0; // a form pass is running: focus moves it causes commit nothing
    bool m_profilesAsked = false; // drawProfiles is due when the pass ends or the window shows
    bool m_profilesQueued = false; // requestProfilesAfterLayout's call is on its way
    bool m_newProjectUntouched = false; // New has run; no form pass and no change since
    std::vector<std::uint8_t> m_calculatedInputs; // the inputs (as saved) the results belong to
    std::shared_ptr<TJpegGraphic> m_logoPicture;
    std::unique_ptr<TFileDialog> m_od;
    std::unique_ptr<TFileDialog> m_sd;
    std::unique_ptr<TFileDialog> m_opd;
    QString m_dataFolder;
    QHash<QString, QIcon> m_icons;
    int m_wheelRemainder = 0; // wheel angle not yet turned into a scroll step
    bool m_shownOnce = false;
    bool m_ending = false; // an update has been started: close without asking
};
