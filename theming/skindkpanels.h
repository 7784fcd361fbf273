#pragma once
// Windowed controls that draw themselves through the current theme and can be transparent over
// their parent: the panel object (hover, pushed state, keyboard and focus behaviour), the caption
// control, and the check box and radio button built on it.
#include "platform/qt/controls.h"
#include "platform/qt/thememessages.h"
#include "theming/skinutils.h"

#include <QMargins>
#include <QWidget>

#include <functional>

class QTimer;

// Margins of a caption inside its control; a change re-measures the owner.
class TSkinControlMargins {
public:
    int Left() const { return m_left; }
    int Top() const { return m_top; }
    int Right() const { return m_right; }
    int Bottom() const { return m_bottom; }
    void SetLeft(int value) { set(m_left, value); }
    void SetTop(int value) { set(m_top, value); }
    void SetRight(int value) { set(m_right, value); }
    void SetBottom(int value) { set(m_bottom, value); }
    std::function<void()> OnChange;

private:
    void set(int& field, int value);
    int m_left = 0, m_top = 0, m_right = 0, m_bottom = 0;
};

enum TLeftRight { taLeftJustify, taRightJustify, taCenter };
enum TTextWrapping { twNone, twEndEllipsis, twPathEllipsis, twWrap };
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TSkinPanelObject : public QWidget {
    Q_OBJECT
public:
    explicit TSkinPanelObject(QWidget* parent = nullptr);
    ~TSkinPanelObject() override;

    TColor Color() const { return m_color; }
    void SetColor(TColor color);
    bool ParentColor() const { return m_parentColor; }
    void SetParentColor(bool value);
    // The font's colour; follows the parent while ParentFont is set.
    TColor FontColor() const;
    void SetFontColor(TColor color);
    bool ParentFont() const { return m_parentFont; }
    void SetParentFont(bool value);
    void SetControlFont(const QFont& font);
    bool TabStop() const { return m_tabStop; }
    void SetTabStop(bool value);
    bool Transparent() const { return m_transparent; }

    bool MouseInControl() const { return m_mouseInControl; }
    bool Pushed() const { return m_pushed; }
    bool SmartFocus = true;
    bool SpaceClicks = false;

    platform::NotifyEvent OnClick;
    platform::NotifyEvent OnDblClick;
    platform::NotifyEvent OnMouseEnter;
    platform::NotifyEvent OnMouseLeave;

    // Fires OnClick; the check box and radio button change their state first.
    virtual void Click();
    virtual int GetPanelHeight() const { return height(); }
    virtual int GetPanelWidth() const { return width(); }

    // The control's background into the device, in its own coordinates: its Color, or what its
    // parent shows behind it when the colour is clNone.
    void EraseBackground(QPainter& dc, const TRect& rect);

    // The control the pointer is over, shared by all panel objects, and their hover timer.
    static TSkinPanelObject* HoveredControl();
    static QTimer* HoverTimer();
    static int InstanceCount();

protected:
    virtual void DoMouseEnter();
    virtual void DoMouseLeave();
    virtual void Paint(QPainter& dc);
    // Whether a point of the client area takes the mouse (points outside pass to the parent).
    virtual bool HitTest(const QPoint& point) const;
    virtual void EnabledChanged();
    virtual void HandleMessage(platform::TMessage& message);
    void SetTransparent(bool value) { m_transparent = value; }
    void SetPushed(bool value);
    bool CanFocusNow() const;

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void MouseEnter();
    void MouseLeave();
    // Hot where a click would reach the control, cold elsewhere.
    void TrackHover(const QPoint& globalPos);
    // The panel object a click at the screen point reaches, if any.
    static TSkinPanelObject* PanelUnder(const QPoint& globalPos);
    static void TimerTick();

    TColor m_color = platform::clNone;
    TColor m_fontColor = platform::clWindowText;
    bool m_parentColor = false;
    bool m_parentFont = true;
    bool m_tabStop = false;
    bool m_transparent = false;
    bool m_focusByClick = false;
    bool m_mouseInControl = false;
    bool m_pushed = false;
    bool m_clicked = false;
};

class TSkinTextObject : public TSkinPanelObject {
    Q_OBJECT
public:
    explicit TSkinTextObject(QWidget* parent = nullptr);
    ~TSkinTextObject() override;

    QString Caption() const { return m_caption; }
    void SetCaption(const QString& caption);
    TLeftRight Alignment() const { return m_alignment; }
    void SetAlignment(TLeftRight value);
    TSkinControlMargins& Margins() { return m_margins; }
    TTextWrapping Wrapping() const { return m_wrapping; }
    void SetWrapping(TTextWrapping value);
    bool ShowAccelChar() const { return m_showAccelChar; }
    void SetShowAccelChar(bool value);
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool value);

    // Left and right justification swapped for right-to-left controls.
    TLeftRight AlignmentAfterBiDi() const;
    // The caption's layout rectangle and its DrawText flags, as Qt text flags.
    TRect TextRect() const;
    int TextFlags() const;
    // Height of the caption for a width, with the margins; never below MinimumHeight().
    int MeasureHeight(int width) const;
    // The caption's measured rectangle, centred vertically in TextRect().
    TRect CaptionBounds() const;
    QSize sizeHint() const override;

protected:
    virtual QMargins ClassTextMargins() const { return QMargins(); }
    virtual int MinimumHeight() const { return 0; }
    virtual TRect FocusRect() const;
    void Paint(QPainter& dc) override;
    void EnabledChanged() override;
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void AdjustHeight();

private:
    QString MeasuredText() const;
    void UpdateShortcut();

    QString m_caption;
    TLeftRight m_alignment = taLeftJustify;
    TSkinControlMargins m_margins;
    TTextWrapping m_wrapping = twNone;
    bool m_showAccelChar = true;
    bool m_autoSize = true;
    bool m_adjusting = false;
    int m_shortcutId = 0;
};

// Glyph and caption layout shared by the check box and the radio button.
class TSkinGlyphTextObject : public TSkinTextObject {
    Q_OBJECT
public:
    explicit TSkinGlyphTextObject(QWidget* parent = nullptr);
    static constexpr int GlyphSize = 13;
    TRect GlyphRect() const;
    // The state handed to the theme's PaintFrameControl.
    int FrameState() const;

protected:
    virtual bool GlyphChecked() const = 0;
    virtual bool GlyphGrayed() const { return false; }
    virtual int GlyphKind() const = 0;
    QMargins ClassTextMargins() const override;
    int MinimumHeight() const override { return GlyphSize + 4; }
    TRect FocusRect() const override;
    void Paint(QPainter& dc) override;
    bool HitTest(const QPoint& point) const override;
    void DoMouseEnter() override;
    void DoMouseLeave() override;
};

class TSkinCustomCheckBox : public TSkinGlyphTextObject {
    Q_OBJECT
public:
    explicit TSkinCustomCheckBox(QWidget* parent = nullptr);
    TCheckBoxState State() const { return m_state; }
    void SetState(TCheckBoxState state);
    bool Checked() const { return m_state == cbChecked; }
    void SetChecked(bool value) { SetState(value ? cbChecked : cbUnchecked); }
    bool AllowGrayed = false;
    platform::NotifyEvent OnChange;

    void Click() override;
    virtual void Toggle();

protected:
    virtual void DoChange();
    virtual bool CanChange() { return true; }
    bool GlyphChecked() const override { return m_state == cbChecked; }
    bool GlyphGrayed() const override { return m_state == cbGrayed; }
    int GlyphKind() const override;
    void HandleMessage(platform::TMessage& message) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    TCheckBoxState m_state = cbUnchecked;
};

class TSkinCheckBox : public TSkinCustomCheckBox {
    Q_OBJECT
public:
    using TSkinCustomCheckBox::TSkinCustomCheckBox;
};

class TSkinCustomRadioButton : public TSkinGlyphTextObject {
    Q_OBJECT
public:
    explicit TSkinCustomRadioButton(QWidget* parent = nullptr);
    bool Checked() const { return m_checked; }
    void SetChecked(bool value);
    int GroupIndex() const { return m_groupIndex; }
    void SetGroupIndex(int value);
    platform::NotifyEvent OnChange;

    void Click() override;

protected:
    virtual void DoChange();
    virtual bool CanChange() { return true; }
    bool GlyphChecked() const override { return m_checked; }
    int GlyphKind() const override;
    void HandleMessage(platform::TMessage& message) override;

private:
    void UncheckSiblings();

    bool m_checked = false;
    int m_groupIndex = 0;
};

class TSkinRadioButton : public TSkinCustomRadioButton {
    Q_OBJECT
public:
    using TSkinCustomRadioButton::TSkinCustomRadioButton;
};
