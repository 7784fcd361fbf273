// The report framework: tab columns, cutting, page breaks with their footers, font state, and the
// outputs (image, PDF) drawn from the recorded pages.
#include "platform/qt/report.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using platform::TBaseReport;
using platform::TReportItem;
using platform::TReportSystem;

namespace {

std::vector<TReportItem> textItems(const platform::TReportPage& page)
{
    std::vector<TReportItem> out;
    for (const TReportItem& item : page.Items)
        if (item.What == TReportItem::Kind::Text)
            out.push_back(item);
    return out;
}

const TReportItem* findText(const platform::TReportPage& page, const QString& text)
{
    for (const TReportItem& item : page.Items)
        if (item.What == TReportItem::Kind::Text && item.Text == text)
            return &item;
    return nullptr;
}

TReportSystem generate(std::function<void(TBaseReport&)> body, std::function<void(TBaseReport&)> footer = {})
{
    TReportSystem system;
    system.OnPrint = std::move(body);
    system.OnPrintFooter = std::move(footer);
    system.Generate();
    return system;
}

QString runTool(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

class ReportFrameworkTest : public QObject {
    Q_OBJECT
private slots:
    void tabStopsPlaceTextByAlignment()
    {
        double width = 0;
        auto system = generate([&](TBaseReport& r) {
            r.SelectFont(QStringLiteral("Arial"), 10);
            r.AddTabStop(1.0, platform::pjLeft, 1.5, 0, 0, 0);
            r.AddTabStop(platform::kTabAfterPrevious, platform::pjRight, 1.0, 0, 0, 0);
            r.AddTabStop(platform::kTabAfterPrevious, platform::pjCenter, 2.0, 0, 0, 0);
            r.AddTabStop(platform::kTabAfterPrevious, platform::pjLeft, 1.0, 0.1, 0, 0);
            QCOMPARE(r.TabTextStart(1), 1.0);
            QCOMPARE(r.TabTextStart(4), 5.6); // 1.0 + 1.5 + 1.0 + 2.0, plus its margin
            width = r.TextWidth(QStringLiteral("Wide"));
            for (const char* text : { "Left", "Wide", "Mid", "M" })
                r.PrintInNextTab(QLatin1String(text));
            QVERIFY(std::abs(r.GetCursorX() - (5.6 + r.TextWidth(QStringLiteral("M")))) < 1e-9);
        });
        const auto& page = system.Pages().at(0);
        QCOMPARE(findText(page, QStringLiteral("Left"))->X1, 1.0);
        QVERIFY(std::abs(findText(page, QStringLiteral("Wide"))->X1 + width - 3.5) < 1e-9);
        const TReportItem* mid = findText(page, QStringLiteral("Mid"));
        QVERIFY(mid->X1 > 3.5 && mid->X1 < 4.5);
        QCOMPARE(findText(page, QStringLiteral("M"))->X1, 5.6);
    }

    void textIsCutToItsTabAndEmptyCellsStayBlank()
    {
        double tabWidth = 0.5;
        double shownWidth = 0;
        auto system = generate([&](TBaseReport& r) {
            r.AddTabStop(1.0, platform::pjLeft, tabWidth, 0, 0, 0);
            r.AddTabStop(platform::kTabAfterPrevious, platform::pjLeft, 0, 0, 0, 0);
            r.AddTabStop(platform::kTabAfterPrevious, platform::pjLeft, 1.0, 0, 0, 0);
            r.AddTabStop(platform::kTabAfterPrevious, platform::pjLeft, 1.0, 0, 0, 0);
            r.PrintInNextTab(QStringLiteral("A caption far too long for its column"));
            r.PrintInNextTab(QStringLiteral("nothing fits a tab of no width"));
            r.PrintInNextTab({});
            r.PrintInNextTab(QStringLiteral("fourth"));
        });
        const auto texts = textItems(system.Pages().at(0));
        shownWidth = TBaseReport(8.5, 11).TextWidth(texts.at(0).Text);
        QCOMPARE(texts.size(), std::size_t(2));
        QVERIFY(QStringLiteral("A caption far too long for its column").startsWith(texts[0].Text));
        QVERIFY(texts[0].Text.size() > 2);
        QVERIFY(shownWidth <= tabWidth);
        // The empty third cell was still a cell: the last text went to the fourth stop.
        QCOMPARE(texts[1].Text, QStringLiteral("fourth"));
        QCOMPARE(texts[1].X1, 2.5);
    }

    void theNextTabNeverLiesLeftOfTheCursor()
    {
        auto system = generate([](TBaseReport& r) {
            r.AddTabStop(0.5, platform::pjLeft, 1.5, 0, 0, 0);
            r.AddTabStop(2.0, platform::pjRight, 0.9, 0, 0, 0);
            r.AddTabStop(3.4, platform::pjLeft, 2.2, 0, 0, 0);
            r.MoveCursorTo(r.TabTextStart(1), r.GetCursorY());
            r.PrintText(QStringLiteral("Reference Design Values Parallel"));
            r.PrintInNextTab(QStringLiteral("third"));
            r.AdvanceLine();
            // A new line starts again at the first stop.
            r.PrintInNextTab(QStringLiteral("first"));
        });
        const auto& page = system.Pages().at(0);
        QCOMPARE(findText(page, QStringLiteral("third"))->X1, 3.4);
        QCOMPARE(findText(page, QStringLiteral("first"))->X1, 0.5);
    }

    void fontSelectionResetsStylesAndSuperscriptIsRaised()
    {
        auto system = generate([](TBaseReport& r) {
            r.SelectFont(QStringLiteral("Arial"), 12);
            r.SetBold(true);
            r.SetFontColor(255);
            QCOMPARE(r.GetFontColor(), quint32(255));
            r.PrintText(QStringLiteral("red"));
            r.SelectFont(QStringLiteral("Arial"), 10);
            QCOMPARE(r.GetFontColor(), quint32(0));
            r.PrintText(QStringLiteral("in"));
            r.SetSuperscript(true);
            r.PrintText(QStringLiteral("2"));
        });
        const auto& page = system.Pages().at(0);
        const TReportItem* red = findText(page, QStringLiteral("red"));
        QVERIFY(red->Bold);
        QCOMPARE(red->Color, QColor(255, 0, 0));
        const TReportItem* in = findText(page, QStringLiteral("in"));
        const TReportItem* two = findText(page, QStringLiteral("2"));
        QVERIFY(!in->Bold);
        QCOMPARE(in->Color, QColor(Qt::black));
        QVERIFY(two->FontSize < in->FontSize);
        QVERIFY(two->Y1 < in->Y1);
        QVERIFY(two->X1 > in->X1);
    }

    void linesBreakPagesAndEveryPageGetsItsFooter()
    {
        std::vector<int> footerPages;
        int firstPageLines = 0;
        double bodySizeAfterBreak = 0;
        auto system = generate(
            [&](TBaseReport& r) {
                r.SelectFont(QStringLiteral("Arial"), 10);
                r.SetBold(true);
                firstPageLines = r.LinesRemaining();
                QVERIFY(firstPageLines > 30 && firstPageLines < 80); // 9 in of 10 pt lines
                for (int i = 0; i < firstPageLines; ++i)
                    r.AdvanceLine();
                QCOMPARE(r.CurrentPage(), 1);
                QCOMPARE(r.LinesRemaining(), 0);
                r.AdvanceLine();
                QCOMPARE(r.CurrentPage(), 2);
                r.PrintText(QStringLiteral("after the break"));
                bodySizeAfterBreak = r.GetLineHeight();
                r.StartNewPage();
                r.PrintText(QStringLiteral("last page"));
            },
            [&](TBaseReport& r) {
                footerPages.push_back(r.CurrentPage());
                r.SelectFont(QStringLiteral("Arial"), 30);
                r.PrintAligned(QStringLiteral("footer %1").arg(r.CurrentPage()), platform::pjCenter);
                // A footer cannot start pages of its own.
                r.AdvanceLine();
                r.StartNewPage();
            });
        QCOMPARE(system.Pages().size(), std::size_t(3));
        QCOMPARE(footerPages, (std::vector<int> { 1, 2, 3 }));
        // The footer's font did not leak into the body after the break.
        const TReportItem* after = findText(system.Pages()[1], QStringLiteral("after the break"));
        QVERIFY(after->Bold);
        QCOMPARE(after->FontSize, 10.0);
        QVERIFY(bodySizeAfterBreak < 0.2);
        for (int i = 0; i < 3; ++i) {
            const TReportItem* footer
                = findText(system.Pages()[std::size_t(i)], QStringLiteral("footer %1").arg(i + 1));
            QVERIFY(footer != nullptr);
            QVERIFY(footer->Y1 > 10.0 && footer->Y1 < 11.0);
        }
    }

    void picturesAreDecodedWhenThePageIsDrawn()
    {
        TReportSystem system;
        int decoded = 0;
        system.OnPrint = [](TBaseReport& r) {
            r.DrawImageStreamInRect(1, 1, 3, 2, QByteArray("pixels"), QStringLiteral("TEST"));
            QImage bitmap(4, 4, QImage::Format_RGB32);
            bitmap.fill(Qt::blue);
            r.DrawBitmapInRect(4, 4, 6, 6, bitmap);
            r.MovePenTo(1, 8);
            r.DrawLineTo(7, 8);
        };
        system.OnDecodeImage = [&](const QByteArray& stream, const QString& type, QImage& bitmap) {
            ++decoded;
            QCOMPARE(stream, QByteArray("pixels"));
            QCOMPARE(type, QStringLiteral("TEST"));
            bitmap = QImage(2, 2, QImage::Format_RGB32);
            bitmap.fill(Qt::red);
        };
        system.Generate();
        QCOMPARE(decoded, 0);
        const QImage page = system.RenderToImage(0, 50);
        QCOMPARE(decoded, 1);
        QCOMPARE(page.size(), QSize(425, 550));
        QCOMPARE(QColor(page.pixel(100, 75)), QColor(Qt::red)); // (2 in, 1.5 in)
        QCOMPARE(QColor(page.pixel(250, 250)), QColor(Qt::blue)); // (5 in, 5 in)
        QVERIFY(qGray(page.pixel(200, 400)) < 128); // the line at 8 in
        QCOMPARE(QColor(page.pixel(20, 20)), QColor(Qt::white));
    }

    void pdfHoldsEveryPageAndItsText()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("framework.pdf"));
        TReportSystem system;
        system.OnPrint = [](TBaseReport& r) {
            r.PrintTextLine(QStringLiteral("First page text"));
            r.StartNewPage();
            r.PrintTextLine(QStringLiteral("Second page text"));
        };
        system.OnPrintFooter = [](TBaseReport& r) {
            r.PrintAligned(QStringLiteral("Page %1").arg(r.CurrentPage()), platform::pjRight);
        };
        system.SaveToPdf(file);
        const QString info = runTool(QStringLiteral("pdfinfo"), { file });
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\b"))), qPrintable(info));
        QVERIFY(info.contains(QStringLiteral("612 x 792 pts")));
        const QString text
            = runTool(QStringLiteral("pdftotext"), { QStringLiteral("-layout"), file, QStringLiteral("-") });
        const QStringList pages = text.split(QLatin1Char('\f'));
        QVERIFY(pages.size() >= 2);
        QVERIFY(pages[0].contains(QStringLiteral("First page text")));
        QVERIFY(pages[0].contains(QStringLiteral("Page 1")));
        QVERIFY(pages[1].contains(QStringLiteral("Second page text")));
        QVERIFY(pages[1].contains(QStringLiteral("Page 2")));
    }

    void aFailingReportLeavesNoPages()
    {
        TReportSystem system;
        system.OnPrint = [](TBaseReport& r) {
            r.PrintText(QStringLiteral("half"));
            throw std::runtime_error("broken");
        };
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, system.Generate());
        QVERIFY(system.Pages().empty());
    }
};

QTEST_MAIN(ReportFrameworkTest)
#include "reportframework_qtest.moc"
