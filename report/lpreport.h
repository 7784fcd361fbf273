#pragma once
// The printed report of one analysed project: the body (project block, inputs, soil layers,
// results, the profile and section drawings, the structural design, the vertical and lateral
// tables and charts, and the references), the page footer, and the decoding of the pictures the
// body records.
//
// The main window's print command calls PreviewReport with its project model and the texts of
// its controls (CollectReportTexts(*this)); the report reads both while it is generated and
// changes neither.
#include "report/reporttexts.h"

#include <QString>
#include <QStringList>

#include <string>

class QByteArray;
class QImage;
class QWidget;
class TLPData;

namespace platform {
class TBaseReport;
class TReportSystem;
} // namespace platform

class TLPReport {
public:
    TLPReport(const TLPData& data, TReportTexts texts);

    // The events of the report component.
    void Print(platform::TBaseReport& report);
    void PrintFooter(platform::TBaseReport& report);
    // "JPG" and "BMP" streams; any other type leaves the bitmap as it is.
    static void DecodeImage(const QByteArray& stream, const QString& type, QImage& bitmap);
    // Hooks the three events into a report component.
    void Attach(platform::TReportSystem& system);

    // Resolution the drawings are made for (they are made several times larger than on screen):
    // a fixed 96 logical pixels per inch, so that a project prints alike from any display.
    double ScreenPixelsPerInch = 96;

    // The footer's centred text: the title without its first "Braxholm ", then " v" and the
    // version.
    static QString FooterTitle(const std::string& applicationTitle, const std::string& version);
    // The maker's web site as the footer and the references print it.
    static QString WebSiteText();

private:
    // Row printers: a label/value pair into the next two tab stops of the current line.
    void PrintLine(const std::string& caption, const std::string& value, std::string units,
        std::string exponent, bool red);
    void PrintLabelValue(const char* caption, const char* value, const char* units = nullptr,
        const char* exponent = nullptr, bool red = false);
    void PrintPair(const char* caption, const char* combo);
    void PrintEmptyPair();
    void Heading(const QString& text);
    void BodyFont(double size = 10);
    void SetAllMargins(double value);

    void PrintTitleBlock();
    void PrintLoading();
    void PrintPileProperties();
    void PrintLayerTable();
    void PrintSpecificPileParameters();
    void PrintResults();
    void PrintProfilePicture();
    void PrintStructuralDesign();
    void PrintSteelInputs();
    void PrintSteelCheckTable(bool round);
    void PrintPipeInputs();
    void PrintConcreteInputs();
    void PrintTimberInputs();
    void PrintVerticalTable();
    void PrintVerticalCharts();
    void PrintLateralTable();
    void PrintLateralCharts();
    void PrintReferences();

    // Draws a drawing of the project into a bitmap of the given size and records it in the
    // rectangle from (x1, y1) across to x2, as tall as the drawing's shape asks; a drawing that
    // would pass the printable height is shrunk and centred in its width. Returns the bottom.
    double PlacePicture(int kind, int width, int height, double x1, double x2, double y1);
    // The four charts of one graph set in a 2 x 2 arrangement below the cursor.
    void PrintChartSet(int graphKind, const int (&images)[4]);
    // The value column's text of PrintLabelValue: the value and its unit up to the unit's
    // raised part, which prints after it.
    QString ValueText(const char* value, const char* units) const;
    // The width a tab column needs for its texts in the body font (bold or plain), never less
    // than the width it was designed with.
    double ColumnWidth(double designed, const QStringList& texts, bool bold);
    // The main window's unit choice (0 English, otherwise SI), which names some table columns.
    int UnitSelection() const;
    // Paints over the two pixels at a chart's left edge, where the turned chart leaves its frame.
    static void ClearLeftStrip(QImage& image);

    const TLPData& m_data;
    TReportTexts m_texts;
    platform::TBaseReport* m_report = nullptr;
    double m_logoTop = 0;
    double m_logoBottom = 0;
    bool m_resultsBreak = false;
    double m_pictureBottom = 0; // bottom edge of the profile picture
};

// Generates the report and shows it in the modal preview, from which it can be printed.
void PreviewReport(const TLPData& data, const TReportTexts& texts, QWidget* parent);
// Generates the report into a PDF file; returns the number of pages.
int SaveReportToPdf(const TLPData& data, const TReportTexts& texts, const QString& fileName);
