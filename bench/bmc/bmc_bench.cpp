// Reading and writing a 12-megapixel picture in each format, next to ImageMagick's convert doing
// the same on the same files. Figures are megapixels per second of wall-clock time; convert's
// include starting its process, as a user running it would pay.
//
//   bench_bmc [--benchmark_filter=...]      (needs /usr/bin/convert for the comparison rows)
#include "imaging/bmc/bmc.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr double kMegapixels = kWidth * kHeight / 1e6;
const char* const kConvert = "/usr/bin/convert";

const char* const kExt[] = { "bmp", "pcx", "tga" };

struct Workspace {
    std::filesystem::path dir;
    BMC bmc;
    std::vector<std::uint8_t> data;

    Workspace()
    {
        dir = std::filesystem::temp_directory_path() / ("bmc-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        bmc.w = kWidth;
        bmc.h = kHeight;
        bmc.bpp = 24;
        data.resize(bmc_data_size(bmc));
        // Photograph-like content: smooth gradients, a coarse pattern and a little noise, so the
        // run-length formats see both runs and literals.
        unsigned seed = 12345;
        const std::size_t stride = bmc_row_size(bmc);
        for (int y = 0; y < kHeight; ++y) {
            std::uint8_t* row = data.data() + stride * static_cast<std::size_t>(y);
            for (int x = 0; x < kWidth; ++x) {
                seed = seed * 1103515245u + 12345u;
                const int noise = ((x / 64 + y / 64) % 3 == 0) ? static_cast<int>((seed >> 16) & 7) : 0;
                row[3 * x] = static_cast<std::uint8_t>(((x / 40 + y / 40) % 2) * 96 + noise);
                row[3 * x + 1] = static_cast<std::uint8_t>(y * 255 / kHeight);
                row[3 * x + 2] = static_cast<std::uint8_t>(x * 255 / kWidth);
            }
        }
        for (int ft = 0; ft < 3; ++ft) {
            if (write(source(ft), ft) != BMC_ERR_OK)
                std::abort();
        }
        // ImageMagick's own memory-mapped format: reading it costs next to nothing, so
        // "convert picture.mpc out.<ext>" measures its writers.
        run(std::string(kConvert) + " " + source(0) + " " + (dir / "picture.mpc").string());
    }
    ~Workspace() { std::filesystem::remove_all(dir); }

    std::string source(int ft) const { return (dir / (std::string("picture.") + kExt[ft])).string(); }
    std::string target(int ft) const { return (dir / (std::string("out.") + kExt[ft])).string(); }

    int write(const std::string& name, int ft) const
    {
        const int fd = bmc_io_create(name.c_str(), O_WRONLY);
        if (fd < 0)
            return BMC_ERR_WRITE;
        const int rc = bmc_write(name.c_str(), fd, ft, &bmc, nullptr, data.data(), "", nullptr, nullptr);
        bmc_io_close(fd);
        return rc;
    }

    static void run(const std::string& command)
    {
        if (std::system((command + " 2>/dev/null").c_str()) != 0)
            std::fprintf(stderr, "failed: %s\n", command.c_str());
    }
};

Workspace& workspace()
{
    static Workspace ws;
    return ws;
}

int readPicture(const std::string& name, int ft, BMC& bmc, std::vector<std::uint8_t>& data)
{
    const int fd = bmc_io_open(name.c_str(), O_RDONLY);
    if (fd < 0)
        return BMC_ERR_READ;
    BmcRgb pal[256];
    int rc = bmc_read_header(name.c_str(), fd, ft, &bmc, "");
    if (rc == BMC_ERR_OK)
        rc = bmc_read_palette(fd, ft, &bmc, pal);
    if (rc == BMC_ERR_OK) {
        data.resize(bmc_data_size(bmc));
        rc = bmc_read_data(fd, ft, &bmc, data.data(), nullptr, nullptr);
    }
    bmc_io_close(fd);
    return rc;
}

void setRate(benchmark::State& state)
{
    state.counters["Mpx/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kMegapixels, benchmark::Counter::kIsRate);
}

void BM_Read(benchmark::State& state)
{
    const int ft = static_cast<int>(state.range(0));
    Workspace& ws = workspace();
    BMC bmc;
    std::vector<std::uint8_t> data;
    for (auto _ : state) {
        if (readPicture(ws.source(ft), ft, bmc, data) != BMC_ERR_OK)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(data.data());
    }
    state.SetLabel(kExt[ft]);
    setRate(state);
}

void BM_Write(benchmark::State& state)
{
    const int ft = static_cast<int>(state.range(0));
    Workspace& ws = workspace();
    for (auto _ : state) {
        if (ws.write(ws.target(ft), ft) != BMC_ERR_OK)
            state.SkipWithError("write failed");
    }
    state.SetLabel(kExt[ft]);
    setRate(state);
}

// Read a file and write it again in its own format: what "convert a.ext b.ext" does.
void BM_ReadWrite(benchmark::State& state)
{
    const int ft = static_cast<int>(state.range(0));
    Workspace& ws = workspace();
    BMC bmc;
    std::vector<std::uint8_t> data;
    for (auto _ : state) {
        if (readPicture(ws.source(ft), ft, bmc, data) != BMC_ERR_OK)
            state.SkipWithError("read failed");
        const std::string out = ws.target(ft);
        const int fd = bmc_io_create(out.c_str(), O_WRONLY);
        if (bmc_write(out.c_str(), fd, ft, &bmc, nullptr, data.data(), "", nullptr, nullptr) != BMC_ERR_OK)
            state.SkipWithError("write failed");
        bmc_io_close(fd);
    }
    state.SetLabel(kExt[ft]);
    setRate(state);
}

void BM_ConvertRead(benchmark::State& state)
{
    const int ft = static_cast<int>(state.range(0));
    Workspace& ws = workspace();
    for (auto _ : state)
        Workspace::run(std::string(kConvert) + " " + ws.source(ft) + " null:");
    state.SetLabel(kExt[ft]);
    setRate(state);
}

void BM_ConvertWrite(benchmark::State& state)
{
    const int ft = static_cast<int>(state.range(0));
    Workspace& ws = workspace();
    for (auto _ : state)
        Workspace::run(std::string(kConvert) + " " + (ws.dir / "picture.mpc").string() + " " + ws.target(ft));
    state.SetLabel(kExt[ft]);
    setRate(state);
}

void BM_ConvertReadWrite(benchmark::State& state)
{
    const int ft = static_cast<int>(state.range(0));
    Workspace& ws = workspace();
    for (auto _ : state)
        Workspace::run(std::string(kConvert) + " " + ws.source(ft) + " " + ws.target(ft));
    state.SetLabel(kExt[ft]);
    setRate(state);
}

#define BMC_FORMATS DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime()
BENCHMARK(BM_Read)->BMC_FORMATS;
BENCHMARK(BM_ConvertRead)->BMC_FORMATS->Iterations(5);
BENCHMARK(BM_Write)->BMC_FORMATS;
BENCHMARK(BM_ConvertWrite)->BMC_FORMATS->Iterations(5);
BENCHMARK(BM_ReadWrite)->BMC_FORMATS;
BENCHMARK(BM_ConvertReadWrite)->BMC_FORMATS->Iterations(5);

} // namespace

BENCHMARK_MAIN();
