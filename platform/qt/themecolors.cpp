#include "platform/qt/themecolors.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>

#include <array>
#include <climits>

namespace platform {

namespace {

uint32_t toBgr(const QColor& c)
{
    return static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8)
        | (static_cast<uint32_t>(c.blue()) << 16);
}

struct RoleOf {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// Where each system colour lives in a Qt palette. Index 25 has no colour.
bool roleForIndex(int index, RoleOf& out)
{
    using P = QPalette;
    static const std::array<RoleOf, 31> table = { {
        { P::Active, P::Mid }, // scroll bar
        { P::Active, P::Window }, // desktop
        { P::Active, P::Highlight }, // active caption
        { P::Inactive, P::Mid }, // inactive caption
        { P::Active, P::Window }, // menu
        { P::Active, P::Base }, // window
        { P::Active, P::Shadow }, // window frame
        { P::Active, P::WindowText }, // menu text
        { P::Active, P::Text }, // window text
        { P::Active, P::HighlightedText }, // caption text
        { P::Active, P::Button }, // active border
        { P::Active, P::Button }, // inactive border
        { P::Active, P::Dark }, // application workspace
        { P::Active, P::Highlight }, // highlight
        { P::Active, P::HighlightedText }, // highlight text
        { P::Active, P::Button }, // button face
        { P::Active, P::Dark }, // button shadow
        { P::Disabled, P::Text }, // gray text
        { P::Active, P::ButtonText }, // button text
        { P::Disabled, P::WindowText }, // inactive caption text
        { P::Active, P::Light }, // button highlight
        { P::Active, P::Shadow }, // 3D dark shadow
        { P::Active, P::Midlight }, // 3D light
        { P::Active, P::ToolTipText }, // info text
        { P::Active, P::ToolTipBase }, // info background
        { P::Active, P::NoRole }, // unused
        { P::Active, P::Link }, // hot light
        { P::Active, P::Highlight }, // gradient active caption
        { P::Inactive, P::Mid }, // gradient inactive caption
        { P::Active, P::Highlight }, // menu highlight
        { P::Active, P::Window }, // menu bar
    } };
    if (index < 0 || index >= static_cast<int>(table.size()) || table[index].role == P::NoRole)
        return false;
    out = table[index];
    return true;
}

} // namespace

uint32_t GetSysColor(int index)
{
    RoleOf r;
    if (!roleForIndex(index, r))
        return 0;
    return toBgr(QGuiApplication::palette().color(r.group, r.role));
}

bool HasSysColorBrush(int index)
{
    RoleOf r;
    return roleForIndex(index, r);
}

uint32_t ColorToRGB(TColor color)
{
    if (color < 0)
        return GetSysColor(color & 0xFF);
    return static_cast<uint32_t>(color);
}

QColor toQColor(TColor color)
{
    const uint32_t bgr = ColorToRGB(color);
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

TColor fromQColor(const QColor& color)
{
    return static_cast<TColor>(toBgr(color));
}

uint32_t nearestColorForDepth(uint32_t rgb, int bitsPerPixel)
{
    const int r = rgb & 0xFF, g = (rgb >> 8) & 0xFF, b = (rgb >> 16) & 0xFF;
    auto pack = [](int rr, int gg, int bb) {
        return static_cast<uint32_t>(rr) | (static_cast<uint32_t>(gg) << 8)
            | (static_cast<uint32_t>(bb) << 16);
    };
    if (bitsPerPixel >= 24)
        return rgb & 0xFFFFFF;
    if (bitsPerPixel >= 15) {
        // The display keeps the top bits of each channel and repeats them into the low ones.
        const int greenBits = bitsPerPixel == 16 ? 6 : 5;
        auto reduce = [](int v, int bits) {
            const int kept = v >> (8 - bits);
            return (kept << (8 - bits)) | (kept >> (2 * bits - 8));
        };
        return pack(reduce(r, 5), reduce(g, greenBits), reduce(b, 5));
    }
    static const std::array<uint32_t, 16> standard
        = { 0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0, 0x808080,
              0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF };
    uint32_t best = 0;
    int bestDistance = INT_MAX;
    for (uint32_t c : standard) {
        const int dr = r - int(c & 0xFF), dg = g - int((c >> 8) & 0xFF), db = b - int((c >> 16) & 0xFF);
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = c;
        }
    }
    return best;
}

int screenBitsPerPixel()
{
    if (!qGuiApp)
        return 32;
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 32;
}

uint32_t GetNearestColor(uint32_t rgb)
{
    return nearestColorForDepth(rgb, screenBitsPerPixel());
}

} // namespace platform
