#include "platform/qt/themeservices.h"

#include "platform/qt/themecolors.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace platform {

namespace {

WindowSystemInfo& info()
{
    static WindowSystemInfo value;
    return value;
}

QRect toQRect(const TRect& r)
{
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

QStyle* appStyle()
{
    return qApp ? QApplication::style() : nullptr;
}

} // namespace

const WindowSystemInfo& windowSystemInfo()
{
    return info();
}

void setWindowSystemInfo(const WindowSystemInfo& value)
{
    info() = value;
}

bool visualStyleLibraryPresent()
{
    return false;
}

bool layeredWindowsPresent()
{
    return false;
}

bool alphaBlendPresent()
{
    return true;
}

bool gradientFillPresent()
{
    return true;
}

bool menuAnimationSetting(bool& enabled)
{
    if (!qApp) {
        enabled = false;
        return false;
    }
    enabled = QApplication::isEffectEnabled(Qt::UI_AnimateMenu);
    return true;
}

QFont smallCaptionFont()
{
    return QFontDatabase::systemFont(QFontDatabase::TitleFont);
}

QFont menuFont()
{
    return qApp ? QApplication::font("QMenu") : QFont();
}

int GetSystemMetrics(int index)
{
    QStyle* style = appStyle();
    switch (index) {
    case SM_CXFRAME:
    case SM_CYFRAME:
        return style ? qMax(1, style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth)) : 4;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return 3;
    case SM_CYSMCAPTION:
        return QFontMetrics(smallCaptionFont()).height() + 5;
    case SM_CXSMSIZE:
    case SM_CYSMSIZE:
        return QFontMetrics(smallCaptionFont()).height() + 3;
    case SM_CXMENUCHECK:
        return style ? style->pixelMetric(QStyle::PM_IndicatorWidth) : 13;
    default:
        return 0;
    }
}

void DrawFrameControl(QPainter& painter, const TRect& rect, int type, int state)
{
    QStyle* style = appStyle();
    if (!style)
        return;
    // The style's indicators read the options of a button.
    QStyleOptionButton option;
    option.rect = toQRect(rect);
    option.palette = QGuiApplication::palette();
    option.state = (state & DFCS_INACTIVE) ? QStyle::State_None : QStyle::State_Enabled;
    if (state & DFCS_PUSHED)
        option.state |= QStyle::State_Sunken;
    painter.save();
    switch (type) {
    case DFC_BUTTON: {
        const bool radio = (state & 0x000F) == DFCS_BUTTONRADIO;
        if ((state & DFCS_CHECKED) && (state & DFCS_BUTTON3STATE) && !radio)
            option.state |= QStyle::State_NoChange;
        else
            option.state |= (state & DFCS_CHECKED) ? QStyle::State_On : QStyle::State_Off;
        style->drawPrimitive(radio ? QStyle::PE_IndicatorRadioButton : QStyle::PE_IndicatorCheckBox, &option,
            &painter, nullptr);
        break;
    }
    case DFC_CAPTION: {
        if (!(state & DFCS_FLAT))
            style->drawPrimitive(QStyle::PE_PanelButtonTool, &option, &painter, nullptr);
        // The low bits name the button as the classic frame control numbers them.
        static const QStyle::StandardPixmap kinds[4] = { QStyle::SP_TitleBarCloseButton,
            QStyle::SP_TitleBarMinButton, QStyle::SP_TitleBarMaxButton, QStyle::SP_TitleBarNormalButton };
        const QIcon icon = style->standardIcon(kinds[state & 0x3]);
        const int side = qMax(1, qMin(rect.Width(), rect.Height()) - 4);
        icon.paint(&painter,
            QRect(rect.Left + (rect.Width() - side) / 2, rect.Top + (rect.Height() - side) / 2, side, side),
            Qt::AlignCenter, (state & DFCS_INACTIVE) ? QIcon::Disabled : QIcon::Normal);
        break;
    }
    case DFC_SCROLL: {
        if (!(state & DFCS_FLAT))
            style->drawPrimitive(QStyle::PE_PanelButtonBevel, &option, &painter, nullptr);
        static const QStyle::PrimitiveElement arrows[4] = { QStyle::PE_IndicatorArrowUp,
            QStyle::PE_IndicatorArrowDown, QStyle::PE_IndicatorArrowLeft, QStyle::PE_IndicatorArrowRight };
        style->drawPrimitive(arrows[state & 0x3], &option, &painter, nullptr);
        break;
    }
    default:
        break;
    }
    painter.restore();
}

void DrawEdge(QPainter& painter, TRect& rect, int edge, int flags)
{
    TRect r = rect;
    auto side = [&](TColor topLeft, TColor bottomRight) {
        const QColor tl = toQColor(topLeft), br = toQColor(bottomRight);
        if (r.Width() <= 0 || r.Height() <= 0)
            return;
        if (flags & BF_TOP)
            painter.fillRect(QRect(r.Left, r.Top, r.Width(), 1), tl);
        if (flags & BF_LEFT)
            painter.fillRect(QRect(r.Left, r.Top, 1, r.Height()), tl);
        if (flags & BF_BOTTOM)
            painter.fillRect(QRect(r.Left, r.Bottom - 1, r.Width(), 1), br);
        if (flags & BF_RIGHT)
            painter.fillRect(QRect(r.Right - 1, r.Top, 1, r.Height()), br);
        r.Left += (flags & BF_LEFT) ? 1 : 0;
        r.Top += (flags & BF_TOP) ? 1 : 0;
        r.Right -= (flags & BF_RIGHT) ? 1 : 0;
        r.Bottom -= (flags & BF_BOTTOM) ? 1 : 0;
    };
    const bool flat = flags & BF_FLAT;
    if (edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER)) {
        if (flat)
            side(clBtnShadow, clBtnShadow);
        else if (edge & BDR_RAISEDOUTER)
            side(cl3DLight, cl3DDkShadow);
        else
            side(clBtnShadow, clBtnHighlight);
    }
    if (edge & (BDR_RAISEDINNER | BDR_SUNKENINNER)) {
        if (flat)
            side(clBtnFace, clBtnFace);
        else if (edge & BDR_RAISEDINNER)
            side(clBtnHighlight, clBtnShadow);
        else
            side(cl3DDkShadow, cl3DLight);
    }
    if ((flags & BF_MIDDLE) && r.Width() > 0 && r.Height() > 0)
        painter.fillRect(toQRect(r), toQColor(clBtnFace));
    if (flags & BF_ADJUST)
        rect = r;
}

void DrawFocusRect(QPainter& painter, const TRect& rect)
{
    const QRect r = toQRect(rect);
    if (r.isEmpty())
        return;
    painter.save();
    // Every other pixel black, on white: a checker pattern drawn opaque, aligned to the device.
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(Qt::white);
    painter.setBrushOrigin(0, 0);
    const QBrush dots(Qt::black, Qt::Dense4Pattern);
    painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), dots);
    painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), dots);
    painter.fillRect(QRect(r.left(), r.top() + 1, 1, r.height() - 2), dots);
    painter.fillRect(QRect(r.right(), r.top() + 1, 1, r.height() - 2), dots);
    painter.restore();
}

void GradientFillRect(QPainter& painter, const TRect& rect, const QColor& c1, const QColor& c2, bool vertical)
{
    if (rect.Width() <= 0 || rect.Height() <= 0)
        return;
    const QRect r = toQRect(rect);
    QLinearGradient gradient(r.topLeft(),
        vertical ? QPointF(r.left(), r.top() + r.height()) : QPointF(r.left() + r.width(), r.top()));
    gradient.setColorAt(0, c1);
    gradient.setColorAt(1, c2);
    painter.fillRect(r, gradient);
}

void AlphaBlend(QPainter& painter, const TRect& dest, const QImage& image, int weight)
{
    painter.save();
    painter.setOpacity(qBound(0, weight, 255) / 255.0);
    painter.drawImage(toQRect(dest), image);
    painter.restore();
}

} // namespace platform
