// Throughput of TTiffGraphic on a large multi-page file next to tiffcp, which decodes and
// re-encodes the same file with the same compression. Pages are true colour with smooth shading
// and some noise, so that both coders have real work. Bytes counted are the pictures' pixels.
//
//   bench_tiff [--pages=N] [benchmark options]
// Compare BM_Tiffcp with the sum of BM_Read and BM_Write of the same compression, and
// BM_TiffcpFromUncompressed (which hardly decodes: its source is uncompressed) with BM_Write.
// Both tiffcp runs keep one strip per page, as the pictures write them (-r with the height),
// with tiffcp's own default compression settings, no predictor, as the pictures write them.
#include "imaging/registration.h"
#include "imaging/tiffgraphic.h"
#include "platform/core/stream.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 2400;
constexpr int kHeight = 1800;
int g_pages = 8;

std::string tempPath(const std::string& name)
{
    return (std::filesystem::temp_directory_path() / ("fendrix_bench_tiff_" + name)).string();
}

const std::vector<std::unique_ptr<TTiffGraphic>>& pages()
{
    static std::vector<std::unique_ptr<TTiffGraphic>> list = [] {
        std::vector<std::unique_ptr<TTiffGraphic>> made;
        std::mt19937 random(42);
        for (int p = 0; p < g_pages; ++p) {
            auto page = std::make_unique<TTiffGraphic>();
            page->NewImage(kWidth, kHeight, ifTrueColor, nullptr, 150, 150);
            for (int y = 0; y < kHeight; ++y) {
                uint8_t* row = page->ScanLine(y);
                for (int x = 0; x < kWidth; ++x) {
                    const int noise = static_cast<int>(random() % 7);
                    row[3 * x] = static_cast<uint8_t>((x / 9 + p * 20) + noise);
                    row[3 * x + 1] = static_cast<uint8_t>(y / 7 + ((x / 64 + y / 64) % 2) * 60);
                    row[3 * x + 2] = static_cast<uint8_t>((x + y) / 17 + noise);
                }
            }
            made.push_back(std::move(page));
        }
        return made;
    }();
    return list;
}

int64_t pixelBytes()
{
    return int64_t(kWidth) * kHeight * 3 * g_pages;
}

void writeFile(const std::string& path, TTiffCompression compression)
{
    std::filesystem::remove(path);
    platform::TFileStream stream(path, platform::fmCreate);
    for (const auto& page : pages()) {
        page->SetCompression(compression);
        page->AppendToStream(stream);
    }
}

std::string fileFor(TTiffCompression compression)
{
    const std::string path = tempPath(compression == tcLzw ? "lzw.tif"
            : compression == tcZLib                        ? "zip.tif"
                                                           : "none.tif");
    if (!std::filesystem::exists(path))
        writeFile(path, compression);
    return path;
}

void BM_Write(benchmark::State& state)
{
    const auto compression = static_cast<TTiffCompression>(state.range(0));
    const std::string path = tempPath("written.tif");
    for (auto _ : state)
        writeFile(path, compression);
    state.SetBytesProcessed(state.iterations() * pixelBytes());
    std::filesystem::remove(path);
}

void BM_Read(benchmark::State& state)
{
    const auto compression = static_cast<TTiffCompression>(state.range(0));
    const std::string path = fileFor(compression);
    for (auto _ : state) {
        platform::TFileStream stream(path, platform::fmOpenRead);
        TTiffGraphic picture;
        picture.SetLoadAllImages(true);
        picture.LoadFromStream(stream);
        if (picture.FrameCount() != g_pages)
            state.SkipWithError("pages lost");
        benchmark::DoNotOptimize(picture.Bits());
    }
    state.SetBytesProcessed(state.iterations() * pixelBytes());
}

void tiffcp(benchmark::State& state, TTiffCompression from)
{
    const auto compression = static_cast<TTiffCompression>(state.range(0));
    const std::string path = fileFor(from);
    const std::string out = tempPath("tiffcp.tif");
    const std::string command = "tiffcp -c " + std::string(compression == tcLzw ? "lzw" : "zip") + " -r "
        + std::to_string(kHeight) + " '" + path + "' '" + out + "' 2>/dev/null";
    for (auto _ : state) {
        std::filesystem::remove(out);
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("tiffcp failed");
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.SetBytesProcessed(state.iterations() * pixelBytes());
    std::filesystem::remove(out);
}

void BM_Tiffcp(benchmark::State& state)
{
    tiffcp(state, static_cast<TTiffCompression>(state.range(0)));
}

void BM_TiffcpFromUncompressed(benchmark::State& state)
{
    tiffcp(state, tcNone);
}

} // namespace

BENCHMARK(BM_Write)->Arg(tcLzw)->Arg(tcZLib)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Read)->Arg(tcLzw)->Arg(tcZLib)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Tiffcp)->Arg(tcLzw)->Arg(tcZLib)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();
BENCHMARK(BM_TiffcpFromUncompressed)
    ->Arg(tcLzw)
    ->Arg(tcZLib)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseManualTime();

int main(int argc, char** argv)
{
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--pages=", 0) == 0)
            g_pages = std::max(1, std::atoi(arg.c_str() + 8));
        else
            rest.push_back(argv[i]);
    }
    int count = static_cast<int>(rest.size());
    InitializeImaging();
    benchmark::Initialize(&count, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    std::filesystem::remove(tempPath("lzw.tif"));
    std::filesystem::remove(tempPath("zip.tif"));
    std::filesystem::remove(tempPath("none.tif"));
    return 0;
}
