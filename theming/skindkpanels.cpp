#include "theming/skindkpanels.h"

#include "platform/qt/themeservices.h"
#include "theming/skin.h"

#include <QApplication>
#include <QCursor>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QShortcutEvent>
#include <QTimer>

using namespace platform;

namespace {

TSkinPanelObject* g_hovered = nullptr;
QTimer* g_timer = nullptr;
int g_instances = 0;

QRect qrect(const TRect& r)
{
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

} // namespace

void TSkinControlMargins::set(int& field, int value)
{
    if (field == value)
        return;
    field = value;
    if (OnChange)
        OnChange();
}

// ---------------------------------------------------------------------------------------------
// Panel object

TSkinPanelObject::TSkinPanelObject(QWidget* parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    if (g_instances++ == 0) {
        g_timer = new QTimer;
        g_timer->setInterval(125);
        QObject::connect(g_timer, &QTimer::timeout, [] { TimerTick(); });
    }
    AddThemeNotification(this);
}

TSkinPanelObject::~TSkinPanelObject()
{
    RemoveThemeNotification(this);
    if (g_hovered == this) {
        g_timer->stop();
        g_hovered = nullptr;
    }
    if (--g_instances == 0) {
        delete g_timer;
        g_timer = nullptr;
    }
}

TSkinPanelObject* TSkinPanelObject::HoveredControl()
{
    return g_hovered;
}

QTimer* TSkinPanelObject::HoverTimer()
{
    return g_timer;
}

int TSkinPanelObject::InstanceCount()
{
    return g_instances;
}

void TSkinPanelObject::SetColor(TColor color)
{
    m_parentColor = false;
    if (m_color == color)
        return;
    m_color = color;
    update();
}

void TSkinPanelObject::SetParentColor(bool value)
{
    m_parentColor = value;
    if (value) {
        m_color = GetEffectiveParentColor(parentWidget());
        update();
    }
}

TColor TSkinPanelObject::FontColor() const
{
    if (!m_parentFont)
        return m_fontColor;
    const QWidget* parent = parentWidget();
    if (!parent)
        return clWindowText;
    if (auto* panel = dynamic_cast<const TSkinPanelObject*>(parent))
        return panel->FontColor();
    return fromQColor(parent->palette().color(QPalette::WindowText));
}

void TSkinPanelObject::SetFontColor(TColor color)
{
    m_fontColor = color;
    m_parentFont = false;
    update();
}

void TSkinPanelObject::SetParentFont(bool value)
{
    if (value == m_parentFont)
        return;
    if (value) {
        m_parentFont = true;
        setFont(QFont()); // take the parent's font again
        setAttribute(Qt::WA_SetFont, false);
        if (parentWidget())
            setFont(parentWidget()->font());
        setAttribute(Qt::WA_SetFont, false);
    } else {
        m_fontColor = FontColor();
        m_parentFont = false;
    }
    update();
}

void TSkinPanelObject::SetControlFont(const QFont& font)
{
    if (m_parentFont) {
        m_fontColor = FontColor();
        m_parentFont = false;
    }
    setFont(font);
}

void TSkinPanelObject::SetTabStop(bool value)
{
    m_tabStop = value;
    setFocusPolicy(value ? Qt::TabFocus : Qt::NoFocus);
}

void TSkinPanelObject::SetPushed(bool value)
{
    if (m_pushed == value)
        return;
    m_pushed = value;
    update();
}

bool TSkinPanelObject::CanFocusNow() const
{
    return isEnabled() && isVisible();
}

void TSkinPanelObject::Click()
{
    fireEvent(OnClick, this);
}

void TSkinPanelObject::EraseBackground(QPainter& dc, const TRect& rect)
{
    if (m_color != clNone)
        FillRectEx(dc, rect, m_color);
    else
        PaintParentBackground(this, dc, rect);
}

void TSkinPanelObject::DoMouseEnter()
{
    fireEvent(OnMouseEnter, this);
}

void TSkinPanelObject::DoMouseLeave()
{
    fireEvent(OnMouseLeave, this);
}

void TSkinPanelObject::Paint(QPainter&) { }

bool TSkinPanelObject::HitTest(const QPoint&) const
{
    return true;
}

void TSkinPanelObject::MouseEnter()
{
    if (!isEnabled() || m_mouseInControl)
        return;
    m_mouseInControl = true;
    DoMouseEnter();
}

void TSkinPanelObject::MouseLeave()
{
    if (!isEnabled() || !m_mouseInControl)
        return;
    m_mouseInControl = false;
    if (g_hovered == this) {
        g_timer->stop();
        g_hovered = nullptr;
    }
    DoMouseLeave();
    update();
}

TSkinPanelObject* TSkinPanelObject::PanelUnder(const QPoint& globalPos)
{
    auto* panel = dynamic_cast<TSkinPanelObject*>(QApplication::widgetAt(globalPos));
    if (panel && !panel->HitTest(panel->mapFromGlobal(globalPos)))
        return nullptr; // the point passes to the parent
    return panel;
}

void TSkinPanelObject::TrackHover(const QPoint& globalPos)
{
    const bool over = PanelUnder(globalPos) == this;
    if (over && g_hovered != this) {
        if (g_hovered)
            g_hovered->MouseLeave();
        g_hovered = this;
        g_timer->start();
        MouseEnter();
    } else if (!over && m_mouseInControl) {
        MouseLeave();
    }
}

void TSkinPanelObject::TimerTick()
{
    if (g_hovered && PanelUnder(QCursor::pos()) != g_hovered)
        g_hovered->MouseLeave();
}

void TSkinPanelObject::EnabledChanged()
{
    if (!isEnabled() && m_mouseInControl) {
        m_mouseInControl = false;
        if (g_hovered == this) {
            g_timer->stop();
            g_hovered = nullptr;
        }
        DoMouseLeave();
        update();
        // Cancel mode: no capture and no click in progress.
        if (QWidget::mouseGrabber() == this)
            releaseMouse();
        m_clicked = false;
        m_pushed = false;
    }
    update();
}

void TSkinPanelObject::HandleMessage(TMessage& message)
{
    if (message.Msg == SKM_CONTROLTHEMECHANGE)
        update();
}

bool TSkinPanelObject::event(QEvent* event)
{
    if (TMessage* message = messageOf(event)) {
        HandleMessage(*message);
        return true;
    }
    // Hover starts with a move over the control (not when it appears under a resting pointer);
    // leaving the window ends it at once rather than at the next tick of the hover timer.
    if (event->type() == QEvent::Leave && m_mouseInControl)
        MouseLeave();
    return QWidget::event(event);
}

void TSkinPanelObject::paintEvent(QPaintEvent*)
{
    QPainter dc(this);
    EraseBackground(dc, TRect { 0, 0, width(), height() });
    Paint(dc);
}

void TSkinPanelObject::mousePressEvent(QMouseEvent* event)
{
    if (!HitTest(event->position().toPoint())) {
        event->ignore();
        return;
    }
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (!m_pushed)
        SetPushed(true);
    if (isEnabled() && g_hovered != this) {
        if (g_hovered)
            g_hovered->MouseLeave();
        g_hovered = this;
        g_timer->start();
    }
    MouseEnter();
    if (!SmartFocus) {
        if (CanFocusNow())
            setFocus(Qt::MouseFocusReason);
    } else if (CanFocusNow() && parentWidget()) {
        QWidget* active = QApplication::focusWidget();
        QWidget* parent = parentWidget();
        if (active && (active == parent || parent->isAncestorOf(active))) {
            m_focusByClick = true;
            setFocus(Qt::MouseFocusReason);
            m_focusByClick = false;
        }
    }
    m_clicked = true;
    event->accept();
}

void TSkinPanelObject::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (!HitTest(event->position().toPoint())) {
        event->ignore();
        return;
    }
    fireEvent(OnDblClick, this);
    mousePressEvent(event);
}

void TSkinPanelObject::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const bool clicked = m_clicked;
    m_clicked = false;
    m_pushed = false;
    update();
    if (clicked && rect().contains(event->position().toPoint()))
        Click();
    event->accept();
}

void TSkinPanelObject::mouseMoveEvent(QMouseEvent* event)
{
    TrackHover(event->globalPosition().toPoint());
    if (!HitTest(event->position().toPoint()))
        event->ignore();
}

void TSkinPanelObject::keyPressEvent(QKeyEvent* event)
{
    if (SpaceClicks && event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        SetPushed(true);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TSkinPanelObject::keyReleaseEvent(QKeyEvent* event)
{
    if (SpaceClicks && m_pushed && event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        m_pushed = false;
        Click();
        update();
        event->accept();
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void TSkinPanelObject::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    if (!m_focusByClick) {
        for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
            if (auto* area = qobject_cast<QScrollArea*>(w)) {
                area->ensureWidgetVisible(this);
                break;
            }
        }
    }
    update();
}

void TSkinPanelObject::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    m_pushed = false;
    update();
}

void TSkinPanelObject::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        EnabledChanged();
        break;
    case QEvent::ParentChange:
    case QEvent::PaletteChange:
        if (m_parentColor)
            m_color = GetEffectiveParentColor(parentWidget());
        update();
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// Caption control

TSkinTextObject::TSkinTextObject(QWidget* parent)
    : TSkinPanelObject(parent)
{
    m_margins.OnChange = [this] { AdjustHeight(); };
    SetTransparent(true);
    resize(100, height());
    AdjustHeight();
}

TSkinTextObject::~TSkinTextObject() = default;

void TSkinTextObject::SetCaption(const QString& caption)
{
    if (m_caption == caption)
        return;
    m_caption = caption;
    UpdateShortcut();
    update();
    AdjustHeight();
}

void TSkinTextObject::SetAlignment(TLeftRight value)
{
    if (m_alignment == value)
        return;
    m_alignment = value;
    update();
}

void TSkinTextObject::SetWrapping(TTextWrapping value)
{
    if (m_wrapping == value)
        return;
    m_wrapping = value;
    update();
    AdjustHeight();
}

void TSkinTextObject::SetShowAccelChar(bool value)
{
    if (m_showAccelChar == value)
        return;
    m_showAccelChar = value;
    UpdateShortcut();
    update();
    AdjustHeight();
}

void TSkinTextObject::SetAutoSize(bool value)
{
    m_autoSize = value;
    AdjustHeight();
}

void TSkinTextObject::UpdateShortcut()
{
    if (m_shortcutId != 0) {
        releaseShortcut(m_shortcutId);
        m_shortcutId = 0;
    }
    if (!m_showAccelChar)
        return;
    const QKeySequence key = QKeySequence::mnemonic(m_caption);
    if (!key.isEmpty())
        m_shortcutId = grabShortcut(key);
}

TLeftRight TSkinTextObject::AlignmentAfterBiDi() const
{
    if (layoutDirection() == Qt::RightToLeft) {
        if (m_alignment == taLeftJustify)
            return taRightJustify;
        if (m_alignment == taRightJustify)
            return taLeftJustify;
    }
    return m_alignment;
}

TRect TSkinTextObject::TextRect() const
{
    const QMargins extra = ClassTextMargins();
    return TRect { m_margins.Left() + extra.left(), m_margins.Top() + extra.top(),
        width() - m_margins.Right() - extra.right(), height() - m_margins.Bottom() - extra.bottom() };
}

int TSkinTextObject::TextFlags() const
{
    int flags = 0;
    switch (AlignmentAfterBiDi()) {
    case taLeftJustify:
        flags |= Qt::AlignLeft;
        break;
    case taRightJustify:
        flags |= Qt::AlignRight;
        break;
    case taCenter:
        flags |= Qt::AlignHCenter;
        break;
    }
    flags |= m_wrapping == twWrap ? Qt::TextWordWrap : Qt::TextSingleLine;
    if (m_showAccelChar)
        flags |= Qt::TextShowMnemonic;
    return flags;
}

QString TSkinTextObject::MeasuredText() const
{
    if (m_caption.isEmpty() || m_caption == QLatin1String("&"))
        return QStringLiteral(" ");
    return m_caption;
}

int TSkinTextObject::MeasureHeight(int width) const
{
    const QFontMetrics metrics(font());
    const QRect measured
        = metrics.boundingRect(QRect(0, 0, std::max(1, width), 100000), TextFlags(), MeasuredText());
    const QMargins extra = ClassTextMargins();
    const int height = std::max(measured.height(), metrics.height()) + m_margins.Top() + m_margins.Bottom()
        + extra.top() + extra.bottom();
    return std::max(height, MinimumHeight());
}

TRect TSkinTextObject::CaptionBounds() const
{
    const TRect r = TextRect();
    const QFontMetrics metrics(font());
    const QRect measured
        = metrics.boundingRect(QRect(0, 0, std::max(1, r.Width()), 100000), TextFlags(), MeasuredText());
    const int h = std::max(measured.height(), metrics.height());
    const int top = r.Top + (r.Height() - h) / 2;
    int w = std::min(measured.width(), r.Width());
    int left = r.Left;
    switch (AlignmentAfterBiDi()) {
    case taRightJustify:
        left = r.Right - w;
        break;
    case taCenter:
        left = r.Left + (r.Width() - w) / 2;
        break;
    default:
        break;
    }
    return TRect { left, top, left + w, top + h };
}

QSize TSkinTextObject::sizeHint() const
{
    const QFontMetrics metrics(font());
    const QMargins extra = ClassTextMargins();
    const int w = metrics.boundingRect(QRect(0, 0, 100000, 100000), TextFlags(), MeasuredText()).width()
        + m_margins.Left() + m_margins.Right() + extra.left() + extra.right();
    return QSize(std::max(w, 1),
        MeasureHeight(width() - m_margins.Left() - m_margins.Right() - extra.left() - extra.right()));
}

void TSkinTextObject::AdjustHeight()
{
    if (!m_autoSize || m_adjusting)
        return;
    m_adjusting = true;
    const QMargins extra = ClassTextMargins();
    const int h
        = MeasureHeight(width() - m_margins.Left() - m_margins.Right() - extra.left() - extra.right());
    if (h != height())
        resize(width(), h);
    updateGeometry();
    m_adjusting = false;
}

TRect TSkinTextObject::FocusRect() const
{
    const TRect b = CaptionBounds();
    return TRect { std::max(0, b.Left - 1), std::max(0, b.Top), std::min(width(), b.Right + 1),
        std::min(height(), b.Bottom) };
}

void TSkinTextObject::Paint(QPainter& dc)
{
    if (hasFocus())
        platform::DrawFocusRect(dc, FocusRect());
    const TRect r = CaptionBounds();
    const TRect text = TRect { TextRect().Left, r.Top, TextRect().Right, r.Bottom };
    int flags = TextFlags() | Qt::AlignTop;
    QString caption = m_caption;
    if (m_caption == QLatin1String("&"))
        caption = QString();
    const QFontMetrics metrics(font());
    if (m_wrapping == twEndEllipsis)
        caption = metrics.elidedText(caption, Qt::ElideRight, text.Width(), flags);
    else if (m_wrapping == twPathEllipsis)
        caption = metrics.elidedText(caption, Qt::ElideMiddle, text.Width(), flags);
    dc.save();
    dc.setFont(font());
    if (isEnabled()) {
        dc.setPen(toQColor(FontColor()));
        dc.drawText(qrect(text), flags, caption);
    } else {
        dc.setPen(toQColor(clBtnHighlight));
        dc.drawText(qrect(text).translated(1, 1), flags, caption);
        dc.setPen(toQColor(clBtnShadow));
        dc.drawText(qrect(text), flags, caption);
    }
    dc.restore();
}

void TSkinTextObject::EnabledChanged()
{
    TSkinPanelObject::EnabledChanged();
    AdjustHeight();
}

bool TSkinTextObject::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Shortcut: {
        auto* shortcut = static_cast<QShortcutEvent*>(event);
        if (shortcut->shortcutId() == m_shortcutId) {
            if (isEnabled() && m_showAccelChar && CanFocusNow())
                Click();
            return true;
        }
        break;
    }
    case QEvent::FontChange:
        update();
        AdjustHeight();
        break;
    default:
        break;
    }
    return TSkinPanelObject::event(event);
}

void TSkinTextObject::resizeEvent(QResizeEvent* event)
{
    TSkinPanelObject::resizeEvent(event);
    if (m_wrapping == twWrap)
        AdjustHeight();
}

// ---------------------------------------------------------------------------------------------
// Glyph and caption

TSkinGlyphTextObject::TSkinGlyphTextObject(QWidget* parent)
    : TSkinTextObject(parent)
{
    SmartFocus = true;
    SpaceClicks = true;
    SetTabStop(true);
    AdjustHeight(); // the glyph's minimum height, now that this class answers
}

QMargins TSkinGlyphTextObject::ClassTextMargins() const
{
    const int glyphSpace = GlyphSize + 6;
    if (AlignmentAfterBiDi() == taRightJustify)
        return QMargins(2, 2, 2 + glyphSpace, 2);
    return QMargins(2 + glyphSpace, 2, 2, 2);
}

TRect TSkinGlyphTextObject::GlyphRect() const
{
    TSkinTextObject* self = const_cast<TSkinGlyphTextObject*>(this);
    const TRect m { self->Margins().Left(), self->Margins().Top(), width() - self->Margins().Right(),
        height() - self->Margins().Bottom() };
    const int top = (m.Top + m.Bottom + 1 - GlyphSize) / 2;
    // The glyph takes the side the caption leaves for it.
    const int left = AlignmentAfterBiDi() == taRightJustify ? m.Right - GlyphSize : m.Left;
    return TRect { left, top, left + GlyphSize, top + GlyphSize };
}

int TSkinGlyphTextObject::FrameState() const
{
    int state = 0;
    if (GlyphChecked())
        state |= FCS_CHECKED;
    else if (GlyphGrayed())
        state |= FCS_MIXED;
    if (!isEnabled())
        return state | FCS_DISABLED;
    if (MouseInControl()) {
        state |= FCS_HOT;
        if (Pushed())
            state |= FCS_PUSHED;
    }
    if (hasFocus())
        state |= FCS_FOCUSED;
    return state;
}

TRect TSkinGlyphTextObject::FocusRect() const
{
    return TSkinTextObject::FocusRect();
}

void TSkinGlyphTextObject::Paint(QPainter& dc)
{
    if (TSkinTheme* theme = CurrentTheme())
        theme->PaintFrameControl(dc, GlyphRect(), FrameState(), GlyphKind());
    TSkinTextObject::Paint(dc);
}

bool TSkinGlyphTextObject::HitTest(const QPoint& point) const
{
    const TRect g = GlyphRect();
    const TRect c = CaptionBounds();
    const QRect area = qrect(g).united(qrect(c));
    return area.contains(point);
}

void TSkinGlyphTextObject::DoMouseEnter()
{
    TSkinTextObject::DoMouseEnter();
    update();
}

void TSkinGlyphTextObject::DoMouseLeave()
{
    TSkinTextObject::DoMouseLeave();
    update();
}

// ---------------------------------------------------------------------------------------------
// Check box

TSkinCustomCheckBox::TSkinCustomCheckBox(QWidget* parent)
    : TSkinGlyphTextObject(parent)
{
}

int TSkinCustomCheckBox::GlyphKind() const
{
    return FCK_CHECKBOX;
}

void TSkinCustomCheckBox::SetState(TCheckBoxState state)
{
    if (state == m_state || !CanChange())
        return;
    m_state = state;
    update();
    DoChange();
}

void TSkinCustomCheckBox::DoChange()
{
    fireEvent(OnChange, this);
}

void TSkinCustomCheckBox::Toggle()
{
    switch (m_state) {
    case cbUnchecked:
        SetState(AllowGrayed ? cbGrayed : cbChecked);
        break;
    case cbChecked:
        SetState(cbUnchecked);
        break;
    case cbGrayed:
        SetState(cbChecked);
        break;
    }
}

void TSkinCustomCheckBox::Click()
{
    Toggle();
    update();
    TSkinGlyphTextObject::Click();
}

void TSkinCustomCheckBox::HandleMessage(TMessage& message)
{
    if (message.Msg == CN_COMMAND && ((message.WParam >> 16) & 0xFFFF) == 0) {
        Toggle();
        return;
    }
    TSkinGlyphTextObject::HandleMessage(message);
}

void TSkinCustomCheckBox::keyPressEvent(QKeyEvent* event)
{
    // The keypad's Enter is Return too: only a shift key held with it keeps the key from clicking.
    const Qt::KeyboardModifiers shiftKeys
        = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && shiftKeys == Qt::NoModifier
        && hasFocus()) {
        Click();
        event->accept();
        return;
    }
    TSkinGlyphTextObject::keyPressEvent(event);
}

// ---------------------------------------------------------------------------------------------
// Radio button

TSkinCustomRadioButton::TSkinCustomRadioButton(QWidget* parent)
    : TSkinGlyphTextObject(parent)
{
}

int TSkinCustomRadioButton::GlyphKind() const
{
    return FCK_RADIOBUTTON;
}

void TSkinCustomRadioButton::SetChecked(bool value)
{
    if (value == m_checked || !CanChange())
        return;
    m_checked = value;
    SetTabStop(value);
    if (value)
        UncheckSiblings();
    update();
    DoChange();
}

void TSkinCustomRadioButton::SetGroupIndex(int value)
{
    if (value == m_groupIndex)
        return;
    m_groupIndex = value;
    if (m_checked)
        UncheckSiblings();
}

void TSkinCustomRadioButton::UncheckSiblings()
{
    QWidget* parent = parentWidget();
    if (!parent)
        return;
    for (QObject* child : parent->children()) {
        auto* other = dynamic_cast<TSkinCustomRadioButton*>(child);
        if (other && other != this && other->m_groupIndex == m_groupIndex)
            other->SetChecked(false);
    }
}

void TSkinCustomRadioButton::DoChange()
{
    fireEvent(OnChange, this);
}

void TSkinCustomRadioButton::Click()
{
    if (!m_checked)
        SetChecked(true);
    update();
    TSkinGlyphTextObject::Click();
}

void TSkinCustomRadioButton::HandleMessage(TMessage& message)
{
    if (message.Msg == CN_COMMAND && ((message.WParam >> 16) & 0xFFFF) == 0) {
        SetChecked(!m_checked);
        return;
    }
    TSkinGlyphTextObject::HandleMessage(message);
}
