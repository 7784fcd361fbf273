// The update dialog, driven offscreen against a loopback server. This program is stamped
// as version 2.1.7.
#include "update/checkupdates.h"

#include "model/globals.h"
#include "platform/qt/messages.h"

#include "loopbackserver.h"
#include "ziputil.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

constexpr const char* kPage = "/updates/qzp/qzp.html";

struct Seen {
    QMessageBox::Icon icon;
    QString text;
};

// Answers message boxes as they appear, in order, and remembers what they said. A box without
// the answer's button (or once the answers are used up) gets what closing it would give.
class Answerer : public QObject {
public:
    explicit Answerer(QList<QMessageBox::StandardButton> answers = {}, int delayMs = 0)
        : m_answers(std::move(answers))
        , m_delayMs(delayMs)
    {
        connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start(20);
    }
    QList<Seen> seen;

private:
    void poll()
    {
        // Boxes live on the stack: a new one may take a finished one's address.
        m_done.removeIf([](const QPointer<QMessageBox>& b) { return b.isNull(); });
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box || !box->isVisible() || m_done.contains(box))
                continue;
            m_done << box;
            seen << Seen { box->icon(), box->text() };
            const QMessageBox::StandardButton answer
                = m_answers.isEmpty() ? QMessageBox::NoButton : m_answers.takeFirst();
            QAbstractButton* button = box->button(answer);
            if (!button)
                button = box->button(platform::escapeButton(box->standardButtons()));
            QTimer::singleShot(m_delayMs, button, [button] { button->click(); });
        }
    }
    QTimer m_timer;
    QList<QMessageBox::StandardButton> m_answers;
    int m_delayMs;
    QList<QPointer<QMessageBox>> m_done;
};

TfrmCheckUpdates* openDialog()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* d = qobject_cast<TfrmCheckUpdates*>(w); d && d->isVisible())
            return d;
    }
    return nullptr;
}

// Shows the dialog; step() runs every 20 ms while it is open, with the dialog.
void runDialog(bool silent, const QString& url, const std::function<void(TfrmCheckUpdates*)>& step = {})
{
    QTimer stepper;
    QObject::connect(&stepper, &QTimer::timeout, [&step] {
        if (TfrmCheckUpdates* d = openDialog(); d && step)
            step(d);
    });
    stepper.start(20);
    // Never hang the suite: whatever happens, the dialog goes after 20 s.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        if (TfrmCheckUpdates* d = openDialog()) {
            d->wupd->Abort();
            d->done(QDialog::Rejected);
        }
    });
    watchdog.start(20000);
    ShowCheckUpdates(silent, url);
}

// Version 2.1.8 as an archive whose program, started, writes the marker file; padding (1 MiB
// that does not compress) makes it larger than the transfer's buffer, and release says how it
// is sent.
void offerSetup(LoopbackServer& server, bool padding = false, LoopbackServer::Reply release = {})
{
    QList<ZipItem> items = { { "setup", "#!/bin/sh\necho x > \"$FENDRIX_UPDATE_MARKER\"\n", 0755 } };
    if (padding) {
        QByteArray noise(1 << 20, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
        items.append({ "padding.dat", noise });
    }
    release.body = makeZip(items);
    server.offer(kPage, "2.1.8", "u.zip", release);
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
}

} // namespace

// The offscreen platform cannot pass size hints on to a window system and says so every time a
// fixed-size dialog lays itself out; that says nothing about the program.
static QtMessageHandler g_previousHandler = nullptr;
static void quietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains(QLatin1String("propagateSizeHints")))
        return;
    g_previousHandler(type, context, message);
}

class CheckUpdatesTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;
    QString m_updateFolder;
    QString m_marker;

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_root.filePath("data")));
        qputenv("TMPDIR", QFile::encodeName(m_root.path()));
        m_marker = m_root.filePath("started.txt");
        qputenv("FENDRIX_UPDATE_MARKER", QFile::encodeName(m_marker));
        m_updateFolder = QString::fromStdString(GetUserDataPath()) + "Update";
        QCOMPARE(QString::fromStdString(GetAppVersionString()), QStringLiteral("2.1.7"));
        g_previousHandler = qInstallMessageHandler(quietOffscreen);
        useLoopbackServers();
    }

    void init()
    {
        QDir(m_updateFolder).removeRecursively();
        QFile::remove(m_marker);
        SetUpdateTerminateHook({}, {});
    }

    void controlsWhenShown()
    {
        TfrmCheckUpdates dialog;
        dialog.wupd->ProductInfo.setURL(UpdatePageURL());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Check for updates"));
        QCOMPARE(dialog.wupd->objectName(), QStringLiteral("wupd"));
        QCOMPARE(dialog.wupd->Options, TupUpdateOptions(uoRunUpdate) | uoTerminate | uoOverwrite);
        QVERIFY(!dialog.Silent);
        dialog.Timer1->setInterval(60000); // look, don't check
        dialog.show();
        QCoreApplication::processEvents();
        QCOMPARE(dialog.Label2->text(), QStringLiteral("Checking..."));
        QCOMPARE(dialog.Label3->text(), QStringLiteral("0 / 0 KB"));
        QVERIFY(dialog.Label3->isHidden());
        QVERIFY(dialog.Label6->isHidden());
        QVERIFY(dialog.qxSkinProgressBar1->isHidden());
        QCOMPARE(dialog.CloseBtn->text(), QStringLiteral("&Cancel"));
        QCOMPARE(dialog.Label5->text(), QStringLiteral("Current version: 2.1.7"));
        QCOMPARE(dialog.Label4->toolTip(), UpdatePageURL());
        QVERIFY(
            dialog.Label4->fontMetrics().horizontalAdvance(dialog.Label4->text()) <= dialog.Label4->width());
        QVERIFY(dialog.Label4->text().endsWith(QLatin1String("qzp.html")));
        QVERIFY(dialog.Timer1->isActive());
        // The header band keeps its height when the progress bar appears.
        const auto* band = dialog.findChild<QWidget*>(QStringLiteral("HeaderPanel"));
        const int bandHeight = band->height();
        dialog.wupd->OnBeforeDownload(QStringLiteral("/tmp/fendrix-2.1.8.zip"));
        QCoreApplication::processEvents();
        QVERIFY(dialog.qxSkinProgressBar1->isVisible());
        QCOMPARE(band->height(), bandHeight);
        dialog.CloseBtn->click(); // not busy: closes at once
        QVERIFY(!dialog.isVisible());
    }

    void counterAndBarRoundHalvesToEven()
    {
        TfrmCheckUpdates dialog;
        dialog.wupd->OnDownload(2097152, 524288);
        QCOMPARE(dialog.Label3->text(), QStringLiteral("512 / 2048 KB"));
        QCOMPARE(dialog.qxSkinProgressBar1->value(), 25);
        dialog.wupd->OnDownload(2560, 1536); // 2.5 and 1.5 KB
        QCOMPARE(dialog.Label3->text(), QStringLiteral("2 / 2 KB"));
        QCOMPARE(dialog.qxSkinProgressBar1->value(), 60);
        dialog.wupd->OnDownload(8, 1); // 12.5 %
        QCOMPARE(dialog.qxSkinProgressBar1->value(), 12);
        dialog.wupd->OnDownload(8, 3); // 37.5 %
        QCOMPARE(dialog.qxSkinProgressBar1->value(), 38);
        dialog.wupd->OnDownload(0, 5000); // no total: the bar stays
        QCOMPARE(dialog.Label3->text(), QStringLiteral("5 / 0 KB"));
        QCOMPARE(dialog.qxSkinProgressBar1->value(), 38);
    }

    void downloadsGoToTheUpdateFolder()
    {
        TfrmCheckUpdates dialog;
        QString name = QStringLiteral("/tmp/somewhere/../setup.zip");
        dialog.wupd->OnGetClientFileName(name);
        QCOMPARE(name, m_updateFolder + "/setup.zip");
        QVERIFY(QFileInfo(m_updateFolder).isDir());
        name = QStringLiteral("/tmp/..");
        dialog.wupd->OnGetClientFileName(name);
        QVERIFY(name.isEmpty());
    }

    void minimizeName()
    {
        const QFontMetrics fm(QApplication::font());
        const QString path = QStringLiteral("/home/engineer/.local/share/Fendrix/Update/fendrix-setup.zip");
        const QString url = QStringLiteral("https://www.braxholm.example/updates/qzp/qzp.html");
        // A file right below the root or a host: the folder part is cut away like any other.
        const QString top = QStringLiteral("/fendrix-setup-2.1.8.zip");
        const QString hostFile = QStringLiteral("https://www.braxholm.example/fendrix-setup-2.1.8.zip");
        QCOMPARE(MinimizeName(path, fm, 100000), path);
        // Each form is what comes out for exactly the width it needs.
        const QList<QPair<QString, QString>> fits
            = { { path, path }, { path, "/.../share/Fendrix/Update/fendrix-setup.zip" },
                  { path, "/.../Update/fendrix-setup.zip" }, { path, ".../fendrix-setup.zip" },
                  { url, "https://www.braxholm.example/.../qzp.html" }, { url, ".../qzp.html" },
                  { hostFile, ".../fendrix-setup-2.1.8.zip" } };
        for (const auto& [name, shortened] : fits)
            QCOMPARE(MinimizeName(name, fm, fm.horizontalAdvance(shortened)), shortened);
        // Shortening ends with the bare name, however little room there is.
        for (const QString& name : { path, url, top, hostFile }) {
            for (int tiny : { 1, 5 })
                QCOMPARE(MinimizeName(name, fm, tiny), name.mid(name.lastIndexOf('/') + 1));
        }
    }

    // Offers where nothing is downloaded: a major version (warned about), a declined update and
    // none newer (the dialog stays, with Close, until the user closes it).
    void nothingIsDownloaded_data()
    {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("label");
        QTest::newRow("major version")
            << QByteArray("3.0.0") << int(QMessageBox::Ok)
            << QStringLiteral("There is new major version of software available.\n"
                              "Major updates are not free. Please visit our website "
                              "for more information.")
            << QStringLiteral("New version: 3.0.0");
        QTest::newRow("declined") << QByteArray("2.1.8") << int(QMessageBox::No) << QString()
                                  << QStringLiteral("New version: 2.1.8");
        QTest::newRow("no update") << QByteArray("2.1.7") << int(QMessageBox::Ok) << QString()
                                   << QStringLiteral("You have the latest version");
    }

    void nothingIsDownloaded()
    {
        QFETCH(QByteArray, version);
        QFETCH(int, answer);
        QFETCH(QString, message);
        QFETCH(QString, label);
        const bool stays = version == "2.1.7";
        LoopbackServer server;
        server.offer(kPage, version, "r.zip");
        Answerer answerer({ QMessageBox::StandardButton(answer) });
        QString shown;
        QString button;
        runDialog(false, server.url(kPage), [&](TfrmCheckUpdates* d) {
            shown = d->Label6->text();
            if (stays && d->Label6->isVisible() && !d->wupd->Busy()) {
                button = d->CloseBtn->text();
                d->CloseBtn->click();
            }
        });
        QCOMPARE(answerer.seen.size(), stays ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(answerer.seen[0].icon, QMessageBox::Warning);
            QCOMPARE(answerer.seen[0].text, message);
        }
        QCOMPARE(shown, label);
        QCOMPARE(button, stays ? QStringLiteral("&Close") : QString());
        QCOMPARE(server.hits("/r.zip"), 0);
        QVERIFY(entries(m_updateFolder).isEmpty());
    }

    void acceptedUpdateIsDownloadedStartedAndEndsTheProgram()
    {
        LoopbackServer server;
        const QByteArray archive = makeZip(
            { { "fendrix-2.1.8", "#!/bin/sh\necho started > \"$FENDRIX_UPDATE_MARKER\"\n", 0755 } });
        server.offer(
            kPage, "2.1.8", "fendrix-2.1.8.zip", { .body = archive, .pieceSize = 50, .pieceDelayMs = 40 });
        int terminated = 0;
        bool startedBeforeAsked = true;
        SetUpdateTerminateHook(
            [this, &startedBeforeAsked] {
                QTest::qWait(300);
                startedBeforeAsked = QFile::exists(m_marker);
                return true;
            },
            [&terminated] {
                ++terminated;
                // What the main window does: end, here by closing the dialog.
                if (TfrmCheckUpdates* d = openDialog())
                    d->close();
            });
        Answerer answerer({ QMessageBox::Yes });
        bool sawDownloading = false;
        QString fileLabelHint;
        runDialog(false, server.url(kPage), [&](TfrmCheckUpdates* d) {
            if (d->Label2->text() == QLatin1String("Downloading...") && d->Label3->isVisible()
                && d->qxSkinProgressBar1->isVisible()) {
                sawDownloading = true;
                fileLabelHint = d->Label4->toolTip();
            }
        });
        QCOMPARE(answerer.seen.size(), 1);
        QCOMPARE(answerer.seen[0].icon, QMessageBox::Warning);
        QCOMPARE(answerer.seen[0].text,
            QStringLiteral("There is new version of software available for \ndownload at the Braxholm "
                           "website.\n\n\nDo you want to install new version? Program will be restarted."));
        QVERIFY(sawDownloading);
        QCOMPARE(fileLabelHint, m_updateFolder + "/fendrix-2.1.8.zip");
        QCOMPARE(terminated, 1);
        QVERIFY(!startedBeforeAsked);
        QVERIFY(QFileInfo(m_updateFolder + "/BraxholmUpdate/fendrix-2.1.8").isExecutable());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(m_marker).size() > 0, 5000);
    }

    void updateAbandonedBeforeAnythingStarts()
    {
        LoopbackServer server;
        offerSetup(server);
        int asked = 0;
        int terminated = 0;
        // The save question answered Cancel (or a save that failed).
        SetUpdateTerminateHook(
            [&asked] {
                ++asked;
                return false;
            },
            [&terminated] { ++terminated; });
        Answerer answerer({ QMessageBox::Yes });
        QString status;
        QString button;
        runDialog(false, server.url(kPage), [&](TfrmCheckUpdates* d) {
            if (asked == 1 && !d->wupd->Busy()) {
                status = d->Label2->text();
                button = d->CloseBtn->text();
                QVERIFY(d->qxSkinProgressBar1->isHidden());
                d->CloseBtn->click();
            }
        });
        QCOMPARE(asked, 1);
        QCOMPARE(terminated, 0);
        QCOMPARE(status, QStringLiteral("Update abandoned: nothing was started."));
        QCOMPARE(button, QStringLiteral("&Close"));
        QTest::qWait(300);
        QVERIFY(!QFile::exists(m_marker));
    }

    void silentModeClosesWithoutAMessage_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<bool>("mute");
        QTest::newRow("no newer version") << 200 << QByteArray("2.1.7") << false;
        QTest::newRow("server error") << 500 << QByteArray("2.1.8") << false;
        QTest::newRow("page without version") << 200 << QByteArray() << false;
        QTest::newRow("server that never answers") << 200 << QByteArray("2.1.8") << true;
    }

    void silentModeClosesWithoutAMessage()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, version);
        QFETCH(bool, mute);
        LoopbackServer server;
        server.setReply(
            kPage, { .status = status, .body = LoopbackServer::infoPage(version, "x", "y"), .mute = mute });
        Answerer answerer;
        bool wasShown = false;
        QElapsedTimer clock;
        clock.start();
        runDialog(true, server.url(kPage), [&wasShown](TfrmCheckUpdates* d) {
            wasShown = true;
            d->wupd->StallTimeoutMs = 300; // the check starts 500 ms after the dialog shows
        });
        QVERIFY(clock.elapsed() < 10000); // the watchdog would close it after 20 s
        QVERIFY(wasShown);
        QVERIFY(answerer.seen.isEmpty());
        QCOMPARE(server.hits(kPage), 1);
    }

    void interactiveErrorIsReportedAndTheDialogStays_data()
    {
        QTest::addColumn<bool>("reachable");
        QTest::newRow("release not found") << true;
        // The error is the first box while the answers start with the update's Yes.
        QTest::newRow("nobody listening") << false;
    }

    void interactiveErrorIsReportedAndTheDialogStays()
    {
        QFETCH(bool, reachable);
        auto server = std::make_unique<LoopbackServer>();
        server->offer(kPage, "2.1.8", "r.zip",
            LoopbackServer::error(404, "<html><body>Not Found, but with a body</body></html>"));
        const QString url = server->url(kPage);
        if (!reachable)
            server.reset();
        Answerer answerer({ QMessageBox::Yes, QMessageBox::Ok });
        const qsizetype boxes = reachable ? 2 : 1;
        bool openAfterError = false;
        QString status;
        QString button;
        runDialog(false, url, [&](TfrmCheckUpdates* d) {
            if (answerer.seen.size() == boxes && !d->wupd->Busy()) {
                openAfterError = d->isVisible();
                status = d->Label2->text();
                button = d->CloseBtn->text();
                QVERIFY(d->qxSkinProgressBar1->isHidden());
                d->CloseBtn->click();
            }
        });
        QCOMPARE(answerer.seen.size(), boxes);
        QCOMPARE(answerer.seen.last().icon, QMessageBox::Critical);
        if (reachable) {
            QCOMPARE(answerer.seen.last().text,
                QStringLiteral("Error accessing data from the web!\nHTTP 404 Not Found"));
            QCOMPARE(server->hits("/r.zip"), 1);
        } else {
            QVERIFY2(answerer.seen.last().text.startsWith("Error accessing data from the web!\n")
                    && answerer.seen.last().text.contains("connect", Qt::CaseInsensitive),
                qPrintable(answerer.seen.last().text));
        }
        QVERIFY(openAfterError);
        QCOMPARE(status, QStringLiteral("Error accessing data from the web!"));
        QCOMPARE(button, QStringLiteral("&Close"));
        QVERIFY(entries(m_updateFolder).isEmpty());
    }

    void closingWhileCheckingAbortsWithoutAMessage()
    {
        LoopbackServer server;
        server.setReply(kPage, { .body = LoopbackServer::infoPage("2.1.8", "x", "y"), .stall = true });
        Answerer answerer;
        bool wasBusy = false;
        runDialog(false, server.url(kPage), [&](TfrmCheckUpdates* d) {
            if (d->wupd->Busy() && server.hits(kPage) == 1) {
                wasBusy = true;
                d->close(); // the title bar's close button: no question, the round stops
            }
        });
        QVERIFY(wasBusy);
        QVERIFY(openDialog() == nullptr);
        QVERIFY(answerer.seen.isEmpty());
    }

    // The question "abort?" left open, then answered No, while nothing more can come: the body
    // has ended, or the reader waits on the question with the buffer full so the transfer holds
    // the server back. Neither is the server's silence.
    void questionLeftOpenKeepsTheDownload_data()
    {
        QTest::addColumn<bool>("bodyEnded");
        QTest::newRow("body ended") << true;
        QTest::newRow("buffer full") << false;
    }

    void questionLeftOpenKeepsTheDownload()
    {
        QFETCH(bool, bodyEnded);
        LoopbackServer server;
        // Unless the body ends first, 128 KiB pieces fill the buffer while the question is open.
        offerSetup(server, !bodyEnded, { .pieceSize = 131072, .pieceDelayMs = 60 });
        int terminated = 0;
        SetUpdateTerminateHook({}, [&terminated] {
            ++terminated;
            if (TfrmCheckUpdates* d = openDialog())
                d->close();
        });
        // Yes to the update; No to "abort?", after the server's whole time without data has
        // passed three times over (the bound is shortened for the test).
        constexpr int kStallMs = 300;
        Answerer answerer({ QMessageBox::Yes, QMessageBox::No }, 3 * kStallMs);
        bool asked = false;
        runDialog(false, server.url(kPage), [&](TfrmCheckUpdates* d) {
            if (d->wupd->StallTimeoutMs == kStallMs)
                return;
            d->wupd->StallTimeoutMs = kStallMs;
            // Cancel from the progress of the release's last piece (the transfer loop waits on
            // the question), or soon after its first (the reader waits for the next piece).
            d->wupd->OnDownload
                = [d, &asked, bodyEnded, progress = d->wupd->OnDownload](qint64 total, qint64 downloaded) {
                      progress(total, downloaded);
                      if (asked || d->Label2->text() != QLatin1String("Downloading..."))
                          return;
                      if (bodyEnded && downloaded == total) {
                          asked = true;
                          d->CloseBtn->click();
                      } else if (!bodyEnded) {
                          asked = true;
                          QTimer::singleShot(20, d->CloseBtn, &QPushButton::click);
                      }
                  };
        });
        QVERIFY(asked);
        QVERIFY2(answerer.seen.size() == 2, qPrintable(answerer.seen.last().text));
        QCOMPARE(answerer.seen[1].text, QStringLiteral("Are you sure you want to abort downloading?"));
        QCOMPARE(terminated, 1);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(m_marker).size() > 0, 5000);
    }

    void cancelDuringDownloadAsksThenAbortsQuietly()
    {
        LoopbackServer server;
        // 2 MiB in four pieces a second apart: the counter rests at 512 / 2048 KB for a while.
        server.offer(kPage, "2.1.9", "big.bin",
            { .body = QByteArray(2097152, 'r'), .pieceSize = 524288, .pieceDelayMs = 1500 });
        int terminated = 0;
        SetUpdateTerminateHook({}, [&terminated] { ++terminated; });
        // Yes to the update, No to the first "abort?", Yes to the second.
        Answerer answerer({ QMessageBox::Yes, QMessageBox::No, QMessageBox::Yes });
        QString counter;
        int bar = -1;
        int clicks = 0;
        runDialog(false, server.url(kPage), [&](TfrmCheckUpdates* d) {
            if (d->wupd->Downloaded() != 524288 || !d->Label3->isVisible())
                return;
            counter = d->Label3->text();
            bar = d->qxSkinProgressBar1->value();
            // Only what a user could do: click while no message box is in front.
            if (QApplication::activeModalWidget() == d && answerer.seen.size() == clicks + 1) {
                ++clicks;
                QTimer::singleShot(0, d->CloseBtn, &QPushButton::click);
            }
        });
        QCOMPARE(counter, QStringLiteral("512 / 2048 KB"));
        QCOMPARE(bar, 25);
        QCOMPARE(answerer.seen.size(), 3);
        QCOMPARE(answerer.seen[1].icon, QMessageBox::Question);
        QCOMPARE(answerer.seen[1].text, QStringLiteral("Are you sure you want to abort downloading?"));
        QCOMPARE(answerer.seen[2].text, QStringLiteral("Are you sure you want to abort downloading?"));
        QCOMPARE(terminated, 0);
        QVERIFY(entries(m_updateFolder).isEmpty());
    }
};

QTEST_MAIN(CheckUpdatesTest)
#include "checkupdates_qtest.moc"
