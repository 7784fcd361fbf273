// The printed report of the demo projects from the texts of the real window: its pages, the texts
// it copies and formats, the page footer, the pictures, and the PDF it writes.
#include "windowtexts.h"

#include "imaging/jpeggraphic.h"
#include "model/globals.h"
#include "platform/qt/controls.h"
#include "platform/qt/report.h"
#include "report/lpreport.h"
#include "results/tables.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cmath>
#include <limits>

using platform::TBaseReport;
using platform::TReportItem;
using platform::TReportPage;
using platform::TReportSystem;

namespace {

const char* const kEnglishDemo = "ENGLISH UNITS DEMO EXAMPLE.fdx";
const char* const kSIDemo = "SI UNITS DEMO EXAMPLE.fdx";

std::unique_ptr<TLPData> demo(const char* name)
{
    auto m = std::make_unique<TLPData>();
    m->LoadFromFile(std::string(FENDRIX_DEMO_EXAMPLE_DIR) + "/" + name);
    m->Organization = "Harbour Works Ltd";
    m->ProjectName = "Pier 4 Fender Pile";
    m->JobNumber = "J-2024-117";
    m->DesignBy = "A. Engineer";
    m->Calculate();
    return m;
}

struct Generated {
    std::vector<TReportPage> pages;
};

Generated generate(TLPData& m, const TReportTexts& texts)
{
    TLPReport report(m, texts);
    report.ScreenPixelsPerInch = 48; // the drawings' size does not matter to these checks
    TReportSystem system;
    report.Attach(system);
    system.Generate();
    return { system.Pages() };
}

const TReportItem* findText(const TReportPage& page, const QString& text)
{
    for (const TReportItem& item : page.Items)
        if (item.What == TReportItem::Kind::Text && item.Text == text)
            return &item;
    return nullptr;
}

// The page (0-based) that holds a text, or -1.
int pageOf(const Generated& g, const QString& text)
{
    for (std::size_t i = 0; i < g.pages.size(); ++i)
        if (findText(g.pages[i], text))
            return static_cast<int>(i);
    return -1;
}

// The text items of one printed line (same baseline), left to right.
std::vector<const TReportItem*> lineItems(const TReportPage& page, double baseline)
{
    std::vector<const TReportItem*> items;
    for (const TReportItem& item : page.Items)
        if (item.What == TReportItem::Kind::Text && std::abs(item.Y1 - baseline) < 1e-6)
            items.push_back(&item);
    std::sort(items.begin(), items.end(), [](auto* a, auto* b) { return a->X1 < b->X1; });
    return items;
}

QStringList lineAt(const TReportPage& page, double baseline)
{
    QStringList out;
    for (auto* item : lineItems(page, baseline))
        out << item->Text;
    return out;
}

// The text item of a table's first column (left of 1.2 in) that reads `text`.
const TReportItem* firstCell(const TReportPage& page, const QString& text)
{
    const TReportItem* found = nullptr;
    for (const TReportItem& item : page.Items)
        if (item.What == TReportItem::Kind::Text && item.Text == text && item.X1 < 1.2)
            found = &item;
    return found;
}

// How many texts `raised` stand within 0.1 in above the baseline of `base`, right of its start.
int raisedAbove(const TReportPage& page, const TReportItem& base, const QString& raised)
{
    int n = 0;
    for (const TReportItem& item : page.Items)
        n += item.What == TReportItem::Kind::Text && item.Text == raised && item.Y1 < base.Y1
            && item.Y1 > base.Y1 - 0.1 && item.X1 > base.X1 && item.FontSize < 9;
    return n;
}

// The first baseline below y (superscripts, set smaller, are not lines of their own).
double nextBaseline(const TReportPage& page, double y)
{
    double next = 100;
    for (const TReportItem& item : page.Items)
        if (item.What == TReportItem::Kind::Text && item.FontSize >= 9 && item.Y1 > y + 1e-6
            && item.Y1 < next)
            next = item.Y1;
    return next;
}

std::vector<const TReportItem*> items(const Generated& g, TReportItem::Kind kind, int page)
{
    std::vector<const TReportItem*> out;
    for (const TReportItem& item : g.pages.at(static_cast<std::size_t>(page)).Items)
        if (item.What == kind)
            out.push_back(&item);
    return out;
}

QString runTool(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(120000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

// Writes the report and pictures of some of its pages into the folder FENDRIX_REPORT_PNG names,
// for a look at the pages; nothing without it.
void keepPages(const TLPData& m, const TReportTexts& texts, const QString& name, int first, int last)
{
    const QString keep = qEnvironmentVariable("FENDRIX_REPORT_PNG");
    if (keep.isEmpty())
        return;
    QDir().mkpath(keep);
    const QString file = keep + QLatin1Char('/') + name + QStringLiteral(".pdf");
    SaveReportToPdf(m, texts, file);
    QProcess::execute(QStringLiteral("pdftoppm"),
        { QStringLiteral("-r"), QStringLiteral("60"), QStringLiteral("-f"), QString::number(first),
            QStringLiteral("-l"), QString::number(last), QStringLiteral("-png"), file,
            keep + QLatin1Char('/') + name });
}

} // namespace

class LPReportTest : public QObject {
    Q_OBJECT
private slots:
    // Texts are compared with ".": the cases of another locale set it themselves.
    void initTestCase()
    {
        InitializeJpegUnit();
        QLocale::setDefault(QLocale::c());
    }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void demoReportAsPdfHoldsEverySection()
    {
        auto m = demo(kEnglishDemo);
        const TReportTexts texts = reporttest::WindowTexts(m);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("demo.pdf"));
        const int pages = SaveReportToPdf(*m, texts, file);
        // Inputs, profile, concrete design, vertical table and charts, lateral table and charts,
        // references.
        QCOMPARE(pages, 8);
        const QString info = runTool(QStringLiteral("pdfinfo"), { file });
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+8\\b"))), qPrintable(info));

        const QString text
            = runTool(QStringLiteral("pdftotext"), { QStringLiteral("-layout"), file, QStringLiteral("-") });
        QStringList byPage = text.split(QLatin1Char('\f'));
        QVERIFY(byPage.size() >= pages);
        const QString version = q(GetAppVersionString());
        QVERIFY(!version.isEmpty());
        for (int i = 0; i < pages; ++i) {
            const QString& p = byPage[i];
            QVERIFY2(
                p.contains(QStringLiteral("Fendrix Professional v") + version), qPrintable(p.right(300)));
            QVERIFY(!p.contains(QStringLiteral("Braxholm Fendrix")));
            QVERIFY(p.contains(TLPReport::WebSiteText()));
            QVERIFY(p.contains(QRegularExpression(QStringLiteral("\\b%1\\s*$").arg(i + 1))));
        }
        const QString& first = byPage[0];
        for (const char* expected :
            { "Fendrix Analysis", "Organization:", "Harbour Works Ltd", "Pier 4 Fender Pile", "J-2024-117",
                "A. Engineer", "March 07, 2024", "Loading", "Pile Properties", "Pile & Soil Interface",
                "Geotechnical Properties", "Material Type", "Results" })
            QVERIFY2(first.contains(QLatin1String(expected)), expected);
        QVERIFY(!first.contains(QStringLiteral("&&")));
        // The result lines as the window shows them.
        for (const char* label :
            { "Label43", "Label44", "Label66", "Label55", "Label80", "Label201", "Label205", "Label206" })
            QVERIFY2(first.contains(q(texts.Text(label))), qPrintable(q(texts.Text(label))));
        // Pile length with its unit and the lateral load with its field's decimals.
        QVERIFY(first.contains(q(texts.Text("Edit1")) + QStringLiteral(" ft")));
        QVERIFY(first.contains(q(FormatFieldValue(4, m->LateralLoad, false)) + QStringLiteral(" kips")));

        QVERIFY(byPage[2].contains(QStringLiteral("Structural Design - Concrete")));
        QVERIFY(byPage[3].contains(QStringLiteral("Vertical Table")));
        QVERIFY(byPage[3].contains(QStringLiteral("Negative Skin Friction")));
        QVERIFY(byPage[4].contains(QStringLiteral("Vertical Charts")));
        QVERIFY(byPage[5].contains(QStringLiteral("Lateral Table")));
        QVERIFY(byPage[6].contains(QStringLiteral("Lateral Charts")));
        QVERIFY(byPage[7].contains(QStringLiteral("References:")));
        QVERIFY(byPage[7].contains(QStringLiteral("12.")));
        QVERIFY(
            byPage[7].contains(QStringLiteral("\"Fendrix Professional v") + version + QStringLiteral("\"")));

        keepPages(*m, texts, QStringLiteral("demo"), 1, pages);
    }

    void layerTableFormatsEachLayer()
    {
        // Every number of the table, the depth ranges too, with the separator of the locale.
        const struct {
            const char* name;
            bool german;
        } cases[] = { { kEnglishDemo, false }, { kSIDemo, false }, { kEnglishDemo, true } };
        for (const auto& [name, german] : cases) {
            const TNumberFormat format = german ? TNumberFormat { ",", "." } : TNumberFormat {};
            QLocale::setDefault(german ? QLocale(QLocale::German, QLocale::Germany) : QLocale::c());
            const auto text
                = [&](Extended value, int decimals) { return q(FormatFixed(value, decimals, format)); };
            auto m = demo(name);
            const bool si = m->Units == kUnitsSI;
            if (german) { // a depth with a fraction
                m->Layers[0]->Thickness += 0.25L;
                m->Layers[1]->Thickness -= 0.25L;
            }
            const TReportTexts texts = reporttest::WindowTexts(m);
            // The window never shows an unknown cohesion; a stored one prints as such.
            m->Layers[1]->Cohesion = std::numeric_limits<Extended>::quiet_NaN();
            const Generated g = generate(*m, texts);
            keepPages(*m, texts,
                si           ? QStringLiteral("si")
                    : german ? QStringLiteral("german")
                             : QStringLiteral("english"),
                1, 1);
            const TReportPage& page = g.pages.at(0);
            // The result lines as the window shows them, with its separator.
            for (const char* label :
                { "Label43", "Label44", "Label66", "Label55", "Label80", "Label201", "Label205", "Label206" })
                QVERIFY2(findText(page, q(texts.Text(label))), qPrintable(q(texts.Text(label))));
            for (int i = 0; i < m->Layers.Count(); ++i) {
                const TLayer& layer = *m->Layers[i];
                // The first line of the layer: its number is the first cell.
                const TReportItem* number = firstCell(page, QString::number(i + 1));
                QVERIFY(number && number->FontSize == 9);
                const QStringList first = lineAt(page, number->Y1);
                const QStringList expected
                    = { QString::number(i + 1), q(EnumToDisplayText(TLayerEnum::MaterialType, layer.MatType)),
                          q(EnumToDisplayText(TLayerEnum::USCS, layer.USCS)),
                          text(layer.Thickness, si ? 3 : 1), text(layer.SPTFieldN, 0),
                          q(EnumToDisplayText(TLayerEnum::Consistency, layer.Consistency)),
                          text(layer.SGReactTop, 1), QStringLiteral("-"), text(layer.Kp, 2),
                          text(layer.FSonKp, 2), i == 1 ? QStringLiteral("N.A.") : text(layer.Cohesion, 2),
                          text(layer.Gamma, 1), layer.NSF ? QStringLiteral("Yes") : QStringLiteral("No") };
                QCOMPARE(first, expected);
                const QStringList second = lineAt(page, nextBaseline(page, number->Y1));
                const auto general = [&](Extended value) {
                    return QString::number(double(value), 'g', 15)
                        .replace(QLatin1Char('.'), q(format.DecimalSeparator));
                };
                QCOMPARE(second,
                    QStringList({ general(layer.Top()) + QStringLiteral(" - ") + general(layer.Bottom()),
                        text(layer.SGReactBottom, 1) }));
            }
            // The unit headings: SI writes the cube as a raised "3".
            if (si) {
                const TReportItem* unit = findText(page, QStringLiteral("KN/m"));
                QVERIFY(unit);
                const QStringList heading = lineAt(page, unit->Y1);
                QVERIFY(heading.contains(QStringLiteral("Thick, m")));
                QCOMPARE(heading.count(QStringLiteral("KN/m")), 2);
                const TReportItem* firstUnit = lineItems(page, unit->Y1).front();
                QCOMPARE(raisedAbove(page, *firstUnit, QStringLiteral("3")), 2);
            } else {
                const TReportItem* unit = findText(page, QStringLiteral("kcf"));
                QVERIFY(unit);
                QCOMPARE(lineAt(page, unit->Y1),
                    QStringList(
                        { QStringLiteral("Thick, ft"), QStringLiteral("Field N"), QStringLiteral("kcf"),
                            QStringLiteral("on Kp"), QStringLiteral("ksf"), QStringLiteral("pcf") }));
            }
        }
    }

    void rowPrintersSplitExponentsAndColourOnlyTheValue()
    {
        auto m = demo(kEnglishDemo);
        TReportTexts texts = reporttest::WindowTexts(m);
        // A steel pile whose axial check fails, with the steel panel shown.
        texts.Set("pnlResSteel", "").Visible = true;
        texts.Set("Edit43", "1.204");
        texts.Controls["Image5"].Tag = 1;
        texts.Controls["Label43"].Red = true;
        texts.Controls["Label44"].Red = true; // red on screen, but this line never prints red
        const Generated g = generate(*m, texts);
        const TReportPage& page = g.pages.at(0);

        // "Pile && Soil Interface" prints with one ampersand.
        QVERIFY(findText(page, QStringLiteral("Pile & Soil Interface")));
        QVERIFY(!findText(page, QStringLiteral("Pile && Soil Interface")));
        // Exponent from its own label, and from a caret in the units caption.
        for (const auto& [edit, unit] : { std::pair { "Edit6", "in" }, { "Edit16", "ft" } }) {
            const TReportItem* value
                = findText(page, q(texts.Text(edit)) + QStringLiteral(" ") + QLatin1String(unit));
            QVERIFY2(value, edit);
            QVERIFY(value->Bold);
            const QStringList line = lineAt(page, value->Y1);
            QVERIFY(!line.join(QLatin1Char('|')).contains(QLatin1Char('^')));
            QVERIFY2(raisedAbove(page, *value, QStringLiteral("2")) > 0, edit);
        }
        const TReportItem* caption = findText(page, QStringLiteral("Axial Load - P util."));
        const TReportItem* value = findText(page, QStringLiteral("1.204"));
        QVERIFY(caption && value);
        QCOMPARE(caption->Color, QColor(Qt::black));
        QVERIFY(!caption->Bold);
        QCOMPARE(value->Color, QColor(255, 0, 0));
        QVERIFY(value->Bold);
        QCOMPARE(findText(page, q(texts.Text("Label43")))->Color, QColor(255, 0, 0));
        QCOMPARE(findText(page, q(texts.Text("Label44")))->Color, QColor(Qt::black));
        QCOMPARE(findText(page, q(texts.Text("Edit47")))->Color, QColor(Qt::black));
        QCOMPARE(findText(page, q(texts.Text("Label66")))->Color, QColor(Qt::black));
        // The result lines begin where the steel values end.
        QCOMPARE(findText(page, q(texts.Text("Label43")))->X1, 4.0);

        // Without the steel panel the result lines start at 1 in and no utilisation prints.
        texts.Controls["pnlResSteel"].Visible = false;
        const Generated plain = generate(*m, texts);
        QCOMPARE(findText(plain.pages[0], q(texts.Text("Label43")))->X1, 1.0);
        QVERIFY(!findText(plain.pages[0], QStringLiteral("1.204")));
        QVERIFY(!findText(plain.pages[0], QStringLiteral("Axial Load - P util.")));
    }

    void footerDropsTheCompanyWordOnce()
    {
        for (const auto& [title, footer] :
            { std::pair { "Braxholm Fendrix Professional", "Fendrix Professional" },
                { "Fendrix Professional", "Fendrix Professional" },
                { "braxholm Fendrix", "braxholm Fendrix" },
                { "Braxholm Braxholm Fendrix", "Braxholm Fendrix" },
                { "Fendrix by Braxholm ", "Fendrix by " }, { "BraxholmFendrix", "BraxholmFendrix" } })
            QCOMPARE(
                TLPReport::FooterTitle(title, "1.2.3"), QLatin1String(footer) + QStringLiteral(" v1.2.3"));

        // On the pages: a title without the company word prints whole; margins come back.
        auto m = demo(kEnglishDemo);
        TReportTexts texts = reporttest::WindowTexts(m);
        texts.ApplicationTitle = "Pile Studio";
        TLPReport report(*m, texts);
        TBaseReport r(8.5, 11);
        r.SetMarginLeft(1.0);
        r.SetMarginRight(1.0); // the report keeps the two equal
        r.SetMarginBottom(0.5);
        r.SetMarginTop(0.4);
        report.PrintFooter(r);
        QCOMPARE(QList<double>({ r.MarginLeft(), r.MarginRight(), r.MarginBottom(), r.MarginTop() }),
            QList<double>({ 1.0, 1.0, 0.5, 0.4 }));

        const Generated g = generate(*m, texts);
        const QString title = QStringLiteral("Pile Studio v") + q(GetAppVersionString());
        for (std::size_t i = 0; i < g.pages.size(); ++i) {
            const TReportItem* footer = findText(g.pages[i], title);
            QVERIFY(footer);
            QVERIFY(footer->Bold);
            const TReportItem* number = findText(g.pages[i], QStringLiteral("%1  ").arg(i + 1));
            QVERIFY(number);
            QCOMPARE(number->Y1, footer->Y1);
            // The rule across the page above the footer line, inside the 0.5 in margins.
            bool rule = false;
            for (const TReportItem& item : g.pages[i].Items)
                if (item.What == TReportItem::Kind::Line && std::abs(item.X1 - 0.5) < 1e-9
                    && std::abs(item.X2 - 8.0) < 1e-9 && item.Y1 < footer->Y1 && item.Y1 > footer->Y1 - 0.3)
                    rule = true;
            QVERIFY(rule);
        }
    }

    // The drawings are sized for 96 pixels per inch whatever the display: CTest also runs this
    // on a 192-DPI screen (report_lpreport_highdpi).
    void picturesIgnoreTheScreenResolution()
    {
        if (qEnvironmentVariable("QT_QPA_PLATFORM").contains(QLatin1String("dpi192")))
            QCOMPARE(QGuiApplication::primaryScreen()->logicalDotsPerInch(), 192.0);
        auto m = demo(kEnglishDemo);
        TLPReport report(*m, reporttest::WindowTexts(m));
        TReportSystem system;
        report.Attach(system);
        system.Generate();
        const Generated g { system.Pages() };
        QImage profile;
        const TReportItem* item = items(g, TReportItem::Kind::ImageStream, 1).at(0);
        TLPReport::DecodeImage(item->Stream, item->ImageType, profile);
        // Three times the printable width and half the page less its margin, at 96 per inch.
        QCOMPARE(profile.size(), QSize(int((8.5 - 2 * 0.5) * 3 * 96), int((11.0 / 2 - 0.5) * 3 * 96)));
        QImage section;
        const TReportItem* concrete = items(g, TReportItem::Kind::ImageStream, 2).at(0);
        TLPReport::DecodeImage(concrete->Stream, concrete->ImageType, section);
        QCOMPARE(section.height(), int((11.0 / 2 - 0.5) * 2 * 96));
    }

    void pagesBreakAsTheBodyNeeds()
    {
        auto m = demo(kEnglishDemo);
        // Few layers: Results stay on the first page, the profile begins the second.
        Generated g = generate(*m, reporttest::WindowTexts(m));
        QCOMPARE(pageOf(g, QStringLiteral("Results")), 0);
        QCOMPARE(items(g, TReportItem::Kind::ImageStream, 1).size(), std::size_t(1)); // the profile
        QVERIFY(!findText(g.pages[1], QStringLiteral("Structural Design - Concrete")));
        QCOMPARE(pageOf(g, QStringLiteral("Structural Design - Concrete")), 2);
        QCOMPARE(pageOf(g, QStringLiteral("Specific Pile Parameters")), -1);
        const TReportItem* profile = items(g, TReportItem::Kind::ImageStream, 1)[0];
        QCOMPARE(profile->ImageType, QStringLiteral("BMP"));
        QVERIFY(profile->X1 >= 0.5 - 1e-9 && profile->X2 <= 8.0 + 1e-9);
        QVERIFY(profile->Y2 <= 11 - 1.0 + 1e-9);

        // Layers of their own pile: the steel one prints its interface and no f'c.
        m->Layers[1]->UsePileDefaults = false;
        m->Layers[1]->OwnInterface = piRoughSteel;
        m->Layers[2]->UsePileDefaults = false;
        m->Layers[2]->OwnInterface = piSmoothConcrete;
        m->Calculate();
        g = generate(*m, reporttest::WindowTexts(m));
        QCOMPARE(pageOf(g, QStringLiteral("Specific Pile Parameters")), 0);
        const TReportItem* steel = findText(g.pages[0], QStringLiteral("Rough Steel"));
        QVERIFY(steel);
        QCOMPARE(lineAt(g.pages[0], steel->Y1).mid(2),
            QStringList({ q(FormatFixed(m->Layers[1]->PileWidth(), 2)),
                q(FormatFixed(m->Layers[1]->PileArea(), 2)), QStringLiteral("N/A"),
                q(FormatFixed(m->Layers[1]->PileE(), 0)), q(FormatFixed(m->Layers[1]->PileI(), 1)) }));
        // "Smooth Concrete" is wider than its inch-wide column and is cut to it.
        const TReportItem* concrete = nullptr;
        for (const TReportItem& item : g.pages[0].Items)
            if (item.What == TReportItem::Kind::Text && item.Text.startsWith(QStringLiteral("Smooth Conc")))
                concrete = &item;
        QVERIFY(concrete);
        QVERIFY(QStringLiteral("Smooth Concrete").startsWith(concrete->Text));
        QVERIFY(lineAt(g.pages[0], concrete->Y1).contains(q(FormatFixed(m->Layers[2]->PileFc(), 0))));

        // More layers push Results down. With fewer than 8 lines left Results begin a page of
        // 0.5 in margins, and the profile follows on that page; otherwise the profile begins one.
        int breaks = 0;
        while (m->Layers.Count() < 13) {
            TLayer* layer = m->Layers.AddLayer();
            layer->MatType = lpmtGranularSoil;
            layer->Thickness = 2;
            m->Calculate();
            g = generate(*m, reporttest::WindowTexts(m));
            const int results = pageOf(g, QStringLiteral("Results"));
            const TReportItem* heading
                = findText(g.pages[static_cast<std::size_t>(results)], QStringLiteral("Results"));
            const auto onResultsPage = items(g, TReportItem::Kind::ImageStream, results);
            if (heading->X1 == 0.5) {
                ++breaks;
                QCOMPARE(onResultsPage.size(), std::size_t(1));
                QVERIFY(onResultsPage[0]->Y1 > heading->Y1);
                QVERIFY(heading->Y1 < 1.0); // at the top of its page
            } else {
                QCOMPARE(heading->X1, 1.0);
                QVERIFY(onResultsPage.empty());
                QCOMPARE(items(g, TReportItem::Kind::ImageStream, results + 1).size(), std::size_t(1));
            }
        }
        QVERIFY(breaks > 0);

        // Without structural design the profile page is followed by the vertical table.
        m = demo(kEnglishDemo);
        m->StructuralDesign = false;
        m->Calculate();
        g = generate(*m, reporttest::WindowTexts(m));
        QCOMPARE(pageOf(g, QStringLiteral("Vertical Table")), 2);
        QCOMPARE(static_cast<int>(g.pages.size()), 7);
    }

    void structuralDesignOfEachMaterial_data()
    {
        QTest::addColumn<int>("pileInterface");
        QTest::addColumn<int>("shape");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("I/H steel") << int(piRoughSteel) << int(psSquare)
                                   << QStringLiteral("Rectangular Steel")
                                   << QStringList { QStringLiteral("For Axial Compression:"),
                                          QStringLiteral("For X-axis Bending:"),
                                          QStringLiteral("For Y-axis Bending:"), QStringLiteral("Kx*Lx/ry"),
                                          QStringLiteral("Myutil"),
                                          QStringLiteral("Combined Utilization Ratio"),
                                          QStringLiteral("Beam Size") };
        QTest::newRow("pipe") << int(piSmoothSteel) << int(psCircle) << QStringLiteral("Round Steel")
                              << QStringList { QStringLiteral("For Axial Compression:"),
                                     QStringLiteral("For X-axis Bending:"), QStringLiteral("Mn/omega"),
                                     QStringLiteral("Combined Utilization Ratio"),
                                     QStringLiteral("Concrete Filled") };
        QTest::newRow("round concrete")
            << int(piRoughConcrete) << int(psCircle) << QStringLiteral("Concrete")
            << QStringList { QStringLiteral("Vertical Rebar Sizes"), QStringLiteral("Clear Cover") };
    }

    void structuralDesignOfEachMaterial()
    {
        QFETCH(int, pileInterface);
        QFETCH(int, shape);
        QFETCH(QString, heading);
        QFETCH(QStringList, expected);
        auto m = demo(kEnglishDemo);
        m->Interface = static_cast<TPileInterface>(pileInterface);
        m->Shape = static_cast<TPileShape>(shape);
        m->SelectSection(3);
        m->Calculate();
        const TReportTexts texts = reporttest::WindowTexts(m);
        const Generated g = generate(*m, texts);
        QCOMPARE(static_cast<int>(g.pages.size()), 8);
        QCOMPARE(pageOf(g, QStringLiteral("Structural Design - ") + heading), 2);
        for (const QString& text : expected)
            QVERIFY2(pageOf(g, text) == 2, qPrintable(text));
        // The section drawing below the inputs; concrete adds the interaction diagram beside it.
        const auto drawings = items(g, TReportItem::Kind::ImageStream, 2);
        QCOMPARE(drawings.size(), std::size_t(1));
        QCOMPARE(drawings[0]->ImageType, QStringLiteral("BMP"));
        QVERIFY(drawings[0]->Y2 <= 11 - 1.0 + 1e-9);
        const auto charts = items(g, TReportItem::Kind::Bitmap, 2);
        QCOMPARE(charts.size(), heading == QStringLiteral("Concrete") ? std::size_t(1) : std::size_t(0));
        if (!charts.empty()) {
            QVERIFY(drawings[0]->X2 <= 8.5 / 2 + 1e-9);
            QVERIFY(charts[0]->X1 >= 8.5 / 2);
            QCOMPARE(charts[0]->X2, 8.0);
            QCOMPARE(charts[0]->Y1, drawings[0]->Y1);
        }
        // The steel check values come from the result table, one line per row pair.
        if (heading.endsWith(QStringLiteral("Steel"))) {
            const TReportItem* combined = findText(g.pages[2], QStringLiteral("Combined Utilization Ratio"));
            QCOMPARE(lineAt(g.pages[2], combined->Y1),
                QStringList(
                    { QStringLiteral("Combined Utilization Ratio"), q(FormatFixed(m->CombinedRatio, 3)) }));
        }
        keepPages(*m, texts, heading.split(QLatin1Char(' ')).first(), 3, 3);
    }

    // No caption or value of the structural design block is cut short by its column, whatever
    // the material and the unit system: a printed text that is only the beginning of a text the
    // block prints from (a window text, a value with its unit, a steel check row) was cut.
    void designBlockKeepsWholeTexts()
    {
        const struct {
            TPileInterface face;
            TPileShape shape;
            const char* heading;
        } materials[]
            = { { piRoughSteel, psSquare, "Rectangular Steel" }, { piSmoothSteel, psCircle, "Round Steel" },
                  { piRoughConcrete, psSquare, "Concrete" }, { piTimber, psCircle, "Timber" } };
        QStringList cut;
        for (const char* file : { kEnglishDemo, kSIDemo })
            for (const auto& material : materials) {
                auto m = demo(file);
                m->Interface = material.face;
                m->Shape = material.shape;
                m->SelectSection(3);
                m->Calculate();
                const TReportTexts texts = reporttest::WindowTexts(m);
                const Generated g = generate(*m, texts);
                const QString heading
                    = QStringLiteral("Structural Design - ") + QLatin1String(material.heading);
                const int page = pageOf(g, heading);
                QVERIFY2(page >= 0, qPrintable(heading));
                QStringList whole;
                for (const auto& [name, control] : texts.Controls) {
                    whole << q(control.Text);
                    for (const auto& [unitName, unit] : texts.Controls)
                        if (!unit.Text.empty())
                            whole << q(control.Text + " " + unit.Text.substr(0, unit.Text.find('^')));
                }
                TfrmTable table(nullptr, m->Units == kUnitsSI ? 1 : 0);
                table.FillSteelCheckTable(*m);
                for (int row = 0; row < table.RowCount(); ++row)
                    whole << table.ItemCaption(row) << table.SubItem(row, 1);
                const double top = findText(g.pages[std::size_t(page)], heading)->Y1;
                for (const TReportItem& item : g.pages[std::size_t(page)].Items) {
                    // Raised unit parts and the footer below the bottom margin are not the block's.
                    if (item.What != TReportItem::Kind::Text || item.Y1 < top || item.Y1 > 11 - 1.0
                        || item.FontSize < 9 || whole.contains(item.Text))
                        continue;
                    for (const QString& text : whole)
                        // A word of two letters ("No") is an answer of its own, not a cut text.
                        if (text.startsWith(item.Text) && item.Text.trimmed().size() > 2) {
                            cut << QStringLiteral("%1 %2: \"%3\" of \"%4\"")
                                       .arg(QLatin1String(file), QLatin1String(material.heading), item.Text,
                                           text);
                            break;
                        }
                }
                keepPages(*m, texts,
                    QString::fromLatin1(material.heading).split(QLatin1Char(' ')).first()
                        + (m->Units == kUnitsSI ? QStringLiteral("-si") : QStringLiteral("-us")),
                    page + 1, page + 1);
            }
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1Char('\n'))));
    }

    void previewOpensModallyAndDrawsThePages()
    {
        auto m = demo(kSIDemo);
        bool seen = false;
        QTimer::singleShot(0, [&] {
            // The preview window is modal; close it once it has drawn.
            QWidget* dialog = QApplication::activeModalWidget();
            seen = dialog != nullptr;
            if (dialog)
                dialog->close();
        });
        PreviewReport(*m, reporttest::WindowTexts(m), nullptr);
        QVERIFY(seen);
    }

    void timberDesignContinuesBelowTheProfile()
    {
        auto m = demo(kEnglishDemo);
        m->Interface = piTimber;
        m->Shape = psCircle;
        m->Calculate();
        TReportTexts texts = reporttest::WindowTexts(m);
        QVERIFY(texts.Visible("TabSheet7"));
        const Generated g = generate(*m, texts);
        const int page = pageOf(g, QStringLiteral("Structural Design - Timber"));
        QCOMPARE(page, 1);
        const TReportItem* profile = items(g, TReportItem::Kind::ImageStream, 1).at(0);
        const TReportItem* heading = findText(g.pages[1], QStringLiteral("Structural Design - Timber"));
        QVERIFY(heading->Y1 > profile->Y2 + 0.5);
        QVERIFY(findText(g.pages[1], QStringLiteral("Reference Design Values Parallel to Grain")));
        // The analysis rows: caption plain, values and unit bold, beside the member sections.
        const TReportItem* bending = findText(g.pages[1], QStringLiteral("Bending Stress"));
        QVERIFY(bending);
        QCOMPARE(bending->X1, 3.4);
        QCOMPARE(lineAt(g.pages[1], bending->Y1).first(), QStringLiteral("Member Sections"));
        QCOMPARE(pageOf(g, QStringLiteral("Vertical Table")), 2);
        keepPages(*m, texts, QStringLiteral("timber"), 2, 2);
    }

    void lateralTableMarksOverloadedNodesRed()
    {
        auto m = demo(kEnglishDemo);
        const Generated g = generate(*m, reporttest::WindowTexts(m));
        const int page = pageOf(g, QStringLiteral("Lateral Table"));
        QVERIFY(page > 0);
        const TReportPage& p = g.pages[static_cast<std::size_t>(page)];
        QVERIFY(findText(p, QStringLiteral("Depth,")));
        QVERIFY(findText(p, QStringLiteral("Node #")));
        int checked = 0;
        int red = 0;
        for (int k = 1; k <= kNodeCount; ++k) {
            const TReportItem* number = firstCell(p, QString::number(k));
            QVERIFY(number);
            const auto cells = lineItems(p, number->Y1);
            QCOMPARE(cells.size(), std::size_t(8));
            const bool over = m->Node(k).AllowSoilPressure < m->Node(k).SoilPressure;
            for (std::size_t c = 0; c < cells.size(); ++c)
                QCOMPARE(cells[c]->Color, c >= 6 && over ? QColor(255, 0, 0) : QColor(Qt::black));
            red += over ? 1 : 0;
            ++checked;
        }
        QCOMPARE(checked, kNodeCount);
        QVERIFY(red > 0); // the demo pile overloads the soil near the head
    }

    void verticalTableHeadsWithUnitsOnly()
    {
        auto m = demo(kSIDemo);
        const Generated g = generate(*m, reporttest::WindowTexts(m));
        const int page = pageOf(g, QStringLiteral("Vertical Table"));
        const TReportPage& p = g.pages.at(static_cast<std::size_t>(page));
        const TReportItem* head = findText(p, QStringLiteral("Sigma' V"));
        QVERIFY(head);
        const QStringList units = lineAt(p, nextBaseline(p, head->Y1));
        QCOMPARE(units.first(), QStringLiteral("m"));
        QVERIFY(units.contains(QStringLiteral("deg")));
        // "KN/m^2" prints its square raised.
        QVERIFY(units.contains(QStringLiteral("KN/m")));
        QVERIFY(!units.join(QLatin1Char(' ')).contains(QLatin1Char('^')));
        QVERIFY(!units.join(QLatin1Char(' ')).contains(QLatin1Char(',')));
    }

    void titleBlockKeepsWholeValuesBesideTheLogo()
    {
        // Project texts as long as the file keeps them (255 characters), one a single word.
        const auto upTo255 = [](const QString& words) {
            QString text;
            while (text.size() + words.size() < 255)
                text += words;
            return (text + words).left(255).toStdString();
        };
        for (const bool withLogo : { false, true }) {
            auto m = demo(kEnglishDemo);
            m->Organization = upTo255(QStringLiteral("Harbour Works and Marine Structures "));
            m->ProjectName = upTo255(QStringLiteral("Pier 4 Fender Pile Replacement "));
            m->JobNumber = std::string(255, 'J');
            m->DesignBy = upTo255(QStringLiteral("Alexandra Engineer-Longname "));
            if (withLogo)
                m->LoadImageFromFile(std::string(FENDRIX_TEST_DATA) + "/jpeg/ycbcr_cjpeg.jpg");
            const TReportTexts texts = reporttest::WindowTexts(m);
            const Generated g = generate(*m, texts);
            const TReportPage& page = g.pages.at(0);
            const auto pictures = items(g, TReportItem::Kind::ImageStream, 0);
            QCOMPARE(pictures.size(), std::size_t(withLogo));
            double right = 8.5 - 1.0;
            if (withLogo) {
                const TReportItem* logo = pictures[0];
                QCOMPARE(logo->ImageType, QStringLiteral("JPG"));
                QCOMPARE(logo->X2, 8.5 - 1.0);
                const double box = double(texts["Logo"].Width) / texts["Logo"].Height;
                QVERIFY(std::abs((logo->X2 - logo->X1) / (logo->Y2 - logo->Y1) - box) < 1e-9);
                // From the title line down beside the block.
                const double organization = findText(page, QStringLiteral("Organization: "))->Y1;
                QVERIFY(logo->Y1 < organization && logo->Y2 > organization);
                QImage decoded;
                TLPReport::DecodeImage(logo->Stream, logo->ImageType, decoded);
                QCOMPARE(decoded.size(), QSize(m->Logo->GetWidth(), m->Logo->GetHeight()));
                right = logo->X1;
            }

            // Each value's lines, from its label's line down to the next label: together the whole
            // value, each line in the value column, left of the logo.
            const char* const fields[][2] = { { "Label21", "Edit10" }, { "Label61", "Edit31" },
                { "Label19", "Edit9" }, { "Label22", "Edit11" }, { "Label20", nullptr } };
            const double end = findText(page, QStringLiteral("Loading"))->Y1;
            TBaseReport measure(8.5, 11);
            for (std::size_t f = 0; f < std::size(fields); ++f) {
                const double top = findText(page, q(texts.Text(fields[f][0])) + QStringLiteral(": "))->Y1;
                const double bottom = f + 1 < std::size(fields)
                    ? findText(page, q(texts.Text(fields[f + 1][0])) + QStringLiteral(": "))->Y1
                    : end;
                QString shown;
                int lines = 0;
                for (const TReportItem& item : page.Items) {
                    if (item.What != TReportItem::Kind::Text || item.Y1 < top - 1e-6
                        || item.Y1 > bottom - 1e-6 || item.X1 < 1.5)
                        continue;
                    QVERIFY(item.Bold);
                    QCOMPARE(item.X1, 2.0);
                    measure.SelectFont(item.FontName, item.FontSize);
                    measure.SetBold(true);
                    QVERIFY2(item.X1 + measure.TextWidth(item.Text) <= right + 1e-9, qPrintable(item.Text));
                    shown += item.Text;
                    ++lines;
                }
                const QString value
                    = fields[f][1] ? q(texts.Text(fields[f][1])) : QStringLiteral("March 07, 2024");
                QCOMPARE(shown.remove(QLatin1Char(' ')), QString(value).remove(QLatin1Char(' ')));
                QVERIFY(lines > (fields[f][1] ? 2 : 0));
            }
            if (withLogo)
                keepPages(*m, texts, QStringLiteral("long-header"), 1, 1);
        }
    }

    void picturesDecodeOnlyByTheirExactType()
    {
        QImage drawing(20, 10, QImage::Format_RGB32);
        drawing.fill(Qt::white);
        drawing.setPixel(5, 5, qRgb(0, 0, 255));
        QByteArray bmp;
        QBuffer buffer(&bmp);
        buffer.open(QIODevice::WriteOnly);
        drawing.save(&buffer, "BMP");

        QImage bitmap;
        TLPReport::DecodeImage(bmp, QStringLiteral("BMP"), bitmap);
        QCOMPARE(bitmap.size(), QSize(20, 10));
        QCOMPARE(qAlpha(bitmap.pixel(0, 0)), 0); // white became transparent
        QCOMPARE(qAlpha(bitmap.pixel(15, 8)), 0);
        QCOMPARE(bitmap.pixel(5, 5), qRgba(0, 0, 255, 255));

        QFile jpegFile(QStringLiteral(FENDRIX_TEST_DATA "/jpeg/ycbcr_cjpeg.jpg"));
        QVERIFY(jpegFile.open(QIODevice::ReadOnly));
        const QByteArray jpeg = jpegFile.readAll();
        QImage photo;
        TLPReport::DecodeImage(jpeg, QStringLiteral("JPG"), photo);
        QVERIFY(!photo.isNull());

        for (const char* type : { "PNG", "jpg", "bmp", "" }) {
            QImage untouched;
            TLPReport::DecodeImage(type[0] == 'j' ? jpeg : bmp, QLatin1String(type), untouched);
            QVERIFY2(untouched.isNull(), type);
        }
        // A damaged stream leaves the bitmap as it was.
        QImage kept(3, 3, QImage::Format_RGB32);
        TLPReport::DecodeImage(jpeg.left(40), QStringLiteral("JPG"), kept);
        QCOMPARE(kept.size(), QSize(3, 3));
    }

    void collectsTextsFromAWindowByName()
    {
        QWidget window;
        auto* label = new QLabel(QStringLiteral("Pile Length"), &window);
        label->setObjectName(QStringLiteral("Label4"));
        auto* edit = new QLineEdit(QStringLiteral("60.00"), &window);
        edit->setObjectName(QStringLiteral("Edit1"));
        QPalette red = edit->palette();
        red.setColor(QPalette::Text, QColor(255, 0, 0));
        edit->setPalette(red);
        auto* combo = new QComboBox(&window);
        combo->setObjectName(QStringLiteral("ComboBox3"));
        combo->addItems({ QStringLiteral("Rough Concrete"), QStringLiteral("Timber") });
        combo->setCurrentIndex(1);
        auto* hidden = new QComboBox(&window);
        hidden->setObjectName(QStringLiteral("ComboBox5"));
        hidden->hide();
        auto* tabs = new QTabWidget(&window);
        auto* page1 = new QWidget;
        page1->setObjectName(QStringLiteral("TabSheet1"));
        auto* page7 = new QWidget;
        page7->setObjectName(QStringLiteral("TabSheet7"));
        tabs->addTab(page1, QStringLiteral(" Loading "));
        tabs->addTab(page7, QStringLiteral("Structural Design"));
        tabs->setTabVisible(1, false);
        auto* onPage = new QLabel(QStringLiteral("on the first page"), page1);
        onPage->setObjectName(QStringLiteral("Label2"));
        auto* check = new QCheckBox(QStringLiteral("Static Analysis"), &window);
        check->setObjectName(QStringLiteral("CheckBox1"));
        check->setChecked(true);
        auto* picker = new QDateEdit(QDate(2023, 11, 2), &window);
        picker->setObjectName(QStringLiteral("DateTimePicker1"));
        auto* image = new QLabel(&window);
        image->setObjectName(QStringLiteral("Image5"));
        platform::setControlTag(image, 1);

        const TReportTexts texts = CollectReportTexts(window);
        QCOMPARE(texts.Text("Label4"), std::string("Pile Length"));
        QCOMPARE(texts.Text("Edit1"), std::string("60.00"));
        QVERIFY(texts["Edit1"].Red);
        QVERIFY(!texts["Label4"].Red);
        QCOMPARE(texts.Text("ComboBox3"), std::string("Timber"));
        QCOMPARE(texts["ComboBox3"].Items, (std::vector<std::string> { "Rough Concrete", "Timber" }));
        QVERIFY(texts.Visible("ComboBox3"));
        QVERIFY(!texts.Visible("ComboBox5"));
        QCOMPARE(texts.Text("TabSheet1"), std::string(" Loading "));
        QVERIFY(texts.Visible("TabSheet1"));
        QVERIFY(!texts.Visible("TabSheet7"));
        QVERIFY(texts.Visible("Label2")); // its page not shown yet, the label itself is
        QVERIFY(texts["CheckBox1"].Checked);
        QCOMPARE(texts.Date.Year, 2023);
        QCOMPARE(texts.Date.Month, 11);
        QCOMPARE(texts.Date.Day, 2);
        QCOMPARE(texts["Image5"].Tag, platform::controlTag(image));
        // A control the window does not have reads as empty and hidden.
        QCOMPARE(texts.Text("Label999"), std::string());
        QVERIFY(!texts.Visible("Label999"));
    }
};

QTEST_MAIN(LPReportTest)
#include "lpreport_qtest.moc"
