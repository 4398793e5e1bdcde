// GrpImage: shows the picture area's bitmap at its top left, unscaled. On a high-DPI
// screen every picture pixel becomes a square of whole device pixels, never a blurred
// fraction: at a ratio of 2 the picture fills its size exactly; at 1.5 it is drawn one
// device pixel per pixel, a little smaller. What the bitmap does not cover shows the
// window's face.
#pragma once

#include <QImage>
#include <QWidget>

namespace vornal::qt {

class PictureView : public QWidget {
public:
    explicit PictureView(QWidget* parent = nullptr);

    void setImage(QImage image);
    const QImage& image() const { return image_; }

    // Device pixels per picture pixel on a screen of this device pixel ratio.
    static int pixelScale(qreal devicePixelRatio);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
};

}  // namespace vornal::qt
