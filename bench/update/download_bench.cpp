// Throughput of a release download through the update client's transfer loop (progress event
// and event processing after every piece) against curl fetching the same URL from the same
// loopback server.
#include "update/webupdate.h"

#include "loopbackserver.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

namespace {

constexpr qint64 kReleaseSize = 50 * 1000 * 1000;

struct Fixture {
    LoopbackServer server;
    QTemporaryDir dir;
    Fixture()
    {
        QByteArray release(kReleaseSize, '\0');
        for (qint64 i = 0; i < kReleaseSize; ++i)
            release[i] = char((i * 2654435761u) >> 13);
        server.setReply("/release.bin", LoopbackServer::file(release));
        server.setReply("/page.html",
            LoopbackServer::page("<META NAME=\"upProduct\" CONTENT=\"Fendrix\">\n"
                                 "<META NAME=\"upVersion\" CONTENT=\"9.0\">\n"
                                 "<META NAME=\"upClientSideName\" CONTENT=\"release.bin\">\n"
                                 "<META NAME=\"upDownload\" CONTENT=\""
                + server.url("/release.bin").toUtf8() + "\">\n"));
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void BM_DownloadFile(benchmark::State& state)
{
    Fixture& f = fixture();
    const QString target = f.dir.filePath(QStringLiteral("client.bin"));
    qint64 events = 0;
    TupWebUpdate w;
    w.Options = uoOverwrite;
    w.ProductInfo.Version = QStringLiteral("1.0");
    w.OnGetClientFileName = [&target](QString& name) { name = target; };
    w.OnDownload = [&events](qint64, qint64) { ++events; };
    bool ok = true;
    for (auto _ : state) {
        // The release goes through DownloadFile as one round would fetch it.
        const auto start = std::chrono::steady_clock::now();
        w.ProductInfo.setURL(f.server.url(QStringLiteral("/page.html")));
        w.CheckForUpdate();
        const auto stop = std::chrono::steady_clock::now();
        ok = ok && w.Success() && QFileInfo(target).size() == kReleaseSize;
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    }
    if (!ok)
        state.SkipWithError("download failed");
    state.SetBytesProcessed(state.iterations() * kReleaseSize);
    state.counters["progress_events"] = benchmark::Counter(double(events) / double(state.iterations()));
}
BENCHMARK(BM_DownloadFile)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_Curl(benchmark::State& state)
{
    Fixture& f = fixture();
    const QString target = f.dir.filePath(QStringLiteral("curl.bin"));
    bool ok = true;
    for (auto _ : state) {
        QProcess curl;
        // curl's own transfer time, without its start-up: the strictest yardstick.
        curl.start(QStringLiteral("curl"),
            { QStringLiteral("-s"), QStringLiteral("-o"), target, QStringLiteral("-w"),
                QStringLiteral("%{time_total}"), f.server.url(QStringLiteral("/release.bin")) });
        curl.waitForFinished(-1);
        bool parsed = false;
        const double seconds = curl.readAllStandardOutput().trimmed().toDouble(&parsed);
        ok = ok && parsed && curl.exitCode() == 0 && QFileInfo(target).size() == kReleaseSize;
        state.SetIterationTime(parsed ? seconds : 1.0);
    }
    if (!ok)
        state.SkipWithError("curl failed");
    state.SetBytesProcessed(state.iterations() * kReleaseSize);
}
BENCHMARK(BM_Curl)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
