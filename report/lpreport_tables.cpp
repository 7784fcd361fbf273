// The result tables and charts of the report, and the placing of drawings and charts on a page.
#include "report/lpreport.h"

#include "model/lpclasses.h"
#include "platform/qt/report.h"
#include "results/diagramdraw.h"
#include "results/graphs.h"
#include "results/tables.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <memory>

namespace {

constexpr quint32 kRed = 255;
constexpr quint32 kBlack = 0;
const QString kFont = QStringLiteral("Arial");

// The unit of a column caption "Name, unit": the part after the first comma and its blank.
QString unitOf(const QString& caption)
{
    const int comma = caption.indexOf(QLatin1Char(','));
    if (comma < 0)
        return {};
    QString unit = caption.mid(comma + 1);
    if (unit.startsWith(QLatin1Char(' ')))
        unit.remove(0, 1);
    return unit;
}

// The caption up to and including its first comma.
QString nameOf(const QString& caption)
{
    const int comma = caption.indexOf(QLatin1Char(','));
    return comma < 0 ? caption : caption.left(comma + 1);
}

// A heading cell whose text may carry a "^": what follows it is written raised after the cell.
void printRaisedInNextTab(platform::TBaseReport& r, const QString& text)
{
    const int caret = text.indexOf(QLatin1Char('^'));
    if (caret < 0) {
        r.PrintInNextTab(text);
        return;
    }
    r.PrintInNextTab(text.left(caret));
    r.SetSuperscript(true);
    r.PrintText(text.mid(caret + 1));
    r.SetSuperscript(false);
}

} // namespace

int TLPReport::UnitSelection() const
{
    const TReportControl& units = m_texts["ComboBox1"];
    const auto it = std::find(units.Items.begin(), units.Items.end(), units.Text);
    if (it != units.Items.end())
        return static_cast<int>(it - units.Items.begin());
    return m_data.Units == kUnitsSI ? 1 : 0;
}

void TLPReport::ClearLeftStrip(QImage& image)
{
    QPainter painter(&image);
    painter.fillRect(0, 0, std::min(2, image.width()), image.height(), Qt::white);
}

double TLPReport::PlacePicture(int kind, int width, int height, double x1, double x2, double y1)
{
    platform::TBaseReport& r = *m_report;
    if (width <= 0 || height <= 0)
        return y1;
    QImage bitmap(width, height, QImage::Format_RGB32);
    bitmap.fill(Qt::white);
    TDiagramDraw::DrawToBitmap(bitmap, m_data, static_cast<TDiagramKind>(kind));
    if (bitmap.isNull() || bitmap.width() == 0 || bitmap.height() == 0)
        return y1;
    {
        // A white frame makes white the drawing's transparent colour on the page.
        QPainter painter(&bitmap);
        painter.setPen(QPen(Qt::white, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(0, 0, bitmap.width() - 1, bitmap.height() - 1);
    }
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        bitmap.save(&buffer, "BMP");
    }
    const double room = x2 - x1;
    double y2 = y1 + double(bitmap.height()) / bitmap.width() * (x2 - x1);
    const double limit = r.GetPageHeight() - r.MarginTop() - r.MarginBottom();
    if (y2 > limit) {
        y2 = limit;
        x2 = x1 + double(bitmap.width()) / bitmap.height() * (y2 - y1);
        const double shift = (room - (x2 - x1)) / 2;
        x1 += shift;
        x2 += shift;
    }
    r.DrawImageStreamInRect(x1, y1, x2, y2, bytes, QStringLiteral("BMP"));
    return y2;
}

void TLPReport::PrintChartSet(int graphKind, const int (&images)[4])
{
    platform::TBaseReport& r = *m_report;
    auto graphs = std::make_unique<TfrmGraphs>();
    graphs->PrepareForPrint();
    graphs->ShowGraphs(m_data, static_cast<TGraphKind>(graphKind));
    QImage pictures[4];
    for (int i = 0; i < 4; ++i)
        pictures[i] = graphs->GraphPicture(images[i]);
    graphs.reset();
    if (pictures[0].isNull() || pictures[0].height() == 0)
        return;

    const double pageWidth = r.GetPageWidth();
    const double pageHeight = r.GetPageHeight();
    const double c = r.GetCursorY();
    const double w = (pageHeight - 1.0) * (double(pictures[0].width()) / pictures[0].height()) / 2;
    const double h = (pageHeight - c) / 2;
    const double cells[4][4] = {
        { 0.5, c, 0.5 + w, h },
        { pageWidth - w - 0.5, c, pageWidth - 0.5, h },
        { 0.5, h, 0.5 + w, pageHeight - c },
        { pageWidth - w - 0.5, h, pageWidth - 0.5, pageHeight - c },
    };
    for (int i = 0; i < 4; ++i) {
        if (pictures[i].isNull())
            continue;
        QImage picture = pictures[i].convertToFormat(QImage::Format_RGB32);
        ClearLeftStrip(picture);
        r.DrawBitmapInRect(cells[i][0], cells[i][1], cells[i][2], cells[i][3], picture);
    }
}

void TLPReport::PrintVerticalTable()
{
    platform::TBaseReport& r = *m_report;
    r.StartNewPage();
    Heading(QStringLiteral("Vertical Table"));
    BodyFont();
    r.AdvanceLine();
    r.ClearTabStops();
    r.AddTabStop(0.5, platform::pjCenter, 0.5, 0, 0, 0);
    for (double width : { 0.6, 0.7, 0.6, 0.6, 0.7, 0.7, 0.7, 0.7, 0.7, 0.7 })
        r.AddTabStop(platform::kTabAfterPrevious, platform::pjCenter, width, 0, 0, 0);

    auto table = std::make_unique<TfrmTable>(nullptr, UnitSelection());
    table->FillVerticalTable(m_data);

    r.SetBold(true);
    for (int i = 0; i < 5; ++i)
        r.PrintInNextTab({});
    for (const char* text : { "Ultimate", "Allow.", "Ultimate", "Allow.", "Vertical", "Pile" })
        r.PrintInNextTab(QLatin1String(text));
    r.AdvanceLine();
    for (const char* text : { "Node #", "Depth", "Sigma' V", "Phi", "NSF", "Side Fric.", "Side Fric.",
             "End Bear.", "End Bear.", "Capacity", "Movement" })
        r.PrintInNextTab(QLatin1String(text));
    r.AdvanceLine();
    r.PrintInNextTab({});
    for (int column = 2; column < table->ColumnCount(); ++column)
        printRaisedInNextTab(r, unitOf(table->ColumnCaption(column)));
    r.SetBold(false);
    r.AdvanceLine();

    for (int row = 0; row < table->RowCount(); ++row) {
        for (int column = 1; column < table->ColumnCount(); ++column)
            r.PrintInNextTab(table->SubItem(row, column));
        r.AdvanceLine();
    }
    table.reset();

    r.AdvanceLine();
    r.AdvanceLine();
    r.PrintTextLine(QStringLiteral("Notes: "));
    r.ClearTabStops();
    r.AddTabStop(0.5, platform::pjLeft, 0.7, 0, 0, 0);
    r.AddTabStop(platform::kTabAfterPrevious, platform::pjLeft, 4.0, 0, 0, 0);
    for (const auto& [name, meaning] : { std::pair { "Sigma' V", "Effective Stress" },
             { "Phi", "Soil/Rock Friction Angle" }, { "NSF", "Negative Skin Friction" } }) {
        r.PrintInNextTab(QLatin1String(name));
        r.PrintInNextTab(QLatin1String(meaning));
        r.AdvanceLine();
    }
    r.ClearTabStops();
}

void TLPReport::PrintVerticalCharts()
{
    platform::TBaseReport& r = *m_report;
    r.StartNewPage();
    Heading(QStringLiteral("Vertical Charts"));
    BodyFont();
    r.AdvanceLine();
    PrintChartSet(gkAllVertical, { 1, 3, 5, 6 });
}

void TLPReport::PrintLateralTable()
{
    platform::TBaseReport& r = *m_report;
    r.StartNewPage();
    Heading(QStringLiteral("Lateral Table"));
    BodyFont();
    r.AdvanceLine();
    r.ClearTabStops();
    r.AddTabStop(0.5, platform::pjCenter, 0.7, 0, 0, 0);
    for (double width : { 0.7, 1.0, 0.8, 0.8, 0.8, 1.0, 1.0 })
        r.AddTabStop(platform::kTabAfterPrevious, platform::pjCenter, width, 0, 0, 0);

    auto table = std::make_unique<TfrmTable>(nullptr, UnitSelection());
    table->FillLateralTable(m_data.Nodes);
    r.SetBold(true);
    for (int column = 1; column < table->ColumnCount(); ++column) {
        const QString caption = table->ColumnCaption(column);
        r.PrintInNextTab(caption == QLatin1String("Node #") ? caption : nameOf(caption));
    }
    r.AdvanceLine();
    r.PrintInNextTab({});
    for (int column = 2; column < table->ColumnCount(); ++column)
        printRaisedInNextTab(r, unitOf(table->ColumnCaption(column)));
    r.SetBold(false);
    r.AdvanceLine();

    const int columns = table->ColumnCount();
    for (int row = 0; row < table->RowCount(); ++row) {
        const bool overloaded = row < kNodeCount
            && m_data.Nodes[static_cast<std::size_t>(row)].AllowSoilPressure
                < m_data.Nodes[static_cast<std::size_t>(row)].SoilPressure;
        for (int column = 1; column < columns; ++column) {
            const bool pressure = column >= columns - 2;
            if (pressure && overloaded)
                r.SetFontColor(kRed);
            r.PrintInNextTab(table->SubItem(row, column));
            if (pressure && overloaded)
                r.SetFontColor(kBlack);
        }
        r.AdvanceLine();
    }
    r.ClearTabStops();
}

void TLPReport::PrintLateralCharts()
{
    platform::TBaseReport& r = *m_report;
    r.StartNewPage();
    Heading(QStringLiteral("Lateral Charts"));
    BodyFont();
    r.AdvanceLine();
    PrintChartSet(gkAllLateral, { 1, 2, 3, 4 });
}
