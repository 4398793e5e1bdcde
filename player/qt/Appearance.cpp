#include "player/qt/Appearance.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace vornal::qt {

namespace {

// Puts the families the system has first, so QFont's own fallback (which may pick
// a font without Japanese glyphs) is never reached while one of ours exists.
QFont firstAvailable(const QStringList& families, int pixels) {
    const QStringList installed = QFontDatabase::families();
    QStringList present;
    for (const QString& family : families) {
        if (installed.contains(family, Qt::CaseInsensitive)) present << family;
    }
    QFont font;
    font.setFamilies(present.isEmpty() ? families : present);
    font.setPixelSize(pixels);
    font.setStyleStrategy(QFont::PreferDefault);
    return font;
}

}  // namespace

QStringList gothicFamilies() {
    return {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
            QStringLiteral("IPAPGothic"),      QStringLiteral("IPA Pゴシック"),
            QStringLiteral("IPAGothic"),       QStringLiteral("Noto Sans CJK JP")};
}

QStringList minchoFamilies() {
    return {QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("MS PMincho"),
            QStringLiteral("IPAPMincho"),  QStringLiteral("IPA P明朝"),
            QStringLiteral("IPAMincho"),   QStringLiteral("Noto Serif CJK JP")};
}

QFont gothicFont(int pixels) {
    return firstAvailable(gothicFamilies(), pixels);
}
QFont minchoFont(int pixels) {
    return firstAvailable(minchoFamilies(), pixels);
}

QPixmap playerPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;

    // A page with a speech line and a prompt: a game told in text, played by typing.
    QLinearGradient page(0, 0, 0, s);
    page.setColorAt(0, QColor(40, 48, 96));
    page.setColorAt(1, QColor(12, 14, 40));
    p.setPen(QPen(QColor(200, 200, 230), s / 32));
    p.setBrush(page);
    p.drawRoundedRect(QRectF(s * 0.06, s * 0.06, s * 0.88, s * 0.88), s * 0.12, s * 0.12);

    QPainterPath v;
    v.moveTo(s * 0.22, s * 0.2);
    v.lineTo(s * 0.5, s * 0.7);
    v.lineTo(s * 0.78, s * 0.2);
    p.setPen(QPen(QColor(255, 214, 90), s / 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(v);

    p.setPen(QPen(Qt::white, s / 16, Qt::SolidLine, Qt::SquareCap));
    p.drawLine(QPointF(s * 0.24, s * 0.82), QPointF(s * 0.42, s * 0.82));
    return pixmap;
}

QIcon playerIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64})
        icon.addPixmap(playerPixmap(size));
    return icon;
}

void centreOnScreen(QWidget& window) {
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

}  // namespace vornal::qt
