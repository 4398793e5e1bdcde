// A client area whose children keep their distance to the sides they are anchored to,
// the way the player's form was designed: grow the panel and anchored children
// stretch or move with it.
#pragma once

#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <vector>

namespace vornal::qt {

class AnchorPanel : public QWidget {
public:
    // `design` is the size the children's rectangles were laid out for.
    AnchorPanel(QSize design, QWidget* parent = nullptr);

    // Places `child` at `rect` (design coordinates) and anchors it to `edges`.
    void place(QWidget& child, QRect rect, Qt::Edges edges);

    // Where an anchored rectangle goes when the panel is `size` (no negative sizes).
    static QRect anchored(QRect designRect, Qt::Edges edges, QSize design, QSize size);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Anchor {
        QPointer<QWidget> child;
        QRect designRect;
        Qt::Edges edges;
    };
    void layOut();

    QSize design_;
    std::vector<Anchor> anchors_;
};

}  // namespace vornal::qt
