#include "player/qt/PictureView.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <utility>

namespace vornal::qt {

PictureView::PictureView(QWidget* parent) : QWidget(parent) {}

void PictureView::setImage(QImage image) {
    image_ = std::move(image);
    update();
}

int PictureView::pixelScale(qreal devicePixelRatio) {
    // The small margin keeps a ratio of 2 that arrives as 1.9999999 at 2.
    return std::max(1, static_cast<int>(std::floor(devicePixelRatio + 1e-6)));
}

void PictureView::paintEvent(QPaintEvent*) {
    if (image_.isNull()) return;
    QPainter painter(this);
    const qreal ratio = devicePixelRatioF();
    // Drawn at (ratio / scale) image pixels per point, that is `scale` device pixels per
    // image pixel: a whole number, so the nearest-pixel scaling stays sharp.
    QImage shown = image_;
    shown.setDevicePixelRatio(ratio / pixelScale(ratio));
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QPointF(0, 0), shown);
}

}  // namespace vornal::qt
