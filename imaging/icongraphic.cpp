#include "imaging/icongraphic.h"

#include "platform/core/bitmap.h"
#include "platform/core/icon.h"
#include "platform/core/stream.h"

#include <mutex>

namespace {

constexpr int kHeaderSize = 6;
constexpr int kEntrySize = 16;

bool isIconSide(uint8_t side)
{
    return side == 16 || side == 32 || side == 64;
}

// TDibGraphic::AssignTo's icon destination: the picture goes through an icon stream.
bool assignToIcon(const TDibGraphic& source, platform::TPersistent* dest)
{
    auto* icon = dynamic_cast<platform::TIcon*>(dest);
    if (icon == nullptr)
        return false;
    platform::TMemoryStream stream;
    if (const auto* iconGraphic = dynamic_cast<const TIconGraphic*>(&source)) {
        // Writing leaves the picture as it is; only its progress bookkeeping moves.
        const_cast<TIconGraphic*>(iconGraphic)->SaveToStream(stream);
    } else {
        TIconGraphic temporary;
        temporary.Assign(&source);
        temporary.SaveToStream(stream);
    }
    stream.SetPosition(0);
    icon->LoadFromStream(stream);
    return true;
}

} // namespace

const platform::TGraphicClass& TIconGraphic::Class()
{
    static const platform::TGraphicClass cls { "TIconGraphic",
        [] { return std::unique_ptr<platform::TGraphic>(new TIconGraphic()); } };
    return cls;
}

const platform::TGraphicClass& TIconGraphic::GraphicClass() const
{
    return Class();
}

bool TIconGraphic::CanLoad(platform::TStream& stream)
{
    uint8_t header[kHeaderSize] = {};
    uint8_t entry[kEntrySize] = {};
    const int64_t gotHeader = stream.Read(header, kHeaderSize);
    const int64_t gotEntry = gotHeader == kHeaderSize ? stream.Read(entry, kEntrySize) : 0;
    stream.Seek(-(gotHeader + gotEntry), platform::TSeekOrigin::soCurrent);
    if (gotHeader != kHeaderSize || gotEntry != kEntrySize)
        return false;
    const int type = header[2] | header[3] << 8;
    const int count = header[4] | header[5] << 8;
    return type < 2 && count > 0 && isIconSide(entry[0]) && isIconSide(entry[1]);
}

void TIconGraphic::SingleLoadFromStream(platform::TStream& stream, int /*index*/)
{
    ResetProgress();
    ReportPercent(0, 0, 100);
    platform::TIcon icon;
    icon.LoadFromStream(stream);
    ReportPercent(95, 0, 100);
    NewImage(icon.Width(), icon.Height(), ifTrueColor, nullptr, 0, 0);
    Fill(m_backgroundColor);
    icon.Draw(Canvas(), platform::Rect(0, 0, icon.Width(), icon.Height()));
    Changed(this);
    ReportPercent(100, 0, 100);
}

void TIconGraphic::SaveToStream(platform::TStream& stream)
{
    ResetProgress();
    ReportPercent(0, 0, 100);
    const int width = platform::SystemIconWidth();
    const int height = platform::SystemIconHeight();
    platform::TBitmap color;
    color.SetPixelFormat(platform::TPixelFormat::pf24bit);
    color.SetSize(width, height);
    // A mask that is black everywhere: every pixel of the icon is opaque.
    platform::TBitmap mask;
    mask.SetPixelFormat(platform::TPixelFormat::pf1bit);
    mask.SetSize(width, height);

    Draw(color.Canvas(), platform::Rect(0, 0, Width(), Height()));

    platform::TIcon icon;
    icon.LoadFromBitmaps(color, mask);
    ReportPercent(10, 0, 100);
    icon.SaveToStream(stream);
    ReportPercent(100, 0, 100);
}

void InitializeIconGraphicUnit()
{
    static std::once_flag once;
    std::call_once(once, [] { RegisterDibAssignToHook(assignToIcon); });
}
