// Decoding and encoding a 12-megapixel picture through TJpegGraphic, next to the JPEG library's
// own djpeg and cjpeg on the same files (quality 80, the class's default; default DCT and
// upsampling on both sides). The tools run as separate processes writing to /dev/null, so
// their figures include process start-up and reading the file (a few milliseconds).
// BM_TJpegGraphicDecodeProcess decodes the same way, a whole process of this program per
// picture (bench_jpeg --decode=FILE): fresh memory for every picture, as for a user opening one.
#include "imaging/jpeggraphic.h"
#include "platform/core/stream.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

struct Files {
    std::string dir, jpeg, ppm;
    platform::TMemoryStream jpegBytes;
    TJpegGraphic picture;
};

// A photograph-like picture: smooth shading with texture, so that the coder has real work.
void paint(TJpegGraphic& p)
{
    p.NewImage(kWidth, kHeight, ifTrueColor, nullptr, 300, 300);
    uint32_t seed = 12345;
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* row = p.ScanLine(y);
        for (int x = 0; x < kWidth; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = static_cast<int>(seed >> 28) - 8;
            const double v = 127 + 100 * std::sin(x / 97.0) * std::cos(y / 61.0);
            row[3 * x] = static_cast<uint8_t>(std::clamp(static_cast<int>(v) + noise, 0, 255));
            row[3 * x + 1] = static_cast<uint8_t>(std::clamp((x + y) / 28 + noise, 0, 255));
            row[3 * x + 2] = static_cast<uint8_t>(std::clamp(static_cast<int>(255 - v) + noise, 0, 255));
        }
    }
}

Files& files()
{
    static Files* f = [] {
        auto* f = new Files;
        f->dir = (std::filesystem::temp_directory_path() / "fendrix-bench-jpeg").string();
        std::filesystem::create_directories(f->dir);
        f->jpeg = f->dir + "/picture.jpg";
        f->ppm = f->dir + "/picture.ppm";
        paint(f->picture);
        f->picture.SaveToStream(f->jpegBytes);
        f->jpegBytes.SaveToFile(f->jpeg);
        std::ofstream ppm(f->ppm, std::ios::binary);
        ppm << "P6\n" << kWidth << " " << kHeight << "\n255\n";
        std::string row(static_cast<std::size_t>(kWidth) * 3, '\0');
        for (int y = 0; y < kHeight; ++y) {
            const uint8_t* in = f->picture.ScanLine(y);
            for (int x = 0; x < kWidth; ++x) {
                row[3 * x] = static_cast<char>(in[3 * x + 2]);
                row[3 * x + 1] = static_cast<char>(in[3 * x + 1]);
                row[3 * x + 2] = static_cast<char>(in[3 * x]);
            }
            ppm.write(row.data(), static_cast<std::streamsize>(row.size()));
        }
        return f;
    }();
    return *f;
}

void setCounters(benchmark::State& state)
{
    state.counters["Mpixel/s"] = benchmark::Counter(
        static_cast<double>(kWidth) * kHeight / 1e6 * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
}

void BM_TJpegGraphicDecode(benchmark::State& state)
{
    Files& f = files();
    for (auto _ : state) {
        f.jpegBytes.SetPosition(0);
        TJpegGraphic p;
        p.LoadFromStream(f.jpegBytes);
        benchmark::DoNotOptimize(p.Bits());
    }
    setCounters(state);
}

void BM_TJpegGraphicDecodeFromFile(benchmark::State& state)
{
    Files& f = files();
    for (auto _ : state) {
        TJpegGraphic p;
        p.LoadFromFile(f.jpeg);
        benchmark::DoNotOptimize(p.Bits());
    }
    setCounters(state);
}

std::string g_self;

void BM_TJpegGraphicDecodeProcess(benchmark::State& state)
{
    Files& f = files();
    const std::string command = "'" + g_self + "' --decode='" + f.jpeg + "'";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("decoding process failed");
    setCounters(state);
}

void BM_djpeg(benchmark::State& state)
{
    Files& f = files();
    const std::string command = "djpeg -outfile /dev/null '" + f.jpeg + "'";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("djpeg failed");
    setCounters(state);
}

void BM_TJpegGraphicEncode(benchmark::State& state)
{
    Files& f = files();
    for (auto _ : state) {
        platform::TMemoryStream out;
        f.picture.SaveToStream(out);
        benchmark::DoNotOptimize(out.Memory());
    }
    setCounters(state);
}

void BM_cjpeg(benchmark::State& state)
{
    Files& f = files();
    const std::string command = "cjpeg -quality 80 -outfile /dev/null '" + f.ppm + "'";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("cjpeg failed");
    setCounters(state);
}

} // namespace

BENCHMARK(BM_TJpegGraphicDecode)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_TJpegGraphicDecodeFromFile)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_TJpegGraphicDecodeProcess)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_djpeg)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_TJpegGraphicEncode)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_cjpeg)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
int main(int argc, char** argv)
{
    // The whole-process decoder: one picture, then exit.
    if (argc == 2 && std::string(argv[1]).rfind("--decode=", 0) == 0) {
        TJpegGraphic p;
        p.LoadFromFile(argv[1] + 9);
        return p.Empty() ? 1 : 0;
    }
    g_self = std::filesystem::read_symlink("/proc/self/exe").string();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
