// GrpImage: shows the picture area's bitmap. At 1× (the default) and 2× the bitmap sits at
// the top left at that many points per pixel and fills them at any device pixel ratio: at
// 1.25 or 1.5 too, with no band left blank. Sharp (the default) draws every device pixel as
// one of the picture's pixels, unblended; smooth blends them. Fitted, the area is scaled to
// the widget, centred; sharp then keeps to whole device pixels per picture pixel. What the
// bitmap does not cover shows the window's face.
#pragma once

#include <QImage>
#include <QRectF>
#include <QSize>
#include <QWidget>

namespace vornal::qt {

enum class PictureZoom { Actual, Double, Fit };

class PictureView : public QWidget {
public:
    explicit PictureView(QWidget* parent = nullptr);

    void setImage(QImage image);
    const QImage& image() const { return image_; }
    // The picture area's own size (the game's *SCREEN), which zooming and fitting scale.
    void setAreaSize(QSize size);
    void setZoom(PictureZoom zoom, bool smooth);
    PictureZoom zoom() const { return zoom_; }
    bool smooth() const { return smooth_; }
    // Points per picture pixel at 1× and 2×; 1 when fitted (the widget sets the scale).
    int zoomFactor() const { return zoom_ == PictureZoom::Double ? 2 : 1; }

    // Where the bitmap is drawn, in points.
    QRectF imageRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
    QSize area_{270, 183};
    PictureZoom zoom_ = PictureZoom::Actual;
    bool smooth_ = false;
};

}  // namespace vornal::qt
