#include "AppIcon.h"

#include "Look.h"

#include <QPainter>
#include <QPainterPath>

namespace AppIcon {

QPixmap Picture(int size)
{
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 32.0;
    p.scale(s, s);
    p.setPen(QPen(Look::Amber, 1.2));
    p.setBrush(Look::Background);
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 5, 5);

    // One half-wave chain per cycle, each with its own period: red, green, blue.
    const struct
    {
        QColor color;
        qreal period;
        qreal phase;
    } curves[] = {{QColor(255, 64, 64), 11.5, 0}, {QColor(64, 230, 64), 14, 3}, {QColor(80, 140, 255), 16.5, 6}};
    for (const auto &c : curves) {
        QPainterPath path;
        for (qreal x = 4; x <= 28; x += 0.25) {
            const qreal t = std::fmod(x + c.phase, c.period) / c.period; // 0..1 over a half-wave pair
            const qreal u = t < 0.5 ? t * 4 - 1 : (t - 0.5) * 4 - 1;      // -1..1 within a half-wave
            const qreal v = (1 - u * u) * (t < 0.5 ? 1 : -1);
            const QPointF pt(x, 16 - v * 9);
            if (x == 4)
                path.moveTo(pt);
            else
                path.lineTo(pt);
        }
        p.setPen(QPen(c.color, 1.6, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    }
    p.setPen(QPen(QColor(200, 200, 200), 0.8));
    p.drawLine(QPointF(4, 16), QPointF(28, 16));
    return picture;
}

const QIcon &Icon()
{
    static const QIcon icon = [] {
        QIcon i;
        for (int size : {16, 32, 48, 64, 128})
            i.addPixmap(Picture(size));
        return i;
    }();
    return icon;
}

} // namespace AppIcon
