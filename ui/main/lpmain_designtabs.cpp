// The structural-design tabs (steel I/H, steel pipe, reinforced concrete, timber) and the Results
// tab of the main window: their controls, captions and Tags. The report prints these captions and
// texts as the window shows them, so every control keeps its name.
#include "ui/main/lpmain.h"

#include "platform/qt/alignment.h"
#include "platform/qt/controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolButton>

namespace {

constexpr int kPageWidth = 1010;
constexpr int kPageHeight = 255;
constexpr int kRowPitch = 26;

int rowTop(int row)
{
    return 8 + row * kRowPitch;
}

// The columns of one block of captioned inputs: caption, input and unit.
QFrame* namedPanel(QWidget* parent, const QString& name)
{
    auto* p = new QFrame(parent);
    p->setObjectName(name);
    return p;
}

void makeReadOnly(QLineEdit* edit)
{
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::ClickFocus);
    platform::setControlColor(edit, platform::colorFromBgr(platform::clSkyBlue));
}

void makeBold(QLabel* label)
{
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
}

} // namespace

QLabel* TfrmLPMain::linkLabel(QWidget* parent, const char* name, const QString& caption, int left, int top)
{
    QLabel* l = label(parent, name, caption, left, top);
    l->setCursor(Qt::PointingHandCursor);
    QFont f = l->font();
    f.setUnderline(true);
    l->setFont(f);
    l->resize(l->sizeHint().width() + 4, l->height());
    platform::setFontColor(l, platform::colorFromBgr(platform::clBlue));
    return l;
}

QLineEdit* TfrmLPMain::resultEdit(QWidget* parent, const char* name, int tag, int left, int top, int width)
{
    QLineEdit* e = numericEdit(parent, name, tag, left, top, width);
    makeReadOnly(e);
    return e;
}

// A caption, a numeric edit with its Tag and, when given, a unit label, on row r of a design tab.
void TfrmLPMain::designRow(QWidget* p, const DesignColumns& c, int r, QLabel*& cap, const char* capName,
    const char* text, QLineEdit*& e, const char* editName, int tag, QLabel** unit, const char* unitName,
    const char* unitText)
{
    cap = label(p, capName, QString::fromUtf8(text), c.caption, rowTop(r), c.captionWidth);
    e = numericEdit(p, editName, tag, c.control, rowTop(r), c.controlWidth);
    if (unit)
        *unit = label(p, unitName, QString::fromUtf8(unitText), c.unit, rowTop(r), c.unitWidth);
}

// The drawing of a tab (the pile in the soil, or a design tab's section), filling the page right
// of its inputs, with its enlarge button in the corner.
void TfrmLPMain::sectionPicture(
    QWidget* p, const char* imageName, const char* zoomName, int left, QLabel*& image, QToolButton*& zoom)
{
    image = new QLabel(p);
    image->setObjectName(QString::fromLatin1(imageName));
    image->setFrameShape(QFrame::StyledPanel);
    image->setAlignment(Qt::AlignCenter);
    image->setCursor(Qt::PointingHandCursor);
    platform::setControlColor(image, platform::windowColor());
    image->setGeometry(left, 4, kPageWidth - left - 8, kPageHeight - 8);
    platform::setAnchors(image, platform::akLeft | platform::akTop | platform::akRight | platform::akBottom);
    zoom = speedButton(p, zoomName, QStringLiteral("zoom"), kPageWidth - 8 - 24, 6, 22);
    zoom->setToolTip(QStringLiteral("Enlarge"));
    platform::setAnchors(zoom, platform::akTop | platform::akRight);
    zoom->raise();
}

void TfrmLPMain::sectionLists(QWidget* p, const DesignColumns& a, const SectionListNames& n,
    QLabel*& familyCaption, QComboBox*& family, QLabel*& memberCaption, QComboBox*& member,
    QLabel*& sizeCaption, QComboBox*& sizes, QToolButton*& editor)
{
    familyCaption = label(p, n.familyCaption, QStringLiteral("Shapes"), a.caption, rowTop(0), a.captionWidth);
    // Item n selects family n: 2 holds the IPE/HE and CHS tables, 3 the UB/UC tables.
    family = listCombo(p, n.family,
        { QStringLiteral("North American"), QStringLiteral("Australian"), QStringLiteral("European"),
            QStringLiteral("British") },
        a.control, rowTop(0), a.controlWidth);
    memberCaption
        = label(p, n.memberCaption, QStringLiteral("Member Type"), a.caption, rowTop(1), a.captionWidth);
    member = listCombo(p, n.member, { QStringLiteral("Beam-Column") }, a.control, rowTop(1), a.controlWidth);
    sizeCaption = label(p, n.sizeCaption, QStringLiteral("Beam Size"), a.caption, rowTop(2), a.captionWidth);
    sizes = listCombo(p, n.sizes, {}, a.control, rowTop(2), a.controlWidth);
    editor = speedButton(p, n.editor, QStringLiteral("edit"), a.control + a.controlWidth - 22, rowTop(2), 22);
    editor->setToolTip(QStringLiteral("Edit the user-defined section"));
    editor->hide();
}

void TfrmLPMain::createSteelTab()
{
    QWidget* p = TabSheet4;
    const DesignColumns a { 10, 125, 140, 150, 294, 45 };
    const DesignColumns b { 350, 140, 495, 70, 569, 30 };
    sectionLists(p, a,
        { "Label89", "ComboBox6", "Label96", "ComboBox7", "Label101", "ComboBox8", "SpeedButton12" }, Label89,
        ComboBox6, Label96, ComboBox7, Label101, ComboBox8, SpeedButton12);

    // The loads' edits are 80 wide with their unit beside them.
    const DesignColumns aEdit { a.caption, a.captionWidth, a.control, 80, a.control + 84, a.unitWidth };
    const auto row = [&](auto&&... args) { designRow(p, args...); };
    row(aEdit, 3, Label97, "Label97", "Downward Load, P", Edit34, "Edit34", 51, &Label98, "Label98", "kips");
    row(aEdit, 4, Label90, "Label90", "Moment Load, Mx", Edit23, "Edit23", 52, &Label91, "Label91",
        "kips-ft");
    row(aEdit, 5, Label92, "Label92", "Moment Load, My", Edit32, "Edit32", 52, &Label93, "Label93",
        "kips-ft");
    row(aEdit, 6, Label94, "Label94", "Yield Strength, Fy", Edit33, "Edit33", 53, &Label95, "Label95", "ksi");
    row(b, 0, Label99, "Label99", "Effective Length, Kx", Edit35, "Edit35", 54, nullptr, "", "");
    row(b, 1, Label102, "Label102", "Effective Length, Ky", Edit36, "Edit36", 54, nullptr, "", "");
    row(b, 2, Label104, "Label104", "Unbraced Length, Lx", Edit37, "Edit37", 55, &Label105, "Label105", "ft");
    row(b, 3, Label106, "Label106", "Unbraced Length, Ly", Edit38, "Edit38", 55, &Label107, "Label107", "ft");
    row(b, 4, Label108, "Label108", "Unbraced Length, Lb", Edit39, "Edit39", 55, &Label109, "Label109", "ft");
    row(b, 5, Label110, "Label110", "Stress Bend. Coeff, Cb", Edit40, "Edit40", 56, nullptr, "", "");
    row(b, 6, Label112, "Label112", "X-axis Bend. Coeff, Cmx", Edit41, "Edit41", 57, nullptr, "", "");
    // Ly is not entered: the check takes it equal to Lx.
    makeReadOnly(Edit38);
    Label203 = linkLabel(p, "Label203", QStringLiteral("View Detailed Results"), b.caption, rowTop(7) + 4);

    Edit35->setToolTip(QStringLiteral("Effective length factor about the strong axis (0.65 to 2.1)"));
    Edit36->setToolTip(QStringLiteral("Effective length factor about the weak axis (0.65 to 2.1)"));
    Edit37->setToolTip(QStringLiteral("Unbraced length: between 0.2 x and 1.0 x the pile length"));
    Edit39->setToolTip(QStringLiteral("Unbraced length of the compression flange: at most the pile length"));
    Edit40->setToolTip(
        QStringLiteral("Lateral-torsional buckling modification factor (1.0 is conservative)"));
    Edit41->setToolTip(QStringLiteral("Equivalent uniform moment factor about the strong axis (0.5 to 1.0)"));

    sectionPicture(p, "Image3", "SpeedButton9", 620, Image3, SpeedButton9);
}

void TfrmLPMain::createPipeTab()
{
    QWidget* p = TabSheet5;
    const DesignColumns a { 10, 125, 140, 150, 294, 45 };
    const DesignColumns b { 350, 140, 495, 70, 569, 30 };
    sectionLists(p, a,
        { "Label100", "ComboBox9", "Label117", "ComboBox10", "Label120", "ComboBox11", "SpeedButton13" },
        Label100, ComboBox9, Label117, ComboBox10, Label120, ComboBox11, SpeedButton13);
    CheckBox3 = new QCheckBox(QStringLiteral("Concrete Filled"), p);
    CheckBox3->setObjectName(QStringLiteral("CheckBox3"));
    CheckBox3->setGeometry(a.caption, rowTop(3), 200, 21);

    // The loads' edits are 80 wide with their unit beside them.
    const DesignColumns aEdit { a.caption, a.captionWidth, a.control, 80, a.control + 84, a.unitWidth };
    const auto row = [&](auto&&... args) { designRow(p, args...); };
    row(aEdit, 4, Label130, "Label130", "Downward Load, P", Edit45, "Edit45", 51, &Label118, "Label118",
        "kips");
    row(aEdit, 5, Label103, "Label103", "Moment Load, Mr", Edit42, "Edit42", 52, &Label111, "Label111",
        "kips-ft");
    row(b, 0, Label115, "Label115", "Yield Strength, Fy", Edit44, "Edit44", 53, &Label116, "Label116", "ksi");
    row(b, 1, Label119, "Label119", "Effective Length, K", Edit46, "Edit46", 54, nullptr, "", "");
    row(b, 2, Label122, "Label122", "Unbraced Length, L", Edit48, "Edit48", 55, &Label123, "Label123", "ft");
    row(b, 3, Label129, "Label129", "X-axis Bend. Coeff, Cmx", Edit52, "Edit52", 57, nullptr, "", "");
    row(b, 4, Label128, "Label128", "Conc. Compr. Str, F'c", Edit51, "Edit51", 77, &Label218, "Label218",
        "ksi");
    Label204 = linkLabel(p, "Label204", QStringLiteral("View Detailed Results"), b.caption, rowTop(7) + 4);
    Edit46->setToolTip(QStringLiteral("Effective length factor (0.65 to 2.1)"));
    Edit48->setToolTip(QStringLiteral("Unbraced length: between 0.2 x and 1.0 x the pile length"));
    Edit52->setToolTip(QStringLiteral("Equivalent uniform moment factor (0.5 to 1.0)"));

    sectionPicture(p, "Image4", "SpeedButton10", 620, Image4, SpeedButton10);
}

void TfrmLPMain::createConcreteTab()
{
    QWidget* p = TabSheet6;
    const DesignColumns a { 8, 122, 132, 90, 225, 35 };
    const auto row = [&](auto&&... args) { designRow(p, args...); };
    Label127 = label(p, "Label127", QStringLiteral("Rebar Type"), a.caption, rowTop(0), a.captionWidth);
    ComboBox12 = listCombo(p, "ComboBox12",
        { QStringLiteral("US"), QStringLiteral("European"), QStringLiteral("Canadian") }, a.control,
        rowTop(0), a.controlWidth);
    row(a, 1, Label131, "Label131", "Steel Yield Str.", Edit53, "Edit53", 61, &Label132, "Label132", "ksi");
    row(a, 2, Label133, "Label133", "Steel Mod. of Elast.", Edit54, "Edit54", 62, &Label138, "Label138",
        "ksi");
    Label142
        = label(p, "Label142", QStringLiteral("Vertical Rebar Sizes"), a.caption, rowTop(3), a.captionWidth);
    ComboBox14 = listCombo(p, "ComboBox14", {}, a.control, rowTop(3), a.controlWidth);
    Label143 = label(p, "Label143", QStringLiteral("Number of Bars"), a.caption, rowTop(4), a.captionWidth);
    Edit59 = numericEdit(p, "Edit59", 60, a.control, rowTop(4), a.controlWidth);
    ComboBox16 = listCombo(p, "ComboBox16",
        { QStringLiteral("4"), QStringLiteral("6"), QStringLiteral("8"), QStringLiteral("10"),
            QStringLiteral("12") },
        a.control, rowTop(4), a.controlWidth);
    Label139 = label(p, "Label139", QStringLiteral("Tie or Spiral"), a.caption, rowTop(5), a.captionWidth);
    ComboBox13 = listCombo(p, "ComboBox13", { QStringLiteral("Tie"), QStringLiteral("Spiral") }, a.control,
        rowTop(5), a.controlWidth);
    Label146
        = label(p, "Label146", QStringLiteral("Lat. Reinf. Bar Size"), a.caption, rowTop(6), a.captionWidth);
    ComboBox15 = listCombo(p, "ComboBox15", {}, a.control, rowTop(6), a.controlWidth);
    row(a, 7, Label144, "Label144", "Clear Cover", Edit58, "Edit58", 63, &Label145, "Label145", "in");

    const DesignColumns b { 268, 105, 375, 60, 438, 30 };
    Label147 = label(p, "Label147", QStringLiteral("Tie/Spiral Spacing"), b.caption, rowTop(0), 180);
    makeBold(Label147);
    row(b, 1, Label134, "Label134", "Calculated", Edit55, "Edit55", 69, &Label135, "Label135", "in");
    makeReadOnly(Edit55);
    row(b, 2, Label136, "Label136", "Override", Edit56, "Edit56", 64, &Label137, "Label137", "in");
    Label159 = label(p, "Label159", QStringLiteral("Spacing Good"), b.caption, rowTop(3), 200);
    Label159->setWordWrap(true);
    Label159->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label159->resize(200, 2 * kRowPitch - 6);
    Label158 = label(p, "Label158", QString(), b.caption, rowTop(4) + 6, 200);
    Label158->hide();
    row(b, 5, Label140, "Label140", "Reinforcement", Edit57, "Edit57", 70, &Label141, "Label141", "%");
    makeReadOnly(Edit57);
    lblLoadCases
        = label(p, "lblLoadCases", QStringLiteral("No. of Load Cases"), b.caption, rowTop(6), b.captionWidth);
    Edit60 = numericEdit(p, "Edit60", 65, b.control, rowTop(6), b.controlWidth);
    Label156 = linkLabel(p, "Label156", QStringLiteral("View Table"), b.caption, rowTop(7) + 4);
    Label155 = linkLabel(p, "Label155", QStringLiteral("View Graph"), b.caption + 90, rowTop(7) + 4);

    // The load cases: a head line and one row panel per case.
    const int x0 = 478;
    const int widths[] = { 18, 54, 54, 54, 54, 40, 40, 40 };
    int lefts[8];
    for (int i = 0, x = 0; i < 8; x += widths[i], ++i)
        lefts[i] = x;
    const auto head = [&](const char* name, const QString& text, int column) {
        QLabel* l = label(p, name, text, x0 + lefts[column], 2, widths[column]);
        l->resize(widths[column], 32);
        l->setAlignment(Qt::AlignCenter);
        return l;
    };
    head("lblCaseHead", QStringLiteral("#"), 0);
    Label149 = head("Label149", QStringLiteral("Pu\nkip"), 1);
    Label150 = head("Label150", QStringLiteral("Mu\nk-ft"), 2);
    Label163 = head("Label163", QStringLiteral("Vu\nkip"), 3);
    Label160 = head("Label160", QStringLiteral("M all\nk-ft"), 4);
    head("lblPutilHead", QStringLiteral("P util."), 5);
    head("lblMutilHead", QStringLiteral("M util."), 6);
    head("lblVutilHead", QStringLiteral("V util."), 7);
    QFrame** rows[] = { &Panel3, &Panel7, &Panel8, &Panel9 };
    const char* rowNames[] = { "Panel3", "Panel7", "Panel8", "Panel9" };
    for (int n = 0; n < 4; ++n) {
        QFrame* r = namedPanel(p, QLatin1String(rowNames[n]));
        r->setGeometry(x0, 36 + n * kRowPitch, lefts[7] + widths[7], 24);
        *rows[n] = r;
        const QString k = QString::number(n + 1);
        QLabel* number = label(r, qPrintable(QStringLiteral("lblCase") + k), k, 0, 1, widths[0]);
        number->setAlignment(Qt::AlignCenter);
        const auto edit = [&](const QString& base, int tag, int column) {
            return numericEdit(r, qPrintable(base + k), tag, lefts[column] + 1, 1, widths[column] - 2);
        };
        EditPu[n] = edit(QStringLiteral("EditPu"), 66, 1);
        EditMu[n] = edit(QStringLiteral("EditMu"), 67, 2);
        EditVu[n] = edit(QStringLiteral("EditVu"), 66, 3);
        EditMall[n] = edit(QStringLiteral("EditMall"), 66, 4);
        makeReadOnly(EditMall[n]);
        const auto util = [&](const QString& base, int column) {
            QLabel* l = label(r, qPrintable(base + k), QStringLiteral("-"), lefts[column], 1, widths[column]);
            l->setAlignment(Qt::AlignCenter);
            return l;
        };
        LabPutil[n] = util(QStringLiteral("LabPutil"), 5);
        LabMutil[n] = util(QStringLiteral("LabMutil"), 6);
        LabVutil[n] = util(QStringLiteral("LabVutil"), 7);
    }

    sectionPicture(p, "Image9", "SpeedButton14", 836, Image9, SpeedButton14);
}

void TfrmLPMain::createTimberTab()
{
    QWidget* p = TabSheet7;
    const auto row = [&](auto&&... args) { designRow(p, args...); };
    const auto heading = [&](QLabel*& l, const char* name, const char* text, int left, int r) {
        l = label(p, name, QString::fromUtf8(text), left, rowTop(r));
        makeBold(l);
        l->resize(l->sizeHint().width(), l->height());
    };
    // Left: the factors that adjust the reference values, the load duration factor (entered)
    // first, and the member. The hint of the load duration factor opens to its right, over the
    // inputs of the reference values, never over a heading.
    const DesignColumns a { 8, 190, 200, 65, 269, 35 };
    heading(Label190, "Label190", "Adjustment Factors", a.caption, 0);
    row(a, 1, Label151, "Label151", "Load Duration Factor", Edit61, "Edit61", 71, nullptr, "", "");
    row(a, 2, Label184, "Label184", "Size Factor for Fb", Edit68, "Edit68", 75, nullptr, "", "");
    row(a, 3, Label186, "Label186", "Wet Service Factor for Fc", Edit69, "Edit69", 75, nullptr, "", "");
    row(a, 4, Label188, "Label188", "Condition Treatment (round only)", Edit70, "Edit70", 75, nullptr, "",
        "");
    heading(Label183, "Label183", "Member Sections", a.caption, 5);
    row(a, 6, Label177, "Label177", "Depth", Edit65, "Edit65", 2, &Label178, "Label178", "in");
    row(a, 7, Label179, "Label179", "Breadth", Edit66, "Edit66", 2, &Label180, "Label180", "in");
    // A section modulus in mm^3 has up to eleven digits before its three decimals.
    const DesignColumns modulus { a.caption, a.captionWidth, a.control, 110, a.control + 114, 40 };
    row(modulus, 8, Label181, "Label181", "Section Modulus", Edit67, "Edit67", 75, &Label182, "Label182",
        "in^3");
    for (QLineEdit* e : { Edit65, Edit66, Edit67, Edit68, Edit69, Edit70 })
        makeReadOnly(e);
    Edit61->setToolTip(
        QStringLiteral("Load duration factor CD: 0.9 permanent, 1.0 ten years, 1.15 two months, "
                       "1.25 seven days, 1.6 wind or earthquake"));

    // Right: the reference values (entered) and the analysis.
    const DesignColumns b { 370, 190, 565, 65, 634, 40 };
    heading(Label154, "Label154", "Reference Design Values Parallel to Grain", b.caption, 0);
    row(b, 1, Label171, "Label171", "Bending", Edit62, "Edit62", 72, &Label172, "Label172", "psi");
    row(b, 2, Label173, "Label173", "Shear", Edit63, "Edit63", 73, &Label174, "Label174", "psi");
    row(b, 3, Label175, "Label175", "Compression", Edit64, "Edit64", 74, &Label176, "Label176", "psi");
    heading(Label194, "Label194", "Analysis", b.caption, 4);
    Label197 = label(p, "Label197", QStringLiteral("Adjusted"), b.control, rowTop(4), b.controlWidth);
    Label198 = label(p, "Label198", QStringLiteral("Actual"), b.control + 70, rowTop(4), b.controlWidth);
    for (QLabel* l : { Label197, Label198 }) {
        makeBold(l);
        l->setAlignment(Qt::AlignCenter);
    }
    const auto pair = [&](int r, QLabel*& cap, const char* capName, const char* text, QLineEdit*& adjusted,
                          const char* adjustedName, QLineEdit*& actual, const char* actualName, QLabel*& unit,
                          const char* unitName) {
        cap = label(p, capName, QString::fromUtf8(text), b.caption, rowTop(r), b.captionWidth);
        adjusted = resultEdit(p, adjustedName, 75, b.control, rowTop(r), b.controlWidth);
        actual = resultEdit(p, actualName, 75, b.control + 70, rowTop(r), b.controlWidth);
        unit = label(p, unitName, QStringLiteral("psi"), b.control + 140, rowTop(r), b.unitWidth);
    };
    pair(5, Label185, "Label185", "Bending Stress", Edit71, "Edit71", Edit75, "Edit75", Label187, "Label187");
    pair(6, Label189, "Label189", "Shear Parallel to Grain", Edit72, "Edit72", Edit76, "Edit76", Label191,
        "Label191");
    pair(7, Label192, "Label192", "Compression Parallel to Grain", Edit73, "Edit73", Edit77, "Edit77",
        Label193, "Label193");
    Label195 = label(p, "Label195", QStringLiteral("Combined Bending and Axial Compr."), b.caption, rowTop(8),
        b.captionWidth);
    Edit74 = resultEdit(p, "Edit74", 75, b.control, rowTop(8), b.controlWidth);
}

void TfrmLPMain::createResultsTab()
{
    QWidget* p = TabSheet3;
    QLabel** lines[] = { &Label43, &Label44, &Label66, &Label55, &Label80, &Label201, &Label205, &Label206 };
    const char* names[]
        = { "Label43", "Label44", "Label66", "Label55", "Label80", "Label201", "Label205", "Label206" };
    for (int i = 0; i < 8; ++i) {
        QLabel* l = label(p, names[i], QString(), 12, 10 + i * 28, 450);
        l->setFont(platform::formFont(9, true));
        *lines[i] = l;
    }

    const int links = 475;
    Label56 = linkLabel(p, "Label56", QStringLiteral("View Lateral Table"), links, 10);
    Label84 = linkLabel(p, "Label84", QStringLiteral("View Vertical Table"), links, 38);
    Label59 = linkLabel(p, "Label59", QStringLiteral("View Lateral Graphs"), links, 66);
    Label124 = linkLabel(p, "Label124", QStringLiteral("View Vertical Graphs"), links, 94);
    Label26 = linkLabel(p, "Label26", QStringLiteral("View One Graph"), links, 122);
    Label114 = linkLabel(p, "Label114", QStringLiteral("View Vertical Table (Effective Stress)"), links, 150);
    Label200
        = linkLabel(p, "Label200", QStringLiteral("View Vertical Graphs (Effective Stress)"), links, 178);
    Label114->hide();
    Label200->hide();

    // The structural results: one of three panels in the same place.
    const QRect area(660, 4, 342, 240);

    pnlResSteel = namedPanel(p, QStringLiteral("pnlResSteel"));
    pnlResSteel->setGeometry(area);
    struct SteelRow {
        QLabel** caption;
        const char* captionName;
        const char* text;
        QLineEdit** edit;
        const char* editName;
        QToolButton** glyph;
        const char* glyphName;
    };
    const SteelRow steelRows[] = {
        { &Label113, "Label113", "Axial Load - P util.", &Edit43, "Edit43", &Image5, "Image5" },
        { &Label121, "Label121", "Moment Load Mx util.", &Edit47, "Edit47", &Image6, "Image6" },
        { &Label125, "Label125", "Moment Load My util.", &Edit49, "Edit49", &Image7, "Image7" },
        { &Label126, "Label126", "Combined Util. Ratio", &Edit50, "Edit50", &Image8, "Image8" },
    };
    int r = 0;
    for (const SteelRow& s : steelRows) {
        const int top = 8 + r++ * 28;
        *s.caption = label(pnlResSteel, s.captionName, QString::fromUtf8(s.text), 0, top, 150);
        *s.edit = resultEdit(pnlResSteel, s.editName, 58, 155, top, 70);
        auto* glyph = new QToolButton(pnlResSteel);
        glyph->setObjectName(QLatin1String(s.glyphName));
        glyph->setAutoRaise(true);
        glyph->setFocusPolicy(Qt::NoFocus);
        glyph->setAttribute(Qt::WA_TransparentForMouseEvents);
        glyph->setGeometry(230, top - 1, 22, 22);
        glyph->setIconSize(QSize(16, 16));
        SetToggleGlyph(false, glyph, ImageList3);
        *s.glyph = glyph;
    }

    pnlResConcrete = namedPanel(p, QStringLiteral("pnlResConcrete"));
    pnlResConcrete->setGeometry(area);
    const int widths[] = { 18, 50, 50, 50, 50, 40, 40, 40 };
    int lefts[8];
    for (int i = 0, x = 0; i < 8; x += widths[i], ++i)
        lefts[i] = x;
    const auto head = [&](const char* name, const QString& text, int column) {
        QLabel* l = label(pnlResConcrete, name, text, lefts[column], 0, widths[column]);
        l->resize(widths[column], 32);
        l->setAlignment(Qt::AlignCenter);
        return l;
    };
    head("lblCaseHeadb", QStringLiteral("#"), 0);
    Label37 = head("Label37", QStringLiteral("Pu\nkip"), 1);
    Label38 = head("Label38", QStringLiteral("Mu\nk-ft"), 2);
    Label42 = head("Label42", QStringLiteral("Vu\nkip"), 3);
    Label40 = head("Label40", QStringLiteral("M all\nk-ft"), 4);
    head("lblPutilHeadb", QStringLiteral("P util."), 5);
    head("lblMutilHeadb", QStringLiteral("M util."), 6);
    head("lblVutilHeadb", QStringLiteral("V util."), 7);
    QFrame** rows[] = { &Panel10, &Panel11, &Panel12, &Panel13 };
    const char* rowNames[] = { "Panel10", "Panel11", "Panel12", "Panel13" };
    for (int n = 0; n < 4; ++n) {
        QFrame* row = namedPanel(pnlResConcrete, QLatin1String(rowNames[n]));
        row->setGeometry(0, 34 + n * kRowPitch, lefts[7] + widths[7], 24);
        *rows[n] = row;
        const QString k = QString::number(n + 1);
        QLabel* number = label(row, qPrintable(QStringLiteral("lblCaseb") + k), k, 0, 1, widths[0]);
        number->setAlignment(Qt::AlignCenter);
        const auto edit = [&](const QString& base, int column) {
            return resultEdit(
                row, qPrintable(base + k + QLatin1Char('b')), 0, lefts[column] + 1, 1, widths[column] - 2);
        };
        EditPub[n] = edit(QStringLiteral("EditPu"), 1);
        EditMub[n] = edit(QStringLiteral("EditMu"), 2);
        EditVub[n] = edit(QStringLiteral("EditVu"), 3);
        EditMallb[n] = edit(QStringLiteral("EditMall"), 4);
        const auto util = [&](const QString& base, int column) {
            QLabel* l = label(row, qPrintable(base + k + QLatin1Char('b')), QStringLiteral("-"),
                lefts[column], 1, widths[column]);
            l->setAlignment(Qt::AlignCenter);
            return l;
        };
        LabPUtilb[n] = util(QStringLiteral("LabPUtil"), 5);
        LabMUtilb[n] = util(QStringLiteral("LabMUtil"), 6);
        LabVUtilb[n] = util(QStringLiteral("LabVUtil"), 7);
    }

    pnlResTimber = namedPanel(p, QStringLiteral("pnlResTimber"));
    pnlResTimber->setGeometry(area);
    QWidget* t = pnlResTimber;
    QLabel* adjusted = label(t, "lblResAdjusted", QStringLiteral("Adjusted"), 150, 4, 64);
    QLabel* actual = label(t, "lblResActual", QStringLiteral("Actual"), 218, 4, 64);
    for (QLabel* l : { adjusted, actual }) {
        makeBold(l);
        l->setAlignment(Qt::AlignCenter);
    }
    const auto timberRow
        = [&](int row, const char* capName, const char* text, QLineEdit*& a, const char* aName, QLineEdit*& b,
              const char* bName, QLabel*& unit, const char* unitName) {
              const int top = 30 + row * 28;
              label(t, capName, QString::fromUtf8(text), 0, top, 148);
              a = resultEdit(t, aName, 0, 150, top, 64);
              b = resultEdit(t, bName, 0, 218, top, 64);
              unit = label(t, unitName, QStringLiteral("psi"), 286, top, 50);
          };
    timberRow(0, "lblResBending", "Bending Stress", Edit24, "Edit24", Edit28, "Edit28", Label49, "Label49");
    timberRow(1, "lblResShear", "Shear Parallel to Grain", Edit25, "Edit25", Edit29, "Edit29", Label209,
        "Label209");
    timberRow(2, "lblResCompression", "Compression Parallel to Grain", Edit26, "Edit26", Edit30, "Edit30",
        Label211, "Label211");
    label(t, "lblResCombined", QStringLiteral("Combined Bending and Axial"), 0, 30 + 3 * 28, 148);
    Edit27 = resultEdit(t, "Edit27", 0, 150, 30 + 3 * 28, 64);

    for (QWidget* w : std::initializer_list<QWidget*> { pnlResSteel, pnlResConcrete, pnlResTimber })
        w->hide();
}
