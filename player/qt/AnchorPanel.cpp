#include "player/qt/AnchorPanel.h"

#include <algorithm>

namespace vornal::qt {

AnchorPanel::AnchorPanel(QSize design, QWidget* parent) : QWidget(parent), design_(design) {
    resize(design);
}

void AnchorPanel::place(QWidget& child, QRect rect, Qt::Edges edges) {
    anchors_.push_back({&child, rect, edges});
    child.setGeometry(anchored(rect, edges, design_, size()));
}

QRect AnchorPanel::anchored(QRect r, Qt::Edges edges, QSize design, QSize size) {
    const int dw = size.width() - design.width();
    const int dh = size.height() - design.height();
    int left = r.left();
    int top = r.top();
    int width = r.width();
    int height = r.height();
    // Anchored to both sides it stretches; to the far side only it moves; to the near
    // side only (or neither, which the form never uses) it stays.
    if (edges.testFlag(Qt::RightEdge)) {
        if (edges.testFlag(Qt::LeftEdge)) {
            width += dw;
        } else {
            left += dw;
        }
    }
    if (edges.testFlag(Qt::BottomEdge)) {
        if (edges.testFlag(Qt::TopEdge)) {
            height += dh;
        } else {
            top += dh;
        }
    }
    return {left, top, std::max(width, 0), std::max(height, 0)};
}

void AnchorPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOut();
}

void AnchorPanel::layOut() {
    for (const Anchor& a : anchors_) {
        if (a.child) a.child->setGeometry(anchored(a.designRect, a.edges, design_, size()));
    }
}

}  // namespace vornal::qt
