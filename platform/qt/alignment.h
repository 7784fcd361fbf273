#pragma once
// Placement rules of absolutely placed controls: anchors (a control keeps its distance to the
// right or bottom edge of its parent, or stretches between both edges) and a container that
// stacks its top-aligned children one below the other.
#include <QSet>
#include <QWidget>

namespace platform {

enum Anchor { akLeft = 0x1, akTop = 0x2, akRight = 0x4, akBottom = 0x8 };

// Keeps the control's present distances to its parent's edges: with akRight alone it moves with
// the right edge, with akLeft | akRight it stretches; the same vertically. The distances are those
// of the moment of the call (set the parent's size first).
void setAnchors(QWidget* control, int anchors);

// A container whose top-aligned children are stacked from the top in the order of their present
// tops (so a child moved to a very large top goes last), each as wide as the container. Hidden
// children take no place. Its minimum height covers the stack and every other visible child, so
// that a scroll area around it scrolls over all of them.
class TopAlignContainer : public QWidget {
public:
    explicit TopAlignContainer(QWidget* parent = nullptr);
    ~TopAlignContainer() override;

    void setTopAligned(QWidget* child, bool aligned = true);
    bool isTopAligned(QWidget* child) const { return m_aligned.contains(child); }

    // Suspends the stacking while many children change; resuming realigns.
    void disableAlign();
    void enableAlign();

    void realign();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QSet<QWidget*> m_aligned;
    int m_suspended = 0;
    bool m_aligning = false;
};

} // namespace platform
