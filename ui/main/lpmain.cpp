#include "ui/main/lpmain.h"

#include "model/globals.h"
#include "model/lpclasses.h"
#include "platform/qt/alignment.h"
#include "platform/qt/application.h"
#include "platform/qt/shell.h"
#include "theming/keycuefixunit.h"
#include "ui/main/filedialog.h"
#include "ui/main/projecttext.h"
#include "update/checkupdates.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShowEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

// The pictures of the window live in this static library: register them before first use.
static void initMainResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(main);
        return true;
    }();
    (void)done;
}

namespace {

const QString kProgramTitle = QStringLiteral("Braxholm Fendrix Professional");

// Colour of the two title bars ($00BBGGRR).
constexpr quint32 kTitleColour = 9061638;

// Wheel angle of one notch.
constexpr int kWheelNotch = 120;

// Design sizes of the blocks, in pixels.
constexpr int kProjectBlockHeight = 86;
constexpr int kLoadsBlockHeight = 325;
constexpr int kBottomHeight = 47;
constexpr int kTitleHeight = 22;
constexpr int kRowHeight = 30;
constexpr int kDesignPageWidth = 1010;
constexpr int kDesignPageHeight = 255;
constexpr int kDesignRowWidth = 1012;

QLabel* titleBar(QWidget* parent, const char* name, const QString& caption)
{
    auto* bar = new QLabel(caption, parent);
    bar->setObjectName(QLatin1String(name));
    bar->setFont(platform::formFont(12, true));
    bar->setFixedHeight(kTitleHeight);
    platform::setControlColor(bar, platform::colorFromBgr(kTitleColour));
    platform::setFontColor(bar, platform::colorFromBgr(platform::clWhite));
    return bar;
}

QFrame* panel(QWidget* parent, const char* name)
{
    auto* p = new QFrame(parent);
    p->setObjectName(QLatin1String(name));
    return p;
}

} // namespace

TfrmLPMain::TfrmLPMain(QWidget* parent)
    : QMainWindow(parent)
{
    initMainResources();
    setObjectName(QStringLiteral("frmLPMain"));
    setWindowTitle(kProgramTitle);
    setWindowIcon(icon(QStringLiteral("fendrix")));
    setFont(platform::formFont(8));
    setMinimumSize(kMinWidth, kMinHeight);
    move(kDesignedLeft, kDesignedTop);
    resize(kDesignedWidth, kDesignedHeight);

    ImageList1 = { icon("new"), icon("open"), icon("save"), icon("print"), icon("web"), icon("equations"),
        icon("help") };
    ImageList2 = { icon("tab_loading"), icon("tab_pile"), icon("tab_results"), icon("tab_ihsection"),
        icon("tab_pipe"), icon("tab_concrete_rect"), icon("tab_concrete_round"), icon("tab_timber") };
    ImageList3 = { icon("pass"), icon("fail") };

    createActions();
    createMenus();

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    createProjectBlock(central);
    createLoadsBlock(central);
    createLayerBlock(central);
    createBottom(central);
    column->addWidget(Panel2);
    column->addWidget(Panel1);
    column->addWidget(Panel4, 1);
    column->addWidget(Panel6);
    setCentralWidget(central);

    createSingleGraphMenu();
    createFileDialogs();
    bindInputHandlers();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, [this] { platform::runGuarded([this] { Timer1Timer(); }); });

    // The window previews keys and wheel turns of all its controls.
    qApp->installEventFilter(this);

    FormCreate();
}

TfrmLPMain::~TfrmLPMain()
{
    SetUpdateTerminateHook({}, {});
    qApp->removeEventFilter(this);
    platform::runGuarded([this] { FormDestroy(); });
}

// ---- construction ------------------------------------------------------------------------------

QIcon TfrmLPMain::icon(const QString& name)
{
    if (const auto known = m_icons.constFind(name); known != m_icons.cend())
        return *known;
    QIcon result(QStringLiteral(":/main/") + name + QStringLiteral(".png"));
    const QString large = QStringLiteral(":/main/") + name + QStringLiteral("@2x.png");
    if (QFile::exists(large))
        result.addFile(large);
    m_icons.insert(name, result);
    return result;
}

void TfrmLPMain::createActions()
{
    struct Spec {
        QAction** target;
        const char* name;
        const char* caption;
        QKeySequence shortcut;
        const char* hint;
        void (TfrmLPMain::*run)();
    };
    const Spec specs[] = {
        { &ANew, "ANew", "&New", QKeySequence(Qt::CTRL | Qt::Key_N), "New project",
            &TfrmLPMain::ANewExecute },
        { &AOpen, "AOpen", "&Open", QKeySequence(Qt::CTRL | Qt::Key_O), "Open saved project",
            &TfrmLPMain::AOpenExecute },
        { &ASave, "ASave", "&Save", QKeySequence(Qt::CTRL | Qt::Key_S), "Save project",
            &TfrmLPMain::ASaveExecute },
        { &ASaveAs, "ASaveAs", "Save &As...", QKeySequence(), "Save project as",
            &TfrmLPMain::ASaveAsExecute },
        { &APrint, "APrint", "&Print", QKeySequence(Qt::CTRL | Qt::Key_P), "Print project",
            &TfrmLPMain::APrintExecute },
        { &AExit, "AExit", "E&xit", QKeySequence(), "Exit application", &TfrmLPMain::AExitExecute },
        { &AAbout, "AAbout", "&About", QKeySequence(), "", &TfrmLPMain::AAboutExecute },
        { &AWeb, "AWeb", "&Website", QKeySequence(), "Go to website", &TfrmLPMain::AWebExecute },
        { &AEquations, "AEquations", "&Equations", QKeySequence(), "Equations PDF",
            &TfrmLPMain::AEquationsExecute },
        { &AAutoUpdate, "AAutoUpdate", "A&utomatically Check for Updates", QKeySequence(), "",
            &TfrmLPMain::AAutoUpdateExecute },
        { &ACheckUpdates, "ACheckUpdates", "&Check for Updates Now", QKeySequence(), "",
            &TfrmLPMain::ACheckUpdatesExecute },
        { &AHelp, "AHelp", "&Help", QKeySequence(Qt::Key_F1), "User's Manual", &TfrmLPMain::AHelpExecute },
    };
    for (const Spec& s : specs) {
        auto* action = new QAction(QString::fromUtf8(s.caption), this);
        action->setObjectName(QLatin1String(s.name));
        if (!s.shortcut.isEmpty())
            action->setShortcut(s.shortcut);
        const QString hint = QString::fromUtf8(s.hint);
        action->setToolTip(hint.isEmpty() ? action->text().remove(QLatin1Char('&')) : hint);
        action->setStatusTip(hint);
        const auto run = s.run;
        connect(action, &QAction::triggered, this, [this, action, run] {
            platform::runGuarded([&] {
                ActionList1Execute(action);
                (this->*run)();
            });
        });
        *s.target = action;
    }
    ANew->setIcon(ImageList1.value(0));
    AOpen->setIcon(ImageList1.value(1));
    ASave->setIcon(ImageList1.value(2));
    APrint->setIcon(ImageList1.value(3));
    AWeb->setIcon(ImageList1.value(4));
    AEquations->setIcon(ImageList1.value(5));
    AHelp->setIcon(ImageList1.value(6));
    AEquations->setVisible(false);
    AAutoUpdate->setCheckable(true);
}

void TfrmLPMain::createMenus()
{
    menuBar()->setObjectName(QStringLiteral("MainMenu1"));
    File1 = menuBar()->addMenu(QStringLiteral("&File"));
    File1->setObjectName(QStringLiteral("File1"));
    File1->addActions({ ANew, AOpen, ASave, ASaveAs });
    File1->addSeparator();
    File1->addAction(APrint);
    File1->addSeparator();
    File1->addAction(AExit);
    Help1 = menuBar()->addMenu(QStringLiteral("&Help"));
    Help1->setObjectName(QStringLiteral("Help1"));
    Help1->addActions({ AHelp, AAbout, AWeb, AEquations });
    Help1->addSeparator();
    Help1->addActions({ AAutoUpdate, ACheckUpdates });

    ToolBar1 = addToolBar(QStringLiteral("Standard"));
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(24, 24));
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    ToolBar1->addActions({ ANew, AOpen, ASave });
    ToolBar1->addSeparator();
    ToolBar1->addAction(APrint);
    ToolBar1->addSeparator();
    ToolBar1->addActions({ AWeb, AEquations, AHelp });
    setContextMenuPolicy(Qt::NoContextMenu);
}

QLabel* TfrmLPMain::label(
    QWidget* parent, const char* name, const QString& caption, int left, int top, int width)
{
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QLatin1String(name));
    if (width < 0)
        width = l->sizeHint().width();
    l->setGeometry(left, top, width, 21);
    return l;
}

QLineEdit* TfrmLPMain::numericEdit(QWidget* parent, const char* name, int tag, int left, int top, int width)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    platform::setControlTag(e, tag);
    e->setGeometry(left, top, width, 21);
    SetEditRightAligned(e);
    return e;
}

QComboBox* TfrmLPMain::listCombo(
    QWidget* parent, const char* name, const QStringList& items, int left, int top, int width)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->addItems(items);
    c->setGeometry(left, top, width, 21);
    // A list changes only when the user opens it or types: a wheel turn over it scrolls the window.
    c->setFocusPolicy(Qt::StrongFocus);
    return c;
}

QToolButton* TfrmLPMain::speedButton(
    QWidget* parent, const char* name, const QString& iconName, int left, int top, int size)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setIcon(icon(iconName));
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setGeometry(left, top, size, size);
    return b;
}

void TfrmLPMain::createProjectBlock(QWidget* parent)
{
    Panel2 = panel(parent, "Panel2");
    Panel2->setFixedHeight(kProjectBlockHeight);
    Panel2->setFrameShape(QFrame::StyledPanel);
    Panel2->resize(kDesignedWidth, kProjectBlockHeight);

    Label19 = label(Panel2, "Label19", QStringLiteral("Job #"), 10, 8, 80);
    Edit9 = new QLineEdit(Panel2);
    Edit9->setObjectName(QStringLiteral("Edit9"));
    Edit9->setGeometry(95, 8, 150, 21);
    Label20 = label(Panel2, "Label20", QStringLiteral("Date"), 10, 33, 80);
    DateTimePicker1 = new QDateEdit(Panel2);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker1->setCalendarPopup(true);
    DateTimePicker1->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    DateTimePicker1->setGeometry(95, 33, 150, 21);
    Label21 = label(Panel2, "Label21", QStringLiteral("Organization"), 265, 8, 85);
    Edit10 = new QLineEdit(Panel2);
    Edit10->setObjectName(QStringLiteral("Edit10"));
    Edit10->setGeometry(355, 8, 330, 21);
    Label22 = label(Panel2, "Label22", QStringLiteral("Design by"), 265, 33, 85);
    Edit11 = new QLineEdit(Panel2);
    Edit11->setObjectName(QStringLiteral("Edit11"));
    Edit11->setGeometry(355, 33, 330, 21);
    Label61 = label(Panel2, "Label61", QStringLiteral("Project Name"), 10, 58, 80);
    Edit31 = new QLineEdit(Panel2);
    Edit31->setObjectName(QStringLiteral("Edit31"));
    Edit31->setGeometry(95, 58, 590, 21);

    // Right block: the two logo buttons and the logo, which the logo sizing places inside its box.
    const int boxWidth = 173 + 4;
    LogoBox = new QWidget(Panel2);
    LogoBox->setObjectName(QStringLiteral("LogoBox"));
    LogoBox->setGeometry(Panel2->width() - boxWidth - 4, 6, boxWidth, 73);
    Logo = new QLabel(LogoBox);
    Logo->setObjectName(QStringLiteral("Logo"));
    Logo->setGeometry(0, 0, 173, 73);
    Logo->setScaledContents(true);
    Logo->setCursor(Qt::PointingHandCursor);
    Logo->setFrameShape(QFrame::NoFrame);
    platform::setAnchors(LogoBox, platform::akTop | platform::akRight);

    Button1 = new QPushButton(QStringLiteral("Logo"), Panel2);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(LogoBox->x() - 80, 8, 72, 25);
    Button3 = new QPushButton(QStringLiteral("Clear"), Panel2);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setGeometry(LogoBox->x() - 80, 40, 72, 25);
    Button3->setEnabled(false);
    platform::setAnchors(Button1, platform::akTop | platform::akRight);
    platform::setAnchors(Button3, platform::akTop | platform::akRight);
    for (QPushButton* b : { Button1, Button3 })
        b->setAutoDefault(true); // Enter on a focused button presses it
    platform::controlEvents(Button1).onClick = [this](QObject*) { Button1Click(); };
    platform::controlEvents(Logo).onClick = [this](QObject*) { Button1Click(); };
    platform::controlEvents(Button3).onClick = [this](QObject*) { Button3Click(); };
}

void TfrmLPMain::createLoadsBlock(QWidget* parent)
{
    Panel1 = panel(parent, "Panel1");
    Panel1->setFixedHeight(kLoadsBlockHeight);
    auto* column = new QVBoxLayout(Panel1);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    Label1 = titleBar(Panel1, "Label1", QStringLiteral(" Vertical & Lateral Loads"));
    column->addWidget(Label1);

    PageControl1 = new QTabWidget(Panel1);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setIconSize(QSize(24, 24));
    PageControl1->setDocumentMode(false);
    column->addWidget(PageControl1, 1);
    // Clicking a tab takes the focus, as leaving any input does: what is being typed is committed
    // before the pass of the tab change writes the model back into the window.
    PageControl1->tabBar()->setFocusPolicy(Qt::StrongFocus);

    struct Page {
        QWidget** target;
        const char* name;
        const char* caption;
        int image;
    };
    const Page pages[] = {
        { &TabSheet1, "TabSheet1", "Loading", 0 },
        { &TabSheet2, "TabSheet2", "Pile Properties", 1 },
        { &TabSheet4, "TabSheet4", "Structural Design", 3 },
        { &TabSheet5, "TabSheet5", "Structural Design", 4 },
        { &TabSheet6, "TabSheet6", "Structural Design", 6 },
        { &TabSheet7, "TabSheet7", "Structural Design", 7 },
        { &TabSheet3, "TabSheet3", "Results", 2 },
    };
    for (const Page& p : pages) {
        auto* page = new QWidget;
        page->setObjectName(QLatin1String(p.name));
        page->resize(kDesignPageWidth, kDesignPageHeight);
        PageControl1->addTab(page, ImageList2.value(p.image), QLatin1String(p.caption));
        *p.target = page;
    }
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] {
        if (LPData)
            platform::runGuarded([this] { PageControl1Change(); });
    });
    createLoadingTab();
    createPileTab();
    createSteelTab();
    createPipeTab();
    createConcreteTab();
    createTimberTab();
    createResultsTab();
}

void TfrmLPMain::createLoadingTab()
{
    QWidget* p = TabSheet1;
    const auto rowTop = [](int row) { return 8 + row * 26; };
    const int caption = 10, edit = 150, unit = 236;

    Label2 = label(p, "Label2", QStringLiteral("Units"), caption, rowTop(0), 135);
    ComboBox1 = listCombo(
        p, "ComboBox1", { QStringLiteral("English"), QStringLiteral("SI") }, edit, rowTop(0), 110);
    Label9 = label(p, "Label9", QStringLiteral("Top of Pile Cond."), caption, rowTop(1), 135);
    ComboBox2 = listCombo(
        p, "ComboBox2", { QStringLiteral("Free Head"), QStringLiteral("Fixed Head") }, edit, rowTop(1), 110);
    Label69 = label(p, "Label69", QStringLiteral("Downward Load"), caption, rowTop(2), 135);
    Edit13 = numericEdit(p, "Edit13", 38, edit, rowTop(2));
    Label70 = label(p, "Label70", QStringLiteral("kips"), unit, rowTop(2), 50);
    Label4 = label(p, "Label4", QStringLiteral("Pile Length"), caption, rowTop(3), 135);
    Edit1 = numericEdit(p, "Edit1", 1, edit, rowTop(3));
    Label5 = label(p, "Label5", QStringLiteral("ft"), unit, rowTop(3), 50);
    Label10 = label(p, "Label10", QStringLiteral("Lateral Load (Shear)"), caption, rowTop(4), 135);
    Edit4 = numericEdit(p, "Edit4", 4, edit, rowTop(4));
    Label11 = label(p, "Label11", QStringLiteral("kips"), unit, rowTop(4), 50);
    Label12 = label(p, "Label12", QStringLiteral("Moment Load"), caption, rowTop(5), 135);
    Edit5 = numericEdit(p, "Edit5", 5, edit, rowTop(5));
    Label13 = label(p, "Label13", QStringLiteral("kip-ft"), unit, rowTop(5), 50);
    Label87 = label(p, "Label87", QStringLiteral("Allow. Lat. Deflection"), caption, rowTop(6), 135);
    Edit22 = numericEdit(p, "Edit22", 50, edit, rowTop(6));
    Label88 = label(p, "Label88", QStringLiteral("in"), unit, rowTop(6), 50);
    Label207 = label(p, "Label207", QStringLiteral("Uplift Load"), caption, rowTop(7), 135);
    Edit78 = numericEdit(p, "Edit78", 76, edit, rowTop(7));
    Label208 = label(p, "Label208", QStringLiteral("kips"), unit, rowTop(7), 50);

    const int caption2 = 300, edit2 = 430, unit2 = 516;
    Label67 = label(p, "Label67", QStringLiteral("Passive Wedge"), caption2, rowTop(0), 125);
    Edit7 = numericEdit(p, "Edit7", 34, edit2, rowTop(0));
    Label71 = label(p, "Label71", QStringLiteral("F.S. Side Friction"), caption2, rowTop(1), 125);
    Edit14 = numericEdit(p, "Edit14", 48, edit2, rowTop(1));
    SpeedButton2 = speedButton(p, "SpeedButton2", QStringLiteral("calc"), unit2, rowTop(1), 22);
    SpeedButton2->setToolTip(QStringLiteral("Factor of safety calculator"));
    Label52 = label(p, "Label52", QStringLiteral("F.S. End Bearing"), caption2, rowTop(2), 125);
    Edit17 = numericEdit(p, "Edit17", 49, edit2, rowTop(2));
    Label78 = label(p, "Label78", QStringLiteral("Groundwater"), caption2, rowTop(3), 125);
    Edit20 = numericEdit(p, "Edit20", 45, edit2, rowTop(3));
    Label81 = label(p, "Label81", QStringLiteral("ft"), unit2, rowTop(3), 40);
    Label53 = label(p, "Label53", QStringLiteral("O.C. Ratio"), caption2, rowTop(4), 125);
    Edit18 = numericEdit(p, "Edit18", 46, edit2, rowTop(4));
    SpeedButton4 = speedButton(p, "SpeedButton4", QStringLiteral("info"), unit2, rowTop(4), 22);
    platform::setControlTag(SpeedButton4, 101);
    Label54 = label(p, "Label54", QStringLiteral("Su/SigmaV Ratio"), caption2, rowTop(5), 125);
    Edit19 = numericEdit(p, "Edit19", 47, edit2, rowTop(5));
    SpeedButton5 = speedButton(p, "SpeedButton5", QStringLiteral("info"), unit2, rowTop(5), 22);
    platform::setControlTag(SpeedButton5, 102);
    for (QWidget* w : std::initializer_list<QWidget*> { Label54, Edit19, SpeedButton5 })
        w->hide();

    SpeedButton8 = new QToolButton(p);
    SpeedButton8->setObjectName(QStringLiteral("SpeedButton8"));
    SpeedButton8->setText(QStringLiteral("Next"));
    SpeedButton8->setIcon(icon(QStringLiteral("next")));
    SpeedButton8->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    SpeedButton8->setFocusPolicy(Qt::NoFocus);
    SpeedButton8->setGeometry(edit2, rowTop(7) - 2, 80, 25);

    imgOCR = new QLabel(p);
    imgOCR->setObjectName(QStringLiteral("imgOCR"));
    imgOCR->hide();
    imgSuSigmaV = new QLabel(p);
    imgSuSigmaV->setObjectName(QStringLiteral("imgSuSigmaV"));
    imgSuSigmaV->hide();

    // The drawing of the pile in the soil takes the rest of the page.
    sectionPicture(p, "Image1", "SpeedButton1", 620, Image1, SpeedButton1);
}

void TfrmLPMain::createPileTab()
{
    QWidget* p = TabSheet2;
    const auto rowTop = [](int row) { return 8 + row * 26; };
    const int caption = 10, control = 150, unit = 236;

    Label32 = label(p, "Label32", QStringLiteral("Pile & Soil Interface"), caption, rowTop(0), 135);
    ComboBox3 = listCombo(p, "ComboBox3",
        { QStringLiteral("Rough Concrete"), QStringLiteral("Smooth Concrete"), QStringLiteral("Rough Steel"),
            QStringLiteral("Smooth Steel"), QStringLiteral("Timber") },
        control, rowTop(0), 130);
    SpeedButton6 = speedButton(p, "SpeedButton6", QStringLiteral("list"), control + 134, rowTop(0), 22);
    platform::setControlTag(SpeedButton6, 1);
    Label72 = label(p, "Label72", QStringLiteral("Pile Type"), caption, rowTop(1), 135);
    ComboBox4 = listCombo(p, "ComboBox4",
        { QStringLiteral("Jetted Pile"), QStringLiteral("Pile - small displ."),
            QStringLiteral("Pile - large displ.") },
        control, rowTop(1), 130);
    SpeedButton7 = speedButton(p, "SpeedButton7", QStringLiteral("list"), control + 134, rowTop(1), 22);
    platform::setControlTag(SpeedButton7, 2);
    Label82 = label(p, "Label82", QStringLiteral("Shape"), caption, rowTop(2), 135);
    ComboBox5 = listCombo(p, "ComboBox5",
        { QStringLiteral("Square"), QStringLiteral("Circle"), QStringLiteral("Rectangle"),
            QStringLiteral("Octagon") },
        control, rowTop(2), 130);
    ComboBox18 = listCombo(p, "ComboBox18", { QStringLiteral("I/H Shape"), QStringLiteral("Pipe Shape") },
        control, rowTop(2), 130);
    ComboBox18->hide();
    Label6 = label(p, "Label6", QStringLiteral("Width/Diameter"), caption, rowTop(3), 135);
    Edit2 = numericEdit(p, "Edit2", 2, control, rowTop(3));
    Label3 = label(p, "Label3", QStringLiteral("ft"), unit, rowTop(3), 40);
    Label83 = label(p, "Label83", QStringLiteral("Length"), caption, rowTop(4), 135);
    Edit21 = numericEdit(p, "Edit21", 2, control, rowTop(4));
    Label86 = label(p, "Label86", QStringLiteral("ft"), unit, rowTop(4), 40);
    for (QWidget* w : std::initializer_list<QWidget*> { Label83, Edit21, Label86 })
        w->hide();
    Label196 = label(p, "Label196", QStringLiteral("Drying"), caption, rowTop(5), 135);
    ComboBox17 = listCombo(p, "ComboBox17",
        { QStringLiteral("Air"), QStringLiteral("Kiln"), QStringLiteral("Boulton"),
            QStringLiteral("Normal Steaming"), QStringLiteral("Marine Steaming") },
        control, rowTop(5), 130);
    Label196->hide();
    ComboBox17->hide();

    chkUseReinforcement = new QCheckBox(QStringLiteral("Structural Design Analysis"), p);
    chkUseReinforcement->setObjectName(QStringLiteral("chkUseReinforcement"));
    chkUseReinforcement->setGeometry(caption, rowTop(6), 250, 21);
    Panel14 = panel(p, "Panel14");
    Panel14->setGeometry(caption - 2, rowTop(7) - 2, 280, 25);
    CheckBox1 = new QRadioButton(QStringLiteral("Static Analysis"), Panel14);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(2, 2, 130, 21);
    CheckBox1->setChecked(true);
    CheckBox2 = new QRadioButton(QStringLiteral("Cyclic Analysis"), Panel14);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    CheckBox2->setGeometry(140, 2, 130, 21);
    // Each pair stays exclusive also while its tab is hidden (written from code then).
    auto* analysis = new QButtonGroup(Panel14);
    analysis->addButton(CheckBox1);
    analysis->addButton(CheckBox2);

    const int radio = 318, caption2 = 338, edit2 = 500, unit2 = 586;
    RadioButton1 = new QRadioButton(p);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton1->setGeometry(radio, rowTop(0), 18, 21);
    RadioButton1->setChecked(true);
    Label8 = label(p, "Label8", QStringLiteral("Mat. Strength (f'c)"), caption2, rowTop(0), 155);
    Edit3 = numericEdit(p, "Edit3", 3, edit2, rowTop(0));
    Label7 = label(p, "Label7", QStringLiteral("psi"), unit2, rowTop(0), 40);
    RadioButton2 = new QRadioButton(p);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    RadioButton2->setGeometry(radio, rowTop(1), 18, 21);
    auto* strength = new QButtonGroup(p);
    strength->addButton(RadioButton1);
    strength->addButton(RadioButton2);
    Label18 = label(p, "Label18", QStringLiteral("Modulus of Elasticity (E)"), caption2, rowTop(1), 155);
    Edit8 = numericEdit(p, "Edit8", 31, edit2, rowTop(1));
    Label64 = label(p, "Label64", QStringLiteral("ksi"), unit2, rowTop(1), 40);

    const auto computed
        = [&](const char* capName, const QString& cap, const char* editName, int tag, int row,
              const char* unitName, const QString& unitText, const char* expName, const QString& exp,
              QLabel*& capLabel, QLineEdit*& editOut, QLabel*& unitLabel, QLabel** expLabel) {
              capLabel = label(p, capName, cap, caption2, rowTop(row), 155);
              editOut = numericEdit(p, editName, tag, edit2, rowTop(row));
              editOut->setReadOnly(true);
              platform::setControlColor(editOut, platform::colorFromBgr(platform::clSkyBlue));
              unitLabel = label(p, unitName, unitText, unit2, rowTop(row), 22);
              if (expLabel) {
                  *expLabel = label(p, expName, exp, unit2 + 12, rowTop(row) - 4, 10);
                  (*expLabel)->setFont(platform::formFont(6));
              }
          };
    computed("Label14", QStringLiteral("Cross Section Area"), "Edit6", 30, 2, "Label15", QStringLiteral("in"),
        "Label16", QStringLiteral("2"), Label14, Edit6, Label15, &Label16);
    computed("Label63", QStringLiteral("Moment of Inertia (I)"), "Edit12", 33, 3, "Label65",
        QStringLiteral("in"), "Label68", QStringLiteral("4"), Label63, Edit12, Label65, &Label68);
    computed("Label73", QStringLiteral("Pile Perimeter"), "Edit15", 43, 4, "Label74", QStringLiteral("ft"),
        "", QString(), Label73, Edit15, Label74, nullptr);
    computed("Label75", QStringLiteral("Tip Area"), "Edit16", 44, 5, "Label76", QStringLiteral("ft"),
        "Label79", QStringLiteral("2"), Label75, Edit16, Label76, &Label79);

    Panel15 = panel(p, "Panel15");
    Panel15->setFrameShape(QFrame::StyledPanel);
    Panel15->setGeometry(caption2 - 20, rowTop(6), 300, 50);
    Label221
        = new QLabel(QStringLiteral("The design applies to precast or prestressed concrete piles that are "
                                    "driven, not to bored piles."),
            Panel15);
    Label221->setObjectName(QStringLiteral("Label221"));
    Label221->setWordWrap(true);
    Label221->setGeometry(6, 2, 288, 28);
    platform::setFontColor(Label221, platform::colorFromBgr(platform::clRed));
    Label222 = new QLabel(QStringLiteral("Visit our website for details"), Panel15);
    Label222->setObjectName(QStringLiteral("Label222"));
    Label222->setGeometry(6, 30, 200, 17);
    Label222->setCursor(Qt::PointingHandCursor);
    QFont link = Label222->font();
    link.setUnderline(true);
    Label222->setFont(link);
    platform::setFontColor(Label222, platform::colorFromBgr(platform::clBlue));

    sectionPicture(p, "Image2", "SpeedButton3", 660, Image2, SpeedButton3);
}

void TfrmLPMain::createLayerBlock(QWidget* parent)
{
    Panel4 = panel(parent, "Panel4");
    auto* column = new QVBoxLayout(Panel4);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    Label24 = titleBar(Panel4, "Label24", QStringLiteral("  Geotechnical Properties"));
    column->addWidget(Label24);

    // Column heads over the template row's columns.
    Panel5 = panel(Panel4, "Panel5");
    Panel5->setFixedHeight(36);
    Panel5->resize(kDesignRowWidth, 36);
    column->addWidget(Panel5);
    struct Head {
        QLabel** target;
        const char* name;
        const char* caption;
        int left, width, top, height;
    };
    const Head heads[] = {
        { &Label28, "Label28", "#", 4, 16, 0, 36 },
        { &Label29, "Label29", "Material Type", 25, 118, 0, 36 },
        { &Label30, "Label30", "USCS", 145, 75, 0, 36 },
        { &Label31, "Label31", "Layer Thickness, ft", 221, 126, 0, 36 },
        { &Label34, "Label34", "SPT\nField N", 350, 50, 0, 36 },
        { &Label33, "Label33", "Consistency", 404, 96, 0, 36 },
        { &Label27, "Label27", "Lat. S.G, KN/m3", 503, 148, 1, 17 },
        { &Label35, "Label35", "LAYER TOP", 503, 73, 18, 17 },
        { &Label39, "Label39", "LAYER BOTT.", 578, 73, 18, 17 },
        { &Label36, "Label36", "Kp", 652, 35, 0, 36 },
        { &Label57, "Label57", "F.S. on\nKp", 689, 40, 0, 36 },
        { &Label58, "Label58", "Cohesion, ksf", 731, 61, 0, 36 },
        { &Label62, "Label62", "Gamma, pcf", 794, 54, 0, 36 },
        { &Label60, "Label60", "Neg. Skin\nFric.", 850, 50, 0, 36 },
    };
    for (const Head& h : heads) {
        auto* l = new QLabel(QString::fromUtf8(h.caption), Panel5);
        l->setObjectName(QLatin1String(h.name));
        l->setAlignment(Qt::AlignCenter);
        l->setWordWrap(true);
        l->setGeometry(h.left, h.top, h.width, h.height);
        *h.target = l;
    }
    SpeedButton11
        = speedButton(Panel5, "SpeedButton11", QStringLiteral("add_layer"), kDesignRowWidth - 30, 6, 24);
    SpeedButton11->setToolTip(QStringLiteral("Add a layer"));
    platform::setAnchors(SpeedButton11, platform::akTop | platform::akRight);

    ScrollBox1 = new QScrollArea(Panel4);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setFrameShape(QFrame::NoFrame);
    // The rows' inputs are the stops: Tab scrolls the one it reaches into view. The scroll area
    // itself, as a stop, would draw no mark of the focus.
    ScrollBox1->setFocusPolicy(Qt::NoFocus);
    ScrollBox1->setWidgetResizable(true);
    ScrollBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ScrollBox1->verticalScrollBar()->setTracking(true);
    ScrollBox1->verticalScrollBar()->setSingleStep(kRowHeight / 3);
    ScrollBox1Contents = new platform::TopAlignContainer;
    ScrollBox1Contents->setObjectName(QStringLiteral("ScrollBox1Contents"));
    // A screen narrower than the window's minimum (1024 pixels) still shows the rows whole: their
    // right-hand buttons, which keep to the right edge, may close up to the last column (its
    // check box ends at 885, the buttons start at 891).
    ScrollBox1Contents->setMinimumWidth(kDesignRowWidth - 6);
    ScrollBox1Contents->resize(kDesignRowWidth, 5 * kRowHeight + 2);
    DummyForScrollBox = panel(ScrollBox1Contents, "DummyForScrollBox");
    // Just below the rows shown, so that the scroll range always exceeds them.
    DummyForScrollBox->setGeometry(0, kRowHeight + 1, 1, 1);
    createTemplateRow();
    ScrollBox1->setWidget(ScrollBox1Contents);
    ScrollBox1->setMaximumHeight(kRowHeight);
    column->addWidget(ScrollBox1, 1);
    // The scroll area is only as tall as the rows it shows; the rest of the block stays empty.
    column->addStretch(0);

    lblMoreData = new QLabel(QStringLiteral("Scroll to see more data"), Panel4);
    lblMoreData->setObjectName(QStringLiteral("lblMoreData"));
    lblMoreData->setAlignment(Qt::AlignCenter);
    lblMoreData->setFont(platform::formFont(8, true));
    platform::setFontColor(lblMoreData, platform::colorFromBgr(platform::clRed));
    lblMoreData->setFixedHeight(16);
    lblMoreData->hide();
    column->addWidget(lblMoreData);
}

void TfrmLPMain::createTemplateRow()
{
    LayPanel1 = panel(ScrollBox1Contents, "LayPanel1");
    LayPanel1->setGeometry(0, 0, kDesignRowWidth, kRowHeight);
    LayPanel1->setAutoFillBackground(true);
    platform::setControlTag(LayPanel1, 1);
    ScrollBox1Contents->setTopAligned(LayPanel1);

    QWidget* p = LayPanel1;
    const int top = 4;
    auto* number = new QLabel(QStringLiteral("1"), p);
    number->setObjectName(QStringLiteral("Number1"));
    number->setFont(platform::formFont(8, true));
    number->setAlignment(Qt::AlignCenter);
    number->setGeometry(4, top, 16, 21);

    const auto list = [&](const char* name, int left, int width) {
        auto* c = new QComboBox(p);
        c->setObjectName(QLatin1String(name));
        c->setGeometry(left, top, width, 21);
        c->setFocusPolicy(Qt::StrongFocus);
        return c;
    };
    const auto edit = [&](const char* name, int tag, int left, int width) {
        auto* e = new QLineEdit(p);
        e->setObjectName(QLatin1String(name));
        platform::setControlTag(e, tag);
        e->setGeometry(left, top, width, 21);
        SetEditRightAligned(e);
        return e;
    };
    const auto readOnly = [](QLineEdit* e) {
        e->setReadOnly(true);
        platform::setControlColor(e, platform::colorFromBgr(platform::clSkyBlue));
    };
    list("MatType1", 25, 118);
    list("USCS1", 145, 75);
    edit("Length1", 9, 221, 61);
    auto* range = new QLabel(p);
    range->setObjectName(QStringLiteral("Range1"));
    range->setAlignment(Qt::AlignCenter);
    range->setGeometry(284, top, 64, 21);
    edit("SPTFieldN1", 42, 350, 50);
    QComboBox* consistency = list("Consistency1", 404, 96);
    consistency->hide();
    consistency->setEnabled(false);
    QLineEdit* consistencyText = edit("ConsistencyText1", 0, 404, 96);
    consistencyText->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    readOnly(consistencyText);
    edit("SGReactTop1", 10, 503, 73);
    edit("SGReactBottom1", 10, 578, 73);
    readOnly(edit("Kp1", 26, 652, 35));
    edit("FSonKp1", 27, 689, 40);
    edit("Cohesion1", 25, 731, 61);
    edit("Gamma1", 28, 794, 54);
    auto* nsf = new QCheckBox(p);
    nsf->setObjectName(QStringLiteral("NSF1"));
    nsf->setGeometry(867, top, 18, 21);

    struct RowButton {
        const char* name;
        const char* icon;
        int tag, left;
        const char* hint;
        bool visible;
    };
    const RowButton buttons[] = {
        { "PierMatBtn1", "material", 1, 891, "Edit pier material properties", false },
        { "ColBtn1", "colour", 4, 917, "Colour and hatch", true },
        { "UpBtn1", "up", 1, 940, "Move layer up", true },
        { "DnBtn1", "down", 2, 963, "Move layer down", true },
        { "DelBtn1", "delete", 3, 986, "Delete layer", true },
    };
    for (const RowButton& b : buttons) {
        QToolButton* button = speedButton(p, b.name, QLatin1String(b.icon), b.left, top, 23);
        button->setFixedHeight(22);
        platform::setControlTag(button, b.tag);
        button->setToolTip(QLatin1String(b.hint));
        button->setVisible(b.visible);
        platform::setAnchors(button, platform::akTop | platform::akRight);
    }
}

void TfrmLPMain::createBottom(QWidget* parent)
{
    Panel6 = panel(parent, "Panel6");
    Panel6->setFixedHeight(kBottomHeight);
    Button2 = new QPushButton(QStringLiteral("Calculate Results"), Panel6);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setFont(platform::formFont(10, true));
    Button2->setGeometry(0, (kBottomHeight - 35) / 2, 288, 35);
    Button2->setAutoDefault(true);
    platform::controlEvents(Button2).onClick = [this](QObject*) { Button2Click(); };
}

void TfrmLPMain::createSingleGraphMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    struct Item {
        QAction** target;
        const char* name;
        const char* caption;
        int tag;
        bool visible;
    };
    const Item items[] = {
        { &Shear1, "Shear1", "&Shear", 3, true },
        { &Moment1, "Moment1", "&Moment", 4, true },
        { &Deflection1, "Deflection1", "&Deflection", 5, true },
        { &LateralSoilPressure1, "LateralSoilPressure1", "Lateral Soil &Pressure", 6, true },
        { &VerticalCapacity1, "VerticalCapacity1", "&Vertical Capacity", 7, true },
        { &VerticalCapacityEff1, "VerticalCapacityEff1", "V&ertical Capacity  (Effective Stress)", 8, false },
        { &CapacityVsMovement1, "CapacityVsMovement1", "V&ertical Capacity vs Movement", 10, true },
        { &LoadVsSettlementEff1, "LoadVsSettlementEff1", "Pile L&oad vs Settlement (Effective Stress)", 11,
            false },
        { &PileLoadVsDepth1, "PileLoadVsDepth1", "&Pile Load vs Depth", 12, true },
        { &PileLoadVsDepthEff1, "PileLoadVsDepthEff1", "P&ile Load vs Depth (Effective Stress)", 13, false },
        { &EffectiveStress1, "EffectiveStress1", "&Effective Stress", 14, true },
    };
    for (const Item& i : items) {
        QAction* action = PopupMenu1->addAction(QString::fromUtf8(i.caption));
        action->setObjectName(QLatin1String(i.name));
        action->setData(i.tag);
        action->setVisible(i.visible);
        connect(action, &QAction::triggered, this, [this, action] {
            platform::runGuarded([&] {
                ActionList1Execute(action);
                Deflection1Click(action);
            });
        });
        *i.target = action;
    }
}

void TfrmLPMain::bindInputHandlers()
{
    const platform::KeyPressEvent keyFilter = [this](QObject* s, QChar& k) { Edit1KeyPress(s, k); };
    const platform::NotifyEvent change = [this](QObject* s) { ComboBox1Change(s); };
    const platform::NotifyEvent exitCommon = [this](QObject* s) { ComboBox1Exit(s); };
    const platform::NotifyEvent exitMaterial = [this](QObject* s) { ComboBox3Exit(s); };
    const platform::NotifyEvent exitStrength = [this](QObject* s) { Edit3Exit(s); };

    // Numeric inputs of the two input tabs: key filter, modified on change, committed on leaving.
    for (QLineEdit* e : { Edit13, Edit1, Edit4, Edit5, Edit22, Edit78, Edit7, Edit14, Edit17, Edit20, Edit18,
             Edit19, Edit2, Edit21, Edit3, Edit8, Edit6, Edit12, Edit15, Edit16 }) {
        platform::ControlEvents& ev = platform::controlEvents(e);
        ev.onKeyPress = keyFilter;
        ev.onChange = change;
        ev.onExit = exitCommon;
    }
    for (QLineEdit* e : { Edit3, Edit8, Edit16 })
        platform::controlEvents(e).onExit = exitStrength;
    for (QLineEdit* e : { Edit14, Edit17 })
        platform::controlEvents(e).onExit = [this](QObject* s) { DivisorExit(s); };
    for (QComboBox* c : { ComboBox1, ComboBox2 }) {
        platform::controlEvents(c).onChange = change;
        platform::controlEvents(c).onExit = exitCommon;
    }
    for (QComboBox* c : { ComboBox3, ComboBox4, ComboBox5, ComboBox17, ComboBox18 }) {
        platform::controlEvents(c).onChange = change;
        platform::controlEvents(c).onExit = exitMaterial;
    }
    for (QRadioButton* b : { CheckBox1, CheckBox2 }) {
        platform::controlEvents(b).onClick = change;
        platform::controlEvents(b).onExit = exitCommon;
    }
    for (QRadioButton* b : { RadioButton1, RadioButton2 })
        platform::controlEvents(b).onClick = [this](QObject* s) { RadioButton1Click(s); };
    platform::controlEvents(chkUseReinforcement).onClick
        = [this](QObject* s) { chkUseReinforcementClick(s); };
    // The project block commits like any input.
    for (QWidget* w : std::initializer_list<QWidget*> { Edit9, Edit10, Edit11, Edit31, DateTimePicker1 }) {
        platform::controlEvents(w).onChange = change;
        platform::controlEvents(w).onExit = exitCommon;
    }
    // What a project file cannot keep is refused as it is entered, with the reason beside the
    // field, rather than changed without a word when the project is saved.
    for (QLineEdit* e : { Edit9, Edit10, Edit11, Edit31 })
        e->setValidator(
            new TProjectTextValidator(e, [this, e](const QString& why) { ShowFieldHint(e, why); }));
    platform::controlEvents(SpeedButton8).onClick
        = [this](QObject*) { PageControl1->setCurrentIndex(PageControl1->currentIndex() + 1); };
    bindLayerRowHandlers();
    bindDesignHandlers();
}

// ---- life cycle --------------------------------------------------------------------------------

void TfrmLPMain::FormCreate()
{
    // First: the component that repaints the controls when keyboard cues appear, owned by the form.
    new TKeyCueFix(this);
    m_panel1Height = Panel1->height();
    LoadWindowPosition();

    m_hintWindow = new QLabel(this, Qt::ToolTip);
    m_hintWindow->setObjectName(QStringLiteral("HintWindow"));
    m_hintWindow->setWordWrap(true);
    m_hintWindow->setMaximumWidth(370);
    m_hintWindow->hide();

    platform::setControlColor(Panel1, platform::btnFaceColor());
    platform::setControlColor(Panel4, platform::btnFaceColor());
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet4), false);
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet5), false);

    LPData = std::make_unique<TLPData>();

    // An update ends the program; unsaved work gets the save question before the new version
    // starts, and Cancel abandons the update, keeping the program and the work.
    SetUpdateTerminateHook([this] { return AskSaveChanges(); },
        [this] {
            m_ending = true;
            if (close())
                QCoreApplication::quit();
        });

    // Failing to create the project folder ends the creation with its message; the window stays.
    platform::runGuarded([this] {
        const std::string documents = GetMyDocumentsPath();
        if (documents.empty())
            throw std::runtime_error("Unable to create directory Fendrix: the user has no documents folder");
        m_dataFolder = QString::fromStdString(documents) + QStringLiteral("Fendrix/");
        platform::forceDirectories(m_dataFolder);
        ANewExecute();
    });
}

void TfrmLPMain::FormShow()
{
    AAutoUpdate->setChecked(ReadAutoUpdates());
    // The project is started again unless the one creation started still stands as it was (and
    // the day has not changed since, which its date follows): starting it again would only redo
    // every write and the calculation, and the first showing waits for them.
    if (m_newProjectUntouched && DateTimePicker1->date() == QDate::currentDate())
        showFirstInput();
    else
        ANewExecute();
    Timer1->start();
}

void TfrmLPMain::FormResize()
{
    lblMoreData->hide();
    Button2->move((Panel6->width() - Button2->width()) / 2, Button2->y());
    showLessOrMoreData();

    const int below = centralWidget()->height() - Panel2->y() - Panel2->height();
    Panel1->setFixedHeight(std::max(below / 2, m_panel1Height));
    if (LPData)
        requestProfilesAfterLayout();
}

void TfrmLPMain::FormKeyPress(QObject* /*Sender*/, QChar& Key)
{
    if (Key != QLatin1Char('\r'))
        return;
    QWidget* active = QApplication::focusWidget();
    if (!active || active->window() != this)
        return;
    const bool input = qobject_cast<QLineEdit*>(active) || qobject_cast<QComboBox*>(active)
        || qobject_cast<QAbstractSpinBox*>(active);
    if (!input)
        return;
    focusNextPrevChild(true);
    Key = QChar();
}

bool TfrmLPMain::FormMouseWheel(int WheelDelta, const QPoint& GlobalPos)
{
    const QPoint p = Panel4->mapFromGlobal(GlobalPos);
    if (p.x() < 0 || p.y() < 0 || p.x() > Panel4->width() || p.y() > Panel4->height())
        return false;
    // A notch turns into one increment; finer wheels add up to a notch first.
    m_wheelRemainder += WheelDelta;
    const int steps = m_wheelRemainder / kWheelNotch;
    m_wheelRemainder -= steps * kWheelNotch;
    if (steps != 0)
        ScrollLayerRows(-steps);
    return true;
}

void TfrmLPMain::ScrollLayerRows(int Steps)
{
    QScrollBar* bar = ScrollBox1->verticalScrollBar();
    const int value = bar->value() + Steps * bar->singleStep();
    bar->setValue(std::clamp(value, 0, bar->maximum()));
}

bool TfrmLPMain::FormCloseQuery()
{
    return m_ending || AskSaveChanges();
}

void TfrmLPMain::FormDestroy()
{
    LPData.reset();
    SaveWindowPosition();
}

void TfrmLPMain::PageControl1Change()
{
    DataToForm();
}

void TfrmLPMain::SetModified(bool Value)
{
    Modified = Value;
    if (Value)
        m_newProjectUntouched = false;
    const QPixmap picture = Logo->pixmap();
    Button3->setEnabled(!picture.isNull());
}

void TfrmLPMain::UpdateCaption()
{
    if (FileName.isEmpty())
        setWindowTitle(kProgramTitle);
    else
        setWindowTitle(kProgramTitle + QStringLiteral(" - ") + QFileInfo(FileName).fileName());
}

void TfrmLPMain::SetChildrenEnabled(QWidget* Container, bool Enabled)
{
    for (QObject* child : Container->children()) {
        if (auto* w = qobject_cast<QWidget*>(child))
            w->setEnabled(Enabled);
    }
}

void TfrmLPMain::SetEditRightAligned(QLineEdit* Edit)
{
    Edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

// ---- Qt events ---------------------------------------------------------------------------------

void TfrmLPMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Only the first showing starts the program's work: showing the window again (after hiding
    // it, or restoring it from the task bar) keeps the project as it is.
    if (!m_shownOnce) {
        m_shownOnce = true;
        platform::runGuarded([this] { FormShow(); });
        // The show handler's New draws the pictures held back until now; should it not get that
        // far, they are drawn all the same, at the sizes the showing lays them out at.
        if (m_profilesAsked)
            requestProfilesAfterLayout();
    }
}

void TfrmLPMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    platform::runGuarded([this] { FormResize(); });
}

void TfrmLPMain::closeEvent(QCloseEvent* event)
{
    bool canClose = false;
    platform::runGuarded([&] { canClose = FormCloseQuery(); });
    if (canClose)
        event->accept();
    else
        event->ignore();
}

bool TfrmLPMain::isInsideWindow(QObject* object) const
{
    auto* w = qobject_cast<QWidget*>(object);
    return w && w->window() == this;
}

// The value being typed is committed as leaving its control commits it. The control is the
// window's own focus, also while a menu, a dialog or another window is active: a command asks
// for this when its menu has taken the keyboard, or once its dialog has.
void TfrmLPMain::commitTyping()
{
    QWidget* focused = focusWidget();
    if (!focused || !isInsideWindow(focused) || passRunning())
        return;
    platform::runGuarded([&] { platform::fireExit(focused); });
}

bool TfrmLPMain::eventFilter(QObject* watched, QEvent* event)
{
    // The small buttons (the rows', the page's, the tool bar's), the launching labels and the
    // pictures take no focus, so the input being typed in keeps it while they act on the project:
    // what it holds is committed before.
    if (event->type() == QEvent::MouseButtonPress && isInsideWindow(watched)) {
        auto* control = static_cast<QWidget*>(watched);
        const platform::ControlEvents* events = platform::findControlEvents(control);
        const bool acts = qobject_cast<QAbstractButton*>(control) || (events && events->onClick);
        if (acts && control->isEnabled() && !(control->focusPolicy() & Qt::ClickFocus))
            commitTyping();
        return false;
    }
    // The field hint belongs to the control the focus leaves, whether or not it commits, also
    // for a menu or another window (a command's dialog), which it would stand over.
    if (event->type() == QEvent::FocusOut && m_hintWindow && isInsideWindow(watched)) {
        m_hintWindow->hide();
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        // Previews the key once, when it reaches the focused control.
        if (watched != QApplication::focusWidget() || !isInsideWindow(watched))
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        QChar ch;
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            ch = QLatin1Char('\r');
        else if (!key->text().isEmpty())
            ch = key->text().at(0);
        else
            return false;
        const QChar before = ch;
        platform::runGuarded([&] { FormKeyPress(watched, ch); });
        return ch.isNull() && !before.isNull();
    }
    // The layout places the blocks after the window itself has changed size: the resize rules
    // run when the blocks they depend on have their new sizes.
    if (event->type() == QEvent::Resize && (watched == Panel6 || watched == centralWidget())) {
        platform::runGuarded([this] { FormResize(); });
        return false;
    }
    if (event->type() == QEvent::Wheel && isInsideWindow(watched)) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        bool handled = false;
        platform::runGuarded(
            [&] { handled = FormMouseWheel(wheel->angleDelta().y(), wheel->globalPosition().toPoint()); });
        // A list (or the date picker) turns with the wheel only while the user is in it: a wheel
        // passing over it must not change the units or the head condition.
        auto* control = static_cast<QWidget*>(watched);
        if (!handled && (qobject_cast<QComboBox*>(control) || qobject_cast<QAbstractSpinBox*>(control)))
            return !control->hasFocus();
        return handled;
    }
    return false;
}
