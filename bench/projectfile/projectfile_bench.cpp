// Saving and loading a full project: 13 layers and a logo of about 100 KB of JPEG, in memory
// and through a file. Goal: save and load together within 2 ms.
#include "imaging/jpeggraphic.h"
#include "model/lpclasses.h"
#include "platform/core/stream.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <unistd.h>

namespace {

// A noisy gradient, so that the JPEG does not shrink to nothing; about 100 KB at quality 80.
std::vector<std::uint8_t> makeLogoJpeg()
{
    TJpegGraphic picture;
    picture.NewImage(560, 360, ifTrueColor, nullptr, 0, 0);
    std::mt19937 random(7);
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) {
            const auto noise = static_cast<std::uint32_t>(random() % 64);
            picture.SetPixelColor(x, y,
                MakeRgb(static_cast<uint8_t>((x + noise) % 256), static_cast<uint8_t>((y * 2 + noise) % 256),
                    static_cast<uint8_t>((x + y + noise) % 256)));
        }
    platform::TMemoryStream out;
    picture.SaveToStream(out);
    return out.Bytes();
}

// A project of 13 layers with every input set, and the logo read as it is from a project file.
void buildProject(TLPData& d)
{
    static const std::vector<std::uint8_t> logo = makeLogoJpeg();
    d.Organization = "Braxholm Geotechnical Consultants";
    d.ProjectName = "Harbour extension, berth 4";
    d.JobNumber = "2024-117";
    d.DesignBy = "Design office";
    d.PileLength = 60;
    d.Width = 1.5L;
    d.LateralLoad = 20;
    d.DownwardLoad = 200;
    d.Layers.Clear();
    for (int i = 0; i < 13; ++i) {
        TLayer* l = d.Layers.AddLayer();
        l->MatType = i % 2 ? lpmtCohesiveSoil : lpmtGranularSoil;
        l->Thickness = 4.5L + i;
        l->SGReactTop = 100 + 10 * i;
        l->SGReactBottom = 110 + 10 * i;
        l->SPTFieldN = 5 + 3 * i;
    }
    // Through a file image, so the logo holds its JPEG bytes as a loaded project does.
    platform::TMemoryStream file;
    d.SaveToStream(file);
    std::vector<std::uint8_t> bytes = file.Bytes();
    const std::size_t at = 64 + 2 + d.Organization.size();
    std::vector<std::uint8_t> pic(8);
    for (int i = 0; i < 8; ++i)
        pic[static_cast<std::size_t>(i)]
            = static_cast<std::uint8_t>(static_cast<std::uint64_t>(logo.size()) >> (8 * i));
    pic.insert(pic.end(), logo.begin(), logo.end());
    bytes.erase(
        bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + 8));
    bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), pic.begin(), pic.end());
    platform::TMemoryStream in;
    in.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    in.SetPosition(0);
    d.LoadFromStream(in);
}

void BM_SaveAndLoadInMemory(benchmark::State& state)
{
    TLPData d;
    buildProject(d);
    int64_t size = 0;
    for (auto _ : state) {
        platform::TMemoryStream s;
        d.SaveToStream(s);
        s.SetPosition(0);
        d.LoadFromStream(s);
        size = s.Size();
    }
    state.counters["file_bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_SaveAndLoadInMemory)->Unit(benchmark::kMicrosecond);

void BM_SaveOnly(benchmark::State& state)
{
    TLPData d;
    buildProject(d);
    for (auto _ : state) {
        platform::TMemoryStream s;
        d.SaveToStream(s);
        benchmark::DoNotOptimize(s.Memory());
    }
}
BENCHMARK(BM_SaveOnly)->Unit(benchmark::kMicrosecond);

void BM_LoadOnly(benchmark::State& state)
{
    TLPData d;
    buildProject(d);
    platform::TMemoryStream s;
    d.SaveToStream(s);
    for (auto _ : state) {
        s.SetPosition(0);
        d.LoadFromStream(s);
    }
}
BENCHMARK(BM_LoadOnly)->Unit(benchmark::kMicrosecond);

// The same project without its logo: the cost of the format itself.
void BM_SaveAndLoadWithoutLogo(benchmark::State& state)
{
    TLPData d;
    buildProject(d);
    d.SetImage(nullptr);
    for (auto _ : state) {
        platform::TMemoryStream s;
        d.SaveToStream(s);
        s.SetPosition(0);
        d.LoadFromStream(s);
    }
}
BENCHMARK(BM_SaveAndLoadWithoutLogo)->Unit(benchmark::kMicrosecond);

// Through a file: the save is written beside the file, flushed to disk and renamed.
void BM_SaveAndLoadFile(benchmark::State& state)
{
    TLPData d;
    buildProject(d);
    const std::string file
        = (std::filesystem::temp_directory_path() / ("fendrix-bench-" + std::to_string(::getpid()) + ".fdx"))
              .string();
    for (auto _ : state) {
        d.SaveToFile(file);
        d.LoadFromFile(file);
    }
    std::filesystem::remove(file);
}
BENCHMARK(BM_SaveAndLoadFile)->Unit(benchmark::kMicrosecond);

} // namespace
BENCHMARK_MAIN();
