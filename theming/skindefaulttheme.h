#pragma once
// The built-in theme, registered as "Default": the classic system look in the system's colours.
// It answers the controls' colour and metric questions and paints their parts.
#include "theming/skinthemes.h"

#include <QFont>

class TSkinDefaultTheme : public TSkinTheme {
public:
    explicit TSkinDefaultTheme(const QString& name);
    ~TSkinDefaultTheme() override;

    TColor FaceColor = platform::clBtnFace;
    TColor FaceTextColor = platform::clBtnText;
    TColor LightFaceColor = platform::clBtnFace;
    TColor StatusFaceColor = platform::clBtnFace;

    QPoint GetImageOffset(const TSkinItemInfo& item) override;
    TColor GetItemColor(const TSkinItemInfo& item) override;
    TColor GetItemTextColor(const TSkinItemInfo& item) override;
    TColor GetItemImageBackground(const TSkinItemInfo& item) override;
    TSkinMargins GetMargins(int kind) override;
    int GetPopupShadowType() override;
    QSize GetViewBorder(uint32_t viewType) override;
    TColor GetViewColor(uint32_t viewType) override;
    TSkinMargins GetViewMargins(uint32_t viewType) override;
    void PaintBackgnd(QPainter& dc, const TRect& adjustedRect, const TRect& paintRect, TColor color,
        bool transparent, uint32_t viewType) override;
    void PaintButton(QPainter& dc, const TRect& rect, const TSkinItemInfo& item) override;
    void PaintCaption(QPainter& dc, const TRect& rect, const TSkinItemInfo& item, const QString& caption,
        int format, bool rotated) override;
    void PaintCheckMark(QPainter& dc, TRect rect, const TSkinItemInfo& item, bool radio) override;
    void PaintChevron(QPainter& dc, TRect rect, const TSkinItemInfo& item) override;
    void PaintEditItem(
        QPainter& dc, const TRect& rect, const TSkinItemInfo& item, const TSkinEditInfo& edit) override;
    void PaintEditButton(
        QPainter& dc, const TRect& rect, const TSkinItemInfo& item, const TSkinEditInfo& edit) override;
    void PaintDock(QPainter& dc, const TRect& clientRect, const TRect& dockRect, int dockPosition) override;
    void PaintDockPanelNCArea(QPainter& dc, TRect rect, const TSkinDockPanelInfo& panel) override;
    void PaintDropDownArrow(QPainter& dc, const TRect& rect, const TSkinItemInfo& item) override;
    void PaintFloatingBorder(QPainter& dc, const TRect& rect, const TSkinFloatingInfo& window) override;
    void PaintEditFrame(
        QPainter& dc, TRect rect, const TSkinItemInfo& item, const TSkinEditInfo& edit) override;
    void PaintImage(QPainter& dc, const TRect& rect, const TSkinItemInfo& item,
        const platform::ImageList& images, int index) override;
    void PaintMDIButton(QPainter& dc, const TRect& rect, const TSkinItemInfo& item, int kind) override;
    void PaintMenuItem(QPainter& dc, const TRect& rect, const TSkinItemInfo& item) override;
    void PaintMenuItemFrame(QPainter& dc, const TRect& rect, const TSkinItemInfo& item) override;
    void PaintPageScrollButton(QPainter& dc, const TRect& rect, bool hot, int direction) override;
    void PaintPopupFrame(QPainter& dc, TRect rect, uint32_t viewType) override;
    void PaintSeparator(
        QPainter& dc, TRect rect, const TSkinItemInfo& item, bool horizontal, bool lineSeparator) override;
    void PaintToolbarNCArea(QPainter& dc, TRect rect, const TSkinToolbarInfo& toolbar) override;
    void PaintFrameControl(QPainter& dc, TRect rect, int state, int kind) override;
    void PaintStatusBar(QPainter& dc, TRect rect, int part) override;
    int GetIntegerMetric(int index) override;
    bool GetBooleanMetric(int index) override;

    void RebuildColorCache();

protected:
    bool event(QEvent* event) override;
};

// The font of floating-window captions, made from the system's small-caption font.
QFont& DefaultThemeCaptionFont();

// Geometry of a floating window's caption: (0, 0, client width, small-caption height - 1), moved
// by the border when asked, without the close button when asked; the close button is the square
// at the caption's right end.
TRect GetCaptionRect(int clientWidth, const QSize& border, bool addBorder, bool excludeCloseButton);
TRect GetCloseButtonRect(const TRect& captionRect);
// The square close button of a dock panel's caption bar; 0 when the panel shows none.
int GetDockPanelCloseButtonSize(bool vertical, bool smallCaption, bool closeButton);

void InitializeSkinDefaultTheme();
void FinalizeSkinDefaultTheme();
