#pragma once
// The desktop's style with the classic focus rectangle: wherever the style marks the control
// that has the keyboard focus (check boxes, radio buttons, buttons, tabs, lists), it draws the
// dotted black-and-white rectangle instead, and draws it whenever the control has the focus, not
// only once the keyboard has been used. The style's own marks are tinted outlines in the
// highlight colour, which nearly vanish on coloured panels.
#include <QProxyStyle>

namespace platform {

class FocusStyle : public QProxyStyle {
public:
    // Wraps the style of that name (the application's current one).
    explicit FocusStyle(const QString& baseStyle);

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
        const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
        const QWidget* widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
        const QWidget* widget) const override;
};

} // namespace platform
