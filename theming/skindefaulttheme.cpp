#include "theming/skindefaulttheme.h"

#include "platform/qt/themeservices.h"
#include "theming/skin.h"

#include <QIcon>
#include <QPainter>

using namespace platform;

namespace {

bool hasMask(uint32_t viewType, uint32_t mask)
{
    return (viewType & mask) == mask;
}

bool hovered(const TSkinItemInfo& item)
{
    return item.HoverKind != 0;
}

// Enabled and under the mouse, or under the keyboard.
bool highlighted(const TSkinItemInfo& item)
{
    return (item.Enabled && item.HoverKind != 0) || item.HoverKind == 2;
}

TSkinSystemState& state()
{
    return SkinState();
}

QRect qrect(const TRect& r)
{
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

TRect inflated(const TRect& r, int dx, int dy)
{
    return TRect { r.Left - dx, r.Top - dy, r.Right + dx, r.Bottom + dy };
}

// A filled triangle: pointing down, or right, or up, or left; half-width given.
void paintTriangle(QPainter& dc, int cx, int cy, int half, int direction, TColor color)
{
    QPoint p[3];
    switch (direction) {
    case 0: // down
        p[0] = { cx - half, cy - half / 2 };
        p[1] = { cx + half, cy - half / 2 };
        p[2] = { cx, cy - half / 2 + half };
        break;
    case 1: // right
        p[0] = { cx - half / 2, cy - half };
        p[1] = { cx - half / 2, cy + half };
        p[2] = { cx - half / 2 + half, cy };
        break;
    case 2: // up
        p[0] = { cx - half, cy + half / 2 };
        p[1] = { cx + half, cy + half / 2 };
        p[2] = { cx, cy + half / 2 - half };
        break;
    default: // left
        p[0] = { cx + half / 2, cy - half };
        p[1] = { cx + half / 2, cy + half };
        p[2] = { cx + half / 2 - half, cy };
        break;
    }
    PolygonEx(dc, p, 2, color, color);
}

const uint8_t kCrossGlyph[8] = { 0xC6, 0xEE, 0x7C, 0x38, 0x7C, 0xEE, 0xC6, 0x00 };
const uint8_t kChevronHorizontal[8] = { 0x90, 0x48, 0x24, 0x48, 0x90, 0, 0, 0 };
const uint8_t kChevronVertical[8] = { 0x88, 0x50, 0x20, 0x00, 0x88, 0x50, 0x20, 0x00 };

QFont& captionFontStorage()
{
    static QFont font;
    return font;
}

} // namespace

TSkinDefaultTheme::TSkinDefaultTheme(const QString& name)
    : TSkinTheme(name)
{
    AddThemeListener(this);
    RebuildColorCache();
}

TSkinDefaultTheme::~TSkinDefaultTheme()
{
    RemoveThemeListener(this);
}

bool TSkinDefaultTheme::event(QEvent* event)
{
    if (TMessage* message = messageOf(event)) {
        if (message->Msg == SKM_THEMECHANGE && message->WParam == 2)
            RebuildColorCache();
        return true;
    }
    return TSkinTheme::event(event);
}

void TSkinDefaultTheme::RebuildColorCache()
{
    // The visual style's toolbar and status colours would replace these when styles are active;
    // without the part library the system colours are the colours.
    FaceColor = clBtnFace;
    FaceTextColor = clBtnText;
    StatusFaceColor = clBtnFace;
    LightFaceColor = BlendNearest(FaceColor, clWindow, 64);
}

QPoint TSkinDefaultTheme::GetImageOffset(const TSkinItemInfo& item)
{
    static const QPoint pushedOffset[2] = { QPoint(0, 0), QPoint(1, 1) };
    if (!item.Pushed && !item.Selected)
        return QPoint(0, 0);
    return pushedOffset[item.Pushed ? 1 : 0];
}

TColor TSkinDefaultTheme::GetItemColor(const TSkinItemInfo& item)
{
    if (!state().VisualStyles && hasMask(item.ViewType, VT_POPUPMENU) && !(item.ItemOptions & IO_TOOLBARSTYLE)
        && hovered(item))
        return clHighlight;
    return GetViewColor(item.ViewType);
}

TColor TSkinDefaultTheme::GetItemTextColor(const TSkinItemInfo& item)
{
    if (!item.Enabled)
        return clGrayText;
    if (item.ItemOptions & IO_TOOLBARSTYLE) {
        if (!hasMask(item.ViewType, VT_MENUBAR))
            return clBtnText;
        if (!state().MenuColorsFlat)
            return (item.ItemOptions & IO_APPACTIVE2) ? clBtnText : clGrayText;
    }
    if (hovered(item))
        return clHighlightText;
    if (hasMask(item.ViewType, VT_MENUBAR) && !(item.ItemOptions & IO_APPACTIVE2))
        return clGrayText;
    return state().MenuTextColor;
}

TColor TSkinDefaultTheme::GetItemImageBackground(const TSkinItemInfo& item)
{
    if (state().MenuColorsFlat) {
        if (hasMask(item.ViewType, VT_MENUBAR) && hovered(item))
            return clHighlight;
        if (hasMask(item.ViewType, VT_CHEVRONPOPUP))
            return FaceColor;
        if (hasMask(item.ViewType, VT_POPUPMENU) && hovered(item) && !(item.ItemOptions & IO_TOOLBARSTYLE))
            return FaceColor;
    }
    return GetViewColor(item.ViewType);
}

TSkinMargins TSkinDefaultTheme::GetMargins(int kind)
{
    switch (kind) {
    case 1:
        return { 2, 2, 2, 2 };
    case 2:
        return { 0, 0, 2, 2 };
    case 3:
        return { 1, 3, 1, 1 };
    default:
        return {};
    }
}

int TSkinDefaultTheme::GetPopupShadowType()
{
    return 1;
}

QSize TSkinDefaultTheme::GetViewBorder(uint32_t viewType)
{
    if ((viewType & VT_TOOLBAR) || ((viewType & VT_DOCKPANEL) && !(viewType & VT_POPUP))) {
        if (viewType & VT_FLOATING) {
            if (viewType & VT_RESIZABLE)
                return QSize(GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME));
            return QSize(GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYDLGFRAME));
        }
        return QSize(2, 2);
    }
    if (viewType & VT_POPUP)
        return hasMask(viewType, VT_LISTBOX) ? QSize(1, 1) : QSize(3, 3);
    return QSize(0, 0);
}

TColor TSkinDefaultTheme::GetViewColor(uint32_t viewType)
{
    if (viewType & VT_TOOLBAR)
        return FaceColor;
    if (!(viewType & VT_POPUP)) {
        if (viewType & VT_DOCKPANEL)
            return LightFaceColor;
        if (viewType & VT_STATUSBAR)
            return StatusFaceColor;
        return clBtnFace;
    }
    if (hasMask(viewType, VT_POPUPMENU))
        return state().MenuBackColor;
    if (hasMask(viewType, VT_LISTBOX))
        return clWindow;
    if (hasMask(viewType, VT_TOOLBOXPOPUP))
        return FaceColor;
    if (hasMask(viewType, VT_CHEVRONPOPUP))
        return state().MenuBackColor;
    return FaceColor;
}

TSkinMargins TSkinDefaultTheme::GetViewMargins(uint32_t viewType)
{
    if ((viewType & VT_TOOLBAR) && (viewType & VT_FLOATING))
        return { 4, 4, 2, 1 };
    return {};
}

void TSkinDefaultTheme::PaintBackgnd(
    QPainter& dc, const TRect& adjustedRect, const TRect& paintRect, TColor color, bool transparent, uint32_t)
{
    if (transparent)
        return;
    const TRect r { std::max(adjustedRect.Left, paintRect.Left), std::max(adjustedRect.Top, paintRect.Top),
        std::min(adjustedRect.Right, paintRect.Right), std::min(adjustedRect.Bottom, paintRect.Bottom) };
    if (r.Width() > 0 && r.Height() > 0)
        FillRectEx(dc, r, color);
}

void TSkinDefaultTheme::PaintButton(QPainter& dc, const TRect& rect, const TSkinItemInfo& item)
{
    TRect r = rect;
    if (hasMask(item.ViewType, VT_MENUBAR) && state().MenuColorsFlat) {
        if ((item.Enabled && (item.Pushed || item.Selected)) || highlighted(item))
            FillRectEx(dc, r, clHighlight);
        return;
    }
    if (item.Pushed || (item.Selected && item.Enabled)) {
        DrawEdge(dc, r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
        if (item.Selected && !item.Pushed && !hovered(item))
            DitherRect(dc, r, FaceColor, clBtnHighlight);
    } else if (highlighted(item) || (item.ItemOptions & IO_DESIGNING)) {
        DrawEdge(dc, r, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
    } else if (item.Selected) {
        DrawEdge(dc, r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    }
    if (item.ComboPart == 3)
        PaintDropDownArrow(dc, rect, item);
}

void TSkinDefaultTheme::PaintCaption(QPainter& dc, const TRect& rect, const TSkinItemInfo& item,
    const QString& caption, int format, bool rotated)
{
    dc.save();
    dc.setPen(toQColor(GetItemTextColor(item)));
    if (rotated) {
        DrawRotatedText(dc, caption, rect, format);
    } else {
        int flags = Qt::AlignVCenter | Qt::TextSingleLine;
        flags |= (format & DT_CENTER) ? Qt::AlignHCenter : Qt::AlignLeft;
        flags |= (format & DT_NOPREFIX) ? 0 : Qt::TextShowMnemonic;
        QString text = caption;
        if (format & DT_END_ELLIPSIS)
            text = dc.fontMetrics().elidedText(caption, Qt::ElideRight, rect.Width(), flags);
        dc.drawText(qrect(rect), flags, text);
    }
    dc.restore();
}

void TSkinDefaultTheme::PaintCheckMark(QPainter& dc, TRect rect, const TSkinItemInfo& item, bool radio)
{
    const TColor color = item.Enabled ? GetItemTextColor(item) : clGrayText;
    if (item.Selected && !hovered(item))
        FillRectEx(dc, inflated(rect, -1, -1), Blend(FaceColor, clWindow, 96));
    const int cx = (rect.Left + rect.Right) / 2, cy = (rect.Top + rect.Bottom) / 2;
    if (radio) {
        RoundRectEx(dc, TRect { cx - 3, cy - 3, cx + 3, cy + 3 }, 4, 4, color, color);
        return;
    }
    // Three strokes of a seven-pixel check.
    for (int k = 0; k < 3; ++k) {
        const QPoint stroke[3] = { { cx - 3, cy - 1 + k }, { cx - 1, cy + 1 + k }, { cx + 4, cy - 4 + k } };
        PolyLineEx(dc, stroke, 2, color);
    }
}

void TSkinDefaultTheme::PaintChevron(QPainter& dc, TRect rect, const TSkinItemInfo& item)
{
    PaintButton(dc, rect, item);
    const bool vertical = item.IsVertical;
    const uint8_t* glyph = vertical ? kChevronVertical : kChevronHorizontal;
    const int w = vertical ? 5 : 8, h = vertical ? 8 : 5;
    if (item.Pushed)
        rect = TRect { rect.Left + 1, rect.Top + 1, rect.Right + 1, rect.Bottom + 1 };
    if (!item.Enabled) {
        DrawGlyph(dc, TRect { rect.Left + 1, rect.Top + 1, rect.Right + 1, rect.Bottom + 1 }, w, h, glyph,
            clBtnHighlight);
        DrawGlyph(dc, rect, w, h, glyph, clBtnShadow);
    } else {
        DrawGlyph(dc, rect, w, h, glyph, clBtnText);
    }
}

void TSkinDefaultTheme::PaintEditItem(
    QPainter& dc, const TRect& rect, const TSkinItemInfo& item, const TSkinEditInfo& edit)
{
    PaintEditFrame(dc, rect, item, edit);
    const int inset = GetIntegerMetric(60);
    TRect r = inflated(rect, -inset, -inset);
    TRect field = r;
    if (edit.ButtonType != 0)
        field.Right -= edit.ButtonWidth;
    if (item.Enabled)
        FillRectEx(dc, field, clWindow);
    if (edit.ButtonType != 0)
        PaintEditButton(dc, TRect { field.Right, r.Top, r.Right, r.Bottom }, item, edit);
}

void TSkinDefaultTheme::PaintEditButton(
    QPainter& dc, const TRect& rect, const TSkinItemInfo& item, const TSkinEditInfo& edit)
{
    FillRectEx(dc, rect, FaceColor);
    DrawLineEx(dc, rect.Left, rect.Top, rect.Left, rect.Bottom, clBtnFace);
    TRect body { rect.Left + 1, rect.Top, rect.Right, rect.Bottom };
    auto part = [&](TRect r, int index, int direction) {
        if (item.Enabled && edit.PushedPart == index)
            DrawEdge(dc, r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
        else if (item.Enabled && (edit.HoverPart == index || hovered(item)))
            DrawEdge(dc, r, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
        const TColor color = item.Enabled ? clBtnText : clGrayText;
        paintTriangle(dc, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2, 2, direction, color);
    };
    if (edit.ButtonType == 2) {
        const int middle = (body.Top + body.Bottom) / 2;
        part(TRect { body.Left, body.Top, body.Right, middle }, 1, 2);
        part(TRect { body.Left, middle, body.Right, body.Bottom }, 2, 0);
    } else {
        part(body, 1, 0);
    }
}

void TSkinDefaultTheme::PaintDock(QPainter&, const TRect&, const TRect&, int)
{
    // Docks take a visual style's rebar background only; the classic look leaves them to their
    // own colour.
}

void TSkinDefaultTheme::PaintDockPanelNCArea(QPainter& dc, TRect rect, const TSkinDockPanelInfo& panel)
{
    FillRectEx(dc, rect, clBtnFace);
    if (!panel.ShowCaption)
        return;
    const int height = GetSystemMetrics(SM_CYSMCAPTION) - 1;
    TRect caption = panel.IsVertical ? TRect { rect.Left, rect.Top, rect.Left + height, rect.Bottom }
                                     : TRect { rect.Left, rect.Top, rect.Right, rect.Top + height };
    FillRectEx(dc, caption, panel.Active ? clActiveCaption : clBtnFace);
    const int button = GetDockPanelCloseButtonSize(panel.IsVertical, true, panel.CloseButton);
    if (button > 0) {
        TRect close = panel.IsVertical
            ? TRect { caption.Left, caption.Top, caption.Right, caption.Top + button }
            : TRect { caption.Right - button, caption.Top, caption.Right, caption.Bottom };
        if (panel.CloseButtonState == 2)
            DrawEdge(dc, close, BDR_SUNKENOUTER, BF_RECT);
        else if (panel.CloseButtonState == 1)
            DrawEdge(dc, close, BDR_RAISEDINNER, BF_RECT);
        DrawGlyph(dc, close, 8, 8, kCrossGlyph, clBtnText);
        if (panel.IsVertical)
            caption.Top += button;
        else
            caption.Right -= button;
    }
    dc.save();
    dc.setFont(DefaultThemeCaptionFont());
    dc.setPen(toQColor(panel.Active ? clCaptionText : clBtnText));
    const TRect text = inflated(caption, -2, 0);
    if (panel.IsVertical)
        DrawRotatedText(dc, panel.Caption, text, DT_NOPREFIX | DT_END_ELLIPSIS);
    else
        dc.drawText(qrect(text), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
            dc.fontMetrics().elidedText(panel.Caption, Qt::ElideRight, text.Width()));
    dc.restore();
}

void TSkinDefaultTheme::PaintDropDownArrow(QPainter& dc, const TRect& rect, const TSkinItemInfo& item)
{
    int cx = (rect.Left + rect.Right) / 2, cy = (rect.Top + rect.Bottom) / 2;
    if ((item.Pushed || item.Selected) && item.ComboPart != 3) {
        ++cx;
        ++cy;
    }
    const int direction = item.IsVertical ? 1 : 0;
    if (!item.Enabled) {
        paintTriangle(dc, cx + 1, cy + 1, 2, direction, clBtnHighlight);
        paintTriangle(dc, cx, cy, 2, direction, clBtnShadow);
        return;
    }
    paintTriangle(
        dc, cx, cy, 2, direction, (item.ItemOptions & IO_TOOLBARSTYLE) ? state().MenuTextColor : clBtnText);
}

void TSkinDefaultTheme::PaintFloatingBorder(QPainter& dc, const TRect& rect, const TSkinFloatingInfo& window)
{
    TRect frame = rect;
    DrawEdge(dc, frame, EDGE_RAISED, BF_RECT | BF_ADJUST);
    while (frame.Left < rect.Left + window.BorderSize.width() && frame.Width() > 2)
        FrameRectEx(dc, frame, clBtnFace, true);
    TRect caption = GetCaptionRect(rect.Width(), window.BorderSize, true, false);
    caption.Right = std::min(caption.Right, frame.Right);
    FillRectEx(dc, caption, window.Active ? clActiveCaption : clInactiveCaption);
    TRect close = GetCloseButtonRect(caption);
    TRect text = caption;
    if (window.CloseButton) {
        text.Right = close.Left;
        int stateFlags = DFCS_CAPTIONCLOSE;
        if (window.CloseButtonState == 2)
            stateFlags |= DFCS_PUSHED;
        DrawFrameControl(dc, inflated(close, -1, -1), DFC_CAPTION, stateFlags);
    }
    dc.save();
    dc.setFont(DefaultThemeCaptionFont());
    dc.setPen(toQColor(window.Active ? clCaptionText : clInactiveCaptionText));
    const TRect t = inflated(text, -2, 0);
    dc.drawText(qrect(t), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
        dc.fontMetrics().elidedText(window.Caption, Qt::ElideRight, t.Width()));
    dc.restore();
}

void TSkinDefaultTheme::PaintEditFrame(
    QPainter& dc, TRect rect, const TSkinItemInfo& item, const TSkinEditInfo&)
{
    const bool active = hovered(item) || item.Pushed || item.Selected || (item.ItemOptions & IO_DESIGNING);
    if ((item.ViewType & VT_TOOLBAR) && (item.ViewType & VT_TOOLBARFLAG)) {
        if (active) {
            DrawEdge(dc, rect, EDGE_SUNKEN, BF_RECT);
        } else {
            TRect inner = inflated(rect, -1, -1);
            DrawEdge(dc, inner, BDR_SUNKENINNER, BF_RECT | BF_FLAT);
        }
        return;
    }
    if (active)
        DrawEdge(dc, rect, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    else
        FrameRectEx(dc, rect, FaceColor, true);
    FrameRectEx(dc, rect, FaceColor, true);
    FrameRectEx(dc, rect, item.Enabled ? clWindow : FaceColor, true);
}

void TSkinDefaultTheme::PaintImage(
    QPainter& dc, const TRect& rect, const TSkinItemInfo& item, const platform::ImageList& images, int index)
{
    if (index < 0 || index >= images.size())
        return;
    const QPoint offset = GetImageOffset(item);
    const TRect r { rect.Left + offset.x(), rect.Top + offset.y(), rect.Right + offset.x(),
        rect.Bottom + offset.y() };
    if (!item.Enabled) {
        // Embossed: the image's shape in the highlight colour one pixel down-right, then in the
        // shadow colour in place.
        const QImage shape = images.at(index)
                                 .pixmap(QSize(r.Width(), r.Height()))
                                 .toImage()
                                 .convertToFormat(QImage::Format_ARGB32);
        auto tinted = [&shape](TColor color) {
            QImage out = shape;
            const QRgb c = toQColor(color).rgb();
            for (int y = 0; y < out.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
                for (int x = 0; x < out.width(); ++x)
                    line[x] = qAlpha(line[x]) >= 128 ? c : 0;
            }
            return out;
        };
        dc.drawImage(QPoint(r.Left + 1, r.Top + 1), tinted(clBtnHighlight));
        dc.drawImage(QPoint(r.Left, r.Top), tinted(clBtnShadow));
        return;
    }
    images.at(index).paint(&dc, qrect(r), Qt::AlignCenter, highlighted(item) ? QIcon::Active : QIcon::Normal);
}

void TSkinDefaultTheme::PaintMDIButton(QPainter& dc, const TRect& rect, const TSkinItemInfo& item, int kind)
{
    int flags = kind & 0x3;
    if (item.Pushed)
        flags |= DFCS_PUSHED;
    if (!item.Enabled)
        flags |= DFCS_INACTIVE;
    DrawFrameControl(dc, rect, DFC_CAPTION, flags);
}

void TSkinDefaultTheme::PaintMenuItem(QPainter& dc, const TRect& rect, const TSkinItemInfo& item)
{
    const int imageColumn = GetIntegerMetric(32) + item.ImageWidth;
    TRect body { rect.Left + imageColumn, rect.Top, rect.Right, rect.Bottom };
    const int check = GetSystemMetrics(SM_CXMENUCHECK);
    const bool split = item.ItemOptions & IO_COMBO;
    if (split) {
        TRect arrowPart { rect.Right - check, rect.Top, rect.Right, rect.Bottom };
        PaintMenuItemFrame(dc, TRect { body.Left, body.Top, arrowPart.Left, body.Bottom }, item);
        DrawEdge(dc, arrowPart, hovered(item) ? BDR_RAISEDINNER : EDGE_ETCHED, BF_RECT);
    } else {
        PaintMenuItemFrame(dc, body, item);
    }
    if (item.ItemOptions & IO_SUBMENUITEM) {
        const int cx = rect.Right - check * 2 / 3, cy = (rect.Top + rect.Bottom) / 2;
        if (!item.Enabled) {
            paintTriangle(dc, cx + 1, cy + 1, 3, 1, clBtnHighlight);
            paintTriangle(dc, cx, cy, 3, 1, clBtnShadow);
        } else {
            paintTriangle(
                dc, cx, cy, 3, 1, hovered(item) && !split ? clHighlightText : state().MenuTextColor);
        }
    }
    if ((item.Selected || item.ImageShown) && (hovered(item) || item.Selected)) {
        const TRect box { rect.Left, rect.Top, rect.Left + imageColumn, rect.Bottom };
        if (state().MenuColorsFlat)
            FillRectEx(dc, box, FaceColor);
        TSkinItemInfo button = item;
        button.ViewType = VT_TOOLBAR;
        button.HoverKind = item.Selected ? 0 : item.HoverKind;
        PaintButton(dc, box, button);
    }
}

void TSkinDefaultTheme::PaintMenuItemFrame(QPainter& dc, const TRect& rect, const TSkinItemInfo& item)
{
    if (highlighted(item))
        FillRectEx(dc, rect, clHighlight);
}

void TSkinDefaultTheme::PaintPageScrollButton(QPainter& dc, const TRect& rect, bool hot, int direction)
{
    if (direction < 1 || direction > 4)
        return;
    DrawFrameControl(dc, rect, DFC_SCROLL, (direction - 1) | (hot ? DFCS_FLAT : 0));
}

void TSkinDefaultTheme::PaintPopupFrame(QPainter& dc, TRect rect, uint32_t viewType)
{
    if (hasMask(viewType, VT_LISTBOX)) {
        FrameRectEx(dc, rect, clWindowFrame, true);
        FrameRectEx(dc, rect, clWindow, true);
        FrameRectEx(dc, rect, clWindow, true);
    } else if (state().MenuColorsFlat && !hasMask(viewType, VT_TOOLBOXPOPUP)) {
        FrameRectEx(dc, rect, clBtnShadow, true);
        FrameRectEx(dc, rect, state().MenuBackColor, true);
        FrameRectEx(dc, rect, state().MenuBackColor, true);
    } else {
        DrawEdge(dc, rect, EDGE_RAISED, BF_RECT | BF_ADJUST);
        FrameRectEx(dc, rect, hasMask(viewType, VT_TOOLBOXPOPUP) ? FaceColor : state().MenuBackColor, true);
    }
}

void TSkinDefaultTheme::PaintSeparator(
    QPainter& dc, TRect rect, const TSkinItemInfo& item, bool horizontal, bool lineSeparator)
{
    if (!lineSeparator)
        return;
    int inset = 1;
    if (item.GroupingFlag)
        inset = 4;
    else if ((item.ViewType & VT_POPUP) && !(item.ItemOptions & IO_TOOLBARSTYLE))
        inset = 12;
    if (horizontal) {
        const int y = (rect.Top + rect.Bottom) / 2 - 1;
        TRect line { rect.Left + inset, y, rect.Right - inset, y + 2 };
        DrawEdge(dc, line, EDGE_ETCHED, BF_TOP);
    } else {
        const int x = (rect.Left + rect.Right) / 2 - 1;
        TRect line { x, rect.Top + inset, x + 2, rect.Bottom - inset };
        DrawEdge(dc, line, EDGE_ETCHED, BF_LEFT);
    }
}

void TSkinDefaultTheme::PaintToolbarNCArea(QPainter& dc, TRect rect, const TSkinToolbarInfo& toolbar)
{
    if (toolbar.Floating) {
        PaintFloatingBorder(dc, rect,
            TSkinFloatingInfo { toolbar.Caption, toolbar.Active, toolbar.CloseButton,
                toolbar.CloseButtonState, toolbar.BorderSize });
        return;
    }
    TRect frame = rect;
    DrawEdge(dc, frame, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
    FrameRectEx(dc, frame, clBtnFace, true);
    // Two grip bars across the toolbar's start, and the close button after them.
    for (int bar = 0; bar < 2; ++bar) {
        TRect grip = toolbar.IsVertical
            ? TRect { frame.Left + 2, frame.Top + 1 + bar * 3, frame.Right - 2, frame.Top + 4 + bar * 3 }
            : TRect { frame.Left + 1 + bar * 3, frame.Top + 2, frame.Left + 4 + bar * 3, frame.Bottom - 2 };
        DrawEdge(dc, grip, BDR_RAISEDINNER, BF_RECT);
    }
    if (toolbar.CloseButton) {
        const int size = toolbar.GripSize;
        TRect close = toolbar.IsVertical
            ? TRect { frame.Right - size - 2, frame.Top + 8, frame.Right - 2, frame.Top + 8 + size }
            : TRect { frame.Left + 8, frame.Top + 2, frame.Left + 8 + size, frame.Top + 2 + size };
        if (toolbar.CloseButtonState == 2)
            DrawEdge(dc, close, BDR_SUNKENOUTER, BF_RECT);
        else if (toolbar.CloseButtonState == 1)
            DrawEdge(dc, close, BDR_RAISEDINNER, BF_RECT);
        DrawGlyph(dc, close, 8, 8, kCrossGlyph, clBtnText);
    }
}

void TSkinDefaultTheme::PaintFrameControl(QPainter& dc, TRect rect, int stateFlags, int kind)
{
    const bool checked = stateFlags & FCS_CHECKED;
    const bool mixed = stateFlags & FCS_MIXED;
    const bool disabled = stateFlags & FCS_DISABLED;
    const bool hot = stateFlags & FCS_HOT;
    const bool pushed = stateFlags & FCS_PUSHED;
    // The visual style's check box and radio parts are not available; this is the classic look.
    TColor frameColor = clBtnShadow;
    if (!disabled && (hot || pushed))
        frameColor = clNone;

    if (kind == FCK_CHECKBOX) {
        if (frameColor == clNone) {
            int flags = DFCS_BUTTONCHECK;
            if (checked || mixed)
                flags |= DFCS_CHECKED;
            if (mixed)
                flags |= DFCS_BUTTON3STATE;
            if (pushed)
                flags |= DFCS_PUSHED;
            DrawFrameControl(dc, rect, DFC_BUTTON, flags);
            return;
        }
        FrameRectEx(dc, rect, clNone, true);
        FrameRectEx(dc, rect, frameColor, true);
        if (disabled || pushed)
            FillRectEx(dc, rect, clBtnFace);
        else if (mixed)
            DitherRect(dc, rect, clWindow, clBtnFace);
        else
            FillRectEx(dc, rect, clWindow);
        if (checked || mixed) {
            const int cx = (rect.Left + rect.Right) / 2 - 1, cy = (rect.Top + rect.Bottom) / 2;
            // A seven-pixel check whose lowest point (the elbow) is at the centre point.
            const QPoint mark[6] = { { cx - 2, cy - 1 }, { cx, cy + 1 }, { cx + 4, cy - 3 },
                { cx + 4, cy - 1 }, { cx, cy + 3 }, { cx - 2, cy + 1 } };
            const TColor markColor = disabled ? clGrayText : mixed ? clBtnShadow : clBtnText;
            PolygonEx(dc, mark, 5, markColor, markColor);
        }
    } else if (kind == FCK_RADIOBUTTON) {
        if (frameColor == clNone) {
            int flags = DFCS_BUTTONRADIO;
            if (checked)
                flags |= DFCS_CHECKED;
            if (pushed)
                flags |= DFCS_PUSHED;
            DrawFrameControl(dc, rect, DFC_BUTTON, flags);
            return;
        }
        FrameRectEx(dc, rect, clNone, true);
        RoundRectEx(
            dc, rect, rect.Width(), rect.Height(), (disabled || pushed) ? clBtnFace : clWindow, frameColor);
        if (checked) {
            const TRect dot = inflated(rect, -3, -3);
            RoundRectEx(dc, dot, dot.Width(), dot.Height(), disabled ? clGrayText : clBtnText,
                disabled ? clGrayText : clBtnText);
        }
    }
}

void TSkinDefaultTheme::PaintStatusBar(QPainter& dc, TRect rect, int part)
{
    switch (part) {
    case 0:
        FillRectEx(dc, rect, StatusFaceColor);
        break;
    case 1:
    case 2:
        if (part == 1)
            rect.Right -= 2;
        Frame3D(dc, rect, clBtnShadow, clBtnHighlight, true);
        break;
    case 3: {
        const int size = std::min(rect.Width(), rect.Height());
        // Each group: shadow lines, a highlight line and a face-coloured spacer, thicker for
        // larger grips.
        const int shadowLines = size < 9 ? 1 : size < 12 ? 1 : size < 15 ? 2 : 2;
        const int spacer = size < 9 ? 0 : size < 12 ? 1 : size < 15 ? 1 : 2;
        const int step = shadowLines + 1 + spacer;
        const int right = rect.Right - 1, bottom = rect.Bottom - 1;
        int offset = 1;
        for (int group = 0; group < 3 && offset < size; ++group) {
            for (int k = 0; k < step && offset + k < size; ++k) {
                const TColor color = k < shadowLines ? clBtnShadow
                    : k == shadowLines               ? clBtnHighlight
                                                     : StatusFaceColor;
                DrawLineEx(dc, right - offset - k, bottom + 1, right + 1, bottom - offset - k, color);
            }
            offset += step;
        }
        DrawLineEx(dc, right - size + 1, bottom + 1, right + 1, bottom - size + 1, StatusFaceColor);
        break;
    }
    default:
        break;
    }
}

int TSkinDefaultTheme::GetIntegerMetric(int index)
{
    switch (index) {
    case 10:
        return 11;
    case 20:
        return 8;
    case 21:
        return 3;
    case 32:
    case 62:
        return 1;
    case 33:
    case 34:
    case 36:
    case 60:
    case 61:
        return 2;
    case 35:
        return -1;
    case 37:
        return 4;
    case 50:
        return 6;
    case 65:
        return 13;
    case 66:
        return 0;
    default:
        return -1;
    }
}

bool TSkinDefaultTheme::GetBooleanMetric(int index)
{
    return index == 5 && state().VisualStyles;
}

QFont& DefaultThemeCaptionFont()
{
    return captionFontStorage();
}

TRect GetCaptionRect(int clientWidth, const QSize& border, bool addBorder, bool excludeCloseButton)
{
    TRect r { 0, 0, clientWidth, GetSystemMetrics(SM_CYSMCAPTION) - 1 };
    if (addBorder)
        r = TRect { r.Left + border.width(), r.Top + border.height(), r.Right + border.width(),
            r.Bottom + border.height() };
    if (excludeCloseButton)
        r.Right -= r.Height();
    return r;
}

TRect GetCloseButtonRect(const TRect& captionRect)
{
    return TRect { captionRect.Right - captionRect.Height(), captionRect.Top, captionRect.Right,
        captionRect.Bottom };
}

int GetDockPanelCloseButtonSize(bool vertical, bool smallCaption, bool closeButton)
{
    if (!closeButton)
        return 0;
    static const int sizes[2][2] = { { 13, 11 }, { 13, 11 } }; // [vertical][small caption]
    return sizes[vertical ? 1 : 0][smallCaption ? 1 : 0];
}

void InitializeSkinDefaultTheme()
{
    captionFontStorage() = smallCaptionFont();
}

void FinalizeSkinDefaultTheme()
{
    captionFontStorage() = QFont();
}
