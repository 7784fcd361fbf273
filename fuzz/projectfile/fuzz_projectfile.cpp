// Fuzz target of the project-file reader: arbitrary bytes must load or raise the platform's
// exception, never crash, hang or allocate beyond their size. A file that loads must save and
// load again to the same bytes.
#include "model/lpclasses.h"
#include "platform/core/exceptions.h"
#include "platform/core/stream.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

std::vector<std::uint8_t> saved(TLPData& model)
{
    platform::TMemoryStream out;
    model.SaveToStream(out);
    return out.Bytes();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static TLPData model;
    platform::TMemoryStream in;
    if (size > 0)
        in.WriteBuffer(data, static_cast<int64_t>(size));
    in.SetPosition(0);
    try {
        model.LoadFromStream(in);
    } catch (const platform::Exception&) {
        return 0;
    }
    // What was read is written in the current format; reading that back changes nothing.
    const auto first = saved(model);
    platform::TMemoryStream again;
    again.WriteBuffer(first.data(), static_cast<int64_t>(first.size()));
    again.SetPosition(0);
    model.LoadFromStream(again);
    if (saved(model) != first) {
        std::fprintf(stderr, "project file does not survive a save and load\n");
        std::abort();
    }
    return 0;
}
