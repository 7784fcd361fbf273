#include "platform/qt/alignment.h"

#include <QEvent>
#include <QResizeEvent>

#include <algorithm>
#include <utility>
#include <vector>

namespace platform {

namespace {

// The distances of one anchored control, applied whenever its parent changes size.
class AnchorHook : public QObject {
public:
    AnchorHook(QWidget* control, int anchors)
        : QObject(control)
        , m_control(control)
        , m_anchors(anchors)
    {
        QWidget* parent = control->parentWidget();
        m_rightGap = parent->width() - control->geometry().right() - 1;
        m_bottomGap = parent->height() - control->geometry().bottom() - 1;
        parent->installEventFilter(this);
    }

    void setAnchors(int anchors) { m_anchors = anchors; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Resize && watched == m_control->parentWidget())
            apply(static_cast<QResizeEvent*>(event)->size());
        return false;
    }

private:
    void apply(const QSize& parentSize)
    {
        QRect r = m_control->geometry();
        if (m_anchors & akRight) {
            const int right = parentSize.width() - m_rightGap; // one past the right edge
            if (m_anchors & akLeft)
                r.setWidth(std::max(0, right - r.left()));
            else
                r.moveLeft(right - r.width());
        }
        if (m_anchors & akBottom) {
            const int bottom = parentSize.height() - m_bottomGap;
            if (m_anchors & akTop)
                r.setHeight(std::max(0, bottom - r.top()));
            else
                r.moveTop(bottom - r.height());
        }
        if (r != m_control->geometry())
            m_control->setGeometry(r);
    }

    QWidget* m_control;
    int m_anchors;
    int m_rightGap = 0;
    int m_bottomGap = 0;
};

} // namespace

void setAnchors(QWidget* control, int anchors)
{
    Q_ASSERT(control->parentWidget());
    // The hook has no meta-object of its own: it is told from other children by its C++ type.
    for (QObject* child : control->children()) {
        if (auto* old = dynamic_cast<AnchorHook*>(child)) {
            delete old;
            break;
        }
    }
    if (anchors & (akRight | akBottom))
        new AnchorHook(control, anchors);
}

TopAlignContainer::TopAlignContainer(QWidget* parent)
    : QWidget(parent)
{
}

TopAlignContainer::~TopAlignContainer()
{
    // The children outlive this part of the object: they must not call back into it.
    for (QWidget* child : std::as_const(m_aligned)) {
        disconnect(child, nullptr, this, nullptr);
        child->removeEventFilter(this);
    }
    m_aligned.clear();
    m_suspended = 1;
}

void TopAlignContainer::setTopAligned(QWidget* child, bool aligned)
{
    if (aligned && !m_aligned.contains(child)) {
        m_aligned.insert(child);
        child->installEventFilter(this);
        connect(child, &QObject::destroyed, this, [this, child] {
            m_aligned.remove(child);
            realign();
        });
    } else if (!aligned) {
        m_aligned.remove(child);
        child->removeEventFilter(this);
    }
    realign();
}

void TopAlignContainer::disableAlign()
{
    ++m_suspended;
}

void TopAlignContainer::enableAlign()
{
    if (m_suspended > 0)
        --m_suspended;
    realign();
}

void TopAlignContainer::realign()
{
    if (m_suspended > 0 || m_aligning)
        return;
    m_aligning = true;
    std::vector<QWidget*> stack;
    for (QObject* object : children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (child && m_aligned.contains(child) && !child->isHidden())
            stack.push_back(child);
    }
    // Children keep their order of tops; equal tops keep their order among the children.
    std::stable_sort(stack.begin(), stack.end(), [](QWidget* a, QWidget* b) { return a->y() < b->y(); });
    int y = 0;
    for (QWidget* child : stack) {
        child->setGeometry(0, y, width(), child->height());
        y += child->height();
    }
    int needed = y;
    for (QObject* object : children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (child && !m_aligned.contains(child) && !child->isHidden())
            needed = std::max(needed, child->geometry().bottom() + 1);
    }
    setMinimumHeight(needed);
    m_aligning = false;
}

void TopAlignContainer::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    realign();
}

void TopAlignContainer::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    realign();
}

bool TopAlignContainer::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::Resize:
    case QEvent::Move:
        if (!m_aligning)
            realign();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace platform
