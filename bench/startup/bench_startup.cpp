// Wall time from starting a program to its main window's first paint, for the real entry
// sequence and for a bare QMainWindow program. Each iteration is one process. Offscreen unless
// QT_QPA_PLATFORM names a platform (QT_QPA_PLATFORM=xcb under Xvfb).
#include <benchmark/benchmark.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace {

void runProgram(benchmark::State& state, const char* program)
{
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (env.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty())
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    for (auto _ : state) {
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(QString::fromLocal8Bit(program), {});
        if (!process.waitForFinished(30000) || process.exitCode() != 0) {
            state.SkipWithError("the program did not start and end cleanly");
            break;
        }
    }
}

void BM_StartupBareMainWindow(benchmark::State& state)
{
    runProgram(state, STARTUP_BARE);
}

void BM_StartupBareMainWindowWithText(benchmark::State& state)
{
    runProgram(state, STARTUP_BARE_TEXT);
}

void BM_StartupFendrix(benchmark::State& state)
{
    runProgram(state, STARTUP_FENDRIX);
}

} // namespace

BENCHMARK(BM_StartupBareMainWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_StartupBareMainWindowWithText)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_StartupFendrix)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK_MAIN();
