// The report printed from the texts of the real main window: what the window shows after a
// calculation reaches the pages.
#include "model/globals.h"
#include "model/lpclasses.h"
#include "platform/qt/report.h"
#include "platform/qt/settings.h"
#include "report/lpreport.h"
#include "ui/main/lpmain.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTimer>
#include <QtTest>

#include <memory>

using platform::TReportItem;

namespace {

bool pagesHold(const std::vector<platform::TReportPage>& pages, const QString& text)
{
    for (const auto& page : pages)
        for (const TReportItem& item : page.Items)
            if (item.What == TReportItem::Kind::Text && item.Text == text)
                return true;
    return false;
}

} // namespace

class MainWindowReportTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Braxholm Fendrix Professional"));
        // No update check from the window's start-up timer.
        platform::SettingsKey key;
        key.openKey(QStringLiteral("Software\\Braxholm\\Fendrix\\"), true);
        key.writeBool(QStringLiteral("AutoUpdates"), false);
    }

    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // On any desktop the printed numbers are those of the screen.
    void printsWhatTheWindowShows_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("C") << QLocale::c();
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany);
    }

    void printsWhatTheWindowShows()
    {
        QFETCH(QLocale, locale);
        QLocale::setDefault(locale);
        auto w = std::make_unique<TfrmLPMain>();
        w->Timer1->stop();
        w->LPData->LoadFromFile(FENDRIX_DEMO_EXAMPLE_DIR "/ENGLISH UNITS DEMO EXAMPLE.fdx");
        w->LPData->ProjectName = "Quay wall pile 7";
        w->LPData->Layers[0]->Thickness += 0.5L; // depths with a fraction
        w->LPData->Layers[1]->Thickness -= 0.5L;
        w->LPData->Calculate();
        w->DataToForm();

        const TReportTexts texts = CollectReportTexts(*w);
        QVERIFY(texts.Visible("TabSheet6")); // the demo designs its concrete section
        QVERIFY(!texts.Visible("TabSheet4"));
        QVERIFY(!texts.Visible("pnlResSteel"));

        TLPReport report(*w->LPData, texts);
        report.ScreenPixelsPerInch = 48;
        platform::TReportSystem system;
        report.Attach(system);
        system.Generate();
        const auto& pages = system.Pages();
        QCOMPARE(static_cast<int>(pages.size()), 8);

        QVERIFY(pagesHold(pages, QStringLiteral("Quay wall pile 7")));
        QVERIFY(pagesHold(pages, w->PageControl1->tabText(w->PageControl1->indexOf(w->TabSheet1)).trimmed()));
        QVERIFY(pagesHold(pages, w->Label24->text().trimmed()));
        QVERIFY(pagesHold(pages, w->Edit1->text() + QLatin1Char(' ') + w->Label5->text()));
        QVERIFY(pagesHold(pages, w->ComboBox3->currentText()));
        for (int n = 1; w->LayerPanel(n); ++n) {
            for (const char* base : { "Length", "SPTFieldN", "Kp", "Gamma", "SGReactBottom" }) {
                const auto* value = w->findChild<QLineEdit*>(QLatin1String(base) + QString::number(n));
                QVERIFY(value);
                QVERIFY2(pagesHold(pages, value->text()), qPrintable(value->text()));
            }
            const auto* range = w->findChild<QLabel*>(QStringLiteral("Range") + QString::number(n));
            QVERIFY(range);
            const QString printed = QString(range->text()).replace(QLatin1Char('-'), QStringLiteral(" - "));
            QVERIFY2(pagesHold(pages, printed), qPrintable(printed));
        }
        QVERIFY(w->Edit1->text().contains(locale.decimalPoint()));
        for (QLabel* line : { w->Label43, w->Label44, w->Label66, w->Label55, w->Label80, w->Label201,
                 w->Label205, w->Label206 }) {
            QVERIFY(!line->text().isEmpty());
            QVERIFY2(pagesHold(pages, line->text()), qPrintable(line->text()));
        }
        QVERIFY(pagesHold(pages, QStringLiteral("Structural Design - Concrete")));
        const auto* bars = w->findChild<QComboBox*>(QStringLiteral("ComboBox14"));
        QVERIFY(bars);
        QVERIFY(pagesHold(pages, bars->currentText()));
        const auto* count = w->findChild<QLineEdit*>(QStringLiteral("Edit59"));
        QVERIFY(count);
        QVERIFY(pagesHold(pages, count->text()));
        QVERIFY(pagesHold(
            pages, QStringLiteral("Fendrix Professional v") + QString::fromStdString(GetAppVersionString())));

        // The pages as pictures for a look, when FENDRIX_REPORT_PNG names a folder.
        const QString keep = qEnvironmentVariable("FENDRIX_REPORT_PNG");
        if (!keep.isEmpty()) {
            QDir().mkpath(keep);
            const QString file = keep + QStringLiteral("/window.pdf");
            SaveReportToPdf(*w->LPData, texts, file);
            QProcess::execute(QStringLiteral("pdftoppm"),
                { QStringLiteral("-r"), QStringLiteral("60"), QStringLiteral("-png"), file,
                    keep + QStringLiteral("/window") });
        }
    }
};

QTEST_MAIN(MainWindowReportTest)
#include "mainwindow_qtest.moc"
