#include "report/lpreport.h"

#include "imaging/jpeggraphic.h"
#include "model/fieldlimits.h"
#include "model/globals.h"
#include "model/lpclasses.h"
#include "platform/core/stream.h"
#include "platform/qt/numberformat.h"
#include "platform/qt/picturecanvas.h"
#include "platform/qt/report.h"

#include <QImage>

#include <cmath>
#include <cstring>
#include <exception>
#include <stdexcept>

namespace {

constexpr quint32 kRed = 255;
constexpr quint32 kBlack = 0;
const QString kFont = QStringLiteral("Arial");

QString q(const std::string& text)
{
    return QString::fromStdString(text);
}

// Numbers are printed as the window shows them, with the locale's decimal separator.
QString fixed(Extended value, int decimals)
{
    return q(FormatFixed(value, decimals, LocaleNumberFormat()));
}

// Fixed point with the decimals of a field-limit row; "N.A." for an undefined value.
QString byTag(Extended value, int tag)
{
    return fixed(value, FieldLimitOf(tag).Decimals);
}

// Up to 15 significant digits without trailing zeros.
QString general(Extended value)
{
    return q(FormatGeneral(value, LocaleNumberFormat()));
}

QString dateText(const TReportDate& date)
{
    static const char* const months[] = { "January", "February", "March", "April", "May", "June", "July",
        "August", "September", "October", "November", "December" };
    if (date.Month < 1 || date.Month > 12)
        return {};
    return QStringLiteral("%1 %2, %3")
        .arg(QLatin1String(months[date.Month - 1]))
        .arg(date.Day, 2, 10, QLatin1Char('0'))
        .arg(date.Year, 4, 10, QLatin1Char('0'));
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string trimmed(const std::string& text)
{
    return q(text).trimmed().toStdString();
}

// The value column of a printed line: the value and its unit. The unit's part after "^" is taken
// out of it into the exponent, which prints raised after the column, unless the line has an
// exponent of its own.
QString valueColumn(const std::string& value, std::string& units, std::string& exponent)
{
    if (exponent.empty()) {
        const std::size_t caret = units.find('^');
        if (caret != std::string::npos) {
            exponent = units.substr(caret + 1);
            units.resize(caret);
        }
    }
    return q(units.empty() ? value : value + " " + units);
}

} // namespace

TLPReport::TLPReport(const TLPData& data, TReportTexts texts)
    : m_data(data)
    , m_texts(std::move(texts))
{
}

void TLPReport::Attach(platform::TReportSystem& system)
{
    system.OnPrint = [this](platform::TBaseReport& r) { Print(r); };
    system.OnPrintFooter = [this](platform::TBaseReport& r) { PrintFooter(r); };
    system.OnDecodeImage = &TLPReport::DecodeImage;
}

// ---- row printers ---------------------------------------------------------------------------

void TLPReport::PrintLine(
    const std::string& caption, const std::string& value, std::string units, std::string exponent, bool red)
{
    platform::TBaseReport& r = *m_report;
    const QString valueText = valueColumn(value, units, exponent);
    r.PrintInNextTab(q(replaceAll(caption, "&&", "&")));
    const quint32 saved = r.GetFontColor();
    if (red)
        r.SetFontColor(kRed);
    r.SetBold(true);
    r.PrintInNextTab(valueText);
    r.SetSuperscript(true);
    r.PrintText(q(exponent));
    r.SetSuperscript(false);
    r.SetBold(false);
    if (red)
        r.SetFontColor(saved);
}

QString TLPReport::ValueText(const char* value, const char* units) const
{
    std::string unit = units ? m_texts.Text(units) : std::string();
    std::string exponent;
    return valueColumn(m_texts.Text(value), unit, exponent);
}

double TLPReport::ColumnWidth(double designed, const QStringList& texts, bool bold)
{
    // A little room between a column's text and the next column's.
    constexpr double kGap = 0.08;
    m_report->SetBold(bold);
    double width = designed;
    for (const QString& text : texts)
        width = std::max(width, m_report->TextWidth(text) + kGap);
    m_report->SetBold(false);
    return width;
}

void TLPReport::PrintLabelValue(
    const char* caption, const char* value, const char* units, const char* exponent, bool red)
{
    PrintLine(m_texts.Text(caption), m_texts.Text(value), units ? m_texts.Text(units) : std::string(),
        exponent ? m_texts.Text(exponent) : std::string(), red);
}

void TLPReport::PrintPair(const char* caption, const char* combo)
{
    PrintLine(m_texts.Text(caption), m_texts.Text(combo), {}, {}, false);
}

void TLPReport::PrintEmptyPair()
{
    m_report->PrintInNextTab({});
    m_report->PrintInNextTab({});
}

void TLPReport::Heading(const QString& text)
{
    m_report->SelectFont(kFont, 12);
    m_report->SetBold(true);
    m_report->PrintText(text);
}

void TLPReport::BodyFont(double size)
{
    m_report->SelectFont(kFont, size);
}

void TLPReport::SetAllMargins(double value)
{
    m_report->SetMarginLeft(value);
    m_report->SetMarginRight(value);
    m_report->SetMarginTop(value);
    m_report->SetMarginBottom(value);
}

// ---- the body -------------------------------------------------------------------------------

void TLPReport::Print(platform::TBaseReport& report)
{
    m_report = &report;
    SetAllMargins(1.0);
    PrintTitleBlock();
    PrintLoading();
    PrintPileProperties();
    PrintLayerTable();
    if (m_data.CustomLayerCount() > 0)
        PrintSpecificPileParameters();
    PrintResults();
    PrintProfilePicture();
    if (m_data.StructuralDesign)
        PrintStructuralDesign();
    PrintVerticalTable();
    PrintVerticalCharts();
    PrintLateralTable();
    PrintLateralCharts();
    PrintReferences();
}

void TLPReport::PrintTitleBlock()
{
    platform::TBaseReport& r = *m_report;
    r.SelectFont(kFont, 16);
    r.SetBold(true);
    r.PrintCenteredAt(QStringLiteral("Fendrix Analysis"), 4.0);
    r.AdvanceLine();
    m_logoTop = r.GetCursorY();
    r.AdvanceLine();
    r.ClearTabStops();

    BodyFont();
    // The logo stands beside the five lines of the block, whatever lines the values take.
    m_logoBottom = r.GetCursorY() + 5 * r.GetLineHeight();
    const bool logo = m_data.Logo && !m_data.Logo->GetEmpty();
    double logoLeft = r.GetPageWidth() - r.MarginRight();
    if (logo) {
        // The logo keeps the shape of its box on screen; without one, its own.
        const TReportControl& box = m_texts["Logo"];
        const double aspect = box.Width > 0 && box.Height > 0
            ? double(box.Width) / box.Height
            : double(m_data.Logo->GetWidth()) / m_data.Logo->GetHeight();
        logoLeft = r.GetPageWidth() - r.MarginLeft() - (m_logoBottom - m_logoTop) * aspect;
    }
    // A value takes the room up to the logo (or the margin) and goes on below when that is not
    // enough: none is cut.
    constexpr double kValueLeft = 2.0;
    constexpr double kGapBeforeLogo = 0.1;
    const double valueWidth = logoLeft - (logo ? kGapBeforeLogo : 0) - kValueLeft;
    r.AddTabStop(1.0, platform::pjLeft, 1.0, 0, 0, 0);
    r.AddTabStop(kValueLeft, platform::pjLeft, valueWidth, 0, 0, 0);
    const auto line = [&](const char* label, const QString& value) {
        r.PrintInNextTab(q(m_texts.Text(label)) + QStringLiteral(": "));
        r.SetBold(true);
        const QStringList lines = r.WrapToWidth(value, valueWidth);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0) {
                r.AdvanceLine();
                r.PrintInNextTab({});
            }
            r.PrintInNextTab(lines[i]);
        }
        r.SetBold(false);
        r.AdvanceLine();
    };
    line("Label21", q(m_texts.Text("Edit10")));
    line("Label61", q(m_texts.Text("Edit31")));
    line("Label19", q(m_texts.Text("Edit9")));
    line("Label22", q(m_texts.Text("Edit11")));
    line("Label20", dateText(m_texts.Date));
    r.AdvanceLine();
    r.ClearTabStops();

    if (logo) {
        platform::TMemoryStream stream;
        m_data.Logo->SaveToStream(stream);
        stream.SetPosition(0);
        const QByteArray bytes(
            reinterpret_cast<const char*>(stream.Memory()), static_cast<qsizetype>(stream.Size()));
        r.DrawImageStreamInRect(logoLeft, m_logoTop, r.GetPageWidth() - r.MarginLeft(), m_logoBottom, bytes,
            QStringLiteral("JPG"));
    }
}

void TLPReport::PrintLoading()
{
    platform::TBaseReport& r = *m_report;
    Heading(q(trimmed(m_texts.Text("TabSheet1"))));
    BodyFont();
    r.AdvanceLine();
    r.AddTabStop(1.0, platform::pjLeft, 1.5, 0, 0, 0);
    r.AddTabStop(2.5, platform::pjRight, 1.2, 0, 0, 0);
    r.AddTabStop(4.0, platform::pjLeft, 1.6, 0, 0, 0);
    r.AddTabStop(5.6, platform::pjRight, 1.2, 0, 0, 0);

    PrintPair("Label2", "ComboBox1");
    PrintLabelValue("Label67", "Edit7");
    r.AdvanceLine();
    PrintPair("Label9", "ComboBox2");
    PrintLabelValue("Label71", "Edit14");
    r.AdvanceLine();
    PrintLabelValue("Label69", "Edit13", "Label70");
    PrintLabelValue("Label52", "Edit17");
    r.AdvanceLine();
    PrintLabelValue("Label4", "Edit1", "Label5");
    PrintLabelValue("Label78", "Edit20", "Label81");
    r.AdvanceLine();
    PrintLabelValue("Label10", "Edit4", "Label11");
    PrintLabelValue("Label53", "Edit18");
    r.AdvanceLine();
    PrintLabelValue("Label12", "Edit5", "Label13");
    r.AdvanceLine();
    PrintLabelValue("Label87", "Edit22", "Label88");
    r.AdvanceLine();
    PrintLabelValue("Label207", "Edit78", "Label208");
    r.AdvanceLine();
    r.AdvanceLine();
}

void TLPReport::PrintPileProperties()
{
    platform::TBaseReport& r = *m_report;
    Heading(q(trimmed(m_texts.Text("TabSheet2"))));
    BodyFont();
    r.AdvanceLine();

    PrintPair("Label32", "ComboBox3");
    PrintLabelValue("Label14", "Edit6", "Label15", "Label16");
    r.AdvanceLine();
    PrintPair("Label72", "ComboBox4");
    PrintLabelValue("Label73", "Edit15", "Label74");
    r.AdvanceLine();
    PrintPair("Label82", m_texts.Visible("ComboBox5") ? "ComboBox5" : "ComboBox18");
    PrintLabelValue("Label75", "Edit16", "Label76", "Label79");
    r.AdvanceLine();
    PrintLabelValue("Label6", "Edit2", "Label3");
    if (m_texts.Visible("Edit3"))
        PrintLabelValue("Label8", "Edit3", "Label7");
    else
        PrintEmptyPair();
    r.AdvanceLine();
    if (m_texts.Visible("ComboBox17"))
        PrintPair("Label196", "ComboBox17");
    else
        PrintLine("Drying", "N/A", {}, {}, false);
    PrintLabelValue("Label18", "Edit8", "Label64");
    r.AdvanceLine();
    PrintLine(m_texts.Text("CheckBox1"), m_texts["CheckBox1"].Checked ? "Yes" : "No", {}, {}, false);
    PrintLabelValue("Label63", "Edit12", "Label65", "Label68");
    r.AdvanceLine();
    PrintLine(m_texts.Text("CheckBox2"), m_texts["CheckBox2"].Checked ? "Yes" : "No", {}, {}, false);
    r.AdvanceLine();
    r.AdvanceLine();
    r.ClearTabStops();
}

void TLPReport::PrintLayerTable()
{
    platform::TBaseReport& r = *m_report;
    const bool si = m_data.Units == kUnitsSI;
    Heading(q(trimmed(m_texts.Text("Label24"))));
    BodyFont(9);
    r.AdvanceLine();

    const double widths[] = { 0.15, 1.2, 0.6, 0.6, 0.45, 0.9, 0.7, 0.3, 0.4, 0.7, 0.5, 0.3 };
    r.AddTabStop(1.0, platform::pjCenter, widths[0], 0, 0, 0);
    for (std::size_t i = 1; i < std::size(widths); ++i)
        r.AddTabStop(platform::kTabAfterPrevious, platform::pjCenter, widths[i], 0, 0, 0);

    r.SetBold(true);
    for (const QString& cell :
        { q(m_texts.Text("Label28")), q(m_texts.Text("Label29")), q(m_texts.Text("Label30")),
            QStringLiteral("Layer"), QStringLiteral("SPT"), q(m_texts.Text("Label33")),
            QStringLiteral("Lat. S.G,"), q(m_texts.Text("Label36")), QStringLiteral("F.S."),
            QStringLiteral("Cohesion,"), QStringLiteral("Gamma,"), QStringLiteral("NSF") })
        r.PrintInNextTab(cell);
    r.AdvanceLine();

    const auto cubed = [&](const QString& unit) {
        r.PrintInNextTab(unit);
        r.SetSuperscript(true);
        r.PrintText(QStringLiteral("3"));
        r.SetSuperscript(false);
    };
    for (int i = 0; i < 3; ++i)
        r.PrintInNextTab({});
    r.PrintInNextTab(si ? QStringLiteral("Thick, m") : QStringLiteral("Thick, ft"));
    r.PrintInNextTab(QStringLiteral("Field N"));
    r.PrintInNextTab({});
    if (si)
        cubed(QStringLiteral("KN/m"));
    else
        r.PrintInNextTab(QStringLiteral("kcf"));
    r.PrintInNextTab({});
    r.PrintInNextTab(QStringLiteral("on Kp"));
    r.PrintInNextTab(si ? QStringLiteral("KPa") : QStringLiteral("ksf"));
    if (si)
        cubed(QStringLiteral("KN/m"));
    else
        r.PrintInNextTab(QStringLiteral("pcf"));
    r.SetBold(false);
    r.AdvanceLine();

    for (int i = 0; i < m_data.Layers.Count(); ++i) {
        const TLayer& layer = *m_data.Layers[i];
        r.PrintInNextTab(QString::number(i + 1));
        r.PrintInNextTab(q(EnumToDisplayText(TLayerEnum::MaterialType, layer.MatType)));
        r.PrintInNextTab(q(EnumToDisplayText(TLayerEnum::USCS, layer.USCS)));
        r.PrintInNextTab(byTag(layer.Thickness, 9));
        r.PrintInNextTab(fixed(layer.SPTFieldN, 0));
        r.PrintInNextTab(q(EnumToDisplayText(TLayerEnum::Consistency, layer.Consistency)));
        r.PrintInNextTab(byTag(layer.SGReactTop, 10));
        r.PrintText(QStringLiteral("-"));
        r.PrintInNextTab(byTag(layer.Kp, 26));
        r.PrintInNextTab(byTag(layer.FSonKp, 27));
        r.PrintInNextTab(byTag(layer.Cohesion, 25));
        r.PrintInNextTab(byTag(layer.Gamma, 28));
        r.PrintInNextTab(layer.NSF ? QStringLiteral("Yes") : QStringLiteral("No"));
        r.AdvanceLine();

        for (int c = 0; c < 3; ++c)
            r.PrintInNextTab({});
        r.PrintInNextTab(general(layer.Top()) + QStringLiteral(" - ") + general(layer.Bottom()));
        r.PrintInNextTab({});
        r.PrintInNextTab({});
        r.PrintInNextTab(byTag(layer.SGReactBottom, 10));
        r.PrintInNextTab({});
        r.PrintInNextTab({});
        r.AdvanceLine();
    }
    r.AdvanceLine();
    r.AdvanceLine();
    r.ClearTabStops();
}

void TLPReport::PrintSpecificPileParameters()
{
    platform::TBaseReport& r = *m_report;
    const bool si = m_data.Units == kUnitsSI;
    Heading(QStringLiteral("Specific Pile Parameters"));
    BodyFont();
    r.AdvanceLine();
    r.AdvanceLine();

    r.AddTabStop(1.0, platform::pjLeft, 0.2, 0, 0, 0);
    for (double x = 1.2; x < 6.3; x += 1.0)
        r.AddTabStop(x, platform::pjCenter, 1.0, 0, 0, 0);

    const auto raised = [&](const QString& text, const QString& exponent) {
        r.PrintInNextTab(text);
        r.SetSuperscript(true);
        r.PrintText(exponent);
        r.SetSuperscript(false);
    };
    r.SetBold(true);
    r.PrintInNextTab(QStringLiteral("#"));
    r.PrintInNextTab(QStringLiteral("Material"));
    r.PrintInNextTab(si ? QStringLiteral("Width/DIA, m") : QStringLiteral("Width/DIA, ft"));
    raised(si ? QStringLiteral("Area, m") : QStringLiteral("Area, in"), QStringLiteral("2"));
    r.PrintInNextTab(si ? QStringLiteral("f'c, MPa") : QStringLiteral("f'c, psi"));
    r.PrintInNextTab(si ? QStringLiteral("E, MPa") : QStringLiteral("E, ksi"));
    raised(si ? QStringLiteral("I, m") : QStringLiteral("I, in"), QStringLiteral("4"));
    r.SetBold(false);
    r.AdvanceLine();

    const std::vector<std::string>& interfaces = m_texts["ComboBox3"].Items;
    for (int i = 0; i < m_data.Layers.Count(); ++i) {
        const TLayer& layer = *m_data.Layers[i];
        if (layer.UsePileDefaults)
            continue;
        const int index = layer.PileInterface();
        r.PrintInNextTab(QString::number(i + 1));
        r.PrintInNextTab(index >= 0 && index < static_cast<int>(interfaces.size())
                ? q(interfaces[static_cast<std::size_t>(index)])
                : QString());
        r.PrintInNextTab(byTag(layer.PileWidth(), 2));
        r.PrintInNextTab(byTag(layer.PileArea(), 30));
        r.PrintInNextTab(m_data.IsConcrete(index) ? byTag(layer.PileFc(), 3) : QStringLiteral("N/A"));
        r.PrintInNextTab(byTag(layer.PileE(), 31));
        r.PrintInNextTab(byTag(layer.PileI(), 32));
        r.AdvanceLine();
    }
    r.AdvanceLine();
    r.AdvanceLine();
}

void TLPReport::PrintResults()
{
    platform::TBaseReport& r = *m_report;
    r.ClearTabStops();
    if (r.LinesRemaining() < 8) {
        SetAllMargins(0.5);
        r.StartNewPage();
        m_resultsBreak = true;
    } else {
        m_resultsBreak = false;
    }
    Heading(QStringLiteral("Results"));
    BodyFont();
    r.AdvanceLine();

    const bool steel = m_texts.Visible("pnlResSteel");
    if (steel) {
        r.AddTabStop(1.0, platform::pjLeft, 1.5, 0, 0, 0);
        r.AddTabStop(platform::kTabAfterPrevious, platform::pjRight, 1.0, 0, 0, 0);
        r.AddTabStop(4.0, platform::pjLeft, 4.0, 0, 0, 0);
    } else {
        r.AddTabStop(1.0, platform::pjLeft, 0, 0, 0, 0);
        r.AddTabStop(platform::kTabAfterPrevious, platform::pjRight, 0, 0, 0, 0);
        r.AddTabStop(1.0, platform::pjLeft, 4.0, 0, 0, 0);
    }

    struct Line {
        const char* caption;
        const char* value;
        const char* image;
        const char* result;
        bool redAsOnScreen;
    };
    const Line lines[] = {
        { "Label113", "Edit43", "Image5", "Label43", true },
        { "Label121", "Edit47", "Image6", "Label44", false },
        { "Label125", "Edit49", "Image7", "Label66", false },
        { "Label126", "Edit50", "Image8", "Label55", false },
        { nullptr, nullptr, nullptr, "Label80", true },
        { nullptr, nullptr, nullptr, "Label201", false },
        { nullptr, nullptr, nullptr, "Label205", true },
        { nullptr, nullptr, nullptr, "Label206", false },
    };
    for (const Line& line : lines) {
        const bool shown = steel && line.caption && m_texts.Visible(line.caption);
        if (shown)
            PrintLabelValue(line.caption, line.value, nullptr, nullptr, m_texts[line.image].Tag == 1);
        else
            PrintEmptyPair();
        r.SetBold(true);
        if (line.redAsOnScreen && m_texts[line.result].Red)
            r.SetFontColor(kRed);
        r.PrintInNextTab(q(m_texts.Text(line.result)));
        r.SetFontColor(kBlack);
        r.SetBold(false);
        if (&line == &lines[std::size(lines) - 1])
            r.ClearTabStops();
        r.AdvanceLine();
    }
}

void TLPReport::PrintProfilePicture()
{
    platform::TBaseReport& r = *m_report;
    if (!m_resultsBreak) {
        SetAllMargins(0.5);
        r.StartNewPage();
    } else {
        r.AdvanceLine();
    }
    const double ppi = ScreenPixelsPerInch;
    const int height = static_cast<int>(RoundHalfEven((r.GetPageHeight() / 2 - r.MarginTop()) * 3 * ppi));
    const int width
        = static_cast<int>(RoundHalfEven((r.GetPageWidth() - r.MarginLeft() - r.MarginRight()) * 3 * ppi));
    m_pictureBottom = PlacePicture(
        0, width, height, r.MarginLeft(), r.GetPageWidth() - r.MarginRight(), r.GetCursorY() + 0.2);
}

void TLPReport::PrintReferences()
{
    platform::TBaseReport& r = *m_report;
    SetAllMargins(1.0);
    r.StartNewPage();
    Heading(QStringLiteral("References:"));
    r.AdvanceLine();
    r.AdvanceLine();
    r.ClearTabStops();
    r.AddTabStop(r.MarginLeft(), platform::pjRight, 0.2, 0, 0, 0);
    r.AddTabStop(r.MarginLeft() + 0.3, platform::pjLeft, r.GetPageWidth() - r.MarginRight(), 0, 0, 0);
    BodyFont();

    std::string version;
    try {
        version = GetAppVersionString();
    } catch (const std::exception&) {
        // A program without its version block still prints its report.
    }
    const QString entries[] = {
        QStringLiteral("\"Steel Construction Manual\", 15th Edition, AISC, 2017"),
        QStringLiteral("\"ACI 318-14 Building Code Requirements for Structural Concrete\", ACI, 2014"),
        QStringLiteral("\"2018 International Building Code\", ICC, 2018"),
        QStringLiteral("\"Foundation Analysis and Design\", 5th Edition, 1996"),
        QStringLiteral("\"Foundation Settlement Analysis - Practice VS Research\", 2000"),
        QStringLiteral("\"Formulas for Stress and Strain\", 7th Edition, 2002"),
        QStringLiteral("\"Engineering Design in Geotechnics\", 2nd Edition, 2013"),
        QStringLiteral("\"Pile Design & Construction\", 5th Edition, 2007"),
        QStringLiteral("\"Foundation Design: Principles & Practices\", 3rd Edition, 2015"),
        QStringLiteral("\"Tall Building Foundation Design\", 1st Edition, 2017"),
        QStringLiteral("\"Steel H Piles\", Handbook 2196, Bethlehem Steel, 1965"),
        QStringLiteral("\"Fendrix Professional v%1\", Braxholm, %2").arg(q(version), WebSiteText()),
    };
    int number = 0;
    for (const QString& entry : entries) {
        r.PrintInNextTab(QStringLiteral("%1.").arg(++number));
        r.PrintInNextTab(entry);
        r.AdvanceLine();
        r.AdvanceLine();
    }
}

// ---- footer and pictures --------------------------------------------------------------------

QString TLPReport::WebSiteText()
{
    QString site = QStringLiteral(FENDRIX_HOME_PAGE);
    for (const char* scheme : { "https://", "http://" })
        if (site.startsWith(QLatin1String(scheme)))
            site.remove(0, static_cast<int>(std::strlen(scheme)));
    while (site.endsWith(QLatin1Char('/')))
        site.chop(1);
    return site;
}

QString TLPReport::FooterTitle(const std::string& applicationTitle, const std::string& version)
{
    std::string title = applicationTitle;
    const std::size_t at = title.find("Braxholm ");
    if (at != std::string::npos)
        title.erase(at, 9);
    return q(title + " v" + version);
}

void TLPReport::PrintFooter(platform::TBaseReport& r)
{
    r.SelectFont(kFont, 9);
    const double savedBottom = r.MarginBottom();
    const double savedLeft = r.MarginLeft();
    r.SetMarginBottom(0.4);
    r.SetMarginLeft(0.5);
    r.SetMarginRight(0.5);
    const double y = r.GetPageHeight() - r.MarginBottom() - r.GetLineHeight();
    r.MovePenTo(r.GetSectionLeft(), y);
    r.DrawLineTo(r.GetSectionRight(), y);
    r.PrintAligned(QStringLiteral("  ") + WebSiteText(), platform::pjLeft);
    r.PrintAligned(QString::number(r.CurrentPage()) + QStringLiteral("  "), platform::pjRight);
    std::string version;
    try {
        version = GetAppVersionString();
    } catch (const std::exception&) {
        // Without a version block the footer still names the program.
    }
    r.SetBold(true);
    r.PrintAligned(FooterTitle(m_texts.ApplicationTitle, version), platform::pjCenter);
    r.SetBold(false);
    r.SetMarginBottom(savedBottom);
    r.SetMarginLeft(savedLeft);
    r.SetMarginRight(savedLeft);
}

void TLPReport::DecodeImage(const QByteArray& stream, const QString& type, QImage& bitmap)
{
    try {
        if (type == QLatin1String("JPG")) {
            platform::TMemoryStream input;
            input.WriteBuffer(stream.constData(), stream.size());
            input.SetPosition(0);
            TJpegGraphic jpeg;
            jpeg.LoadFromStream(input);
            bitmap = platform::DibToQImage(jpeg.BitmapInfo(), jpeg.Bits());
        } else if (type == QLatin1String("BMP")) {
            QImage image;
            if (!image.loadFromData(stream, "BMP"))
                return;
            // The drawing's corner colour (white, from its border) is its transparent colour.
            image = image.convertToFormat(QImage::Format_ARGB32);
            const QRgb transparent = image.pixel(0, 0);
            for (int y = 0; y < image.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
                for (int x = 0; x < image.width(); ++x)
                    if (line[x] == transparent)
                        line[x] = qRgba(0, 0, 0, 0);
            }
            bitmap = image;
        }
    } catch (const std::exception&) {
        // A picture that cannot be read leaves its place empty; the rest of the page prints.
    }
}

// ---- entry points ---------------------------------------------------------------------------

void PreviewReport(const TLPData& data, const TReportTexts& texts, QWidget* parent)
{
    TLPReport report(data, texts);
    platform::TReportSystem system;
    report.Attach(system);
    system.Preview(parent);
}

int SaveReportToPdf(const TLPData& data, const TReportTexts& texts, const QString& fileName)
{
    TLPReport report(data, texts);
    platform::TReportSystem system;
    report.Attach(system);
    system.SaveToPdf(fileName);
    return static_cast<int>(system.Pages().size());
}
