#pragma once
// The fill colour and hatch with which a soil layer is drawn.
#include "model/lptypes.h"

#include <QComboBox>
#include <QDialog>
#include <QImage>

#include <cstdint>

class QColorDialog;
class QLabel;
class QPushButton;

// The list entries stand for the styles in the platform's order without the clear style:
// Solid, Horizontal, Vertical, Forward Diagonal, Back Diagonal, Cross, Diagonal Cross.
TBrushStyle IndexToBrushStyle(int Index);
// Solid and clear (and a style the list does not have) give 0.
int BrushStyleToIndex(TBrushStyle Style);
// The Qt brush pattern of a hatch style (clear: no brush).
Qt::BrushStyle QtBrushStyle(TBrushStyle Style);

// A drop-down list that shows a sample of each hatch instead of its name.
class TBrushStyleCombo : public QComboBox {
    Q_OBJECT
public:
    explicit TBrushStyleCombo(QWidget* parent = nullptr);

    // An item's sample: the background (highlight when selected) and, inset 5 pixels across and
    // 1 down, the item's pattern in black.
    static void DrawItem(
        QPainter& Painter, const QRect& Rect, int Index, bool Selected, const QPalette& Palette);

protected:
    void paintEvent(QPaintEvent* event) override;
};

class TfrmColorSelect : public QDialog {
    Q_OBJECT
public:
    TfrmColorSelect(std::int32_t color, TBrushStyle brushStyle, QWidget* owner = nullptr);

    QLabel* Image1 = nullptr; // preview
    QPushButton* Button1 = nullptr; // "Color"
    TBrushStyleCombo* cmbBrushStyle = nullptr;
    QPushButton* Button2 = nullptr; // OK
    QPushButton* Button3 = nullptr; // Cancel
    QColorDialog* CD = nullptr;

    std::int32_t Color() const { return m_color; }
    TBrushStyle BrushStyle() const { return m_brushStyle; }
    // The preview as last drawn.
    const QImage& Preview() const { return m_preview; }

    void DrawPreview();
    void Button1Click();
    void cmbBrushStyleChange();

private:
    std::int32_t m_color;
    TBrushStyle m_brushStyle;
    QImage m_preview;
};

// Opens the dialog on the colour ($00BBGGRR) and the hatch; on OK writes both back. True on OK.
bool ShowColorSelect(std::int32_t& Color, TBrushStyle& BrushStyle, QWidget* owner = nullptr);
