// Makes the pictures of the user manual from the program itself: the real main window, started
// as the program starts, with the English-units demo project opened and calculated, and pages of
// its printed report. Run through docs/make-figures, which gives it a private home.
//
//   fendrix_docfigures <demo folder> <output folder>
#include "platform/qt/report.h"
#include "report/lpreport.h"
#include "report/reporttexts.h"
#include "ui/main/filedialog.h"
#include "ui/main/lpmain.h"
#include "ui/main/startup.h"

#include <QApplication>
#include <QPixmap>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>

namespace {

bool save(const QImage& image, const QString& path)
{
    if (image.save(path))
        return true;
    std::fprintf(stderr, "fendrix_docfigures: cannot write %s\n", qPrintable(path));
    return false;
}

bool makeFigures(TfrmLPMain& w, const QString& demoFolder, const QString& out)
{
    TFileDialog::SetAnswerer(
        [&](const TFileDialog&) { return demoFolder + QStringLiteral("/ENGLISH UNITS DEMO EXAMPLE.fdx"); });
    w.AOpen->trigger();
    TFileDialog::SetAnswerer({});
    QApplication::processEvents();

    bool ok = save(w.grab().toImage(), out + QStringLiteral("/loading.png"));
    w.PageControl1->setCurrentWidget(w.TabSheet6);
    QApplication::processEvents();
    ok = save(w.grab().toImage(), out + QStringLiteral("/concrete.png")) && ok;
    w.Button2Click(); // Calculate Results
    QApplication::processEvents();
    ok = save(w.grab().toImage(), out + QStringLiteral("/results.png")) && ok;

    TLPReport report(*w.LPData, CollectReportTexts(w));
    platform::TReportSystem system;
    report.Attach(system);
    system.Generate();
    ok = save(system.RenderToImage(0, 90), out + QStringLiteral("/report-page1.png")) && ok;
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: fendrix_docfigures <demo folder> <output folder>\n");
        return 2;
    }
    const QString demoFolder = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    bool ok = false;
    int appArgc = 1;
    RunProgram(appArgc, argv, [&](TfrmLPMain& w) {
        w.WriteAutoUpdates(false); // no update check while the pictures are taken
        w.resize(TfrmLPMain::kDesignedWidth, TfrmLPMain::kDesignedHeight);
        // After the splash window has closed itself.
        QTimer::singleShot(2500, &w, [&] {
            ok = makeFigures(w, demoFolder, out);
            w.close();
        });
    });
    return ok ? 0 : 1;
}
