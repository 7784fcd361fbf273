// The update client against a real HTTP server on the loopback interface.
#include "update/webupdate.h"

#include "loopbackserver.h"
#include "ziputil.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

QByteArray infoPage(const QByteArray& version, const QByteArray& download, const QByteArray& clientName,
    const QByteArray& extra = {})
{
    return "<html>\r\n<head>\r\n<title>Fendrix updates</title>\r\n"
           "<META NAME=\"upProduct\" CONTENT=\"Fendrix\">\r\n"
           "<META NAME=\"upVersion\" CONTENT=\""
        + version + "\">\r\n<META NAME=\"upDownload\" CONTENT=\"" + download
        + "\">\r\n<META NAME=\"upClientSideName\" CONTENT=\"" + clientName + "\">\r\n" + extra
        + "</head>\r\n<body>New release</body>\r\n</html>\r\n";
}

QByteArray pattern(qsizetype size)
{
    QByteArray b(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        b[i] = char((i * 131) ^ (i >> 9));
    return b;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Binds every event of a client and writes what happened into a log.
struct Recorder {
    QStringList log;
    int progressEvents = 0;
    QList<qint64> downloadedSeen;
    qint64 lastTotal = -1;
    int errors = 0;
    int terminated = 0;
    int cannotExecute = 0;
    bool canUpdate = true;
    bool canTerminate = true;

    explicit Recorder(TupWebUpdate& w)
    {
        w.OnBeforeGetInfo = [this] { log << "BeforeGetInfo"; };
        w.OnAfterGetInfo = [this] { log << "AfterGetInfo"; };
        w.OnNoUpdateFound = [this] { log << "NoUpdateFound"; };
        w.OnDownloadError = [this] {
            ++errors;
            log << "DownloadError";
        };
        w.OnUpdateAvailable = [this](const QString& a, const QString& n, bool& can) {
            log << QStringLiteral("UpdateAvailable %1 %2").arg(a, n);
            can = canUpdate;
        };
        w.OnAfterShowInfo = [this](bool check) { log << QStringLiteral("AfterShowInfo %1").arg(check); };
        w.OnGetClientFileName = [this](QString& f) { log << "GetClientFileName " + QFileInfo(f).fileName(); };
        w.OnBeforeDownload = [this](const QString& f) { log << "BeforeDownload " + QFileInfo(f).fileName(); };
        w.OnDownload = [this](qint64 total, qint64 downloaded) {
            ++progressEvents;
            lastTotal = total;
            downloadedSeen << downloaded;
        };
        w.OnAfterDownload = [this](const QString& f) { log << "AfterDownload " + QFileInfo(f).fileName(); };
        w.OnCannotExecute = [this] {
            ++cannotExecute;
            log << "CannotExecute";
        };
        w.OnQueryTerminate = [this](bool& can) {
            log << "QueryTerminate";
            can = canTerminate;
        };
        w.OnTerminate = [this] {
            ++terminated;
            log << "Terminate";
        };
    }
};

} // namespace

class WebUpdateTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_tmp;
    QString m_marker;

    void configure(
        TupWebUpdate& w, const LoopbackServer& server, const QByteArray& pagePath = "/updates/qzp/qzp.html")
    {
        w.ProductInfo.setURL(server.url(QString::fromLatin1(pagePath)));
        w.ProductInfo.Version = QStringLiteral("2.1.7");
    }

    QStringList tmpEntries() const
    {
        return QDir(m_tmp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

    QByteArray markerScript() const
    {
        return "#!/bin/sh\nprintf '%s|' \"$@\" > \"$FENDRIX_UPDATE_MARKER\"\n";
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        trustLoopbackCertificate();
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_root.filePath("data")));
        m_marker = m_root.filePath(QStringLiteral("started.txt"));
        qputenv("FENDRIX_UPDATE_MARKER", QFile::encodeName(m_marker));
    }

    void init()
    {
        // A fresh temporary folder for every test: downloads land there.
        m_tmp = m_root.filePath(QStringLiteral("tmp-%1").arg(QTest::currentTestFunction()));
        QDir(m_tmp).removeRecursively();
        QVERIFY(QDir().mkpath(m_tmp));
        qputenv("TMPDIR", QFile::encodeName(m_tmp));
        QFile::remove(m_marker);
    }

    void newerVersionIsDownloadedWithEveryEventInOrder()
    {
        LoopbackServer server;
        const QByteArray release = pattern(200000);
        server.setReply("/updates/qzp/qzp.html",
            LoopbackServer::page(infoPage("2.1.8", server.url("/files/fendrix-2.1.8.bin").toUtf8(),
                "fendrix-2.1.8.bin", "<META NAME=\"upVerDate\" CONTENT=\"20240115\">\r\n")));
        server.setReply("/files/fendrix-2.1.8.bin", LoopbackServer::file(release));
        TupWebUpdate w;
        configure(w, server);
        w.Options = uoOverwrite;
        Recorder rec(w);

        QVERIFY(w.CheckForUpdate());
        QVERIFY(w.Success());
        QVERIFY(!w.Busy());
        QCOMPARE(rec.log,
            QStringList({ "BeforeGetInfo", "AfterGetInfo", "UpdateAvailable 2.1.7 2.1.8", "AfterShowInfo 1",
                "GetClientFileName fendrix-2.1.8.bin", "BeforeDownload fendrix-2.1.8.bin",
                "AfterDownload fendrix-2.1.8.bin" }));
        QCOMPARE(w.FileName(), m_tmp + "/fendrix-2.1.8.bin");
        QCOMPARE(readAll(w.FileName()), release);
        QCOMPARE(w.Total(), qint64(release.size()));
        QCOMPARE(w.Downloaded(), qint64(release.size()));
        QCOMPARE(rec.lastTotal, qint64(release.size()));
        QVERIFY(rec.progressEvents >= 1);
        QCOMPARE(rec.downloadedSeen.last(), qint64(release.size()));
        QCOMPARE(w.Page().VerDate, QDate(2024, 1, 15));
        QVERIFY(w.UnzipFolder().isEmpty());
        QCOMPARE(tmpEntries(), QStringList({ "fendrix-2.1.8.bin" }));

        // What the server was asked.
        const QByteArray head = server.requests().first();
        QVERIFY(head.startsWith("GET /updates/qzp/qzp.html HTTP/1."));
        QVERIFY(head.contains("User-Agent: TupWebUpdate"));
        QVERIFY(head.contains("Accept: */*"));
        QVERIFY(head.contains("Cache-Control: no-cache"));
    }

    void sameOrOlderVersionFindsNoUpdate()
    {
        LoopbackServer server;
        server.setReply("/updates/qzp/qzp.html",
            LoopbackServer::page(infoPage("2.1.7", server.url("/files/x.bin").toUtf8(), "x.bin")));
        TupWebUpdate w;
        configure(w, server);
        Recorder rec(w);
        QVERIFY(w.CheckForUpdate());
        QCOMPARE(rec.log, QStringList({ "BeforeGetInfo", "AfterGetInfo", "NoUpdateFound" }));
        QCOMPARE(server.hits("/files/x.bin"), 0);

        server.setReply("/updates/qzp/qzp.html",
            LoopbackServer::page(infoPage("2.0.9", server.url("/files/x.bin").toUtf8(), "x.bin")));
        rec.log.clear();
        QVERIFY(w.CheckForUpdate());
        QVERIFY(rec.log.contains("NoUpdateFound"));
    }

    void pageWithoutProductOrVersionFails_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::newRow("no product") << QByteArray("<META NAME=\"upVersion\" CONTENT=\"9.0\">\n");
        QTest::newRow("no version") << QByteArray("<META NAME=\"upProduct\" CONTENT=\"Fendrix\">\n");
        QTest::newRow("no tags") << QByteArray("<html>nothing here</html>\n");
    }

    void pageWithoutProductOrVersionFails()
    {
        QFETCH(QByteArray, page);
        LoopbackServer server;
        server.setReply("/updates/qzp/qzp.html", LoopbackServer::page(page));
        TupWebUpdate w;
        configure(w, server);
        Recorder rec(w);
        QVERIFY(w.CheckForUpdate());
        QCOMPARE(rec.errors, 1);
        QVERIFY(!w.Success());
        QVERIFY(!rec.log.join(',').contains("UpdateAvailable"));
    }

    void emptyAndMissingPagesFail()
    {
        LoopbackServer server;
        server.setReply("/empty.html", LoopbackServer::page(QByteArray()));
        TupWebUpdate w;
        Recorder rec(w);
        QVERIFY(!w.DownloadFile(server.url("/empty.html"), false, false));
        QCOMPARE(rec.errors, 1);
        // 404 and 500 with a body are no page either.
        server.setReply("/gone.html", LoopbackServer::error(404, infoPage("9.0", "x", "y")));
        QVERIFY(!w.DownloadFile(server.url("/gone.html"), false, false));
        QCOMPARE(w.ErrorReason(), QStringLiteral("HTTP 404 Not Found"));
        server.setReply("/broken.html", LoopbackServer::error(500, infoPage("9.0", "x", "y")));
        QVERIFY(!w.DownloadFile(server.url("/broken.html"), false, false));
        QCOMPARE(rec.errors, 3);
        // A round whose page fails reports it once, not again for the page's missing values.
        configure(w, server, "/gone.html");
        QVERIFY(w.CheckForUpdate());
        QCOMPARE(rec.errors, 4);
        QCOMPARE(w.ErrorReason(), QStringLiteral("HTTP 404 Not Found"));
        rec.errors = 3;
        // Nobody listening.
        quint16 closedPort = 0;
        {
            LoopbackServer gone;
            closedPort = gone.port();
        }
        QVERIFY(!w.DownloadFile(QStringLiteral("http://127.0.0.1:%1/x.html").arg(closedPort), false, false));
        QCOMPARE(rec.errors, 4);
        QVERIFY2(w.ErrorReason().contains("refused", Qt::CaseInsensitive), qPrintable(w.ErrorReason()));
        // A scheme we do not speak, and no host at all.
        QVERIFY(!w.DownloadFile(QStringLiteral("ftp://127.0.0.1/x.html"), false, false));
        QVERIFY(!w.DownloadFile(QStringLiteral("/only/a/path.html"), false, false));
        QCOMPARE(rec.errors, 6);
    }

    void pageRedirectionIsFollowed()
    {
        LoopbackServer server;
        const QByteArray release = pattern(5000);
        server.setReply("/updates/qzp/qzp.html",
            LoopbackServer::page("<META NAME=\"upRedirection\" CONTENT=\""
                + server.url("/second.html").toUtf8() + "\">\n<META NAME=\"upVersion\" CONTENT=\"1.0\">\n"));
        // The second page is reached by an HTTP redirection as well.
        server.setReply("/second.html", LoopbackServer::redirect(server.url("/third.html"), 301));
        server.setReply(
            "/third.html", LoopbackServer::page(infoPage("2.2.0", server.url("/r.bin").toUtf8(), "r.bin")));
        server.setReply("/r.bin", LoopbackServer::file(release));
        TupWebUpdate w;
        configure(w, server);
        w.Options = {};
        Recorder rec(w);
        QVERIFY(w.CheckForUpdate());
        QVERIFY(rec.log.contains("UpdateAvailable 2.1.7 2.2.0"));
        QCOMPARE(readAll(w.FileName()), release);
        QCOMPARE(server.hits("/third.html"), 1);
        QCOMPARE(rec.errors, 0);
    }

    void redirectionLoopsEndWithAnError()
    {
        LoopbackServer server;
        server.setReply("/updates/qzp/qzp.html",
            LoopbackServer::page("<META NAME=\"upRedirection\" CONTENT=\""
                + server.url("/updates/qzp/qzp.html").toUtf8() + "\">\n"));
        TupWebUpdate w;
        configure(w, server);
        Recorder rec(w);
        QVERIFY(w.CheckForUpdate());
        QVERIFY(rec.errors >= 1);
        QVERIFY(!w.Success());
        QCOMPARE(server.hits("/updates/qzp/qzp.html"), TupWebUpdate::kMaxRedirections + 1);

        // An HTTP redirection to itself.
        server.setReply("/loop.html", LoopbackServer::redirect(server.url("/loop.html")));
        rec.errors = 0;
        QVERIFY(!w.DownloadFile(server.url("/loop.html"), false, false));
        QCOMPARE(rec.errors, 1);
        QVERIFY(server.hits("/loop.html") <= 10);
    }

    void releaseNeedsContentLengthButThePageDoesNot()
    {
        LoopbackServer server;
        // The page comes without a length (ended by closing), the release too.
        LoopbackServer::Reply page
            = LoopbackServer::page(infoPage("2.1.8", server.url("/r.bin").toUtf8(), "r.bin"));
        page.framing = LoopbackServer::Framing::Close;
        server.setReply("/updates/qzp/qzp.html", page);
        server.setReply("/r.bin", LoopbackServer::file(pattern(3000), LoopbackServer::Framing::Close));
        TupWebUpdate w;
        configure(w, server);
        w.Options = uoOverwrite;
        Recorder rec(w);
        QVERIFY(w.CheckForUpdate());
        QVERIFY(rec.log.contains("UpdateAvailable 2.1.7 2.1.8"));
        QCOMPARE(rec.errors, 1);
        QVERIFY(!w.Success());
        QVERIFY(!rec.log.join(',').contains("AfterDownload"));
        QVERIFY(tmpEntries().isEmpty());

        // Chunked bodies carry no length either.
        LoopbackServer::Reply chunkedPage = page;
        chunkedPage.framing = LoopbackServer::Framing::Chunked;
        chunkedPage.pieceSize = 50;
        server.setReply("/updates/qzp/qzp.html", chunkedPage);
        server.setReply("/r.bin", LoopbackServer::file(pattern(3000), LoopbackServer::Framing::Chunked));
        rec.log.clear();
        QVERIFY(w.CheckForUpdate());
        QVERIFY(rec.log.contains("UpdateAvailable 2.1.7 2.1.8"));
        QCOMPARE(rec.errors, 2);
    }

    void errorStatusIsNeverSaved()
    {
        LoopbackServer server;
        server.setReply("/updates/qzp/qzp.html",
            LoopbackServer::page(infoPage("2.1.8", server.url("/r.bin").toUtf8(), "r.bin")));
        server.setReply("/r.bin", LoopbackServer::error(404, "<html>Not Found</html>"));
        TupWebUpdate w;
        configure(w, server);
        w.Options = TupUpdateOptions(uoRunUpdate) | uoTerminate;
        Recorder rec(w);
        QVERIFY(w.CheckForUpdate());
        QCOMPARE(rec.errors, 1);
        QVERIFY(tmpEntries().isEmpty());
        QCOMPARE(rec.terminated, 0);

        server.setReply("/r.bin", LoopbackServer::error(500, pattern(1000)));
        QVERIFY(w.CheckForUpdate());
        QCOMPARE(rec.errors, 2);
        QVERIFY(tmpEntries().isEmpty());
    }

    void aLinkInTheDownloadsPlaceIsNotFollowed()
    {
        LoopbackServer server;
        server.setReply("/updates/qzp/qzp.html",
            LoopbackServer::page(infoPage("2.1.8", server.url("/r.bin").toUtf8(), "r.bin")));
        server.setReply("/r.bin", LoopbackServer::file(markerScript()));
        const QString outside = m_root.filePath(QStringLiteral("outside.txt"));
        const QString dangling = m_root.filePath(QStringLiteral("not-there.txt"));
        {
            QFile f(outside);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("keep");
        }
        for (const QString& target : { outside, dangling }) {
            QFile::remove(m_tmp + "/r.bin");
            QVERIFY(QFile::link(target, m_tmp + "/r.bin"));
            TupWebUpdate w;
            configure(w, server);
            w.Options = TupUpdateOptions(uoRunUpdate) | uoTerminate | uoOverwrite;
            Recorder rec(w);
            QVERIFY(w.CheckForUpdate());
            QCOMPARE(rec.errors, 1);
            QVERIFY(!w.Success());
            QCOMPARE(rec.terminated, 0);
            QVERIFY(!rec.log.join(',').contains("AfterDownload"));
        }
        QCOMPARE(readAll(outside), QByteArray("keep"));
        QVERIFY(!QFileInfo::exists(dangling));
        QVERIFY(!QFileInfo::exists(m_marker));
    }

    void oversizeDownloadsStop()
    {
        LoopbackServer server;
        TupWebUpdate w;
        Recorder rec(w);
        w.Options = uoOverwrite;

        // Announced beyond the bound: refused before a byte is written.
        LoopbackServer::Reply huge = LoopbackServer::file(pattern(4096));
        huge.announcedLength = qint64(5) << 30;
        huge.stall = true;
        server.setReply("/huge.bin", huge);
        server.setReply(
            "/p1.html", LoopbackServer::page(infoPage("3.0", server.url("/huge.bin").toUtf8(), "huge.bin")));
        configure(w, server, "/p1.html");
        QVERIFY(w.CheckForUpdate());
        QCOMPARE(rec.errors, 1);
        QCOMPARE(w.Downloaded(), qint64(0));
        QVERIFY(tmpEntries().isEmpty());

        // More bytes than announced: never more than announced reaches the disk.
        LoopbackServer::Reply longer = LoopbackServer::file(pattern(50000));
        longer.announcedLength = 1000;
        server.setReply("/longer.bin", longer);
        server.setReply(
            "/p2.html", LoopbackServer::page(infoPage("3.0", server.url("/longer.bin").toUtf8(), "l.bin")));
        configure(w, server, "/p2.html");
        w.CheckForUpdate();
        QVERIFY(QFileInfo(m_tmp + "/l.bin").size() <= 1000);
        QVERIFY(w.Downloaded() <= 1000);

        // A page without a length that goes on and on.
        LoopbackServer::Reply endless
            = LoopbackServer::page(QByteArray(TupWebUpdate::kMaxPageBytes + 100000, 'x'));
        endless.framing = LoopbackServer::Framing::Close;
        server.setReply("/endless.html", endless);
        rec.errors = 0;
        QVERIFY(!w.DownloadFile(server.url("/endless.html"), false, false));
        QCOMPARE(rec.errors, 1);
        QVERIFY(w.Downloaded() <= TupWebUpdate::kMaxPageBytes);

        // A response head beyond 64 KiB, here one endless header line.
        LoopbackServer::Reply bigHead = LoopbackServer::page(infoPage("9.0", "x", "y"));
        bigHead.headers << qMakePair(QByteArray("X-Padding"), QByteArray(70 * 1024, 'h'));
        server.setReply("/bighead.html", bigHead);
        QVERIFY(!w.DownloadFile(server.url("/bighead.html"), false, false));
        QCOMPARE(rec.errors, 2);
        QVERIFY2(w.ErrorReason().contains("64 KB"), qPrintable(w.ErrorReason()));
        // Just below the bound is an ordinary answer.
        bigHead.headers = { qMakePair(QByteArray("X-Padding"), QByteArray(60 * 1024, 'h')) };
        server.setReply("/bighead.html", bigHead);
        QVERIFY(w.DownloadFile(server.url("/bighead.html"), false, false));
    }

    void stalledServerEndsTheRoundWithAnError()
    {
        LoopbackServer server;
        LoopbackServer::Reply mute = LoopbackServer::page(infoPage("3.0", "x", "y"));
        mute.mute = true;
        server.setReply("/mute.html", mute);
        LoopbackServer::Reply stalled = LoopbackServer::file(pattern(5000));
        stalled.stall = true;
        server.setReply("/stalled.bin", stalled);
        server.setReply(
            "/p.html", LoopbackServer::page(infoPage("3.0", server.url("/stalled.bin").toUtf8(), "s.bin")));
        TupWebUpdate w;
        QCOMPARE(w.StallTimeoutMs, 30000);
        w.StallTimeoutMs = 300;
        w.Options = TupUpdateOptions(uoRunUpdate) | uoTerminate | uoOverwrite;
        Recorder rec(w);
        // No answer at all, then headers without a body.
        configure(w, server, "/mute.html");
        QVERIFY(w.CheckForUpdate());
        QCOMPARE(rec.errors, 1);
        QVERIFY2(w.ErrorReason().startsWith("No data from 127.0.0.1 for 0.3 s"), qPrintable(w.ErrorReason()));
        configure(w, server, "/p.html");
        QVERIFY(w.CheckForUpdate());
        QCOMPARE(rec.errors, 2);
        QVERIFY(!w.Busy());
        QCOMPARE(rec.terminated, 0);
        QVERIFY(tmpEntries().isEmpty());
    }

    void releaseShorterThanAnnouncedFails()
    {
        LoopbackServer server;
        LoopbackServer::Reply cut = LoopbackServer::file(pattern(500));
        cut.announcedLength = 1000; // the server hangs up half-way
        server.setReply("/cut.bin", cut);
        server.setReply(
            "/p.html", LoopbackServer::page(infoPage("3.0", server.url("/cut.bin").toUtf8(), "cut.bin")));
        TupWebUpdate w;
        Recorder rec(w);
        configure(w, server, "/p.html");
        w.Options = TupUpdateOptions(uoRunUpdate) | uoTerminate | uoOverwrite;
        QVERIFY(w.CheckForUpdate());
        QCOMPARE(rec.errors, 1);
        QCOMPARE(rec.terminated, 0);
        QVERIFY(tmpEntries().isEmpty());
    }

    void progressFiresPerPieceOfASlowBody()
    {
        LoopbackServer server;
        LoopbackServer::Reply slow = LoopbackServer::file(pattern(8000));
        slow.pieceSize = 1000;
        slow.pieceDelayMs = 30;
        server.setReply("/slow.bin", slow);
        TupWebUpdate w;
        Recorder rec(w);
        w.Options = uoOverwrite;
        QString name = m_tmp + "/slow.bin";
        w.OnGetClientFileName = [&name](QString& f) { f = name; };
        server.setReply(
            "/p.html", LoopbackServer::page(infoPage("3.0", server.url("/slow.bin").toUtf8(), "slow.bin")));
        configure(w, server, "/p.html");
        // The event loop keeps running during the transfer: a timer gets its turns.
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        ticker.start(10);
        QVERIFY(w.CheckForUpdate());
        ticker.stop();
        QVERIFY(w.Success());
        QVERIFY2(rec.progressEvents >= 8, qPrintable(QString::number(rec.progressEvents)));
        QCOMPARE(rec.lastTotal, qint64(8000));
        for (int i = 1; i < rec.downloadedSeen.size(); ++i)
            QVERIFY(rec.downloadedSeen[i] > rec.downloadedSeen[i - 1]);
        QCOMPARE(rec.downloadedSeen.last(), qint64(8000));
        QVERIFY(ticks >= 5);
        QCOMPARE(readAll(name), pattern(8000));
    }

    void abortStopsQuietlyAndKeepsNothing()
    {
        LoopbackServer server;
        LoopbackServer::Reply slow = LoopbackServer::file(pattern(200000), LoopbackServer::Framing::Length);
        slow.pieceSize = 1000;
        slow.pieceDelayMs = 20;
        server.setReply("/slow.bin", slow);
        server.setReply(
            "/p.html", LoopbackServer::page(infoPage("3.0", server.url("/slow.bin").toUtf8(), "slow.bin")));
        TupWebUpdate w;
        Recorder rec(w);
        configure(w, server, "/p.html");
        w.Options = TupUpdateOptions(uoRunUpdate) | uoTerminate | uoOverwrite;
        bool secondRound = true;
        w.OnDownload = [&](qint64, qint64 downloaded) {
            ++rec.progressEvents;
            // A round is running: a second one is refused and changes nothing.
            secondRound = w.CheckForUpdate();
            if (downloaded >= 3000)
                w.Abort();
        };
        QElapsedTimer clock;
        clock.start();
        QVERIFY(w.CheckForUpdate());
        QVERIFY(!secondRound);
        QVERIFY(w.Aborted());
        QVERIFY(!w.Success());
        QCOMPARE(rec.errors, 0);
        QVERIFY(w.Downloaded() < 200000);
        QVERIFY(!rec.log.join(',').contains("AfterDownload"));
        QCOMPARE(rec.terminated, 0);
        QVERIFY(tmpEntries().isEmpty());
        QVERIFY(!w.Busy());
        QVERIFY(clock.elapsed() < 3000); // 200 pieces at 20 ms would take 4 s
    }

    void abortWhileWaitingForTheServer()
    {
        LoopbackServer server;
        LoopbackServer::Reply stalled = LoopbackServer::page("never");
        stalled.stall = true;
        server.setReply("/stall.html", stalled);
        TupWebUpdate w;
        Recorder rec(w);
        QTimer::singleShot(200, [&w] { w.Abort(); });
        QVERIFY(!w.DownloadFile(server.url("/stall.html"), false, false));
        QCOMPARE(rec.errors, 0);
        QVERIFY(w.Aborted());
    }

    void httpsIsFetchedOverTls()
    {
        LoopbackServer tls(true);
        tls.setReply("/updates/qzp/qzp.html",
            LoopbackServer::page(infoPage("2.1.8", tls.url("/r.bin").toUtf8(), "r.bin")));
        tls.setReply("/r.bin", LoopbackServer::file(pattern(70000)));
        TupWebUpdate w;
        Recorder rec(w);
        w.ProductInfo.setURL(tls.url("/updates/qzp/qzp.html").replace("https", "HTTPS"));
        w.ProductInfo.Version = QStringLiteral("2.1.7");
        w.Options = uoOverwrite;
        QVERIFY(w.CheckForUpdate());
        QCOMPARE(rec.errors, 0);
        QCOMPARE(readAll(w.FileName()), pattern(70000));

        // The same https URL against a server speaking plain HTTP fails rather than going in clear.
        LoopbackServer plain;
        plain.setReply("/updates/qzp/qzp.html", LoopbackServer::page(infoPage("9.9", "x", "y")));
        QString url = plain.url("/updates/qzp/qzp.html");
        url.replace("http://", "https://");
        QVERIFY(!w.DownloadFile(url, false, false));
        QCOMPARE(rec.errors, 1);
        QCOMPARE(plain.requests().size(), 0);
    }

    void credentialsAnswerTheChallenge()
    {
        LoopbackServer server;
        LoopbackServer::Reply page = LoopbackServer::page(infoPage("2.1.8", "x", "y"));
        page.basicAuth = "engineer:s3cret";
        server.setReply("/private.html", page);
        TupWebUpdate w;
        Recorder rec(w);
        QVERIFY(!w.DownloadFile(server.url("/private.html"), false, false));
        QCOMPARE(rec.errors, 1);
        w.UserName = QStringLiteral("engineer");
        w.Password = QStringLiteral("wrong");
        QVERIFY(!w.DownloadFile(server.url("/private.html"), false, false));
        w.Password = QStringLiteral("s3cret");
        QVERIFY(w.DownloadFile(server.url("/private.html"), false, false));
        w.ParseInfo();
        QCOMPARE(w.Page().Version, QStringLiteral("2.1.8"));
    }

    void clientFileNameStaysInItsFolder_data()
    {
        QTest::addColumn<QByteArray>("pageName");
        QTest::addColumn<QString>("stored"); // empty: refused
        QTest::newRow("parent") << QByteArray("../../x.bin") << QStringLiteral("x.bin");
        QTest::newRow("absolute") << QByteArray("/etc/x.bin") << QStringLiteral("x.bin");
        QTest::newRow("backslashes") << QByteArray("..\\..\\y.bin") << QStringLiteral("y.bin");
        QTest::newRow("empty") << QByteArray("") << QString();
        QTest::newRow("dot") << QByteArray(".") << QString();
        QTest::newRow("dotdot") << QByteArray("..") << QString();
        QTest::newRow("folder") << QByteArray("sub/") << QString();
    }

    void clientFileNameStaysInItsFolder()
    {
        QFETCH(QByteArray, pageName);
        QFETCH(QString, stored);
        LoopbackServer server;
        server.setReply(
            "/p.html", LoopbackServer::page(infoPage("3.0", server.url("/r.bin").toUtf8(), pageName)));
        server.setReply("/r.bin", LoopbackServer::file("release"));
        TupWebUpdate w;
        Recorder rec(w);
        configure(w, server, "/p.html");
        w.Options = uoOverwrite;
        QVERIFY(w.CheckForUpdate());
        if (stored.isEmpty()) {
            QCOMPARE(rec.errors, 1);
            QCOMPARE(server.hits("/r.bin"), 0);
            QVERIFY(tmpEntries().isEmpty());
        } else {
            QCOMPARE(rec.errors, 0);
            QCOMPARE(w.FileName(), m_tmp + "/" + stored);
            QCOMPARE(tmpEntries(), QStringList({ stored }));
        }
    }

    void existingFileNeedsOverwrite()
    {
        LoopbackServer server;
        server.setReply(
            "/p.html", LoopbackServer::page(infoPage("3.0", server.url("/r.bin").toUtf8(), "r.bin")));
        server.setReply("/r.bin", LoopbackServer::file("new release"));
        writeFile(m_tmp + "/r.bin", "old release");
        TupWebUpdate w;
        Recorder rec(w);
        configure(w, server, "/p.html");
        w.Options = {};
        QVERIFY(w.CheckForUpdate());
        QCOMPARE(rec.errors, 1);
        QCOMPARE(server.hits("/r.bin"), 0);
        QCOMPARE(readAll(m_tmp + "/r.bin"), QByteArray("old release"));

        // The owner may allow it.
        QString asked;
        w.OnClientFileExists = [&asked](const QString& f, bool& overwrite) {
            asked = f;
            overwrite = true;
        };
        QVERIFY(w.CheckForUpdate());
        QCOMPARE(asked, m_tmp + "/r.bin");
        QCOMPARE(readAll(m_tmp + "/r.bin"), QByteArray("new release"));

        // A failed transfer leaves the earlier file as it was.
        server.setReply("/r.bin", LoopbackServer::error(500, "oops"));
        QVERIFY(w.CheckForUpdate());
        QCOMPARE(readAll(m_tmp + "/r.bin"), QByteArray("new release"));
        QCOMPARE(tmpEntries(), QStringList({ "r.bin" }));
    }

    void zipArchiveIsUnpackedAndItsProgramFound()
    {
        LoopbackServer server;
        const QByteArray archive
            = makeZip({ { "a-readme.txt", "read me", 0644 }, { "b-setup", markerScript(), 0755 },
                { "c-other", "#!/bin/sh\n", 0755 }, { "docs/d.txt", "doc", 0644 } });
        server.setReply(
            "/p.html", LoopbackServer::page(infoPage("3.0", server.url("/Setup.ZIP").toUtf8(), "Setup.ZIP")));
        server.setReply("/Setup.ZIP", LoopbackServer::file(archive));
        // Whatever an earlier update left there goes.
        QDir().mkpath(m_tmp + "/BraxholmUpdate");
        writeFile(m_tmp + "/BraxholmUpdate/0-stale", "#!/bin/sh\n");
        QFile::setPermissions(
            m_tmp + "/BraxholmUpdate/0-stale", QFileDevice::ReadOwner | QFileDevice::ExeOwner);

        TupWebUpdate w;
        Recorder rec(w);
        configure(w, server, "/p.html");
        w.Options = uoOverwrite; // run switched off: kept, nothing started or ended
        QVERIFY(w.CheckForUpdate());
        QCOMPARE(rec.errors, 0);
        QCOMPARE(w.UnzipFolder(), m_tmp + "/BraxholmUpdate/");
        QCOMPARE(w.FileName(), m_tmp + "/BraxholmUpdate/b-setup");
        QVERIFY(rec.log.contains("AfterDownload b-setup"));
        QVERIFY(!QFile::exists(m_tmp + "/BraxholmUpdate/0-stale"));
        QCOMPARE(readAll(m_tmp + "/BraxholmUpdate/docs/d.txt"), QByteArray("doc"));
        QCOMPARE(readAll(m_tmp + "/Setup.ZIP"), archive);
        QTest::qWait(300);
        QVERIFY(!QFile::exists(m_marker));
        QCOMPARE(rec.terminated, 0);
        QCOMPARE(rec.cannotExecute, 0);
    }

    void startedUpdateEndsTheProgramThroughTheHook()
    {
        LoopbackServer server;
        server.setReply("/p.html",
            LoopbackServer::page(infoPage("3.0", server.url("/u.zip").toUtf8(), "u.zip",
                "<META NAME=\"upRunParameters\" CONTENT=\"/S --target here\">\r\n")));
        server.setReply("/u.zip", LoopbackServer::file(makeZip({ { "install", markerScript(), 0755 } })));
        TupWebUpdate w;
        Recorder rec(w);
        configure(w, server, "/p.html");
        w.Options = TupUpdateOptions(uoRunUpdate) | uoTerminate | uoOverwrite;
        // The owner says no (its save question was cancelled): nothing starts.
        rec.canTerminate = false;
        QVERIFY(w.CheckForUpdate());
        QCOMPARE(rec.log.last(), QStringLiteral("QueryTerminate"));
        QCOMPARE(rec.terminated, 0);
        QCOMPARE(rec.cannotExecute, 0);
        QTest::qWait(300);
        QVERIFY(!QFile::exists(m_marker));

        rec.canTerminate = true;
        QVERIFY(w.CheckForUpdate());
        QCOMPARE(rec.cannotExecute, 0);
        QCOMPARE(rec.terminated, 1);
        QCOMPARE(rec.log.mid(rec.log.size() - 2), QStringList({ "QueryTerminate", "Terminate" }));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(m_marker).size() > 0, 5000);
        QCOMPARE(readAll(m_marker), QByteArray("/S|--target|here|"));

        // Run without terminate: started, program goes on.
        QFile::remove(m_marker);
        w.Options = TupUpdateOptions(uoRunUpdate) | uoOverwrite;
        QVERIFY(w.CheckForUpdate());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(m_marker).size() > 0, 5000);
        QCOMPARE(rec.terminated, 1);
    }

    void plainReleaseFileIsStarted()
    {
        LoopbackServer server;
        server.setReply(
            "/p.html", LoopbackServer::page(infoPage("3.0", server.url("/setup.run").toUtf8(), "setup.run")));
        server.setReply("/setup.run", LoopbackServer::file(markerScript()));
        TupWebUpdate w;
        Recorder rec(w);
        configure(w, server, "/p.html");
        w.Options = TupUpdateOptions(uoRunUpdate) | uoTerminate | uoOverwrite;
        QVERIFY(w.CheckForUpdate());
        QCOMPARE(rec.terminated, 1);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_marker), 5000);
    }

    void failedStartDoesNotEndTheProgram_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("archive without a program")
            << QByteArray("u.zip") << makeZip({ { "readme.txt", "no program here", 0644 } });
        QTest::newRow("not a program")
            << QByteArray("setup.bin") << QByteArray("\x01\x02 garbage, not runnable");
    }

    void failedStartDoesNotEndTheProgram()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, body);
        LoopbackServer server;
        server.setReply(
            "/p.html", LoopbackServer::page(infoPage("3.0", server.url("/" + name).toUtf8(), name)));
        server.setReply("/" + name, LoopbackServer::file(body));
        TupWebUpdate w;
        Recorder rec(w);
        configure(w, server, "/p.html");
        w.Options = TupUpdateOptions(uoRunUpdate) | uoTerminate | uoOverwrite;
        QVERIFY(w.CheckForUpdate());
        QCOMPARE(rec.cannotExecute, 1);
        QCOMPARE(rec.terminated, 0);
    }

    void hostileArchiveIsRefused()
    {
        LoopbackServer server;
        server.setReply(
            "/p.html", LoopbackServer::page(infoPage("3.0", server.url("/u.zip").toUtf8(), "u.zip")));
        server.setReply("/u.zip",
            LoopbackServer::file(makeZip(
                { { "install", markerScript(), 0755 }, { "../../escaped.sh", "#!/bin/sh\n", 0755 } })));
        TupWebUpdate w;
        Recorder rec(w);
        configure(w, server, "/p.html");
        w.Options = TupUpdateOptions(uoRunUpdate) | uoTerminate | uoOverwrite;
        QVERIFY(w.CheckForUpdate());
        QCOMPARE(rec.errors, 1);
        QCOMPARE(rec.terminated, 0);
        QCOMPARE(rec.cannotExecute, 0);
        QVERIFY(!rec.log.join(',').contains("AfterDownload"));
        QVERIFY(tmpEntries().isEmpty());
        QVERIFY(!QFile::exists(m_root.filePath("escaped.sh")));
        QVERIFY(!QFile::exists(QFileInfo(m_root.path()).absolutePath() + "/escaped.sh"));

        // An honest archive, but a link planted where it is unpacked, to somebody else's folder
        // with files and subfolders: an error, and their folder stays whole.
        server.setReply("/u.zip", LoopbackServer::file(makeZip({ { "install", markerScript(), 0755 } })));
        const QString theirs = m_root.filePath(QStringLiteral("theirs"));
        QVERIFY(QDir().mkpath(theirs + "/sub/deeper"));
        writeFile(theirs + "/a.txt", "a");
        writeFile(theirs + "/sub/deeper/b.txt", "b");
        QVERIFY(QFile::link(theirs, m_tmp + "/BraxholmUpdate"));
        QVERIFY(w.CheckForUpdate());
        QCOMPARE(rec.errors, 2);
        QVERIFY2(w.ErrorReason().contains("symbolic link"), qPrintable(w.ErrorReason()));
        QCOMPARE(rec.terminated, 0);
        QCOMPARE(readAll(theirs + "/a.txt"), QByteArray("a"));
        QCOMPARE(readAll(theirs + "/sub/deeper/b.txt"), QByteArray("b"));
        QCOMPARE(
            QDir(theirs).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList({ "a.txt", "sub" }));
        QVERIFY(QFileInfo(m_tmp + "/BraxholmUpdate").isSymLink());
        QTest::qWait(200);
        QVERIFY(!QFile::exists(m_marker));
    }

    void refusedOfferDownloadsNothing()
    {
        LoopbackServer server;
        server.setReply(
            "/p.html", LoopbackServer::page(infoPage("3.0", server.url("/r.bin").toUtf8(), "r.bin")));
        TupWebUpdate w;
        Recorder rec(w);
        rec.canUpdate = false;
        configure(w, server, "/p.html");
        QVERIFY(w.CheckForUpdate());
        QCOMPARE(server.hits("/r.bin"), 0);

        // The owner can also decline in OnBeforeShowInfo.
        rec.canUpdate = true;
        w.OnBeforeShowInfo = [](bool& show, bool& check) {
            show = true;
            check = false;
        };
        rec.log.clear();
        QVERIFY(w.CheckForUpdate());
        QVERIFY(rec.log.contains("AfterShowInfo 0"));
        QCOMPARE(server.hits("/r.bin"), 0);
    }
};

QTEST_GUILESS_MAIN(WebUpdateTest)
#include "webupdate_qtest.moc"
