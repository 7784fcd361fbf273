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

#include <QMainWindow>
#include <QString>

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

namespace platform {
class TopAlignContainer;
}

class TfrmLPMain : public QMainWindow {
    Q_OBJECT
public:
    // The designed bounds, used when no position is stored.
    static constexpr int kDesignedLeft = 40;
    static constexpr int kDesignedTop = 20;
    static constexpr int kDesignedWidth = 1060;
    static constexpr int kDesignedHeight = 760;
    static constexpr int kMinWidth = 1030;
    static constexpr int kMinHeight = 700;

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
    void SaveWindowPosition();

    // ---- commands
    bool AskSaveChanges();
    void ActionList1Execute(QAction* Action);
    void ANewExecute();
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

    // ---- input handlers
    void Edit1KeyPress(QObject* Sender, QChar& Key);
    void ComboBox1Change(QObject* Sender);
    void ComboBox1Exit(QObject* Sender);
    void ComboBox3Exit(QObject* Sender);
    void Edit3Exit(QObject* Sender);
    void RadioButton1Click(QObject* Sender);
    void chkUseReinforcementClick(QObject* Sender);
    void UpdateStrengthModulus(QObject* Source);
    void SetChildrenEnabled(QWidget* Container, bool Enabled);
    void SetEditRightAligned(QLineEdit* Edit);

    // Scrolls the layer rows so that the last ones can be seen (one increment of the wheel).
    void ScrollLayerRows(int Steps);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createProjectBlock(QWidget* parent);
    void createLoadsBlock(QWidget* parent);
    void createLoadingTab();
    void createPileTab();
    void createLayerBlock(QWidget* parent);
    void createTemplateRow();
    void createBottom(QWidget* parent);
    void createSingleGraphMenu();
    void bindInputHandlers();

    QLineEdit* numericEdit(QWidget* parent, const char* name, int tag, int left, int top, int width = 80);
    QLabel* label(
        QWidget* parent, const char* name, const QString& caption, int left, int top, int width = -1);
    QComboBox* listCombo(
        QWidget* parent, const char* name, const QStringList& items, int left, int top, int width);
    QToolButton* speedButton(
        QWidget* parent, const char* name, const QString& icon, int left, int top, int size = 22);
    bool isInsideWindow(QObject* object) const;

    int m_panel1Height = 325; // the designed height of the loads block, its minimum
    int m_lastInterface = 0; // interface index last seen by ComboBox3Exit
    Extended m_case1Pu = 0; // load case 1 as DataToForm last wrote it
    Extended m_case1Mu = 0;
    Extended m_case1Vu = 0;
    QLabel* m_hintWindow = nullptr;
    std::uint8_t m_lastCyclic = 0; // cyclic flag last applied to the layers
    QString m_dataFolder;
    int m_wheelRemainder = 0; // wheel angle not yet turned into a scroll step
    bool m_shownOnce = false;
    bool m_ending = false; // an update has been started: close without asking
};
