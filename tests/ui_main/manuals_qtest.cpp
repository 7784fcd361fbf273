// The manuals beside the program: both PDFs are built on US Letter, every chapter and section
// stands on the page the contents give and every paragraph of the sources reaches the pages, no
// table row is split over two pages and a table that goes on over a page repeats its header
// there, the worked example quotes what the program shows for the demo project, and Help opens
// the manual and Equations the equations document through the shell, or, like every web link of
// the program, says what did not open.
#include "mainwindowtesting.h"

#include "docs/document.h"
#include "platform/qt/shell.h"
#include "ui/dialogs/about.h"
#include "ui/dialogs/helptables.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QLabel>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextFrame>
#include <QTextTable>

#include <cmath>
#include <limits>

using namespace testing_window;

namespace {

const QString kManual = QStringLiteral("User Manual Fendrix Professional.pdf");
const QString kEquations = QStringLiteral("QV 2.0 Equations.pdf");

// Blanks collapsed and the ligatures of the PDF fonts spelt out, so texts compare as typed.
QString plain(QString text)
{
    const char* spelt[] = { "ff", "fi", "fl", "ffi", "ffl" }; // U+FB00 .. U+FB04
    for (char16_t c = 0xFB00; c <= 0xFB04; ++c)
        text.replace(QChar(c), QLatin1String(spelt[c - 0xFB00]));
    return text.simplified();
}

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString pdfText(const QString& pdf, int first = 0, int last = 0)
{
    QStringList arguments { QStringLiteral("-layout") };
    if (first > 0)
        arguments << QStringLiteral("-f") << QString::number(first) << QStringLiteral("-l")
                  << QString::number(last);
    return plain(run(QStringLiteral("pdftotext"), arguments << pdf << QStringLiteral("-")));
}

struct Heading {
    QString title; // with its number, as the document shows it
};

QString cellText(const QTextTable& table, int row, int column)
{
    const QTextTableCell cell = table.cellAt(row, column);
    QTextCursor c = cell.firstCursorPosition();
    c.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
    return plain(c.selectedText());
}

// Chapters and sections of a source, numbered as the documents number them, and the first words
// of every paragraph of text (tables, lists, code, pictures and filled-in lines aside).
void readSource(const QString& path, QList<Heading>& headings, QStringList& paragraphs)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    int chapter = 0, section = 0;
    bool body = false, code = false;
    QString previous;
    for (const QString& line : lines) {
        if (line == QLatin1String("---") && !body) {
            body = true;
            continue;
        }
        if (!body)
            continue;
        if (line.startsWith(QLatin1String("```")))
            code = !code;
        else if (!code && line.startsWith(QLatin1String("# ")))
            headings.append({ QStringLiteral("%1 %2").arg(++chapter).arg(line.mid(2)) }), section = 0;
        else if (!code && line.startsWith(QLatin1String("## ")))
            headings.append({ QStringLiteral("%1.%2 %3").arg(chapter).arg(++section).arg(line.mid(3)) });
        else if (!code && previous.trimmed().isEmpty() && !line.isEmpty() && line.at(0).isLetter()
            && !line.contains(QLatin1String("{{"))) {
            QString words = line;
            words.remove(QStringLiteral("**")).remove(QLatin1Char('`'));
            paragraphs << plain(words).section(QLatin1Char(' '), 0, 5);
        }
        previous = line;
    }
}

} // namespace

class ManualsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { startTest(); }

    void cleanup()
    {
        platform::setShellOpenHandler({});
        checkNoUnexpectedMessages();
    }

    void documentsHoldTheirChapters_data()
    {
        QTest::addColumn<QString>("pdf");
        QTest::addColumn<QString>("source");
        QTest::newRow("manual") << kManual << QStringLiteral("manual.md");
        QTest::newRow("equations") << kEquations << QStringLiteral("equations.md");
    }

    void documentsHoldTheirChapters()
    {
        QFETCH(QString, pdf);
        QFETCH(QString, source);
        QVERIFY2(
            !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(), "needs poppler-utils");
        const QString path = QStringLiteral(FENDRIX_MANUAL_DIR "/") + pdf;
        QVERIFY2(QFileInfo::exists(path), qPrintable(path));

        const QString info = run(QStringLiteral("pdfinfo"), { path });
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+612 x 792 pts"))),
            qPrintable(info));
        const int pages
            = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info).captured(1).toInt();
        QVERIFY(pages > 3);

        QList<Heading> headings;
        QStringList paragraphs;
        readSource(QStringLiteral(FENDRIX_DOCS_DIR "/") + source, headings, paragraphs);
        QVERIFY(headings.size() > 8);

        // The contents run from page 2 to the page the first chapter opens; a heading stands on
        // the page the contents name, in the order of the source.
        QStringList pageTexts { QString(), QString() }; // 1-based, the title page left out
        for (int p = 2; p <= pages; ++p)
            pageTexts << pdfText(path, p, p);
        int firstBody = 2;
        while (firstBody <= pages && !pageTexts[firstBody].startsWith(headings.front().title))
            ++firstBody;
        QVERIFY(firstBody > 2 && firstBody <= pages);
        QString contents;
        for (int p = 2; p < firstBody; ++p)
            contents += pageTexts[p] + QLatin1Char(' ');
        int page = firstBody;
        for (const Heading& h : headings) {
            while (page <= pages && !pageTexts[page].contains(h.title))
                ++page;
            QVERIFY2(page <= pages, qPrintable(QStringLiteral("no page holds ") + h.title));
            const QString entry = h.title + QLatin1Char(' ') + QString::number(page);
            QVERIFY2(contents.contains(entry), qPrintable(QStringLiteral("contents lack ") + entry));
            QVERIFY2(pageTexts[page].endsWith(QStringLiteral("Page %1").arg(page)), qPrintable(h.title));
        }

        const QString all = pdfText(path);
        for (const QString& words : paragraphs)
            QVERIFY2(all.contains(words), qPrintable(QStringLiteral("the pages lack: ") + words));
    }

    void tablesKeepRowsWholeAndRepeatTheirHeader_data() { documentsHoldTheirChapters_data(); }

    void tablesKeepRowsWholeAndRepeatTheirHeader()
    {
        QFETCH(QString, pdf);
        QFETCH(QString, source);
        // The body laid out as the build laid it out for the PDF beside the program.
        QTemporaryDir dir;
        QPdfWriter writer(dir.filePath(QStringLiteral("layout.pdf")));
        const docgen::Body body = docgen::layOut(
            QStringLiteral(FENDRIX_DOCS_DIR "/") + source, QStringLiteral(FENDRIX_DEMO_EXAMPLE_DIR), writer);
        const QString path = QStringLiteral(FENDRIX_MANUAL_DIR "/") + pdf;
        const int pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
                              .match(run(QStringLiteral("pdfinfo"), { path }))
                              .captured(1)
                              .toInt();
        const int firstBodyPage = pages - body.doc->pageCount() + 1;
        QVERIFY(firstBodyPage > 2);
        const qreal height = body.doc->pageSize().height();
        const auto pageOf = [height](qreal y) { return static_cast<int>(std::floor(y / height)); };
        QAbstractTextDocumentLayout* layout = body.doc->documentLayout();

        int tables = 0, continued = 0;
        for (QTextFrame* frame : body.doc->rootFrame()->childFrames()) {
            auto* table = qobject_cast<QTextTable*>(frame);
            if (!table)
                continue;
            ++tables;
            int previousPage = -1;
            for (int row = 0; row < table->rows(); ++row) {
                qreal top = std::numeric_limits<qreal>::max(), bottom = -top;
                for (int column = 0; column < table->columns(); ++column) {
                    const QTextTableCell cell = table->cellAt(row, column);
                    for (QTextBlock block = cell.firstCursorPosition().block();
                         block.isValid() && block.position() <= cell.lastPosition(); block = block.next()) {
                        const QRectF rect = layout->blockBoundingRect(block);
                        top = std::min(top, rect.top());
                        bottom = std::max(bottom, rect.bottom());
                    }
                }
                const QString first = cellText(*table, row, 0);
                QVERIFY2(pageOf(top) == pageOf(bottom - 1),
                    qPrintable(QStringLiteral("a row split over two pages: ") + first));
                if (row > 0 && pageOf(top) > previousPage) {
                    // The table goes on on this page: its header comes first.
                    ++continued;
                    const QString text
                        = pdfText(path, firstBodyPage + pageOf(top), firstBodyPage + pageOf(top));
                    // The row's first cell as a whole word: a header word may hold it ("eps3").
                    const QRegularExpression cellWord(QStringLiteral("(?<!\\S)")
                        + QRegularExpression::escape(first) + QStringLiteral("(?!\\S)"));
                    const QString above = text.left(text.indexOf(cellWord));
                    for (int column = 0; column < table->columns(); ++column)
                        for (const QString& word : cellText(*table, 0, column).split(QLatin1Char(' ')))
                            QVERIFY2(above.contains(word),
                                qPrintable(QStringLiteral("page %1 goes on with \"%2\" without its header")
                                               .arg(firstBodyPage + pageOf(top))
                                               .arg(first)));
                }
                previousPage = pageOf(top);
            }
            // Where the table reaches onto the page below its last row, its header is not drawn there.
            const int end = pageOf(layout->frameBoundingRect(table).bottom() - 1);
            if (end > previousPage)
                QVERIFY2(!pdfText(path, firstBodyPage + end, firstBodyPage + end)
                              .startsWith(cellText(*table, 0, 0) + QLatin1Char(' ') + cellText(*table, 0, 1)),
                    qPrintable(QStringLiteral("page %1 shows a header alone").arg(firstBodyPage + end)));
        }
        qInfo("%d tables, %d pages that a table goes on on", tables, continued);
        QVERIFY(tables > 0);
    }

    void workedExampleShowsWhatTheProgramShows()
    {
        auto w = openWindow();
        openDemo(w.get());
        click(w->Button2);
        const QString equations = pdfText(QStringLiteral(FENDRIX_MANUAL_DIR "/") + kEquations);
        QStringList quoted;
        for (QLabel* line : { w->Label43, w->Label44, w->Label66, w->Label55, w->Label80, w->Label201,
                 w->Label205, w->Label206 })
            quoted << line->text();
        quoted << QStringLiteral("I = (B*12)^4 / 12 = %1 in^4").arg(w->Edit12->text())
               << QStringLiteral("M all = %1 k-ft and M all = %2 k-ft")
                      .arg(w->EditMall[0]->text(), w->EditMall[1]->text())
               << QStringLiteral("rho = %1 %").arg(w->Edit57->text());
        for (const QString& text : quoted) {
            QVERIFY(!text.isEmpty() && !text.contains(QLatin1String("N.A.")));
            QVERIFY2(equations.contains(plain(text)),
                qPrintable(QStringLiteral("not in the worked example: ") + text));
        }
    }

    void helpOpensTheDocumentsBesideTheProgram()
    {
        QStringList opened;
        platform::setShellOpenHandler([&](const QString& document) {
            opened << document;
            return true;
        });
        auto w = openWindow();
        const QString folder = platform::executableFolder();
        for (const QString& name : { kManual, kEquations })
            QFile::remove(folder + name);
        // Without the documents beside it, the program opens nothing.
        QTest::keyClick(w.get(), Qt::Key_F1);
        w->AEquations->trigger();
        QVERIFY(opened.isEmpty());

        for (const QString& name : { kManual, kEquations })
            QVERIFY(QFile::copy(QStringLiteral(FENDRIX_MANUAL_DIR "/") + name, folder + name));
        QTest::keyClick(w.get(), Qt::Key_F1);
        w->AEquations->trigger();
        for (const QString& name : { kManual, kEquations })
            QFile::remove(folder + name);
        QCOMPARE(opened, QStringList({ folder + kManual, folder + kEquations }));
    }

    void whatTheDesktopCannotOpenIsNamed()
    {
        // A desktop without a PDF viewer or a browser.
        QStringList tried;
        platform::setShellOpenHandler([&](const QString& target) {
            tried << target;
            return false;
        });
        auto w = openWindow();
        const QString manual = platform::executableFolder() + kManual;
        QFile::remove(manual);
        MessageScript answers;
        // A manual that is not there stays a silent nothing.
        QTest::keyClick(w.get(), Qt::Key_F1);
        QVERIFY(tried.isEmpty());
        QVERIFY(answers.asked.isEmpty());

        // F1, Help > Help and Help > Website each say once what did not open.
        QVERIFY(QFile::copy(QStringLiteral(FENDRIX_MANUAL_DIR "/") + kManual, manual));
        QTest::keyClick(w.get(), Qt::Key_F1);
        w->AHelp->trigger();
        w->AWeb->trigger();
        QFile::remove(manual);
        // So do the About box's address and, beside a concrete pile, the link to the bored-pile
        // page on the Pile Properties tab.
        QTimer::singleShot(0, w.get(), [&] {
            if (auto* box = w->findChild<TfrmSFAbout*>()) {
                QTest::mouseClick(box->Label2, Qt::LeftButton);
                box->accept();
            }
        });
        w->AAbout->trigger();
        w->PageControl1->setCurrentWidget(w->TabSheet2);
        QVERIFY(w->Label222->isVisible());
        QTest::mouseClick(w->Label222, Qt::LeftButton);
        QCOMPARE(tried,
            QStringList({ manual, manual, HomePageAddress(), HomePageAddress(), BoredPilePageAddress() }));
        QCOMPARE(answers.asked.size(), tried.size());
        for (qsizetype i = 0; i < tried.size(); ++i)
            QVERIFY2(answers.asked[i].contains(tried[i]), qPrintable(answers.asked[i]));
    }
};

int main(int argc, char** argv)
{
    return testing_window::runWindowTest<ManualsTest>(argc, argv);
}

#include "manuals_qtest.moc"
