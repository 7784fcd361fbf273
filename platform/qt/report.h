#pragma once
// The report framework: a report is generated once into recorded pages (text in tab columns,
// lines and pictures, positions in inches from the page's top-left corner) and the recorded
// pages are then drawn by one routine over a QPainter, for the preview, the printer and PDF
// files alike.
//
// Generation runs the system's OnPrint event with a TBaseReport; every page break fires
// OnPrintFooter for the page that ends, and so does the end of the report. Pictures recorded as
// encoded streams are turned into images by OnDecodeImage when a page is drawn.
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QPagedPaintDevice;
class QPainter;
class QPrinter;
class QWidget;

namespace platform {

// Alignment of a tab stop's text and of PrintAligned.
constexpr int pjCenter = 0;
constexpr int pjLeft = 1;
constexpr int pjRight = 2;

// A tab-stop position that places the stop right after the previous one.
constexpr double kTabAfterPrevious = -32768;

struct TReportTabStop {
    double Position = 0; // inches
    int Alignment = pjLeft;
    double Width = 0;
    double Margin = 0; // inside the tab on both sides
    int BoxLines = 0;
    int Shade = 0;
};

// One recorded drawing operation of a page.
struct TReportItem {
    enum class Kind { Text, Line, ImageStream, Bitmap };
    Kind What = Kind::Text;
    double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0; // inches; text: X1 is the left edge, Y1 the baseline
    QString Text;
    QString FontName;
    double FontSize = 0; // points
    bool Bold = false;
    QColor Color = Qt::black;
    double PenWidth = 0; // inches
    QByteArray Stream; // encoded picture
    QString ImageType; // its type text ("JPG", "BMP", ...)
    QImage Image; // bitmap items
};

struct TReportPage {
    std::vector<TReportItem> Items;
};

// What the events draw with: the page in generation.
class TBaseReport {
public:
    TBaseReport(double pageWidth, double pageHeight);

    // ---- page and margins (inches)
    double GetPageWidth() const { return m_pageWidth; }
    double GetPageHeight() const { return m_pageHeight; }
    double MarginLeft() const { return m_marginLeft; }
    double MarginRight() const { return m_marginRight; }
    double MarginTop() const { return m_marginTop; }
    double MarginBottom() const { return m_marginBottom; }
    void SetMarginLeft(double value) { m_marginLeft = value; }
    void SetMarginRight(double value) { m_marginRight = value; }
    void SetMarginTop(double value) { m_marginTop = value; }
    void SetMarginBottom(double value) { m_marginBottom = value; }
    double GetSectionLeft() const { return m_marginLeft; }
    double GetSectionRight() const { return m_pageWidth - m_marginRight; }
    int CurrentPage() const { return static_cast<int>(m_pages.size()); }

    // ---- fonts: SelectFont resets the colour to black and every style to off
    void SelectFont(const QString& name, double size);
    void SetBold(bool on);
    void SetSuperscript(bool on);
    // Window-system colour numbers ($00BBGGRR).
    void SetFontColor(quint32 bgr);
    quint32 GetFontColor() const;
    // The distance from one baseline to the next for the current font.
    double GetLineHeight() const;

    // ---- text; the cursor's y is the baseline of its line
    void PrintText(const QString& text);
    void PrintTextLine(const QString& text);
    void PrintCenteredAt(const QString& text, double x);
    // Across the section's width on the cursor's line.
    void PrintAligned(const QString& text, int alignment);
    // Next line at the section's left edge; a new page when the line would pass the bottom.
    void AdvanceLine();
    int LinesRemaining() const;
    double GetCursorX() const { return m_x; }
    double GetCursorY() const { return m_y; }
    void MoveCursorTo(double x, double y);

    // ---- tab stops (n is 1-based in TabTextStart)
    void AddTabStop(double position, int alignment, double width, double margin, int boxLines, int shade);
    void ClearTabStops();
    // Prints in the next tab stop, cut to its width; the cursor ends after the text. The next
    // stop is the one after the last used on this line, passing over stops that begin left of
    // the end of the text printed last on the line.
    void PrintInNextTab(const QString& text);
    double TabTextStart(int n) const;
    int TabStopCount() const { return static_cast<int>(m_tabs.size()); }

    // ---- lines and pictures
    void MovePenTo(double x, double y);
    void DrawLineTo(double x, double y);
    void DrawImageStreamInRect(
        double x1, double y1, double x2, double y2, const QByteArray& stream, const QString& type);
    void DrawBitmapInRect(double x1, double y1, double x2, double y2, const QImage& bitmap);

    // Ends the page (its footer) and starts the next.
    void StartNewPage();

    // The width of a text in the current font, in inches.
    double TextWidth(const QString& text) const;
    // The lines a text takes in a column of the given width in the current font: broken between
    // words, and inside a word only where the word alone is wider than the column. Each line fits
    // the column, so PrintInNextTab prints it whole; an empty text is one empty line.
    QStringList WrapToWidth(const QString& text, double width) const;

private:
    friend class TReportSystem;
    struct FontState {
        QString name = QStringLiteral("Arial");
        double size = 10;
        bool bold = false;
        bool superscript = false;
        QColor color = Qt::black;
    };
    struct Metrics {
        double ascent, descent, lineSpacing;
    };

    void beginPage();
    void finishPage();
    void record(TReportItem item);
    void drawText(double x, const QString& text);
    Metrics metrics() const;
    QString cutToWidth(const QString& text, double width) const;

    std::function<void(TBaseReport&)> m_onFooter;
    double m_pageWidth;
    double m_pageHeight;
    double m_marginLeft = 1.0;
    double m_marginRight = 1.0;
    double m_marginTop = 1.0;
    double m_marginBottom = 1.0;
    FontState m_font;
    double m_x = 0;
    double m_y = 0;
    double m_penX = 0;
    double m_penY = 0;
    std::vector<TReportTabStop> m_tabs;
    int m_nextTab = 0; // index of the tab stop the next PrintInNextTab uses
    double m_lineEnd = -1e9; // right end of the text printed last on this line
    std::vector<TReportPage> m_pages;
    bool m_inFooter = false;
};

// The report component: its events, generation, and the outputs.
class TReportSystem {
public:
    std::function<void(TBaseReport&)> OnPrint;
    std::function<void(TBaseReport&)> OnPrintFooter;
    std::function<void(const QByteArray& stream, const QString& type, QImage& bitmap)> OnDecodeImage;

    // Paper size of the generated pages, inches; US letter, portrait, unless changed.
    double PageWidth = 8.5;
    double PageHeight = 11.0;

    // Runs the report events and keeps the pages. An exception from an event propagates and
    // leaves no pages.
    void Generate();
    const std::vector<TReportPage>& Pages() const { return m_pages; }

    // Draws one page at dotsPerInch device pixels per inch onto the painter's device.
    void RenderPage(QPainter& painter, int pageIndex, double dotsPerInch) const;
    // Generates for the device's paper and draws every page on it.
    void Render(QPagedPaintDevice& device, double dotsPerInch);
    // Generates and writes a PDF file; raises std::runtime_error when the file cannot be written.
    void SaveToPdf(const QString& fileName);
    // A page drawn into an image (white background).
    QImage RenderToImage(int pageIndex, double dotsPerInch) const;
    // The modal preview window; it can print (or, without a printer, write a PDF file).
    void Preview(QWidget* parent);

private:
    QImage decode(const TReportItem& item) const;

    std::vector<TReportPage> m_pages;
};

} // namespace platform
