// The pictures, painted: the house at dusk, the entrance hall, the study dark and lit, the
// cellar, and two small pictures the script draws over them (the lamp on the hall's floor,
// the old photograph).
#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <stdexcept>

#include "DemoAssets.h"

namespace demo {

namespace {

constexpr int kWidth = 270;
constexpr int kHeight = 183;

// Where the lamp stands in the hall; the script draws lamp.bmp there.
constexpr QRect kLampSpot(150, 128, 36, 44);

QImage canvas() {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::black);
    return image;
}

std::vector<std::uint8_t> encode(const QImage& image, const char* format,
                                 bool progressive = false) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (QByteArray(format) == "jpeg") {
        writer.setQuality(85);
        writer.setProgressiveScanWrite(progressive);
    }
    if (!writer.write(image))
        throw std::runtime_error("cannot encode " + writer.errorString().toStdString());
    return {bytes.begin(), bytes.end()};
}

QImage decoded(const std::vector<std::uint8_t>& jpeg) {
    QImage image;
    image.loadFromData(jpeg.data(), static_cast<int>(jpeg.size()), "jpeg");
    return image.convertToFormat(QImage::Format_RGB32);
}

void vignette(QPainter& p, qreal strength) {
    QRadialGradient shade(kWidth / 2.0, kHeight / 2.0, kWidth * 0.65);
    shade.setColorAt(0.5, QColor(0, 0, 0, 0));
    shade.setColorAt(1.0, QColor(0, 0, 0, static_cast<int>(255 * strength)));
    p.fillRect(0, 0, kWidth, kHeight, shade);
}

// The lamp's warm light around `centre`, fading into darkness of `darkness` (alpha).
void lampLight(QPainter& p, QPointF centre, qreal radius, QColor warm, int darkness) {
    QRadialGradient light(centre, radius);
    light.setColorAt(0, warm);
    light.setColorAt(1, QColor(0, 0, 0, darkness));
    p.fillRect(0, 0, kWidth, kHeight, light);
}

void planks(QPainter& p, int top, QColor near, QColor far) {
    QLinearGradient floor(0, top, 0, kHeight);
    floor.setColorAt(0, far);
    floor.setColorAt(1, near);
    p.fillRect(0, top, kWidth, kHeight - top, floor);
    p.setPen(QPen(far.darker(160), 1));
    for (int x = -400; x <= kWidth + 400; x += 40)
        p.drawLine(QPointF(kWidth / 2.0 + (x - kWidth / 2.0) * 0.35, top), QPointF(x, kHeight));
}

QImage house() {
    QImage image = canvas();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, kHeight);
    sky.setColorAt(0, QColor(30, 24, 70));
    sky.setColorAt(0.6, QColor(120, 60, 90));
    sky.setColorAt(1, QColor(230, 140, 70));
    p.fillRect(image.rect(), sky);
    Noise noise(3);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 40; ++i) {
        const double x = (noise.uniform() + 1) / 2 * kWidth;
        const double y = (noise.uniform() + 1) / 2 * kHeight * 0.45;
        p.setBrush(QColor(255, 255, 230, 120 + static_cast<int>(noise.next() % 120)));
        p.drawEllipse(QPointF(x, y), 0.8, 0.8);
    }
    p.setBrush(QColor(250, 240, 200));  // a crescent moon
    p.drawEllipse(QPointF(215, 35), 12, 12);
    p.setBrush(QColor(48, 30, 80));
    p.drawEllipse(QPointF(221, 31), 11, 11);
    QPainterPath hill;
    hill.moveTo(0, kHeight);
    hill.lineTo(0, 140);
    hill.cubicTo(60, 105, 170, 95, kWidth, 130);
    hill.lineTo(kWidth, kHeight);
    p.setBrush(QColor(14, 18, 22));
    p.drawPath(hill);
    // The house: a body, a steep roof, a tower, one lit window.
    p.setBrush(QColor(8, 8, 12));
    p.drawRect(QRectF(88, 72, 86, 42));
    QPolygonF roof{{82, 74}, {131, 44}, {180, 74}};
    p.drawPolygon(roof);
    p.drawRect(QRectF(150, 38, 16, 40));
    QPolygonF spire{{146, 40}, {158, 20}, {170, 40}};
    p.drawPolygon(spire);
    QRadialGradient glow(112, 90, 14);
    glow.setColorAt(0, QColor(255, 210, 120, 200));
    glow.setColorAt(1, QColor(255, 210, 120, 0));
    p.setBrush(glow);
    p.drawEllipse(QPointF(112, 90), 14, 14);
    p.setBrush(QColor(255, 200, 110));
    p.drawRect(QRectF(108, 85, 8, 10));
    return image;
}

QImage hall() {
    QImage image = canvas();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient wall(0, 0, 0, 120);
    wall.setColorAt(0, QColor(40, 28, 22));
    wall.setColorAt(1, QColor(92, 66, 46));
    p.fillRect(0, 0, kWidth, 120, wall);
    planks(p, 120, QColor(96, 64, 40), QColor(58, 38, 24));
    // The portrait: a gilt frame, a dim figure holding a watch.
    p.setPen(QPen(QColor(190, 150, 70), 4));
    p.setBrush(QColor(34, 30, 28));
    p.drawRect(QRectF(104, 18, 62, 78));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 58, 50));
    p.drawEllipse(QPointF(135, 44), 11, 13);
    p.drawRoundedRect(QRectF(116, 58, 38, 36), 12, 12);
    p.setBrush(QColor(200, 170, 90));
    p.drawEllipse(QPointF(135, 76), 3, 3);
    // The broken staircase on the left.
    p.setBrush(QColor(70, 46, 30));
    p.setPen(QPen(QColor(40, 26, 16), 1));
    for (int i = 0; i < 7; ++i) {
        if (i == 4) continue;  // the missing step
        p.drawRect(QRectF(8 + i * 9, 116 - i * 12, 56 - i * 6, 6));
    }
    p.setPen(QPen(QColor(50, 34, 22), 3));
    p.drawLine(QPointF(6, 122), QPointF(66, 38));
    // The study's door on the right.
    p.setPen(QPen(QColor(30, 20, 12), 2));
    p.setBrush(QColor(84, 52, 30));
    p.drawRect(QRectF(212, 42, 40, 80));
    p.setBrush(QColor(200, 170, 90));
    p.drawEllipse(QPointF(244, 84), 2.5, 2.5);
    vignette(p, 0.75);
    return image;
}

// The lamp standing on the hall's floor, painted over the hall as the player sees it.
QImage lamp(const QImage& hallAsShown) {
    QImage image = hallAsShown.copy(kLampSpot);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 30, 20), 1));
    p.setBrush(QColor(150, 110, 50));
    p.drawRect(QRectF(10, 34, 16, 6));  // base
    p.setBrush(QColor(200, 200, 190, 170));
    p.drawEllipse(QRectF(9, 12, 18, 22));  // glass chimney
    p.setBrush(QColor(150, 110, 50));
    p.drawRect(QRectF(13, 8, 10, 5));  // cap
    p.setPen(QPen(QColor(120, 90, 40), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(11, 0, 14, 14), 0, 180 * 16);  // handle
    return image;
}

void shelves(QPainter& p, QColor wood, bool lit) {
    Noise noise(21);
    for (int shelf = 0; shelf < 4; ++shelf) {
        const int y = 14 + shelf * 26;
        p.fillRect(QRectF(12, y + 22, 104, 4), wood);
        if (!lit) continue;
        for (int x = 14; x < 112;) {
            const int w = 4 + static_cast<int>(noise.next() % 5);
            const QColor book = QColor::fromHsv(static_cast<int>(noise.next() % 360), 120, 110);
            p.fillRect(QRectF(x, y + 4 + noise.next() % 5, w, 18), book);
            x += w + 1;
        }
    }
}

QImage study(bool lit) {
    QImage image = canvas();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    if (!lit) {
        p.fillRect(image.rect(), QColor(10, 9, 12));
        // Light through the boards on the window.
        p.setPen(QPen(QColor(120, 110, 90), 1.2));
        for (int i = 0; i < 4; ++i)
            p.drawLine(QPointF(176, 30 + i * 12), QPointF(230, 31 + i * 12));
        p.setPen(QPen(QColor(30, 28, 30), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(12, 14, 104, 104));
        return image;
    }
    QLinearGradient wall(0, 0, 0, 130);
    wall.setColorAt(0, QColor(52, 38, 28));
    wall.setColorAt(1, QColor(110, 80, 52));
    p.fillRect(0, 0, kWidth, 130, wall);
    planks(p, 130, QColor(104, 70, 42), QColor(64, 42, 26));
    shelves(p, QColor(70, 44, 26), true);
    // The boarded window.
    p.fillRect(QRectF(172, 22, 62, 52), QColor(20, 18, 20));
    for (int i = 0; i < 4; ++i)
        p.fillRect(QRectF(168, 24 + i * 13, 70, 8), QColor(96, 66, 40));
    // The tall clock, stopped at a quarter past three.
    p.setPen(QPen(QColor(40, 24, 12), 1));
    p.setBrush(QColor(90, 54, 28));
    p.drawRect(QRectF(130, 20, 26, 110));
    p.setBrush(QColor(230, 220, 190));
    p.drawEllipse(QPointF(143, 36), 10, 10);
    p.setPen(QPen(Qt::black, 1.6));
    p.drawLine(QPointF(143, 36), QPointF(143 + 8, 36));          // minutes at 15
    p.drawLine(QPointF(143, 36), QPointF(143 + 4.3, 36 - 2.5));  // hours near 3
    // The desk with the safe beneath it, and the trapdoor.
    p.setPen(QPen(QColor(40, 24, 12), 1));
    p.setBrush(QColor(120, 78, 40));
    p.drawRect(QRectF(168, 100, 90, 10));
    p.drawRect(QRectF(172, 110, 8, 36));
    p.drawRect(QRectF(246, 110, 8, 36));
    p.setBrush(QColor(60, 64, 70));
    p.drawRect(QRectF(196, 122, 30, 24));
    p.setBrush(QColor(170, 170, 160));
    p.drawEllipse(QPointF(211, 134), 4, 4);
    p.setBrush(QColor(80, 52, 30));
    p.drawRect(QRectF(90, 156, 40, 16));
    lampLight(p, QPointF(210, 96), 180, QColor(255, 200, 120, 60), 150);
    return image;
}

QImage cellar() {
    QImage image = canvas();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(image.rect(), QColor(46, 44, 42));
    Noise noise(5);
    p.setPen(QPen(QColor(24, 22, 20), 1));
    for (int row = 0; row < 8; ++row) {
        for (int col = -1; col < 10; ++col) {
            const int shade = 70 + static_cast<int>(noise.next() % 30);
            p.setBrush(QColor(shade, shade - 4, shade - 10));
            p.drawRect(QRectF(col * 32 + (row % 2) * 16, row * 17, 32, 17));
        }
    }
    planks(p, 136, QColor(60, 48, 36), QColor(36, 30, 24));
    // The ladder, and the old wooden box at the back.
    p.setPen(QPen(QColor(100, 70, 40), 4));
    p.drawLine(QPointF(30, 0), QPointF(40, 150));
    p.drawLine(QPointF(62, 0), QPointF(72, 150));
    for (int y = 14; y < 150; y += 18)
        p.drawLine(QPointF(31 + y / 15.0, y), QPointF(63 + y / 15.0, y));
    p.setPen(QPen(QColor(50, 32, 16), 1.5));
    p.setBrush(QColor(130, 90, 50));
    p.drawRect(QRectF(160, 112, 64, 40));
    p.drawLine(QPointF(160, 126), QPointF(224, 126));
    p.drawLine(QPointF(160, 140), QPointF(224, 140));
    lampLight(p, QPointF(60, 120), 200, QColor(255, 190, 110, 40), 190);
    return image;
}

// An old photograph: the two of them before the house, in sepia. Stored with a palette.
QImage photo() {
    QImage image(120, 90, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(image.rect(), QColor(238, 226, 200));
    QLinearGradient sky(0, 6, 0, 84);
    sky.setColorAt(0, QColor(206, 184, 150));
    sky.setColorAt(1, QColor(160, 130, 96));
    p.fillRect(QRectF(6, 6, 108, 78), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(110, 84, 60));
    p.drawRect(QRectF(20, 30, 80, 30));
    p.drawPolygon(QPolygonF{{16, 32}, {60, 14}, {104, 32}});
    p.setBrush(QColor(70, 52, 38));
    for (const qreal x : {46.0, 72.0}) {
        p.drawEllipse(QPointF(x, 52), 5, 6);
        p.drawRoundedRect(QRectF(x - 7, 58, 14, 24), 5, 5);
    }
    return image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
}

}  // namespace

void writePictures(const std::filesystem::path& folder) {
    writeFile(folder / "house.jpg", encode(house(), "jpeg", /*progressive=*/true));
    const std::vector<std::uint8_t> hallJpeg = encode(hall(), "jpeg");
    writeFile(folder / "hall.jpg", hallJpeg);
    writeFile(folder / "lamp.bmp", encode(lamp(decoded(hallJpeg)), "bmp"));
    writeFile(folder / "study_dark.jpg", encode(study(false), "jpeg"));
    writeFile(folder / "study.jpg", encode(study(true), "jpeg"));
    writeFile(folder / "cellar.jpg", encode(cellar(), "jpeg"));
    writeFile(folder / "photo.bmp", encode(photo(), "bmp"));
}

}  // namespace demo
