// Wall time from starting a program to its main window's first paint, for the real entry
// sequence and for a bare QMainWindow program. Each iteration is one process. Offscreen unless
// QT_QPA_PLATFORM names a platform (QT_QPA_PLATFORM=xcb under Xvfb).
#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <algorithm>
#include <vector>

namespace {

// Starts the programs in a home of their own, so that no stored settings or update check of the
// user's take part.
class Launcher {
public:
    Launcher()
        : m_env(QProcessEnvironment::systemEnvironment())
    {
        if (m_env.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty())
            m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        m_env.insert(QStringLiteral("HOME"), m_home.path());
        m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path() + QStringLiteral("/config"));
        m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.path());
    }

    // Milliseconds from the start to the end of the program; negative when it did not end cleanly.
    double run(const char* program) const
    {
        QProcess process;
        process.setProcessEnvironment(m_env);
        QElapsedTimer clock;
        clock.start();
        process.start(QString::fromLocal8Bit(program), {});
        if (!process.waitForFinished(30000) || process.exitCode() != 0)
            return -1;
        return clock.nsecsElapsed() / 1e6;
    }

private:
    QTemporaryDir m_home;
    QProcessEnvironment m_env;
};

void runProgram(benchmark::State& state, const char* program)
{
    const Launcher launcher;
    for (auto _ : state) {
        if (launcher.run(program) < 0) {
            state.SkipWithError("the program did not start and end cleanly");
            break;
        }
    }
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
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

// The bare window and the program in turns, one run of each per iteration. The machine drifts
// over seconds (clock, caches, the display server's state) and even a program's previous run
// slows the next start, so runs taken in separate blocks, as above, compare that drift as much
// as the programs: this is the ratio to read. Reports both medians (ms) and their ratio.
void BM_StartupFendrixOverBare(benchmark::State& state)
{
    const Launcher launcher;
    std::vector<double> bare;
    std::vector<double> fendrix;
    for (auto _ : state) {
        const double b = launcher.run(STARTUP_BARE);
        const double f = launcher.run(STARTUP_FENDRIX);
        if (b < 0 || f < 0) {
            state.SkipWithError("a program did not start and end cleanly");
            return;
        }
        bare.push_back(b);
        fendrix.push_back(f);
        state.SetIterationTime((b + f) / 1000);
    }
    const double bareMedian = median(bare);
    const double fendrixMedian = median(fendrix);
    state.counters["bare_ms"] = bareMedian;
    state.counters["fendrix_ms"] = fendrixMedian;
    state.counters["ratio"] = fendrixMedian / bareMedian;
}

} // namespace

BENCHMARK(BM_StartupBareMainWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_StartupBareMainWindowWithText)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_StartupFendrix)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_StartupFendrixOverBare)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(150);
BENCHMARK_MAIN();
