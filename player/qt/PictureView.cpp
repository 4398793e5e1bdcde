#include "player/qt/PictureView.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <utility>

namespace vornal::qt {

namespace {

// A screen reader is told the area is a picture; its name says which.
QAccessibleInterface* pictureAccessible(const QString&, QObject* object) {
    if (auto* view = dynamic_cast<PictureView*>(object))
        return new QAccessibleWidget(view, QAccessible::Graphic);
    return nullptr;
}

}  // namespace

PictureView::PictureView(QWidget* parent) : QWidget(parent) {
    static const bool installed = [] {
        QAccessible::installFactory(pictureAccessible);
        return true;
    }();
    (void)installed;
}

void PictureView::setImage(QImage image) {
    image_ = std::move(image);
    update();
}

void PictureView::setAreaSize(QSize size) {
    area_ = size;
    update();
}

void PictureView::setZoom(PictureZoom zoom, bool smooth) {
    zoom_ = zoom;
    smooth_ = smooth;
    update();
}

QRectF PictureView::imageRect() const {
    if (zoom_ != PictureZoom::Fit) {
        const qreal scale = zoomFactor();
        return {0, 0, image_.width() * scale, image_.height() * scale};
    }
    if (area_.isEmpty()) return {};
    qreal scale = std::min(qreal(width()) / area_.width(), qreal(height()) / area_.height());
    if (!smooth_) {
        // Whole device pixels per picture pixel, never fewer than one. The small margin keeps
        // a ratio of 2 that arrives as 1.9999999 at 2.
        const qreal ratio = devicePixelRatioF();
        scale = std::max(1.0, std::floor(scale * ratio + 1e-6)) / ratio;
    }
    const QSizeF shown(area_.width() * scale, area_.height() * scale);
    const QPointF origin((width() - shown.width()) / 2, (height() - shown.height()) / 2);
    return {origin, QSizeF(image_.width() * scale, image_.height() * scale)};
}

void PictureView::paintEvent(QPaintEvent*) {
    if (image_.isNull()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth_);
    painter.drawImage(imageRect(), image_);
}

}  // namespace vornal::qt
