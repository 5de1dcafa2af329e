#include "app/AppIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace trx {

QImage drawApplicationIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);

    // The panel's body.
    QLinearGradient body(0, 4, 0, 60);
    body.setColorAt(0.0, QColor(88, 96, 110));
    body.setColorAt(1.0, QColor(38, 42, 50));
    painter.setPen(QPen(QColor(20, 22, 28), 2.0));
    painter.setBrush(body);
    painter.drawRoundedRect(QRectF(3, 6, 58, 52), 7, 7);

    // The display strip, in the headings' blue.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 255));
    painter.drawRoundedRect(QRectF(9, 12, 46, 12), 2.5, 2.5);
    painter.setBrush(QColor(170, 200, 255));
    painter.drawRect(QRectF(13, 16.5, 20, 3));

    // Two rows of camera buttons; the lit one is the selected camera.
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 4; ++column) {
            const bool lit = row == 0 && column == 1;
            painter.setBrush(lit ? QColor(255, 70, 60) : QColor(225, 228, 235));
            painter.drawRoundedRect(QRectF(9 + column * 12, 30 + row * 12, 9, 8), 1.5, 1.5);
        }
    }
    return image;
}

QIcon applicationIcon() {
    static const QIcon icon = [] {
        QIcon drawn;
        for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
            drawn.addPixmap(QPixmap::fromImage(drawApplicationIcon(size)));
        }
        return drawn;
    }();
    return icon;
}

}  // namespace trx
