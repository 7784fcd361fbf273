#pragma once
// Relative luminance and contrast ratio of two colours, as accessibility guidelines define them:
// what the picture and window tests ask of text and marks that must be readable.
#include <QRgb>

#include <algorithm>
#include <cmath>

namespace testing_contrast {

inline double luminance(QRgb c)
{
    const auto linear = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(c)) + 0.7152 * linear(qGreen(c)) + 0.0722 * linear(qBlue(c));
}

inline double contrast(QRgb a, QRgb b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace testing_contrast
