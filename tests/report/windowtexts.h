#pragma once
// The texts a main window shows for a project, built here the way the window writes them: the
// designed captions, inputs formatted by their field-limit rows, the unit captions of the unit
// system and the result lines. The report tests print from these as the program prints from the
// window.
#include "model/fieldlimits.h"
#include "model/lpclasses.h"
#include "report/reporttexts.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace reporttest {

inline std::string fixed(Extended value, int decimals)
{
    return FormatFixed(value, decimals);
}
inline std::string tagged(Extended value, int tag)
{
    return FormatFieldValue(tag, value, false);
}

inline TReportTexts WindowTexts(const TLPData& m)
{
    const bool si = m.Units == kUnitsSI;
    const auto u = [&](const char* siText, const char* usText) { return std::string(si ? siText : usText); };
    TReportTexts t;
    t.ApplicationTitle = "Braxholm Fendrix Professional";
    t.Date = { 2024, 3, 7 };
    const auto set
        = [&](const char* name, const std::string& text) -> TReportControl& { return t.Set(name, text); };

    // project block
    set("Label21", "Organization");
    set("Edit10", m.Organization);
    set("Label61", "Project Name");
    set("Edit31", m.ProjectName);
    set("Label19", "Job #");
    set("Edit9", m.JobNumber);
    set("Label22", "Design by");
    set("Edit11", m.DesignBy);
    set("Label20", "Date");
    TReportControl& logo = set("Logo", "");
    logo.Width = 150;
    logo.Height = 100;

    // loading
    set("TabSheet1", "  Loading  ");
    set("TabSheet2", " Pile Properties ");
    set("Label2", "Units");
    set("ComboBox1", si ? "SI Units" : "English Units");
    set("Label9", "Top of Pile Cond.");
    set("ComboBox2", m.HeadCondition == kFixedHead ? "Fixed Head" : "Free Head");
    set("Label69", "Downward Load");
    set("Edit13", tagged(m.DownwardLoad, 38));
    set("Label70", u("KN", "kips"));
    set("Label4", "Pile Length");
    set("Edit1", tagged(m.PileLength, 1));
    set("Label5", u("m", "ft"));
    set("Label10", "Lateral Load (Shear)");
    set("Edit4", tagged(m.LateralLoad, 4));
    set("Label11", u("KN", "kips"));
    set("Label12", "Moment Load");
    set("Edit5", tagged(m.MomentLoad, 5));
    set("Label13", u("KN.m", "kip-ft"));
    set("Label87", "Allow. Lat. Deflection");
    set("Edit22", tagged(m.AllowableDeflection, 50));
    set("Label88", u("mm", "in"));
    set("Label207", "Uplift Load");
    set("Edit78", tagged(m.UpliftLoad, 76));
    set("Label208", u("KN", "kips"));
    set("Label67", "Passive Wedge");
    set("Edit7", tagged(m.PassiveWedge, 34));
    set("Label71", "F.S. Side Friction");
    set("Edit14", tagged(m.FSSide, 48));
    set("Label52", "F.S. End Bearing");
    set("Edit17", tagged(m.FSEnd, 49));
    set("Label78", "Groundwater");
    set("Edit20", tagged(m.Groundwater, 45));
    set("Label81", u("m", "ft"));
    set("Label53", "O.C. Ratio");
    set("Edit18", tagged(m.OCR, 46));

    // pile properties
    set("Label32", "Pile && Soil Interface");
    TReportControl& interfaces = set("ComboBox3", "");
    interfaces.Items = { "Rough Concrete", "Smooth Concrete", "Rough Steel", "Smooth Steel", "Timber" };
    interfaces.Text = interfaces.Items[static_cast<std::size_t>(m.Interface)];
    set("Label72", "Pile Type");
    set("ComboBox4", "Small Displacement");
    set("Label82", "Shape");
    set("ComboBox5", m.Shape == psCircle ? "Circle" : "Square");
    set("ComboBox18", "I/H Shape").Visible = false;
    set("Label6", "Width/Diameter");
    set("Edit2", tagged(m.Width, 2));
    set("Label3", u("m", "ft"));
    set("Label8", "Mat. Strength (f'c)");
    set("Edit3", tagged(m.Fc, 3));
    set("Label7", u("MPa", "psi"));
    set("Label196", "Drying");
    set("ComboBox17", "Air").Visible = false;
    set("Label18", "Modulus of Elasticity (E)");
    set("Edit8", tagged(m.E, 31));
    set("Label64", u("MPa", "ksi"));
    set("Label14", "Cross Section Area");
    set("Edit6", tagged(m.Area, 30));
    // One unit caption with its exponent in a label of its own, one written with a caret.
    set("Label15", u("m", "in"));
    set("Label16", "2");
    set("Label63", "Moment of Inertia (I)");
    set("Edit12", tagged(m.I, 33));
    set("Label65", u("m", "in"));
    set("Label68", "4");
    set("Label73", "Pile Perimeter");
    set("Edit15", tagged(m.Perimeter, 43));
    set("Label74", u("m", "ft"));
    set("Label75", "Tip Area");
    set("Edit16", tagged(m.TipArea, 44));
    set("Label76", u("m^2", "ft^2"));
    set("CheckBox1", "Static Analysis").Checked = m.StaticAnalysis;
    set("CheckBox2", "Cyclic Analysis").Checked = m.CyclicAnalysis;

    // layer block
    set("Label24", "  Geotechnical Properties");
    set("Label28", "#");
    set("Label29", "Material Type");
    set("Label30", "USCS");
    set("Label33", "Consistency");
    set("Label36", "Kp");

    // structural tabs and the steel results
    const bool steelI = m.StructuralDesign && m.UsesIShape();
    const bool steelPipe = m.StructuralDesign && m.UsesPipeSection();
    set("TabSheet4", "Structural Design").Visible = steelI;
    set("TabSheet5", "Structural Design").Visible = steelPipe;
    set("TabSheet6", "Structural Design").Visible = m.StructuralDesign && m.IsConcreteNow();
    set("TabSheet7", "Structural Design").Visible = m.StructuralDesign && m.IsTimber();
    set("pnlResSteel", "").Visible = steelI || steelPipe;

    // result lines
    const std::string len = u("m", "ft"), defl = u("mm", "in"), mom = u("KN.m", "k-ft"),
                      force = u("KN", "kips");
    char line[256];
    Extended v = 0;
    int k = m.MaxDeflectionNode(v);
    std::snprintf(line, sizeof line, "Maximum Deflection is %s %s at %s %s", fixed(v, 2).c_str(),
        defl.c_str(), fixed(k > 0 ? m.Node(k).Depth : 0, 2).c_str(), len.c_str());
    TReportControl& l43 = set("Label43", line);
    if (v > m.AllowableDeflection) {
        l43.Text += " (> " + fixed(m.AllowableDeflection, 1) + " " + defl + ")";
        l43.Red = true;
    }
    k = m.MaxMomentNode(v);
    std::snprintf(line, sizeof line, "Maximum Moment is %s %s at %s %s", fixed(v, 2).c_str(), mom.c_str(),
        fixed(k > 0 ? m.Node(k).Depth : 0, 2).c_str(), len.c_str());
    set("Label44", line);
    k = m.MaxShearNode(v);
    std::snprintf(line, sizeof line, "Maximum Shear is %s %s at %s %s", fixed(v, 2).c_str(), force.c_str(),
        fixed(k > 0 ? m.Node(k).Depth : 0, 2).c_str(), len.c_str());
    set("Label66", line);
    std::snprintf(line, sizeof line, "Pile Tip Movement is %s %s at the bottom (%s %s)",
        fixed(m.Node(kNodeCount).Deflection, 2).c_str(), defl.c_str(),
        fixed(m.Node(kNodeCount).Depth, 2).c_str(), len.c_str());
    set("Label55", line);
    const Extended capacity = m.Node(kNodeCount).Capacity;
    TReportControl& l80 = set("Label80", "Downward Capacity is " + fixed(capacity, 1) + " " + force);
    if (capacity < m.DownwardLoad) {
        l80.Text += " (< " + fixed(m.DownwardLoad, 1) + " " + force + ")";
        l80.Red = true;
    }
    set("Label201", "Negative Skin Friction is " + fixed(m.TotalNSF, 2) + " " + force);
    TReportControl& l205 = set("Label205", "Uplift Capacity is " + fixed(m.UpliftCapacity, 1) + " " + force);
    if (m.UpliftCapacity < m.UpliftLoad) {
        l205.Text += " (< " + fixed(m.UpliftLoad, 1) + " " + force + ")";
        l205.Red = true;
    }
    set("Label206", "Pile Movement is " + fixed(m.Node(kNodeCount).Settlement, 2) + " " + defl);

    // structural design tabs
    set("Label89", "Shapes");
    set("ComboBox6", "W/HP Shapes");
    set("Label96", "Member Type");
    set("ComboBox7", "Pile");
    set("Label101", "Beam Size");
    set("ComboBox8", m.IShape.Name);
    set("Label97", "Downward Load, P");
    set("Edit34", tagged(m.SteelInput.P, 51));
    set("Label98", force);
    set("Label90", "Moment Load, Mx");
    set("Edit23", tagged(m.SteelInput.Mx, 52));
    set("Label91", mom);
    set("Label92", "Moment Load, My");
    set("Edit32", tagged(m.SteelInput.My, 52));
    set("Label93", mom);
    set("Label94", "Yield Strength, Fy");
    set("Edit33", tagged(m.SteelInput.Fy, 53));
    set("Label95", u("MPa", "ksi"));
    set("Label99", "Effective Length, Kx");
    set("Edit35", tagged(m.SteelInput.Kx, 54));
    set("Label102", "Effective Length, Ky");
    set("Edit36", tagged(m.SteelInput.Ky, 54));
    set("Label104", "Unbraced Length, Lx");
    set("Edit37", tagged(m.SteelInput.Lx, 55));
    set("Label105", len);
    set("Label106", "Unbraced Length, Ly");
    set("Edit38", tagged(m.SteelInput.Ly, 55));
    set("Label107", len);
    set("Label108", "Unbraced Length, Lb");
    set("Edit39", tagged(m.SteelInput.Lb, 55));
    set("Label109", len);
    set("Label110", "Stress Bend. Coeff, Cb");
    set("Edit40", tagged(m.SteelInput.Cb, 56));
    set("Label112", "X-axis Bend. Coeff, Cmx");
    set("Edit41", tagged(m.SteelInput.Cmx, 57));

    set("Label100", "Shapes");
    set("ComboBox9", "HSS/Pipe");
    set("Label117", "Member Type");
    set("ComboBox10", "Pile");
    set("Label120", "Beam Size");
    set("ComboBox11", m.PipeShape.Name);
    set("CheckBox3", "Concrete Filled").Checked = m.SteelInput.ConcreteFilled;
    set("Label115", "Yield Strength, Fy");
    set("Edit44", tagged(m.SteelInput.Fy, 53));
    set("Label116", u("MPa", "ksi"));
    set("Label119", "Effective Length, K");
    set("Edit46", tagged(m.SteelInput.Kx, 54));
    set("Label122", "Unbraced Length, L");
    set("Edit48", tagged(m.SteelInput.Lx, 55));
    set("Label123", len);
    set("Label129", "X-axis Bend. Coeff, Cmx");
    set("Edit52", tagged(m.SteelInput.Cmx, 57));
    set("Label130", "Downward Load, P");
    set("Edit45", tagged(m.SteelInput.P, 51));
    set("Label118", force);
    set("Label128", "Conc. Compr. Str, F'c");
    set("Edit51", tagged(m.SteelInput.Fc, 77));
    set("Label218", u("MPa", "ksi"));
    set("Label103", "Moment Load, Mr");
    set("Edit42", tagged(m.SteelInput.Mx, 52));
    set("Label111", mom);

    set("Label127", "Rebar Type");
    set("ComboBox12", "US Rebar");
    set("Label147", "Tie/Spiral Spacing");
    set("Label131", "Steel Yield Str.");
    set("Edit53", tagged(m.Fy, 61));
    set("Label132", u("MPa", "ksi"));
    set("Label134", "Calculated");
    set("Edit55", tagged(m.SpacingLimit, 69));
    set("Label135", u("mm", "in"));
    set("Label133", "Steel Mod. of Elast.");
    set("Edit54", tagged(m.Es, 62));
    set("Label138", u("MPa", "ksi"));
    set("Label136", "Override");
    set("Edit56", tagged(m.SpacingOverride, 64));
    set("Label137", u("mm", "in"));
    set("Label142", "Vertical Rebar Sizes");
    set("ComboBox14", m.BarName(m.BarSize));
    set("Label159", "Bar Dia.");
    set("Label143", "Number of Bars");
    set("Edit59", tagged(m.BarCount, 60));
    set("Label139", "Tie or Spiral");
    set("ComboBox13", m.TieType == kTieTypeSpiral ? "Spiral" : "Tie");
    set("Label140", "Reinforcement");
    set("Edit57", tagged(m.SteelPercent, 70));
    set("Label141", "%");
    set("Label146", "Lat. Reinf. Bar Size");
    set("ComboBox15", m.BarName(m.TieBarSize));
    set("Label158", "Tie Dia.");
    set("Label144", "Clear Cover");
    set("Edit58", tagged(m.Cover, 63));
    set("Label145", u("mm", "in"));

    set("Label151", "Load Duration Factor");
    set("Edit61", tagged(m.TimberInput.CD, 71));
    set("Label190", "Adjustment Factors");
    set("Label154", "Reference Design Values Parallel to Grain");
    set("Label184", "Size Factor for Fb");
    set("Edit68", tagged(m.TimberResult.CF, 75));
    set("Label171", "Bending");
    set("Edit62", tagged(m.TimberInput.Fb, 72));
    set("Label172", u("MPa", "psi"));
    set("Label186", "Wet Service Factor for Fc");
    set("Edit69", tagged(m.TimberResult.Cwet, 75));
    set("Label173", "Shear");
    set("Edit63", tagged(m.TimberInput.Fv, 73));
    set("Label174", u("MPa", "psi"));
    set("Label188", "Condition Treatment (round only)");
    set("Edit70", tagged(m.TimberResult.Cct, 75));
    set("Label175", "Compression");
    set("Edit64", tagged(m.TimberInput.Fc, 74));
    set("Label176", u("MPa", "psi"));
    set("Label194", "Analysis");
    set("Label197", "Adjusted");
    set("Label198", "Actual");
    set("Label183", "Member Sections");
    set("Label185", "Bending Stress");
    set("Edit71", tagged(m.TimberResult.FbPrime, 75));
    set("Edit75", tagged(m.TimberResult.fb, 75));
    set("Label187", u("MPa", "psi"));
    set("Label177", "Depth");
    set("Edit65", tagged(m.TimberResult.d, 2));
    set("Label178", u("mm", "in"));
    set("Label189", "Shear Parallel to Grain");
    set("Edit72", tagged(m.TimberResult.FvPrime, 75));
    set("Edit76", tagged(m.TimberResult.fv, 75));
    set("Label191", u("MPa", "psi"));
    set("Label179", "Breadth");
    set("Edit66", tagged(m.TimberResult.b, 2));
    set("Label180", u("mm", "in"));
    set("Label192", "Compression Parallel to Grain");
    set("Edit73", tagged(m.TimberResult.FcPrime, 75));
    set("Edit77", tagged(m.TimberResult.fc, 75));
    set("Label193", u("MPa", "psi"));
    set("Label181", "Section Modulus");
    set("Edit67", tagged(m.TimberResult.S, 75));
    set("Label182", u("mm^3", "in^3"));
    set("Label195", "Combined Bending and Axial Compr.");
    set("Edit74", tagged(m.TimberResult.CombinedRatio, 75)).Red = m.TimberResult.CombinedRatio >= 0.999;

    set("Label113", "Axial Load - P util.");
    set("Edit43", fixed(m.SteelResult.PRatio, 3));
    set("Image5", "").Tag = m.SteelResult.PRatio >= 0.999 ? 1 : 0;
    set("Label121", "Moment Load Mx util.");
    set("Edit47", fixed(m.SteelResult.MxRatio, 3));
    set("Image6", "").Tag = m.SteelResult.MxRatio >= 0.999 ? 1 : 0;
    set("Label125", "Moment Load My util.").Visible = steelI;
    set("Edit49", fixed(m.SteelResult.MyRatio, 3));
    set("Image7", "").Tag = m.SteelResult.MyRatio >= 0.999 ? 1 : 0;
    set("Label126", "Combined Util. Ratio");
    set("Edit50", fixed(m.CombinedRatio, 3));
    set("Image8", "").Tag = m.CombinedRatio >= 0.999 ? 1 : 0;
    return t;
}

} // namespace reporttest
