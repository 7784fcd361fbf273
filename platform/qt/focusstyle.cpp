#include "platform/qt/focusstyle.h"

#include "platform/qt/themeservices.h"

#include <QPainter>
#include <QStyleOption>

#include <algorithm>
#include <memory>

namespace platform {

namespace {

void drawFocus(QPainter* painter, const QRect& r)
{
    DrawFocusRect(*painter, TRect { r.left(), r.top(), r.right() + 1, r.bottom() + 1 });
}

// A copy of the option without the focus, for the base style to draw the control as it draws
// it unfocused; null when the option does not carry the focus.
template <class Option> std::unique_ptr<Option> withoutFocus(const QStyleOption* option)
{
    const auto* typed = qstyleoption_cast<const Option*>(option);
    if (!typed || !(typed->state & QStyle::State_HasFocus))
        return nullptr;
    auto plain = std::make_unique<Option>(*typed);
    plain->state &= ~QStyle::State_HasFocus;
    return plain;
}

} // namespace

FocusStyle::FocusStyle(const QString& baseStyle)
    : QProxyStyle(baseStyle)
{
}

void FocusStyle::drawPrimitive(
    PrimitiveElement element, const QStyleOption* option, QPainter* painter, const QWidget* widget) const
{
    switch (element) {
    case PE_FrameFocusRect:
        drawFocus(painter, option->rect);
        return;
    case PE_IndicatorCheckBox:
    case PE_IndicatorRadioButton:
        if (const auto plain = withoutFocus<QStyleOptionButton>(option)) {
            QProxyStyle::drawPrimitive(element, plain.get(), painter, widget);
            return;
        }
        break;
    case PE_PanelLineEdit:
        // An edit shows the rectangle inside its frame, also when it is read-only or empty and
        // so shows neither a caret nor selected text.
        if (const auto plain = withoutFocus<QStyleOptionFrame>(option)) {
            QProxyStyle::drawPrimitive(element, plain.get(), painter, widget);
            const int frame = std::max(plain->lineWidth, 1);
            drawFocus(painter, option->rect.adjusted(frame, frame, -frame, -frame));
            return;
        }
        break;
    default:
        break;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void FocusStyle::drawControl(
    ControlElement element, const QStyleOption* option, QPainter* painter, const QWidget* widget) const
{
    switch (element) {
    case CE_PushButton:
        if (const auto plain = withoutFocus<QStyleOptionButton>(option)) {
            QProxyStyle::drawControl(element, plain.get(), painter, widget);
            drawFocus(painter, subElementRect(SE_PushButtonFocusRect, option, widget));
            return;
        }
        break;
    case CE_TabBarTabLabel:
        if (const auto plain = withoutFocus<QStyleOptionTab>(option)) {
            QProxyStyle::drawControl(element, plain.get(), painter, widget);
            const int inset = 3 + pixelMetric(PM_DefaultFrameWidth, option, widget);
            drawFocus(painter, option->rect.adjusted(inset, inset, -inset, -inset));
            return;
        }
        break;
    default:
        break;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void FocusStyle::drawComplexControl(
    ComplexControl control, const QStyleOptionComplex* option, QPainter* painter, const QWidget* widget) const
{
    if (control == CC_ComboBox) {
        const auto plain = withoutFocus<QStyleOptionComboBox>(option);
        if (plain && !plain->editable) {
            // The rectangle around the item shown, as a list marks its focus.
            QProxyStyle::drawComplexControl(control, plain.get(), painter, widget);
            drawFocus(painter, subControlRect(CC_ComboBox, option, SC_ComboBoxEditField, widget));
            return;
        }
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}

} // namespace platform
