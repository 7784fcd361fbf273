// The update client against a real HTTP server on the loopback interface.
#include "update/webupdate.h"

#include "loopbackserver.h"
#include "ziputil.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

Q_DECLARE_METATYPE(LoopbackServer::Reply)

namespace {

using Reply = LoopbackServer::Reply;
using Framing = LoopbackServer::Framing;

QByteArray infoPage(const QByteArray& version, const QByteArray& download, const QByteArray& clientName)
{
    return LoopbackServer::infoPage(version, download, clientName);
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

constexpr TupUpdateOptions kRunAll = TupUpdateOptions(uoRunUpdate) | uoTerminate | uoOverwrite;

// One client, recorded, of version 2.1.7 whose information page is /p.html on its own server.
struct Round {
    LoopbackServer server;
    TupWebUpdate w;
    Recorder rec { w };

    explicit Round(TupUpdateOptions options = kRunAll, bool tls = false)
        : server(tls)
    {
        w.ProductInfo.setURL(server.url(QStringLiteral("/p.html")));
        w.ProductInfo.Version = QStringLiteral("2.1.7");
        w.Options = options;
    }
    void offer(const QByteArray& version, const QByteArray& name,
        const Reply& release = LoopbackServer::file("release"), const QByteArray& extra = {})
    {
        server.offer("/p.html", version, name, release, extra);
    }
    void usePage(const QByteArray& path) { w.ProductInfo.setURL(server.url(QString::fromLatin1(path))); }
};

} // namespace

class WebUpdateTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_tmp;
    QString m_marker;

    QStringList tmpEntries() const
    {
        return QDir(m_tmp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

    QByteArray markerScript() const
    {
        return "#!/bin/sh\nprintf '%s|' \"$@\" > \"$FENDRIX_UPDATE_MARKER\"\n";
    }

    // The round ended in its error (the count so far) and left nothing behind.
    void expectFailedRound(const Round& r, int errors = 1)
    {
        QCOMPARE(r.rec.errors, errors);
        QVERIFY(!r.w.Success());
        QCOMPARE(r.rec.terminated, 0);
        QVERIFY(!r.rec.log.join(',').contains("AfterDownload"));
        QVERIFY(tmpEntries().isEmpty());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        useLoopbackServers();
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
        Round r(uoOverwrite);
        const QByteArray release = pattern(200000);
        r.offer("2.1.8", "fendrix-2.1.8.bin", LoopbackServer::file(release),
            "<META NAME=\"upVerDate\" CONTENT=\"20240115\">\r\n");
        TupWebUpdate& w = r.w;
        QVERIFY(w.CheckForUpdate());
        QVERIFY(w.Success());
        QVERIFY(!w.Busy());
        QCOMPARE(r.rec.log,
            QStringList({ "BeforeGetInfo", "AfterGetInfo", "UpdateAvailable 2.1.7 2.1.8", "AfterShowInfo 1",
                "GetClientFileName fendrix-2.1.8.bin", "BeforeDownload fendrix-2.1.8.bin",
                "AfterDownload fendrix-2.1.8.bin" }));
        QCOMPARE(w.FileName(), m_tmp + "/fendrix-2.1.8.bin");
        QCOMPARE(readAll(w.FileName()), release);
        QCOMPARE(w.Total(), qint64(release.size()));
        QCOMPARE(w.Downloaded(), qint64(release.size()));
        QCOMPARE(r.rec.lastTotal, qint64(release.size()));
        QCOMPARE(r.rec.downloadedSeen.last(), qint64(release.size()));
        QCOMPARE(w.Page().VerDate, QDate(2024, 1, 15));
        QVERIFY(w.UnzipFolder().isEmpty());
        QCOMPARE(tmpEntries(), QStringList({ "fendrix-2.1.8.bin" }));

        // What the server was asked.
        const QByteArray head = r.server.requests().first();
        QVERIFY(head.startsWith("GET /p.html HTTP/1."));
        QVERIFY(head.contains("User-Agent: TupWebUpdate"));
        QVERIFY(head.contains("Accept: */*"));
        QVERIFY(head.contains("Cache-Control: no-cache"));
        // Nothing invites a compressed answer, whose length would not be the file's.
        QVERIFY(!head.toLower().contains("accept-encoding"));
    }

    void nothingIsDownloadedWithoutANewerVersionAndConsent()
    {
        Round r;
        for (const QByteArray version : { "2.1.7", "2.0.9" }) {
            r.offer(version, "r.bin");
            r.rec.log.clear();
            QVERIFY(r.w.CheckForUpdate());
            QCOMPARE(r.rec.log, QStringList({ "BeforeGetInfo", "AfterGetInfo", "NoUpdateFound" }));
        }
        // A newer one the owner declines, in OnUpdateAvailable or in OnBeforeShowInfo.
        r.offer("3.0", "r.bin");
        r.rec.canUpdate = false;
        QVERIFY(r.w.CheckForUpdate());
        r.rec.canUpdate = true;
        r.w.OnBeforeShowInfo = [](bool& show, bool& check) {
            show = true;
            check = false;
        };
        r.rec.log.clear();
        QVERIFY(r.w.CheckForUpdate());
        QVERIFY(r.rec.log.contains("AfterShowInfo 0"));
        QCOMPARE(r.server.hits("/r.bin"), 0);
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
        Round r;
        r.server.setReply("/p.html", LoopbackServer::page(page));
        QVERIFY(r.w.CheckForUpdate());
        QCOMPARE(r.rec.errors, 1);
        QVERIFY(!r.w.Success());
        QVERIFY(!r.rec.log.join(',').contains("UpdateAvailable"));
    }

    void emptyMissingAndSilentPagesFailWithOneErrorEach()
    {
        Round r;
        TupWebUpdate& w = r.w;
        LoopbackServer& server = r.server;
        server.setReply("/empty.html", LoopbackServer::page(QByteArray()));
        QVERIFY(!w.DownloadFile(server.url("/empty.html"), false, false));
        QCOMPARE(r.rec.errors, 1);
        // 404 and 500 with a body are no page either.
        server.setReply("/gone.html", LoopbackServer::error(404, infoPage("9.0", "x", "y")));
        QVERIFY(!w.DownloadFile(server.url("/gone.html"), false, false));
        QCOMPARE(w.ErrorReason(), QStringLiteral("HTTP 404 Not Found"));
        server.setReply("/broken.html", LoopbackServer::error(500, infoPage("9.0", "x", "y")));
        QVERIFY(!w.DownloadFile(server.url("/broken.html"), false, false));
        QCOMPARE(r.rec.errors, 3);
        // A round whose page fails reports it once, not again for the page's missing values.
        r.usePage("/gone.html");
        QVERIFY(w.CheckForUpdate());
        QCOMPARE(r.rec.errors, 4);
        QCOMPARE(w.ErrorReason(), QStringLiteral("HTTP 404 Not Found"));
        // A server that takes the request and never answers.
        server.setReply("/mute.html", Reply { .body = infoPage("3.0", "x", "y"), .mute = true });
        w.StallTimeoutMs = 300;
        r.usePage("/mute.html");
        QVERIFY(w.CheckForUpdate());
        QCOMPARE(r.rec.errors, 5);
        QVERIFY2(w.ErrorReason().startsWith("No data from 127.0.0.1 for 0.3 s"), qPrintable(w.ErrorReason()));
        QVERIFY(!w.Busy());
        // Nobody listening.
        quint16 closedPort = 0;
        {
            LoopbackServer gone;
            closedPort = gone.port();
        }
        QVERIFY(!w.DownloadFile(QStringLiteral("http://127.0.0.1:%1/x.html").arg(closedPort), false, false));
        QCOMPARE(r.rec.errors, 6);
        QVERIFY2(w.ErrorReason().startsWith("Failed to connect to 127.0.0.1"), qPrintable(w.ErrorReason()));
        // A scheme we do not speak, and no host at all.
        QVERIFY(!w.DownloadFile(QStringLiteral("ftp://127.0.0.1/x.html"), false, false));
        QVERIFY(!w.DownloadFile(QStringLiteral("/only/a/path.html"), false, false));
        QCOMPARE(r.rec.errors, 8);
    }

    void redirectionsAreFollowedAndLoopsEndWithAnError()
    {
        Round r(TupUpdateOptions {});
        LoopbackServer& server = r.server;
        const QByteArray release = pattern(5000);
        server.setReply("/p.html",
            LoopbackServer::page("<META NAME=\"upRedirection\" CONTENT=\""
                + server.url("/second.html").toUtf8() + "\">\n<META NAME=\"upVersion\" CONTENT=\"1.0\">\n"));
        // The second page is reached by an HTTP redirection as well.
        server.setReply("/second.html", LoopbackServer::redirect(server.url("/third.html"), 301));
        server.offer("/third.html", "2.2.0", "r.bin", LoopbackServer::file(release));
        QVERIFY(r.w.CheckForUpdate());
        QVERIFY(r.rec.log.contains("UpdateAvailable 2.1.7 2.2.0"));
        QCOMPARE(readAll(r.w.FileName()), release);
        QCOMPARE(server.hits("/third.html"), 1);
        QCOMPARE(r.rec.errors, 0);

        // A page redirecting to itself, and an HTTP redirection to itself.
        server.setReply("/loop.html",
            LoopbackServer::page(
                "<META NAME=\"upRedirection\" CONTENT=\"" + server.url("/loop.html").toUtf8() + "\">\n"));
        r.usePage("/loop.html");
        QVERIFY(r.w.CheckForUpdate());
        QCOMPARE(r.rec.errors, 1);
        QVERIFY(!r.w.Success());
        QCOMPARE(server.hits("/loop.html"), TupWebUpdate::kMaxRedirections + 1);
        server.setReply("/hop.html", LoopbackServer::redirect(server.url("/hop.html")));
        QVERIFY(!r.w.DownloadFile(server.url("/hop.html"), false, false));
        QCOMPARE(r.rec.errors, 2);
        QCOMPARE(server.hits("/hop.html"), 1 + TupWebUpdate::kMaxRedirections);
        // Only the web's own schemes are followed.
        for (const QString& target :
            { QStringLiteral("file:///etc/passwd"), QStringLiteral("ftp://127.0.0.1/x") }) {
            server.setReply("/away.html", LoopbackServer::redirect(target));
            QVERIFY(!r.w.DownloadFile(server.url("/away.html"), false, false));
            QVERIFY2(r.w.ErrorReason().contains("refused"), qPrintable(r.w.ErrorReason()));
        }
        QCOMPARE(r.rec.errors, 4);
    }

    void failedTransferKeepsNothing_data()
    {
        QTest::addColumn<Reply>("release");
        QTest::addColumn<int>("pageFraming");
        // A page may come without a length; a release may not.
        QTest::newRow("no length") << LoopbackServer::file(pattern(3000), Framing::Close)
                                   << int(Framing::Close);
        QTest::newRow("chunked") << LoopbackServer::file(pattern(3000), Framing::Chunked)
                                 << int(Framing::Chunked);
        QTest::newRow("404") << LoopbackServer::error(404, "<html>Not Found</html>") << int(Framing::Length);
        QTest::newRow("500") << LoopbackServer::error(500, pattern(1000)) << int(Framing::Length);
        // The server hangs up half-way; or sends the headers, then nothing.
        QTest::newRow("shorter than announced")
            << Reply { .body = pattern(500), .announcedLength = 1000 } << int(Framing::Length);
        QTest::newRow("stalled") << Reply { .body = pattern(5000), .stall = true } << int(Framing::Length);
    }

    void failedTransferKeepsNothing()
    {
        QFETCH(Reply, release);
        QFETCH(int, pageFraming);
        Round r;
        r.w.StallTimeoutMs = 300;
        r.offer("2.1.8", "r.bin", release);
        r.server.setReply("/p.html",
            Reply { .body = infoPage("2.1.8", r.server.url("/r.bin").toUtf8(), "r.bin"),
                .framing = Framing(pageFraming),
                .pieceSize = 50 });
        QVERIFY(r.w.CheckForUpdate());
        QVERIFY(r.rec.log.contains("UpdateAvailable 2.1.7 2.1.8"));
        expectFailedRound(r);
        QVERIFY(!r.w.Busy());
    }

    void aLinkInTheDownloadsPlaceIsNotFollowed()
    {
        const QString outside = m_root.filePath(QStringLiteral("outside.txt"));
        const QString dangling = m_root.filePath(QStringLiteral("not-there.txt"));
        writeFile(outside, "keep");
        for (const QString& target : { outside, dangling }) {
            QFile::remove(m_tmp + "/r.bin");
            QVERIFY(QFile::link(target, m_tmp + "/r.bin"));
            Round r;
            r.offer("2.1.8", "r.bin", LoopbackServer::file(markerScript()));
            QVERIFY(r.w.CheckForUpdate());
            QCOMPARE(r.rec.errors, 1);
            QVERIFY(!r.w.Success());
            QCOMPARE(r.rec.terminated, 0);
            QVERIFY(!r.rec.log.join(',').contains("AfterDownload"));
        }
        QCOMPARE(readAll(outside), QByteArray("keep"));
        QVERIFY(!QFileInfo::exists(dangling));
        QVERIFY(!QFileInfo::exists(m_marker));
    }

    void oversizeDownloadsStop()
    {
        Round r(uoOverwrite);
        TupWebUpdate& w = r.w;
        LoopbackServer& server = r.server;

        // Announced beyond the bound: refused before a byte is written.
        server.offer("/p1.html", "3.0", "huge.bin",
            Reply { .body = pattern(4096), .announcedLength = qint64(5) << 30, .stall = true });
        r.usePage("/p1.html");
        QVERIFY(w.CheckForUpdate());
        QCOMPARE(r.rec.errors, 1);
        QCOMPARE(w.Downloaded(), qint64(0));
        QVERIFY(tmpEntries().isEmpty());

        // More bytes than announced: never more than announced reaches the disk.
        server.offer("/p2.html", "3.0", "l.bin", Reply { .body = pattern(50000), .announcedLength = 1000 });
        r.usePage("/p2.html");
        w.CheckForUpdate();
        QVERIFY(QFileInfo(m_tmp + "/l.bin").size() <= 1000);
        QVERIFY(w.Downloaded() <= 1000);

        // A page without a length that goes on and on.
        server.setReply("/endless.html",
            LoopbackServer::file(QByteArray(TupWebUpdate::kMaxPageBytes + 100000, 'x'), Framing::Close));
        r.rec.errors = 0;
        QVERIFY(!w.DownloadFile(server.url("/endless.html"), false, false));
        QCOMPARE(r.rec.errors, 1);
        QVERIFY(w.Downloaded() <= TupWebUpdate::kMaxPageBytes);

        // A response head beyond 64 KiB, here one endless header line.
        Reply bigHead = LoopbackServer::page(infoPage("9.0", "x", "y"));
        bigHead.headers << qMakePair(QByteArray("X-Padding"), QByteArray(70 * 1024, 'h'));
        server.setReply("/bighead.html", bigHead);
        QVERIFY(!w.DownloadFile(server.url("/bighead.html"), false, false));
        QCOMPARE(r.rec.errors, 2);
        QVERIFY2(w.ErrorReason().contains("64 KB"), qPrintable(w.ErrorReason()));
        // Just below the bound is an ordinary answer.
        bigHead.headers = { qMakePair(QByteArray("X-Padding"), QByteArray(60 * 1024, 'h')) };
        server.setReply("/bighead.html", bigHead);
        QVERIFY(w.DownloadFile(server.url("/bighead.html"), false, false));
        // Interim answers count towards the head of the answer they precede: a flood of them
        // ends like one long head, a few are passed over.
        Reply flood = LoopbackServer::page(infoPage("9.0", "x", "y"));
        for (const int count : { 5000, 3 }) {
            flood.interim = QByteArray("HTTP/1.1 100 Continue\r\n\r\n").repeated(count);
            server.setReply("/flood.html", flood);
            QCOMPARE(w.DownloadFile(server.url("/flood.html"), false, false), count == 3);
        }
        QCOMPARE(r.rec.errors, 3);
        QVERIFY2(w.ErrorReason().contains("64 KB"), qPrintable(w.ErrorReason()));
    }

    void progressFiresPerPieceOfASlowBody()
    {
        Round r(uoOverwrite);
        r.offer("3.0", "slow.bin", Reply { .body = pattern(8000), .pieceSize = 1000, .pieceDelayMs = 30 });
        QString name = m_tmp + "/slow.bin";
        r.w.OnGetClientFileName = [&name](QString& f) { f = name; };
        // The event loop keeps running during the transfer: a timer gets its turns.
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        ticker.start(10);
        QVERIFY(r.w.CheckForUpdate());
        ticker.stop();
        QVERIFY(r.w.Success());
        QVERIFY2(r.rec.progressEvents >= 8, qPrintable(QString::number(r.rec.progressEvents)));
        QCOMPARE(r.rec.lastTotal, qint64(8000));
        for (int i = 1; i < r.rec.downloadedSeen.size(); ++i)
            QVERIFY(r.rec.downloadedSeen[i] > r.rec.downloadedSeen[i - 1]);
        QCOMPARE(r.rec.downloadedSeen.last(), qint64(8000));
        QVERIFY(ticks >= 5);
        QCOMPARE(readAll(name), pattern(8000));
    }

    void abortStopsQuietlyAndKeepsNothing()
    {
        Round r;
        r.offer("3.0", "slow.bin", Reply { .body = pattern(200000), .pieceSize = 1000, .pieceDelayMs = 20 });
        TupWebUpdate& w = r.w;
        bool secondRound = true;
        w.OnDownload = [&](qint64, qint64 downloaded) {
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
        QCOMPARE(r.rec.errors, 0);
        QVERIFY(w.Downloaded() < 200000);
        QVERIFY(!r.rec.log.join(',').contains("AfterDownload"));
        QCOMPARE(r.rec.terminated, 0);
        QVERIFY(tmpEntries().isEmpty());
        QVERIFY(!w.Busy());
        QVERIFY(clock.elapsed() < 3000); // 200 pieces at 20 ms would take 4 s

        // Aborted while still waiting for the server's answer.
        r.server.setReply("/stall.html", Reply { .body = "never", .stall = true });
        QTimer::singleShot(200, [&w] { w.Abort(); });
        QVERIFY(!w.DownloadFile(r.server.url("/stall.html"), false, false));
        QCOMPARE(r.rec.errors, 0);
        QVERIFY(w.Aborted());
    }

    void httpsIsFetchedOverTls()
    {
        LoopbackServer tls(true);
        LoopbackServer plain;
        tls.offer("/p.html", "2.1.8", "r.bin", LoopbackServer::file(pattern(70000)));
        TupWebUpdate w;
        Recorder rec(w);
        w.ProductInfo.setURL(tls.url("/p.html").replace("https", "HTTPS"));
        w.ProductInfo.Version = QStringLiteral("2.1.7");
        w.Options = uoOverwrite;
        QVERIFY(w.CheckForUpdate());
        QCOMPARE(rec.errors, 0);
        QCOMPARE(readAll(w.FileName()), pattern(70000));

        // An https page naming a release or a further page in clear (a name without a scheme
        // is one in clear) is refused, and nothing is fetched in clear.
        plain.setReply("/r.bin", LoopbackServer::file(pattern(100)));
        plain.setReply("/next.html", LoopbackServer::page(infoPage("2.1.9", "x", "y")));
        const QByteArray plainRelease = plain.url("/r.bin").toUtf8();
        for (const QByteArray& extra : { QByteArray(),
                 "<META NAME=\"upRedirection\" CONTENT=\"" + plain.url("/next.html").toUtf8() + "\">\r\n" }) {
            for (const QByteArray& release : { plainRelease, plainRelease.mid(7) }) {
                tls.setReply("/p.html",
                    LoopbackServer::page(LoopbackServer::infoPage("2.1.8", release, "r.bin", extra)));
                const int before = rec.errors;
                QVERIFY(w.CheckForUpdate());
                QCOMPARE(rec.errors, before + 1);
                QVERIFY2(w.ErrorReason().contains("insecure address"), qPrintable(w.ErrorReason()));
            }
        }
        QVERIFY(plain.requests().isEmpty());
        // Nor does an HTTP redirection lead from https to http.
        tls.setReply("/down.html", LoopbackServer::redirect(plain.url("/next.html").replace("http", "HTTP")));
        QVERIFY(!w.DownloadFile(tls.url("/down.html"), false, false));
        QVERIFY(plain.requests().isEmpty());
        // An https URL against a server speaking plain HTTP fails rather than going in clear.
        QVERIFY(!w.DownloadFile(plain.url("/next.html").replace("http://", "https://"), false, false));
        QVERIFY(plain.requests().isEmpty());
        // An http address redirected to https: the way back to http is closed as well, and the
        // page it leads to is an https one.
        plain.setReply("/up.html", LoopbackServer::redirect(tls.url("/down.html")));
        QVERIFY(!w.DownloadFile(plain.url("/up.html"), false, false));
        tls.setReply(
            "/p.html", LoopbackServer::page(LoopbackServer::infoPage("2.1.8", plainRelease, "r.bin")));
        plain.setReply("/up.html", LoopbackServer::redirect(tls.url("/p.html")));
        w.ProductInfo.setURL(plain.url("/up.html"));
        QVERIFY(w.CheckForUpdate());
        QVERIFY2(w.ErrorReason().contains("insecure address"), qPrintable(w.ErrorReason()));
        QCOMPARE(plain.hits("/next.html") + plain.hits("/r.bin"), 0);
        QCOMPARE(rec.errors, 8);

        // Without SSL_CERT_FILE the system's store decides, and it does not know the test's
        // authority.
        qunsetenv("SSL_CERT_FILE");
        QVERIFY(!w.DownloadFile(tls.url("/p.html"), false, false));
        useLoopbackServers();
        QVERIFY2(w.ErrorReason().contains("certificate", Qt::CaseInsensitive), qPrintable(w.ErrorReason()));
        // A trusted certificate for another host is no better.
        LoopbackServer elsewhere(true, "elsewhere");
        elsewhere.setReply("/p.html", LoopbackServer::page(infoPage("2.1.9", "x", "y")));
        QVERIFY(!w.DownloadFile(elsewhere.url("/p.html"), false, false));
        QVERIFY2(w.ErrorReason().contains("host name", Qt::CaseInsensitive), qPrintable(w.ErrorReason()));
        QVERIFY(elsewhere.requests().isEmpty());
        QCOMPARE(rec.errors, 10);
    }

    void httpsServerThatKnowsNoHttp10IsReached()
    {
        // Servers that speak h2 and http/1.1 only refuse a handshake whose ALPN list names
        // neither of them. Asked in HTTP/1.0 all the same, they send the page and the release.
        Round r(TupUpdateOptions(uoOverwrite), true);
        r.server.setKnownProtocols({ "h2", "http/1.1" });
        r.offer("2.1.8", "r.bin", LoopbackServer::file(pattern(70000)));
        QVERIFY(r.w.CheckForUpdate());
        QVERIFY2(r.w.Success(), qPrintable(r.w.ErrorReason()));
        QCOMPARE(r.rec.errors, 0);
        QCOMPARE(readAll(r.w.FileName()), pattern(70000));
        const QList<QByteArray> requests = r.server.requests();
        QCOMPARE(requests.size(), 2);
        for (const QByteArray& head : requests)
            QVERIFY2(head.left(head.indexOf("\r\n")).endsWith(" HTTP/1.0"), head.constData());

        // The server does refuse a handshake that offers HTTP/1.0 alone.
        for (const auto& [offered, served] : { std::pair { "http/1.0", false }, { "http/1.1", true } }) {
            QSslSocket probe;
            QSslConfiguration tls = probe.sslConfiguration();
            tls.setPeerVerifyMode(QSslSocket::VerifyNone);
            tls.setAllowedNextProtocols({ offered });
            probe.setSslConfiguration(tls);
            probe.connectToHostEncrypted(QStringLiteral("127.0.0.1"), r.server.port());
            QCOMPARE(probe.waitForEncrypted(5000), served);
        }
    }

    void credentialsGoToTheirOwnHostOnly()
    {
        Round r;
        LoopbackServer elsewhere;
        elsewhere.setReply("/moved.html", LoopbackServer::page(infoPage("2.1.9", "x", "y")));
        r.server.setReply(
            "/private.html", Reply { .body = infoPage("2.1.8", "x", "y"), .basicAuth = "engineer:s3cret" });
        Reply redirect = LoopbackServer::redirect(
            QStringLiteral("http://localhost:%1/moved.html").arg(elsewhere.port()));
        redirect.basicAuth = "engineer:s3cret";
        r.server.setReply("/redirect.html", redirect);
        TupWebUpdate& w = r.w;
        const QString url = r.server.url("/private.html");
        QVERIFY(!w.DownloadFile(url, false, false));
        QCOMPARE(w.ErrorReason(), QStringLiteral("HTTP 401 Unauthorized"));
        w.UserName = QStringLiteral("engineer");
        w.Password = QStringLiteral("wrong");
        QVERIFY(!w.DownloadFile(url, false, false));
        QCOMPARE(r.rec.errors, 2);
        w.Password = QStringLiteral("s3cret");
        QVERIFY(w.DownloadFile(url, false, false));
        w.ParseInfo();
        QCOMPARE(w.Page().Version, QStringLiteral("2.1.8"));

        // Given to this server, followed to another host: that host never sees them.
        QVERIFY(w.DownloadFile(r.server.url("/redirect.html"), false, false));
        w.ParseInfo();
        QCOMPARE(w.Page().Version, QStringLiteral("2.1.9"));
        QCOMPARE(elsewhere.requests().size(), 1);
        QVERIFY(!elsewhere.requests().first().toLower().contains("authorization"));
        QVERIFY(r.server.requests().last().contains("Authorization: Basic"));
    }

    void drippingServersAreEnded()
    {
        Round r;
        TupWebUpdate& w = r.w;
        w.StallTimeoutMs = 300;
        w.PageTimeoutMs = 1000;
        // Never silent for long, but a page has to arrive in time in all...
        r.server.setReply("/drip.html",
            Reply { .body = infoPage("3.0", "x", "y").left(150), .pieceSize = 2, .pieceDelayMs = 40 });
        QVERIFY(!w.DownloadFile(r.server.url("/drip.html"), false, false));
        QVERIFY2(w.ErrorReason().contains("within 1 s"), qPrintable(w.ErrorReason()));
        // ...and a release has to bring 1 KiB in each stretch.
        r.offer("3.0", "slow.bin", Reply { .body = pattern(600), .pieceSize = 10, .pieceDelayMs = 40 });
        QVERIFY(r.w.CheckForUpdate());
        QVERIFY2(w.ErrorReason().contains("sent only"), qPrintable(w.ErrorReason()));
        expectFailedRound(r, 2);
    }

    void proxyComesFromTheEnvironment()
    {
        Round r;
        // The proxy answers for a host nobody could reach directly.
        LoopbackServer proxy;
        proxy.setReply("http://updates.invalid/p.html", LoopbackServer::page(infoPage("2.1.8", "x", "y")));
        r.server.setReply("/direct.html", LoopbackServer::page(infoPage("2.1.9", "x", "y")));
        qputenv("http_proxy", proxy.url(QString()).toUtf8());
        qputenv("no_proxy", "localhost");
        QVERIFY(r.w.DownloadFile(QStringLiteral("http://updates.invalid/p.html"), false, false));
        QCOMPARE(proxy.requests().size(), 1);
        QVERIFY(proxy.requests().first().startsWith("GET http://updates.invalid/p.html HTTP/1.0\r\n"));
        QVERIFY(proxy.requests().first().contains("\r\nHost: updates.invalid"));
        // Hosts in no_proxy are reached directly.
        QVERIFY(r.w.DownloadFile(
            QStringLiteral("http://localhost:%1/direct.html").arg(r.server.port()), false, false));
        QCOMPARE(r.server.hits("/direct.html"), 1);
        QCOMPARE(proxy.requests().size(), 1);
        useLoopbackServers();
        qunsetenv("no_proxy");
        QCOMPARE(r.rec.errors, 0);
    }

    void clientFileNameStaysInItsFolder_data()
    {
        QTest::addColumn<QByteArray>("pageName");
        QTest::addColumn<QString>("stored"); // empty: refused
        QTest::newRow("parent") << QByteArray("../../x.bin") << QStringLiteral("x.bin");
        QTest::newRow("absolute") << QByteArray("/etc/x.bin") << QStringLiteral("x.bin");
        QTest::newRow("backslashes") << QByteArray("..\\..\\y.bin") << QStringLiteral("y.bin");
        QTest::newRow("empty") << QByteArray("") << QString();
        QTest::newRow("dotdot") << QByteArray("..") << QString();
        QTest::newRow("folder") << QByteArray("sub/") << QString();
    }

    void clientFileNameStaysInItsFolder()
    {
        QFETCH(QByteArray, pageName);
        QFETCH(QString, stored);
        Round r(uoOverwrite);
        r.offer("3.0", "r.bin");
        r.server.setReply(
            "/p.html", LoopbackServer::page(infoPage("3.0", r.server.url("/r.bin").toUtf8(), pageName)));
        QVERIFY(r.w.CheckForUpdate());
        if (stored.isEmpty()) {
            QCOMPARE(r.rec.errors, 1);
            QCOMPARE(r.server.hits("/r.bin"), 0);
            QVERIFY(tmpEntries().isEmpty());
        } else {
            QCOMPARE(r.rec.errors, 0);
            QCOMPARE(r.w.FileName(), m_tmp + "/" + stored);
            QCOMPARE(tmpEntries(), QStringList({ stored }));
        }
    }

    void existingFileNeedsOverwrite()
    {
        Round r(TupUpdateOptions {});
        r.offer("3.0", "r.bin", LoopbackServer::file("new release"));
        writeFile(m_tmp + "/r.bin", "old release");
        QVERIFY(r.w.CheckForUpdate());
        QCOMPARE(r.rec.errors, 1);
        QCOMPARE(r.server.hits("/r.bin"), 0);
        QCOMPARE(readAll(m_tmp + "/r.bin"), QByteArray("old release"));

        // The owner may allow it.
        QString asked;
        r.w.OnClientFileExists = [&asked](const QString& f, bool& overwrite) {
            asked = f;
            overwrite = true;
        };
        QVERIFY(r.w.CheckForUpdate());
        QCOMPARE(asked, m_tmp + "/r.bin");
        QCOMPARE(readAll(m_tmp + "/r.bin"), QByteArray("new release"));

        // A failed transfer leaves the earlier file as it was.
        r.server.setReply("/r.bin", LoopbackServer::error(500, "oops"));
        QVERIFY(r.w.CheckForUpdate());
        QCOMPARE(readAll(m_tmp + "/r.bin"), QByteArray("new release"));
        QCOMPARE(tmpEntries(), QStringList({ "r.bin" }));
    }

    void zipArchiveIsUnpackedAndItsProgramFound()
    {
        const QByteArray archive
            = makeZip({ { "a-readme.txt", "read me", 0644 }, { "b-setup", markerScript(), 0755 },
                { "c-other", "#!/bin/sh\n", 0755 }, { "docs/d.txt", "doc", 0644 } });
        Round r(uoOverwrite); // run switched off: kept, nothing started or ended
        r.offer("3.0", "Setup.ZIP", LoopbackServer::file(archive));
        // Whatever an earlier update left there goes.
        QDir().mkpath(m_tmp + "/BraxholmUpdate");
        writeFile(m_tmp + "/BraxholmUpdate/0-stale", "#!/bin/sh\n");
        QFile::setPermissions(
            m_tmp + "/BraxholmUpdate/0-stale", QFileDevice::ReadOwner | QFileDevice::ExeOwner);

        QVERIFY(r.w.CheckForUpdate());
        QCOMPARE(r.rec.errors, 0);
        QCOMPARE(r.w.UnzipFolder(), m_tmp + "/BraxholmUpdate/");
        QCOMPARE(r.w.FileName(), m_tmp + "/BraxholmUpdate/b-setup");
        QVERIFY(r.rec.log.contains("AfterDownload b-setup"));
        QVERIFY(!QFile::exists(m_tmp + "/BraxholmUpdate/0-stale"));
        QCOMPARE(readAll(m_tmp + "/BraxholmUpdate/docs/d.txt"), QByteArray("doc"));
        QCOMPARE(readAll(m_tmp + "/Setup.ZIP"), archive);
        QTest::qWait(300);
        QVERIFY(!QFile::exists(m_marker));
        QCOMPARE(r.rec.terminated, 0);
        QCOMPARE(r.rec.cannotExecute, 0);
    }

    void startedUpdateEndsTheProgramThroughTheHook()
    {
        Round r;
        r.offer("3.0", "u.zip", LoopbackServer::file(makeZip({ { "install", markerScript(), 0755 } })),
            "<META NAME=\"upRunParameters\" CONTENT=\"/S --target here\">\r\n");
        // The owner says no (its save question was cancelled): nothing starts.
        r.rec.canTerminate = false;
        QVERIFY(r.w.CheckForUpdate());
        QCOMPARE(r.rec.log.last(), QStringLiteral("QueryTerminate"));
        QCOMPARE(r.rec.terminated, 0);
        QCOMPARE(r.rec.cannotExecute, 0);
        QTest::qWait(300);
        QVERIFY(!QFile::exists(m_marker));

        r.rec.canTerminate = true;
        QVERIFY(r.w.CheckForUpdate());
        QCOMPARE(r.rec.cannotExecute, 0);
        QCOMPARE(r.rec.terminated, 1);
        QCOMPARE(r.rec.log.mid(r.rec.log.size() - 2), QStringList({ "QueryTerminate", "Terminate" }));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(m_marker).size() > 0, 5000);
        QCOMPARE(readAll(m_marker), QByteArray("/S|--target|here|"));

        // Run without terminate: started, program goes on.
        QFile::remove(m_marker);
        r.w.Options = TupUpdateOptions(uoRunUpdate) | uoOverwrite;
        QVERIFY(r.w.CheckForUpdate());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(m_marker).size() > 0, 5000);
        QCOMPARE(r.rec.terminated, 1);
    }

    void startingTheRelease_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("starts");
        QTest::newRow("plain program") << QByteArray("setup.run") << markerScript() << true;
        QTest::newRow("archive without a program")
            << QByteArray("u.zip") << makeZip({ { "readme.txt", "no program here", 0644 } }) << false;
        QTest::newRow("not a program")
            << QByteArray("setup.bin") << QByteArray("\x01\x02 garbage, not runnable") << false;
    }

    void startingTheRelease()
    {
        // A release that cannot be started never ends the program.
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, body);
        QFETCH(bool, starts);
        Round r;
        r.offer("3.0", name, LoopbackServer::file(body));
        QVERIFY(r.w.CheckForUpdate());
        QCOMPARE(r.rec.cannotExecute, starts ? 0 : 1);
        QCOMPARE(r.rec.terminated, starts ? 1 : 0);
        if (starts)
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_marker), 5000);
    }

    void releaseStreamedByTheServerArrivesWithItsLength_data()
    {
        QTest::addColumn<bool>("tls");
        QTest::newRow("http") << false;
        QTest::newRow("https") << true;
    }

    void releaseStreamedByTheServerArrivesWithItsLength()
    {
        // A server that streams to every client able to take chunks (and over TLS would offer
        // HTTP/2): the release still comes with the length it must have, whole, and is started.
        QFETCH(bool, tls);
        Round r(kRunAll, tls);
        const QByteArray release = markerScript() + "# " + QByteArray(5000, 'x') + "\n";
        r.offer("3.0", "setup.run",
            Reply { .body = release, .framing = Framing::ChunkedUnlessHttp10, .pieceSize = 1000 });
        QVERIFY(r.w.CheckForUpdate());
        QVERIFY2(r.w.Success(), qPrintable(r.w.ErrorReason()));
        QCOMPARE(r.rec.errors, 0);
        QCOMPARE(readAll(r.w.FileName()), release);
        QCOMPARE(r.w.Total(), qint64(release.size()));
        QCOMPARE(r.rec.cannotExecute, 0);
        QCOMPARE(r.rec.terminated, 1);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_marker), 5000);
    }

    void hostileArchiveIsRefused()
    {
        Round r;
        r.offer("3.0", "u.zip",
            LoopbackServer::file(makeZip(
                { { "install", markerScript(), 0755 }, { "../../escaped.sh", "#!/bin/sh\n", 0755 } })));
        QVERIFY(r.w.CheckForUpdate());
        expectFailedRound(r);
        QCOMPARE(r.rec.cannotExecute, 0);
        QVERIFY(!QFile::exists(m_root.filePath("escaped.sh")));
        QVERIFY(!QFile::exists(QFileInfo(m_root.path()).absolutePath() + "/escaped.sh"));

        // An honest archive, but a link planted where it is unpacked, to somebody else's folder
        // with files and subfolders: an error, and their folder stays whole.
        r.server.setReply("/u.zip", LoopbackServer::file(makeZip({ { "install", markerScript(), 0755 } })));
        const QString theirs = m_root.filePath(QStringLiteral("theirs"));
        QVERIFY(QDir().mkpath(theirs + "/sub/deeper"));
        writeFile(theirs + "/a.txt", "a");
        writeFile(theirs + "/sub/deeper/b.txt", "b");
        QVERIFY(QFile::link(theirs, m_tmp + "/BraxholmUpdate"));
        QVERIFY(r.w.CheckForUpdate());
        QCOMPARE(r.rec.errors, 2);
        QVERIFY2(r.w.ErrorReason().contains("symbolic link"), qPrintable(r.w.ErrorReason()));
        QCOMPARE(r.rec.terminated, 0);
        QCOMPARE(readAll(theirs + "/a.txt"), QByteArray("a"));
        QCOMPARE(readAll(theirs + "/sub/deeper/b.txt"), QByteArray("b"));
        QCOMPARE(
            QDir(theirs).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList({ "a.txt", "sub" }));
        QVERIFY(QFileInfo(m_tmp + "/BraxholmUpdate").isSymLink());
        QTest::qWait(200);
        QVERIFY(!QFile::exists(m_marker));
    }
};

QTEST_GUILESS_MAIN(WebUpdateTest)
#include "webupdate_qtest.moc"
