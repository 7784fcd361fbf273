// The commit cycle the user waits for after leaving a field: FormToData, the analysis,
// DataToForm and the repainted window, on a 13-layer project. One frame is about 16 ms.
#include "bench/analysis/project13.h"

#include "model/lpclasses.h"
#include "platform/qt/application.h"
#include "platform/qt/controls.h"
#include "platform/qt/settings.h"
#include "ui/main/lpmain.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

namespace {

TfrmLPMain* g_window = nullptr;

void BM_CommitCycle13Layers(benchmark::State& state)
{
    TfrmLPMain& w = *g_window;
    QLineEdit* lateral = w.Edit4;
    const platform::ControlEvents* events = platform::findControlEvents(lateral);
    if (!events || !events->onExit) {
        state.SkipWithError("the lateral load edit has no exit handler");
        return;
    }
    bool flip = false;
    for (auto _ : state) {
        flip = !flip;
        lateral->setText(flip ? QStringLiteral("21") : QStringLiteral("20"));
        platform::fireEvent(events->onExit, lateral);
        w.repaint();
    }
    state.counters["layers"] = w.LPData->Layers.Count();
}

} // namespace

BENCHMARK(BM_CommitCycle13Layers)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv)
{
    // A private home: no settings, documents or runtime folder of the user's are touched.
    QTemporaryDir home;
    for (const char* sub : { "config", "data", "cache", "runtime" })
        QDir(home.path()).mkpath(QLatin1String(sub));
    QFile::setPermissions(home.filePath(QStringLiteral("runtime")),
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", home.filePath(QStringLiteral("cache")).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", home.filePath(QStringLiteral("runtime")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::Application app(argc, argv);
    {
        platform::SettingsKey key;
        key.openKey(QStringLiteral("Software\\Braxholm\\Fendrix\\"), true);
        key.writeBool(QStringLiteral("AutoUpdates"), false);
    }
    auto window = std::make_unique<TfrmLPMain>();
    window->show();
    QApplication::processEvents();
    window->Timer1->stop();
    benchproject::buildThirteenLayers(*window->LPData, kUnitsUS);
    window->DataToForm();
    window->FormToData();
    QApplication::processEvents();
    g_window = window.get();

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
