#include "platform/qt/report.h"

#include "platform/core/scopeexit.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextLayout>

#include <cmath>
#include <exception>
#include <stdexcept>

namespace platform {

namespace {

// Text is measured at this resolution whatever the output, so that a report cuts and places
// its texts the same on screen, on paper and in a file.
constexpr double kMeasureDpi = 1200;
// A superscript is set smaller and raised by a part of the font's size.
constexpr double kSuperscriptScale = 0.6;
constexpr double kSuperscriptRise = 0.35;
// The line the framework puts the cursor on before a page's footer: its baseline lies this far
// above the paper's bottom edge.
constexpr double kFooterBaselineFromBottom = 0.4;
constexpr double kPointsPerInch = 72;
constexpr double kThinPen = 0.01; // inches
// The end of the text printed last on a line, before anything is printed on it.
constexpr double kNoText = -1e9;

QFont makeFont(const QString& name, double points, bool bold)
{
    QFont font(name);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(false);
    return font;
}

const QImage& measureDevice()
{
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        const int dotsPerMeter = static_cast<int>(std::lround(kMeasureDpi / 0.0254));
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }();
    return device;
}

double textWidthInches(const QFont& font, const QString& text)
{
    return QFontMetricsF(font, &measureDevice()).horizontalAdvance(text) / kMeasureDpi;
}

quint32 toBgr(const QColor& color)
{
    return static_cast<quint32>(color.red()) | (static_cast<quint32>(color.green()) << 8)
        | (static_cast<quint32>(color.blue()) << 16);
}

QColor fromBgr(quint32 bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
        static_cast<int>((bgr >> 16) & 0xFF));
}

} // namespace

// ---- TBaseReport ----------------------------------------------------------------------------

TBaseReport::TBaseReport(double pageWidth, double pageHeight)
    : m_pageWidth(pageWidth)
    , m_pageHeight(pageHeight)
{
}

TBaseReport::Metrics TBaseReport::metrics() const
{
    const QFontMetricsF fm(makeFont(m_font.name, m_font.size, m_font.bold), &measureDevice());
    return { fm.ascent() / kMeasureDpi, fm.descent() / kMeasureDpi, fm.lineSpacing() / kMeasureDpi };
}

void TBaseReport::SelectFont(const QString& name, double size)
{
    m_font = FontState {};
    m_font.name = name;
    m_font.size = size;
}

void TBaseReport::SetBold(bool on)
{
    m_font.bold = on;
}
void TBaseReport::SetSuperscript(bool on)
{
    m_font.superscript = on;
}
void TBaseReport::SetFontColor(quint32 bgr)
{
    m_font.color = fromBgr(bgr);
}
quint32 TBaseReport::GetFontColor() const
{
    return toBgr(m_font.color);
}
double TBaseReport::GetLineHeight() const
{
    return metrics().lineSpacing;
}

double TBaseReport::TextWidth(const QString& text) const
{
    const double size = m_font.superscript ? m_font.size * kSuperscriptScale : m_font.size;
    return textWidthInches(makeFont(m_font.name, size, m_font.bold), text);
}

QStringList TBaseReport::WrapToWidth(const QString& text, double width) const
{
    const double size = m_font.superscript ? m_font.size * kSuperscriptScale : m_font.size;
    QTextLayout layout(text, makeFont(m_font.name, size, m_font.bold), &measureDevice());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::max(0.0, width) * kMeasureDpi);
        QString part = text.mid(line.textStart(), line.textLength());
        // The blank a line breaks at stays with it; it takes no room on paper.
        while (!part.isEmpty() && part.back().isSpace())
            part.chop(1);
        lines << part;
    }
    layout.endLayout();
    if (lines.isEmpty())
        lines << QString();
    return lines;
}

void TBaseReport::record(TReportItem item)
{
    if (m_pages.empty())
        beginPage();
    m_pages.back().Items.push_back(std::move(item));
}

void TBaseReport::drawText(double x, const QString& text)
{
    if (text.isEmpty())
        return;
    TReportItem item;
    item.What = TReportItem::Kind::Text;
    item.X1 = x;
    item.Y1 = m_y;
    item.Text = text;
    item.FontName = m_font.name;
    item.FontSize = m_font.size;
    item.Bold = m_font.bold;
    item.Color = m_font.color;
    if (m_font.superscript) {
        item.FontSize = m_font.size * kSuperscriptScale;
        item.Y1 = m_y - m_font.size * kSuperscriptRise / kPointsPerInch;
    }
    record(std::move(item));
}

void TBaseReport::PrintText(const QString& text)
{
    drawText(m_x, text);
    m_x += TextWidth(text);
    m_lineEnd = m_x;
}

void TBaseReport::PrintTextLine(const QString& text)
{
    PrintText(text);
    AdvanceLine();
}

void TBaseReport::PrintCenteredAt(const QString& text, double x)
{
    const double width = TextWidth(text);
    drawText(x - width / 2, text);
    m_x = x + width / 2;
}

void TBaseReport::PrintAligned(const QString& text, int alignment)
{
    const double width = TextWidth(text);
    const double left = GetSectionLeft();
    const double right = GetSectionRight();
    double x = left;
    if (alignment == pjCenter)
        x = (left + right - width) / 2;
    else if (alignment == pjRight)
        x = right - width;
    drawText(x, text);
    m_x = x + width;
}

void TBaseReport::AdvanceLine()
{
    const Metrics m = metrics();
    m_x = GetSectionLeft();
    m_nextTab = 0;
    m_lineEnd = kNoText;
    m_y += m.lineSpacing;
    if (!m_inFooter && m_y + m.descent > m_pageHeight - m_marginBottom)
        StartNewPage();
}

int TBaseReport::LinesRemaining() const
{
    const Metrics m = metrics();
    const double room = m_pageHeight - m_marginBottom - m.descent - m_y;
    return room <= 0 ? 0 : static_cast<int>(std::floor(room / m.lineSpacing));
}

void TBaseReport::MoveCursorTo(double x, double y)
{
    m_x = x;
    m_y = y;
}

void TBaseReport::AddTabStop(
    double position, int alignment, double width, double margin, int boxLines, int shade)
{
    if (position == kTabAfterPrevious)
        position = m_tabs.empty() ? GetSectionLeft() : m_tabs.back().Position + m_tabs.back().Width;
    m_tabs.push_back({ position, alignment, width, margin, boxLines, shade });
}

void TBaseReport::ClearTabStops()
{
    m_tabs.clear();
    m_nextTab = 0;
}

QString TBaseReport::cutToWidth(const QString& text, double width) const
{
    if (width <= 0)
        return {};
    QString cut = text;
    while (!cut.isEmpty() && TextWidth(cut) > width + 1e-9)
        cut.chop(1);
    return cut;
}

void TBaseReport::PrintInNextTab(const QString& text)
{
    if (m_nextTab >= static_cast<int>(m_tabs.size())) {
        // Past the last stop the text simply follows the cursor.
        PrintText(text);
        return;
    }
    // The cursor never moves back: stops that begin left of it are passed over.
    while (m_nextTab + 1 < static_cast<int>(m_tabs.size())
        && m_tabs[static_cast<std::size_t>(m_nextTab)].Position < m_lineEnd - 1e-6)
        ++m_nextTab;
    const TReportTabStop& tab = m_tabs[static_cast<std::size_t>(m_nextTab++)];
    const double inner = tab.Width - 2 * tab.Margin;
    const QString shown = cutToWidth(text, inner);
    const double width = TextWidth(shown);
    double x = tab.Position + tab.Margin;
    if (tab.Alignment == pjCenter)
        x = tab.Position + (tab.Width - width) / 2;
    else if (tab.Alignment == pjRight)
        x = tab.Position + tab.Width - tab.Margin - width;
    drawText(x, shown);
    m_x = x + width;
    m_lineEnd = m_x;
}

double TBaseReport::TabTextStart(int n) const
{
    if (n < 1 || n > static_cast<int>(m_tabs.size()))
        return GetSectionLeft();
    const TReportTabStop& tab = m_tabs[static_cast<std::size_t>(n - 1)];
    return tab.Position + tab.Margin;
}

void TBaseReport::MovePenTo(double x, double y)
{
    m_penX = x;
    m_penY = y;
}

void TBaseReport::DrawLineTo(double x, double y)
{
    TReportItem item;
    item.What = TReportItem::Kind::Line;
    item.X1 = m_penX;
    item.Y1 = m_penY;
    item.X2 = x;
    item.Y2 = y;
    item.Color = Qt::black;
    item.PenWidth = kThinPen;
    record(std::move(item));
    m_penX = x;
    m_penY = y;
}

void TBaseReport::DrawImageStreamInRect(
    double x1, double y1, double x2, double y2, const QByteArray& stream, const QString& type)
{
    TReportItem item;
    item.What = TReportItem::Kind::ImageStream;
    item.X1 = x1;
    item.Y1 = y1;
    item.X2 = x2;
    item.Y2 = y2;
    item.Stream = stream;
    item.ImageType = type;
    record(std::move(item));
}

void TBaseReport::DrawBitmapInRect(double x1, double y1, double x2, double y2, const QImage& bitmap)
{
    TReportItem item;
    item.What = TReportItem::Kind::Bitmap;
    item.X1 = x1;
    item.Y1 = y1;
    item.X2 = x2;
    item.Y2 = y2;
    item.Image = bitmap;
    record(std::move(item));
}

void TBaseReport::beginPage()
{
    m_pages.emplace_back();
    m_x = GetSectionLeft();
    m_y = m_marginTop + metrics().ascent;
    m_nextTab = 0;
    m_lineEnd = kNoText;
}

void TBaseReport::finishPage()
{
    if (m_pages.empty() || !m_onFooter)
        return;
    // The footer draws with its own font on its own line; the body then goes on as it was.
    const FontState font = m_font;
    const double x = m_x;
    const double y = m_y;
    const int nextTab = m_nextTab;
    const double lineEnd = m_lineEnd;
    m_inFooter = true;
    m_x = GetSectionLeft();
    m_y = m_pageHeight - kFooterBaselineFromBottom;
    {
        const ScopeExit leaveFooter([this] { m_inFooter = false; });
        m_onFooter(*this);
    }
    m_font = font;
    m_x = x;
    m_y = y;
    m_nextTab = nextTab;
    m_lineEnd = lineEnd;
}

void TBaseReport::StartNewPage()
{
    if (m_inFooter)
        return;
    if (m_pages.empty())
        beginPage();
    finishPage();
    beginPage();
}

// ---- TReportSystem --------------------------------------------------------------------------

void TReportSystem::Generate()
{
    m_pages.clear();
    TBaseReport report(PageWidth, PageHeight);
    report.m_onFooter = OnPrintFooter;
    report.beginPage();
    if (OnPrint)
        OnPrint(report);
    report.finishPage();
    m_pages = std::move(report.m_pages);
}

QImage TReportSystem::decode(const TReportItem& item) const
{
    QImage image;
    if (OnDecodeImage)
        OnDecodeImage(item.Stream, item.ImageType, image);
    return image;
}

void TReportSystem::RenderPage(QPainter& painter, int pageIndex, double dpi) const
{
    if (pageIndex < 0 || pageIndex >= static_cast<int>(m_pages.size()))
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    for (const TReportItem& item : m_pages[static_cast<std::size_t>(pageIndex)].Items) {
        const QRectF rect(QPointF(item.X1 * dpi, item.Y1 * dpi), QPointF(item.X2 * dpi, item.Y2 * dpi));
        switch (item.What) {
        case TReportItem::Kind::Text: {
            // Point sizes are turned into pixels by the device's own resolution.
            QFont font = makeFont(item.FontName, item.FontSize, item.Bold);
            painter.setFont(font);
            painter.setPen(item.Color);
            painter.drawText(QPointF(item.X1 * dpi, item.Y1 * dpi), item.Text);
            break;
        }
        case TReportItem::Kind::Line: {
            QPen pen(item.Color);
            pen.setWidthF(std::max(1.0, item.PenWidth * dpi));
            painter.setPen(pen);
            painter.drawLine(QPointF(item.X1 * dpi, item.Y1 * dpi), QPointF(item.X2 * dpi, item.Y2 * dpi));
            break;
        }
        case TReportItem::Kind::ImageStream: {
            const QImage image = decode(item);
            if (!image.isNull())
                painter.drawImage(rect.normalized(), image);
            break;
        }
        case TReportItem::Kind::Bitmap:
            if (!item.Image.isNull())
                painter.drawImage(rect.normalized(), item.Image);
            break;
        }
    }
    painter.restore();
}

void TReportSystem::Render(QPagedPaintDevice& device, double dpi)
{
    const QSizeF paper = device.pageLayout().fullRect(QPageLayout::Inch).size();
    if (paper.width() > 0 && paper.height() > 0) {
        PageWidth = paper.width();
        PageHeight = paper.height();
    }
    Generate();
    QPainter painter;
    if (!painter.begin(&device))
        throw std::runtime_error("Cannot start printing the report");
    for (int i = 0; i < static_cast<int>(m_pages.size()); ++i) {
        if (i > 0)
            device.newPage();
        RenderPage(painter, i, dpi);
    }
    painter.end();
}

void TReportSystem::SaveToPdf(const QString& fileName)
{
    QPdfWriter writer(fileName);
    writer.setResolution(static_cast<int>(kMeasureDpi));
    writer.setPageLayout(QPageLayout(QPageSize(QSizeF(PageWidth, PageHeight), QPageSize::Inch),
        QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    writer.setCreator(QStringLiteral("Fendrix"));
    Render(writer, kMeasureDpi);
}

QImage TReportSystem::RenderToImage(int pageIndex, double dpi) const
{
    QImage image(static_cast<int>(std::lround(PageWidth * dpi)),
        static_cast<int>(std::lround(PageHeight * dpi)), QImage::Format_RGB32);
    const int dotsPerMeter = static_cast<int>(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    QPainter painter(&image);
    RenderPage(painter, pageIndex, dpi);
    return image;
}

void TReportSystem::Preview(QWidget* parent)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    printer.setPageLayout(QPageLayout(QPageSize(QSizeF(PageWidth, PageHeight), QPageSize::Inch),
        QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    // A report that cannot be generated fails here, before any window opens.
    Generate();
    std::exception_ptr failure;
    QPrintPreviewDialog dialog(&printer, parent);
    QObject::connect(
        &dialog, &QPrintPreviewDialog::paintRequested, &dialog, [this, &failure](QPrinter* target) {
            // Nothing may be thrown through the window's event handling: the failure is kept and
            // raised once the window has closed.
            try {
                Render(*target, target->resolution());
            } catch (...) {
                if (!failure)
                    failure = std::current_exception();
            }
        });
    dialog.exec();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace platform
