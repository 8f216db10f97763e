#include "AppIcon.h"

#include "Look.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace AppIcon {

void PaintCycles(QPainter &p, const QRectF &area, qreal penWidth)
{
    // Periods in proportion to 23, 28 and 33 days, phases apart so the curves cross.
    const struct
    {
        QColor color;
        qreal period;
        qreal phase;
    } curves[] = {{QColor(255, 64, 64), 0.6, 0}, {QColor(64, 230, 64), 0.73, 0.2},
                  {QColor(80, 140, 255), 0.86, 0.5}};
    const qreal amplitude = area.height() / 2;
    const qreal mid = area.center().y();
    p.save();
    p.setBrush(Qt::NoBrush);
    for (const auto &c : curves) {
        QPainterPath path;
        for (qreal t = 0; t <= 1.0001; t += 0.01) {
            const qreal phase = std::fmod(t + c.phase, c.period) / c.period; // 0..1: peak, trough
            const qreal u = std::fmod(phase, 0.5) * 4 - 1;                  // -1..1 in a half-wave
            const qreal value = (1 - u * u) * (phase < 0.5 ? 1 : -1);
            const QPointF pt(area.left() + t * area.width(), mid - value * amplitude);
            if (t == 0)
                path.moveTo(pt);
            else
                path.lineTo(pt);
        }
        p.setPen(QPen(c.color, penWidth, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(path);
    }
    p.setPen(QPen(QColor(200, 200, 200), penWidth / 2));
    p.drawLine(QPointF(area.left(), mid), QPointF(area.right(), mid));
    p.restore();
}

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

    PaintCycles(p, QRectF(4, 7, 24, 18), 1.6);
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
