#pragma once
// What a drawing put where: each text with the rectangle it covers, and each straight line with
// its pen's width, so that a layout can be checked for texts that run into one another, are
// struck through by a line, leave the picture or lie under a control drawn over it.
#include <QLine>
#include <QRect>
#include <QString>

namespace platform {

struct TPlacedText {
    QRect Box;
    QString Text;
};

struct TDrawnLine {
    QLine Line;
    int Width = 1;
};

} // namespace platform
