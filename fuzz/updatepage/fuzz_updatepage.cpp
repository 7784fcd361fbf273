// Reads an arbitrary update information page: its META lines and the version it offers.
#include "update/upinfo.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text
        = QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const TupPageValues values = ParseInfo(SplitPageLines(text), TupTagInfo());
    for (auto format : { vfStandard, vfString, vfNumber }) {
        // A version is never newer than itself, whatever the page holds.
        if (IsNewerVersion(values.Version, values.Version, format))
            __builtin_trap();
        IsNewerVersion(QStringLiteral("2.1.7"), values.Version, format);
    }
    return 0;
}
